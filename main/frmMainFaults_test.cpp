// Fault sweeps over the list procedures: every platform call of listing, full
// refresh, refresh by name and the periodic pass made to fail in turn (and, in
// a second sweep, to throw), with no crash, no handle left open and exactly the
// message the procedure gives for that failure.

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <stdexcept>

#include "main/MainTestSupport.h"

namespace vtl::testing {
namespace {

const std::vector<std::string> kNames = {"Svc1", "Svc2", "Svc3", "Svc4"};

class FaultSweep : public MainWindowTest {
  protected:
    FaultSweep() {
        Add(pc1(), Svc("Svc1", kServiceAutoStart, kServiceRunning));
        Add(pc1(), Svc("Svc2", kServiceDemandStart, kServiceStopped));
        Add(pc1(), Svc("Svc3", kServiceDisabled, kServiceStopped));
        Add(pc1(), Svc("Svc4", kServiceDemandStart, kServiceRunning));
        prompts.SetAutoOk(true);
    }

    // The calls a clean run makes, by operation (closing calls and message texts aside).
    std::map<std::string, std::uint32_t> CallsOf(const std::function<void()>& run) {
        network.ClearCallLog();
        run();
        std::map<std::string, std::uint32_t> calls;
        for (const sim::CallRecord& call : network.CallLog()) {
            if (call.operation == "CloseServiceHandle" || call.operation == "FormatMessage")
                continue;
            ++calls[call.operation];
        }
        EXPECT_TRUE(prompts.Questions().empty()) << "a clean run shows nothing";
        return calls;
    }

    void Relist() {
        form->lvServices.Clear();
        form->EnumSystemServices(3, "PC1", form->lvServices);
    }

