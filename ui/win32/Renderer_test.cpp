// The renderer in this process: models mirrored into real controls, user input
// (as the controls report it) back into the models. Needs a display.

#include "core/win32/Windows.h"
// After Windows.h.
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/win32/WinString.h"
#include "ui/Bars.h"
#include "ui/Form.h"
#include "ui/ImageList.h"
#include "ui/ListControls.h"
#include "ui/ListView.h"
#include "ui/Menu.h"
#include "ui/win32/Dpi.h"
#include "ui/win32/Win32Host.h"
#include "ui/win32/Win32Prompter.h"
#include "ui/win32/testing/GuiDriver.h"

namespace vtl::ui::win32 {
namespace {

using vtl::win32::Narrow;
using namespace vtl::guitest;

bool HaveDisplay() {
    const char* d = std::getenv("DISPLAY");
    return d != nullptr && *d != '\0';
}

std::string ItemText(HWND lv, int item, int sub = 0) {
    return Narrow(ReadListView(lv).at(item).at(sub));
}

class frmTest : public Form {
  public:
    explicit frmTest(UiHost& host) : Form(host, "frmTest") {
        SetCaption("Renderer test");
        Move(0, 0, 9000, 6000);
        iml.Add("Active");
        iml.Add("Inactive");
        lv.Move(120, 600, 8000, 3000);
        lv.SetSmallIcons(&iml);
        lv.SetMultiSelect(true);
        lv.AddColumn("a", "Service Name", 2000);
        lv.AddColumn("b", "Status", 2000);
        cbo.Move(120, 120, 2400, 315);
        cbo.AddItem("HOST1");
        cbo.AddItem("HOST2");
        txt.Move(2700, 120, 2400, 600);
        txt.SetMultiLine(true);
        sb.AddPanel({"", "Status", 3000, 3000, PanelAutoSize::Spring});
        sb.AddPanel({"", "", 2000, 2000});
        sb.SetImageList(&iml);
        tb.Move(5400, 120, 1200, 400);
        tb.SetImageList(&iml);
        tb.AddButton({"Active", "", "", 1});
        mnuView.SetCaption("&View");
        cbo.onClick = [this] { clicks.push_back("cbo " + cbo.Text()); };
        txt.onChange = [this] { clicks.push_back("txt"); };
        lv.onItemClick = [this](ListRowId) { clicks.push_back("item"); };
        lv.onColumnClick = [this](int c) { clicks.push_back("column " + std::to_string(c)); };
        mnuRefresh.onClick = [this] { clicks.push_back("refresh"); };
        tabs.Move(120, 3700, 3000, 1200);
        tabs.AddTab({"One", "&One", "First"});
        tabs.AddTab({"Two", "&Two", "Second"});
        tabs.SetSelectedIndex(0);
        tabs.onClick = [this] { clicks.push_back(tabs.SelectedTab()->key); };
    }
    ImageList iml{*this, "iml"};
    ComboBox cbo{*this, "cbo", ComboStyle::DropDownList};
    TextBox txt{*this, "txt"};
    ListView lv{*this, "lv"};
    StatusBar sb{*this, "sb"};
    Toolbar tb{*this, "tb"};
    MenuItem mnuView{*this, "mnuView", "View"};
    MenuItem mnuRefresh{mnuView, "mnuRefresh", "&Refresh", Shortcut::F(5)};
    TabStrip tabs{*this, "tabs"};
    std::vector<std::string> clicks;
};

class RendererTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!HaveDisplay()) GTEST_SKIP() << "no display";
        host = std::make_unique<Win32Host>("Vantrel");
        form = std::make_unique<frmTest>(*host);
        form->Show();
        hwnd = FindWindowW(L"VtlForm", L"Renderer test");
        ASSERT_NE(hwnd, nullptr);
        lv = FindChild(hwnd, WC_LISTVIEWW);
        ASSERT_NE(lv, nullptr);
    }
    void TearDown() override {
        form.reset();
        host.reset();
    }
    std::unique_ptr<Win32Host> host;
    std::unique_ptr<frmTest> form;
    HWND hwnd = nullptr;
    HWND lv = nullptr;
};

