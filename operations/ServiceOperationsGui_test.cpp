// Vantrel.exe under Xvfb and Wine, driven from outside: a stopped test service
// is selected, the Start button pressed, and its row goes through "Starting" to
// "Running"; a start that fails fills the error list window, whose screenshot
// goes to build/windows/artifacts/.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "core/ServiceRow.h"
#include "core/win32/WinHandle.h"
#include "core/win32/WinString.h"
#include "core/win32/Windows.h"
#include "main/win32/testing/GuiTestService.h"
#include "main/win32/testing/VantrelGui.h"
#include "ui/win32/testing/GuiDriver.h"

namespace vtl::guitest {
namespace {

using vtl::win32::Narrow;
using vtl::win32::UniqueScHandle;

constexpr DWORD kTimeout = kGuiTimeout;

class OperationsGui : public VantrelGui {
  protected:
    void Launch() {
        VantrelGui::Launch();
        startBar = FindChild(form, L"ToolbarWindow32", 0);  // tbStart comes first
        ASSERT_NE(startBar, nullptr);
    }
    std::wstring StatusOf(const std::string& name) { return Cell(name, kColStatus); }
    // Selects the row as a click does and presses the Start button.
    void StartRow(const std::string& name) {
        const int row = RowOf(name);
        ASSERT_GE(row, 0) << name << " is not listed";
        ASSERT_TRUE(SelectListViewRow(list, row));
        ASSERT_TRUE(WaitFor(
            [&] {
                const auto buttons = ReadToolbar(startBar);
                return !buttons.empty() && buttons[0].enabled;
            },
            kTimeout))
            << "Start is not available for a stopped service";
        ASSERT_TRUE(ClickToolbarButton(startBar, 0));
    }

    HWND startBar = nullptr;
};

TEST_F(OperationsGui, TheStartButtonTakesARowThroughStartingToRunning) {
    const std::wstring pid = std::to_wstring(GetCurrentProcessId());
    win32::testing::GuiTestService slow(L"VtlGuiOpsSlow_" + pid, L"--start-ms 1500");
    ASSERT_TRUE(slow);
    Launch();
    ASSERT_EQ(StatusOf(slow.Name()), L"Stopped");
    StartRow(slow.Name());
    EXPECT_TRUE(WaitFor([&] { return StatusOf(slow.Name()) == L"Starting"; }, kTimeout));
    EXPECT_TRUE(WaitFor([&] { return StatusOf(slow.Name()) == L"Running"; }, kTimeout))
        << Narrow(StatusOf(slow.Name()));
    SaveScreenshot(kArtifacts / "operations_started.png", form);
    EXPECT_EQ(FindTopWindow(program->Id(), L"VtlForm", L"Errors"), nullptr)
        << "nothing failed, no error list";
}

TEST_F(OperationsGui, AFailingStartShowsTheErrorListWindow) {
    const std::wstring pid = std::to_wstring(GetCurrentProcessId());
    win32::testing::GuiTestService failing(L"VtlGuiOpsFail_" + pid,
                                           L"--start-ms 300 --fail-start --specific 5");
    ASSERT_TRUE(failing);
    Launch();
    StartRow(failing.Name());
    const HWND errors = WaitForTopWindow(program->Id(), L"VtlForm", L"Errors", kTimeout);
    ASSERT_NE(errors, nullptr) << "the error list did not appear";
    const HWND entries = FindChild(errors, L"SysListView32");
    ASSERT_NE(entries, nullptr);
    EXPECT_EQ(ReadListViewColumns(entries), (std::vector<std::wstring>{L"Service Name", L"Error"}));
    ASSERT_TRUE(WaitFor([&] { return ListViewCount(entries) >= 1; }, kTimeout));
    const Rows rows = ReadListView(entries);
    EXPECT_EQ(Narrow(rows[0][0]), failing.Name());
    EXPECT_EQ(Narrow(rows[0][1]),
              "The service did not start and has reported the specific error 5");
    EXPECT_TRUE(SaveScreenshot(kArtifacts / "operations_error_list.png", errors));
    EXPECT_TRUE(SaveScreenshot(kArtifacts / "operations_error_list_screen.png"));
}

}  // namespace
}  // namespace vtl::guitest
