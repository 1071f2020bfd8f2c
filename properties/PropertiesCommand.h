#pragma once
// Service > Properties (also the pop-up Properties, the Properties button and a
// double click on a row): opens the one properties dialog for the main
// window's selected row, or reloads it in place when it is open. The dialog is
// created anew after it was closed, so each opening starts from its design state.

#include "ui/FormInstance.h"
#include "ui/UiHost.h"

namespace vtl {

class frmMain;
class frmProperties;
class ServiceOperations;

class PropertiesCommand {
  public:
    // operations: the owner of the start watch the dialog's Start parks its
    // starts in.
    PropertiesCommand(ui::UiHost& host, ServiceOperations& operations);
    ~PropertiesCommand();
    PropertiesCommand(const PropertiesCommand&) = delete;
    PropertiesCommand& operator=(const PropertiesCommand&) = delete;

    // Nothing without a selected row; otherwise gSrvName and gSysName,
    // ReactivateProperties, and the dialog shown modeless, without owner.
    void mnuProperties_Click(frmMain& main);

    // The dialog, if one was created (it may have been closed since).
    [[nodiscard]] frmProperties* Existing() const noexcept { return dialog_.Existing(); }

  private:
    ui::UiHost& host_;
    ServiceOperations& operations_;
    frmMain* main_ = nullptr;
    ui::FormInstance<frmProperties> dialog_;
};

}  // namespace vtl
