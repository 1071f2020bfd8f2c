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
//
// The find box (txtFind) filters the list: only rows whose service or display
// name holds its text are shown. Hidden rows stay rows of the list: the periodic
// pass, the start watch and the count cover them as before, while the commands,
// which act on the selection, never reach them (a hidden row is never selected).
//
// The window's own readings (listing at load and on another computer, View >
// Refresh, the periodic pass) wait on the platform off the window's thread,
// through the executor it is given; their results come back to this thread and
// are applied by the same rules as the public procedures, which stay
// synchronous. A result is dropped when it is stale: the list was refilled or
// another computer chosen meanwhile, its row has gone, or a command acted on
// its row after the reading began (each row has a generation that commands bump).

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/Platform.h"
#include "core/ServiceCalls.h"
#include "main/OperationsHooks.h"
#include "main/ServiceReadings.h"
#include "ui/Bars.h"
#include "ui/Executor.h"
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
// The count panel's width, in twips; wider while it also says how many are shown.
inline constexpr int kCountPanelWidth = 2100;
inline constexpr int kCountPanelWidthFiltered = 3300;

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
    // work: where the window's readings run; nullptr runs them at once on the
    // window's thread (what the simulation needs).
    frmMain(ui::UiHost& host, Platform& platform, ui::Executor* work = nullptr);
    ~frmMain() override;

    // The windows that carry out the service commands (the default does nothing).
    void SetHooks(OperationsHooks& hooks) noexcept { hooks_ = &hooks; }
    // Set before loading: loading lists this computer (a plain name, checked)
    // instead of the local one, which still stands first in cboSystems.
    void SetStartComputer(std::string name) { startComputer_ = std::move(name); }
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
    // It starts the reading; the rows change when its result comes back. A pass
    // is not started while the last one or a reading of the whole list runs.
    void RefreshServiceStates();
    // A reading of the whole list (listing or View > Refresh), or a pass, is under way.
    [[nodiscard]] bool ReadingList() const noexcept { return readingList_; }
    [[nodiscard]] bool PassRunning() const noexcept { return passRunning_; }
    // Enables Start, Stop and Restart (menu, pop-up, toolbar) for a state and row.
    void UpdateCommandState(std::uint32_t state, ui::ListRowId row);

    // A command acted on the row (other windows call it after writing a row):
    // whatever a background reading read of it before is stale.
    void RowActedOn(ui::ListRowId row);

    // Whether cboSystems holds name (cut at its first NUL), ignoring case.
    [[nodiscard]] bool IsComputerListed(std::string_view name) const;
    // The chosen computer: the text of cboSystems.
    [[nodiscard]] const std::string& ComputerName() const noexcept { return cboSystems.Text(); }
    // Panel 5: "Total Services : " and the number of rows; while the find box
    // filters the list, followed by " (N shown)".
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
    ui::Label lblFind{*this, "lblFind", "F&ind :"};
    ui::TextBox txtFind{*this, "txtFind"};
    ui::ListView lvServices{*this, "lvServices"};
    ui::StatusBar sbStatusBar{*this, "sbStatusBar"};
    ui::Timer tmrRefresh{*this, "tmrRefresh", 2000, true};
    ui::Timer tmrService{*this, "tmrService", 100, false};

    // --- Menus -----------------------------------------------------------------
    ui::MenuItem mnuFile{*this, "mnuFile", "&File"};
    ui::MenuItem mnuExportList{mnuFile, "mnuExportList", "&Export List..."};
    ui::MenuItem mnuFileBar0{mnuFile, "mnuFileBar0", "-"};
    ui::MenuItem mnuExit{mnuFile, "mnuExit", "E&xit"};
    ui::MenuItem mnuEdit{*this, "mnuEdit", "&Edit"};
    ui::MenuItem mnuCopy{mnuEdit, "mnuCopy", "&Copy"};
    ui::MenuItem mnuSelectAll{mnuEdit, "mnuSelectAll", "Select &All"};
    ui::MenuItem mnuEditBar0{mnuEdit, "mnuEditBar0", "-"};
    ui::MenuItem mnuFind{mnuEdit, "mnuFind", "&Find", ui::Shortcut::Ctrl('F')};
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
    ui::MenuItem mnuSepPop2{mnuMainPopup, "mnuSepPop2", "-"};
    ui::MenuItem mnuPopCopy{mnuMainPopup, "mnuPopCopy", "Copy"};

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
    void lvServices_KeyDown(int& KeyCode, int Shift);
    void txtFind_Change();
    void mnuFind_Click();
    void mnuCopy_Click();
    void mnuSelectAll_Click();
    void mnuExportList_Click();
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
    // The pop-up menu for a row, as a right click on it shows it; place: where a
    // menu asked for from the keyboard comes up (none: at the pointer).
    void ShowPopupFor(ui::ListRowId row, const ui::PopupPlace* place);

    // A command of the hooks on the selected rows; they count as acted on.
    void RunCommand(void (OperationsHooks::*command)(frmMain&));

    // Both list paths, at once: the progress text and hourglass, the reading,
    // its message and rows, then "Done" and the normal pointer. Returns the count.
    std::int32_t ListNow(std::string_view progress, std::uint32_t serviceState,
                         const std::string& sMachine, ui::ListView& ctl, bool refresh);
    // The same through the executor: the rows come when the reading is done, then
    // each step of after runs (listing's and loading's closing steps). A newer
    // reading of the list supersedes this one and takes over its steps.
    void ListInBackground(std::string_view progress, const std::string& sMachine, bool refresh,
                          std::function<void()> after);
    // A reading's message, then its rows: added (listing) or updated and added
    // (refresh).
    void ApplyServiceList(const ServiceListReading& reading, ui::ListView& ctl, bool refresh);
    void UpdateServiceRow(ui::ListView& ctl, ui::ListRowId row, const EnumServiceStatus& entry,
                          const ServiceConfig* config);
    // The pass's outcomes, each unless stale.
    void ApplyServiceStates(const std::vector<RowOutcome>& outcomes);
    [[nodiscard]] std::uint32_t RowGeneration(ui::ListRowId row) const;

    Platform& platform_;
    OperationsHooks* hooks_;
    std::string startComputer_;
    std::unique_ptr<ui::Executor> ownWork_;  // when none was given
    ui::Executor& work_;
    bool mDblClick = false;  // a double click waits for the button's release

    // Readings under way. listEpoch_ counts the fillings of an emptied list: a
    // result read for an earlier one is dropped.
    std::uint64_t listEpoch_ = 0;
    std::uint64_t listRequest_ = 0;  // the newest reading of the whole list
    bool readingList_ = false;
    ui::CancelToken listToken_;
    std::vector<std::function<void()>> afterList_;
    bool passRunning_ = false;
    ui::CancelToken passToken_;
    // Commands on each row (by row id) since it was listed.
    std::unordered_map<std::uint32_t, std::uint32_t> rowGenerations_;
};

}  // namespace vtl