TEST_F(RendererTest, ListViewFollowsTheModelInPlace) {
    ListView& m = form->lv;
    m.SetSorted(true);
    const ListRowId b = m.AddRowCells({"beta", "Stopped"}, 2);
    const ListRowId a = m.AddRowCells({"Alpha", "Running"}, 1);
    m.AddRowCells({"gamma", "Running"}, 1);
    EXPECT_EQ(ReadListView(lv),
              (Rows{{L"Alpha", L"Running"}, {L"beta", L"Stopped"}, {L"gamma", L"Running"}}));
    m.SetSortKey(1);
    EXPECT_EQ(ReadListView(lv),
              (Rows{{L"Alpha", L"Running"}, {L"gamma", L"Running"}, {L"beta", L"Stopped"}}));
    m.SetSubItem(a, 1, "Starting");
    m.SetFocusedRow(b);
    m.RemoveRow(b);
    EXPECT_EQ(ReadListView(lv), (Rows{{L"Alpha", L"Starting"}, {L"gamma", L"Running"}}));
    EXPECT_EQ(SendMessageW(lv, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED), -1);

    // The header's arrow follows the sort; a filter leaves the matching items, and
    // a hidden row's changes never reach another item.
    const HWND header = reinterpret_cast<HWND>(SendMessageW(lv, LVM_GETHEADER, 0, 0));
    const auto arrow = [&](int column) {
        HDITEMW h{};
        h.mask = HDI_FORMAT;
        SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(column),
                     reinterpret_cast<LPARAM>(&h));
        return h.fmt & (HDF_SORTUP | HDF_SORTDOWN);
    };
    EXPECT_EQ(arrow(1), HDF_SORTUP);
    m.SetSortOrder(SortOrder::Descending);
    EXPECT_EQ(arrow(1), HDF_SORTDOWN);
    EXPECT_EQ(arrow(0), 0);
    m.SetFilter("GAM", {0});
    m.SetSubItem(a, 1, "Hidden");
    m.SetSmallIcon(a, 2);
    EXPECT_EQ(ReadListView(lv), (Rows{{L"gamma", L"Running"}}));
    m.SetFilter("", {0});
    ASSERT_EQ(ListViewCount(lv), 2);
    EXPECT_EQ(ItemText(lv, m.PositionOf(a), 1), "Hidden");

    // Selection both ways: the model's into the control, the control's into the model.
    m.SetSelected(a, true);
    EXPECT_EQ(
        SendMessageW(lv, LVM_GETITEMSTATE, static_cast<WPARAM>(m.PositionOf(a)), LVIS_SELECTED),
        static_cast<LRESULT>(LVIS_SELECTED));
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    const ListRowId other = m.RowAt(m.PositionOf(a) == 0 ? 1 : 0);
    SendMessageW(lv, LVM_SETITEMSTATE, static_cast<WPARAM>(m.PositionOf(other)),
                 reinterpret_cast<LPARAM>(&state));
    EXPECT_TRUE(m.Selected(other));
    EXPECT_EQ(m.FocusedRow(), other);
    EXPECT_EQ(m.SelectedCount(), 2);
    EXPECT_EQ(m.SelectedItem(), other);

    m.BeginUpdate();
    for (int i = 0; i < 200; ++i)
        m.AddRow("row" + std::to_string(i), 2);
    m.EndUpdate();
    EXPECT_EQ(ListViewCount(lv), 202);
    m.Clear();
    EXPECT_EQ(ListViewCount(lv), 0);
    EXPECT_EQ(m.SelectedCount(), 0);
}

