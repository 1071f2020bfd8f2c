// Stop and Restart as user stories over the simulated network: dependents (a
// two-deep chain, running and stopped ones), services that cannot be opened,
// refuse the stop, are stopped already or never leave stop pending.

#include <gtest/gtest.h>

#include <algorithm>

#include "operations/OperationsTestSupport.h"

namespace vtl::testing {
namespace {

using ui::testing::QuestionKind;

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
    // Display names of Base's dependents in the order the service manager lists them.
    std::vector<EnumServiceStatus> DependentsOf(const std::string& name) {
        auto [manager, e1] = platform().OpenSCManager("", kScManagerAllAccess);
        auto [service, e2] = platform().OpenService(manager, name, kServiceEnumerateDependents);
        return EnumerateDependents(platform(), service, kServiceStateAll).entries;
    }
    std::vector<std::string> StopControlsInOrder() {
        std::vector<std::string> out;
        for (const sim::CallRecord& call : ProgramCalls("ControlService"))
            out.push_back(call.argument);
        return out;
    }
};

TEST_F(StopTest, SeveralServicesStopAndEveryFailureLandsInTheErrorList) {
    OpenWithOperations();
    const std::vector<EnumServiceStatus> records = DependentsOf("Base");
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records.front().serviceName, "Top") << "the deepest dependent comes first";
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
    // those, from the last record to the first.
    ASSERT_EQ(prompts.Questions().size(), 2u);
    std::string expectedNames;
    for (std::size_t i = records.size(); i-- > 0;) {
        if (records[i].status.currentState != kServiceRunning) continue;
        expectedNames += records[i].displayName;
        if (i != 0) expectedNames += '\r';
    }
    EXPECT_EQ(expectedNames, "Display of Mid\rDisplay of Top");
    const auto& base = prompts.Questions()[0];
    EXPECT_EQ(base.title, "Stopping Base");
    EXPECT_EQ(base.text, "This service is dependent on the following service(s).\r\r" +
                             expectedNames + "\rDo you wish to stop dependent services?");
    EXPECT_EQ(base.buttons, ui::MsgButtons::OKCancel);
    const auto& other = prompts.Questions()[1];
    EXPECT_EQ(other.title, "Stopping Other");
    EXPECT_EQ(other.text,
              "This service is dependent on the following service(s).\r\rDisplay of "
              "OtherDep\rDo you wish to stop dependent services?");
    EXPECT_EQ(progressAtQuestion,
              (std::vector<std::string>{"Stopping service(s)...", "Stopping service(s)..."}));
    EXPECT_EQ(pointerAtQuestion, (std::vector<ui::MousePointer>{ui::MousePointer::Hourglass,
                                                                ui::MousePointer::Hourglass}));

    // Every dependent of Base was stopped, the deepest first, then Base.
    EXPECT_EQ(State("Base"), kServiceStopped);
    EXPECT_EQ(State("Mid"), kServiceStopped);
    EXPECT_EQ(State("Top"), kServiceStopped);
    EXPECT_EQ(State("Side"), kServiceStopped);
    EXPECT_EQ(State("Lone"), kServiceStopped);
    EXPECT_EQ(State("Other"), kServiceRunning);
    EXPECT_EQ(State("OtherDep"), kServiceRunning);
    const std::vector<std::string> controls = StopControlsInOrder();
    const auto at = [&](const std::string& name) {
        return std::find(controls.begin(), controls.end(), name) - controls.begin();
    };
    EXPECT_LT(at("Top"), at("Mid"));
    EXPECT_EQ(std::count(controls.begin(), controls.end(), "Side"), 1)
        << "a stopped dependent is sent a stop too";

    EXPECT_EQ(Entries(), (std::vector<std::string>{
                             Entry("Denied", DeniedText()),
                             Entry("Hung", StopBoundText(kStopBoundMs)),
                             Entry("Idle", kErrorServiceNotActive),
                             Entry("NoStop", kErrorInvalidServiceControl),
                         }));
    EXPECT_TRUE(ErrorListShown());
    EXPECT_EQ(prompts.Questions().size(), 2u) << "the end check shows nothing reported already";
    EXPECT_EQ(Progress(), "Done");
    EXPECT_EQ(form->GetMousePointer(), ui::MousePointer::Default);

    // Only the focused row (Other, selected last) was read again.
    EXPECT_EQ(Cell("Base", kColStatus), "Running");
    EXPECT_EQ(Cell("Lone", kColStatus), "Running");
    EXPECT_EQ(ProgramCalls("OpenService").back().argument, "Other");
    host.RunFor(2000);  // the periodic pass catches up
    EXPECT_EQ(Cell("Base", kColStatus), "Stopped");
    EXPECT_EQ(Cell("Lone", kColStatus), "Stopped");

