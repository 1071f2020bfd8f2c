// frmMain: frame, loading, resizing, closing, commands and list events. The
// procedures over the services list are in frmMainList.cpp.

#include "main/frmMain.h"

#include <algorithm>
#include <array>
#include <exception>

#include "core/ServiceRow.h"
#include "main/ComputerNames.h"
#include "main/MainTexts.h"
#include "ui/Keys.h"
#include "ui/UiHost.h"

namespace vtl {

namespace {

frmMain* gMainWindow = nullptr;

// The hooks of a window that has not been given any: every command does nothing.
OperationsHooks& NoHooks() {
    static OperationsHooks none;
    return none;
}

// Runs an event handler; a failure inside ends it quietly, as every handler of
// this window does.
template <class Handler>
void Quietly(Handler&& handler) noexcept {
    try {
        handler();
    } catch (...) {
        // Nothing is shown or logged: the event's handling just ends.
    }
}

// Design widths of the list's columns, in this ratio.
constexpr std::array<int, 5> kColumnRatio = {4586, 5821, 2540, 3528, 3969};
constexpr std::array<std::string_view, 5> kColumnKeys = {"ServiceName", "DisplayName", "Status",
                                                         "StartupType", "LogonAs"};
// Room the list's vertical scroll bar and border take, in twips.
constexpr int kListChrome = 330;

struct ToolbarDesign {
    ui::Toolbar frmMain::*toolbar;
    std::string_view key;
    std::string_view caption;
    std::string_view toolTip;
    int left;
    int width;
};
constexpr std::array<ToolbarDesign, 7> kToolbars = {{
    {&frmMain::tbStart, "Start", "", "Start a service", 5400, 420},
    {&frmMain::tbStop, "Stop", "", "Stop a service", 5820, 420},
    {&frmMain::tbRestart, "Restart", "", "Restart a service", 6240, 420},
    {&frmMain::tbProp, "Properties", "", "View service properties", 6660, 420},
    {&frmMain::tbCreate, "Create", "Create ", "Create new service", 7140, 1020},
    {&frmMain::tbRemove, "Remove", "Remove ", "Remove a service", 8160, 1080},
    {&frmMain::tbHelp, "Help", "", "Help", 9300, 420},
}};
constexpr int kToolbarTop = 15;
constexpr int kToolbarHeight = 390;
constexpr int kListTop = 450;

// The find box, in the toolbar row after the last toolbar.
constexpr int kFindLabelLeft = 9960;
constexpr int kFindBoxLeft = 10500;
constexpr int kFindBoxWidth = 2520;
constexpr int kFindBoxMinWidth = 1200;
constexpr int kFindBoxMargin = 120;

constexpr ui::Shortcut KeyOf(int key, bool ctrl = false) {
    return ui::Shortcut{static_cast<std::uint16_t>(key), ctrl};
}

// Sets a toolbar's one button enabled or disabled.
void SetButton(ui::Toolbar& toolbar, bool enabled) {
    if (toolbar.ButtonCount() > 0) toolbar.SetButtonEnabled(0, enabled);
}

}  // namespace

frmMain* MainWindow() noexcept {
    return gMainWindow;
}

frmMain::frmMain(ui::UiHost& host, Platform& platform, ui::Executor* work)
    : Form(host, "frmMain"),
      platform_(platform),
      hooks_(&NoHooks()),
      ownWork_(work != nullptr ? nullptr : std::make_unique<ui::InlineExecutor>()),
      work_(work != nullptr ? *work : *ownWork_) {
    DesignFrame();
    WireEvents();
    if (gMainWindow == nullptr) gMainWindow = this;
}

frmMain::~frmMain() {
    // No result may come back to a window that is gone.
    work_.CancelAll();
    if (gMainWindow == this) gMainWindow = nullptr;
}

void frmMain::DesignFrame() {
    SetCaption(std::string(kAppTitle));
    SetIcon("AppIcon");
    SetStartUpPosition(ui::StartUpPosition::CenterScreen);
    Move(0, 0, kMainDesignWidth, kMainDesignHeight);

    for (std::string_view key :
         {"Start", "Stop", "Restart", "Properties", "Create", "Remove", "Help"})
        imlToolbarIcons.Add(std::string(key));
    for (auto icon : {StateIconIndex::Active, StateIconIndex::Inactive, StateIconIndex::Disabled,
                      StateIconIndex::Busy})
        imlServiceIcons.Add(std::string(StateIconKey(icon)));

    lblSystems.Move(120, 120, 870, 255);
    cboSystems.Move(1000, 60, 2600, 315);
    cmdSelectSys.Move(3700, 45, 1560, 345);
    lblFind.Move(kFindLabelLeft, 120, kFindBoxLeft - kFindLabelLeft, 255);
    txtFind.Move(kFindBoxLeft, 60, kFindBoxWidth, 315);

    for (const ToolbarDesign& design : kToolbars) {
        ui::Toolbar& toolbar = this->*design.toolbar;
        toolbar.SetImageList(&imlToolbarIcons);
        toolbar.Move(design.left, kToolbarTop, design.width, kToolbarHeight);
        toolbar.AddButton(ui::ToolbarButton{std::string(design.key), std::string(design.caption),
                                            std::string(design.toolTip),
                                            imlToolbarIcons.IndexOf(design.key)});
    }

    const int listWidth = kMainDesignWidth - kListWidthMargin;
    lvServices.Move(0, kListTop, listWidth, kMainDesignHeight - kListHeightMargin);
    lvServices.SetView(ui::ListViewMode::Report);
    lvServices.SetMultiSelect(true);
    lvServices.SetFullRowSelect(true);
    lvServices.SetHideSelection(false);
    lvServices.SetKeyIndex(true);
    int ratioSum = 0;
    for (int ratio : kColumnRatio)
        ratioSum += ratio;
    for (std::size_t i = 0; i < kColumnRatio.size(); ++i) {
        lvServices.AddColumn(std::string(kColumnKeys[i]), std::string(kServiceColumnCaptions[i]),
                             kColumnRatio[i] * (listWidth - kListChrome) / ratioSum);
    }

    sbStatusBar.SetImageList(&imlServiceIcons);
    sbStatusBar.AddPanel({"Progress", "Status", 4000, 2000, ui::PanelAutoSize::Spring, 0});
    sbStatusBar.AddPanel({"Running", "", 1300, 600, ui::PanelAutoSize::Contents, 0});
    sbStatusBar.AddPanel({"Manual", "", 1900, 600, ui::PanelAutoSize::Contents, 0});
    sbStatusBar.AddPanel({"Auto", "", 2500, 600, ui::PanelAutoSize::Contents, 0});
    sbStatusBar.AddPanel({"Count", "", kCountPanelWidth, 1440, ui::PanelAutoSize::None, 0});

    mnuMainPopup.SetVisible(false);
    // Keys the list answers to, shown in the menus as shortcuts are.
    mnuDelete.SetKeyHint(KeyOf(ui::kKeyDelete));
    mnuProperties.SetKeyHint(KeyOf(ui::kKeyReturn));
    mnuPopProp.SetKeyHint(KeyOf(ui::kKeyReturn));
    mnuCopy.SetKeyHint(KeyOf('C', true));
    mnuPopCopy.SetKeyHint(KeyOf('C', true));
    mnuSelectAll.SetKeyHint(KeyOf('A', true));
}

void frmMain::WireEvents() {
    onLoad = [this] { Quietly([this] { Form_Load(); }); };
    onResize = [this] { Quietly([this] { Form_Resize(); }); };
    onUnload = [this](bool& cancel) { Quietly([&] { Form_Unload(cancel); }); };

    mnuExit.onClick = [this] { Quietly([this] { mnuExit_Click(); }); };
    mnuViewRefresh.onClick = [this] { Quietly([this] { mnuViewRefresh_Click(); }); };
    mnuStart.onClick = [this] { Quietly([this] { mnuStart_Click(); }); };
    mnuStop.onClick = [this] { Quietly([this] { mnuStop_Click(); }); };
    mnuRestart.onClick = [this] { Quietly([this] { mnuRestart_Click(); }); };
    mnuCreateSrv.onClick = [this] { Quietly([this] { mnuCreateSrv_Click(); }); };
    mnuDelete.onClick = [this] { Quietly([this] { mnuDelete_Click(); }); };
    mnuExport.onClick = [this] { Quietly([this] { mnuExport_Click(); }); };
    MnuExportSel.onClick = [this] { Quietly([this] { MnuExportSel_Click(); }); };
    mnuProperties.onClick = [this] { Quietly([this] { mnuProperties_Click(); }); };
    mnuHelpContents.onClick = [this] { Quietly([this] { mnuHelpContents_Click(); }); };
    mnuHelpAbout.onClick = [this] { Quietly([this] { mnuHelpAbout_Click(); }); };
    mnuPopStart.onClick = [this] { Quietly([this] { mnuStart_Click(); }); };
    mnuPopStop.onClick = [this] { Quietly([this] { mnuStop_Click(); }); };
    mnuPopRestart.onClick = [this] { Quietly([this] { mnuRestart_Click(); }); };
    mnuPopProp.onClick = [this] { Quietly([this] { mnuProperties_Click(); }); };
    mnuPopExport.onClick = [this] { Quietly([this] { MnuExportSel_Click(); }); };
    mnuPopCopy.onClick = [this] { Quietly([this] { mnuCopy_Click(); }); };
    mnuExportList.onClick = [this] { Quietly([this] { mnuExportList_Click(); }); };
    mnuCopy.onClick = [this] { Quietly([this] { mnuCopy_Click(); }); };
    mnuSelectAll.onClick = [this] { Quietly([this] { mnuSelectAll_Click(); }); };
    mnuFind.onClick = [this] { Quietly([this] { mnuFind_Click(); }); };
    txtFind.onChange = [this] { Quietly([this] { txtFind_Change(); }); };

    cboSystems.onClick = [this] { Quietly([this] { cboSystems_Click(); }); };
    cmdSelectSys.onClick = [this] { Quietly([this] { cmdSelectSys_Click(); }); };

    lvServices.onColumnClick = [this](int column) {
        Quietly([&] { lvServices_ColumnClick(column); });
    };
    lvServices.onItemClick = [this](ui::ListRowId row) {
        Quietly([&] { lvServices_ItemClick(row); });
    };
    lvServices.onMouseDown = [this](const ui::ListMouseEvent& e) {
        Quietly([&] { lvServices_MouseDown(e); });
    };
    lvServices.onDblClick = [this] { Quietly([this] { lvServices_DblClick(); }); };
    lvServices.onMouseUp = [this](const ui::ListMouseEvent& e) {
        Quietly([&] { lvServices_MouseUp(e); });
    };
    lvServices.onKeyDown = [this](int& keyCode, int shift) {
        Quietly([&] { lvServices_KeyDown(keyCode, shift); });
    };

    // Each toolbar runs its menu command when the clicked button has its key; a
    // failure in the command ends only that click.
    tbStart.onButtonClick = [this](const ui::ToolbarButton& b) {
        ToolbarClick(b, "Start", &frmMain::mnuStart_Click);
    };
    tbStop.onButtonClick = [this](const ui::ToolbarButton& b) {
        ToolbarClick(b, "Stop", &frmMain::mnuStop_Click);
    };
    tbRestart.onButtonClick = [this](const ui::ToolbarButton& b) {
        ToolbarClick(b, "Restart", &frmMain::mnuRestart_Click);
    };
    tbRemove.onButtonClick = [this](const ui::ToolbarButton& b) {
        ToolbarClick(b, "Remove", &frmMain::mnuDelete_Click);
    };
    tbProp.onButtonClick = [this](const ui::ToolbarButton& b) {
        ToolbarClick(b, "Properties", &frmMain::mnuProperties_Click);
    };
    tbCreate.onButtonClick = [this](const ui::ToolbarButton& b) {
        ToolbarClick(b, "Create", &frmMain::mnuCreateSrv_Click);
    };
    tbHelp.onButtonClick = [this](const ui::ToolbarButton& b) {
        ToolbarClick(b, "Help", &frmMain::mnuHelpContents_Click);
    };

    tmrRefresh.onTick = [this] { Quietly([this] { tmrRefresh_Timer(); }); };
    tmrService.onTick = [this] { Quietly([this] { tmrService_Timer(); }); };
}

void frmMain::ToolbarClick(const ui::ToolbarButton& button, std::string_view key,
                           void (frmMain::*command)()) {
    if (button.key != key) return;
    Quietly([&] { (this->*command)(); });
}

// --- Loading, resizing, closing -------------------------------------------------

void frmMain::Form_Load() {
    Host().SetHelpFile(std::string(kHelpFileName));
    SetCaption(std::string(kAppTitle));
    lvServices.SetSmallIcons(&imlServiceIcons);
    lvServices.SetView(ui::ListViewMode::Report);

    const SystemApi::ComputerName local = platform_.GetComputerName();
    if (local.error != kErrorSuccess) return;  // loading ends here, without a message
    const std::string name = CutToChars(local.name, kRowFieldMaxChars);
    if (name.empty()) return;
    cboSystems.AddItem(name);
    // A computer named on the command line is listed instead, the only one listed.
    const std::string& chosen = startComputer_.empty() ? name : startComputer_;
    if (!IsComputerListed(chosen)) cboSystems.AddItem(chosen);
    cboSystems.SetText(chosen);
    // Sorting by the first column and clicking row 1 wait until the list is filled.
    afterList_.push_back([this] {
        lvServices.SetSorted(false);  // a first click, whatever was clicked meanwhile
        lvServices_ColumnClick(kColServiceName);
        if (lvServices.RowCount() >= 1) lvServices_ItemClick(lvServices.RowAt(0));
    });
    cboSystems_Click();

    sbStatusBar.SetPanelImage(1, static_cast<int>(StateIconIndex::Active));
    sbStatusBar.SetPanelText(1, std::string(kLegendRunning));
    sbStatusBar.SetPanelImage(2, static_cast<int>(StateIconIndex::Inactive));
    sbStatusBar.SetPanelText(2, std::string(kLegendManualStopped));
    sbStatusBar.SetPanelImage(3, static_cast<int>(StateIconIndex::Disabled));
    sbStatusBar.SetPanelText(3, std::string(kLegendAutoStopped));
}

void frmMain::Form_Resize() {
    if (GetWindowState() == ui::WindowState::Minimized) return;
    if (Height() > kResizeMinHeight || Width() > kResizeMinWidth) {
        // A window too small for the rule would give negative sizes: none below 0.
        // With today's caption, menu and toolbar heights the rule's margin no longer
        // covers them, so the list also stops above the status bar instead of hiding it.
        const int room = std::max(ScaleHeight() - lvServices.Top() - kStatusBarHeight, 0);
        lvServices.Move(sbStatusBar.Left(), lvServices.Top(),
                        std::max(Width() - kListWidthMargin, 0),
                        std::min(std::max(Height() - kListHeightMargin, 0), room));
    }
    // The find box ends inside a narrower window, down to a usable width.
    txtFind.SetWidth(
        std::clamp(ScaleWidth() - kFindBoxLeft - kFindBoxMargin, kFindBoxMinWidth, kFindBoxWidth));
}

void frmMain::Form_Unload(bool& /*cancel*/) {
    // Readings under way end; their results are not wanted any more.
    work_.CancelAll();
    readingList_ = false;
    passRunning_ = false;
    afterList_.clear();
    // The other windows go first, the most recently opened first.
    std::vector<ui::Form*> forms = Host().OpenForms();
    for (auto it = forms.rbegin(); it != forms.rend(); ++it) {
        if (*it != this) Quietly([&] { (*it)->Unload(ui::UnloadMode::Code); });
    }
    const std::string app = Host().AppTitle();
    if (GetWindowState() != ui::WindowState::Minimized) {
        Host().SaveSetting(app, kSettingsSection, "MainLeft", std::to_string(Left()));
        Host().SaveSetting(app, kSettingsSection, "MainTop", std::to_string(Top()));
        Host().SaveSetting(app, kSettingsSection, "MainWidth", std::to_string(Width()));
        Host().SaveSetting(app, kSettingsSection, "MainHeight", std::to_string(Height()));
    }
    Host().SaveSetting(app, kSettingsSection, "ViewMode",
                       std::to_string(static_cast<int>(lvServices.View())));
    Host().SaveSetting(app, kSettingsSection, kSettingSortKey,
                       std::to_string(lvServices.SortKey()));
    Host().SaveSetting(app, kSettingsSection, kSettingSortOrder,
                       std::to_string(static_cast<int>(lvServices.GetSortOrder())));
}

// --- Menu commands ------------------------------------------------------------------

void frmMain::mnuExit_Click() {
    // Ends at once: no window is asked to unload and no setting is written.
    Host().EndProgram();
}

void frmMain::mnuViewRefresh_Click() {
    ListInBackground(kProgressRefreshing, cboSystems.Text(), true, [this] { ShowServiceCount(); });
}

void frmMain::mnuHelpContents_Click() {
    (void)Prompts().ShowHelp(this, Host().HelpFile(), kHelpCommandContents);
}

void frmMain::mnuHelpAbout_Click() {
    hooks_->mnuHelpAbout_Click(*this);
}

void frmMain::RunCommand(void (OperationsHooks::*command)(frmMain&)) {
    const std::vector<ui::ListRowId> rows = lvServices.SelectedRows();
    // Also when the command fails: it may have acted on some of them.
    struct ActedOn {
        frmMain& form;
        const std::vector<ui::ListRowId>& rows;
        ~ActedOn() {
            Quietly([this] {
                for (const ui::ListRowId row : rows) {
                    if (form.lvServices.Contains(row)) form.RowActedOn(row);
                }
            });
        }
    } actedOn{*this, rows};
    (hooks_->*command)(*this);
}

void frmMain::mnuStart_Click() {
    RunCommand(&OperationsHooks::mnuStart_Click);
}
void frmMain::mnuStop_Click() {
    RunCommand(&OperationsHooks::mnuStop_Click);
}
void frmMain::mnuRestart_Click() {
    RunCommand(&OperationsHooks::mnuRestart_Click);
}
void frmMain::mnuDelete_Click() {
    RunCommand(&OperationsHooks::mnuDelete_Click);
}
void frmMain::mnuCreateSrv_Click() {
    hooks_->mnuCreateSrv_Click(*this);
}
void frmMain::mnuExport_Click() {
    hooks_->mnuExport_Click(*this);
}
void frmMain::MnuExportSel_Click() {
    hooks_->MnuExportSel_Click(*this);
}
void frmMain::mnuProperties_Click() {
    hooks_->mnuProperties_Click(*this);
}

// --- Computer selection -------------------------------------------------------------

bool frmMain::IsComputerListed(std::string_view name) const {
    return cboSystems.FindItem(TrimAtNull(name)) >= 0;
}

void frmMain::cboSystems_Click() {
    lvServices.Clear();
    ListInBackground(kProgressSearching, cboSystems.Text(), false, [this] {
        SetMousePointer(ui::MousePointer::Default);
        sbStatusBar.SetPanelText(kPanelProgress, std::string(kProgressDone));
        ShowServiceCount();
    });
}

void frmMain::cmdSelectSys_Click() {
    sbStatusBar.SetPanelText(kPanelProgress, std::string(kProgressLoadingNetwork));
    SetMousePointer(ui::MousePointer::Hourglass);
    // Whatever happens below, the command ends with "Done" and the normal pointer,
    // unless it started a listing, which ends with them when its rows are in.
    struct Restore {
        frmMain& form;
        ~Restore() {
            Quietly([this] {
                if (form.readingList_) return;
                form.sbStatusBar.SetPanelText(kPanelProgress, std::string(kProgressDone));
                form.SetMousePointer(ui::MousePointer::Default);
            });
        }
    } restore{*this};

    const std::optional<std::string> picked =
        Prompts().BrowseForComputer(this, kBrowseComputerTitle);
    if (!picked) return;
    const std::optional<std::string> name = NormalizeComputerName(*picked);
    if (!name) {
        MsgBox(InvalidComputerNameText(TrimAtNull(*picked)), ui::MsgButtons::OK,
               ui::MsgIcon::Information);
        return;
    }
    if (!IsComputerListed(*name)) cboSystems.AddItem(*name);
    cboSystems.SetText(*name);
    cboSystems_Click();
}

// --- Commands and list events -------------------------------------------------------

void frmMain::SetStartEnabled(bool enabled) {
    mnuStart.SetEnabled(enabled);
    mnuPopStart.SetEnabled(enabled);
    SetButton(tbStart, enabled);
}

void frmMain::SetStopEnabled(bool enabled) {
    mnuStop.SetEnabled(enabled);
    mnuPopStop.SetEnabled(enabled);
    SetButton(tbStop, enabled);
}

void frmMain::SetRestartEnabled(bool enabled) {
    mnuRestart.SetEnabled(enabled);
    mnuPopRestart.SetEnabled(enabled);
    SetButton(tbRestart, enabled);
}

void frmMain::UpdateCommandState(std::uint32_t state, ui::ListRowId row) {
    // A row that is no longer listed has no status to look at: the state decides.
    if (lvServices.Contains(row) && lvServices.Text(row, kColStatus) == kStatusMarkedForDeletion) {
        SetStartEnabled(false);
        SetStopEnabled(false);
        SetRestartEnabled(false);
        return;
    }
    switch (state) {
        case kServiceStopped:
            SetStartEnabled(true);
            SetStopEnabled(false);
            SetRestartEnabled(false);
            break;
        case kServiceRunning:
            SetStartEnabled(false);
            SetStopEnabled(true);
            SetRestartEnabled(true);
            break;
        case kServiceStartPending:
        case kServiceStopPending:
            SetStartEnabled(false);
            SetStopEnabled(false);
            SetRestartEnabled(false);
            break;
        default:
            // Paused, pausing, continuing or unknown: Stop and Restart stay as
            // the last call left them.
            SetStartEnabled(false);
            break;
    }
}

void frmMain::lvServices_ColumnClick(int column) {
    // A click on the column the list is sorted by in ascending order turns the
    // order round; any other click sorts ascending.
    const bool turn = lvServices.Sorted() && lvServices.SortKey() == column &&
                      lvServices.GetSortOrder() == ui::SortOrder::Ascending;
    lvServices.SetSorted(false);  // sorts once, below
    lvServices.SetSortKey(column);
    lvServices.SetSortOrder(turn ? ui::SortOrder::Descending : ui::SortOrder::Ascending);
    lvServices.SetSorted(true);
}

void frmMain::lvServices_ItemClick(ui::ListRowId row) {
    if (!row || !lvServices.Contains(row)) return;
    const bool single = lvServices.SelectedCount() <= 1;
    mnuDelete.SetEnabled(single);
    SetButton(tbRemove, single);

    const std::string& status = lvServices.Text(row, kColStatus);
    const std::uint32_t state = StatusCodeFromText(status);
    const std::optional<std::uint32_t> startType =
        StartTypeFromText(lvServices.Text(row, kColStartupType));
    // A startup type that could not be read leaves the icon as it is; the
    // commands still follow the row's status.
    if (startType)
        lvServices.SetSmallIcon(row, static_cast<int>(StateIcon(state, *startType, status)));
    UpdateCommandState(state, row);
}

void frmMain::lvServices_MouseDown(const ui::ListMouseEvent& event) {
    if (event.button != ui::MouseButton::Right) return;
    ShowPopupFor(event.row, nullptr);
}

void frmMain::ShowPopupFor(ui::ListRowId row, const ui::PopupPlace* place) {
    if (!row || !lvServices.Contains(row) || !lvServices.Shown(row)) return;
    lvServices.SetSelected(row, true);
    // The pop-up's Start, Stop and Restart follow the row under the pointer, as a
    // click on it sets them, not the row clicked before.
    Quietly([&] { lvServices_ItemClick(row); });
    const bool single = lvServices.SelectedCount() <= 1;
    mnuPopExport.SetEnabled(single);
    mnuPopProp.SetEnabled(single);
    if (place != nullptr) {
        PopupMenu(mnuMainPopup, *place);
    } else {
        PopupMenu(mnuMainPopup);
    }
}

void frmMain::lvServices_DblClick() {
    mDblClick = true;
}

void frmMain::lvServices_MouseUp(const ui::ListMouseEvent& event) {
    const bool open = event.button == ui::MouseButton::Left && mDblClick && event.row &&
                      lvServices.Contains(event.row);
    mDblClick = false;
    if (open) mnuProperties_Click();
}

void frmMain::tmrRefresh_Timer() {
    RefreshServiceStates();
}

void frmMain::tmrService_Timer() {
    hooks_->tmrService_Timer(*this);
}

}  // namespace vtl
