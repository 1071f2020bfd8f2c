// The demo program on the Win32 renderer, driven from another process the way a
// user (or a screen reader) sees it.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/win32/Windows.h"
#include "ui/win32/testing/GuiDriver.h"

namespace vtl::guitest {
namespace {

constexpr DWORD kTimeout = 20000;
const std::filesystem::path kArtifacts = VTL_ARTIFACT_DIR;

class GuiDemoTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* display = std::getenv("DISPLAY");
        if (display == nullptr || *display == '\0') GTEST_SKIP() << "no display";
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Vantrel Demo");
        UseUnmanagedWindows(L"vtl_ui_demo.exe");
        demo = Process::Start(L"\"" + BesideThisProgram(L"vtl_ui_demo.exe") + L"\"");
        ASSERT_TRUE(demo.has_value());
        form = WaitForTopWindow(demo->Id(), L"VtlForm", L"Vantrel UI Demo", kTimeout);
        ASSERT_NE(form, nullptr) << "the demo window did not appear";
        ASSERT_NE(list = FindChild(form, L"SysListView32"), nullptr);
        ASSERT_NE(status = FindChild(form, L"msctls_statusbar32"), nullptr);
    }
    void TearDown() override {
        if (demo) demo->Terminate();
    }

    std::optional<Process> demo;
    HWND form = nullptr;
    HWND list = nullptr;
    HWND status = nullptr;
};

