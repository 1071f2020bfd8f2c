// frmProperties: design, loading, the pages' rules, Cancel. OK is in
// PropertiesApply.cpp, the four control buttons in PropertiesControl.cpp.

#include "properties/frmProperties.h"

#include <array>
#include <utility>

#include "core/Registry.h"
#include "core/RegistryNames.h"
#include "core/ServiceCalls.h"
#include "core/ServiceRow.h"
#include "main/frmMain.h"
#include "properties/PropertiesTexts.h"
#include "properties/PropertiesWork.h"
#include "properties/frmAddDeps.h"

namespace vtl {

namespace {

// The tabs, in order: caption, key, tool tip; the page of a key is its index.
struct TabDesign {
    std::string_view caption;
    std::string_view key;
    std::string_view toolTip;
};
constexpr std::array<TabDesign, 3> kTabs = {{
    {"&General", "General", "General properties"},
    {"&Logon", "Logon", "Logon properties"},
    {"&Dependencies", "Dependencies", "Dependencies properties"},
}};

// Colours of the account and password boxes.
constexpr ui::Color kColorWhite = 0xFFFFFF;

// Layout, in twips: the form's inner area, the tab strip and the pages in it,
// and the pages' two columns.
constexpr int kFormWidth = 7065;
constexpr int kFormHeight = 6840;
constexpr int kMargin = kDialogMargin;
constexpr int kTabWidth = 6720;
constexpr int kTabHeight = 5460;
constexpr int kTabHeader = 360;
constexpr int kPageLeft = kMargin + 90;
constexpr int kPageTop = kMargin + kTabHeader + 60;
constexpr int kPageWidth = kTabWidth - 180;
constexpr int kPageHeight = kTabHeight - kTabHeader - 150;
constexpr int kButtonWidth = kDialogButtonWidth;
constexpr int kButtonHeight = kDialogButtonHeight;
constexpr int kLabelLeft = 120;
constexpr int kLabelWidth = 1860;
constexpr int kLabelHeight = 255;
constexpr int kFieldLeft = 2040;
constexpr int kFieldWidth = kPageWidth - kFieldLeft - 120;
constexpr int kFieldHeight = 315;
constexpr int kRowStep = 450;

}  // namespace

frmProperties::frmProperties(ui::UiHost& host, frmMain& main, ServiceOperations& operations)
    : Form(host, "frmProperties"), main_(main), operations_(operations) {
    Design();
    WireEvents();
}

ui::PictureBox& frmProperties::picProperties(int index) {
    switch (index) {
        case kPageLogon:
            return picLogon;
        case kPageDependencies:
            return picDependencies;
        default:
            return picGeneral;
    }
}

Platform& frmProperties::GetPlatform() const {
    return main_.GetPlatform();
}

frmProperties::OpenedService frmProperties::OpenThisService(std::uint32_t managerAccess,
                                                            std::uint32_t serviceAccess) {
    Platform& platform = GetPlatform();
    OpenedService opened;
    auto [manager, managerError] = platform.OpenSCManager(UncComputerName(gSysName), managerAccess);
    opened.error = managerError;
    if (!manager) return opened;
    auto [service, serviceError] = platform.OpenService(manager, gSrvName, serviceAccess);
    opened.manager = std::move(manager);
    opened.service = std::move(service);
    opened.error = serviceError;
    return opened;
}

void frmProperties::Design() {
    SetCaption("Service Properties");
    SetIcon("AppIcon");
    SetBorderStyle(ui::FormBorderStyle::FixedDialog);
    SetMinMaxButtons(false, false);
    SetStartUpPosition(ui::StartUpPosition::CenterScreen);
    Move(0, 0, kFormWidth, kFormHeight);

    tabProperties.Move(kMargin, kMargin, kTabWidth, kTabHeight);
    for (const TabDesign& tab : kTabs)
        tabProperties.AddTab(
            ui::Tab{std::string(tab.key), std::string(tab.caption), std::string(tab.toolTip)});
    tabProperties.SetSelectedIndex(kPageGeneral);
    for (int page = kPageGeneral; page <= kPageDependencies; ++page) {
        ui::PictureBox& pic = picProperties(page);
        pic.SetBorderStyle(ui::BorderStyle::None);
        pic.Move(kPageLeft, kPageTop, kPageWidth, kPageHeight);
        pic.SetVisible(page == kPageGeneral);
    }

    // General: a column of captions, a column of fields.
    int top = 180;
    auto row = [&](ui::Label& caption, ui::Control& field, int width = kFieldWidth) {
        caption.Move(kLabelLeft, top + 45, kLabelWidth, kLabelHeight);
        field.Move(kFieldLeft, top, width, kFieldHeight);
        top += kRowStep;
    };
    row(lblServiceNameCaption, lblServiceName);
    lblServiceName.SetHeight(kLabelHeight);
    lblServiceName.SetTop(lblServiceName.Top() + 45);
    row(lblDispName, txtDispName);
    row(lblServDesc, txtServDesc);
    row(lblExePath, txtExePath);
    row(lblStartupType, cboStartupType, 2400);
    for (std::string_view text : {kStartupManual, kStartupAutomatic, kStartupDisabled})
        cboStartupType.AddItem(std::string(text));
    linGeneral.Move(kLabelLeft, top + 60, kPageWidth - 2 * kLabelLeft, 30);
    top += 240;
    row(lblServiceStatusCaption, lblServiceStatus);
    lblServiceStatus.SetHeight(kLabelHeight);
    lblServiceStatus.SetTop(lblServiceStatus.Top() + 45);
    row(lblStartParam, txtStartParam);
    const int gap = (kFieldWidth - 4 * 990) / 3;
    int left = kFieldLeft;
    for (ui::CommandButton* button : {&cmdStart, &cmdStop, &cmdPause, &cmdResume}) {
        button->Move(left, top + 60, 990, kButtonHeight);
        left += 990 + gap;
    }

    // Logon.
    lblLogonAs.Move(kLabelLeft, 240, kLabelWidth, kLabelHeight);
    optLocalSystem.Move(360, 600, 4200, 285);
    chkInteract.Move(720, 960, 4800, 285);
    optThisAcc.Move(360, 1440, 4200, 285);
    lblAccName.Move(720, 1905, 1260, kLabelHeight);
    txtAccName.Move(kFieldLeft, 1860, kFieldWidth - 540, kFieldHeight);
    cmdBrowseUser.Move(kFieldLeft + kFieldWidth - 420, 1860, 420, kFieldHeight);
    lblPasswd.Move(720, 2355, 1260, kLabelHeight);
    txtPasswd.Move(kFieldLeft, 2310, kFieldWidth - 540, kFieldHeight);
    txtPasswd.SetPasswordChar('*');
    txtPasswd.SetToolTipText(std::string(kPasswordTip));
    optLocalSystem.SetValue(true);

    // Dependencies.
    const int listWidth = kPageWidth - 2 * kLabelLeft - kButtonWidth - 120;
    lblDepends.Move(kLabelLeft, 180, kPageWidth - 2 * kLabelLeft, kLabelHeight);
    lstDependSrv.Move(kLabelLeft, 480, listWidth, 1935);
    cmdAdd.Move(kLabelLeft + listWidth + 120, 480, kButtonWidth, kButtonHeight);
    cmdRemove.Move(kLabelLeft + listWidth + 120, 945, kButtonWidth, kButtonHeight);
    lblDependents.Move(kLabelLeft, 2640, kPageWidth - 2 * kLabelLeft, kLabelHeight);
    lstDepService.Move(kLabelLeft, 2940, kPageWidth - 2 * kLabelLeft, 1935);

    const int buttonsTop = kMargin + kTabHeight + 150;
    cmdClose.Move(kMargin + kTabWidth - kButtonWidth, buttonsTop, kButtonWidth, kButtonHeight);
    cmdOK.Move(cmdClose.Left() - 120 - kButtonWidth, buttonsTop, kButtonWidth, kButtonHeight);
    cmdOK.SetDefault(true);
    cmdClose.SetCancel(true);
}

void frmProperties::WireEvents() {
    tabProperties.onClick = [this] { Quietly([this] { tabProperties_Click(); }); };
    optLocalSystem.onClick = [this] { Quietly([this] { optLocalSystem_Click(); }); };
    optThisAcc.onClick = [this] { Quietly([this] { optThisAcc_Click(); }); };
    cmdAdd.onClick = [this] { Quietly([this] { cmdAdd_Click(); }); };
    cmdRemove.onClick = [this] { Quietly([this] { cmdRemove_Click(); }); };
    cmdOK.onClick = [this] { Quietly([this] { cmdOK_Click(); }); };
    cmdClose.onClick = [this] { Quietly([this] { cmdClose_Click(); }); };
    cmdStart.onClick = [this] { Quietly([this] { cmdStart_Click(); }); };
    cmdStop.onClick = [this] { Quietly([this] { cmdStop_Click(); }); };
    cmdPause.onClick = [this] { Quietly([this] { cmdPause_Click(); }); };
    cmdResume.onClick = [this] { Quietly([this] { cmdResume_Click(); }); };
    // cmdBrowseUser has no action.
    onUnload = [this](bool&) { Quietly([this] { Form_Unload(); }); };
}

void frmProperties::EndCheck(ErrorCode code, ui::MsgIcon icon, std::string_view suffix,
                             Failing failing) {
    if (code == kErrorSuccess || code == kErrorIoPending) return;
    const std::string text = failing == Failing::Command ? CommandErrorText(GetPlatform(), code)
                                                         : GetErrorText(GetPlatform(), code);
    MsgBox(text + std::string(suffix), ui::MsgButtons::OK, icon);
}

// --- Loading ----------------------------------------------------------------------------

void frmProperties::ReactivateProperties() {
    ClearPages();
    tabProperties.SetSelectedIndex(kPageGeneral);
    ShowPage(kPageGeneral);
    SetCaption(PropertiesCaption(gSrvName));
    LoadServiceConfig();

    // The start parameter, from the registry of the service's computer.
    Platform& platform = GetPlatform();
    const SystemApi::ComputerName local = platform.GetComputerName();
    auto [root, rootError] = ParameterRoot(local.name);
    std::string parameter;
    if (root && GetRegValue(platform, root, VtlParamsKeyPath(gSrvName), std::string(kParamsValue),
                            parameter))
        txtStartParam.SetText(std::move(parameter));
}

void frmProperties::ClearPages() {
    lblServiceName.SetCaption({});
    txtDispName.SetText({});
    txtServDesc.SetText({});
    txtExePath.SetText({});
    cboStartupType.SetListIndex(-1);
    txtStartParam.SetText({});
    txtAccName.SetText({});
    txtPasswd.SetText({});
    chkInteract.SetValue(ui::CheckValue::Unchecked);
    lstDependSrv.Clear();
    lstDepService.Clear();
    lblDepends.SetCaption(DependsCaption(gSrvName));
    lblDependents.SetCaption(DependentsCaption(gSrvName));
    // Nothing of the service shown before remains to be compared or written.
    mDisplayName.clear();
    mDescription.clear();
    mExePath.clear();
    mAccount.clear();
    mServiceType = 0;
    cmdOK.SetEnabled(false);
    UpdateServiceControls(ServiceStatus{});
}

void frmProperties::ShowPage(int index) {
    for (int page = kPageGeneral; page <= kPageDependencies; ++page)
        picProperties(page).SetVisible(page == index);
}

void frmProperties::LoadServiceConfig() {
    Platform& platform = GetPlatform();
    // The first failure decides the message, shown once the handles are closed.
    ErrorCode failure = kErrorSuccess;
    {
        const OpenedService opened = OpenThisService(kLoadManagerAccess, kLoadServiceAccess);
        failure = opened.error;
        if (opened.service) {
            const ConfigRead read = GetServiceConfig(platform, opened.service);
            if (!read.ok()) {
                failure = read.error;
            } else {
                FillGeneralPage(*read.config, opened.service, failure);
                FillLogonPage(*read.config);
                FillDependenciesPage(*read.config, opened.service);
                // Only a configuration that was read can be written back.
                cmdOK.SetEnabled(true);
            }
        }
    }
    EndCheck(failure, ui::MsgIcon::None, {}, Failing::Loading);
}

void frmProperties::FillGeneralPage(const ServiceConfig& config, const ServiceHandle& service,
                                    ErrorCode& failure) {
    Platform& platform = GetPlatform();
    lblServiceName.SetCaption(gSrvName);
    txtDispName.SetText(config.displayName);
    mDisplayName = txtDispName.Text();
    mServiceType = config.serviceType;
    txtExePath.SetText(config.binaryPathName);
    mExePath = txtExePath.Text();
    for (std::size_t i = 0; i < kStartTypeByIndex.size(); ++i) {
        if (kStartTypeByIndex[i] == config.startType)
            cboStartupType.SetListIndex(static_cast<int>(i));
    }

    ServiceStatus status;
    const ErrorCode statusError = platform.QueryServiceStatus(service, status);
    if (statusError == kErrorSuccess) {
        UpdateServiceControls(status);
    } else if (failure == kErrorSuccess) {
        failure = statusError;
    }

    mHasDescriptions = HasQueryServiceConfig2(platform, "Advapi32.dll");
    if (!mHasDescriptions) {
        txtServDesc.SetText(std::string(kNoDescriptions));
        txtServDesc.SetEnabled(false);
        return;
    }
    txtServDesc.SetEnabled(true);
    // A description that cannot be read leaves the box empty, without a message.
    const auto sizing = platform.QueryServiceDescription(service, 0);
    if (sizing.error != kErrorInsufficientBuffer) return;
    const auto read = platform.QueryServiceDescription(service, sizing.bytesNeeded);
    if (read.error != kErrorSuccess) return;
    txtServDesc.SetText(read.description);
    mDescription = txtServDesc.Text();
}

void frmProperties::FillLogonPage(const ServiceConfig& config) {
    mAccount = TrimAtNull(config.serviceStartName);
    // A service that shares its process keeps the logon of its process; the
    // controls are enabled again for every other service.
    const bool shared = (config.serviceType & kServiceWin32ShareProcess) != 0 &&
                        (config.serviceType & kServiceWin32OwnProcess) == 0;
    optLocalSystem.SetEnabled(!shared);
    optThisAcc.SetEnabled(!shared);
    cmdBrowseUser.SetEnabled(!shared);
    if (mAccount == kLocalSystem) {
        optLocalSystem.SetValue(true);
        optLocalSystem_Click();
    } else {
        optThisAcc.SetValue(true);
        optThisAcc_Click();
    }
    txtAccName.SetText(mAccount);
    if (shared) {
        for (ui::TextBox* box : {&txtAccName, &txtPasswd}) {
            box->SetEnabled(false);
            box->SetBackColor(ui::kColorButtonFace);
        }
    }
    if ((config.serviceType & kServiceInteractiveProcess) != 0)
        chkInteract.SetValue(ui::CheckValue::Checked);
}

void frmProperties::FillDependenciesPage(const ServiceConfig& config,
                                         const ServiceHandle& service) {
    lblDepends.SetCaption(DependsCaption(gSrvName));
    lblDependents.SetCaption(DependentsCaption(gSrvName));
    FillDependsOnList(config.dependencies);

    // Display names of the dependents, from the last record to the first; a
    // service without any (or whose dependents cannot be read) gets a grey list.
    const EnumRead read = EnumerateDependents(GetPlatform(), service, kServiceStateAll);
    if (!read.firstAskedForMore() || read.error != kErrorSuccess || read.entries.empty()) {
        lstDepService.SetBackColor(ui::kColorButtonFace);
        return;
    }
    lstDepService.SetBackColor(std::nullopt);
    for (std::size_t i = read.entries.size(); i-- > 0;)
        lstDepService.AddItem(read.entries[i].displayName);
}

void frmProperties::FillDependsOnList(const std::vector<std::string>& dependencies) {
    // In the configuration's order; group names keep their leading '+'.
    for (const std::string& name : dependencies) {
        if (name.empty()) break;
        lstDependSrv.AddItem(name);
    }
}

void frmProperties::UpdateServiceControls(const ServiceStatus& status) {
    lblServiceStatus.SetCaption(std::string(ServiceStatusText(status.currentState)));
    cmdStop.SetEnabled((status.controlsAccepted & kServiceAcceptStop) != 0 &&
                       status.currentState != kServiceStopped);
    const bool pauses = (status.controlsAccepted & kServiceAcceptPauseContinue) != 0;
    cmdPause.SetEnabled(pauses);
    cmdResume.SetEnabled(pauses);
    cmdStart.SetEnabled(status.currentState != kServiceRunning);
}

// --- The pages' events -------------------------------------------------------------------

void frmProperties::tabProperties_Click() {
    const ui::Tab* tab = tabProperties.SelectedTab();
    if (tab == nullptr) return;
    for (std::size_t page = 0; page < kTabs.size(); ++page) {
        if (kTabs[page].key == tab->key) ShowPage(static_cast<int>(page));
    }
}

void frmProperties::optLocalSystem_Click() {
    for (ui::TextBox* box : {&txtAccName, &txtPasswd}) {
        box->SetEnabled(false);
        box->SetBackColor(ui::kColorButtonFace);
    }
    chkInteract.SetEnabled(true);
    chkInteract.SetValue((mServiceType & kServiceInteractiveProcess) != 0
                             ? ui::CheckValue::Checked
                             : ui::CheckValue::Unchecked);
}

void frmProperties::optThisAcc_Click() {
    chkInteract.SetValue(ui::CheckValue::Unchecked);
    chkInteract.SetEnabled(false);
    for (ui::TextBox* box : {&txtAccName, &txtPasswd}) {
        box->SetEnabled(true);
        box->SetBackColor(kColorWhite);
    }
}

void frmProperties::cmdAdd_Click() {
    frmAddDeps dialog(Host(), main_.lvServices, lstDependSrv, gSrvName);
    dialog.ShowModal(this);
    if (dialog.Loaded()) dialog.Unload();
}

void frmProperties::cmdRemove_Click() {
    if (lstDependSrv.ListCount() == 0) return;
    const int selected = lstDependSrv.ListIndex();
    if (selected < 0 || !lstDependSrv.Selected(selected)) {
        MsgBox(kSelectDependency, ui::MsgButtons::OK, ui::MsgIcon::Information);
        return;
    }
    lstDependSrv.RemoveItem(selected);
}

void frmProperties::cmdClose_Click() {
    Unload();
}

void frmProperties::Form_Unload() {
    // The password goes with the window.
    WipeText(txtPasswd);
}

}  // namespace vtl
