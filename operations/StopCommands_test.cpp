// Stop and Restart as user stories over the simulated network: dependents (a
// two-deep chain, running and stopped ones), services that cannot be opened,
// refuse the stop, are stopped already or never leave stop pending.

#include <gtest/gtest.h>

#include <algorithm>

#include "core/testing/MockPlatform.h"
#include "operations/OperationsTestSupport.h"
#include "operations/StopSequence.h"

namespace vtl::testing {
namespace {

class StopTest : public OperationsTest {
  protected:
    StopTest() {
        // Base <- Mid <- Top (a two-deep chain, all running), Base <- Side (stopped).
        Add(pc1(), TestSvc("Base", "--stop-ms 200", kServiceRunning));
        Add(pc1(), TestSvc("Mid", "--stop-ms 200", kServiceRunning, {"Base"}));
        Add(pc1(), TestSvc("Top", "--stop-ms 200", kServiceRunning, {"Mid"}));
        Add(pc1(), TestSvc("Side", "", kServiceStopped, {"Base"}));
        Add(pc1(), TestSvc("Lone", "--stop-ms 300", kServiceRunning));
        Add(pc1(), TestSvc("NoStop", "--no-stop", kServiceRunning));
        Add(pc1(), TestSvc("Idle", "", kServiceStopped));
        Add(pc1(), TestSvc("Denied", "", kServiceRunning));
        Add(pc1(), TestSvc("Hung", "--hang-stop", kServiceRunning));
        Add(pc1(), TestSvc("Other", "", kServiceRunning));
        Add(pc1(), TestSvc("OtherDep", "", kServiceRunning, {"Other"}));
        EXPECT_TRUE(pc1().DenyServiceAccess("Denied", kServiceStop));
    }
    std::uint32_t State(const std::string& name) { return pc1().Status(name)->currentState; }
};

TEST_F(StopTest, SeveralServicesStopAndEveryFailureLandsInTheErrorList) {
    OpenWithOperations();
    ops.AddToErrorList("Earlier", "left from the last command");
    Select({"Base", "Denied", "Hung", "Idle", "Lone", "NoStop", "Other"});
    network.ClearCallLog();

    std::vector<std::string> progressAtQuestion;
    std::vector<ui::MousePointer> pointerAtQuestion;
    prompts.onMsgBox = [&](std::string_view) {
        progressAtQuestion.push_back(Progress());
        pointerAtQuestion.push_back(form->GetMousePointer());
    };
    prompts.AnswerMsgBox(ui::MsgResult::OK);      // Base: stop its dependents
    prompts.AnswerMsgBox(ui::MsgResult::Cancel);  // Other: leave it running
    form->mnuStop.Click();

    // The questions: one per service with running dependents, listing only
    // those (of its own), from the last record (the deepest) to the first.
    const auto ask = [](const std::string& name, const std::string& dependents) {
        return Box("This service is dependent on the following service(s).\r\r" + dependents +
                       "Do you wish to stop dependent services?",
                   ui::MsgButtons::OKCancel, ui::MsgIcon::None, "Stopping " + name);
    };
    const std::vector<std::string> questions = {ask("Base", "Display of Mid\rDisplay of Top\r"),
                                                ask("Other", "Display of OtherDep\r")};
    EXPECT_EQ(Boxes(prompts), questions);
    EXPECT_EQ(progressAtQuestion,
              (std::vector<std::string>{"Stopping service(s)...", "Stopping service(s)..."}));
    EXPECT_EQ(pointerAtQuestion, (std::vector<ui::MousePointer>{ui::MousePointer::Hourglass,
                                                                ui::MousePointer::Hourglass}));

    // Every dependent of Base was stopped, the deepest first, then Base.
    for (const char* name : {"Base", "Mid", "Top", "Side", "Lone"})
        EXPECT_EQ(State(name), kServiceStopped) << name;
    EXPECT_EQ(State("Other"), kServiceRunning);
    EXPECT_EQ(State("OtherDep"), kServiceRunning);
    std::vector<std::string> controls;
    for (const sim::CallRecord& call : ProgramCalls("ControlService"))
        controls.push_back(call.argument);
    const auto at = [&](const std::string& name) {
        return std::find(controls.begin(), controls.end(), name) - controls.begin();
    };
    EXPECT_LT(at("Top"), at("Mid"));
    EXPECT_EQ(std::count(controls.begin(), controls.end(), "Side"), 1)
        << "a stopped dependent is sent a stop too";
    EXPECT_EQ(ManagerAccesses().front(), 0xF003Fu);
    EXPECT_EQ((std::vector<std::uint32_t>{ServiceAccesses("Base")[0], ServiceAccesses("Mid")[0],
                                          ServiceAccesses("Top")[0], ServiceAccesses("Side")[0]}),
              (std::vector<std::uint32_t>{0x2Cu, 0x24u, 0x24u, 0x24u}));

    EXPECT_EQ(Entries(), (std::vector<std::string>{
                             Entry("Denied", DeniedText()),
                             Entry("Hung", StopBoundText(kStopBoundMs)),
                             Entry("Idle", kErrorServiceNotActive),
                             Entry("NoStop", kErrorInvalidServiceControl),
                         }));
    EXPECT_TRUE(ErrorListShown());
    EXPECT_EQ(Boxes(prompts), questions) << "the end check shows nothing reported already";
    EXPECT_EQ(Progress(), "Done");
    EXPECT_EQ(form->GetMousePointer(), ui::MousePointer::Default);

    // Only the focused row (Other, selected last) was read again.
    EXPECT_EQ(Cell("Base", kColStatus), "Running");
    EXPECT_EQ(Cell("Lone", kColStatus), "Running");
    EXPECT_EQ(ProgramCalls("OpenService").back().argument, "Other");
    host.RunFor(2000);  // the periodic pass catches up
    EXPECT_EQ(Cell("Base", kColStatus), "Stopped");
    EXPECT_EQ(Cell("Lone", kColStatus), "Stopped");
}

TEST_F(StopTest, AStopThatFirstMeetsRunningDependentsLeavesNoStaleMessage) {
    OpenWithOperations();
    Select({"Base"});
    prompts.AnswerMsgBox(ui::MsgResult::OK);
    form->mnuStop.Click();
    EXPECT_EQ(State("Base"), kServiceStopped);
    EXPECT_EQ(prompts.Questions().size(), 1u) << "the 1051 it met first is not shown";
    EXPECT_TRUE(Entries().empty());
    EXPECT_FALSE(ErrorListShown());
}

TEST_F(StopTest, ADependentThatNeverStopsIsBoundedAndReported) {
    Add(pc1(), TestSvc("Root", "", kServiceRunning));
    Add(pc1(), TestSvc("Stuck", "--hang-stop", kServiceRunning, {"Root"}));
    OpenWithOperations();
    Select({"Root"});
    prompts.AnswerMsgBox(ui::MsgResult::OK);
    const std::uint64_t before = network.Now();
    form->mnuStop.Click();
    const std::uint64_t spent = network.Now() - before;
    EXPECT_GE(spent, kDependentStopBoundMs);
    EXPECT_LT(spent, kDependentStopBoundMs + 1000);
    // The dependent's bound, then the service's own second stop fails with 1051.
    EXPECT_EQ(Entries(), (std::vector<std::string>{
                             Entry("Stuck", DependentStopBoundText("Root", kDependentStopBoundMs)),
                             Entry("Root", kErrorDependentServicesRunning),
                         }));
}

TEST_F(StopTest, AServiceAlreadyStoppingIsWaitedForAndNotReported) {
    Add(pc1(), TestSvc("Slow", "--stop-ms 5000", kServiceRunning));
    OpenWithOperations();
    {
        auto [manager, e1] = platform().OpenSCManager("", kScManagerAllAccess);
        auto [service, e2] = platform().OpenService(manager, "Slow", kServiceStop);
        ServiceStatus status;
        ASSERT_EQ(platform().ControlService(service, kServiceControlStop, status), kErrorSuccess);
    }
    Select({"Slow"});
    network.ClearCallLog();
    form->mnuStop.Click();
    // The stop meets a service that is stopping already (1061); the command
    // waits for it all the same.
    EXPECT_EQ(ProgramCalls("ControlService").front().error, kErrorServiceCannotAcceptCtrl);
    EXPECT_EQ(State("Slow"), kServiceStopped);
    EXPECT_TRUE(Entries().empty());
    EXPECT_TRUE(prompts.Questions().empty());
    EXPECT_EQ(Cell("Slow", kColStatus), "Stopped") << "the focused row is read again";
}

// --- Restart -------------------------------------------------------------------------

TEST_F(StopTest, RestartStopsDependentsWithoutAskingAndLeavesThemStopped) {
    OpenWithOperations();
    ops.AddToErrorList("Earlier", "text");
    Select({"Base", "Denied", "Idle", "Lone"});
    network.ClearCallLog();
    form->mnuRestart.Click();

    EXPECT_TRUE(prompts.Questions().empty()) << "no question, no end check message";
    EXPECT_EQ(Progress(), "Done");
    // The open failure of Denied: an entry, and its start is still requested.
    EXPECT_EQ(Entries(), (std::vector<std::string>{Entry("Denied", DeniedText())}));
    EXPECT_TRUE(ErrorListShown());
    EXPECT_EQ(ProgramCalls("VTLStartService").size(), 4u);
    EXPECT_TRUE(form->tmrService.Running());
    for (const char* name : {"Base", "Denied", "Idle", "Lone"}) {
        EXPECT_EQ(Icon(name), kIconBusy) << name;
        EXPECT_NE(Cell(name, kColStatus), "Starting") << name;
    }
    EXPECT_EQ(ManagerAccesses().front(), 0xF003Fu);
    EXPECT_EQ((std::vector<std::uint32_t>{ServiceAccesses("Base")[0], ServiceAccesses("Mid")[0],
                                          ServiceAccesses("Top")[0]}),
              (std::vector<std::uint32_t>{0x3Cu, 0x24u, 0x24u}));

    RunUntilWatchEnds();
    EXPECT_EQ(State("Base"), kServiceRunning);
    EXPECT_EQ(State("Lone"), kServiceRunning);
    EXPECT_EQ(State("Idle"), kServiceRunning) << "a stopped service is simply started";
    EXPECT_EQ(State("Mid"), kServiceStopped);
    EXPECT_EQ(State("Top"), kServiceStopped);
    EXPECT_EQ(Cell("Base", kColStatus), "Running");
    EXPECT_EQ(Icon("Base"), kIconActive);
    // Denied could not be stopped, so its start met a running service.
    EXPECT_EQ(Entries(), (std::vector<std::string>{Entry("Denied", DeniedText()),
                                                   Entry("Denied", kErrorServiceAlreadyRunning)}));
}

// A platform whose clock stands still: the stop-pending wait is still bounded
// by its passes, and a refused stop control's record (garbage) is never waited on.
TEST(StopWait, AStandingClockStillEndsTheWaitAndARefusedStopIsNotWaitedOn) {
    // {control's outcome, status query's outcome}: a failed query ends the wait with its code.
    for (const auto& [control, query] : {std::pair{kErrorSuccess, kErrorSuccess},
                                         {kErrorInvalidServiceControl, kErrorSuccess},
                                         {kErrorSuccess, kErrorAccessDenied}}) {
        SCOPED_TRACE(std::to_string(control) + " " + std::to_string(query));
        ::testing::NiceMock<MockPlatform> platform;
        ON_CALL(platform, TickCount()).WillByDefault(::testing::Return(7u));
        ON_CALL(platform, ControlService)
            .WillByDefault([control](const ServiceHandle&, std::uint32_t, ServiceStatus& record) {
                record.currentState = kServiceStopPending;
                return control;
            });
        std::uint32_t queries = 0;
        ON_CALL(platform, QueryServiceStatus)
            .WillByDefault([&queries, query](const ServiceHandle&, ServiceStatus& record) {
                // Stopped after one pass too many, so that a runaway wait ends.
                ++queries;
                record.currentState =
                    queries > kStopBoundMs / kStopPollMs ? kServiceStopped : kServiceStopPending;
                return query;
            });
        ServiceStatus status;
        const StopResult result =
            StopWithDependents(platform, ScManagerHandle{nullptr, 0x10},
                               ServiceHandle{nullptr, 0x20}, "Hung", status, StopSequence{});
        const bool sent = control == kErrorSuccess, answered = query == kErrorSuccess;
        EXPECT_EQ(queries, !sent ? 0u : answered ? kStopBoundMs / kStopPollMs : 1u);
        EXPECT_EQ(result.boundReached, sent && answered);
        EXPECT_EQ(result.error, answered ? control : query);
    }
}

}  // namespace
}  // namespace vtl::testing
