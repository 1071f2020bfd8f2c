// Fault sweeps: every platform call of each command (and of the watch that
// follows it) made to fail in turn, at each position: no crash, no handle left
// open, the timer off at the end, and every failure shown as an entry or a
// message with a service name and a text.

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <set>

#include "operations/OperationsTestSupport.h"

namespace vtl::testing {
namespace {

// A fresh world for each run of a sweep.
struct World : SweepWorld {
    World()
        : SweepWorld({
              TestSvc("Base", "--stop-ms 200", kServiceRunning),
              TestSvc("Mid", "--stop-ms 200", kServiceRunning, {"Base"}),
              TestSvc("Top", "", kServiceRunning, {"Mid"}),
              TestSvc("Side", "", kServiceStopped, {"Base"}),
              TestSvc("Flaky", "--run-ms 10", kServiceStopped),
              TestSvc("Good", "--start-ms 300", kServiceStopped),
              TestSvc("Lone", "", kServiceRunning),
          }) {}
    void Select(std::initializer_list<std::string> names) {
        form->lvServices.ClearSelection();
        for (const std::string& name : names) {
            const ui::ListRowId row = form->lvServices.FindRow(name);
            form->lvServices.SetSelected(row, true);
            form->lvServices.SetFocusedRow(row);
        }
    }
    void RunWatch() {
        for (int i = 0; i < 5000 && form->tmrService.Running(); ++i)
            host.RunFor(100);
    }
};

struct Scenario {
    const char* name;
    std::function<void(World&)> run;  // the command and its watch
};

const std::vector<Scenario>& Scenarios() {
    static const std::vector<Scenario> scenarios = {
        {"Start",
         [](World& w) {
             w.Select({"Flaky", "Good", "Lone"});
             w.ops.mnuStart_Click(*w.form);
             w.RunWatch();
         }},
        {"Stop",
         [](World& w) {
             w.Select({"Base", "Lone"});
             w.prompts.onMsgBox = [&w](std::string_view text) {
                 // Every question the stop asks is answered OK here.
                 if (text.rfind("This service", 0) == 0) w.prompts.AnswerMsgBox(ui::MsgResult::OK);
             };
             w.ops.mnuStop_Click(*w.form);
             w.RunWatch();
         }},
        {"Restart",
         [](World& w) {
             w.Select({"Base", "Side", "Lone"});
             w.ops.mnuRestart_Click(*w.form);
             w.RunWatch();
         }},
        {"Remove",
         [](World& w) {
             w.Select({"Lone"});
             w.prompts.AnswerMsgBox(ui::MsgResult::Yes).AnswerMsgBox(ui::MsgResult::Yes);
             w.ops.mnuDelete_Click(*w.form);
             w.RunWatch();
         }},
    };
    return scenarios;
}

// Operations the commands call, by name as the simulation logs them.
const std::set<std::string> kSwept = {
    "OpenSCManager",      "OpenService",        "ControlService",    "EnumDependentServices",
    "QueryServiceStatus", "StartService",       "DeleteService",     "VTLStartService",
    "GetExitCodeThread",  "QueryServiceConfig", "EnumServicesStatus"};

// Codes a failing call gives: access denied, and one the command decides on.
const std::vector<ErrorCode> kCodes = {kErrorAccessDenied, kErrorServiceDoesNotExist};

TEST(OperationFaults, EveryCallOfEveryCommandFailingAtEachPosition) {
    int runs = 0;
    for (const Scenario& scenario : Scenarios()) {
        // The calls a clean run makes after the window is open.
        std::map<std::string, std::uint32_t> counts;
        {
            World clean;
            clean.network.ClearCallLog();
            scenario.run(clean);
            for (const sim::CallRecord& call : clean.network.CallLog()) {
                if (kSwept.count(call.operation) != 0) ++counts[call.operation];
            }
            ASSERT_FALSE(counts.empty()) << scenario.name;
            EXPECT_EQ(clean.network.OpenHandleCount(), 0u) << scenario.name;
        }
        for (const auto& [operation, count] : counts) {
            for (std::uint32_t nth = 1; nth <= count; ++nth) {
                for (const ErrorCode code : kCodes) {
                    SCOPED_TRACE(std::string(scenario.name) + ": " + operation + " #" +
                                 std::to_string(nth) + " fails with " + std::to_string(code));
                    World w;
                    w.network.FailCall(operation, nth, code);
                    scenario.run(w);
                    ++runs;
                    EXPECT_FALSE(w.form->tmrService.Running());
                    EXPECT_EQ(w.ops.WatchedCount(), 0u);
                    EXPECT_EQ(w.network.OpenHandleCount(sim::HandleKind::StartThread), 0u);
                    // Start threads still under way hold handles of their own.
                    w.network.Advance(sim::kStartThreadBoundMs);
                    EXPECT_EQ(w.network.OpenHandleCount(), 0u);
                    EXPECT_EQ(w.form->sbStatusBar.PanelText(kPanelProgress), "Done");
                    EXPECT_EQ(w.form->GetMousePointer(), ui::MousePointer::Default);
                    frmErrorMsg& errors = w.ops.ErrorList();
                    for (ui::ListRowId row : errors.lvErrors.Rows()) {
                        EXPECT_FALSE(errors.lvErrors.Text(row, 0).empty());
                        const std::string& text = errors.lvErrors.Text(row, 1);
                        EXPECT_FALSE(text.empty());
                        // A refusal says that the command needs an administrator.
                        EXPECT_EQ(text.find("Access is denied.") != std::string::npos,
                                  text.ends_with(kAdministratorHint))
                            << text;
                    }
                    for (const auto& question : w.prompts.Questions())
                        EXPECT_FALSE(question.text.empty());
                    // The library's refusal is never lost: an entry names it.
                    if (operation == "VTLStartService") {
                        EXPECT_GT(errors.EntryCount(), 0);
                    }
                }
            }
        }
    }
    EXPECT_GT(runs, 100);
    std::printf("fault sweep: %d runs\n", runs);
}

}  // namespace
}  // namespace vtl::testing
