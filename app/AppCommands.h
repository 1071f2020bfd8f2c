#pragma once
// The program's commands, composed: one OperationsHooks that frmMain is given,
// forwarding each command to the window or object that carries it out. The
// service commands and the start watch are ServiceOperations'; the properties
// dialog, the wizard and the about box plug in here as they are built.

#include "main/OperationsHooks.h"
#include "operations/ServiceOperations.h"
#include "properties/PropertiesCommand.h"
#include "ui/UiHost.h"
#include "wizard/WizardCommands.h"

namespace vtl {

class AppCommands : public OperationsHooks {
  public:
    explicit AppCommands(ui::UiHost& host);
    ~AppCommands() override;
    AppCommands(const AppCommands&) = delete;
    AppCommands& operator=(const AppCommands&) = delete;

    void mnuStart_Click(frmMain& main) override;
    void mnuStop_Click(frmMain& main) override;
    void mnuRestart_Click(frmMain& main) override;
    void mnuDelete_Click(frmMain& main) override;
    void tmrService_Timer(frmMain& main) override;
    void mnuProperties_Click(frmMain& main) override;
    // The wizard and the About box.
    void mnuCreateSrv_Click(frmMain& main) override;
    void mnuExport_Click(frmMain& main) override;
    void MnuExportSel_Click(frmMain& main) override;
    void mnuHelpAbout_Click(frmMain& main) override;

    [[nodiscard]] ServiceOperations& Operations() noexcept { return operations_; }

  private:
    ui::UiHost& host_;
    ServiceOperations operations_;
    PropertiesCommand properties_{host_, operations_};
    WizardCommands wizard_{host_, operations_};
};

}  // namespace vtl
