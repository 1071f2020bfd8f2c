// frmNewService: the design, loading and activation, the page flow, the page
// checks, the summaries and the choosers. Creation is in
// frmNewServiceCreate.cpp, the export in frmNewServiceExport.cpp.

#include "wizard/frmNewService.h"

#include <algorithm>
#include <cctype>

#include "core/ServiceCalls.h"
#include "core/ServiceRow.h"
#include "ui/Quietly.h"
#include "wizard/BatchFiles.h"
#include "wizard/WizardPaths.h"
#include "wizard/WizardTexts.h"

namespace vtl {

namespace {

// Layout, in twips.
constexpr int kMargin = 120;
constexpr int kInner = 7335;  // panels and lines
constexpr int kDescrHeight = 1560;
constexpr int kPanelTop = kMargin + kDescrHeight + 120;
constexpr int kPanelHeight = 3060;
constexpr int kButtonWidth = 1215;
constexpr int kButtonHeight = 375;
constexpr int kFrameWidth = kInner - 2 * kMargin;
constexpr int kLabelLeft = 240;
constexpr int kLabelWidth = 1800;
constexpr int kBoxLeft = 2100;
constexpr int kBoxWidth = 4800;
constexpr int kRowHeight = 480;
constexpr int kTextHeight = 315;
constexpr int kLabelHeight = 255;
constexpr int kOptionHeight = 300;

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// A label and its box on one row of a frame.
void PlaceRow(ui::Label& label, ui::Control& box, int row, int boxWidth) {
    const int top = 405 + row * kRowHeight;
    label.Move(kLabelLeft, top + 45, kLabelWidth, kLabelHeight);
    box.Move(kBoxLeft, top, boxWidth, kTextHeight);
}

}  // namespace

frmNewService::frmNewService(ui::UiHost& host, Platform& platform, std::string& serviceToStart)
    : Form(host, "frmNewService"), platform_(platform), serviceToStart_(serviceToStart) {
    DesignLayout();
    WireEvents();
}

frmNewService::~frmNewService() = default;

void frmNewService::DesignLayout() {
    SetCaption(std::string(kCaptionCreateType));
    SetIcon("AppIcon");
    SetBorderStyle(ui::FormBorderStyle::FixedDialog);
    SetStartUpPosition(ui::StartUpPosition::CenterOwner);
    SetMinMaxButtons(false, false);
    SetShowInTaskbar(false);
    Move(0, 0, kWizardWidth, kWizardHeight);

    lblFormDescr.Move(kMargin + 120, kMargin, kInner - 240, kDescrHeight);
    linTop.Move(kMargin, kPanelTop - 60, kInner, 30);
    for (ui::PictureBox& panel : picForms) {
        panel.SetBorderStyle(ui::BorderStyle::None);
        panel.Move(kMargin, kPanelTop, kInner, kPanelHeight);
        panel.SetVisible(false);
    }
    picForms[0].SetVisible(true);

    // Panel 0.
    fraType.Move(kMargin, 60, kFrameWidth, 1500);
    optNewPwr.Move(360, 450, 5000, kOptionHeight);
    optNewSrv.Move(360, 900, 5000, kOptionHeight);
    optNewPwr.SetValue(true);

    // Panel 1.
    fraInfo.Move(kMargin, 60, kFrameWidth, 2460);
    PlaceRow(lblSrvName, txtSrvName, 0, kBoxWidth);
    PlaceRow(lblSrvDispName, txtSrvDispName, 1, kBoxWidth);
    PlaceRow(lblDrive, cboDrive, 2, 1200);
    PlaceRow(lblExePath, txtExePath, 3, kBoxWidth - kButtonWidth - 120);
    cmdBrowse.Move(kBoxLeft + kBoxWidth - kButtonWidth, txtExePath.Top() - 30, kButtonWidth,
                   kButtonHeight);

    // Panel 2: two groups of options.
    fraStartup.Move(kMargin, 60, 2280, 2460);
    optAuto.Move(240, 450, 1900, kOptionHeight);
    optManual.Move(240, 900, 1900, kOptionHeight);
    optDisabled.Move(240, 1350, 1900, kOptionHeight);
    optAuto.SetValue(true);
    fraLogon.Move(kMargin + 2400, 60, kFrameWidth - 2400, 2460);
    optSysAcc.Move(240, 450, 2600, kOptionHeight);
    optThisAcc.Move(240, 900, 2600, kOptionHeight);
    lblAccName.Move(480, 1365, 1380, kLabelHeight);
    txtAccName.Move(1920, 1320, 2475, kTextHeight);
    lblPasswd.Move(480, 1785, 1380, kLabelHeight);
    txtPasswd.Move(1920, 1740, 2475, kTextHeight);
    txtPasswd.SetPasswordChar('*');
    ChkInteract.Move(240, 2100, 3000, kOptionHeight);
    optSysAcc.SetValue(true);

    // Panel 3.
    lblFinish.Move(kLabelLeft, 120, kFrameWidth, kLabelHeight);
    lblFinalInfo.Move(kLabelLeft, 480, kFrameWidth, kPanelHeight - 540);

    // Panel 4.
    fraExpInfo.Move(kMargin, 60, kFrameWidth, 1500);
    PlaceRow(lblExpSrvName, txtExpSrvName, 0, kBoxWidth);
    PlaceRow(lblExpExePath, txtExpExePath, 1, kBoxWidth - kButtonWidth - 120);
    cmdExpBrowse.Move(kBoxLeft + kBoxWidth - kButtonWidth, txtExpExePath.Top() - 30, kButtonWidth,
                      kButtonHeight);
    fraExpStartup.Move(kMargin, 1680, kFrameWidth, 840);
    optExpAuto.Move(360, 390, 2000, kOptionHeight);
    optExpManual.Move(2760, 390, 2000, kOptionHeight);
    optExpAuto.SetValue(true);
    lblExpFinish.Move(kLabelLeft, 2700, kFrameWidth, kLabelHeight);

    // Panel 5.
    fraExportDir.Move(kMargin, 60, kFrameWidth, 1020);
    txtExportDir.Move(kLabelLeft, 420, kFrameWidth - kButtonWidth - 600, kTextHeight);
    cmdExportDir.Move(kFrameWidth - kButtonWidth - 240, 390, kButtonWidth, kButtonHeight);
    lblDirFinish.Move(kLabelLeft, 1260, kFrameWidth, kLabelHeight);

    // The buttons, Back and Next side by side, Cancel apart, at the bottom right.
    const int buttonTop = kPanelTop + kPanelHeight + 180;
    linBottom.Move(kMargin, buttonTop - 120, kInner, 30);
    const int right = kMargin + kInner;
    cmdNav[2].Move(right - kButtonWidth, buttonTop, kButtonWidth, kButtonHeight);
    cmdNav[1].Move(right - 2 * kButtonWidth - 120, buttonTop, kButtonWidth, kButtonHeight);
    cmdNav[0].Move(right - 3 * kButtonWidth - 120, buttonTop, kButtonWidth, kButtonHeight);
    cmdNav[0].SetEnabled(false);
    cmdNav[1].SetDefault(true);
    cmdNav[2].SetCancel(true);
}

void frmNewService::WireEvents() {
    onLoad = [this] { ui::Quietly([this] { Form_Load(); }); };
    onActivate = [this] { ui::Quietly([this] { Form_Activate(); }); };
    onUnload = [this](bool&) { Form_Unload(); };
    for (int i = 0; i < static_cast<int>(cmdNav.size()); ++i)
        cmdNav[i].onClick = [this, i] { ui::Quietly([this, i] { cmdNav_Click(i); }); };
    optSysAcc.onClick = [this] { ui::Quietly([this] { optSysAcc_Click(); }); };
    optThisAcc.onClick = [this] { ui::Quietly([this] { optThisAcc_Click(); }); };
    cmdBrowse.onClick = [this] { ui::Quietly([this] { cmdBrowse_Click(); }); };
    cmdExpBrowse.onClick = [this] { ui::Quietly([this] { cmdExpBrowse_Click(); }); };
    cmdExportDir.onClick = [this] { ui::Quietly([this] { cmdExportDir_Click(); }); };
}

// --- Pages --------------------------------------------------------------------------------

std::int32_t frmNewService::LastPage() const noexcept {
    return WizardMode == ModeExportSelected ? 1 : 3;
}

std::int32_t frmNewService::PanelOfPage(std::int32_t page) const noexcept {
    static constexpr std::int32_t kExportNew[] = {0, 4, 3, 5};
    static constexpr std::int32_t kExportSelected[] = {3, 5};
    if (page < 0 || page > LastPage()) return -1;
    if (WizardMode == ModeExportNew) return kExportNew[page];
    if (WizardMode == ModeExportSelected) return kExportSelected[page];
    return page;
}

void frmNewService::ShowPanel(std::int32_t panel) {
    for (std::size_t i = 0; i < picForms.size(); ++i)
        picForms[i].SetVisible(static_cast<std::int32_t>(i) == panel);
}

void frmNewService::SetPageTexts(std::int32_t page) {
    const bool create = WizardMode == ModeCreate;
    switch (PanelOfPage(page)) {
        case 0:
            SetCaption(std::string(create ? kCaptionCreateType : kCaptionExportType));
            lblFormDescr.SetCaption(std::string(kDescrType));
            break;
        case 1:
            SetCaption(std::string(kCaptionCreateInfo));
            lblFormDescr.SetCaption(std::string(kDescrInfo));
            break;
        case 4:
            SetCaption(std::string(kCaptionExportDetails));
            lblFormDescr.SetCaption(std::string(kDescrInfo));
            break;
        case 2:
            SetCaption(std::string(kCaptionCreateConfig));
            lblFormDescr.SetCaption(std::string(kDescrConfig));
            break;
        case 3:
            if (create) {
                SetCaption(std::string(kCaptionCreateFinish));
                lblFormDescr.SetCaption(std::string(kDescrFinish));
            } else if (WizardMode == ModeExportNew) {
                SetCaption(std::string(kCaptionExportVerify));
                lblFormDescr.SetCaption(std::string(kDescrFinish));
            } else {
                SetCaption(std::string(kCaptionExportView));
                lblFormDescr.SetCaption(std::string(kDescrSelectedView));
            }
            break;
        case 5:
            SetCaption(std::string(WizardMode == ModeExportNew ? kCaptionExportFinish
                                                               : kCaptionExportSelectedFinish));
            lblFormDescr.SetCaption(std::string(kDescrExportDir));
            break;
        default:
            break;
    }
}

void frmNewService::ShowPage(std::int32_t page) {
    const std::int32_t panel = PanelOfPage(page);
    ShowPanel(panel);
    SetPageTexts(page);
    switch (panel) {
        case 1:
            txtSrvName.SetFocus();
            break;
        case 4:
            txtExpSrvName.SetFocus();
            break;
        case 2:
            // Ticked again on every showing; "This Account" keeps it cleared, as
            // its service is never interactive.
            if (optSysAcc.Value()) ChkInteract.SetValue(ui::CheckValue::Checked);
            break;
        case 3:
            if (WizardMode == ModeExportNew) BuildExportSummary();
            break;
        default:
            break;
    }
}

// --- Loading, activation, unloading ---------------------------------------------------------

bool frmNewService::FillDrives() {
    cboDrive.Clear();
    const std::string local = platform_.GetComputerName().name;
    const bool remote = !EqualsNoCase(MachineName, local);
    if (remote) {
        FillRemoteDrives();
    } else {
        FillLocalDrives();
    }
    if (cboDrive.ListCount() > 0) cboDrive.SetListIndex(0);
    return remote;
}

void frmNewService::Form_Load() {
    InteractFlag = false;
    HasDependencies = false;
    currentPage_ = 0;
    txtExportDir.SetText(JoinPath(platform_.ApplicationFolder(), kExportDirName));
    (void)platform_.CreateDirectory(txtExportDir.Text());  // it may exist already
    if (WizardMode == ModeExportSelected) {
        ShowPanel(3);
        cmdNav[0].SetEnabled(false);
        lblFormDescr.SetCaption(std::string(kDescrSelectedOpen));
    } else {
        ShowPanel(0);
        lblFormDescr.SetCaption(std::string(kDescrType));
    }
    (void)FillDrives();
}

void frmNewService::Form_Activate() {
    // Once, when the form is first shown: message boxes and choosers over the
    // wizard must not bring it back to its first page.
    if (activated_) return;
    activated_ = true;
    isRemote_ = FillDrives() ? 1 : 0;
    // Only the creation needs a drive: the exports run on any computer, as the
    // message itself suggests.
    if (cboDrive.ListCount() == 0 && WizardMode == ModeCreate) {
        MsgBox(NoSharedDrivesText(MachineName), ui::MsgButtons::OK, ui::MsgIcon::None);
        Unload();
        return;
    }
    if (WizardMode == ModeExportSelected) {
        BuildExportSummary();
        ShowPanel(3);
        lblFormDescr.SetCaption(std::string(kDescrSelectedOpen));
        SetCaption(std::string(kCaptionExportSelectedView));
    } else {
        ShowPanel(0);
        lblFormDescr.SetCaption(std::string(kDescrType));
        if (WizardMode == ModeExportNew) SetCaption(std::string(kCaptionExportNewType));
    }
    optSysAcc.SetValue(true);
    for (ui::TextBox* box : {&txtAccName, &txtPasswd}) {
        box->SetEnabled(false);
        box->SetBackColor(ui::kColorButtonFace);
    }
    ChkInteract.SetEnabled(true);
}

void frmNewService::Form_Unload() {
    currentPage_ = 0;
}

// --- Navigation ------------------------------------------------------------------------------

void frmNewService::cmdNav_Click(int index) {
    if (index == 2) {
        currentPage_ = 0;
        Unload();
        return;
    }
    serviceKind_ = optNewSrv.Value() ? KindCompliant : KindAnyProgram;
    const std::int32_t last = LastPage();
    const std::int32_t page = currentPage_;
    if (index == 1) {
        if (page < 0 || page > last) return;
        if (page == last) {
            if (WizardMode == ModeCreate) {
                const WizardOutcome outcome = CreateNewService(serviceKind_);
                if (outcome == WizardOutcome::Succeeded) {
                    Unload();
                } else if (outcome == WizardOutcome::Failed) {
                    MsgBox(WithAdministratorHint(std::string(kCreateFailed), failure_),
                           ui::MsgButtons::OK, ui::MsgIcon::None);
                }
                return;
            }
            if (!ValidatePage(5)) return;
            const WizardOutcome outcome = ExportBatchFiles(serviceKind_);
            if (outcome == WizardOutcome::Succeeded) {
                Unload();
            } else if (outcome == WizardOutcome::Failed) {
                MsgBox(WithAdministratorHint(std::string(kExportFailed), failure_),
                       ui::MsgButtons::OK, ui::MsgIcon::None);
            }
            return;
        }
        if (!ValidatePage(PanelOfPage(page))) return;
        currentPage_ = page + 1;
        if (currentPage_ == last) {
            cmdNav[1].SetCaption(std::string(kNavFinish));
            if (WizardMode == ModeCreate) BuildCreateSummary();
            if (WizardMode == ModeExportNew) BuildExportSummary();
        } else {
            cmdNav[1].SetCaption(std::string(kNavNext));
        }
        if (currentPage_ == 1) cmdNav[0].SetEnabled(true);
        ShowPage(currentPage_);
        return;
    }
    // Back.
    if (page < 1 || page > last) return;
    currentPage_ = page - 1;
    cmdNav[0].SetEnabled(currentPage_ != 0);
    if (currentPage_ == last - 1) cmdNav[1].SetCaption(std::string(kNavNext));
    ShowPage(currentPage_);
}

// --- Checks ----------------------------------------------------------------------------------

bool frmNewService::ServiceExists(const std::string& name) {
    auto [manager, managerError] =
        platform_.OpenSCManager(UncComputerName(MachineName), kScManagerConnect);
    if (!manager) return false;  // the creation itself reports an unreachable manager
    auto [service, serviceError] = platform_.OpenService(manager, name, kServiceQueryStatus);
    // A service the caller may not open, or one marked for deletion, holds the name too.
    return service || serviceError == kErrorAccessDenied ||
           serviceError == kErrorServiceMarkedForDelete;
}

bool frmNewService::RemotePathProblem(const std::string& path, std::string& message) const {
    if (!EqualsNoCase(ComputerPartOf(path), MachineName)) {
        message = std::string(kSelectFileFrom) + MachineName;
        return true;
    }
    // The program's own path is made of the drive box's letter and the rest of
    // the path, so the path must go through that drive's administrative share.
    if (!EqualsNoCase(SharePartOf(path), cboDrive.Text() + "$")) {
        message = ProgramFromDriveText(cboDrive.Text(), MachineName);
        return true;
    }
    return false;
}

bool frmNewService::ValidatePage(std::int32_t panel) {
    // Only the first failing field is reported.
    std::string message;
    switch (panel) {
        case 1: {
            const std::string& name = txtSrvName.Text();
            message = name.empty() ? std::string(kNameEmpty) : ServiceNameProblem(name);
            if (!message.empty()) break;
            if (ServiceExists(name)) {
                message = kNameExists;
            } else if (txtExePath.Text().empty()) {
                message = kExeEmpty;
            } else if (isRemote_ == 1 && RemotePathProblem(txtExePath.Text(), message)) {
                MsgBox(message, ui::MsgButtons::OK, ui::MsgIcon::None);
                return false;
            }
            break;
        }
        case 4: {
            const std::string& name = txtExpSrvName.Text();
            message = name.empty() ? std::string(kNameEmpty) : ExportNameProblem(platform_, name);
            if (!message.empty()) break;
            const std::string& exe = txtExpExePath.Text();
            message = exe.empty() ? std::string(kExeEmpty)
                                  : ExportProgramProblem(platform_, exe, !optNewSrv.Value());
            break;
        }
        case 5:
            if (txtExportDir.Text().empty()) message = kExportDirEmpty;
            break;
        default:
            break;
    }
    if (message.empty()) return true;
    MsgBox(message, ui::MsgButtons::OK, ui::MsgIcon::Information);
    return false;
}

// --- Summaries -------------------------------------------------------------------------------

void frmNewService::BuildCreateSummary() {
    const std::uint32_t startType = optAuto.Value()       ? kServiceAutoStart
                                    : optManual.Value()   ? kServiceDemandStart
                                    : optDisabled.Value() ? kServiceDisabled
                                                          : kServiceNoChange;
    std::string interact;
    if (ChkInteract.Value() == ui::CheckValue::Unchecked) interact = "No";
    if (ChkInteract.Value() == ui::CheckValue::Checked) interact = "Yes";
    std::string text;
    text += std::string(kSumServiceName) + txtSrvName.Text() + "\r";
    text += std::string(kSumDisplayName) + txtSrvDispName.Text() + "\r";
    text += std::string(kSumFilePath) + txtExePath.Text() + "\r";
    text += std::string(kSumDrive) + cboDrive.Text() + "\r";
    text += std::string(kSumStartupType) + std::string(StartTypeText(startType)) + "\r";
    text += std::string(kSumLogonAs) +
            (optSysAcc.Value() ? std::string(kLocalSystem) : txtAccName.Text()) + "\r";
    text += std::string(kSumInteract) + interact;
    lblFinalInfo.SetCaption(std::move(text));
}

void frmNewService::BuildExportSummary() {
    const std::uint32_t startType = optExpAuto.Value()     ? kServiceAutoStart
                                    : optExpManual.Value() ? kServiceDemandStart
                                                           : kServiceNoChange;
    std::string text;
    text += std::string(kSumServiceName) + txtExpSrvName.Text() + "\r\r";
    text += std::string(kSumServiceType) +
            std::string(optNewSrv.Value() ? kCompliantService : kUserProgram) + "\r\r";
    text += std::string(kSumExecutable) + txtExpExePath.Text() + "\r\r";
    text += std::string(kSumStartupType) + std::string(StartTypeText(startType)) + "\r\r";
    lblFinalInfo.SetCaption(std::move(text));
}

// --- Logon options ---------------------------------------------------------------------------

void frmNewService::optSysAcc_Click() {
    if (optSysAcc.Value()) {
        for (ui::TextBox* box : {&txtAccName, &txtPasswd}) {
            box->SetEnabled(false);
            box->SetBackColor(ui::kColorButtonFace);
        }
    }
    ChkInteract.SetEnabled(true);
}

void frmNewService::optThisAcc_Click() {
    if (optThisAcc.Value()) {
        for (ui::TextBox* box : {&txtAccName, &txtPasswd}) {
            box->SetEnabled(true);
            box->SetBackColor(ui::Color{0xFFFFFF});
        }
        ChkInteract.SetValue(ui::CheckValue::Unchecked);
        ChkInteract.SetEnabled(false);
    } else {
        ChkInteract.SetEnabled(true);
    }
}

// --- Drives ----------------------------------------------------------------------------------

void frmNewService::FillLocalDrives() {
    for (const std::string& root : platform_.GetLogicalDriveStrings()) {
        if (root.empty()) break;
        if (platform_.GetDriveType(root.substr(0, 3)) == kDriveFixed)
            (void)cboDrive.AddItem(root.substr(0, 1));
    }
}

void frmNewService::FillRemoteDrives() {
    const SystemApi::ShareList list = platform_.NetShareEnum(UncComputerName(MachineName));
    if (list.error != kErrorSuccess) return;
    for (const SystemApi::ShareInfo& share : list.shares) {
        // The administrative disk shares: C$, D$, ...; ADMIN$, IPC$ and
        // ordinary shares are not drives.
        if (share.type == (kStypeDiskTree | kStypeSpecial) && share.netName.size() == 2)
            (void)cboDrive.AddItem(share.netName.substr(0, 1));
    }
}

// --- Choosers --------------------------------------------------------------------------------

void frmNewService::cmdBrowse_Click() {
    std::string chosen;
    for (;;) {
        ui::OpenFileRequest request;
        request.title = std::string(kBrowseExeTitle) + MachineName;
        request.initialDir = isRemote_ == 1 ? "\\\\" + MachineName + "\\" + cboDrive.Text() + "$"
                                            : cboDrive.Text() + ":\\";
        request.filter = std::string(kExeFilter);
        request.fileName.clear();
        dialogInitialDir_ = request.initialDir;
        chosen = Prompts().OpenFile(this, request).value_or(std::string());
        dialogFileName_ = chosen;
        if (chosen.empty() || isRemote_ == 0) break;
        if (chosen.find('$') != std::string::npos) {
            if (EqualsNoCase(ComputerPartOf(chosen), MachineName)) break;
            MsgBox(ProgramFromSystemText(MachineName), ui::MsgButtons::OK, ui::MsgIcon::None);
        } else {
            MsgBox(ProgramFromDriveText(cboDrive.Text(), MachineName), ui::MsgButtons::OK,
                   ui::MsgIcon::None);
        }
    }
    txtExePath.SetText(chosen);
}

void frmNewService::cmdExpBrowse_Click() {
    ui::OpenFileRequest request;
    request.title = std::string(kBrowseExeTitle) + MachineName;
    request.filter = std::string(kExeFilter);
    request.initialDir = dialogInitialDir_;
    request.fileName = dialogFileName_;
    if (auto chosen = Prompts().OpenFile(this, request)) dialogFileName_ = *chosen;
    txtExpExePath.SetText(dialogFileName_);
}

void frmNewService::cmdExportDir_Click() {
    ui::FolderRequest request;
    request.title = std::string(kBrowseDirTitle);
    request.root = ui::ShellFolder::Drives;
    request.onlyFileSystemFolders = true;
    txtExportDir.SetText(Prompts().BrowseForFolder(this, request).value_or(std::string()));
}

}  // namespace vtl