    // A state change on every service, so that a refresh has something to write.
    void FlipStates() {
        for (const std::string& name : kNames) {
            const auto state = pc1().Status(name)->currentState;
            ASSERT_EQ(pc1().ForceState(
                          name, state == kServiceRunning ? kServiceStopped : kServiceRunning),
                      kErrorSuccess);
        }
    }
};

TEST_F(FaultSweep, ListingReportsEachFailureAsItsStepSays) {
    Open();
    const auto calls = CallsOf([&] { Relist(); });
    ASSERT_EQ(calls, (std::map<std::string, std::uint32_t>{{"EnumServicesStatus", 2},
                                                           {"OpenSCManager", 1},
                                                           {"OpenService", 4},
                                                           {"QueryServiceConfig", 8}}));
    for (const auto& [operation, count] : calls) {
        for (std::uint32_t nth = 1; nth <= count; ++nth) {
            SCOPED_TRACE(operation + " #" + std::to_string(nth));
            network.ClearFaults();
            prompts.ClearQuestions();
            network.FailCall(operation, nth, 5);
            Relist();
            EXPECT_EQ(network.OpenHandleCount(), 0u);
            EXPECT_EQ(Progress(), "Done");
            const std::vector<std::string> messages = prompts.MessageTexts();
            if (operation == "OpenSCManager") {
                EXPECT_EQ(messages, std::vector<std::string>{ErrorText(5) + "  5"});
                EXPECT_EQ(form->lvServices.RowCount(), 0);
            } else if (operation == "EnumServicesStatus") {
                EXPECT_EQ(messages,
                          std::vector<std::string>{
                              nth == 1 ? "ERROR_MORE_DATA not returned; error 5" : ErrorText(5)});
                EXPECT_EQ(form->lvServices.RowCount(), 0);
            } else {
                // The service whose open or configuration failed is listed without it.
                EXPECT_TRUE(messages.empty());
                EXPECT_EQ(Names(), kNames);
                const std::size_t broken = operation == "OpenService" ? nth - 1 : (nth - 1) / 2;
                for (std::size_t i = 0; i < kNames.size(); ++i) {
                    EXPECT_EQ(Cell(kNames[i], kColStartupType).empty(), i == broken) << kNames[i];
                    EXPECT_EQ(Cell(kNames[i], kColLogonAs).empty(), i == broken) << kNames[i];
                }
            }
        }
    }
}

TEST_F(FaultSweep, FullRefreshReportsEachFailureAndKeepsTheRows) {
    Open();
    const auto calls = CallsOf([&] { form->mnuViewRefresh.Click(); });
    ASSERT_EQ(calls.at("OpenService"), 4u);
    for (const auto& [operation, count] : calls) {
        for (std::uint32_t nth = 1; nth <= count; ++nth) {
            SCOPED_TRACE(operation + " #" + std::to_string(nth));
            FlipStates();
            network.ClearFaults();
            prompts.ClearQuestions();
            network.FailCall(operation, nth, 5);
            form->mnuViewRefresh.Click();
            EXPECT_EQ(network.OpenHandleCount(), 0u);
            EXPECT_EQ(Progress(), "Done");
            EXPECT_EQ(Names(), kNames);
            EXPECT_EQ(Count(), "Total Services : 4");
            const bool listRead = operation != "OpenSCManager" && operation != "EnumServicesStatus";
            EXPECT_EQ(prompts.MessageTexts().empty(), listRead);
            if (listRead) {
                // Every status was rewritten from the enumeration.
                for (const std::string& name : kNames)
                    EXPECT_EQ(Cell(name, kColStatus),
                              ServiceStatusText(pc1().Status(name)->currentState));
            }
        }
    }
}

TEST_F(FaultSweep, RefreshByNameShowsExactlyTheFailedCallsText) {
    Open();
    const auto calls = CallsOf([&] { form->RefreshGUIForService("Svc2"); });
    ASSERT_EQ(calls.size(), 4u);
    for (const auto& [operation, count] : calls) {
        for (std::uint32_t nth = 1; nth <= count; ++nth) {
            for (ErrorCode code : {5u, 6u, 1722u}) {
                SCOPED_TRACE(operation + " #" + std::to_string(nth) + " " + std::to_string(code));
                network.ClearFaults();
                prompts.ClearQuestions();
                network.FailCall(operation, nth, code);
                form->RefreshGUIForService("Svc2");
                EXPECT_EQ(prompts.MessageTexts(), std::vector<std::string>{ErrorText(code)});
                EXPECT_EQ(network.OpenHandleCount(), 0u);
                EXPECT_EQ(Progress(), "Done");
            }
        }
    }
}

// The pass as the program runs it: read through the executor, applied after.
TEST_F(FaultSweep, ThePeriodicPassNeverReportsAndRefreshesEveryOtherRow) {
    Open(true);
    stepped.RunAll();
    auto pass = [&] {
        form->RefreshServiceStates();
        stepped.RunAll();
    };
    const auto calls = CallsOf(pass);
    ASSERT_EQ(calls, (std::map<std::string, std::uint32_t>{{"OpenSCManager", 1},
                                                           {"OpenService", 4},
                                                           {"QueryServiceConfig", 8},
                                                           {"QueryServiceStatus", 4}}));
    for (const auto& [operation, count] : calls) {
        for (std::uint32_t nth = 1; nth <= count; ++nth) {
            SCOPED_TRACE(operation + " #" + std::to_string(nth));
            network.ClearFaults();
            pass();  // every row current, then every service changes
            FlipStates();
            prompts.ClearQuestions();
            network.FailCall(operation, nth, 5);
            pass();
            EXPECT_FALSE(form->PassRunning());
            EXPECT_TRUE(prompts.Questions().empty());
            EXPECT_EQ(network.OpenHandleCount(), 0u);
            EXPECT_EQ(form->lvServices.RowCount(), 4);
            // The row whose open or status failed keeps its text; every other is current.
            std::size_t stale = kNames.size();
            if (operation == "OpenSCManager") stale = 99;
            if (operation == "OpenService" || operation == "QueryServiceStatus") stale = nth - 1;
            for (std::size_t i = 0; i < kNames.size(); ++i) {
                const bool current = Cell(kNames[i], kColStatus) ==
                                     ServiceStatusText(pc1().Status(kNames[i])->currentState);
                EXPECT_EQ(current, stale != 99 && i != stale) << kNames[i];
            }
        }
    }
}

TEST_F(FaultSweep, ThePeriodicPassDropsOnNotFoundAndMarksOnMarkedAtAnyPosition) {
    for (std::uint32_t nth = 1; nth <= 4; ++nth) {
        for (ErrorCode code : {kErrorServiceDoesNotExist, kErrorServiceMarkedForDelete}) {
            SCOPED_TRACE(std::to_string(nth) + " " + std::to_string(code));
            Open();
            FlipStates();
            network.FailCall("OpenService", nth, code);
            form->RefreshServiceStates();
            const std::string& hit = kNames[nth - 1];
            EXPECT_EQ(static_cast<bool>(form->lvServices.FindRow(hit)),
                      code == kErrorServiceMarkedForDelete);
            if (code == kErrorServiceMarkedForDelete) {
                EXPECT_EQ(Cell(hit, kColStatus), "Marked for Deletion");
            }
            EXPECT_EQ(Count(), code == kErrorServiceDoesNotExist ? "Total Services : 3"
                                                                 : "Total Services : 4");
            for (const std::string& name : kNames) {
                if (name == hit) continue;
                EXPECT_EQ(Cell(name, kColStatus),
                          ServiceStatusText(pc1().Status(name)->currentState))
                    << name;
            }
            EXPECT_EQ(network.OpenHandleCount(), 0u);
            form.reset();
        }
    }
}

// --- Failures that are no error code: a call that throws -------------------------

// A public procedure hands the failure to its caller.
void Handed(const std::function<void()>& run) {
    try {
        run();
    } catch (const std::runtime_error&) {
    }
}

TEST_F(FaultSweep, AFailureInsideAnyProcedureClosesItsHandlesAndEndsWithDone) {
    HookedPlatform throwing(platform());
    std::uint32_t calls = 0;
    std::uint32_t throwAt = 0;  // 0: never
    throwing.beforeCall = [&] {
        if (++calls == throwAt) throw std::runtime_error("injected");
    };
    form = std::make_unique<frmMain>(host, throwing);
    form->Show();
    ASSERT_EQ(form->lvServices.RowCount(), 4);

    struct Procedure {
        std::string name;
        std::function<void()> run;
        bool writesDone;
    };
    const std::vector<Procedure> procedures = {
        {"listing", [&] { form->cboSystems.SelectItem(0); }, true},
        {"full refresh", [&] { form->mnuViewRefresh.Click(); }, true},
        {"periodic pass", [&] { host.RunFor(2000); }, false},
        {"refresh by name", [&] { Handed([&] { form->RefreshGUIForService("Svc2"); }); }, true},
        {"state", [&] { Handed([&] { (void)form->GetServiceState("Svc2"); }); }, false},
    };
    for (const Procedure& procedure : procedures) {
        throwAt = 0;
        calls = 0;
        procedure.run();
        const std::uint32_t total = calls;
        ASSERT_GT(total, 0u) << procedure.name;
        for (std::uint32_t at = 1; at <= total; ++at) {
            SCOPED_TRACE(procedure.name + " throws at call " + std::to_string(at));
            form->sbStatusBar.SetPanelText(kPanelProgress, "before");
            calls = 0;
            throwAt = at;
            EXPECT_NO_THROW(procedure.run());
            throwAt = 0;
            EXPECT_EQ(network.OpenHandleCount(), 0u);
            EXPECT_EQ(form->GetMousePointer(), ui::MousePointer::Default);
            if (procedure.writesDone) {
                EXPECT_EQ(Progress(), "Done");
            }
        }
        // The window goes on working after each of them.
        form->cboSystems.SelectItem(0);
        EXPECT_EQ(form->lvServices.RowCount(), 4) << procedure.name;
    }
}

}  // namespace
}  // namespace vtl::testing
