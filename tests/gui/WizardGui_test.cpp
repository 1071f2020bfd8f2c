// The wizard and the About box of Vantrel.exe as a user meets them, under Xvfb
// and Wine, driven from another process: every page of each mode, the export
// of a selected service into a folder, and the About box. A screenshot of each
// page goes to build/windows/artifacts/.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "main/win32/testing/GuiTestService.h"
#include "main/win32/testing/VantrelGui.h"

namespace vtl::guitest {
namespace {

using vtl::win32::Narrow;

constexpr DWORD kTimeout = kGuiTimeout;

// One page: its caption, its screenshot, and the texts typed into its visible
// edit boxes in order (empty: left alone).
struct Step {
    std::wstring caption;
    const char* shot;
    std::vector<std::wstring> typed;
};

class WizardGui : public VantrelGui {
  protected:
    void SetUp() override {
        VantrelGui::SetUp();
        if (IsSkipped()) return;
        // The service to export is there before the program lists the services.
        selected = std::make_unique<win32::testing::GuiTestService>(
            L"VtlGuiExport_" + std::to_wstring(GetCurrentProcessId()));
        ASSERT_TRUE(*selected);
        Launch();
    }
    void TearDown() override {
        VantrelGui::TearDown();
        selected.reset();
    }

    static HWND VisibleButton(HWND window, std::initializer_list<std::wstring_view> texts) {
        for (const HWND button : Descendants(window, L"Button"))
            for (const std::wstring_view text : texts)
                if (IsWindowVisible(button) && Text(button) == text) return button;
        return nullptr;
    }
    static bool Gone(HWND window) {
        return WaitFor([&] { return !IsWindow(window) || !IsWindowVisible(window); }, kTimeout);
    }
    // Walks the pages with Next, typing and taking a picture on each; returns the last.
    HWND Walk(const std::vector<Step>& steps) {
        HWND page = nullptr;
        for (const Step& step : steps) {
            if (page != nullptr) {
                EXPECT_TRUE(ClickButton(VisibleButton(page, {L"&Next  >>", L"&Next >>"})));
            }
            page = WaitForTopWindow(program->Id(), L"VtlForm", step.caption, kTimeout);
            if (page == nullptr) {
                ADD_FAILURE() << Narrow(step.caption) << " did not show";
                return nullptr;
            }
            std::size_t n = 0;
            for (const HWND edit : Descendants(page, L"Edit")) {
                if (!IsWindowVisible(edit)) continue;
                if (n < step.typed.size() && !step.typed[n].empty()) {
                    EXPECT_TRUE(TypeIntoEdit(edit, step.typed[n]));
                }
                ++n;
            }
            Sleep(400);
            EXPECT_TRUE(SaveScreenshot(kArtifacts / step.shot, page));
        }
        return page;
    }

    std::unique_ptr<win32::testing::GuiTestService> selected;
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
    HWND last = Walk(
        {{L"Create New Service - Service Type", "wizard-create-1-type.png", {}},
         {L"Create New Service - Service Information",
          "wizard-create-2-information.png",
          {L"GuiWizard", L"", L"C:\\windows\\system32\\notepad.exe"}},
         {L"Create New Service - Service Configuration", "wizard-create-3-configuration.png", {}},
         {L"Create New Service - Finish", "wizard-create-4-finish.png", {}}});
    ASSERT_NE(last, nullptr);
    EXPECT_NE(VisibleButton(last, {L"Finish"}), nullptr);
    ASSERT_TRUE(ClickButton(VisibleButton(last, {L"&Cancel"})));
    EXPECT_TRUE(Gone(last));

    // Export a new service: four pages.
    ASSERT_TRUE(ChooseMenuItem(form, L"&Service|&Export New Service"));
    last = Walk({{L"Export New Service - Service Type", "wizard-export-1-type.png", {}},
                 {L"Export Service - Service Details",
                  "wizard-export-2-details.png",
                  {L"GuiExport", L"C:\\apps\\run.bat"}},
                 {L"Export Service - Verify Service Details", "wizard-export-3-verify.png", {}},
                 {L"Export Service - Finish", "wizard-export-4-folder.png", {}}});
    ASSERT_NE(last, nullptr);
    ASSERT_TRUE(ClickButton(VisibleButton(last, {L"&Cancel"})));
    EXPECT_TRUE(Gone(last));

    // Export the selected service into a folder of its own.
    const std::filesystem::path folder = (kArtifacts / "exported").make_preferred();
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const int row = RowOf(selected->Name());
    ASSERT_TRUE(row >= 0 && SelectListViewRow(list, row));
    ASSERT_TRUE(ChooseMenuItem(form, L"&Service|Export Se&lected Service"));
    last = Walk({{L"Export Selected Service - View Details", "wizard-selected-1-details.png", {}},
                 {L"Export Selected Service - Finish",
                  "wizard-selected-2-folder.png",
                  {folder.wstring()}}});
    ASSERT_NE(last, nullptr);
    ASSERT_TRUE(ClickButton(VisibleButton(last, {L"Finish"})));
    EXPECT_TRUE(Gone(last));
    const std::wstring name = win32::Widen(selected->Name());
    for (const std::wstring& file :
         {name + L"_Inst.bat", name + L"_Uninst.bat", std::wstring(L"VtlShell.exe")})
        EXPECT_TRUE(std::filesystem::exists(folder / file)) << Narrow(file);

    // The About box.
    ASSERT_TRUE(ChooseMenuItem(form, L"&Help|&About "));
    const HWND about = WaitForTopWindow(program->Id(), L"VtlForm", L"About Vantrel", kTimeout);
    ASSERT_NE(about, nullptr);
    EXPECT_NE(FindChildByText(about, L"Static", L"Version 3.1.3"), nullptr);
    Sleep(400);
    EXPECT_TRUE(SaveScreenshot(kArtifacts / "about.png", about));
    ASSERT_TRUE(ClickButton(VisibleButton(about, {L"OK"})));
    EXPECT_TRUE(Gone(about));

    ASSERT_TRUE(CloseTopWindow(form));
    EXPECT_TRUE(program->WaitForExit(kTimeout));
    program.reset();
}

}  // namespace
}  // namespace vtl::guitest