TEST_F(GuiDemoTest, ShowsTheModelsAndTakesInputFromOutside) {
    // The list: columns, rows sorted by name with their sub-items.
    EXPECT_EQ(ReadListViewColumns(list),
              (std::vector<std::wstring>{L"Service Name", L"Display Name", L"Status",
                                         L"Startup Type", L"Logon As"}));
    Rows rows = ReadListView(list);
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[0], (std::vector<std::wstring>{L"alerter", L"Alerter", L"Stopped", L"Manual",
                                                  L"LocalSystem"}));
    EXPECT_EQ(rows[5][0], L"W32Time");
    std::vector<std::wstring> panels = ReadStatusBar(status);
    EXPECT_EQ(panels, (std::vector<std::wstring>{L"Done", L"Running", L"Manual Stopped",
                                                 L"Auto Stopped/Disabled", L"Total Services : 6"}));

    // The computer box: its items, and a pick from outside.
    const HWND combo = FindChild(form, L"ComboBox");
    int selected = -2;
    EXPECT_EQ(ReadComboBox(combo, &selected),
              (std::vector<std::wstring>{L"LOCALHOST", L"SERVER2"}));
    EXPECT_EQ(selected, 0);
    ASSERT_TRUE(SelectComboItem(combo, 1));
    EXPECT_TRUE(WaitFor([&] { return Text(combo) == L"SERVER2"; }, kTimeout));

    // The timer ticks.
    HWND ticks = nullptr;
    for (HWND h : Descendants(form, L"Static"))
        if (Text(h).starts_with(L"Ticks : ")) ticks = h;
    ASSERT_NE(ticks, nullptr);
    EXPECT_TRUE(WaitFor(
        [&] {
            const std::wstring t = Text(ticks);
            return t.size() > 8 && std::stoi(t.substr(8)) >= 3;
        },
        kTimeout))
        << "timer text: " << Text(ticks);

    // F5 is View > Refresh: a row joins in sort order; the count follows.
    ASSERT_TRUE(PressKey(form, VK_F5));
    ASSERT_TRUE(WaitFor([&] { return ListViewCount(list) == 7; }, kTimeout));
    rows = ReadListView(list);
    EXPECT_EQ(rows[0][0], L"Added1");
    EXPECT_TRUE(
        WaitFor([&] { return ReadStatusBar(status)[4] == L"Total Services : 7"; }, kTimeout));

    // The menu item does the same.
    ASSERT_TRUE(ChooseMenuItem(form, L"&View|&Refresh"));
    ASSERT_TRUE(WaitFor([&] { return ListViewCount(list) == 8; }, kTimeout));

    // A toolbar button acts on the selected row.
    const HWND startBar = FindChild(form, L"ToolbarWindow32", 0);
    ASSERT_NE(startBar, nullptr);
    const std::vector<ToolbarButtonInfo> buttons = ReadToolbar(startBar);
    ASSERT_EQ(buttons.size(), 1u);
    EXPECT_TRUE(buttons[0].enabled);
    rows = ReadListView(list);
    int alerter = -1;
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (rows[i][0] == L"alerter") alerter = static_cast<int>(i);
    ASSERT_GE(alerter, 0);
    ASSERT_TRUE(SelectListViewRow(list, alerter));
    EXPECT_EQ(ListViewSelection(list), (std::vector<int>{alerter}));
    ASSERT_TRUE(ClickToolbarButton(startBar, 0));
    EXPECT_TRUE(WaitFor([&] { return ReadStatusBar(status)[0] == L"Start pressed"; }, kTimeout));
    EXPECT_TRUE(WaitFor([&] { return ReadListView(list)[alerter][2] == L"Running"; }, kTimeout));
    const HWND createBar = FindChild(form, L"ToolbarWindow32", 1);
    ASSERT_NE(createBar, nullptr);
    EXPECT_EQ(ReadToolbar(createBar).at(0).text, L"Create ");

    // Help > About shows a message box with CR turned into line breaks.
    ASSERT_TRUE(ChooseMenuItem(form, L"&Help|&About "));
    HWND box = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (box = FindMessageBox(demo->Id())) != nullptr; }, kTimeout));
    EXPECT_EQ(Text(box), L"Vantrel");
    EXPECT_EQ(MessageBoxText(box),
              L"Vantrel UI demo\r\nControl models shown by the Win32 renderer.");
    Sleep(500);  // let Wine finish painting the box for the picture
    SaveScreenshot(kArtifacts / "ui-demo-msgbox.png");
    ASSERT_TRUE(AnswerMessageBox(box, IDOK));
    EXPECT_TRUE(WaitFor([&] { return FindMessageBox(demo->Id()) == nullptr; }, kTimeout));

    // Resizing the window resizes the list (the form's resize handler): 8 pixels in from
    // each side, down to 420 twips above the inner bottom.
    ASSERT_TRUE(MoveWindowTo(form, 40, 30, 760, 520));
    RECT lv{};
    POINT bottom{};
    EXPECT_TRUE(WaitFor(
        [&] {
            lv = WindowRect(list);
            bottom = {0, ClientRect(form).bottom};
            ClientToScreen(form, &bottom);
            return lv.right - lv.left == ClientRect(form).right - 2 * 8 &&
                   bottom.y - lv.bottom == MulDiv(420, 96, 1440);
        },
        kTimeout))
        << "list " << lv.left << "-" << lv.right << " above " << bottom.y - lv.bottom << " px";
    const RECT bar = WindowRect(status);
    EXPECT_EQ(bar.right - bar.left, ClientRect(form).right) << "status bar spans the window";
    EXPECT_LE(lv.bottom, bar.top);
    Sleep(300);
    EXPECT_TRUE(SaveScreenshot(kArtifacts / "ui-demo-main.png"));

    // The dialog with pages.
    ASSERT_TRUE(ClickButton(FindChildByText(form, L"Button", L"Show &Pages")));
    const HWND pages = WaitForTopWindow(demo->Id(), L"VtlForm", L"Demo Pages", kTimeout);
    ASSERT_NE(pages, nullptr);
    const HWND name = FindChild(pages, L"Edit", 0);
    EXPECT_EQ(Text(name), L"Print Spooler");
    ASSERT_TRUE(TypeIntoEdit(name, L"Spooler \u00e9t\u00e9"));
    EXPECT_EQ(Text(name), L"Spooler \u00e9t\u00e9");
    EXPECT_EQ(Text(FindChild(pages, L"Edit", 1)), L"Loads files to memory\r\nfor later printing.");
    Sleep(300);
    EXPECT_TRUE(SaveScreenshot(kArtifacts / "ui-demo-pages.png"));
    // The second page: its frame of options shows, the first page goes.
    const HWND tabs = FindChild(pages, L"SysTabControl32");
    ASSERT_TRUE(ClickTab(tabs, 1));
    const HWND system = FindChildByText(pages, L"Button", L"&System Account");
    ASSERT_NE(system, nullptr);
    EXPECT_TRUE(
        WaitFor([&] { return IsWindowVisible(system) && !IsWindowVisible(name); }, kTimeout));
    EXPECT_EQ(SendMessageW(system, BM_GETCHECK, 0, 0), BST_CHECKED);
    Sleep(300);
    EXPECT_TRUE(SaveScreenshot(kArtifacts / "ui-demo-logon.png"));

    // Closing the main window closes the dialog first, writes the size and ends.
    ASSERT_TRUE(CloseTopWindow(form));
    ASSERT_TRUE(demo->WaitForExit(kTimeout));
    EXPECT_EQ(demo->ExitCode(), 0u);
    wchar_t width[16] = {};
    DWORD bytes = sizeof(width);
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, L"Software\\Vantrel Demo\\Settings", L"MainWidth",
                           RRF_RT_REG_SZ, nullptr, width, &bytes),
              ERROR_SUCCESS);
    EXPECT_EQ(std::stoi(width), MulDiv(760, 1440, 96));
}

}  // namespace
}  // namespace vtl::guitest
