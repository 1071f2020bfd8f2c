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

}  // namespace
}  // namespace vtl::testing
