#pragma once
// The main window: the chosen computer (cboSystems), its services (lvServices,
// the program's only store of services), the commands for the selected rows,
// the status bar with the progress text, the icon legend and the count, and the
// two timers (tmrRefresh re-reads every row every 2 s; tmrService is the start
// watch's, off until a start is launched).
//
// Other windows reach the list and the computer name through the public members
// and call the public procedures after they act (RefreshGUIForService for one
// row, RefreshSystemServices for the whole list). A row's tag is free for the
// start watch (it parks its start handle there).

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "core/Platform.h"
#include "core/ServiceCalls.h"
#include "main/OperationsHooks.h"
#include "ui/Bars.h"
#include "ui/Form.h"
#include "ui/ImageList.h"
#include "ui/ListControls.h"
#include "ui/ListView.h"
#include "ui/Menu.h"
#include "ui/Timer.h"

namespace vtl {

// Status bar panels (0-based) the main window writes.
inline constexpr int kPanelProgress = 0;
inline constexpr int kPanelCount = 4;

// The help file, named without a folder.
inline constexpr std::string_view kHelpFileName = "Vtlhelp.hlp";
// The help command the Help menu gives the help viewer.
inline constexpr std::uint32_t kHelpCommandContents = 15;

// The window's frame at design time, in twips.
inline constexpr int kMainDesignWidth = 13500;
inline constexpr int kMainDesignHeight = 7500;
// Resize rule: the list follows the window once it is higher or wider than these.
inline constexpr int kResizeMinHeight = 2000;
inline constexpr int kResizeMinWidth = 3900;
inline constexpr int kListWidthMargin = 100;
inline constexpr int kListHeightMargin = 1325;
// Room kept for the status bar, which docks itself at the bottom of the window.
inline constexpr int kStatusBarHeight = 375;

class frmMain;
// The program's one main window (the first one created that still exists).
[[nodiscard]] frmMain* MainWindow() noexcept;

class frmMain : public ui::Form {
  public:
    frmMain(ui::UiHost& host, Platform& platform);
    ~frmMain() override;

    // The windows that carry out the service commands (the default does nothing).
    void SetHooks(OperationsHooks& hooks) noexcept { hooks_ = &hooks; }
    [[nodiscard]] Platform& GetPlatform() const noexcept { return platform_; }

    // --- Public procedures over the list ------------------------------------
    // Adds one row per Win32 service of sMachine to ctl (which the caller has
    // emptied). serviceState is the enumeration's state selection (callers pass
    // 3, all states). Returns the number of services enumerated, 0 after a failure.
    std::int32_t EnumSystemServices(std::uint32_t serviceState, const std::string& sMachine,
                                    ui::ListView& ctl);
    // The same enumeration; listed rows are updated in place, new services added,
    // rows of services that are gone are left for the periodic pass.
    std::int32_t RefreshSystemServices(std::uint32_t serviceState, const std::string& sMachine,
                                       ui::ListView& ctl);
    // Re-reads one service of the chosen computer, rewrites its row and the
    // commands. Any failed call is shown in a message box.
    void RefreshGUIForService(const std::string& SrvName);
    // The current state of a service of the chosen computer; 0 when it cannot be read.
    [[nodiscard]] std::uint32_t GetServiceState(const std::string& name);
    // The periodic pass (tmrRefresh): one manager connection, every row re-read,
    // rows of deleted services dropped, marked ones marked. Never reports anything.
    void RefreshServiceStates();
    // Enables Start, Stop and Restart (menu, pop-up, toolbar) for a state and row.
    void UpdateCommandState(std::uint32_t state, ui::ListRowId row);

    // Whether cboSystems holds name (cut at its first NUL), ignoring case.
    [[nodiscard]] bool IsComputerListed(std::string_view name) const;
    // The chosen computer: the text of cboSystems.
    [[nodiscard]] const std::string& ComputerName() const noexcept { return cboSystems.Text(); }
    // Panel 5: "Total Services : " and the number of rows.
    void ShowServiceCount();

    // --- Controls, in tab order --------------------------------------------
    ui::ImageList imlToolbarIcons{*this, "imlToolbarIcons", 16, 16};
    ui::ImageList imlServiceIcons{*this, "imlServiceIcons", 16, 16};
    ui::Label lblSystems{*this, "lblSystems", "&Computer :"};
    ui::ComboBox cboSystems{*this, "cboSystems", ui::ComboStyle::DropDownList};
    ui::CommandButton cmdSelectSys{*this, "cmdSelectSys", "Select &Computer"};
    ui::Toolbar tbStart{*this, "tbStart"};
    ui::Toolbar tbStop{*this, "tbStop"};
    ui::Toolbar tbRestart{*this, "tbRestart"};
    ui::Toolbar tbProp{*this, "tbProp"};
    ui::Toolbar tbCreate{*this, "tbCreate"};
    ui::Toolbar tbRemove{*this, "tbRemove"};
    ui::Toolbar tbHelp{*this, "tbHelp"};
    ui::ListView lvServices{*this, "lvServices"};
    ui::StatusBar sbStatusBar{*this, "sbStatusBar"};
    ui::Timer tmrRefresh{*this, "tmrRefresh", 2000, true};
    ui::Timer tmrService{*this, "tmrService", 100, false};

