// The Start command and the watch over pending starts, as user stories over the
// simulated network: several selected services, each failing its own way, the
// timer ticking on the network's clock.

#include <gtest/gtest.h>

#include <algorithm>

#include "operations/OperationsTestSupport.h"
#include "ui/Keys.h"

namespace vtl::testing {
namespace {

class StartTest : public OperationsTest {
  protected:
    StartTest() {
        Add(pc1(), TestSvc("Good", "--start-ms 300"));
        Add(pc1(), TestSvc("Denied", ""));
        Add(pc1(), TestSvc("SelfStop", "--run-ms 50"));
        Add(pc1(), TestSvc("Specific", "--start-ms 50 --fail-start --specific 5"));
        Add(pc1(), TestSvc("Running", "", kServiceRunning));
        Add(pc1(), TestSvc("Hang", "--hang-start"));
        Add(pc1(), TestSvc("Untouched", ""));
        // The start thread may not start it.
        EXPECT_TRUE(pc1().DenyServiceAccess("Denied", kServiceStart));
    }
    // The rows whose tag is not empty.
    int Watched() {
        int count = 0;
        for (ui::ListRowId row : form->lvServices.Rows())
            count += form->lvServices.Tag(row).empty() ? 0 : 1;
        return count;
    }
};

TEST_F(StartTest, SeveralServicesStartAndEveryFailureLandsInTheErrorList) {
    OpenWithOperations();
    ops.AddToErrorList("Earlier", "left from the last command");
    Select({"Good", "Denied", "SelfStop", "Specific", "Running", "Hang"});
    network.ClearCallLog();
    const std::uint64_t clickedAt = network.Now();

    form->mnuStart.Click();

    // The command returns at once: no virtual time passed, nothing reported yet.
    EXPECT_EQ(network.Now(), clickedAt);
    EXPECT_EQ(Progress(), "Done");
    EXPECT_EQ(form->GetMousePointer(), ui::MousePointer::Default);
    EXPECT_TRUE(Entries().empty()) << "the list of the last command was emptied";
    EXPECT_FALSE(ErrorListShown());
    EXPECT_TRUE(form->tmrService.Running());
    for (const char* name : {"Good", "Denied", "SelfStop", "Specific", "Running", "Hang"}) {
        EXPECT_EQ(Cell(name, kColStatus), "Starting") << name;
        EXPECT_EQ(Icon(name), kIconBusy) << name;
        EXPECT_FALSE(form->lvServices.Tag(Row(name)).empty()) << name;
    }
    EXPECT_EQ(Cell("Untouched", kColStatus), "Stopped");
    EXPECT_TRUE(form->lvServices.Tag(Row("Untouched")).empty());
    EXPECT_EQ(ops.WatchedCount(), 6u);
    EXPECT_EQ(network.OpenHandleCount(sim::HandleKind::StartThread), 6u);
    // The library was given the service name, \\PC1 and no parameter.
    const auto starts = ProgramCalls("VTLStartService");
    ASSERT_EQ(starts.size(), 6u);
    EXPECT_EQ(starts[0].argument, "Denied");
    EXPECT_EQ(starts[0].computer, "PC1");

    // The periodic pass leaves "Starting" and the busy icon alone.
    host.RunFor(2000);
    EXPECT_EQ(Cell("Hang", kColStatus), "Starting");
    EXPECT_EQ(Icon("Hang"), kIconBusy);
    EXPECT_TRUE(ErrorListShown()) << "the tick shows the list once it holds entries";

    RunUntilWatchEnds();
    EXPECT_FALSE(form->tmrService.Running());
    EXPECT_EQ(Watched(), 0);
    EXPECT_EQ(ops.WatchedCount(), 0u);

    EXPECT_EQ(Entries(), (std::vector<std::string>{
                             Entry("Denied", DeniedText()),
                             Entry("Running", kErrorServiceAlreadyRunning),
                             Entry("SelfStop", kProbeNoError),
                             Entry("Specific", ProbeSpecificErrorText(5)),
                         }));
    // The hung start ended with 997: nothing reported, the row refreshed.
    EXPECT_EQ(Cell("Hang", kColStatus), "Start Pending");
    EXPECT_EQ(Icon("Hang"), kIconBusy);
    EXPECT_EQ(Cell("Good", kColStatus), "Running");
    EXPECT_EQ(Icon("Good"), kIconActive);
    EXPECT_EQ(Cell("Denied", kColStatus), "Stopped");
    EXPECT_EQ(Icon("Denied"), kIconInactive);
    EXPECT_EQ(Cell("Specific", kColStatus), "Stopped");

    // The probe opened the manager with all access and the service with 0x94;
    // it started the two services that claimed success but were stopped.
    EXPECT_TRUE(Asked("SelfStop", 0x94u));
    EXPECT_TRUE(Asked("Specific", 0x94u));
    EXPECT_FALSE(Asked("Good", 0x94u));
    for (std::uint32_t access : ManagerAccesses())
        EXPECT_TRUE(access == 0xF003Fu || access == 0x80000001u) << std::hex << access;
    EXPECT_EQ(ProgramCalls("StartService").size(), 2u);
    EXPECT_EQ(pc1().StartCount("SelfStop"), 2u);
    EXPECT_EQ(pc1().StartCount("Specific"), 2u);
    // Every start handle was closed once its exit code was read.
    EXPECT_EQ(network.OpenHandleCount(), 0u);
    EXPECT_TRUE(prompts.Questions().empty()) << "no message box, only the list";
}

TEST_F(StartTest, TheWatchedListShowsTheWindowOnEveryTickWhileItHoldsEntries) {
    OpenWithOperations();
    Select({"Denied", "Hang"});
    form->mnuStart.Click();
    host.RunFor(100);
    ASSERT_EQ(Entries(), (std::vector<std::string>{Entry("Denied", DeniedText())}));
    const auto shows = [&] {
        return std::count(host.Log().begin(), host.Log().end(), "Show frmErrorMsg");
    };
    const auto before = shows();
    host.RunFor(300);  // Hang is still pending: three more ticks
    EXPECT_EQ(shows(), before + 3);
    // The user closes the window: the list is discarded and not shown again.
    ops.ErrorList().Unload(ui::UnloadMode::ControlMenu);
    host.RunFor(300);
    EXPECT_TRUE(Entries().empty());
    EXPECT_FALSE(ops.ErrorList().Visible());
}

TEST_F(StartTest, WithoutTheCompanionLibraryStartAndRestartReportItAndWatchNothing) {
    OpenWithOperations();
    network.SetStartLibraryMissing(true);
    const std::string text = StartLibraryFailureText(126, ErrorText(126));
    Select({"Good", "Hang"});
    const int goodIcon = Icon("Good");
    form->mnuStart.Click();
    EXPECT_EQ(Watched(), 0);
    EXPECT_EQ(Cell("Good", kColStatus), "Stopped") << "not \"Starting\": nothing is under way";
    EXPECT_EQ(Icon("Good"), goodIcon);
    EXPECT_EQ(Entries(), (std::vector<std::string>{Entry("Good", text), Entry("Hang", text)}));
    host.RunFor(100);
    EXPECT_TRUE(ErrorListShown());
    EXPECT_FALSE(form->tmrService.Running());

    // Restart stops the service, then meets the same refusal; no message box.
    Select({"Running"});
    host.ClearLog();
    form->mnuRestart.Click();
    EXPECT_EQ(Entries(), (std::vector<std::string>{Entry("Running", text)}));
    EXPECT_TRUE(ErrorListShown());
    EXPECT_TRUE(prompts.Questions().empty());
    EXPECT_EQ(pc1().Status("Running")->currentState, kServiceStopped);
    EXPECT_EQ(ops.WatchedCount(), 0u);
}

// --- The probe ---------------------------------------------------------------------------

class ProbeTest : public StartTest {
  protected:
    // Starts Flaky, which runs and stops by itself before the first tick, then
    // gives it the behaviour its second start (the probe's) shows.
    void StartFlakyThenBehave(const sim::ServiceBehaviour& second) {
        OpenWithOperations();
        Select({"Flaky"});
        form->mnuStart.Click();
        network.Advance(50);  // runs, stops by itself; the timer has not ticked yet
        ASSERT_EQ(pc1().Status("Flaky")->currentState, kServiceStopped);
        ASSERT_TRUE(pc1().SetBehaviour("Flaky", second));
        network.ClearCallLog();
    }
    ProbeTest() { Add(pc1(), TestSvc("Flaky", "--run-ms 10")); }
};

TEST_F(ProbeTest, APollThatNeverEndsIsBoundedAndReported) {
    sim::ServiceBehaviour hang;
    hang.hangStart = true;
    StartFlakyThenBehave(hang);
    const std::uint64_t before = network.Now();
    host.RunFor(100);
    const std::uint64_t spent = network.Now() - before;
    EXPECT_GE(spent, kProbeStartBoundMs);
    EXPECT_LT(spent, kProbeStartBoundMs + 1000);
    EXPECT_EQ(Entries(),
              (std::vector<std::string>{Entry("Flaky", StartBoundText(kProbeStartBoundMs))}));
    EXPECT_EQ(ServiceAccesses("Flaky"), (std::vector<std::uint32_t>{0x4u, 0x94u, 0x5u}));
}

TEST_F(ProbeTest, ADirectStartThatFailsAddsTheErrorAndTheNoErrorText) {
    StartFlakyThenBehave(sim::ServiceBehaviour{});
    network.FailCall("StartService", 1, kErrorServiceDisabled, "Flaky");
    RunUntilWatchEnds();
    EXPECT_EQ(Entries(), (std::vector<std::string>{Entry("Flaky", kErrorServiceDisabled),
                                                   Entry("Flaky", kProbeNoError)}));
}

}  // namespace
}  // namespace vtl::testing
