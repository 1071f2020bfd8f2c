// Fault sweeps: every platform call of a creation and of an export fails in
// turn, at each position. Nothing crashes, no handle stays open, every message
// has a text, a created service is either complete or gone, and each exported
// file is either complete or not written.

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>

#include "core/ServiceCalls.h"
#include "wizard/WizardTestSupport.h"
#include "wizard/WizardTexts.h"

namespace vtl::testing {
namespace {

// A fresh world for each run.
struct World : WizardTest {
    World() {
        sim::ServiceDefinition d = Svc("Backup Agent", kServiceAutoStart);
        d.binaryPath = "\"C:\\apps\\VtlShell.exe\"";
        d.dependencies = {"Tcpip"};
        Add(pc1(), Svc("Tcpip"));
        Add(pc1(), d);
        pc1().SetRegistryString(ParametersKeyPath("Backup Agent"), "Application",
                                "C:\\apps\\run.bat");
        OpenMain();
        network.ClearCallLog();
    }
    void TestBody() override {}
    using WizardTest::Application;
    using WizardTest::network;
    using WizardTest::pc1;
    using WizardTest::prompts;

    void CreateOn(const std::string& machine, const CreateInput& in) {
        auto w = Wizard(ModeCreate, machine);
        WalkToSummary(*w, in);
        Next(*w);
        EXPECT_EQ(w->GetMousePointer(), ui::MousePointer::Default);
    }
    void ExportSelected() {
        host.ExpectModal([](ui::Form& f) {
            if (auto* w = dynamic_cast<frmNewService*>(&f)) {
                Next(*w);
                Next(*w);
                w->cmdNav[2].Click();  // after a failure the wizard stays: cancel it
            } else {
                f.Hide();
            }
        });
        form->lvServices.ClickRow(Row("Backup Agent"));
        form->MnuExportSel.Click();
        if (host.PendingModalScripts() > 0) {  // the wizard did not open
            ui::Form unused(host, "unused");
            unused.ShowModal();
        }
    }
};

struct Scenario {
    const char* name;
    std::function<void(World&)> run;
    std::string machine;             // where a service is created
    std::string service;             // the service created
    std::string application;         // its "Application" value when complete
    std::vector<std::string> files;  // files of the export folder
};

CreateInput LocalProgram() {
    CreateInput in;
    in.name = "Backup Agent 2";  // "Backup Agent" exists here
    return in;
}
CreateInput RemoteProgram() {
    CreateInput in;
    in.exePath = "\\\\PC2\\D$\\bin\\svc.exe";
    in.drive = "D";
    return in;
}

const std::vector<Scenario>& Scenarios() {
    static const std::vector<Scenario> scenarios = {
        {"create a wrapped program here",
         [](World& w) { w.CreateOn("PC1", LocalProgram()); },
         "PC1",
         "Backup Agent 2",
         "C:\\apps\\run.bat",
         {}},
        {"create a wrapped program on PC2",
         [](World& w) { w.CreateOn("PC2", RemoteProgram()); },
         "PC2",
         "Backup Agent",
         "D:\\bin\\svc.exe",
         {}},
        {"export the selected service",
         [](World& w) { w.ExportSelected(); },
         "",
         "",
         "",
         {"Backup Agent_Inst.bat", "Backup Agent_Uninst.bat", "VtlShell.exe"}},
    };
    return scenarios;
}

TEST(WizardFaults, EveryCallOfCreationAndExportFailingAtEachPosition) {
    int runs = 0;
    for (const Scenario& scenario : Scenarios()) {
        std::map<std::string, std::uint32_t> counts;
        std::map<std::string, std::string> complete;  // the files of a clean run
        const std::string folder = std::string(kAppFolder) + "\\ExportDir\\";
        {
            World clean;
            scenario.run(clean);
            for (const sim::CallRecord& call : clean.network.CallLog()) {
                const auto& faultable = sim::SimNetwork::FaultableOperations();
                if (std::find(faultable.begin(), faultable.end(), call.operation) !=
                    faultable.end())
                    ++counts[call.operation];
            }
            for (const std::string& file : scenario.files) {
                const auto content = clean.pc1().FileContent(folder + file);
                ASSERT_TRUE(content) << file;
                complete[file] = *content;
            }
            EXPECT_EQ(clean.network.OpenHandleCount(), 0u);
        }
        for (const auto& [operation, count] : counts) {
            for (std::uint32_t nth = 1; nth <= count; ++nth) {
                SCOPED_TRACE(std::string(scenario.name) + ": " + operation + " #" +
                             std::to_string(nth));
                World w;
                w.network.FailCall(operation, nth, kErrorAccessDenied);
                scenario.run(w);
                ++runs;
                EXPECT_EQ(w.network.OpenHandleCount(), 0u);
                for (const auto& question : w.prompts.Questions()) {
                    EXPECT_FALSE(question.text.empty());
                    // Every fault is a refusal: a failed creation says that it needs
                    // an administrator.
                    if (question.text.starts_with(kCreateFailed)) {
                        EXPECT_TRUE(question.text.ends_with(kAdministratorHint)) << question.text;
                    }
                }
                if (!scenario.service.empty()) {
                    sim::SimComputer& computer = w.network.Computer(scenario.machine);
                    // Complete, or not there at all.
                    if (computer.HasService(scenario.service) &&
                        !computer.IsMarkedForDelete(scenario.service)) {
                        EXPECT_EQ(World::Application(computer, scenario.service),
                                  scenario.application + std::string(1, '\0'));
                    }
                }
                for (const auto& [file, content] : complete) {
                    const auto written = w.pc1().FileContent(folder + file);
                    if (written) {
                        EXPECT_EQ(*written, content) << file;
                    }
                }
            }
        }
    }
    EXPECT_GT(runs, 40);
    std::printf("wizard fault sweep: %d runs\n", runs);
}

}  // namespace
}  // namespace vtl::testing
