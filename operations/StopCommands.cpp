// Stop and Restart: each selected service is sent the stop control and waited
// for; when running dependents block it, they are stopped first (Stop asks the
// user, Restart does not), then the service is stopped again. Restart then
// starts each service through the companion library, watched by tmrService.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/ServiceCalls.h"
#include "core/ServiceRow.h"
#include "main/MainTexts.h"
#include "main/frmMain.h"
#include "operations/OperationScope.h"
#include "operations/OperationTexts.h"
#include "operations/ServiceOperations.h"
#include "operations/StopSequence.h"

namespace vtl {

namespace {

// Stop asks for stop, enumerate dependents and query status; Restart also for
// start; a dependent for stop and query status.
constexpr std::uint32_t kStopServiceAccess =
    kServiceStop | kServiceEnumerateDependents | kServiceQueryStatus;                // 0x2C
constexpr std::uint32_t kRestartServiceAccess = kStopServiceAccess | kServiceStart;  // 0x3C
constexpr std::uint32_t kDependentAccess = kServiceStop | kServiceQueryStatus;       // 0x24

// Waits while the record shows STOP_PENDING, querying it every pollMs, for at
// most boundMs by the platform's clock and never more passes than fit into it.
struct StopWait {
    bool boundReached = false;
    std::optional<ErrorCode> lastQuery;  // the outcome of the last query, if any
};
template <class OnQuery>
StopWait WaitWhileStopPending(Platform& platform, const ServiceHandle& service,
                              ServiceStatus& status, std::uint32_t pollMs, std::uint32_t boundMs,
                              OnQuery onQuery) {
    StopWait wait;
    const std::uint64_t began = platform.TickCount();
    const std::uint32_t maxPasses = boundMs / pollMs;
    std::uint32_t passes = 0;
    while (status.currentState == kServiceStopPending) {
        if (passes >= maxPasses || platform.TickCount() - began >= boundMs) {
            wait.boundReached = true;
            break;
        }
        ++passes;
        const ErrorCode error = platform.QueryServiceStatus(service, status);
        onQuery(error);
        wait.lastQuery = error;
        if (error != kErrorSuccess) break;  // the record would only repeat itself
        platform.Sleep(pollMs);
    }
    return wait;
}

// The stop control. A failed call leaves a record worth reading only when the
// service is already stopping (1061); after any other failure the record says
// nothing to wait for (some service managers fill it with garbage then).
ErrorCode SendStop(Platform& platform, const ServiceHandle& service, ServiceStatus& status) {
    const ErrorCode error = platform.ControlService(service, kServiceControlStop, status);
    if (error != kErrorSuccess && error != kErrorServiceCannotAcceptCtrl) status = ServiceStatus{};
    return error;
}

// Stops one dependent: its own handle, the stop control, the bounded wait. No
// outcome is reported but a wait that reached its bound.
void StopDependent(Platform& platform, const ScManagerHandle& manager, const std::string& dependent,
                   const StopSequence& steps, const std::function<void(ErrorCode)>& called) {
    auto [handle, openError] = platform.OpenService(manager, dependent, kDependentAccess);
    called(openError);
    if (!handle) return;
    ServiceStatus status;
    called(SendStop(platform, handle, status));
    const StopWait wait = WaitWhileStopPending(platform, handle, status, kDependentPollMs,
                                               kDependentStopBoundMs, called);
    if (wait.boundReached && steps.dependentAtBound) steps.dependentAtBound(dependent);
}

}  // namespace

StopResult StopWithDependents(Platform& platform, const ScManagerHandle& manager,
                              const ServiceHandle& service, const std::string& name,
                              ServiceStatus& status, const StopSequence& steps) {
    const std::function<void(ErrorCode)> called = [&steps](ErrorCode error) {
        if (steps.called) steps.called(error);
    };
    StopResult result;
    ErrorCode error = SendStop(platform, service, status);
    called(error);

    if (error == kErrorDependentServicesRunning) {
        const EnumRead read = EnumerateDependents(platform, service, kServiceStateAll);
        called(read.firstError);
        if (read.firstAskedForMore()) {
            called(read.error);
            if (read.error != kErrorSuccess) {
                // No table to ask about or to stop: the service stays.
                result.dependentsError = read.error;
                if (steps.asker != nullptr) {
                    result.error = error;
                    return result;
                }
            } else {
                if (steps.asker != nullptr) {
                    // The question lists the running dependents from the last
                    // record to the first.
                    std::string names;
                    for (std::size_t i = read.entries.size(); i-- > 0;) {
                        if (read.entries[i].status.currentState != kServiceRunning) continue;
                        names += read.entries[i].displayName;
                        if (i != 0) names += '\r';
                    }
                    platform.Sleep(kBeforeDependentsMs);
                    std::string text(kDependentsIntro);
                    text += "\r\r";
                    text += names;
                    text += '\r';
                    text += kDependentsQuestion;
                    const ui::MsgResult answer =
                        steps.asker->MsgBox(text, ui::MsgButtons::OKCancel, ui::MsgIcon::None,
                                            std::string(kStoppingTitle) + name);
                    if (answer != ui::MsgResult::OK) {
                        result.cancelled = true;
                        result.error = error;
                        return result;
                    }
                } else {
                    platform.Sleep(kBeforeDependentsMs);
                }
                // The service manager lists the deepest dependent first:
                // stopping from the first record on stops every dependent after
                // the ones that depend on it.
                for (const EnumServiceStatus& dependent : read.entries)
                    StopDependent(platform, manager, dependent.serviceName, steps, called);
            }
        }
        error = SendStop(platform, service, status);
        called(error);
    }

    result.error = error;
    const StopWait wait =
        WaitWhileStopPending(platform, service, status, kStopPollMs, kStopBoundMs, called);
    if (wait.lastQuery) result.error = *wait.lastQuery;
    result.boundReached = wait.boundReached;
    return result;
}

// The state of one Stop or Restart command.
struct ServiceOperations::StopRun {
    explicit StopRun(Platform& p) : platform(p) {}

