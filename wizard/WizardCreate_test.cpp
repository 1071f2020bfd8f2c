// Creating a service: what the service manager is asked for each kind, account
// and interact choice, locally and on another computer; the wrapper and its
// "Application" value; the rollback; the start of an automatic service.

#include <gtest/gtest.h>

#include "core/ServiceCalls.h"
#include "core/ServiceRow.h"
#include "wizard/WizardTestSupport.h"
#include "wizard/WizardTexts.h"

namespace vtl::testing {
namespace {

class WizardCreate : public WizardTest {
  protected:
    WizardOutcome Create(const CreateInput& in, const std::string& machine = "PC1") {
        auto w = Wizard(ModeCreate, machine);
        WalkToSummary(*w, in);
        EXPECT_EQ(w->CurrentPage(), 3);
        const int kind = w->optNewSrv.Value() ? KindCompliant : KindAnyProgram;
        const WizardOutcome outcome = w->CreateNewService(kind);
        EXPECT_EQ(w->GetMousePointer(), ui::MousePointer::Default);
        return outcome;
    }
};

TEST_F(WizardCreate, TheCreateCallCarriesEachKindAccountAndInteractChoice) {
    struct Row {
        const char* name;
        std::string machine;
        CreateInput in;
        std::uint32_t type;
        std::string command;
        std::string account;
        std::string application;  // empty: none written
    };
    const auto input = [](std::int32_t kind, std::string exe, std::string drive,
                          std::uint32_t start, std::string account, bool interact) {
        CreateInput in;
        in.kind = kind;
        in.exePath = std::move(exe);
        in.drive = std::move(drive);
        in.startType = start;
        in.account = std::move(account);
        in.password = in.account.empty() ? "" : "secret";
        in.interact = interact;
        return in;
    };
    const std::vector<Row> rows = {
        {"local program, system, interactive", "PC1",
         input(KindAnyProgram, "C:\\apps\\run.bat", "C", kServiceAutoStart, "", true), 0x110,
         "\"C:\\apps\\VtlShell.exe\"", "LocalSystem", "C:\\apps\\run.bat"},
        {"local compliant, system, not interactive", "PC1",
         input(KindCompliant, "C:\\apps\\tool.exe", "E", kServiceDemandStart, "", false), 0x10,
         "\"C:\\apps\\tool.exe\"", "LocalSystem", ""},
        {"local compliant, an account", "PC1",
         input(KindCompliant, "C:\\apps\\tool.exe", "C", kServiceDisabled, ".\\svcuser", false),
         0x10, "\"C:\\apps\\tool.exe\"", ".\\svcuser", ""},
        {"remote compliant", "PC2",
         input(KindCompliant, "\\\\host\\D$\\bin\\svc.exe", "D", kServiceAutoStart, "", true),
         0x110, "\"D:\\bin\\svc.exe\"", "LocalSystem", ""},
        {"remote program, an account", "PC2",
         input(KindAnyProgram, "\\\\PC2\\D$\\bin\\svc.exe", "D", kServiceDemandStart, "CORP\\jdoe",
               false),
         0x10, "\"D:\\bin\\VtlShell.exe\"", "CORP\\jdoe", "D:\\bin\\svc.exe"},
    };
    pc2().AddAccount("CORP", "jdoe", "S-1-5-21-7-8-9-1105");
    pc1().PutFile("C:\\apps\\VtlShell.exe", "older wrapper");  // reused, not overwritten
    int n = 0;
    for (Row row : rows) {
        SCOPED_TRACE(row.name);
        row.in.name = "Svc" + std::to_string(++n);
        row.in.display = "Display of " + row.in.name;
        // "\\host\..." is the path the user chose on host PC2.
        if (row.in.exePath.starts_with("\\\\host")) row.in.exePath.replace(2, 4, "PC2");
        serviceToStart = "untouched";
        ASSERT_EQ(Create(row.in, row.machine), WizardOutcome::Succeeded);
        sim::SimComputer& computer = network.Computer(row.machine);
        const auto config = computer.Config(row.in.name);
        ASSERT_TRUE(config);
        EXPECT_EQ(config->serviceType, row.type);
        EXPECT_EQ(config->startType, row.in.startType);
        EXPECT_EQ(config->errorControl, kServiceErrorIgnore);
        EXPECT_EQ(config->binaryPathName, row.command);
        EXPECT_EQ(config->loadOrderGroup, "0");
        EXPECT_TRUE(config->dependencies.empty());
        EXPECT_EQ(config->serviceStartName, row.account);
        EXPECT_EQ(config->displayName, row.in.display);
        EXPECT_EQ(Application(computer, row.in.name),
                  row.application.empty() ? "<none>" : row.application + std::string(1, '\0'));
        EXPECT_EQ(serviceToStart, row.in.startType == kServiceAutoStart ? row.in.name : "");
    }
    // The wrapper went beside each wrapped program, on its computer.
    EXPECT_EQ(pc1().FileContent("C:\\apps\\VtlShell.exe"), "older wrapper");
    EXPECT_EQ(pc2().FileContent("D:\\bin\\VtlShell.exe"), kWrapperContent);
}

TEST_F(WizardCreate, AWrapperThatCannotBeInstalledTakesTheNewServiceAway) {
    struct Row {
        const char* operation;  // its first call from Finish on fails
        ErrorCode code;
    };
    // A refusal also says that creating needs an administrator; another code does not.
    const std::string denied = std::string(kCreateFailed) + "\r" + std::string(kAdministratorHint);
    for (const Row& row :
         {Row{"CopyFile", kErrorAccessDenied}, Row{"RegConnectRegistry", kErrorAccessDenied},
          Row{"RegCreateKeyEx", kErrorAccessDenied}, Row{"RegSetValueEx", kErrorAccessDenied},
          Row{"DeleteService", kErrorAccessDenied}, Row{"OpenSCManager", kErrorAccessDenied},
          Row{"CopyFile", kErrorBadNetPath}, Row{"RegConnectRegistry", kErrorBadNetPath}}) {
        SCOPED_TRACE(std::string(row.operation) + " " + std::to_string(row.code));
        CreateInput in;
        in.exePath = "\\\\PC2\\D$\\bin\\svc.exe";
        in.drive = "D";
        auto w = Wizard(ModeCreate, "PC2");
        WalkToSummary(*w, in);
        serviceToStart = "untouched";
        prompts.ClearQuestions();
        network.FailCall(row.operation, 1, row.code);
        // With DeleteService failing once, the value fails too; the second try deletes.
        if (std::string_view(row.operation) == "DeleteService")
            network.FailCall("RegSetValueEx", 1, row.code);
        Next(*w);  // Finish
        EXPECT_EQ(prompts.MessageTexts(),
                  std::vector<std::string>{
                      row.code == kErrorAccessDenied ? denied : std::string(kCreateFailed)});
        EXPECT_EQ(w->CurrentPage(), 3);
        EXPECT_TRUE(w->Visible());
        EXPECT_FALSE(pc2().HasService("Backup Agent"));
        EXPECT_EQ(serviceToStart, "untouched");
        network.ClearFaults();
    }
    // A service that cannot be deleted at all is named, once.
    network.FailAlways("DeleteService", kErrorAccessDenied);
    network.FailCall("RegSetValueEx", 1, kErrorAccessDenied);
    prompts.ClearQuestions();
    EXPECT_EQ(Create(CreateInput{}), WizardOutcome::FailedAndShown);
    ASSERT_EQ(prompts.Questions().size(), 1u);
    EXPECT_TRUE(prompts.Questions()[0].text.starts_with("The service Backup Agent was created on"));
    EXPECT_EQ(prompts.Questions()[0].icon, ui::MsgIcon::Exclamation);
}

TEST_F(WizardCreate, AFailedCreateCallDeletesNothing) {
    auto w = Wizard(ModeCreate);
    WalkToSummary(*w, CreateInput{});
    Add(pc1(), Svc("Backup Agent"));  // the name was taken after its page was checked
    prompts.ClearQuestions();
    Next(*w);
    EXPECT_EQ(prompts.MessageTexts(), std::vector<std::string>{std::string(kCreateFailed)});
    EXPECT_EQ(network.CountCalls("DeleteService"), 0u);
    EXPECT_EQ(pc1().Config("Backup Agent")->binaryPathName, "C:\\Program Files\\Svc\\svc.exe");
}

TEST_F(WizardCreate, TheMenuStartsANewAutomaticServiceAndWatchesTheStart) {
    OpenMain();
    for (const std::uint32_t start : {kServiceDemandStart, kServiceAutoStart}) {
        SCOPED_TRACE(std::string(StartTypeText(start)));
        CreateInput in;
        in.name = start == kServiceAutoStart ? "Auto Agent" : "Manual Agent";
        in.display = in.name;
        in.startType = start;
        prompts.AnswerMsgBox(ui::MsgResult::Yes);
        host.ExpectModal([&](ui::Form& f) {
            auto& w = static_cast<frmNewService&>(f);
            EXPECT_EQ(w.MachineName, "PC1");
            WalkToSummary(w, in);
            Next(w);
        });
        network.ClearCallLog();
        form->mnuCreateSrv.Click();
        EXPECT_EQ(Boxes(prompts).front(),
                  Box(kAskCreate, ui::MsgButtons::YesNo, ui::MsgIcon::Question));
        prompts.ClearQuestions();
        const ui::ListRowId row = Row(in.name);  // the list was refreshed
        if (start != kServiceAutoStart) {
            EXPECT_EQ(network.CountCalls("VTLStartService"), 0u);
            EXPECT_EQ(Progress(), "Done");
            continue;
        }
        ASSERT_EQ(network.CountCalls("VTLStartService", in.name), 1u);
        EXPECT_FALSE(form->lvServices.Tag(row).empty());
        EXPECT_TRUE(form->tmrService.Running());
        EXPECT_EQ(Progress(), "Starting Auto Agent");
        for (int i = 0; i < 100 && form->tmrService.Running(); ++i)
            host.RunFor(100);
        EXPECT_EQ(Cell(in.name, kColStatus), "Running");
        EXPECT_EQ(Ops().WatchedCount(), 0u);
    }
    // No to the question opens nothing; Cancel starts nothing.
    prompts.AnswerMsgBox(ui::MsgResult::No);
    form->mnuCreateSrv.Click();
    prompts.AnswerMsgBox(ui::MsgResult::Yes);
    host.ExpectModal([](ui::Form& f) { static_cast<frmNewService&>(f).cmdNav[2].Click(); });
    network.ClearCallLog();
    form->mnuCreateSrv.Click();
    EXPECT_EQ(network.CountCalls("VTLStartService"), 0u);
    EXPECT_EQ(host.PendingModalScripts(), 0u);
}

}  // namespace
}  // namespace vtl::testing
