#pragma once
// Two small windows built on the control models, for the renderer's own tests and
// as an example of how the program's windows are written: a services-like list
// with menus, toolbars, a status bar and a timer, and a dialog with a tab strip,
// pages, a frame of option buttons and text boxes.

#include <string>

#include "ui/Bars.h"
#include "ui/Control.h"
#include "ui/Form.h"
#include "ui/ImageList.h"
#include "ui/ListControls.h"
#include "ui/ListView.h"
#include "ui/Menu.h"
#include "ui/Timer.h"

namespace vtl::ui::demo {

inline constexpr const char* kDemoSettingsApp = "Vantrel Demo";

class frmDemoPages : public Form {
  public:
    explicit frmDemoPages(UiHost& host);

    TabStrip tabPages{*this, "tabPages"};
    PictureBox picGeneral{*this, "picPages", 0};
    Label lblName{picGeneral, "lblName", "Display &Name :"};
    TextBox txtName{picGeneral, "txtName"};
    Label lblDesc{picGeneral, "lblDesc", "Des&cription :"};
    TextBox txtDesc{picGeneral, "txtDesc"};
    Label lblStartup{picGeneral, "lblStartup", "Startup &Type :"};
    ComboBox cboStartupType{picGeneral, "cboStartupType", ComboStyle::DropDownList};
    PictureBox picLogon{*this, "picPages", 1};
    Frame fraLogon{picLogon, "fraLogon", "Log on as"};
    OptionButton optSysAcc{fraLogon, "optSysAcc", "&System Account"};
    OptionButton optThisAcc{fraLogon, "optThisAcc", "&This Account"};
    Label lblAccount{fraLogon, "lblAccount", "Account Name :"};
    TextBox txtAccName{fraLogon, "txtAccName"};
    Label lblPassword{fraLogon, "lblPassword", "Password :"};
    TextBox txtPasswd{fraLogon, "txtPasswd"};
    CheckBox chkInteract{fraLogon, "ChkInteract", "Interact with desktop"};
    CommandButton cmdOK{*this, "cmdOK", "OK"};
    CommandButton cmdClose{*this, "cmdClose", "&Cancel"};

  private:
    void tabPages_Click();
    void optAccount_Click();
};

class frmDemo : public Form {
  public:
    explicit frmDemo(UiHost& host);

    // The dialog cmdPages opens; set by whoever creates both.
    frmDemoPages* pages = nullptr;
    int ticks = 0;

    ImageList imlToolbarIcons{*this, "imlToolbarIcons"};
    ImageList imlServiceIcons{*this, "imlServiceIcons"};
    Label lblSystems{*this, "lblSystems", "&Computer :"};
    ComboBox cboSystems{*this, "cboSystems", ComboStyle::DropDownList};
    CommandButton cmdPages{*this, "cmdPages", "Show &Pages"};
    Toolbar tbStart{*this, "tbStart"};
    Toolbar tbCreate{*this, "tbCreate"};
    Label lblTicks{*this, "lblTicks", "Ticks : 0"};
    ListView lvServices{*this, "lvServices"};
    StatusBar sbStatusBar{*this, "sbStatusBar"};
    Timer tmrTick{*this, "tmrTick", 250, true};

    MenuItem mnuFile{*this, "mnuFile", "&File"};
    MenuItem mnuExit{mnuFile, "mnuExit", "E&xit"};
    MenuItem mnuView{*this, "mnuView", "&View"};
    MenuItem mnuViewRefresh{mnuView, "mnuViewRefresh", "&Refresh", Shortcut::F(5)};
    MenuItem mnuHelp{*this, "mnuHelp", "&Help"};
    MenuItem mnuHelpAbout{mnuHelp, "mnuHelpAbout", "&About "};
    MenuItem mnuPopup{*this, "mnuPopup", "Popup"};
    MenuItem mnuPopStart{mnuPopup, "mnuPopStart", "Start"};
    MenuItem mnuPopSep{mnuPopup, "mnuPopSep", "-"};
    MenuItem mnuPopRemove{mnuPopup, "mnuPopRemove", "Remove"};

  private:
    void Form_Load();
    void Form_Resize();
    void Form_Unload();
    void mnuViewRefresh_Click();
    void mnuHelpAbout_Click();
    void mnuPopStart_Click();
    void mnuPopRemove_Click();
    void tbStart_ButtonClick(const ToolbarButton& button);
    void tbCreate_ButtonClick(const ToolbarButton& button);
    void lvServices_ColumnClick(int column);
    void lvServices_MouseDown(const ListMouseEvent& e);
    void tmrTick_Timer();
    void ShowCount();
    int added_ = 0;
};

}  // namespace vtl::ui::demo
