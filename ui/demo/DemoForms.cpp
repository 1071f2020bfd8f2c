#include "ui/demo/DemoForms.h"

#include <algorithm>
#include <array>

#include "ui/UiHost.h"

namespace vtl::ui::demo {

namespace {
struct DemoService {
    const char* name;
    const char* display;
    const char* status;
    const char* startup;
    int icon;
};
constexpr std::array<DemoService, 6> kServices = {{
    {"Spooler", "Print Spooler", "Running", "Automatic", 1},
    {"alerter", "Alerter", "Stopped", "Manual", 2},
    {"W32Time", "Windows Time", "Stopped", "Automatic", 3},
    {"Browser", "Computer Browser", "Start Pending", "Automatic", 4},
    {"EventLog", "Event Log", "Running", "Automatic", 1},
    {"Dhcp", "DHCP Client", "Stopped", "Disabled", 3},
}};
constexpr int kMargin = 120;
}  // namespace

// ---------------------------------------------------------------------------

frmDemoPages::frmDemoPages(UiHost& host) : Form(host, "frmDemoPages") {
    SetCaption("Demo Pages");
    SetBorderStyle(FormBorderStyle::FixedDialog);
    SetStartUpPosition(StartUpPosition::CenterOwner);
    Move(0, 0, 6300, 5400);
    tabPages.Move(120, 120, 5950, 4000);
    tabPages.AddTab({"General", "&General", "General properties"});
    tabPages.AddTab({"Logon", "&Logon", "Logon properties"});
    for (PictureBox* page : {&picGeneral, &picLogon}) {
        page->SetBorderStyle(BorderStyle::None);
        page->Move(240, 540, 5700, 3450);
    }
    lblName.Move(120, 180, 1700, 300);
    txtName.Move(1850, 120, 3700, 315);
    lblDesc.Move(120, 600, 1700, 300);
    txtDesc.Move(1850, 540, 3700, 900);
    txtDesc.SetMultiLine(true);
    lblStartup.Move(120, 1620, 1700, 300);
    cboStartupType.Move(1850, 1560, 2000, 315);
    for (const char* t : {"Manual", "Automatic", "Disabled"})
        cboStartupType.AddItem(t);
    cboStartupType.SetListIndex(1);
    txtName.SetText("Print Spooler");
    txtDesc.SetText("Loads files to memory\rfor later printing.");

    picLogon.SetVisible(false);
    fraLogon.Move(120, 120, 5400, 2700);
    optSysAcc.Move(240, 360, 2600, 300);
    optThisAcc.Move(240, 780, 2600, 300);
    lblAccount.Move(480, 1230, 1500, 300);
    txtAccName.Move(2000, 1180, 3100, 315);
    lblPassword.Move(480, 1680, 1500, 300);
    txtPasswd.Move(2000, 1630, 3100, 315);
    txtPasswd.SetPasswordChar('*');
    chkInteract.Move(240, 2180, 3000, 300);
    optSysAcc.SetValue(true);
    chkInteract.SetValue(CheckValue::Checked);
    txtAccName.SetEnabled(false);
    txtPasswd.SetEnabled(false);
    txtAccName.SetBackColor(kColorButtonFace);
    txtPasswd.SetBackColor(kColorButtonFace);

    cmdOK.Move(3480, 4320, 1215, 375);
    cmdOK.SetDefault(true);
    cmdClose.Move(4860, 4320, 1215, 375);
    cmdClose.SetCancel(true);

    tabPages.onClick = [this] { tabPages_Click(); };
    optSysAcc.onClick = [this] { optAccount_Click(); };
    optThisAcc.onClick = [this] { optAccount_Click(); };
    cmdOK.onClick = [this] { Unload(); };
    cmdClose.onClick = [this] { Unload(); };
}

void frmDemoPages::tabPages_Click() {
    const Tab* tab = tabPages.SelectedTab();
    picGeneral.SetVisible(tab != nullptr && tab->key == "General");
    picLogon.SetVisible(tab != nullptr && tab->key == "Logon");
}

void frmDemoPages::optAccount_Click() {
    const bool account = optThisAcc.Value();
    for (TextBox* t : {&txtAccName, &txtPasswd}) {
        t->SetEnabled(account);
        t->SetBackColor(account ? std::optional<Color>() : std::optional<Color>(kColorButtonFace));
    }
}

// ---------------------------------------------------------------------------

frmDemo::frmDemo(UiHost& host) : Form(host, "frmDemo") {
    Move(0, 0, 10200, 6900);
    SetStartUpPosition(StartUpPosition::CenterScreen);
    SetIcon("AppIcon");
    lblSystems.Move(kMargin, 165, 1000, 300);
    cboSystems.Move(1150, 120, 2600, 315);
    cmdPages.Move(3900, 100, 1600, 360);
    for (const char* key : {"Start", "Stop", "Restart", "Properties", "Create", "Remove", "Help"})
        imlToolbarIcons.Add(key);
    for (const char* key : {"Active", "Inactive", "Disabled", "Busy"})
        imlServiceIcons.Add(key);
    tbStart.Move(kMargin, 560, 500, 420);
    tbStart.SetImageList(&imlToolbarIcons);
    tbStart.AddButton({"Start", "", "Start a service", 1});
    tbCreate.Move(660, 560, 1300, 420);
    tbCreate.SetImageList(&imlToolbarIcons);
    tbCreate.AddButton({"Create", "Create ", "Create new service", 5});
    lblTicks.Move(2200, 640, 2000, 300);
    lvServices.Move(kMargin, 1080, 9800, 4000);
    lvServices.SetMultiSelect(true);
    lvServices.SetKeyIndex(true);
    lvServices.SetSmallIcons(&imlServiceIcons);
    const std::array<int, 5> widths = {1700, 2300, 1300, 1500, 1600};
    const std::array<const char*, 5> captions = {"Service Name", "Display Name", "Status",
                                                 "Startup Type", "Logon As"};
    for (int c = 0; c < 5; ++c)
        lvServices.AddColumn("", captions[c], widths[c]);
    sbStatusBar.SetImageList(&imlServiceIcons);
    sbStatusBar.AddPanel({"", "Status", 2600, 1500, PanelAutoSize::Spring});
    sbStatusBar.AddPanel({"", "", 1300, 1300});
    sbStatusBar.AddPanel({"", "", 1900, 1900});
    sbStatusBar.AddPanel({"", "", 2500, 2500});
    sbStatusBar.AddPanel({"", "", 2000, 2000});
    mnuPopup.SetVisible(false);

    onLoad = [this] { Form_Load(); };
    onResize = [this] { Form_Resize(); };
    onUnload = [this](bool&) { Form_Unload(); };
    mnuExit.onClick = [this] { Unload(); };
    mnuViewRefresh.onClick = [this] { mnuViewRefresh_Click(); };
    mnuHelpAbout.onClick = [this] { mnuHelpAbout_Click(); };
    mnuPopStart.onClick = [this] { mnuPopStart_Click(); };
    mnuPopRemove.onClick = [this] { mnuPopRemove_Click(); };
    tbStart.onButtonClick = [this](const ToolbarButton& b) { tbStart_ButtonClick(b); };
    tbCreate.onButtonClick = [this](const ToolbarButton& b) { tbCreate_ButtonClick(b); };
    lvServices.onColumnClick = [this](int c) { lvServices_ColumnClick(c); };
    lvServices.onMouseDown = [this](const ListMouseEvent& e) { lvServices_MouseDown(e); };
    tmrTick.onTick = [this] { tmrTick_Timer(); };
    cmdPages.onClick = [this] {
        if (pages != nullptr) pages->Show(this);
    };
}

void frmDemo::Form_Load() {
    SetCaption("Vantrel UI Demo");
    cboSystems.AddItem("LOCALHOST");
    cboSystems.AddItem("SERVER2");
    cboSystems.SetText("LOCALHOST");
    lvServices.BeginUpdate();
    for (const DemoService& s : kServices)
        lvServices.AddRowCells({s.name, s.display, s.status, s.startup, "LocalSystem"}, s.icon);
    lvServices.EndUpdate();
    sbStatusBar.SetPanelImage(1, 1);
    sbStatusBar.SetPanelText(1, "Running");
    sbStatusBar.SetPanelImage(2, 2);
    sbStatusBar.SetPanelText(2, "Manual Stopped");
    sbStatusBar.SetPanelImage(3, 3);
    sbStatusBar.SetPanelText(3, "Auto Stopped/Disabled");
    lvServices_ColumnClick(0);
    ShowCount();
    sbStatusBar.SetPanelText(0, "Done");
}

void frmDemo::Form_Resize() {
    if (GetWindowState() == WindowState::Minimized) return;
    lvServices.SetWidth(std::max(ScaleWidth() - 2 * kMargin, 0));
    lvServices.SetHeight(std::max(ScaleHeight() - lvServices.Top() - 420, 0));
}

void frmDemo::Form_Unload() {
    // Close the other windows, newest first, then keep the size.
    std::vector<Form*> others = Host().OpenForms();
    for (auto it = others.rbegin(); it != others.rend(); ++it) {
        if (*it != this) (*it)->Unload();
    }
    Host().SaveSetting(kDemoSettingsApp, "Settings", "MainWidth", std::to_string(Width()));
    Host().SaveSetting(kDemoSettingsApp, "Settings", "MainHeight", std::to_string(Height()));
}

void frmDemo::ShowCount() {
    sbStatusBar.SetPanelText(4, "Total Services : " + std::to_string(lvServices.RowCount()));
}

void frmDemo::mnuViewRefresh_Click() {
    ++added_;
    const std::string name = "Added" + std::to_string(added_);
    lvServices.AddRowCells(
        {name, "Added service " + std::to_string(added_), "Stopped", "Manual", "LocalSystem"}, 2);
    ShowCount();
}

void frmDemo::mnuHelpAbout_Click() {
    MsgBox("Vantrel UI demo\rControl models shown by the Win32 renderer.", MsgButtons::OK,
           MsgIcon::Information);
}

void frmDemo::mnuPopStart_Click() {
    const ListRowId row = lvServices.SelectedItem();
    if (!row) return;
    lvServices.SetSubItem(row, 2, "Running");
    lvServices.SetSmallIcon(row, 1);
}

void frmDemo::mnuPopRemove_Click() {
    const ListRowId row = lvServices.SelectedItem();
    if (!row) return;
    lvServices.RemoveRow(row);
    ShowCount();
}

void frmDemo::tbStart_ButtonClick(const ToolbarButton& button) {
    if (button.key != "Start") return;
    sbStatusBar.SetPanelText(0, "Start pressed");
    mnuPopStart_Click();
}

void frmDemo::tbCreate_ButtonClick(const ToolbarButton& button) {
    if (button.key == "Create") sbStatusBar.SetPanelText(0, "Create pressed");
}

void frmDemo::lvServices_ColumnClick(int column) {
    lvServices.SetSortKey(column);
    lvServices.SetSortOrder(SortOrder::Ascending);
    lvServices.SetSorted(true);
}

void frmDemo::lvServices_MouseDown(const ListMouseEvent& e) {
    if (e.button != MouseButton::Right || !e.row) return;
    lvServices.SetSelected(e.row, true);
    mnuPopRemove.SetEnabled(lvServices.SelectedCount() == 1);
    PopupMenu(mnuPopup);
}

void frmDemo::tmrTick_Timer() {
    ++ticks;
    lblTicks.SetCaption("Ticks : " + std::to_string(ticks));
}

}  // namespace vtl::ui::demo
