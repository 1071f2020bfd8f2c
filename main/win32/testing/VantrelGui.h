#pragma once
// The fixture of the GUI tests that start Vantrel.exe (or VantrelSim.exe) beside
// the test program, under Xvfb and Wine, and read it from outside: skipped
// without a display; the program ended when the test ends. Screenshots go to
// kArtifacts (the test target defines VTL_ARTIFACT_DIR).

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/win32/WinString.h"
#include "core/win32/Windows.h"
#include "ui/win32/testing/GuiDriver.h"

namespace vtl::guitest {

inline constexpr DWORD kGuiTimeout = 30000;

class VantrelGui : public ::testing::Test {
  protected:
    inline static const std::filesystem::path kArtifacts = VTL_ARTIFACT_DIR;

    void SetUp() override {
        const char* display = std::getenv("DISPLAY");
        if (display == nullptr || *display == '\0') GTEST_SKIP() << "no display";
        std::filesystem::create_directories(kArtifacts);
    }
    void TearDown() override {
        if (program) program->Terminate();
    }

    // Starts the program (with its arguments) and waits until its list is filled.
    void Launch(const wchar_t* exe = L"Vantrel.exe", const std::wstring& arguments = {}) {
        UseUnmanagedWindows(exe);
        program = Process::Start(L"\"" + BesideThisProgram(exe) + L"\"" +
                                 (arguments.empty() ? L"" : L" " + arguments));
        ASSERT_TRUE(program.has_value());
        form = WaitForTopWindow(program->Id(), L"VtlForm", L"Vantrel", kGuiTimeout);
        ASSERT_NE(form, nullptr) << "the main window did not appear";
        list = FindChild(form, L"SysListView32");
        status = FindChild(form, L"msctls_statusbar32");
        ASSERT_NE(list, nullptr);
        ASSERT_NE(status, nullptr);
        ASSERT_TRUE(WaitFor(
            [&] {
                const std::vector<std::wstring> panels = ReadStatusBar(status);
                return panels.size() == 5 && panels[0] == L"Done" &&
                       panels[4].rfind(L"Total Services : ", 0) == 0;
            },
            kGuiTimeout));
    }
    // The position of a service's row, or -1.
    int RowOf(const std::string& name) {
        const Rows rows = ReadListView(list);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (win32::Narrow(rows[i][0]) == name) return static_cast<int>(i);
        }
        return -1;
    }
    std::wstring Cell(const std::string& name, int column) {
        const Rows rows = ReadListView(list);
        const int row = RowOf(name);
        return row < 0 ? L"<not listed>" : rows[static_cast<std::size_t>(row)][column];
    }

    std::optional<Process> program;
    HWND form = nullptr;
    HWND list = nullptr;
    HWND status = nullptr;
};

}  // namespace vtl::guitest
