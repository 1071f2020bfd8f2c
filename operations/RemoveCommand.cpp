// Remove: deletes the one service the list reports as selected, after two
// questions, with a stop request and up to three delete attempts.

#include <string>

#include "core/ServiceCalls.h"
#include "core/ServiceRow.h"
#include "main/MainTexts.h"
#include "main/frmMain.h"
#include "operations/OperationScope.h"
#include "operations/OperationTexts.h"
#include "operations/ServiceOperations.h"

namespace vtl {

namespace {

constexpr std::uint32_t kRemoveServiceAccess = kDelete | kServiceStop;  // 0x10020

struct RemoveOutcome {
    ErrorCode error = kErrorSuccess;  // of the last step that failed
    bool thirdAttemptFailed = false;  // reopening for it, or the attempt itself
};

RemoveOutcome DeleteWithRetries(Platform& platform, const std::string& computer,
                                const std::string& name) {
    RemoveOutcome outcome;
    auto [manager, managerError] =
        platform.OpenSCManager(UncComputerName(computer), kScManagerAllAccess);
    if (!manager) {
        outcome.error = managerError;
        return outcome;
    }
    auto [service, openError] = platform.OpenService(manager, name, kRemoveServiceAccess);
    if (!service) {
        outcome.error = openError;
        return outcome;
    }
    // A service that is stopped already, or does not accept the stop, is
    // deleted all the same.
    ServiceStatus status;
    (void)platform.ControlService(service, kServiceControlStop, status);
    platform.Sleep(kDeleteWaitMs);

    ErrorCode error = platform.DeleteService(service);
    if (error != kErrorSuccess) {
        platform.Sleep(kDeleteWaitMs);
        error = platform.DeleteService(service);
    }
    if (error != kErrorSuccess) {
        service.reset();
        auto [again, againError] = platform.OpenService(manager, name, kRemoveServiceAccess);
        if (!again) {
            error = againError;
            outcome.thirdAttemptFailed = true;
        } else {
            error = platform.DeleteService(again);
            if (error != kErrorSuccess) outcome.thirdAttemptFailed = true;
        }
    }
    outcome.error = error;
    return outcome;
}

}  // namespace

void ServiceOperations::mnuDelete_Click(frmMain& main) {
    ui::ListView& list = main.lvServices;
    // Exactly one service: the one the list reports as its selected item.
    const ui::ListRowId row = list.SelectedItem();
    if (!row) return;
    const std::string name = list.Text(row, kColServiceName);
    const std::string computer = main.ComputerName();

    std::string note(kRemoveNote);
    note += '\r';
    note += kRemoveContinue;
    if (main.MsgBox(note, ui::MsgButtons::YesNo, ui::MsgIcon::Question) != ui::MsgResult::Yes)
        return;
    if (main.MsgBox(RemoveConfirmText(name, computer), ui::MsgButtons::YesNo,
                    ui::MsgIcon::Question) != ui::MsgResult::Yes)
        return;

    main.sbStatusBar.SetPanelText(kPanelProgress, std::string(kProgressDeleting));
    const OperationScope scope(main);
    const ScopeExit count([&main] { main.ShowServiceCount(); });

    Platform& platform = main.GetPlatform();
    const RemoveOutcome outcome = DeleteWithRetries(platform, computer, name);

    // The row may have gone while a message box was up; it is only touched
    // while it is there.
    const bool listed = list.Contains(row);
    switch (outcome.error) {
        case kErrorSuccess:
        case kErrorIoPending:
        case kErrorServiceDoesNotExist:
            if (listed) {
                EndWatch(list, row);
                list.RemoveRow(row);
            }
            break;
        case kErrorServiceMarkedForDelete:
            if (listed) list.SetText(row, kColStatus, std::string(kStatusMarkedForDeletion));
            break;
        default:
            break;
    }
    if (outcome.error != kErrorSuccess && outcome.error != kErrorIoPending &&
        !outcome.thirdAttemptFailed)
        main.MsgBox(CommandErrorText(platform, outcome.error), ui::MsgButtons::OK);
}

}  // namespace vtl