    Platform& platform;
    ScManagerHandle manager;
    bool errorFlag = false;
    // The outcome of the last platform call, and whether an entry told of it:
    // the end check shows a failure that nothing else reported, and never an
    // older failure that a later call has made good.
    ErrorCode lastError = kErrorSuccess;
    bool lastReported = false;

    void Called(ErrorCode error) {
        lastError = error;
        lastReported = false;
    }
};

void ServiceOperations::mnuStop_Click(frmMain& main) {
    main.sbStatusBar.SetPanelText(kPanelProgress, std::string(kProgressStopping));
    StopCommand(main, false);
}

void ServiceOperations::mnuRestart_Click(frmMain& main) {
    main.sbStatusBar.SetPanelText(kPanelProgress, std::string(kProgressRestarting));
    StopCommand(main, true);
}

void ServiceOperations::StopCommand(frmMain& main, bool restart) {
    const OperationScope scope(main);
    ClearErrorList();
    StopRun run(main.GetPlatform());

    auto [manager, managerError] =
        run.platform.OpenSCManager(UncComputerName(main.ComputerName()), kScManagerAllAccess);
    run.Called(managerError);
    if (manager) {
        run.manager = std::move(manager);
        ui::ListView& list = main.lvServices;
        const std::vector<ui::ListRowId> rows = list.Rows();
        for (const ui::ListRowId row : rows) {
            if (list.Contains(row) && list.Selected(row)) StopService(run, main, row, restart);
        }
        if (!restart) {
            // Only the focused row is read again; the others wait for the
            // periodic pass.
            const ui::ListRowId focused = list.FocusedRow();
            if (focused && list.Contains(focused))
                main.RefreshGUIForService(list.Text(focused, kColServiceName));
        }
        main.sbStatusBar.SetPanelText(kPanelProgress, std::string(kProgressDone));
        main.SetMousePointer(ui::MousePointer::Default);
        if (run.errorFlag) ShowErrorList();
    }

    // The end check.
    if (!run.lastReported && run.lastError != kErrorSuccess && run.lastError != kErrorIoPending)
        main.MsgBox(CommandErrorText(run.platform, run.lastError), ui::MsgButtons::OK);
}

void ServiceOperations::StopService(StopRun& run, frmMain& main, ui::ListRowId row, bool restart) {
    Platform& platform = run.platform;
    ui::ListView& list = main.lvServices;
    const std::string name = list.Text(row, kColServiceName);
    auto report = [&](const std::string& service, const std::string& text) {
        AddToErrorList(service, text);
        run.errorFlag = true;
        run.lastReported = true;
    };

    {
        auto [service, openError] = platform.OpenService(
            run.manager, name, restart ? kRestartServiceAccess : kStopServiceAccess);
        run.Called(openError);
        if (!service) {
            report(name, CommandErrorText(platform, openError));
            if (!restart) return;
        } else {
            // A record of this service only: nothing of the one before is read.
            ServiceStatus status;
            StopSequence steps;
            steps.asker = restart ? nullptr : &main;
            steps.called = [&run](ErrorCode e) { run.Called(e); };
            steps.dependentAtBound = [&](const std::string& dependent) {
                AddToErrorList(dependent, DependentStopBoundText(name, kDependentStopBoundMs));
                run.errorFlag = true;
                run.lastReported = true;
            };
            const StopResult stop =
                StopWithDependents(platform, run.manager, service, name, status, steps);
            if (stop.cancelled) return;
            if (stop.dependentsError != kErrorSuccess) {
                report(name, CommandErrorText(platform, stop.dependentsError));
                if (!restart) return;
            }
            if (stop.boundReached) {
                report(name, StopBoundText(kStopBoundMs));
            } else if (stop.error != kErrorSuccess && !restart) {
                // Restart does not report its stop: the start tells.
                report(name, CommandErrorText(platform, stop.error));
            }
        }
    }
    if (!restart) return;

    // Restart: the start, through the companion library, watched by the tick.
    const int icon = list.SmallIcon(row);
    list.SetSmallIcon(row, static_cast<int>(StateIconIndex::Busy));
    Opened<ThreadHandle> started =
        platform.VTLStartService(name, UncComputerName(main.ComputerName()), std::nullopt);
    run.Called(started.error);
    if (!WatchStart(main, row, std::move(started))) {
        list.SetSmallIcon(row, icon);
        run.errorFlag = true;
        run.lastReported = true;
    }
    main.tmrService.SetEnabled(true);
}

}  // namespace vtl
