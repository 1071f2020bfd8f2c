// The error list, the Start command and the watch over pending starts. Stop
// and Restart are in StopCommands.cpp, Remove in RemoveCommand.cpp.

#include "operations/ServiceOperations.h"

#include <memory>
#include <optional>
#include <vector>

#include "core/ServiceCalls.h"
#include "core/ServiceRow.h"
#include "main/MainTexts.h"
#include "main/frmMain.h"
#include "operations/OperationScope.h"
#include "operations/OperationTexts.h"

namespace vtl {

namespace {

// The probe asks for start, query status and interrogate.
constexpr std::uint32_t kProbeServiceAccess =
    kServiceStart | kServiceQueryStatus | kServiceInterrogate;  // 0x94

}  // namespace

ServiceOperations::ServiceOperations(ui::UiHost& host)
    : errors_([&host] { return std::make_unique<frmErrorMsg>(host); }) {}

ServiceOperations::~ServiceOperations() = default;

// --- The start watch ------------------------------------------------------------------

bool ServiceOperations::WatchStart(frmMain& main, ui::ListRowId row, Opened<ThreadHandle> started) {
    ui::ListView& list = main.lvServices;
    if (!started.handle) {
        const std::string name = list.Text(row, kColServiceName);
        AddToErrorList(
            name, StartLibraryFailureText(started.error,
                                          CommandErrorText(main.GetPlatform(), started.error)));
        return false;
    }
    const std::string tag = std::to_string(started.handle.get());
    // Assigning closes the handle of an earlier start of the row.
    watch_[row.value] = std::move(started.handle);
    list.SetTag(row, tag);
    main.tmrService.SetEnabled(true);
    return true;
}

void ServiceOperations::DropDepartedRows(const ui::ListView& list) {
    for (auto it = watch_.begin(); it != watch_.end();) {
        if (list.Contains(ui::ListRowId{it->first})) {
            ++it;
        } else {
            it = watch_.erase(it);  // closes the handle
        }
    }
}

void ServiceOperations::EndWatch(ui::ListView& list, ui::ListRowId row) {
    watch_.erase(row.value);
    if (list.Contains(row) && !list.Tag(row).empty()) list.SetTag(row, {});
}

// --- Start -----------------------------------------------------------------------------

void ServiceOperations::mnuStart_Click(frmMain& main) {
    main.sbStatusBar.SetPanelText(kPanelProgress, std::string(kProgressStarting));
    ClearErrorList();
    const OperationScope scope(main);

    Platform& platform = main.GetPlatform();
    ui::ListView& list = main.lvServices;
    const std::string computer = UncComputerName(main.ComputerName());
    const std::vector<ui::ListRowId> rows = list.Rows();
    for (const ui::ListRowId row : rows) {
        if (!list.Contains(row) || !list.Selected(row)) continue;
        const int icon = list.SmallIcon(row);
        list.SetSmallIcon(row, static_cast<int>(StateIconIndex::Busy));
        const std::string name = list.Text(row, kColServiceName);
        if (WatchStart(main, row, platform.VTLStartService(name, computer, std::nullopt))) {
            list.SetText(row, kColStatus, std::string(kStatusStarting));
        } else {
            list.SetSmallIcon(row, icon);  // nothing is under way for it
        }
    }
    main.tmrService.SetEnabled(true);
}

// --- The tick --------------------------------------------------------------------------

void ServiceOperations::tmrService_Timer(frmMain& main) {
    // A message box shown inside a tick lets the window's timers run; a second
    // tick must not read the same handles meanwhile.
    if (inTick_) return;
    inTick_ = true;
    const ScopeExit leave([this] { inTick_ = false; });

    Platform& platform = main.GetPlatform();
    ui::ListView& list = main.lvServices;
    DropDepartedRows(list);

    int watchCount = 0;
    const std::vector<ui::ListRowId> rows = list.Rows();
    for (const ui::ListRowId row : rows) {
        if (!list.Contains(row) || list.Tag(row).empty()) continue;
        ++watchCount;
        // A handle whose exit code cannot be read counts as exit code 0.
        std::uint32_t exitCode = 0;
        const auto found = watch_.find(row.value);
        if (found != watch_.end()) {
            const StartLibraryApi::ExitCode read = platform.GetExitCodeThread(found->second);
            if (read.error == kErrorSuccess) exitCode = read.code;
        }
        if (exitCode == kStillActive) continue;

        const std::string name = list.Text(row, kColServiceName);
        EndWatch(list, row);  // the exit code is read: the handle is closed
        StartEnded(main, name, exitCode);
        main.RefreshGUIForService(name);
    }
    // The rows that ended in this tick count: one more tick runs after the last
    // start has ended, and that one switches the timer off.
    if (watchCount == 0) main.tmrService.SetEnabled(false);
    if (ErrorCount() > 0) ShowErrorList();
}

void ServiceOperations::StartEnded(frmMain& main, const std::string& name, std::uint32_t exitCode) {
    if (exitCode == kErrorIoPending) return;  // nothing to report
    if (exitCode != kErrorSuccess) {
        AddToErrorList(name, CommandErrorText(main.GetPlatform(), exitCode));
        return;
    }
    if (main.GetServiceState(name) == kServiceStopped) Probe(main, name);
}

void ServiceOperations::Probe(frmMain& main, const std::string& name) {
    Platform& platform = main.GetPlatform();
    auto [manager, managerError] =
        platform.OpenSCManager(UncComputerName(main.ComputerName()), kScManagerAllAccess);
    if (!manager) return;
    auto [service, serviceError] = platform.OpenService(manager, name, kProbeServiceAccess);
    if (!service) return;

    const ErrorCode startError = platform.StartService(service, {});
    if (startError != kErrorSuccess) AddToErrorList(name, CommandErrorText(platform, startError));

    // The poll: at most kProbeStartBoundMs by the platform's clock, and never
    // more passes than fit into it (a clock that does not move cannot hold it).
    ServiceStatus status;
    const std::uint64_t began = platform.TickCount();
    const std::uint32_t maxPasses = kProbeStartBoundMs / kProbePollMs;
    std::uint32_t passes = 0;
    bool bounded = false;
    do {
        if (passes >= maxPasses || platform.TickCount() - began >= kProbeStartBoundMs) {
            bounded = true;
            break;
        }
        ++passes;
        const ErrorCode queryError = platform.QueryServiceStatus(service, status);
        platform.Sleep(kProbePollMs);
        if (status.win32ExitCode == kErrorServiceSpecificError)
            AddToErrorList(name, ProbeSpecificErrorText(status.serviceSpecificExitCode));
        if (queryError != kErrorSuccess) break;  // the record says no more than before
    } while (status.currentState == kServiceStartPending);

    if (bounded) {
        AddToErrorList(name, StartBoundText(kProbeStartBoundMs));
    } else if (status.win32ExitCode != kErrorServiceSpecificError) {
        AddToErrorList(name, std::string(kProbeNoError));
    }
}

}  // namespace vtl