TEST_F(RendererTest, ControlsReportUserInputToTheModels) {
    // A pick in the combo box is the model's user action.
    const HWND cbo = FindChild(hwnd, L"ComboBox");
    ASSERT_NE(cbo, nullptr);
    SendMessageW(cbo, CB_SETCURSEL, 1, 0);
    SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(cbo), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(cbo));
    EXPECT_EQ(form->cbo.Text(), "HOST2");
    form->cbo.SetText("host1");
    EXPECT_EQ(SendMessageW(cbo, CB_GETCURSEL, 0, 0), 0);

    // Typing into a multi-line box: CR LF comes back as CR.
    const HWND edit = FindChild(hwnd, L"Edit");
    ASSERT_TRUE(TypeIntoEdit(edit, L"one\r\ntwo"));
    EXPECT_EQ(form->txt.Text(), "one\rtwo");
    form->txt.SetText("a\rb");
    EXPECT_EQ(Text(edit), L"a\r\nb");
    EXPECT_EQ(form->clicks, (std::vector<std::string>{"cbo HOST2", "txt"}));

    // Column header clicks.
    NMLISTVIEW nm{};
    nm.hdr.hwndFrom = lv;
    nm.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(lv));
    nm.hdr.code = LVN_COLUMNCLICK;
    nm.iItem = -1;
    nm.iSubItem = 1;
    SendMessageW(hwnd, WM_NOTIFY, nm.hdr.idFrom, reinterpret_cast<LPARAM>(&nm));
    EXPECT_EQ(form->clicks.back(), "column 1");

    // Status panels with their icons; the F5 accelerator runs the menu item.
    const HWND sb = FindChild(hwnd, STATUSCLASSNAMEW);
    form->sb.SetPanelText(1, "Running");
    form->sb.SetPanelImage(1, 1);
    EXPECT_EQ(ReadStatusBar(sb), (std::vector<std::wstring>{L"Status", L"Running"}));
    EXPECT_NE(SendMessageW(sb, SB_GETICON, 1, 0), 0);
    PostMessageW(lv, WM_KEYDOWN, VK_F5, 1);
    host->DoEvents();
    EXPECT_EQ(form->clicks.back(), "refresh");
    form->mnuRefresh.SetEnabled(false);
    form->clicks.clear();
    PostMessageW(lv, WM_KEYDOWN, VK_F5, 1);
    host->DoEvents();
    EXPECT_TRUE(form->clicks.empty());
}

