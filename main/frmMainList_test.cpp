// The services list: listing, refresh by name and the periodic pass, over a
// simulated computer.

#include <gtest/gtest.h>

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

TEST_F(ListTest, AConfigurationMetWithAnInvalidHandleIsReadOnceMoreWithFreshHandles) {
    network.FailCall("QueryServiceConfig", 1, kErrorInvalidHandle, "alpha");
    network.FailCall("OpenService", 1, kErrorInvalidHandle, "Beta");
    Open();
    EXPECT_EQ(Cell("alpha", kColStartupType), "Automatic");
    EXPECT_EQ(Cell("Beta", kColStartupType), "Automatic");
    EXPECT_EQ(Accesses("OpenSCManager"), (std::vector<std::uint32_t>{4, 4, 4}));
}

// --- Refresh of one row by name ---------------------------------------------------

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

// Counts what the list control is told, as the renderer would see it.
struct ListChanges : ui::ChangeObserver {
    void OnChanged(ui::UiObject&, const ui::Change& change) override { ++counts[change.kind]; }
    std::map<ui::ChangeKind, int> counts;
};

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

}  // namespace
}  // namespace vtl::testing
