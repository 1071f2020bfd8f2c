// The wizard and the About box of Vantrel.exe as a user meets them, under Xvfb
// and Wine, driven from another process: every page of each mode, the export
// of a selected service into a folder, and the About box. A screenshot of each
// page goes to build/windows/artifacts/.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "core/win32/WinString.h"
#include "core/win32/Windows.h"
#include "main/win32/testing/GuiTestService.h"
#include "ui/win32/testing/GuiDriver.h"

namespace vtl::guitest {
namespace {

using vtl::win32::Narrow;

constexpr DWORD kTimeout = 30000;
const std::filesystem::path kArtifacts = VTL_ARTIFACT_DIR;

class WizardGui : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* display = std::getenv("DISPLAY");
        if (display == nullptr || *display == '\0') GTEST_SKIP() << "no display";
        std::filesystem::create_directories(kArtifacts);
        // The service to export is there before the program lists the services.
        selected = std::make_unique<win32::testing::GuiTestService>(
            L"VtlGuiExport_" + std::to_wstring(GetCurrentProcessId()));
        ASSERT_TRUE(*selected);
        UseUnmanagedWindows(L"Vantrel.exe");
        program = Process::Start(L"\"" + BesideThisProgram(L"Vantrel.exe") + L"\"");
        ASSERT_TRUE(program.has_value());
        form = WaitForTopWindow(program->Id(), L"VtlForm", L"Vantrel", kTimeout);
        ASSERT_NE(form, nullptr);
        list = FindChild(form, L"SysListView32");
        const HWND status = FindChild(form, L"msctls_statusbar32");
        ASSERT_TRUE(WaitFor([&] { return ReadStatusBar(status)[0] == L"Done"; }, kTimeout));
    }
    void TearDown() override {
        if (program) program->Terminate();
        selected.reset();
    }

    // The wizard page with this caption, once it shows.
    HWND Page(const std::wstring& caption) {
        HWND page = WaitForTopWindow(program->Id(), L"VtlForm", caption, kTimeout);
        EXPECT_NE(page, nullptr) << Narrow(caption);
        return page;
    }
    static HWND VisibleButton(HWND window, std::initializer_list<std::wstring_view> texts) {
        for (const HWND button : Descendants(window, L"Button")) {
            if (!IsWindowVisible(button)) continue;
            for (const std::wstring_view text : texts)
                if (Text(button) == text) return button;
        }
        return nullptr;
    }
    // Presses Next (or Finish) and waits for the next page.
    HWND NextPage(HWND wizard, const std::wstring& caption) {
        const HWND next = VisibleButton(wizard, {L"&Next  >>", L"&Next >>", L"Finish"});
        EXPECT_TRUE(next != nullptr && ClickButton(next));
        return caption.empty() ? nullptr : Page(caption);
    }
    static void Type(HWND wizard, int visibleEdit, const std::wstring& text) {
        int n = 0;
        for (const HWND edit : Descendants(wizard, L"Edit")) {
            if (IsWindowVisible(edit) && n++ == visibleEdit) {
                EXPECT_TRUE(TypeIntoEdit(edit, text));
                return;
            }
        }
        ADD_FAILURE() << "no visible edit box " << visibleEdit;
    }
    static void Shot(HWND window, const char* file) {
        Sleep(400);
        EXPECT_TRUE(SaveScreenshot(kArtifacts / file, window));
    }
    void Cancel(HWND wizard) {
        ASSERT_TRUE(ClickButton(VisibleButton(wizard, {L"&Cancel"})));
        EXPECT_TRUE(
            WaitFor([&] { return !IsWindow(wizard) || !IsWindowVisible(wizard); }, kTimeout));
    }

    std::unique_ptr<win32::testing::GuiTestService> selected;
    std::optional<Process> program;
    HWND form = nullptr;
    HWND list = nullptr;
};

