#pragma once
// The service commands of the main window: Start with its watch over the
// pending starts (tmrService), Stop with the services that depend on the
// stopped one, Restart, Remove, and the error list window that gathers the
// failures of the commands on several services.
//
// The start handles: VTLStartService returns a start thread's handle; the
// command parks it in a watch table owned here, keyed by the row's stable id,
// and writes the handle's value into the row's tag, so a row is watched exactly
// while its tag is not empty. A handle is closed as soon as its exit code has
// been read, when a new start of the row replaces it, and when its row has left
// the list (at the latest on the next tick of tmrService, which runs while any
// handle is held; Remove closes it at once).
//
// Every wait has a bound (OperationTexts.h); reaching one adds an entry to the
// error list.

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>

#include "core/Platform.h"
#include "main/OperationsHooks.h"
#include "operations/frmErrorMsg.h"
#include "ui/FormInstance.h"
#include "ui/ListView.h"
#include "ui/UiHost.h"

namespace vtl {

class frmMain;

class ServiceOperations : public OperationsHooks {
  public:
    explicit ServiceOperations(ui::UiHost& host);
    ~ServiceOperations() override;
    ServiceOperations(const ServiceOperations&) = delete;
    ServiceOperations& operator=(const ServiceOperations&) = delete;

    // --- The commands (OperationsHooks) ----------------------------------------
    void mnuStart_Click(frmMain& main) override;
    void mnuStop_Click(frmMain& main) override;
    void mnuRestart_Click(frmMain& main) override;
    void mnuDelete_Click(frmMain& main) override;
    void tmrService_Timer(frmMain& main) override;

    // --- The error list --------------------------------------------------------
    // The window; created anew, empty, after the user closed it.
    [[nodiscard]] frmErrorMsg& ErrorList() { return errors_.Get(); }
    void ClearErrorList() { errors_->ClearErrorList(); }
    void AddToErrorList(const std::string& SrvName, const std::string& ErrDesr) {
        (void)errors_->AddToErrorList(SrvName, ErrDesr);
    }
    // Shows the window modeless, without owner (brings it to the front).
    void ShowErrorList() { errors_->Show(nullptr); }
    [[nodiscard]] int ErrorCount() { return errors_->EntryCount(); }

    // --- The start watch -------------------------------------------------------
    // Parks a start launched for the row: the handle goes into the watch table
    // (closing one it replaces), its value into the row's tag, and tmrService is
    // enabled. A start that has no handle (the companion library is missing or
    // refused) is reported in the error list instead; returns false then.
    bool WatchStart(frmMain& main, ui::ListRowId row, Opened<ThreadHandle> started);
    // Start handles held.
    [[nodiscard]] std::size_t WatchedCount() const noexcept { return watch_.size(); }

  private:
    struct StopRun;

    // Closes the handles of rows that are no longer in the list.
    void DropDepartedRows(const ui::ListView& list);
    // Drops the watch of one row: empties its tag, closes its handle.
    void EndWatch(ui::ListView& list, ui::ListRowId row);
    // The tick's end of one start: report by exit code, probe when needed.
    void StartEnded(frmMain& main, const std::string& name, std::uint32_t exitCode);
    void Probe(frmMain& main, const std::string& name);
    // Stop and Restart share the command's frame; restart starts each service again.
    void StopCommand(frmMain& main, bool restart);
    void StopService(StopRun& run, frmMain& main, ui::ListRowId row, bool restart);

    ui::FormInstance<frmErrorMsg> errors_;
    std::unordered_map<std::uint32_t, ThreadHandle> watch_;  // by row id
    bool inTick_ = false;  // a message box inside a tick lets no second tick in
};

}  // namespace vtl
