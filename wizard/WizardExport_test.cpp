// The export: the selected service read into the wizard, both batch files byte
// for byte, the overwrite questions, and what is refused with which message.

#include <gtest/gtest.h>

#include "core/ServiceCalls.h"
#include "core/sim/SimStrings.h"
#include "wizard/WizardTestSupport.h"
#include "wizard/WizardTexts.h"

namespace vtl::testing {
namespace {

const std::string kExportDir = std::string(kAppFolder) + "\\ExportDir";

std::string Lines(std::initializer_list<std::string_view> lines) {
    std::string text;
    for (std::string_view line : lines)
        text += std::string(line) + "\r\n";
    return text;
}

class WizardExport : public WizardTest {
  protected:
    // A wrapped, automatic, interactive service depending on Tcpip, then
    // LanmanWorkstation, running run.bat.
    void AddBackupAgent() {
        sim::ServiceDefinition d = Svc("Backup Agent", kServiceAutoStart);
        d.serviceType = kServiceWin32OwnProcess | kServiceInteractiveProcess;
        d.binaryPath = "\"C:\\apps\\VtlShell.exe\"";
        d.dependencies = {"Tcpip", "LanmanWorkstation"};
        Add(pc1(), Svc("Tcpip"));
        Add(pc1(), Svc("LanmanWorkstation"));
        Add(pc1(), d);
        pc1().SetRegistryString(ParametersKeyPath("Backup Agent"), "Application",
                                "C:\\apps\\run.bat");
    }
    // Export Selected Service on a row; script runs inside the wizard, if it opens.
    void ExportSelected(const std::string& name,
                        std::function<void(frmNewService&)> script = nullptr) {
        if (script)
            host.ExpectModal([script](ui::Form& f) { script(static_cast<frmNewService&>(f)); });
        form->lvServices.ClickRow(Row(name));
        form->MnuExportSel.Click();
        EXPECT_EQ(host.PendingModalScripts(), 0u);
    }
    static void Finish(frmNewService& w) {
        while (w.Loaded() && w.CurrentPage() < w.LastPage())
            Next(w);
        Next(w);
    }
    std::optional<std::string> Exported(std::string_view file) {
        return pc1().FileContent(kExportDir + "\\" + std::string(file));
    }
};

TEST_F(WizardExport, TheSelectedWrappedServiceIsWrittenByteForByte) {
    AddBackupAgent();
    OpenMain();
    ExportSelected("Backup Agent", [](frmNewService& w) {
        EXPECT_TRUE(w.optNewPwr.Value());
        EXPECT_TRUE(w.optExpAuto.Value());
        EXPECT_EQ(w.lblFinalInfo.Caption(),
                  "Service Name : Backup Agent\r\rService Type : User Program\r\r"
                  "Executable File : C:\\apps\\run.bat\r\rStartup Type : Automatic\r\r");
        Finish(w);
        EXPECT_TRUE(w.InteractFlag);
        EXPECT_TRUE(w.HasDependencies);
    });
    const std::string notice = "# Copyright (C) Orvane. All rights reserved.";
    EXPECT_EQ(Exported("Backup Agent_Inst.bat"),
              Lines({"", notice, "#", "# This batch file installs Backup Agent service.",
                     "# Installation instructions :",
                     "# Copy this file alongwith VtlShell.exe into the directory where",
                     "# 'run.bat' exists.", "# Run this batch file to install.", " ",
                     "VtlShell -install \"Backup Agent\" -auto -power -interact -dep "
                     "\"LanmanWorkstation/Tcpip/\" \"run.bat\""}));
    EXPECT_EQ(
        Exported("Backup Agent_Uninst.bat"),
        Lines({"", notice, "#", "# This batch file uninstalls Backup Agent service.",
               "# Uninstallation instructions :",
               "# Copy this file into the directory where VtlShell.exe exists.",
               "# Run this batch file to uninstall.", " ", "VtlShell -remove \"Backup Agent\""}));
    EXPECT_EQ(Exported("VtlShell.exe"), kWrapperContent);
}

TEST_F(WizardExport, ANewCompliantDemandStartServiceIsWrittenByteForByte) {
    OpenMain();
    host.ExpectModal([](ui::Form& f) {
        auto& w = static_cast<frmNewService&>(f);
        w.optNewSrv.Click();
        Next(w);
        w.txtExpSrvName.TypeText("Name");
        w.txtExpExePath.TypeText("prog.exe");  // no folder: the whole text
        w.optExpManual.Click();
        Finish(w);
        EXPECT_FALSE(w.Loaded());
    });
    form->mnuExport.Click();
    const std::string text = *Exported("Name_Inst.bat");
    EXPECT_TRUE(text.ends_with("\r\n \r\nVtlShell -install \"Name\" -demand \"prog.exe\"\r\n"));
    EXPECT_NE(text.find("# 'prog.exe' exists.\r\n"), std::string::npos);
    EXPECT_TRUE(Exported("Name_Uninst.bat")->ends_with("VtlShell -remove \"Name\"\r\n"));
    EXPECT_EQ(prompts.Questions().size(), 0u);  // no question before the export
}

TEST_F(WizardExport, NoToAnOverwriteQuestionKeepsThatFile) {
    sim::ServiceDefinition d = Svc("Svc");
    d.binaryPath = "C:\\apps\\tool.exe";
    Add(pc1(), d);
    OpenMain();
    struct Row {
        ui::MsgResult install;
        ui::MsgResult uninstall;
        bool installKept;
        bool uninstallKept;
        bool wrapperCopied;
    };
    for (const Row& row : {Row{ui::MsgResult::Yes, ui::MsgResult::No, false, true, false},
                           Row{ui::MsgResult::No, ui::MsgResult::Yes, true, false, true},
                           // The wrapper copied by the row before is kept, and that is no failure.
                           Row{ui::MsgResult::Yes, ui::MsgResult::Yes, false, false, true}}) {
        pc1().PutFile(kExportDir + "\\Svc_Inst.bat", "old");
        pc1().PutFile(kExportDir + "\\Svc_Uninst.bat", "old");
        pc1().PutDirectory(kExportDir);
        prompts.ClearQuestions();
        prompts.AnswerMsgBox(row.install).AnswerMsgBox(row.uninstall);
        bool closed = false;
        ExportSelected("Svc", [&](frmNewService& w) {
            Finish(w);
            closed = !w.Loaded();
        });
        EXPECT_TRUE(closed);  // answering No still counts as success
        const auto ask = [](const std::string& file) {
            return Box("A File named '" + file +
                           "' is already exists. Would you like to replace the existing file "
                           "with this one?",
                       ui::MsgButtons::YesNo);
        };
        EXPECT_EQ(Boxes(prompts),
                  (std::vector<std::string>{ask("Svc_Inst.bat"), ask("Svc_Uninst.bat")}));
        EXPECT_EQ(*Exported("Svc_Inst.bat") == "old", row.installKept);
        EXPECT_EQ(*Exported("Svc_Uninst.bat") == "old", row.uninstallKept);
        EXPECT_EQ(Exported("VtlShell.exe").has_value(), row.wrapperCopied);
    }
}

}  // namespace
}  // namespace vtl::testing
