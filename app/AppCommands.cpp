#include "app/AppCommands.h"

#include "about/frmAbout.h"
#include "main/frmMain.h"

namespace vtl {

AppCommands::AppCommands(ui::UiHost& host) : host_(host), operations_(host) {}

AppCommands::~AppCommands() = default;

void AppCommands::mnuStart_Click(frmMain& main) {
    operations_.mnuStart_Click(main);
}
void AppCommands::mnuStop_Click(frmMain& main) {
    operations_.mnuStop_Click(main);
}
void AppCommands::mnuRestart_Click(frmMain& main) {
    operations_.mnuRestart_Click(main);
}
void AppCommands::mnuDelete_Click(frmMain& main) {
    operations_.mnuDelete_Click(main);
}
void AppCommands::tmrService_Timer(frmMain& main) {
    operations_.tmrService_Timer(main);
}
void AppCommands::mnuProperties_Click(frmMain& main) {
    properties_.mnuProperties_Click(main);
}

// --- The wizard and the About box ---------------------------------------------------------
void AppCommands::mnuCreateSrv_Click(frmMain& main) {
    wizard_.mnuCreateSrv_Click(main);
}
void AppCommands::mnuExport_Click(frmMain& main) {
    wizard_.mnuExport_Click(main);
}
void AppCommands::MnuExportSel_Click(frmMain& main) {
    wizard_.mnuPopExport_Click(main);
}
void AppCommands::mnuHelpAbout_Click(frmMain& main) {
    frmAbout about(host_, main.GetPlatform());
    about.ShowModal(&main);
}

}  // namespace vtl
