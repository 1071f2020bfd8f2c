// The window's readings off its thread: listing, View > Refresh and the periodic
// pass through an executor the test steps, so every interleaving of a reading
// with the window is written down; stale results are dropped. The last cases
// run a real worker thread (also under ThreadSanitizer, the tsan preset).

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/ServiceRow.h"
#include "main/MainTestSupport.h"
#include "ui/Executor.h"
#include "ui/testing/WindowThread.h"

namespace vtl::testing {
namespace {

class BackgroundTest : public MainWindowTest {
  protected:
    BackgroundTest() {
        Add(pc1(), Svc("Alpha", kServiceAutoStart, kServiceRunning));
        Add(pc1(), Svc("Beta", kServiceDemandStart, kServiceStopped));
        Add(pc1(), Svc("Gamma", kServiceDemandStart, kServiceRunning));
        Add(pc2(), Svc("Remote1", kServiceDemandStart, kServiceRunning));
        Add(pc2(), Svc("Remote2", kServiceDemandStart, kServiceStopped));
    }
    void OpenListed() {
        Open(true);
        stepped.RunAll();
        ASSERT_EQ(Names(), (std::vector<std::string>{"Alpha", "Beta", "Gamma"}));
    }
    // A tick whose pass has read the services, its result not yet back.
    void TickAndRead() {
        host.RunFor(2000);
        ASSERT_TRUE(form->PassRunning());
        ASSERT_TRUE(stepped.RunWork());
    }
    // Opens the window with a reading of PC1 under way: "loading", "pass queued",
    // "pass, read" (it has read Beta gone: last in a loop), or "loading" or "refresh"
    // and ", read" once its reading is done.
    void StartReading(const std::string& how) {
        if (how.starts_with("loading")) {
            Open(true);
        } else {
            OpenListed();
            if (how == "pass, read") {
                ASSERT_EQ(pc1().RemoveService("Beta"), kErrorSuccess);
                return TickAndRead();
            }
            if (how == "pass queued") host.RunFor(2000);
            if (how.starts_with("refresh")) form->mnuViewRefresh.Click();
        }
        ASSERT_TRUE(!how.ends_with(", read") || stepped.RunWork());
    }
    void ExpectIdleAndDone() {
        EXPECT_TRUE(stepped.Idle());
        EXPECT_FALSE(form->ReadingList());
        EXPECT_FALSE(form->PassRunning());
        EXPECT_EQ(Progress(), "Done");
        EXPECT_EQ(form->GetMousePointer(), ui::MousePointer::Default);
        EXPECT_EQ(Count(), "Total Services : " + std::to_string(form->lvServices.RowCount()));
    }
};

TEST_F(BackgroundTest, APassNeverOverlapsTheNextNorAReadingOfTheWholeList) {
    OpenListed();
    host.RunFor(2000);
    host.RunFor(2000);  // the first pass has not come back: this tick skips
    EXPECT_EQ(stepped.Queued(), 1u);
    stepped.RunAll();
    host.RunFor(2000);
    EXPECT_EQ(stepped.Queued(), 1u);
    stepped.RunAll();
    form->mnuViewRefresh.Click();
    EXPECT_EQ(Progress(), "Refreshing all registered services on PC1");
    EXPECT_EQ(form->GetMousePointer(), ui::MousePointer::Hourglass);
    host.RunFor(2000);
    EXPECT_EQ(stepped.Queued(), 1u);  // the refresh only
    stepped.RunAll();
    ExpectIdleAndDone();
}

// A result read before something changed the row or the list is not applied;
// Beta, which nothing touched, takes its new state in the same pass.
TEST_F(BackgroundTest, AStaleOutcomeIsDroppedAndTheRestOfThePassApplies) {
    struct Case {
        std::string name;
        std::function<void()> meanwhile;  // between the pass's reading and its result
    };
    const std::vector<Case> cases = {
        {"refresh by name",
         [&] {
             ASSERT_EQ(pc1().ForceState("Gamma", kServiceRunning), kErrorSuccess);
             form->RefreshGUIForService("Gamma");
         }},
        {"command on the selected row",
         [&] {
             ASSERT_EQ(pc1().ForceState("Gamma", kServiceRunning), kErrorSuccess);
             form->lvServices.ClickRow(Row("Gamma"));
             form->mnuStop.Click();
         }},
        {"full refresh by another window",
         [&] {
             ASSERT_EQ(pc1().ForceState("Gamma", kServiceRunning), kErrorSuccess);
             form->RefreshSystemServices(3, "PC1", form->lvServices);
         }},
        {"row removed and listed again",
         [&] {
             form->lvServices.RemoveRow(Row("Gamma"));
             ASSERT_EQ(pc1().ForceState("Gamma", kServiceRunning), kErrorSuccess);
             form->RefreshSystemServices(3, "PC1", form->lvServices);
         }},
        {"list filled again",
         [&] {
             ASSERT_EQ(pc1().ForceState("Gamma", kServiceRunning), kErrorSuccess);
             ASSERT_EQ(pc1().ForceState("Beta", kServiceRunning), kErrorSuccess);
             form->lvServices.Clear();
             form->EnumSystemServices(3, "PC1", form->lvServices);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(pc1().ForceState("Gamma", kServiceRunning), kErrorSuccess);
        ASSERT_EQ(pc1().ForceState("Beta", kServiceStopped), kErrorSuccess);
        OpenListed();
        // Gamma stops, Beta starts, and the pass reads both.
        ASSERT_EQ(pc1().ForceState("Gamma", kServiceStopped), kErrorSuccess);
        ASSERT_EQ(pc1().ForceState("Beta", kServiceRunning), kErrorSuccess);
        TickAndRead();
        c.meanwhile();
        stepped.RunAll();
        EXPECT_EQ(Names(), (std::vector<std::string>{"Alpha", "Beta", "Gamma"}));
        EXPECT_EQ(Cell("Gamma", kColStatus), "Running");
        EXPECT_EQ(Icon("Gamma"), kIconActive);
        EXPECT_EQ(Cell("Beta", kColStatus), "Running");
        EXPECT_FALSE(form->PassRunning());
        // Dropped once only: the next pass shows what Gamma is now.
        ASSERT_EQ(pc1().ForceState("Gamma", kServiceStopped), kErrorSuccess);
        host.RunFor(2000);
        stepped.RunAll();
        EXPECT_EQ(Cell("Gamma", kColStatus), "Stopped");
        form.reset();
    }
}

// A pass read before a listing added to the list, or before the box showed another
// computer, is dropped whole (its rows are still there).
TEST_F(BackgroundTest, APassOfAListFilledAgainOrOfAnotherComputerIsDropped) {
    for (bool otherComputer : {false, true}) {
        SCOPED_TRACE(otherComputer ? "another computer" : "list filled again");
        ASSERT_EQ(pc1().ForceState("Gamma", kServiceRunning), kErrorSuccess);
        OpenListed();
        ASSERT_EQ(pc1().ForceState("Gamma", kServiceStopped), kErrorSuccess);
        TickAndRead();
        if (otherComputer) {
            form->cboSystems.AddItem("PC2");
            ASSERT_TRUE(form->cboSystems.SetText("PC2"));  // no event: nothing listed
        } else {
            EXPECT_EQ(form->EnumSystemServices(3, "PC2", form->lvServices), 2);
        }
        stepped.RunAll();
        EXPECT_EQ(Cell("Gamma", kColStatus), "Running");
        EXPECT_FALSE(form->PassRunning());
        form.reset();
    }
}

TEST_F(BackgroundTest, ClosingTheWindowWhileAReadingRunsEndsIt) {
    for (const std::string how : {"loading", "pass queued", "refresh, read", "pass, read"}) {
        SCOPED_TRACE(how);
        StartReading(how);
        const std::vector<std::string> before = Names();
        form->Unload();
        EXPECT_TRUE(stepped.Idle());
        EXPECT_EQ(Names(), before);
        form.reset();
    }
}

// --- A real worker thread ----------------------------------------------------------------

class WorkerThreadTest : public BackgroundTest {
  protected:
    WorkerThreadTest() {
        hooked.beforeCall = [this] {
            if (holdNextCall.exchange(false)) gate.Arrive();
        };
    }
    ~WorkerThreadTest() override {
        gate.Open();  // a failed case may have left the worker waiting there
        form.reset();
        work.reset();
    }
    void OpenOnThread() {
        form = std::make_unique<frmMain>(host, hooked, work.get());
        form->Show();
        ASSERT_TRUE(window.PumpUntil([&] { return !form->ReadingList(); }));
    }

    ui::testing::PostedQueue window;
    ui::testing::Gate gate;
    std::atomic<bool> holdNextCall{false};
    HookedPlatform hooked{platform()};
    std::unique_ptr<ui::ThreadExecutor> work = std::make_unique<ui::ThreadExecutor>(
        [this](std::function<void()> task) { window.Post(std::move(task)); });
};

TEST_F(WorkerThreadTest, ClosingTheWindowWhileAPassWaitsOnTheServiceManagerEndsTheWorker) {
    OpenOnThread();
    ASSERT_EQ(pc1().RemoveService("Beta"), kErrorSuccess);
    holdNextCall = true;
    form->tmrRefresh.Tick();
    gate.WaitForArrival();  // the pass is inside its first call
    ASSERT_TRUE(form->Unload());
    gate.Open();
    form.reset();
    work.reset();  // returns once the worker has ended
    window.RunAll();
}

}  // namespace
}  // namespace vtl::testing