    // --- Menus -----------------------------------------------------------------
    ui::MenuItem mnuFile{*this, "mnuFile", "&File"};
    ui::MenuItem mnuExit{mnuFile, "mnuExit", "E&xit"};
    ui::MenuItem mnuView{*this, "mnuView", "&View"};
    ui::MenuItem mnuViewRefresh{mnuView, "mnuViewRefresh", "&Refresh", ui::Shortcut::F(5)};
    ui::MenuItem mnuService{*this, "mnuService", "&Service"};
    ui::MenuItem mnuStart{mnuService, "mnuStart", "&Start"};
    ui::MenuItem mnuStop{mnuService, "mnuStop", "Sto&p"};
    ui::MenuItem mnuRestart{mnuService, "mnuRestart", "&Restart"};
    ui::MenuItem mnuSep1{mnuService, "mnuSep1", "-"};
    ui::MenuItem mnuCreateSrv{mnuService, "mnuCreateSrv", "&Create Service"};
    ui::MenuItem mnuDelete{mnuService, "mnuDelete", "&Remove Service"};
    ui::MenuItem mnuSep2{mnuService, "mnuSep2", "-"};
    ui::MenuItem mnuExport{mnuService, "mnuExport", "&Export New Service"};
    ui::MenuItem MnuExportSel{mnuService, "MnuExportSel", "Export Se&lected Service"};
    ui::MenuItem mnuSep3{mnuService, "mnuSep3", "-"};
    ui::MenuItem mnuProperties{mnuService, "mnuProperties", "&Properties"};
    ui::MenuItem mnuHelp{*this, "mnuHelp", "&Help"};
    ui::MenuItem mnuHelpContents{mnuHelp, "mnuHelpContents", "&Contents", ui::Shortcut::F(1)};
    ui::MenuItem mnuHelpBar0{mnuHelp, "mnuHelpBar0", "-"};
    ui::MenuItem mnuHelpAbout{mnuHelp, "mnuHelpAbout", "&About "};
    ui::MenuItem mnuMainPopup{*this, "mnuMainPopup", "Main Popup"};
    ui::MenuItem mnuPopStart{mnuMainPopup, "mnuPopStart", "Start"};
    ui::MenuItem mnuPopStop{mnuMainPopup, "mnuPopStop", "Stop"};
    ui::MenuItem mnuPopRestart{mnuMainPopup, "mnuPopRestart", "Restart"};
    ui::MenuItem mnuPopProp{mnuMainPopup, "mnuPopProp", "Properties"};
    ui::MenuItem mnuSepPop{mnuMainPopup, "mnuSepPop", "-"};
    ui::MenuItem mnuPopExport{mnuMainPopup, "mnuPopExport", "Export"};

  private:
    // Event handlers.
    void Form_Load();
    void Form_Resize();
    void Form_Unload(bool& cancel);
    void mnuExit_Click();
    void mnuViewRefresh_Click();
    void mnuHelpContents_Click();
    void mnuHelpAbout_Click();
    void mnuStart_Click();
    void mnuStop_Click();
    void mnuRestart_Click();
    void mnuDelete_Click();
    void mnuCreateSrv_Click();
    void mnuExport_Click();
    void MnuExportSel_Click();
    void mnuProperties_Click();
    void cboSystems_Click();
    void cmdSelectSys_Click();
    void lvServices_ColumnClick(int column);
    void lvServices_ItemClick(ui::ListRowId row);
    void lvServices_MouseDown(const ui::ListMouseEvent& event);
    void lvServices_DblClick();
    void lvServices_MouseUp(const ui::ListMouseEvent& event);
    void tmrRefresh_Timer();
    void tmrService_Timer();
    // Toolbar button: runs command when the clicked button's key is key.
    void ToolbarClick(const ui::ToolbarButton& button, std::string_view key,
                      void (frmMain::*command)());

    void DesignFrame();
    void WireEvents();
    // Start, Stop and Restart: menu item, pop-up item and toolbar button together.
    void SetStartEnabled(bool enabled);
    void SetStopEnabled(bool enabled);
    void SetRestartEnabled(bool enabled);

    // Both list paths: the progress text and hourglass, the manager and the
    // enumeration with their messages, then each entry with its configuration
    // (null when it cannot be read); "Done" on every path. Returns the count.
    using ListedServiceVisitor =
        std::function<void(const EnumServiceStatus& entry, const ServiceConfig* config)>;
    std::int32_t ReadServicesForList(std::string_view progress, std::uint32_t serviceState,
                                     const std::string& sMachine,
                                     const ListedServiceVisitor& visit);

    // Rows.
    void UpdateServiceRow(ui::ListView& ctl, ui::ListRowId row, const EnumServiceStatus& entry,
                          const ServiceConfig* config);

    Platform& platform_;
    OperationsHooks* hooks_;
    bool mDblClick = false;  // a double click waits for the button's release
};

}  // namespace vtl
