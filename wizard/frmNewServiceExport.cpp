// frmNewService: the export of a new or the selected service as an install and
// an uninstall batch file, with a copy of the wrapper beside them. The files
// are written in the system's ANSI code page, every line ended by CR LF.

#include <vector>

#include "core/ServiceCalls.h"
#include "core/ServiceRow.h"
#include "wizard/BatchFiles.h"
#include "wizard/WizardPaths.h"
#include "wizard/WizardTexts.h"
#include "wizard/frmNewService.h"

namespace vtl {

namespace {

// The export of the selected service reads its configuration with these rights.
constexpr std::uint32_t kExportServiceAccess =
    kServiceQueryConfig | kServiceQueryStatus | kServiceEnumerateDependents;  // 0xD

std::string WithoutLineBreak(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}

}  // namespace

WizardOutcome frmNewService::ReportExportProblem(const std::string& message) {
    MsgBox(message, ui::MsgButtons::OK, ui::MsgIcon::Exclamation);
    return WizardOutcome::FailedAndShown;
}

// Writes one file; a folder that is missing or cannot be written is told once,
// by its name.
WizardOutcome frmNewService::WriteBatchFile(const std::string& path, const std::string& text,
                                            bool& written) {
    written = false;
    const SystemApi::EncodedText encoded = platform_.EncodeText(text, CodePage::Ansi);
    if (encoded.error != kErrorSuccess)
        return ReportExportProblem("The batch file " + path +
                                   " cannot be written in this system's code page: " +
                                   WithoutLineBreak(GetErrorText(platform_, encoded.error)));
    const ErrorCode error = platform_.WriteFile(path, encoded.bytes);
    if (error == kErrorSuccess) {
        written = true;
        return WizardOutcome::Succeeded;
    }
    const std::string folder = txtExportDir.Text();
    if (error == kErrorPathNotFound || error == kErrorFileNotFound)
        return ReportExportProblem("The export directory " + folder +
                                   " does not exist. Please select an existing directory.");
    if (error == kErrorAccessDenied)
        return ReportExportProblem("The export directory " + folder +
                                   " cannot be written. Please select a directory you may "
                                   "write to.");
    return ReportExportProblem("The batch files could not be written to the export directory " +
                               folder + ": " + WithoutLineBreak(GetErrorText(platform_, error)));
}

WizardOutcome frmNewService::ExportBatchFiles(std::int32_t kind) {
    BatchService service;
    service.serviceName = txtExpSrvName.Text();
    service.power = kind == KindAnyProgram;
    std::vector<std::string> dependencies;
    failure_ = kErrorSuccess;
    if (WizardMode == ModeExportSelected) {
        auto [manager, managerError] =
            platform_.OpenSCManager(UncComputerName(MachineName), kScManagerAllAccess);
        failure_ = managerError;
        if (!manager) return WizardOutcome::Failed;
        auto [handle, serviceError] =
            platform_.OpenService(manager, service.serviceName, kExportServiceAccess);
        failure_ = serviceError;
        if (!handle) return WizardOutcome::Failed;
        const ConfigRead read = GetServiceConfig(platform_, handle);
        failure_ = read.error;
        if (!read.ok()) return WizardOutcome::Failed;
        InteractFlag = (read.config->serviceType & kServiceInteractiveProcess) != 0;
        dependencies = read.config->dependencies;
        service.dependencyList = DependenciesToList(dependencies);
        HasDependencies = !service.dependencyList.empty();
        service.startOption = std::string(StartOptionText(read.config->startType));
    } else {
        InteractFlag = false;
        HasDependencies = false;
        service.startOption = optExpAuto.Value()     ? " -auto"
                              : optExpManual.Value() ? " -demand"
                                                     : "";
    }
    service.interact = InteractFlag;
    service.program = ProgramFileName(txtExpExePath.Text()).fileName;

    // The pages checked these values; the service's own are checked here too,
    // as they were read just now.
    for (const std::string& problem :
         {ExportNameProblem(platform_, service.serviceName),
          ExportProgramProblem(platform_, txtExpExePath.Text(), service.power),
          ExportDependencyProblem(platform_, dependencies)}) {
        if (!problem.empty()) {
            MsgBox(problem, ui::MsgButtons::OK, ui::MsgIcon::Information);
            return WizardOutcome::FailedAndShown;
        }
    }

    const std::string folder = txtExportDir.Text();
    const std::string installName = service.serviceName + std::string(kInstallSuffix);
    const std::string uninstallName = service.serviceName + std::string(kUninstallSuffix);
    bool written = false;

    const std::string installPath = JoinPath(folder, installName);
    if (!platform_.FileExists(installPath) ||
        MsgBox(ReplaceFileText(installName), ui::MsgButtons::YesNo, ui::MsgIcon::None) ==
            ui::MsgResult::Yes) {
        const WizardOutcome outcome =
            WriteBatchFile(installPath, InstallFileText(service), written);
        if (!written) return outcome;
    }

    const std::string uninstallPath = JoinPath(folder, uninstallName);
    if (platform_.FileExists(uninstallPath) &&
        MsgBox(ReplaceFileText(uninstallName), ui::MsgButtons::YesNo, ui::MsgIcon::None) !=
            ui::MsgResult::Yes)
        return WizardOutcome::Succeeded;  // the old uninstall file stays; no wrapper copy
    const WizardOutcome outcome =
        WriteBatchFile(uninstallPath, UninstallFileText(service.serviceName), written);
    if (!written) return outcome;

    // A wrapper already in the folder stays and is used.
    const ErrorCode copied =
        platform_.CopyFile(JoinPath(platform_.ApplicationFolder(), kWrapperFile),
                           JoinPath(folder, kWrapperFile), true);
    if (copied != kErrorSuccess && copied != kErrorFileExists) return WizardOutcome::Failed;
    return WizardOutcome::Succeeded;
}

}  // namespace vtl
