#include "properties/PropertiesCommand.h"

#include <memory>

#include "core/ServiceRow.h"
#include "main/frmMain.h"
#include "properties/frmProperties.h"

namespace vtl {

PropertiesCommand::PropertiesCommand(ui::UiHost& host, ServiceOperations& operations)
    : host_(host),
      operations_(operations),
      dialog_([this] { return std::make_unique<frmProperties>(host_, *main_, operations_); }) {}

PropertiesCommand::~PropertiesCommand() = default;

void PropertiesCommand::mnuProperties_Click(frmMain& main) {
    const ui::ListRowId row = main.lvServices.SelectedItem();
    if (!row) return;
    main_ = &main;
    frmProperties& dialog = dialog_.Get();
    dialog.gSrvName = main.lvServices.Text(row, kColServiceName);
    dialog.gSysName = main.ComputerName();
    dialog.ReactivateProperties();
    dialog.Show(nullptr);
}

}  // namespace vtl