TEST_F(WizardGui, EveryPageOfEachModeAndTheAboutBox) {
    // Create: the question first, then four pages.
    ASSERT_TRUE(ChooseMenuItem(form, L"&Service|&Create Service"));
    HWND box = nullptr;
    ASSERT_TRUE(
        WaitFor([&] { return (box = FindMessageBox(program->Id())) != nullptr; }, kTimeout));
    EXPECT_EQ(MessageBoxText(box).rfind(L"Note that you must have administrator privileges", 0),
              0u);
    ASSERT_TRUE(AnswerMessageBox(box, IDYES));
    HWND wizard = Page(L"Create New Service - Service Type");
    Shot(wizard, "wizard-create-1-type.png");
    wizard = NextPage(wizard, L"Create New Service - Service Information");
    Type(wizard, 0, L"GuiWizard");
    Type(wizard, 2, L"C:\\windows\\system32\\notepad.exe");
    Shot(wizard, "wizard-create-2-information.png");
    wizard = NextPage(wizard, L"Create New Service - Service Configuration");
    Shot(wizard, "wizard-create-3-configuration.png");
    wizard = NextPage(wizard, L"Create New Service - Finish");
    EXPECT_NE(VisibleButton(wizard, {L"Finish"}), nullptr);
    Shot(wizard, "wizard-create-4-finish.png");
    Cancel(wizard);

    // Export a new service: four pages.
    ASSERT_TRUE(ChooseMenuItem(form, L"&Service|&Export New Service"));
    wizard = Page(L"Export New Service - Service Type");
    Shot(wizard, "wizard-export-1-type.png");
    wizard = NextPage(wizard, L"Export Service - Service Details");
    Type(wizard, 0, L"GuiExport");
    Type(wizard, 1, L"C:\\apps\\run.bat");
    Shot(wizard, "wizard-export-2-details.png");
    wizard = NextPage(wizard, L"Export Service - Verify Service Details");
    Shot(wizard, "wizard-export-3-verify.png");
    wizard = NextPage(wizard, L"Export Service - Finish");
    Shot(wizard, "wizard-export-4-folder.png");
    Cancel(wizard);

    // Export the selected service into a folder of its own.
    const std::filesystem::path folder = kArtifacts / "exported";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const Rows rows = ReadListView(list);
    int row = -1;
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (Narrow(rows[i][0]) == selected->Name()) row = static_cast<int>(i);
    ASSERT_GE(row, 0);
    ASSERT_TRUE(SelectListViewRow(list, row));
    ASSERT_TRUE(ChooseMenuItem(form, L"&Service|Export Se&lected Service"));
    wizard = Page(L"Export Selected Service - View Details");
    Shot(wizard, "wizard-selected-1-details.png");
    wizard = NextPage(wizard, L"Export Selected Service - Finish");
    Type(wizard, 0, std::filesystem::path(folder).make_preferred().wstring());
    Shot(wizard, "wizard-selected-2-folder.png");
    NextPage(wizard, L"");
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(wizard) || !IsWindowVisible(wizard); }, kTimeout));
    const std::wstring name = win32::Widen(selected->Name());
    EXPECT_TRUE(std::filesystem::exists(folder / (name + L"_Inst.bat")));
    EXPECT_TRUE(std::filesystem::exists(folder / (name + L"_Uninst.bat")));
    EXPECT_TRUE(std::filesystem::exists(folder / L"VtlShell.exe"));

    // The About box.
    ASSERT_TRUE(ChooseMenuItem(form, L"&Help|&About "));
    const HWND about = Page(L"About Vantrel");
    ASSERT_NE(about, nullptr);
    EXPECT_NE(FindChildByText(about, L"Static", L"Version 3.1.3"), nullptr);
    Shot(about, "about.png");
    ASSERT_TRUE(ClickButton(VisibleButton(about, {L"OK"})));
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(about) || !IsWindowVisible(about); }, kTimeout));

    ASSERT_TRUE(CloseTopWindow(form));
    EXPECT_TRUE(program->WaitForExit(kTimeout));
    program.reset();
}

}  // namespace
}  // namespace vtl::guitest
