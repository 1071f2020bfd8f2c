// The properties dialog as user stories over simulated computers: loading each
// kind of service, the Logon page's two states, the Dependencies page with the
// Add Dependencies dialog, what OK writes, and what a failed OK keeps.

#include <gtest/gtest.h>

#include "properties/PropertiesTestSupport.h"
#include "properties/PropertiesTexts.h"
#include "properties/frmAddDeps.h"

namespace vtl::testing {
namespace {

sim::ServiceDefinition Kind(std::string name, std::uint32_t type, std::uint32_t startType,
                            std::uint32_t state, std::string account, std::string options) {
    sim::ServiceDefinition d = TestSvc(std::move(name), std::move(options), state);
    d.serviceType = type;
    d.startType = startType;
    d.startName = std::move(account);
    return d;
}

TEST_F(PropertiesTest, LoadsEachServiceTypeStartTypeAndState) {
    const std::vector<std::pair<sim::ServiceDefinition, std::string>> cases = {
        {Kind("Manual", kServiceWin32OwnProcess, kServiceDemandStart, kServiceStopped,
              "LocalSystem", ""),
         "0 Stopped S--- System shut shut LocalSystem"},
        {Kind("Desk", kServiceWin32OwnProcess | kServiceInteractiveProcess, kServiceAutoStart,
              kServiceRunning, "LocalSystem", ""),
         "1 Running -T-- System+interact shut shut LocalSystem"},
        {Kind("Shared", kServiceWin32ShareProcess, kServiceDisabled, kServicePaused,
              "NT AUTHORITY\\LocalService", "--pause"),
         "2 Paused STPR This(fixed) shut shut NT AUTHORITY\\LocalService locked"},
        {Kind("NoStop", kServiceWin32OwnProcess, kServiceSystemStart, kServiceRunning, "CORP\\svc",
              "--no-stop"),
         "-1 Running ---- This(fixed) open open CORP\\svc"},
        // Both process bits: not a shared process, the logon can be edited.
        {Kind("Both", kServiceWin32OwnProcess | kServiceWin32ShareProcess, kServiceDemandStart,
              kServiceStopped, "LocalSystem", ""),
         "0 Stopped S--- System shut shut LocalSystem"},
    };
    for (const auto& c : cases)
        Add(pc1(), c.first);
    pc1().SetRegistryString(VtlParamsKeyPath("Desk"), "Params", "-port 80");
    for (const auto& [service, state] : cases) {
        SCOPED_TRACE(service.name);
        frmProperties& dlg = Properties(service.name);
        EXPECT_TRUE(dlg.Visible());
        EXPECT_EQ(State(dlg), state);
        EXPECT_EQ(dlg.Caption(), "'" + service.name + "' Service Properties");
        EXPECT_EQ(dlg.lblServiceName.Caption(), service.name);
        EXPECT_EQ(dlg.txtDispName.Text(), "Display of " + service.name);
        EXPECT_EQ(dlg.txtExePath.Text(), service.binaryPath);
        EXPECT_EQ(dlg.txtStartParam.Text(), service.name == "Desk" ? "-port 80" : "");
        EXPECT_TRUE(Asked(service.name,
                          kServiceQueryConfig | kServiceQueryStatus | kServiceEnumerateDependents));
    }
    // The tabs' access keys; each tab shows its own page.
    frmProperties& dlg = Dialog();
    for (int tab = 2; tab >= 0; --tab) {
        EXPECT_EQ(dlg.tabProperties.GetTab(tab).caption,
                  (std::vector<std::string>{"&General", "&Logon", "&Dependencies"})[tab]);
        ASSERT_TRUE(dlg.tabProperties.SelectTab(tab));
        for (int page = 0; page < 3; ++page)
            EXPECT_EQ(dlg.picProperties(page).Visible(), page == tab) << tab << " " << page;
    }
}

TEST_F(PropertiesTest, TheLogonPageSwitchesBetweenItsTwoStates) {
    sim::ServiceDefinition desk = Svc("Desk");
    desk.serviceType = kServiceWin32OwnProcess | kServiceInteractiveProcess;
    Add(pc1(), desk);
    Add(pc1(), Svc("Plain"));
    for (const bool interactive : {true, false}) {
        frmProperties& dlg = Properties(interactive ? "Desk" : "Plain");
        dlg.tabProperties.SelectTab(kPageLogon);
        // The account boxes are open exactly for "This Account", the interact
        // box exactly for the system account.
        const std::string system = interactive ? "System+interact" : "System";
        EXPECT_EQ(State(dlg), "0 Stopped S--- " + system + " shut shut LocalSystem");
        ASSERT_TRUE(dlg.optThisAcc.Click());
        EXPECT_EQ(State(dlg), "0 Stopped S--- This(fixed) open open LocalSystem");
        ASSERT_TRUE(dlg.optLocalSystem.Click());
        EXPECT_EQ(State(dlg), "0 Stopped S--- " + system + " shut shut LocalSystem");
    }
}

TEST_F(PropertiesTest, DependenciesAreListedAddedTwiceRemovedAndWritten) {
    Add(pc1(), Svc("Base", kServiceDemandStart, kServiceRunning));
    sim::ServiceDefinition mid = Svc("Mid", kServiceDemandStart, kServiceRunning);
    mid.dependencies = {"Base", "+NetGroup"};
    Add(pc1(), mid);
    sim::ServiceDefinition top = Svc("Top", kServiceDemandStart, kServiceRunning);
    top.dependencies = {"Mid"};
    Add(pc1(), top);
    Add(pc1(), Svc("Lone"));

    // Dependents by display name, from the platform's last record to its first.
    frmProperties& base = Properties("Base");
    EXPECT_EQ(Items(base.lstDepService),
              (std::vector<std::string>{"Display of Mid", "Display of Top"}));
    EXPECT_EQ(base.lstDepService.BackColor(), std::nullopt);
    // Group names as stored; no dependents: an empty, grey list.
    frmProperties& dlg = Properties("Top");
    EXPECT_EQ(dlg.lstDepService.BackColor(), ui::kColorButtonFace);
    Properties("Mid");
    dlg.tabProperties.SelectTab(kPageDependencies);
    const std::vector<std::string> loaded = {"Base", "+NetGroup"};
    EXPECT_EQ(Items(dlg.lstDependSrv), loaded);
    EXPECT_EQ(Items(dlg.lstDepService), std::vector<std::string>{"Display of Top"});

    // Remove without a selection asks for one.
    ASSERT_TRUE(dlg.cmdRemove.Click());
    EXPECT_EQ(Boxes(prompts),
              std::vector<std::string>{Box("Please select a service from dependencies.",
                                           ui::MsgButtons::OK, ui::MsgIcon::Information)});
    EXPECT_EQ(Items(dlg.lstDependSrv), loaded);

    // frmAddDeps offers the main list's rows but the selected one (and the
    // service itself), adds one per opening, Cancel adds nothing.
    std::vector<std::string> offered;
    auto add = [&](const std::string& pick) {
        host.ExpectModal([&, pick](ui::Form& form) {
            auto& deps = dynamic_cast<frmAddDeps&>(form);
            offered = Items(deps.lstCurSrvs);
            if (pick.empty()) {
                deps.cmdCancel.Click();
                return;
            }
            for (int i = 0; i < deps.lstCurSrvs.ListCount(); ++i)
                if (deps.lstCurSrvs.List(i) == pick) deps.lstCurSrvs.ClickItem(i);
            deps.cmdAdd.Click();
        });
        ASSERT_TRUE(dlg.cmdAdd.Click());
    };
    form->lvServices.ClickRow(Row("Lone"));  // the selection moves meanwhile
    add("Base");
    EXPECT_EQ(offered, (std::vector<std::string>{"Base", "Top"}));
    add("Base");
    add("");
    ASSERT_EQ(Items(dlg.lstDependSrv),
              (std::vector<std::string>{"Base", "+NetGroup", "Base", "Base"}));
    dlg.lstDependSrv.ClickItem(1);
    ASSERT_TRUE(dlg.cmdRemove.Click());
    ASSERT_TRUE(dlg.cmdOK.Click());
    EXPECT_FALSE(dlg.Loaded());
    EXPECT_EQ(pc1().Config("Mid")->dependencies,
              (std::vector<std::string>{"Base", "Base", "Base"}));
}

TEST_F(PropertiesTest, OkWithoutEditsWritesTheLoadedValuesAgainAndNothingElse) {
    sim::ServiceDefinition local = Svc("Local", kServiceAutoStart);
    local.serviceType = kServiceWin32OwnProcess | kServiceInteractiveProcess;
    local.dependencies = {"Other", "+Grp"};
    local.description = "Kept";
    Add(pc1(), local);
    Add(pc1(), Svc("Other", kServiceDisabled, kServiceStopped, "CORP\\svc"));
    for (const std::string name : {"Local", "Other"}) {
        SCOPED_TRACE(name);
        const ServiceConfig before = *pc1().Config(name);
        ASSERT_TRUE(Properties(name).cmdOK.Click());
        EXPECT_FALSE(DialogOpen());
        const auto change = LastChange();
        ASSERT_TRUE(change.has_value());
        EXPECT_EQ(std::tie(change->serviceType, change->startType, change->errorControl),
                  std::tuple(before.serviceType, before.startType, kServiceNoChange));
        EXPECT_EQ(std::tie(change->binaryPathName, change->loadOrderGroup, change->displayName),
                  std::tuple(std::nullopt, std::nullopt, std::nullopt));
        EXPECT_EQ(change->dependencies, before.dependencies);
        // The system account is written again with an empty password; another not.
        const bool local = name == "Local";
        EXPECT_EQ(change->serviceStartName, local ? std::optional("LocalSystem") : std::nullopt);
        EXPECT_EQ(change->password, local ? std::optional("") : std::nullopt);
        EXPECT_EQ(*pc1().Config(name), before);
        // A missing parameter with an empty box creates no key.
        EXPECT_FALSE(pc1().Registry().KeyExists(VtlParamsKeyPath(name)));
    }
    EXPECT_EQ(network.CountCalls("ChangeServiceDescription"), 0u);
    EXPECT_EQ(network.CountCalls("fnLogRight"), 0u);
}

TEST_F(PropertiesTest, TheInteractiveBitFollowsTheBoxAndAnEmptyParameterEmptiesTheStoredOne) {
    Add(pc1(), Svc("Alpha"));
    pc1().SetRegistryString(VtlParamsKeyPath("Alpha"), "Params", "-old");
    for (const std::uint32_t type :
         {kServiceWin32OwnProcess | kServiceInteractiveProcess, kServiceWin32OwnProcess}) {
        frmProperties& dlg = Properties("Alpha");
        dlg.txtStartParam.TypeText(type == kServiceWin32OwnProcess ? "-new" : "");
        dlg.cboStartupType.SelectItem(2);
        dlg.tabProperties.SelectTab(kPageLogon);
        ASSERT_TRUE(dlg.chkInteract.Click());
        ASSERT_TRUE(dlg.cmdOK.Click());
        EXPECT_EQ(pc1().Config("Alpha")->serviceType, type);
        EXPECT_EQ(StoredParameter(pc1(), "Alpha"), type == kServiceWin32OwnProcess ? "-new" : "");
        EXPECT_EQ(Cell("Alpha", kColStartupType), "Disabled") << "the row is refreshed";
        EXPECT_TRUE(Asked("Alpha", kServiceChangeConfig | kServiceQueryStatus));
    }
}

TEST_F(PropertiesTest, AccountsAreQualifiedAndGivenTheRightOnTheServicesComputer) {
    pc1().AddAccount("PC1", "ann", "S-1-5-21-1-1-1-1001");
    pc1().AddAccount("CORP", "bob", "S-1-5-21-9-9-9-1002");
    pc2().AddAccount("PC2", "carl", "S-1-5-21-2-2-2-1003");
    pc1().AddAccount("PC1", "carl", "S-1-5-21-1-1-1-1004");  // the same name on PC1
    sim::ServiceDefinition interactive = Svc("Svc");
    interactive.serviceType |= kServiceInteractiveProcess;  // dropped with an account
    Add(pc1(), interactive);
    Add(pc2(), Svc("Svc"));
    struct Case {
        std::string computer, typed, written;
    };
    for (const Case& c : {Case{"PC1", "ann", "PC1\\ann"}, Case{"PC1", "CORP\\bob", "CORP\\bob"},
                          Case{"PC1", ".\\ann", ".\\ann"}, Case{"PC2", "carl", "PC2\\carl"}}) {
        SCOPED_TRACE(c.computer + " " + c.typed);
        sim::SimComputer& computer = network.Computer(c.computer);
        if (form && form->ComputerName() != c.computer) {
            form->cboSystems.AddItem(c.computer);
            form->cboSystems.SelectItem(form->cboSystems.FindItem(c.computer));
        }
        frmProperties& dlg = Properties("Svc");
        dlg.tabProperties.SelectTab(kPageLogon);
        ASSERT_TRUE(dlg.optThisAcc.Click());
        dlg.txtAccName.TypeText(c.typed);
        dlg.txtPasswd.TypeText("pw " + c.typed);
        ASSERT_TRUE(dlg.cmdOK.Click());
        EXPECT_FALSE(dlg.Loaded()) << ::testing::PrintToString(prompts.MessageTexts());
        EXPECT_EQ(computer.Config("Svc")->serviceStartName, c.written);
        EXPECT_EQ(computer.Config("Svc")->serviceType, kServiceWin32OwnProcess);
        EXPECT_EQ(computer.Password("Svc"), "pw " + c.typed);
        EXPECT_EQ(LastChange()->password, std::string(sim::kLoggedPassword));
        EXPECT_EQ(dlg.txtPasswd.Text(), "");
        // Back to Local System for the next case.
        Properties("Svc").tabProperties.SelectTab(kPageLogon);
        ASSERT_TRUE(Dialog().optLocalSystem.Click());
        ASSERT_TRUE(Dialog().cmdOK.Click());
        EXPECT_EQ(computer.Config("Svc")->serviceStartName, "LocalSystem");
    }
    // The right went to each account on its service's computer, and only there.
    EXPECT_EQ(pc1().LogonRightGrants(),
              (std::vector<std::string>{"S-1-5-21-1-1-1-1001", "S-1-5-21-9-9-9-1002"}));
    EXPECT_EQ(pc2().LogonRightGrants(), (std::vector<std::string>{"S-1-5-21-2-2-2-1003"}));
    EXPECT_TRUE(prompts.Questions().empty());
}

TEST_F(PropertiesTest, AFailedApplyKeepsTheDialogOpenWithWhatWasTyped) {
    Add(pc1(), Svc("Alpha"));
    Add(pc1(), Svc("Beta"));
    pc1().AddAccount("PC1", "ann", "S-1-5-21-1-1-1-1001");
    frmProperties& dlg = Properties("Alpha");

    // The platform refuses: its text, critical; nothing changed; Cancel closes.
    dlg.txtDispName.TypeText("Display of Beta");
    ASSERT_TRUE(dlg.cmdOK.Click());
    EXPECT_EQ(Boxes(prompts),
              std::vector<std::string>{Box(ErrorText(kErrorDuplicateServiceName),
                                           ui::MsgButtons::OK, ui::MsgIcon::Critical)});
    EXPECT_TRUE(dlg.Loaded());
    EXPECT_EQ(dlg.txtDispName.Text(), "Display of Beta");
    EXPECT_EQ(pc1().Config("Alpha")->displayName, "Display of Alpha");

    // This Account without a name is refused before anything is written.
    prompts.ClearQuestions();
    dlg.txtDispName.TypeText("Display of Alpha");
    dlg.tabProperties.SelectTab(kPageLogon);
    ASSERT_TRUE(dlg.optThisAcc.Click());
    dlg.txtAccName.TypeText("");
    const std::size_t calls = network.CallLog().size();
    ASSERT_TRUE(dlg.cmdOK.Click());
    EXPECT_EQ(prompts.MessageTexts(), (std::vector<std::string>{std::string(kNoAccountName)}));
    EXPECT_EQ(network.CallLog().size(), calls);

    // The right refused: its message; the configuration is written and the
    // row shows it, the dialog stays for another try.
    prompts.ClearQuestions();
    pc1().RefuseLogonRight(kErrorAccessDenied);
    dlg.txtAccName.TypeText("ann");
    dlg.tabProperties.SelectTab(kPageGeneral);
    dlg.txtServDesc.TypeText("typed");
    ASSERT_TRUE(dlg.cmdOK.Click());
    EXPECT_EQ(prompts.MessageTexts(), (std::vector<std::string>{std::string(kNoLogonRight)}));
    EXPECT_TRUE(dlg.Loaded());
    EXPECT_EQ(pc1().Config("Alpha")->serviceStartName, "PC1\\ann");
    EXPECT_EQ(Cell("Alpha", kColLogonAs), "PC1\\ann");
    EXPECT_EQ(pc1().Description("Alpha"), "");
    pc1().RefuseLogonRight(0);
    ASSERT_TRUE(dlg.cmdOK.Click());
    EXPECT_FALSE(dlg.Loaded());
    EXPECT_EQ(pc1().Description("Alpha"), "typed");

    // The local computer name unreadable: its message, then the error text.
    prompts.ClearQuestions();
    Properties("Alpha");
    network.FailCall("GetComputerName", 1, kErrorAccessDenied);
    ASSERT_TRUE(Dialog().cmdOK.Click());
    EXPECT_EQ(prompts.MessageTexts(),
              (std::vector<std::string>{std::string(kNoComputerName), DeniedText()}));
    EXPECT_TRUE(Dialog().Loaded());
    const ServiceConfig before = *pc1().Config("Alpha");
    ASSERT_TRUE(Dialog().cmdClose.Click());
    EXPECT_FALSE(DialogOpen());
    EXPECT_EQ(*pc1().Config("Alpha"), before);
}

}  // namespace
}  // namespace vtl::testing
