#include "wizard/WizardCommands.h"

#include <algorithm>
#include <cctype>
#include <memory>

#include "core/RegistryNames.h"
#include "core/ServiceCalls.h"
#include "core/ServiceRow.h"
#include "main/frmMain.h"
#include "wizard/BatchFiles.h"
#include "wizard/WizardTexts.h"
#include "wizard/frmNewService.h"

namespace vtl {

namespace {

// Largest "Application" value read, in bytes.
constexpr std::uint32_t kApplicationMaxBytes = 2048;

bool ContainsNoCase(std::string_view text, std::string_view part) {
    const auto lower = [](char c) { return std::tolower(static_cast<unsigned char>(c)); };
    return std::search(text.begin(), text.end(), part.begin(), part.end(),
                       [&](char a, char b) { return lower(a) == lower(b); }) != text.end();
}

// Reads the selected service into the wizard. Returns the code of the call that
// failed (0 when the wizard is ready), or nullopt when the user has been told
// why the service cannot be exported.
std::optional<ErrorCode> ReadSelectedService(Platform& platform, frmNewService& wizard,
                                             const std::string& computer, const std::string& name) {
    auto [manager, managerError] =
        platform.OpenSCManager(UncComputerName(computer), kScManagerAllAccess);
    if (!manager) return managerError;
    // A service that cannot be opened or read is reported, not exported empty.
    auto [service, serviceError] = platform.OpenService(manager, name, kServiceQueryConfig);
    if (!service) return serviceError;
    wizard.MachineName = computer;
    wizard.WizardMode = ModeExportSelected;
    wizard.txtExpSrvName.SetText(name);
    const ConfigRead read = GetServiceConfig(platform, service);
    if (!read.ok()) return read.error;
    const std::string path = TrimAtNull(read.config->binaryPathName);
    const bool wrapped = ContainsNoCase(path, kWrapperFile);
    if (wrapped) {
        wizard.optNewPwr.SetValue(true);
        auto [root, rootError] =
            platform.RegConnectRegistry(UncComputerName(computer), kHKeyLocalMachine);
        if (!root) return rootError;
        auto [key, keyError] = platform.RegOpenKeyEx(root, ParametersKeyPath(name), kKeyRead);
        if (!key) {
            wizard.MsgBox(kParametersMissing, ui::MsgButtons::OK, ui::MsgIcon::Exclamation);
            return std::nullopt;
        }
        const RegistryApi::ValueResult value =
            platform.RegQueryValueEx(key, std::string(kApplicationValue), kApplicationMaxBytes);
        if (value.error != kErrorSuccess) return value.error;
        wizard.txtExpExePath.SetText(TrimAtNull(std::string(value.data.begin(), value.data.end())));
    } else {
        wizard.optNewSrv.SetValue(true);
        wizard.txtExpExePath.SetText(path);
    }
    if (read.config->startType == kServiceAutoStart) {
        wizard.optExpAuto.SetValue(true);
    } else {
        wizard.optExpManual.SetValue(true);
    }
    // A service whose values the batch files cannot carry is refused here,
    // before the wizard opens.
    for (const std::string& problem :
         {ExportNameProblem(platform, name),
          ExportProgramProblem(platform, wizard.txtExpExePath.Text(), wrapped),
          ExportDependencyProblem(platform, read.config->dependencies)}) {
        if (!problem.empty()) {
            wizard.MsgBox(problem, ui::MsgButtons::OK, ui::MsgIcon::Information);
            return std::nullopt;
        }
    }
    return kErrorSuccess;
}

}  // namespace

WizardCommands::WizardCommands(ui::UiHost& host, ServiceOperations& operations)
    : host_(host), operations_(operations) {}

void WizardCommands::mnuCreateSrv_Click(frmMain& main) {
    if (main.MsgBox(kAskCreate, ui::MsgButtons::YesNo, ui::MsgIcon::Question) == ui::MsgResult::No)
        return;
    serviceToStart_.clear();
    {
        frmNewService wizard(host_, main.GetPlatform(), serviceToStart_);
        wizard.MachineName = main.ComputerName();
        wizard.WizardMode = ModeCreate;
        wizard.ShowModal(&main);
    }
    StartCreatedService(main);
}

void WizardCommands::StartCreatedService(frmMain& main) {
    // The list as View > Refresh reads it, so the new service has its row.
    main.RefreshSystemServices(kServiceStateAll, main.ComputerName(), main.lvServices);
    main.ShowServiceCount();
    if (serviceToStart_.empty()) return;
    const std::string name = serviceToStart_;
    // The plain computer name: the companion library takes both forms.
    Opened<ThreadHandle> started =
        main.GetPlatform().VTLStartService(name, main.ComputerName(), std::nullopt);
    const ui::ListRowId row = main.lvServices.FindRow(name);
    if (row && !operations_.WatchStart(main, row, std::move(started))) operations_.ShowErrorList();
    main.RefreshSystemServices(kServiceStateAll, main.ComputerName(), main.lvServices);
    main.sbStatusBar.SetPanelText(kPanelProgress, std::string(kStartingPrefix) + name);
}

void WizardCommands::mnuExport_Click(frmMain& main) {
    frmNewService wizard(host_, main.GetPlatform(), serviceToStart_);
    wizard.MachineName = main.ComputerName();
    wizard.WizardMode = ModeExportNew;
    wizard.ShowModal(&main);
}

void WizardCommands::mnuPopExport_Click(frmMain& main) {
    const ui::ListRowId row = main.lvServices.SelectedItem();
    if (!row) return;
    Platform& platform = main.GetPlatform();
    const std::string name = main.lvServices.Text(row, kColServiceName);
    frmNewService wizard(host_, platform, serviceToStart_);
    const std::optional<ErrorCode> read =
        ReadSelectedService(platform, wizard, main.ComputerName(), name);
    if (!read) return;
    if (*read == kErrorSuccess) {
        wizard.ShowModal(&main);
        return;
    }
    if (*read != kErrorFileExists && *read != kErrorIoPending)
        main.MsgBox(CommandErrorText(platform, *read), ui::MsgButtons::OK, ui::MsgIcon::None);
}

}  // namespace vtl
