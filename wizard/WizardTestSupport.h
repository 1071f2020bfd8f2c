#pragma once
// What the wizard's tests share: the main window's test world (PC1, the local
// computer, and PC2 on the simulated network) with drives, shares, the wrapper
// in the program's folder and programs to register; the wizard's commands wired
// into the main window; and helpers that open the wizard and walk its pages.

#include <memory>
#include <string>
#include <vector>

#include "core/RegistryNames.h"
#include "main/MainTestSupport.h"
#include "operations/OperationsTestSupport.h"
#include "operations/ServiceOperations.h"
#include "wizard/WizardCommands.h"
#include "wizard/frmNewService.h"

namespace vtl::testing {

inline constexpr std::string_view kAppFolder = "C:\\Program Files\\Vantrel";
inline constexpr std::string_view kWrapperContent = "MZ wrapper";

// The main window's hooks as the program composes them: the start watch and the
// wizard's commands.
class WizardHooks : public OperationsHooks {
  public:
    explicit WizardHooks(ui::UiHost& host) : ops(host), wizard(host, ops) {}
    void tmrService_Timer(frmMain& main) override { ops.tmrService_Timer(main); }
    void mnuCreateSrv_Click(frmMain& main) override { wizard.mnuCreateSrv_Click(main); }
    void mnuExport_Click(frmMain& main) override { wizard.mnuExport_Click(main); }
    void MnuExportSel_Click(frmMain& main) override { wizard.mnuPopExport_Click(main); }
    ServiceOperations ops;
    WizardCommands wizard;
};

// The fields of the create mode's pages.
struct CreateInput {
    std::int32_t kind = KindAnyProgram;
    std::string name = "Backup Agent";
    std::string display = "Nightly backup";
    std::string exePath = "C:\\apps\\run.bat";
    std::string drive = "C";
    std::uint32_t startType = kServiceAutoStart;
    std::string account;  // empty: the system account
    std::string password;
    bool interact = true;
};

inline void Next(frmNewService& w) {
    w.cmdNav[1].Click();
}
inline void Back(frmNewService& w) {
    w.cmdNav[0].Click();
}

// Fills the create mode's pages and goes on to the summary.
inline void WalkToSummary(frmNewService& w, const CreateInput& in) {
    (in.kind == KindCompliant ? w.optNewSrv : w.optNewPwr).Click();
    Next(w);
    w.txtSrvName.TypeText(in.name);
    w.txtSrvDispName.TypeText(in.display);
    w.cboDrive.SelectItem(w.cboDrive.FindItem(in.drive));
    w.txtExePath.TypeText(in.exePath);
    Next(w);
    (in.startType == kServiceAutoStart     ? w.optAuto
     : in.startType == kServiceDemandStart ? w.optManual
                                           : w.optDisabled)
        .Click();
    if (!in.account.empty()) {
        w.optThisAcc.Click();
        w.txtAccName.TypeText(in.account);
        w.txtPasswd.TypeText(in.password);
    }
    if (!in.interact) w.ChkInteract.Click();
    Next(w);
}

class WizardTest : public MainWindowTest {
  protected:
    WizardTest() {
        prompts.SetAutoOk(true);
        pc1().AddDrive('C', kDriveFixed);
        pc1().AddDrive('D', kDriveCdRom);
        pc1().AddDrive('E', kDriveFixed);
        pc1().SetApplicationFolder(std::string(kAppFolder));
        pc1().PutFile(std::string(kAppFolder) + "\\VtlShell.exe", kWrapperContent);
        pc1().PutFile("C:\\apps\\tool.exe", "MZ");
        pc1().PutFile("C:\\apps\\run.bat", "@echo off");
        pc1().AddAccount("PC1", "svcuser", "S-1-5-21-1-2-3-1001");
        pc2().AddDrive('C', kDriveFixed);
        pc2().AddDrive('D', kDriveFixed);
        pc2().AddAdministrativeShares();
        pc2().AddShare("Data", kStypeDiskTree, "D:\\Data", "Team data");
        pc2().PutFile("D:\\bin\\svc.exe", "MZ");
    }
    ~WizardTest() override { form.reset(); }
    // Every story ends with no handle open, once the start threads are through.
    void TearDown() override {
        network.Advance(sim::kStartThreadBoundMs);
        EXPECT_EQ(network.OpenHandleCount(), 0u) << "a handle was left open";
    }

    // The main window over PC1 with the wizard's commands.
    frmMain& OpenMain() {
        if (pc1().ServiceNames().empty()) Add(pc1(), Svc("Spooler"));
        Open();
        form->SetHooks(wizardHooks);
        return *form;
    }

    // A wizard shown modeless (loaded and activated) in a mode for a computer.
    std::unique_ptr<frmNewService> Wizard(std::int32_t mode, const std::string& machine = "PC1") {
        auto wizard = std::make_unique<frmNewService>(host, platform(), serviceToStart);
        wizard->MachineName = machine;
        wizard->WizardMode = mode;
        wizard->Show();
        return wizard;
    }

    // The bytes of a service's "Application" value on a simulated computer.
    static std::string Application(const sim::SimComputer& computer, const std::string& service) {
        const auto value = computer.Registry().Value(ParametersKeyPath(service), "Application");
        return value ? std::string(value->data.begin(), value->data.end()) : "<none>";
    }

    std::string serviceToStart;
    WizardHooks wizardHooks{host};
};

}  // namespace vtl::testing