// A tab strip takes Alt and the access key of a tab's caption.
TEST_F(RendererTest, TabsAnswerTheirAccessKeys) {
    const HWND tab = FindChild(hwnd, WC_TABCONTROLW);
    ASSERT_NE(tab, nullptr);
    PostMessageW(tab, WM_SYSCHAR, L't', 1 << 29);
    host->DoEvents();
    EXPECT_EQ(form->tabs.SelectedIndex(), 1);
    EXPECT_EQ(SendMessageW(tab, TCM_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(form->clicks, (std::vector<std::string>{"Two"}));
    form->tabs.SetEnabled(false);
    PostMessageW(tab, WM_SYSCHAR, L'o', 1 << 29);
    host->DoEvents();
    EXPECT_EQ(form->tabs.SelectedIndex(), 1) << "a disabled strip takes no keys";
}

TEST_F(RendererTest, ListMouseEventsCarryTheRowUnderThePointer) {
    ListView& m = form->lv;
    const ListRowId first = m.AddRowCells({"first", "Running"}, 1);
    m.AddRowCells({"second", "Stopped"}, 2);
    std::vector<std::string> seen;
    m.onMouseDown = [&](const ListMouseEvent& e) {
        seen.push_back(std::string("down ") + (e.button == MouseButton::Left ? "left" : "right") +
                       (e.row == first ? " first"
                        : e.row        ? " other"
                                       : " none"));
    };
    m.onMouseUp = [&](const ListMouseEvent& e) {
        seen.push_back(std::string("up ") + (e.row == first ? "first" : e.row ? "other" : "none"));
    };
    m.onDblClick = [&] { seen.push_back("dblclick"); };
    const RECT item = ListViewItemRect(lv, 0);
    const LPARAM onFirst = MAKELPARAM(item.left + 30, (item.top + item.bottom) / 2);
    const LPARAM below = MAKELPARAM(30, ClientRect(lv).bottom - 5);
    // The list waits in its own loop for the release after a press: it is queued first,
    // as a real click's would be.
    PostMessageW(lv, WM_LBUTTONUP, 0, onFirst);
    SendMessageW(lv, WM_LBUTTONDOWN, MK_LBUTTON, onFirst);
    host->DoEvents();
    EXPECT_TRUE(m.Selected(first));  // the list selected it, the model knows
    PostMessageW(lv, WM_RBUTTONUP, 0, below);
    SendMessageW(lv, WM_RBUTTONDOWN, MK_RBUTTON, below);
    host->DoEvents();
    SendMessageW(lv, WM_LBUTTONDBLCLK, MK_LBUTTON, onFirst);
    SendMessageW(lv, WM_LBUTTONUP, 0, onFirst);
    host->DoEvents();
    // Each press is reported once with its release, whether or not the list's own
    // loop swallowed the release.
    EXPECT_EQ(seen, (std::vector<std::string>{"down left first", "up first", "down right none",
                                              "up none", "dblclick", "up first"}));
    EXPECT_NE(std::find(form->clicks.begin(), form->clicks.end(), "item"), form->clicks.end());
}

// What a DPI change touches, read from the real controls.
struct DpiLayout {
    std::array<LONG, 4> frame, list;  // screen; form's client area
    int column0, column1, fontHeight, listIcon, toolbarButtonHeight, statusHeight;
    bool operator==(const DpiLayout&) const = default;
};

DpiLayout ReadLayout(HWND form, HWND list) {
    DpiLayout l{};
    RECT r = WindowRect(form);
    l.frame = {r.left, r.top, r.right, r.bottom};
    r = WindowRect(list);
    MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&r), 2);
    l.list = {r.left, r.top, r.right, r.bottom};
    l.column0 = static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0));
    l.column1 = static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, 1, 0));
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)), sizeof(font), &font);
    l.fontHeight = static_cast<int>(font.lfHeight);
    int cx = 0, cy = 0;
    ImageList_GetIconSize(
        reinterpret_cast<HIMAGELIST>(SendMessageW(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0)), &cx,
        &cy);
    l.listIcon = cx;
    l.toolbarButtonHeight =
        HIWORD(SendMessageW(FindChild(form, TOOLBARCLASSNAMEW), TB_GETBUTTONSIZE, 0, 0));
    r = WindowRect(FindChild(form, STATUSCLASSNAMEW));
    l.statusHeight = r.bottom - r.top;
    return l;
}

