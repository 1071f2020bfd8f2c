// The properties dialog's Start, Stop, Pause and Resume: each acts on the
// dialog's service at once and reports a failure in a message box. Start goes
// through the companion library into the main window's start watch; Stop is
// the main window's stop of a service with its dependents.

#include <string>
#include <vector>

#include "core/ServiceCalls.h"
#include "core/ServiceRow.h"
#include "main/frmMain.h"
#include "operations/OperationTexts.h"
#include "operations/ServiceOperations.h"
#include "operations/StopSequence.h"
#include "properties/PropertiesTexts.h"
#include "properties/PropertiesWork.h"
#include "properties/frmProperties.h"

namespace vtl {

bool frmProperties::MainShowsThisComputer() const {
    return SameComputer(main_.ComputerName(), gSysName);
}

ui::ListRowId frmProperties::MainRow() const {
    if (!MainShowsThisComputer()) return {};
    return main_.lvServices.FindRow(gSrvName);
}

void frmProperties::cmdStart_Click() {
    const Hourglass hourglass(*this);
    Platform& platform = GetPlatform();
    ErrorCode failure = kErrorSuccess;
    {
        const OpenedService opened = OpenThisService(kStartManagerAccess, kStartServiceAccess);
        const ServiceHandle& service = opened.service;
        failure = opened.error;
        if (service) {
            ui::ListView& list = main_.lvServices;
            const ui::ListRowId row = MainRow();
            const int icon = row ? list.SmallIcon(row) : 0;
            if (row) list.SetSmallIcon(row, static_cast<int>(StateIconIndex::Busy));
            Opened<ThreadHandle> started =
                platform.VTLStartService(gSrvName, UncComputerName(gSysName), txtStartParam.Text());
            failure = started.error;
            if (!started.handle) {
                if (row) list.SetSmallIcon(row, icon);  // nothing is under way
            } else {
                // The watch reports the start's end; without a row of this
                // service in the list the start goes on unwatched.
                if (row) {
                    (void)operations_.WatchStart(main_, row, std::move(started));
                    main_.RefreshGUIForService(gSrvName);
                }
                platform.Sleep(kStartLookMs);
                ServiceStatus status;
                failure = platform.QueryServiceStatus(service, status);
                if (failure == kErrorSuccess) {
                    const std::string text(ServiceStatusText(status.currentState));
                    lblServiceStatus.SetCaption(text);
                    if (status.currentState == kServiceStopped)
                        MsgBox(CouldNotStartText(gSrvName, gSysName), ui::MsgButtons::OK,
                               ui::MsgIcon::Information);
                    if (const ui::ListRowId now = MainRow()) {
                        list.SetText(now, kColStatus, text);
                        main_.RowActedOn(now);
                    }
                    UpdateServiceControls(status);
                }
            }
        }
    }
    EndCheck(failure);
}

void frmProperties::cmdStop_Click() {
    const Hourglass hourglass(*this);
    Platform& platform = GetPlatform();
    ServiceStatus status;
    ErrorCode lastError = kErrorSuccess;
    bool cancelled = false;
    std::string bounds;  // waits that reached their bound
    {
        const OpenedService opened =
            OpenThisService(kScManagerAllAccess, kStopServiceAccessFromDialog);
        const ServiceHandle& service = opened.service;
        lastError = opened.error;
        if (service) {
            StopSequence steps;
            steps.asker = this;
            steps.called = [&lastError](ErrorCode error) { lastError = error; };
            steps.dependentAtBound = [&](const std::string& dependent) {
                bounds +=
                    dependent + ": " + DependentStopBoundText(gSrvName, kDependentStopBoundMs);
                bounds += '\r';
            };
            const StopResult stop =
                StopWithDependents(platform, opened.manager, service, gSrvName, status, steps);
            cancelled = stop.cancelled;
            // A refused stop leaves no record to set the buttons from (some
            // service managers fill it with garbage): the service's own state.
            if (status == ServiceStatus{}) (void)platform.QueryServiceStatus(service, status);
            if (stop.boundReached) bounds += StopBoundText(kStopBoundMs);
            if (!cancelled && stop.error == kErrorSuccess &&
                stop.dependentsError == kErrorSuccess) {
                const std::string text(ServiceStatusText(status.currentState));
                lblServiceStatus.SetCaption(text);
                if (const ui::ListRowId row = MainRow()) {
                    main_.lvServices.SetText(row, kColStatus, text);
                    main_.RowActedOn(row);
                }
            }
        }
    }
    if (!cancelled) {
        if (!bounds.empty()) {
            if (bounds.back() == '\r') bounds.pop_back();
            MsgBox(bounds, ui::MsgButtons::OK, ui::MsgIcon::Exclamation);
        }
        EndCheck(lastError, ui::MsgIcon::None, "  ");
    }
    UpdateServiceControls(status);
}

void frmProperties::cmdPause_Click() {
    PauseOrResume(kServiceControlPause);
}

void frmProperties::cmdResume_Click() {
    PauseOrResume(kServiceControlContinue);
}

void frmProperties::PauseOrResume(std::uint32_t control) {
    const Hourglass hourglass(*this);
    Platform& platform = GetPlatform();
    ErrorCode failure = kErrorSuccess;
    {
        const OpenedService opened = OpenThisService(kScManagerAllAccess, kPauseServiceAccess);
        const ServiceHandle& service = opened.service;
        failure = opened.error;
        if (service) {
            ServiceStatus status;
            failure = platform.ControlService(service, control, status);
            if (failure == kErrorSuccess)
                lblServiceStatus.SetCaption(std::string(ServiceStatusText(status.currentState)));
        }
    }
    EndCheck(failure);
}

}  // namespace vtl
