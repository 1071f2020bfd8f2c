// frmNewService: creating the service on the chosen computer. A compliant
// service runs its program directly; any other program runs under the wrapper
// VtlShell.exe, which is copied beside the program and told the program's path
// in the service's "parameters" key. A creation that fails after the service
// was registered deletes the service again, so nothing half-made remains.

#include <vector>

#include "core/RegistryNames.h"
#include "core/ServiceRow.h"
#include "operations/OperationScope.h"
#include "wizard/WizardPaths.h"
#include "wizard/WizardTexts.h"
#include "wizard/frmNewService.h"

namespace vtl {

namespace {

// The load order group the wizard gives its services.
constexpr std::string_view kLoadOrderGroup = "0";

std::string LeftBehindText(const std::string& name, const std::string& machine) {
    return "The service " + name + " was created on " + machine +
           ", but its wrapper could not be installed and the service could not be removed "
           "again. Please remove it with Service > Remove Service.";
}

}  // namespace

WizardOutcome frmNewService::CreateNewService(std::int32_t kind) {
    SetMousePointer(ui::MousePointer::Hourglass);
    const ScopeExit restore([this] { SetMousePointer(ui::MousePointer::Default); });
    failure_ = kErrorSuccess;

    auto [manager, managerError] =
        platform_.OpenSCManager(UncComputerName(MachineName), kScManagerAllAccess);
    failure_ = managerError;
    if (!manager) return WizardOutcome::Failed;

    ServiceManagerApi::CreateArgs args;
    args.serviceName = txtSrvName.Text();
    args.displayName = txtSrvDispName.Text();
    args.desiredAccess = kServiceAllAccess;
    args.startType = optAuto.Value()       ? kServiceAutoStart
                     : optManual.Value()   ? kServiceDemandStart
                     : optDisabled.Value() ? kServiceDisabled
                                           : kServiceDemandStart;
    args.errorControl = kServiceErrorIgnore;
    args.serviceType = kServiceWin32OwnProcess;
    if (optSysAcc.Value()) {
        if (ChkInteract.Value() == ui::CheckValue::Checked)
            args.serviceType |= kServiceInteractiveProcess;
    } else {
        args.serviceStartName = txtAccName.Text();
        args.password = txtPasswd.Text();
    }
    const std::string localPath =
        LocalFormOfPath(txtExePath.Text(), cboDrive.Text(), isRemote_ == 1);
    const std::string command =
        kind == KindAnyProgram ? FolderOf(localPath) + std::string(kWrapperFile) : localPath;
    args.binaryPathName = "\"" + command + "\"";
    args.loadOrderGroup = std::string(kLoadOrderGroup);
    args.wantTagId = true;

    const ServiceManagerApi::Created created = platform_.CreateService(manager, args);
    failure_ = created.error;
    if (!created.handle) return WizardOutcome::Failed;
    if (kind == KindAnyProgram &&
        !InstallWrapperFiles(txtExePath.Text(), localPath, args.serviceName)) {
        if (DeleteCreatedService(created.handle, args.serviceName)) return WizardOutcome::Failed;
        MsgBox(LeftBehindText(args.serviceName, MachineName), ui::MsgButtons::OK,
               ui::MsgIcon::Exclamation);
        return WizardOutcome::FailedAndShown;
    }
    serviceToStart_ = args.startType == kServiceAutoStart ? args.serviceName : std::string();
    return WizardOutcome::Succeeded;
}

bool frmNewService::InstallWrapperFiles(const std::string& exePath, const std::string& localPath,
                                        const std::string& serviceName) {
    // An existing wrapper in the program's folder is reused, never overwritten.
    const std::string target = FolderOf(exePath) + std::string(kWrapperFile);
    const ErrorCode copied =
        platform_.CopyFile(JoinPath(platform_.ApplicationFolder(), kWrapperFile), target, true);
    failure_ = copied;
    if (copied != kErrorSuccess && copied != kErrorFileExists) return false;

    auto [root, rootError] = platform_.RegConnectRegistry("\\\\" + MachineName, kHKeyLocalMachine);
    failure_ = rootError;
    if (!root) return false;
    auto [key, keyError] =
        platform_.RegCreateKeyEx(root, ParametersKeyPath(serviceName), kKeyAllAccess);
    failure_ = keyError;
    if (!key) return false;
    // A string value with its terminating zero, as Windows asks of REG_SZ data;
    // a service whose program path was not stored could never run.
    std::vector<std::uint8_t> data(localPath.begin(), localPath.end());
    data.push_back(0);
    failure_ = platform_.RegSetValueEx(key, std::string(kApplicationValue), kRegSz, data);
    return failure_ == kErrorSuccess;
}

bool frmNewService::DeleteCreatedService(const ServiceHandle& service,
                                         const std::string& serviceName) {
    const ErrorCode deleted = platform_.DeleteService(service);
    if (deleted == kErrorSuccess || deleted == kErrorServiceMarkedForDelete) return true;
    // Once more over a new connection (the first may have gone with the network).
    auto [manager, managerError] =
        platform_.OpenSCManager(UncComputerName(MachineName), kScManagerConnect);
    if (!manager) return false;
    auto [again, openError] = platform_.OpenService(manager, serviceName, kDelete);
    if (!again) return openError == kErrorServiceDoesNotExist;
    const ErrorCode retried = platform_.DeleteService(again);
    return retried == kErrorSuccess || retried == kErrorServiceMarkedForDelete;
}

}  // namespace vtl