// A move to a monitor of another DPI: the window takes the frame Windows suggests
// and every control is laid out again at the new DPI (a column the user widened
// keeps its share); moving back gives every pixel back.
TEST_F(RendererTest, ADpiChangeLaysEveryControlOutAgain) {
    const int dpi = WindowDpi(hwnd);
    const int to = dpi == 144 ? 192 : 144;
    SendMessageW(lv, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(200, 0));  // as the user dragged it
    const DpiLayout before = ReadLayout(hwnd, lv);
    const int formWidth = form->Width();
    auto moveTo = [&](int newDpi, std::array<LONG, 4> frame) {
        RECT r{frame[0], frame[1], frame[2], frame[3]};
        SendMessageW(hwnd, WM_DPICHANGED, MAKEWPARAM(newDpi, newDpi), reinterpret_cast<LPARAM>(&r));
        host->DoEvents();
    };
    const std::array<LONG, 4> suggested = {
        before.frame[0] + 40, before.frame[1],
        before.frame[0] + 40 + ScaleToDpi(before.frame[2] - before.frame[0], dpi, to),
        before.frame[1] + ScaleToDpi(before.frame[3] - before.frame[1], dpi, to)};
    moveTo(to, suggested);
    const DpiLayout after = ReadLayout(hwnd, lv);
    EXPECT_EQ(after.frame, suggested);
    const Control& l = form->lv;
    EXPECT_EQ(after.list,
              (std::array<LONG, 4>{TwipsToPixels(l.Left(), to), TwipsToPixels(l.Top(), to),
                                   TwipsToPixels(l.Left() + l.Width(), to),
                                   TwipsToPixels(l.Top() + l.Height(), to)}));
    EXPECT_EQ(after.column0, ScaleToDpi(200, dpi, to));
    EXPECT_EQ(after.column1, TwipsToPixels(2000, to));
    EXPECT_NEAR(after.fontHeight, ScaleToDpi(before.fontHeight, dpi, to), 1);
    EXPECT_EQ(after.listIcon, ArtworkIconSize(16, to));
    EXPECT_GE(after.toolbarButtonHeight,
              before.toolbarButtonHeight + after.listIcon - before.listIcon);
    EXPECT_GT(after.statusHeight, before.statusHeight);
    EXPECT_NEAR(form->Width(), formWidth, PixelsToTwips(1, to));  // the model's twips stay
    for (HWND child : Descendants(hwnd)) {
        const auto font = reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0));
        LOGFONTW lf{};
        if (font != nullptr && GetObjectW(font, sizeof(lf), &lf) != 0) {
            EXPECT_EQ(lf.lfHeight, after.fontHeight) << Narrow(ClassName(child));
        }
    }
    SaveScreenshot(std::filesystem::path(VTL_ARTIFACT_DIR) / "ui-dpi-changed.png", hwnd);

    moveTo(dpi, before.frame);
    EXPECT_EQ(ReadLayout(hwnd, lv), before);
}

// Before this program's first window: no waiting for a window manager (see
// UseUnmanagedWindows).
const bool kUnmanaged = [] {
    UseUnmanagedWindows();
    return true;
}();

class frmPicture : public Form {
  public:
    explicit frmPicture(UiHost& host) : Form(host, "frmSplash") {
        SetCaption("Splash test");
        SetBorderStyle(FormBorderStyle::None);
        SetStartUpPosition(StartUpPosition::CenterScreen);
        Move(0, 0, 4950, 2550);  // 330 x 170 pixels at 96 DPI
        picSplash.SetBorderStyle(BorderStyle::None);
        picSplash.Move(0, 0, 4950, 2550);
        picSplash.SetPicture("Splash");
        tb.Move(0, 0, 600, 400);
        tb.SetImageList(&iml);
        iml.Add("Start");
        tb.AddButton({"Start", "", "Start a service", 1});
    }
    ImageList iml{*this, "iml"};
    PictureBox picSplash{*this, "picSplash"};
    Toolbar tb{picSplash, "tbStart"};
};

