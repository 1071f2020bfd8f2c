#pragma once
// What the service commands' tests share: the main window's test world (a
// simulated network with PC1 and PC2, the window over PC1, the forms' timers on
// the network's clock) with the service commands wired in, test services with
// the test service's options, and helpers to read the error list and the call log.

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/ServiceCalls.h"
#include "core/ServiceRow.h"
#include "core/sim/DataSet.h"
#include "main/MainTestSupport.h"
#include "operations/OperationTexts.h"
#include "operations/ServiceOperations.h"

namespace vtl::testing {

// A service running the project's test service with options ("--start-ms 300").
inline sim::ServiceDefinition TestSvc(std::string name, std::string options,
                                      std::uint32_t state = kServiceStopped,
                                      std::vector<std::string> dependencies = {}) {
    sim::ServiceDefinition d = Svc(std::move(name), kServiceDemandStart, state);
    d.binaryPath = "\"C:\\Tools\\VtlTestSvc.exe\"";
    if (!options.empty()) d.binaryPath += " " + options;
    d.dependencies = std::move(dependencies);
    return d;
}

// A message box in one line as a test expects it: "title [buttons icon] text"
// (the buttons and the icon by their numbers).
inline std::string Box(std::string_view text, ui::MsgButtons buttons = ui::MsgButtons::OK,
                       ui::MsgIcon icon = ui::MsgIcon::None, std::string_view title = "Vantrel") {
    return std::string(title) + " [" + std::to_string(static_cast<int>(buttons)) + " " +
           std::to_string(static_cast<int>(icon)) + "] " + std::string(text);
}
// The message boxes asked so far, each as Box writes it.
inline std::vector<std::string> Boxes(const ui::testing::ScriptedPrompter& prompts) {
    std::vector<std::string> out;
    for (const ui::testing::Question& q : prompts.Questions()) {
        if (q.kind == ui::testing::QuestionKind::MsgBox)
            out.push_back(Box(q.text, q.buttons, q.icon, q.title));
    }
    return out;
}

// A fresh world for each run of a fault sweep: PC1 with services, the main
// window over it with the service commands wired in, the forms' timers on the
// network's clock, every OK-only message answered.
struct SweepWorld {
    // The services are PC1's; the window is opened once they are there.
    explicit SweepWorld(std::initializer_list<sim::ServiceDefinition> services) {
        network.AddComputer("PC1");
        for (const sim::ServiceDefinition& d : services)
            EXPECT_EQ(network.Computer("PC1").AddService(d), kErrorSuccess) << d.name;
        prompts.SetAutoOk(true);
        form = std::make_unique<frmMain>(host, network.PlatformFor("PC1"));
        form->SetHooks(ops);
        form->Show();
    }
    ~SweepWorld() {
        form.reset();
        prompts.ClearQuestions();
    }
    SweepWorld(const SweepWorld&) = delete;
    SweepWorld& operator=(const SweepWorld&) = delete;

    sim::SimNetwork network;
    ObservedPrompter prompts;
    ui::testing::TestHost host{prompts, [this] { return network.Now(); },
                               [this](std::uint64_t t) {
                                   if (t > network.Now()) network.Advance(t - network.Now());
                               }};
    std::unique_ptr<frmMain> form;
    ServiceOperations ops{host};
};

class OperationsTest : public MainWindowTest {
  protected:
    OperationsTest() { prompts.SetAutoOk(true); }
    // Every story ends with no handle open, once the watch and the start
    // threads still under way are through.
    void TearDown() override {
        if (!form) return;
        RunUntilWatchEnds();
        network.Advance(sim::kStartThreadBoundMs);
        EXPECT_EQ(network.OpenHandleCount(), 0u) << "a handle was left open";
    }

    // Opens the main window with the service commands wired in.
    frmMain& OpenWithOperations() {
        Open();
        form->SetHooks(ops);
        return *form;
    }
    // The user selects exactly these rows: a click on the first, Ctrl+click on
    // the others (the last one gets the focus and decides the commands' states).
    void Select(std::initializer_list<std::string> names) {
        bool first = true;
        for (const std::string& name : names) {
            const ui::ListRowId row = Row(name);
            if (!row) continue;
            form->lvServices.ClickRow(row, first ? 0 : ui::kCtrlMask);
            first = false;
        }
    }
    // The error list's entries as "service: text".
    std::vector<std::string> Entries() {
        std::vector<std::string> out;
        frmErrorMsg* errors = &ops.ErrorList();
        for (ui::ListRowId row : errors->lvErrors.Rows())
            out.push_back(errors->lvErrors.Text(row, 0) + ": " + errors->lvErrors.Text(row, 1));
        return out;
    }
    std::string Entry(const std::string& service, ErrorCode code) {
        return service + ": " + ErrorText(code);
    }
    std::string Entry(const std::string& service, std::string_view text) {
        return service + ": " + std::string(text);
    }
    // What a command shows for 5: the system's text (with its line break),
    // then the line that says the command needs an administrator.
    std::string DeniedText() {
        return ErrorText(kErrorAccessDenied) + std::string(kAdministratorHint);
    }
    // Calls of the program (not of the start threads) in the log.
    std::vector<sim::CallRecord> ProgramCalls(std::string_view operation) const {
        std::vector<sim::CallRecord> out;
        for (const sim::CallRecord& call : network.CallLog()) {
            if (call.operation == operation && !call.onStartThread) out.push_back(call);
        }
        return out;
    }
    // Access masks the program asked for when opening the named service.
    std::vector<std::uint32_t> ServiceAccesses(const std::string& name) const {
        std::vector<std::uint32_t> out;
        for (const sim::CallRecord& call : ProgramCalls("OpenService")) {
            if (call.argument == name && call.access) out.push_back(*call.access);
        }
        return out;
    }
    std::vector<std::uint32_t> ManagerAccesses() const {
        std::vector<std::uint32_t> out;
        for (const sim::CallRecord& call : ProgramCalls("OpenSCManager")) {
            if (call.access) out.push_back(*call.access);
        }
        return out;
    }
    bool Asked(const std::string& name, std::uint32_t access) const {
        const std::vector<std::uint32_t> all = ServiceAccesses(name);
        return std::find(all.begin(), all.end(), access) != all.end();
    }
    bool ErrorListShown() {
        for (const std::string& line : host.Log()) {
            if (line.rfind("Show frmErrorMsg", 0) == 0) return true;
        }
        return false;
    }
    // Runs the clock in 100 ms steps until no start is watched and the timer
    // has switched itself off (at most limitMs).
    void RunUntilWatchEnds(std::uint64_t limitMs = 300000) {
        for (std::uint64_t t = 0; t < limitMs && form->tmrService.Running(); t += 100)
            host.RunFor(100);
    }

    ServiceOperations ops{host};
};

}  // namespace vtl::testing
