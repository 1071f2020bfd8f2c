#pragma once
// The commands of the main window that other windows carry out: starting,
// stopping, restarting and removing services, the start watch, the properties
// dialog, the wizard, the export and the about box. frmMain wires its menu
// items, pop-up items, toolbar buttons, double click and tmrService to these;
// each does nothing until the window that owns it overrides it. The program's
// entry point hands frmMain one object that overrides them all.

namespace vtl {

class frmMain;

class OperationsHooks {
  public:
    virtual ~OperationsHooks() = default;

    // Service > Start (also the pop-up Start and the Start button).
    virtual void mnuStart_Click(frmMain& /*main*/) {}
    // Service > Stop (also the pop-up Stop and the Stop button).
    virtual void mnuStop_Click(frmMain& /*main*/) {}
    // Service > Restart (also the pop-up Restart and the Restart button).
    virtual void mnuRestart_Click(frmMain& /*main*/) {}
    // Service > Remove Service (also the Remove button).
    virtual void mnuDelete_Click(frmMain& /*main*/) {}
    // Service > Properties (also the pop-up Properties, the Properties button and
    // a double click on a row).
    virtual void mnuProperties_Click(frmMain& /*main*/) {}
    // Service > Create Service (also the Create button).
    virtual void mnuCreateSrv_Click(frmMain& /*main*/) {}
    // Service > Export New Service.
    virtual void mnuExport_Click(frmMain& /*main*/) {}
    // Service > Export Selected Service (also the pop-up Export).
    virtual void MnuExportSel_Click(frmMain& /*main*/) {}
    // Help > About.
    virtual void mnuHelpAbout_Click(frmMain& /*main*/) {}
    // Every 100 ms while tmrService is enabled: the watch over pending starts.
    virtual void tmrService_Timer(frmMain& /*main*/) {}
};

}  // namespace vtl