TEST(RendererPictures, SplashBitmapToolTipsAndHourglass) {
    if (!HaveDisplay()) GTEST_SKIP() << "no display";
    Win32Host host("Vantrel");
    frmPicture splash(host);
    splash.Show();
    splash.Refresh();
    for (int i = 0; i < 10; ++i) {
        host.DoEvents();
        Sleep(20);
    }
    const HWND hwnd = FindWindowW(L"VtlForm", L"Splash test");
    ASSERT_NE(hwnd, nullptr);
    const RECT r = WindowRect(hwnd);
    EXPECT_EQ(r.right - r.left, TwipsToPixels(4950, WindowDpi(hwnd)));
    SaveScreenshot(std::filesystem::path(VTL_ARTIFACT_DIR) / "ui-splash.png", hwnd);
    // The artwork's colours where the pictures has them: the green line under the
    // name and the blue background.
    HDC screen = GetDC(nullptr);
    const COLORREF line = GetPixel(screen, r.left + 200, r.top + 109);
    const COLORREF back = GetPixel(screen, r.left + 120, r.top + 160);
    ReleaseDC(nullptr, screen);
    EXPECT_GT(GetGValue(line), GetRValue(line) + 60) << std::hex << line;
    EXPECT_GT(GetGValue(line), GetBValue(line) + 60) << std::hex << line;
    EXPECT_GT(GetBValue(back), GetRValue(back) + 60) << std::hex << back;

    // The toolbar's tool tip comes from the model.
    const HWND toolbar = FindChild(hwnd, TOOLBARCLASSNAMEW);
    ASSERT_NE(toolbar, nullptr);
    const auto tips = reinterpret_cast<HWND>(SendMessageW(toolbar, TB_GETTOOLTIPS, 0, 0));
    ASSERT_NE(tips, nullptr);
    NMTTDISPINFOW info{};
    info.hdr.hwndFrom = tips;
    info.hdr.idFrom = 100;  // the first button's command
    info.hdr.code = TTN_GETDISPINFOW;
    SendMessageW(GetParent(toolbar), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
    ASSERT_NE(info.lpszText, nullptr);
    EXPECT_STREQ(info.lpszText, L"Start a service");

    // The hourglass holds over the window while the form asks for it.
    splash.SetMousePointer(MousePointer::Hourglass);
    EXPECT_TRUE(SendMessageW(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd),
                             MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_WAIT));
    splash.SetMousePointer(MousePointer::Default);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW));
    splash.Unload();
}

TEST(Dpi, TwipsAndPixelsAtADpi) {
    struct Row {
        int twips, dpi, pixels;
    };
    for (const Row& r :
         {Row{1440, 96, 96}, Row{1440, 144, 144}, Row{15, 96, 1}, Row{7, 96, 0}, Row{8, 96, 1},
          Row{-15, 144, -2}, Row{-7, 96, 0}, Row{4950, 144, 495}, Row{20'000'000, 192, 2'666'667}})
        EXPECT_EQ(TwipsToPixels(r.twips, r.dpi), r.pixels) << r.twips << " at " << r.dpi;
    // A frame read back into twips lands on the same pixel again, at any DPI (monitors
    // left of the main one have negative coordinates).
    for (int dpi : {96, 120, 144, 168, 192, 288})
        for (int px = -300; px <= 3000; ++px)
            ASSERT_EQ(TwipsToPixels(PixelsToTwips(px, dpi), dpi), px) << px << " at " << dpi;
}

TEST(Dpi, IconSizesFollowTheDpiAndAreNeverStretched) {
    struct Row {
        int design, dpi, size;
    };
    for (const Row& r :
         {Row{16, 96, 16}, Row{16, 120, 20}, Row{16, 144, 24}, Row{16, 168, 24}, Row{16, 192, 32},
          Row{16, 288, 32}, Row{16, 72, 16}, Row{20, 96, 20}, Row{32, 96, 32}})
        EXPECT_EQ(ArtworkIconSize(r.design, r.dpi), r.size) << r.design << " at " << r.dpi;
}

TEST(PlainComputerName, TakesPlainNamesOnly) {
    EXPECT_EQ(PlainComputerName("HOST"), "HOST");
    EXPECT_EQ(PlainComputerName("  \\\\host2 "), "host2");
    EXPECT_EQ(PlainComputerName(std::string("name\0rest", 9)), "name");
    EXPECT_EQ(PlainComputerName(""), std::nullopt);
    EXPECT_EQ(PlainComputerName("\\\\"), std::nullopt);
    EXPECT_EQ(PlainComputerName("host\\share"), std::nullopt);
    EXPECT_EQ(PlainComputerName("a b"), std::nullopt);
    EXPECT_EQ(PlainComputerName("C:"), std::nullopt);
    EXPECT_EQ(PlainComputerName(std::string(256, 'x')), std::nullopt);
}

}  // namespace
}  // namespace vtl::ui::win32
