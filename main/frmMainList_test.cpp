// The services list: listing, full refresh, refresh by name, the periodic pass
// and the state of one service, over a simulated computer.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>

#include "core/ServiceRow.h"
#include "main/MainTestSupport.h"

namespace vtl::testing {
namespace {

using ui::testing::QuestionKind;

class ListTest : public MainWindowTest {
  protected:
    ListTest() {
        Add(pc1(), Svc("Beta", kServiceAutoStart, kServiceRunning, "NT AUTHORITY\\LocalService"));
        Add(pc1(), Svc("alpha", kServiceAutoStart, kServiceStopped));
        Add(pc1(), Svc("Gamma", kServiceDemandStart, kServiceStopped));
        Add(pc1(), Svc("Delta", kServiceDisabled, kServiceStopped));
        sim::ServiceDefinition driver = Svc("Kdrv", kServiceSystemStart, kServiceRunning, "");
        driver.serviceType = kServiceKernelDriver;
        Add(pc1(), driver);
    }
};

// --- Listing ---------------------------------------------------------------------

// The manager is opened once for the enumeration, each service for its configuration.
TEST_F(ListTest, ListingShowsEveryWin32ServiceWithItsTextsAndIconAndOpensEachOnce) {
    network.ClearCallLog();
    Open();
    EXPECT_EQ(Names(), (std::vector<std::string>{"alpha", "Beta", "Delta", "Gamma"}));
    EXPECT_EQ(Line("Beta"), "Beta|Display of Beta|Running|Automatic|NT AUTHORITY\\LocalService");
    EXPECT_EQ(Line("Gamma"), "Gamma|Display of Gamma|Stopped|Manual|LocalSystem");
    EXPECT_EQ(Cell("Delta", kColStartupType), "Disabled");
    // alpha is automatic and stopped.
    EXPECT_EQ((std::vector<int>{Icon("alpha"), Icon("Beta"), Icon("Delta"), Icon("Gamma")}),
              (std::vector<int>{kIconDisabled, kIconActive, kIconDisabled, kIconInactive}));
    EXPECT_EQ(Count(), "Total Services : 4");
    EXPECT_EQ(Accesses("OpenSCManager"), std::vector<std::uint32_t>{4});
    EXPECT_EQ(Accesses("OpenService"), std::vector<std::uint32_t>(4, 1));
    EXPECT_EQ(network.CountCalls("EnumServicesStatus"), 2u);
    EXPECT_EQ(network.CountCalls("QueryServiceConfig"), 8u);  // sizing call and read, each
    EXPECT_EQ(network.CountCalls("QueryServiceStatus"), 0u);  // the state comes with the list
    for (const sim::CallRecord& call : network.CallLog()) {
        if (call.operation == "OpenSCManager") {
            EXPECT_EQ(call.argument, "\\\\PC1");
        }
    }
}

TEST_F(ListTest, ListingReturnsTheNumberOfServicesAndAddsToWhatTheListHolds) {
    Open();
    form->lvServices.Clear();
    prompts.AnswerMsgBox(ui::MsgResult::OK);
    EXPECT_EQ(form->EnumSystemServices(3, "PC2", form->lvServices), 0);  // PC2 has none
    Add(pc2(), Svc("Other"));
    EXPECT_EQ(form->EnumSystemServices(3, "PC2", form->lvServices), 1);
    EXPECT_EQ(Names(), std::vector<std::string>{"Other"});
    // The message of the empty computer: its first call asked for no more room.
    ASSERT_EQ(prompts.MessageTexts().size(), 1u);
    EXPECT_EQ(prompts.MessageTexts()[0], "ERROR_MORE_DATA not returned; error 0");
}

TEST_F(ListTest, LongDisplayNamesAndAccountsAreHeldTo255Characters) {
    sim::ServiceDefinition longer = Svc("Long", kServiceDemandStart, kServiceStopped);
    longer.displayName = std::string(300, 'd');
    longer.startName = ".\\" + std::string(298, 'a');
    Add(pc1(), longer);
    Open();
    EXPECT_EQ(Cell("Long", kColDisplayName), std::string(255, 'd'));
    EXPECT_EQ(Cell("Long", kColLogonAs), ".\\" + std::string(253, 'a'));
}

TEST_F(ListTest, UnreachableComputerShowsOneMessageWithTheHintTwoSpacesAndTheCode) {
    Open();
    pc2().SetUnreachable(true);
    form->lvServices.Clear();
    std::string progressDuringMessage;
    prompts.onMsgBox = [&](std::string_view) { progressDuringMessage = Progress(); };
    prompts.AnswerMsgBox(ui::MsgResult::OK);
    EXPECT_EQ(form->EnumSystemServices(3, "PC2", form->lvServices), 0);
    EXPECT_EQ(progressDuringMessage, "Searching for all registered services on PC2");
    ASSERT_EQ(prompts.Questions().size(), 1u);
    const auto& q = prompts.Questions()[0];
    EXPECT_EQ(q.kind, QuestionKind::MsgBox);
    EXPECT_EQ(q.text, network.PlatformFor("PC1").FormatMessage(1722) +
                          "\rThis may be due to network problems. Please verify network "
                          "connectivity.  1722");
    EXPECT_EQ(q.title, "Vantrel");
    EXPECT_EQ(q.buttons, ui::MsgButtons::OK);
    EXPECT_EQ(form->lvServices.RowCount(), 0);
}

// The first call only sizes the buffer: its failure has a text of its own.
TEST_F(ListTest, AFailingEnumerationCallIsReportedWithItsCodeAndEndsTheListing) {
    Open();
    for (std::uint32_t nth : {1u, 2u}) {
        SCOPED_TRACE(nth);
        network.ClearFaults();
        network.ClearCallLog();
        prompts.ClearQuestions();
        network.FailCall("EnumServicesStatus", nth, 5);
        form->lvServices.Clear();
        prompts.AnswerMsgBox(ui::MsgResult::OK);
        EXPECT_EQ(form->EnumSystemServices(3, "PC1", form->lvServices), 0);
        EXPECT_EQ(prompts.MessageTexts(),
                  std::vector<std::string>{nth == 1 ? "ERROR_MORE_DATA not returned; error 5"
                                                    : ErrorText(5)});
        EXPECT_EQ(network.CountCalls("EnumServicesStatus"), nth);
        EXPECT_EQ(form->lvServices.RowCount(), 0);
        EXPECT_EQ(Progress(), "Done");
    }
}

TEST_F(ListTest, AServiceWhoseConfigurationCannotBeReadIsStillListed) {
    ASSERT_TRUE(pc1().DenyServiceAccess("Gamma", kServiceQueryConfig));
    network.FailAlways("QueryServiceConfig", 5, "Beta");
    Open();
    EXPECT_EQ(Names(), (std::vector<std::string>{"alpha", "Beta", "Delta", "Gamma"}));
    EXPECT_EQ(Line("Gamma"), "Gamma|Display of Gamma|Stopped||");
    EXPECT_EQ(Icon("Gamma"), kIconInactive);  // stopped, start type unknown
    EXPECT_EQ(Cell("Beta", kColStartupType), "");
    EXPECT_EQ(Icon("Beta"), kIconActive);
    // Its row can be clicked: the commands follow its status, quietly.
    form->lvServices.ClickRow(Row("Beta"));
    ExpectCommands(false, true, true);
    form->lvServices.ClickRow(Row("Gamma"));
    ExpectCommands(true, false, false);
    EXPECT_EQ(Icon("Gamma"), kIconInactive);
}

TEST_F(ListTest, AConfigurationMetWithAnInvalidHandleIsReadOnceMoreWithFreshHandles) {
    network.FailCall("QueryServiceConfig", 1, kErrorInvalidHandle, "alpha");
    network.FailCall("OpenService", 1, kErrorInvalidHandle, "Beta");
    Open();
    EXPECT_EQ(Cell("alpha", kColStartupType), "Automatic");
    EXPECT_EQ(Cell("Beta", kColStartupType), "Automatic");
    EXPECT_EQ(Accesses("OpenSCManager"), (std::vector<std::uint32_t>{4, 4, 4}));
}

// --- Full refresh ------------------------------------------------------------------

TEST_F(ListTest, FullRefreshAddsExactlyTheNewServiceAndKeepsTheSelection) {
    Open();
    form->lvServices.ClickRow(Row("Delta"));
    Add(pc1(), Svc("Epsilon", kServiceDemandStart, kServiceRunning));
    network.ClearCallLog();
    form->mnuViewRefresh.Click();
    EXPECT_EQ(Names(), (std::vector<std::string>{"alpha", "Beta", "Delta", "Epsilon", "Gamma"}));
    EXPECT_TRUE(form->lvServices.Selected(Row("Delta")));
    EXPECT_EQ(form->lvServices.SelectedCount(), 1);
    EXPECT_EQ(Icon("Epsilon"), kIconActive);
    EXPECT_EQ(Cell("Epsilon", kColStatus), "Running");
    EXPECT_EQ(Count(), "Total Services : 5");
    EXPECT_EQ(Accesses("OpenSCManager"), std::vector<std::uint32_t>{4});
    EXPECT_EQ(Accesses("OpenService"), std::vector<std::uint32_t>(5, 1));
}

TEST_F(ListTest, FullRefreshShowsRefreshingThenDoneAndReportsAFailedOpen) {
    Open();
    network.FailCall("OpenSCManager", 1, 5);
    std::string progressDuringMessage;
    prompts.onMsgBox = [&](std::string_view) { progressDuringMessage = Progress(); };
    prompts.AnswerMsgBox(ui::MsgResult::OK);
    EXPECT_EQ(form->RefreshSystemServices(3, "PC1", form->lvServices), 0);
    EXPECT_EQ(progressDuringMessage, "Refreshing all registered services on PC1");
    EXPECT_EQ(Progress(), "Done");
    EXPECT_EQ(prompts.MessageTexts(), std::vector<std::string>{ErrorText(5) + "  5"});
    EXPECT_EQ(form->lvServices.RowCount(), 4);
    EXPECT_EQ(form->RefreshSystemServices(3, "PC1", form->lvServices), 4);
}

TEST_F(ListTest, FullRefreshUpdatesRowsInPlaceButLeavesOperationTexts) {
    Open();
    const ui::ListRowId beta = Row("Beta");
    const ui::ListRowId gamma = Row("Gamma");
    form->lvServices.SetText(beta, kColStatus, "Starting");
    form->lvServices.SetSmallIcon(beta, kIconBusy);
    form->lvServices.SetText(gamma, kColStatus, "Marked for Deletion");
    ASSERT_EQ(pc1().ForceState("Beta", kServiceStopped), kErrorSuccess);
    ASSERT_EQ(pc1().ForceState("Gamma", kServiceRunning), kErrorSuccess);
    ASSERT_EQ(pc1().ForceState("Delta", kServiceRunning), kErrorSuccess);
    form->mnuViewRefresh.Click();
    EXPECT_EQ(Row("Beta"), beta);
    EXPECT_EQ(Cell("Beta", kColStatus), "Starting");
    EXPECT_EQ(Icon("Beta"), kIconBusy);
    EXPECT_EQ(Cell("Gamma", kColStatus), "Marked for Deletion");
    EXPECT_EQ(Icon("Gamma"), kIconActive);
    EXPECT_EQ(Cell("Delta", kColStatus), "Running");
    EXPECT_EQ(Icon("Delta"), kIconActive);
}

TEST_F(ListTest, FullRefreshKeepsRowsOfServicesThatAreGoneAndColumnsItCannotRead) {
    Open();
    ASSERT_EQ(pc1().RemoveService("Delta"), kErrorSuccess);
    network.FailAlways("QueryServiceConfig", 5, "Gamma");
    ASSERT_EQ(pc1().ForceState("Gamma", kServiceRunning), kErrorSuccess);
    form->mnuViewRefresh.Click();
    EXPECT_TRUE(form->lvServices.FindRow("Delta"));
    EXPECT_EQ(Count(), "Total Services : 4");
    EXPECT_EQ(Line("Gamma"), "Gamma|Display of Gamma|Running|Manual|LocalSystem");
    EXPECT_EQ(Icon("Gamma"), kIconActive);
}

TEST_F(ListTest, RowsAddedByARefreshTakeTheirPlaceInTheSortOrder) {
    Open();
    form->lvServices.ClickColumn(kColStatus);
    EXPECT_EQ(Names().front(), "Beta");  // the one running service
    Add(pc1(), Svc("Aardvark", kServiceDemandStart, kServiceStopped));
    Add(pc1(), Svc("Zulu", kServiceDemandStart, kServiceRunning));
    form->mnuViewRefresh.Click();
    const std::vector<std::string> names = Names();
    ASSERT_EQ(names.size(), 6u);
    std::vector<std::string> statuses;
    for (const std::string& name : names)
        statuses.push_back(Cell(name, kColStatus));
    EXPECT_TRUE(std::is_sorted(statuses.begin(), statuses.end()));
    EXPECT_EQ(statuses.front(), "Running");
}

// --- Refresh of one row by name ---------------------------------------------------

TEST_F(ListTest, RefreshByNameRewritesTheRowAndTheCommands) {
    Open();
    form->lvServices.ClickRow(Row("Gamma"));
    const ui::ListRowId gamma = Row("Gamma");
    form->lvServices.SetText(gamma, kColStatus, "Starting");
    form->lvServices.SetSmallIcon(gamma, kIconBusy);
    ASSERT_EQ(pc1().ForceState("Gamma", kServiceRunning), kErrorSuccess);
    network.ClearCallLog();
    form->RefreshGUIForService("Gamma");
    EXPECT_EQ(Cell("Gamma", kColStatus), "Running");
    EXPECT_EQ(Icon("Gamma"), kIconActive);
    ExpectCommands(false, true, true);
    EXPECT_EQ(Accesses("OpenSCManager"), std::vector<std::uint32_t>{983103});
    EXPECT_EQ(Accesses("OpenService"), std::vector<std::uint32_t>{5});
    ASSERT_EQ(pc1().ForceState("Gamma", kServiceStopped), kErrorSuccess);
    form->RefreshGUIForService("Gamma");
    ExpectCommands(true, false, false);
}

TEST_F(ListTest, RefreshByNameOverwritesMarkedForDeletionAndReadsTheConfiguration) {
    Open();
    const ui::ListRowId delta = Row("Delta");
    form->lvServices.SetText(delta, kColStatus, "Marked for Deletion");
    ServiceManagerApi::ConfigChange change;
    change.displayName = "Renamed Delta";
    change.startType = kServiceDemandStart;
    change.serviceStartName = "NT AUTHORITY\\LocalService";
    Reconfigure("Delta", change);
    form->RefreshGUIForService("Delta");
    EXPECT_EQ(Line("Delta"), "Delta|Renamed Delta|Stopped|Manual|NT AUTHORITY\\LocalService");
    EXPECT_EQ(Icon("Delta"), kIconInactive);
}

TEST_F(ListTest, RefreshByNameShowsTheCodeOfTheCallThatFailedAndNothingWhenAllSucceeded) {
    Open();
    struct Case {
        const char* operation;
        std::uint32_t nth;
        ErrorCode code;
    };
    for (const Case& c : {Case{"OpenSCManager", 1, 5}, Case{"OpenService", 1, 1060},
                          Case{"QueryServiceStatus", 1, 6}, Case{"QueryServiceConfig", 1, 5},
                          Case{"QueryServiceConfig", 2, 1460}}) {
        SCOPED_TRACE(std::string(c.operation) + " #" + std::to_string(c.nth));
        prompts.ClearQuestions();
        prompts.AnswerMsgBox(ui::MsgResult::OK);
        network.ClearFaults();
        network.FailCall(c.operation, c.nth, c.code);
        form->RefreshGUIForService("Gamma");
        EXPECT_EQ(prompts.MessageTexts(), std::vector<std::string>{ErrorText(c.code)});
        EXPECT_EQ(Progress(), "Done");
    }
    // Of two failures, the first is shown.
    network.ClearFaults();
    prompts.ClearQuestions();
    network.FailCall("QueryServiceStatus", 1, 6);
    network.FailCall("QueryServiceConfig", 2, 5);
    prompts.AnswerMsgBox(ui::MsgResult::OK);
    form->RefreshGUIForService("Gamma");
    EXPECT_EQ(prompts.MessageTexts(), std::vector<std::string>{ErrorText(6)});
    // The sizing call's 122 is no failure; nothing is shown after a full success.
    network.ClearFaults();
    prompts.ClearQuestions();
    form->RefreshGUIForService("Gamma");
    EXPECT_TRUE(prompts.Questions().empty());
}

TEST_F(ListTest, RefreshByNameKeepsFieldsThatWereNotRead) {
    Open();
    ASSERT_EQ(pc1().ForceState("Gamma", kServiceRunning), kErrorSuccess);
    prompts.SetAutoOk(true);
    network.FailCall("QueryServiceConfig", 2, 5);
    form->RefreshGUIForService("Gamma");
    EXPECT_EQ(Cell("Gamma", kColStatus), "Running");  // read before the failure
    EXPECT_EQ(Cell("Gamma", kColStartupType), "Manual");
    EXPECT_EQ(Icon("Gamma"), kIconInactive);  // the icon needs the configuration

    // A status that cannot be read leaves the status and the commands as they were.
    form->lvServices.ClickRow(Row("Delta"));
    ASSERT_TRUE(form->mnuStart.Enabled());
    network.FailCall("QueryServiceStatus", 1, 5);
    form->RefreshGUIForService("Gamma");
    EXPECT_EQ(Cell("Gamma", kColStatus), "Running");
    EXPECT_TRUE(form->mnuStart.Enabled());
}

TEST_F(ListTest, RefreshByNameOfAServiceThatIsNotListedLeavesTheListAlone) {
    Open();
    Add(pc1(), Svc("Unlisted", kServiceDemandStart, kServiceRunning));
    const std::vector<std::string> before = Names();
    form->RefreshGUIForService("Unlisted");
    EXPECT_EQ(Names(), before);
}

// --- State of one service --------------------------------------------------------

TEST_F(ListTest, GetServiceStateReadsTheStatusOrGivesZero) {
    Open();
    network.ClearCallLog();
    EXPECT_EQ(form->GetServiceState("Beta"), kServiceRunning);
    EXPECT_EQ(Accesses("OpenSCManager"), std::vector<std::uint32_t>{983103});
    EXPECT_EQ(Accesses("OpenService"), std::vector<std::uint32_t>{4});
    EXPECT_EQ(form->GetServiceState("Gamma"), kServiceStopped);
    EXPECT_EQ(form->GetServiceState("NoSuchService"), 0u);
    network.FailCall("OpenSCManager", 1, 5);
    EXPECT_EQ(form->GetServiceState("Beta"), 0u);
    network.FailCall("QueryServiceStatus", 1, 6);
    EXPECT_EQ(form->GetServiceState("Beta"), 0u);
}

// --- The periodic pass -------------------------------------------------------------
// Each case runs with the readings at once on the window's thread, and through
// an executor that a test steps, which is how the program runs them off it.

class PassTest : public ListTest, public ::testing::WithParamInterface<bool> {
  protected:
    void Open() {
        ListTest::Open(GetParam());
        stepped.RunAll();
    }
    // Moves the clock on by ms; each pass due on the way runs to its end. Through
    // the executor, neither the tick nor the applying calls the platform.
    int RunFor(std::uint64_t ms) {
        int ticks = 0;
        const std::uint64_t end = host.Now() + ms;
        while (host.Now() < end) {
            const std::optional<std::uint64_t> due = host.DueTime(form->tmrRefresh);
            const std::uint64_t to = due && *due <= end ? *due : end;
            const std::size_t before = network.CallLog().size();
            ticks += host.RunFor(to - host.Now());
            if (!GetParam()) continue;
            EXPECT_EQ(network.CallLog().size(), before) << "the tick called the platform";
            stepped.RunWork();
            const std::size_t read = network.CallLog().size();
            stepped.Deliver();
            EXPECT_EQ(network.CallLog().size(), read) << "the applying called the platform";
        }
        return ticks;
    }
};

INSTANTIATE_TEST_SUITE_P(AtOnceAndInBackground, PassTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Background" : "AtOnce"; });

TEST_P(PassTest, TheTickOpensOneManagerAndEachRowOnce) {
    Open();
    network.ClearCallLog();
    EXPECT_EQ(RunFor(2000), 1);
    EXPECT_EQ(Accesses("OpenSCManager"), std::vector<std::uint32_t>{2147483649u});
    EXPECT_EQ(Accesses("OpenService"), std::vector<std::uint32_t>(4, 5));
    EXPECT_EQ(network.CountCalls("EnumServicesStatus"), 0u);
    EXPECT_EQ(RunFor(4000), 2);
    EXPECT_EQ(Accesses("OpenSCManager").size(), 3u);
}

TEST_P(PassTest, ServiceStartedElsewhereChangesIconAndStatusAtTheNextTick) {
    Open();
    ASSERT_EQ(Icon("alpha"), kIconDisabled);
    ASSERT_EQ(pc1().ForceState("alpha", kServiceRunning), kErrorSuccess);
    RunFor(1999);
    EXPECT_EQ(Cell("alpha", kColStatus), "Stopped");
    RunFor(1);
    EXPECT_EQ(Cell("alpha", kColStatus), "Running");
    EXPECT_EQ(Icon("alpha"), kIconActive);
    // A start type changed elsewhere changes only the icon: still applied.
    ServiceManagerApi::ConfigChange change;
    change.startType = kServiceAutoStart;
    Reconfigure("Gamma", change);
    RunFor(2000);
    EXPECT_EQ(Cell("Gamma", kColStatus), "Stopped");
    EXPECT_EQ(Icon("Gamma"), kIconDisabled);  // automatic and stopped
}

TEST_P(PassTest, TwoDeletedServicesGoInOneTickAndEveryLaterRowIsStillRefreshed) {
    Add(pc1(), Svc("Omega", kServiceDemandStart, kServiceStopped));
    Open();
    ASSERT_EQ(Names(), (std::vector<std::string>{"alpha", "Beta", "Delta", "Gamma", "Omega"}));
    // Two neighbours deleted by another program; every other row changes.
    ASSERT_EQ(pc1().ForceState("Beta", kServiceStopped), kErrorSuccess);
    ASSERT_EQ(pc1().RemoveService("Beta"), kErrorSuccess);
    ASSERT_EQ(pc1().RemoveService("Delta"), kErrorSuccess);
    ASSERT_EQ(pc1().ForceState("alpha", kServiceRunning), kErrorSuccess);
    ASSERT_EQ(pc1().ForceState("Gamma", kServiceRunning), kErrorSuccess);
    ASSERT_EQ(pc1().ForceState("Omega", kServiceRunning), kErrorSuccess);
    network.ClearCallLog();
    RunFor(2000);
    EXPECT_EQ(Names(), (std::vector<std::string>{"alpha", "Gamma", "Omega"}));
    EXPECT_EQ(Count(), "Total Services : 3");
    EXPECT_EQ(Column(kColStatus), (std::vector<std::string>(3, "Running")));
    EXPECT_EQ(Icon("Omega"), kIconActive);
    EXPECT_EQ(network.CountCalls("OpenService"), 5u);
}

TEST_P(PassTest, AServiceMarkedForDeleteIsMarkedAndItsCommandsDisabled) {
    Open();
    form->lvServices.ClickRow(Row("Beta"));
    ASSERT_TRUE(form->mnuStop.Enabled());
    ASSERT_EQ(pc1().RemoveService("Beta"), kErrorSuccess);  // running: only marked
    RunFor(2000);
    EXPECT_EQ(Cell("Beta", kColStatus), "Marked for Deletion");
    ExpectCommands(false, false, false);
    // It stays marked through later ticks and a full refresh.
    RunFor(4000);
    form->mnuViewRefresh.Click();
    stepped.RunAll();
    EXPECT_EQ(Cell("Beta", kColStatus), "Marked for Deletion");
    // Stopped, with no handle left, it is gone at the next tick.
    ASSERT_EQ(pc1().ForceState("Beta", kServiceStopped), kErrorSuccess);
    RunFor(2000);
    EXPECT_FALSE(form->lvServices.FindRow("Beta"));
    EXPECT_EQ(Count(), "Total Services : 3");
}

TEST_P(PassTest, StartingAndMarkedSurviveTicksAndFullRefreshesUntilTheRefreshByName) {
    Open();
    for (const std::string shown : {"Starting", "Marked for Deletion"}) {
        SCOPED_TRACE(shown);
        const bool starting = shown == "Starting";
        form->lvServices.SetText(Row("Gamma"), kColStatus, shown);
        form->lvServices.SetSmallIcon(Row("Gamma"), kIconBusy);
        for (std::uint32_t state : {kServiceRunning, kServiceStopped, kServiceRunning}) {
            ASSERT_EQ(pc1().ForceState("Gamma", state), kErrorSuccess);
            RunFor(2000);
            EXPECT_EQ(Cell("Gamma", kColStatus), shown);
            if (starting) {
                EXPECT_EQ(Icon("Gamma"), kIconBusy);
            }
            form->mnuViewRefresh.Click();
            stepped.RunAll();
            EXPECT_EQ(Cell("Gamma", kColStatus), shown);
            if (starting) {
                EXPECT_EQ(Icon("Gamma"), kIconBusy);
            }
        }
        form->RefreshGUIForService("Gamma");
        EXPECT_EQ(Cell("Gamma", kColStatus), "Running");
        EXPECT_EQ(Icon("Gamma"), kIconActive);
    }
}

TEST_P(PassTest, TheTickUpdatesTheCommandsForSelectedRowsOnly) {
    Open();
    form->lvServices.ClickRow(Row("Gamma"));
    ASSERT_TRUE(form->mnuStart.Enabled());
    // An unselected row changing does not touch the commands.
    ASSERT_EQ(pc1().ForceState("Delta", kServiceRunning), kErrorSuccess);
    RunFor(2000);
    EXPECT_TRUE(form->mnuStart.Enabled());
    ASSERT_EQ(pc1().ForceState("Gamma", kServiceRunning), kErrorSuccess);
    RunFor(2000);
    EXPECT_FALSE(form->mnuStart.Enabled());
    EXPECT_TRUE(form->mnuStop.Enabled());
    // A selected row that did not change still sets them, as every pass does.
    form->lvServices.SetSelected(Row("Delta"), true);
    form->lvServices.ClickRow(Row("Beta"), ui::kCtrlMask);
    form->UpdateCommandState(kServiceStopped, Row("Gamma"));
    RunFor(2000);
    EXPECT_FALSE(form->mnuStart.Enabled());  // the last selected row, Gamma, runs
    EXPECT_TRUE(form->mnuStop.Enabled());
}

TEST_P(PassTest, TheTickIsSilentWhenTheManagerCannotBeOpenedOrAServiceCannot) {
    Open();
    ASSERT_EQ(pc1().ForceState("Gamma", kServiceRunning), kErrorSuccess);
    network.FailCall("OpenSCManager", 1, 5);
    RunFor(2000);
    EXPECT_EQ(Cell("Gamma", kColStatus), "Stopped");
    network.FailAlways("OpenService", 5, "Gamma");
    RunFor(2000);
    EXPECT_EQ(Cell("Gamma", kColStatus), "Stopped");
    EXPECT_EQ(form->lvServices.RowCount(), 4);
}

TEST_P(PassTest, AReadingThatMeetsAnInvalidHandleIsReadOnceMoreWithFreshHandles) {
    Open();
    struct Case {
        const char* operation;
        std::uint32_t failures;  // in a row, each with 6
        bool current;            // the row shows the new state after the tick
    };
    for (const Case& c : {Case{"OpenService", 1, true}, Case{"QueryServiceStatus", 1, true},
                          Case{"QueryServiceConfig", 1, true}, Case{"OpenService", 2, false},
                          Case{"QueryServiceStatus", 2, false}}) {
        SCOPED_TRACE(std::string(c.operation) + " x" + std::to_string(c.failures));
        const std::uint32_t now = pc1().Status("Gamma")->currentState;
        const std::uint32_t next = now == kServiceRunning ? kServiceStopped : kServiceRunning;
        ASSERT_EQ(pc1().ForceState("Gamma", next), kErrorSuccess);
        network.ClearFaults();
        network.ClearCallLog();
        for (std::uint32_t i = 1; i <= c.failures; ++i)
            network.FailCall(c.operation, i, kErrorInvalidHandle, "Gamma");
        RunFor(2000);
        EXPECT_EQ(Cell("Gamma", kColStatus), ServiceStatusText(c.current ? next : now));
        EXPECT_EQ(Accesses("OpenSCManager").size(), 2u);  // the pass's and a fresh one
        EXPECT_EQ(network.CountCalls("OpenService"), 5u);
        if (!c.current) {
            ASSERT_EQ(pc1().ForceState("Gamma", now), kErrorSuccess);  // back for the next case
        }
    }
}

TEST_P(PassTest, TheTickLeavesTheListControlInPlace) {
    Open();
    form->lvServices.ClickRow(Row("Delta"));
    const std::vector<ui::ListRowId> before = form->lvServices.Rows();
    form->lvServices.SetTag(Row("Gamma"), "1234");
    RunFor(10000);
    EXPECT_EQ(form->lvServices.Rows(), before);
    EXPECT_EQ(form->lvServices.Tag(Row("Gamma")), "1234");
    EXPECT_TRUE(form->lvServices.Selected(Row("Delta")));
}

// Counts what the list control is told, as the renderer would see it.
struct ListChanges : ui::ChangeObserver {
    void OnChanged(ui::UiObject&, const ui::Change& change) override { ++counts[change.kind]; }
    std::map<ui::ChangeKind, int> counts;
};

TEST_P(PassTest, ATickRewritesOnlyWhatChangedAndNeverRebuildsTheList) {
    Open();
    ListChanges changes;
    form->lvServices.SetObserver(&changes);
    RunFor(2000);  // nothing changed
    EXPECT_TRUE(changes.counts.empty());
    ASSERT_EQ(pc1().ForceState("Gamma", kServiceRunning), kErrorSuccess);
    RunFor(2000);
    EXPECT_EQ(changes.counts, (std::map<ui::ChangeKind, int>{{ui::ChangeKind::RowText, 1},
                                                             {ui::ChangeKind::RowIcon, 1}}));
    form->lvServices.SetObserver(nullptr);
}

}  // namespace
}  // namespace vtl::testing