    EXPECT_EQ(network.OpenHandleCount(), 0u);
}

TEST_F(StopTest, AccessMasksOfTheStop) {
    OpenWithOperations();
    Select({"Base"});
    network.ClearCallLog();
    prompts.AnswerMsgBox(ui::MsgResult::OK);
    form->mnuStop.Click();
    EXPECT_EQ(ManagerAccesses().front(), 0xF003Fu);
    EXPECT_EQ(ServiceAccesses("Base").front(), 0x2Cu);
    EXPECT_EQ(ServiceAccesses("Mid").front(), 0x24u);
    EXPECT_EQ(ServiceAccesses("Top").front(), 0x24u);
    EXPECT_EQ(ServiceAccesses("Side").front(), 0x24u);
    // The stop succeeded after the first 1051: no stale message, no entry.
    EXPECT_EQ(prompts.Questions().size(), 1u);
    EXPECT_TRUE(Entries().empty());
    EXPECT_FALSE(ErrorListShown());
    EXPECT_EQ(network.OpenHandleCount(), 0u);
}

TEST_F(StopTest, StoppingInTheWrittenOrderWouldHaveFailedWith1051) {
    // What the service manager says when a direct dependent is stopped before
    // its own running dependent: the order the command now avoids.
    auto [manager, e1] = platform().OpenSCManager("", kScManagerAllAccess);
    auto [mid, e2] = platform().OpenService(manager, "Mid", kServiceStop);
    ServiceStatus status;
    EXPECT_EQ(platform().ControlService(mid, kServiceControlStop, status),
              kErrorDependentServicesRunning);
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
    EXPECT_EQ(network.OpenHandleCount(), 0u);
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

TEST_F(StopTest, NoRowSelectedRefreshesOnlyTheFocusedRow) {
    OpenWithOperations();
    form->lvServices.ClearSelection();
    form->lvServices.SetFocusedRow(Row("Lone"));
    network.ClearCallLog();
    form->mnuStop.Click();
    EXPECT_EQ(Progress(), "Done");
    EXPECT_TRUE(ProgramCalls("ControlService").empty());
    const auto opens = ProgramCalls("OpenService");
    ASSERT_EQ(opens.size(), 1u);
    EXPECT_EQ(opens[0].argument, "Lone");
    EXPECT_EQ(*opens[0].access, 5u) << "the refresh of one row";
    EXPECT_TRUE(prompts.Questions().empty());
}

TEST_F(StopTest, AManagerThatCannotBeOpenedIsShownByTheEndCheck) {
    OpenWithOperations();
    Select({"Lone"});
    pc1().DenyManagerAccess();
    form->mnuStop.Click();
    ASSERT_EQ(prompts.Questions().size(), 1u);
    EXPECT_EQ(prompts.Questions()[0].text, DeniedText());
    EXPECT_EQ(prompts.Questions()[0].buttons, ui::MsgButtons::OK);
    EXPECT_EQ(prompts.Questions()[0].title, "Vantrel");
    EXPECT_TRUE(Entries().empty());
    EXPECT_FALSE(ErrorListShown());
    EXPECT_EQ(State("Lone"), kServiceRunning);
    EXPECT_EQ(Progress(), "Done");
    EXPECT_EQ(form->GetMousePointer(), ui::MousePointer::Default);
}

TEST_F(StopTest, TwoServicesWithDependentsEachListOnlyTheirOwn) {
    OpenWithOperations();
    Select({"Base", "Other"});
    prompts.AnswerMsgBox(ui::MsgResult::OK).AnswerMsgBox(ui::MsgResult::OK);
    form->mnuStop.Click();
    ASSERT_EQ(prompts.Questions().size(), 2u);
    EXPECT_EQ(prompts.Questions()[0].text.find("OtherDep"), std::string::npos);
    EXPECT_EQ(prompts.Questions()[1].text.find("Mid"), std::string::npos);
    EXPECT_EQ(State("Other"), kServiceStopped);
    EXPECT_EQ(State("OtherDep"), kServiceStopped);
    EXPECT_EQ(State("Base"), kServiceStopped);
    EXPECT_TRUE(Entries().empty());
}

TEST(StopOnStandardNetwork, ARunningServiceWithRunningDependents) {
    // The real data set: a running service with running dependents.
    auto network = sim::MakeStandardNetwork();
    ObservedPrompter prompts;
    prompts.SetAutoOk(true);
    ui::testing::TestHost host{prompts, [&] { return network->Now(); },
                               [&](std::uint64_t t) {
                                   if (t > network->Now()) network->Advance(t - network->Now());
                               }};
    frmMain main(host, network->LocalPlatform());
    ServiceOperations ops(host);
    main.SetHooks(ops);
    main.Show();
    // A running service that accepts the stop and has running dependents, all
    // of which accept it too.
    Platform& platform = network->LocalPlatform();
    auto [manager, managerError] = platform.OpenSCManager("", kScManagerAllAccess);
    std::string picked;
    std::vector<EnumServiceStatus> dependents;
    for (ui::ListRowId r : main.lvServices.Rows()) {
        const std::string name = main.lvServices.Text(r);
        auto [service, error] =
            platform.OpenService(manager, name, kServiceQueryStatus | kServiceEnumerateDependents);
        ServiceStatus status;
        if (!service || platform.QueryServiceStatus(service, status) != kErrorSuccess) continue;
        if (status.currentState != kServiceRunning || !(status.controlsAccepted & 1)) continue;
        const EnumRead read = EnumerateDependents(platform, service, kServiceStateAll);
        bool anyRunning = false;
        bool allStop = true;
        for (const EnumServiceStatus& d : read.entries) {
            if (d.status.currentState == kServiceRunning) anyRunning = true;
            if (d.status.currentState != kServiceStopped && !(d.status.controlsAccepted & 1))
                allStop = false;
        }
        if (anyRunning && allStop) {
            picked = name;
            dependents = read.entries;
            break;
        }
    }
    manager.reset();
    ASSERT_FALSE(picked.empty()) << "the data set has such a service";
    const ui::ListRowId row = main.lvServices.FindRow(picked);
    main.lvServices.ClickRow(row);
    prompts.AnswerMsgBox(ui::MsgResult::OK);
    main.tbStop.ClickButton("Stop");
    ASSERT_EQ(prompts.Questions().size(), 1u);
    EXPECT_EQ(prompts.Questions()[0].title, "Stopping " + picked);
    sim::SimComputer& ws = network->LocalComputer();
    EXPECT_EQ(ws.Status(picked)->currentState, kServiceStopped);
    for (const EnumServiceStatus& d : dependents)
        EXPECT_EQ(ws.Status(d.serviceName)->currentState, kServiceStopped) << d.serviceName;
    EXPECT_EQ(main.lvServices.Text(row, kColStatus), "Stopped") << "the focused row";
    EXPECT_EQ(ops.ErrorCount(), 0);
    EXPECT_EQ(network->OpenHandleCount(), 0u);
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
    EXPECT_EQ(ServiceAccesses("Base").front(), 0x3Cu);
    EXPECT_EQ(ServiceAccesses("Mid").front(), 0x24u);
    EXPECT_EQ(ServiceAccesses("Top").front(), 0x24u);

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
    EXPECT_EQ(network.OpenHandleCount(), 0u);
}

TEST_F(StopTest, RestartWithNoRowSelectedRequestsNoStart) {
    OpenWithOperations();
    form->lvServices.ClearSelection();
    form->mnuRestart.Click();
    EXPECT_EQ(Progress(), "Done");
    EXPECT_TRUE(ProgramCalls("VTLStartService").empty());
    EXPECT_FALSE(form->tmrService.Running());
    EXPECT_FALSE(ErrorListShown());
}

TEST_F(StopTest, RestartOfAServiceThatNeverStopsIsBoundedThenStarted) {
    OpenWithOperations();
    Select({"Hung"});
    form->mnuRestart.Click();
    EXPECT_EQ(Entries(), (std::vector<std::string>{Entry("Hung", StopBoundText(kStopBoundMs))}));
    RunUntilWatchEnds();
    EXPECT_EQ(Entries().size(), 2u) << "the start met a service still stopping";
    EXPECT_EQ(network.OpenHandleCount(), 0u);
}

TEST_F(StopTest, RestartWithoutTheCompanionLibrary) {
    OpenWithOperations();
    network.SetStartLibraryMissing(true);
    Select({"Lone"});
    form->mnuRestart.Click();
    EXPECT_EQ(
        Entries(),
        (std::vector<std::string>{Entry("Lone", StartLibraryFailureText(126, ErrorText(126)))}));
    EXPECT_TRUE(ErrorListShown());
    EXPECT_TRUE(prompts.Questions().empty());
    EXPECT_EQ(ops.WatchedCount(), 0u);
    EXPECT_EQ(State("Lone"), kServiceStopped);
    RunUntilWatchEnds();
    EXPECT_EQ(network.OpenHandleCount(), 0u);
}

}  // namespace
}  // namespace vtl::testing
