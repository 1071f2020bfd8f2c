#pragma once
// The main window's commands that open the wizard: Service > Create Service
// (with the start of a new automatic service once the wizard has closed),
// Service > Export New Service, and Service > Export Selected Service (also the
// pop-up Export), which reads the selected service into the wizard first.

#include <string>

#include "operations/ServiceOperations.h"
#include "ui/UiHost.h"

namespace vtl {

class frmMain;

class WizardCommands {
  public:
    // operations: the start watch that a new service's start is parked with.
    WizardCommands(ui::UiHost& host, ServiceOperations& operations);

    void mnuCreateSrv_Click(frmMain& main);
    void mnuExport_Click(frmMain& main);
    // Export Selected Service and the pop-up's Export.
    void mnuPopExport_Click(frmMain& main);

    // The service the last creation asked to start; empty for none.
    [[nodiscard]] const std::string& ServiceToStart() const noexcept { return serviceToStart_; }

  private:
    // Refreshes the list and starts ServiceToStart through the companion library.
    void StartCreatedService(frmMain& main);

    ui::UiHost& host_;
    ServiceOperations& operations_;
    std::string serviceToStart_;
};

}  // namespace vtl
