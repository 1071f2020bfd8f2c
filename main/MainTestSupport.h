#pragma once
// What the main window's tests share: a simulated network, a test host running
// the forms' timers on the network's clock, a scripted prompter, and helpers
// to read the list.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/ServiceRow.h"
#include "core/sim/SimNetwork.h"
#include "core/testing/MockPlatform.h"
#include "main/frmMain.h"
#include "ui/testing/ScriptedPrompter.h"
#include "ui/testing/SteppedExecutor.h"
#include "ui/testing/TestHost.h"

namespace vtl::testing {

// A scripted prompter that also lets a test look at the window while a message
// box is up.
class ObservedPrompter : public ui::testing::ScriptedPrompter {
  public:
    std::function<void(std::string_view text)> onMsgBox;
    std::function<void()> onBrowse;
    std::optional<std::string> BrowseForComputer(const ui::Form* owner,
                                                 std::string_view title) override {
        if (onBrowse) onBrowse();
        return ScriptedPrompter::BrowseForComputer(owner, title);
    }
    ui::MsgResult MsgBox(std::string_view text, ui::MsgButtons buttons, ui::MsgIcon icon,
                         std::string_view title) override {
        if (onMsgBox) onMsgBox(text);
        return ScriptedPrompter::MsgBox(text, buttons, icon, title);
    }
};

// Hooks that count the commands they receive.
class CountingHooks : public OperationsHooks {
  public:
    void mnuStart_Click(frmMain&) override { calls.push_back("Start"); }
    void mnuStop_Click(frmMain&) override { calls.push_back("Stop"); }
    void mnuRestart_Click(frmMain&) override { calls.push_back("Restart"); }
    void mnuDelete_Click(frmMain&) override { calls.push_back("Delete"); }
    void mnuProperties_Click(frmMain&) override { calls.push_back("Properties"); }
    void mnuCreateSrv_Click(frmMain&) override { calls.push_back("CreateSrv"); }
    void mnuExport_Click(frmMain&) override { calls.push_back("Export"); }
    void MnuExportSel_Click(frmMain&) override { calls.push_back("ExportSel"); }
    void mnuHelpAbout_Click(frmMain&) override { calls.push_back("About"); }
    void tmrService_Timer(frmMain&) override { calls.push_back("tmrService"); }
    std::vector<std::string> calls;
};

// Another platform behind a mock that runs a hook before each call of the list's
// procedures (to make one throw, or wait).
class HookedPlatform : public ::testing::NiceMock<MockPlatform> {
  public:
    explicit HookedPlatform(Platform& inner) {
        using ::testing::_;
        auto hooked = [this](auto call) {
            return [this, call](auto&&... args) {
                if (beforeCall) beforeCall();
                return call(args...);
            };
        };
        ON_CALL(*this, OpenSCManager(_, _)).WillByDefault(hooked([&inner](auto&&... a) {
            return inner.OpenSCManager(a...);
        }));
        ON_CALL(*this, OpenService(_, _, _)).WillByDefault(hooked([&inner](auto&&... a) {
            return inner.OpenService(a...);
        }));
        ON_CALL(*this, EnumServicesStatus(_, _, _, _)).WillByDefault(hooked([&inner](auto&&... a) {
            return inner.EnumServicesStatus(a...);
        }));
        ON_CALL(*this, QueryServiceConfig(_, _)).WillByDefault(hooked([&inner](auto&&... a) {
            return inner.QueryServiceConfig(a...);
        }));
        ON_CALL(*this, QueryServiceStatus(_, _)).WillByDefault(hooked([&inner](auto&&... a) {
            return inner.QueryServiceStatus(a...);
        }));
        ON_CALL(*this, EnumRecordSize()).WillByDefault([&inner] { return inner.EnumRecordSize(); });
        ON_CALL(*this, GetComputerName()).WillByDefault([&inner] {
            return inner.GetComputerName();
        });
        ON_CALL(*this, FormatMessage(_)).WillByDefault([&inner](ErrorCode code) {
            return inner.FormatMessage(code);
        });
    }
    // Set before the calls it is to see are made.
    std::function<void()> beforeCall;
};

// A service of a simulated computer with a display name, start type, state and account.
inline sim::ServiceDefinition Svc(std::string name, std::uint32_t startType = kServiceDemandStart,
                                  std::uint32_t state = kServiceStopped,
                                  std::string account = "LocalSystem") {
    sim::ServiceDefinition d;
    d.displayName = "Display of " + name;
    d.name = std::move(name);
    d.startType = startType;
    d.state = state;
    d.startName = std::move(account);
    d.binaryPath = "C:\\Program Files\\Svc\\svc.exe";
    return d;
}

// A network with PC1 (the local computer) and PC2, and a main window over PC1.
class MainWindowTest : public ::testing::Test {
  protected:
    MainWindowTest() {
        network.AddComputer("PC1");
        network.AddComputer("PC2");
    }
    ~MainWindowTest() override { form.reset(); }

    // Every case ends with no handle left open and, once its readings are over,
    // "Done" and the normal pointer (unless it clears endsDone). The prompter
    // fails a case on a question nobody scripted or an answer left unused.
    void TearDown() override {
        EXPECT_EQ(network.OpenHandleCount(), 0u) << "a handle was left open";
        if (endsDone && form && form->Loaded() && !form->ReadingList() && !form->PassRunning()) {
            EXPECT_EQ(Progress(), "Done");
            EXPECT_EQ(form->GetMousePointer(), ui::MousePointer::Default);
        }
    }

    sim::SimComputer& pc1() { return network.Computer("PC1"); }
    sim::SimComputer& pc2() { return network.Computer("PC2"); }
    Platform& platform() { return network.PlatformFor("PC1"); }

    void Add(sim::SimComputer& computer, const sim::ServiceDefinition& definition) {
        ASSERT_EQ(computer.AddService(definition), kErrorSuccess) << definition.name;
    }

    // Start, Stop and Restart in the menu, the pop-up and the toolbar.
    void ExpectCommands(bool start, bool stop, bool restart) {
        EXPECT_EQ(form->mnuStart.Enabled(), start);
        EXPECT_EQ(form->mnuPopStart.Enabled(), start);
        EXPECT_EQ(form->tbStart.Button(0).enabled, start);
        EXPECT_EQ(form->mnuStop.Enabled(), stop);
        EXPECT_EQ(form->mnuPopStop.Enabled(), stop);
        EXPECT_EQ(form->tbStop.Button(0).enabled, stop);
        EXPECT_EQ(form->mnuRestart.Enabled(), restart);
        EXPECT_EQ(form->mnuPopRestart.Enabled(), restart);
        EXPECT_EQ(form->tbRestart.Button(0).enabled, restart);
    }
    // Changes a service's configuration on PC1 as another program would.
    void Reconfigure(const std::string& name, const ServiceManagerApi::ConfigChange& change) {
        auto [manager, e1] = platform().OpenSCManager("PC1", kScManagerAllAccess);
        auto [service, e2] = platform().OpenService(manager, name, kServiceAllAccess);
        ASSERT_EQ(platform().ChangeServiceConfig(service, change), kErrorSuccess) << name;
    }

    // Creates the main window over PC1 and shows it (which loads it). With
    // background, its readings wait in `stepped` until the test runs them.
    frmMain& Open(bool background = false) {
        form = std::make_unique<frmMain>(host, platform(), background ? &stepped : nullptr);
        form->SetHooks(hooks);
        form->Show();
        return *form;
    }

    // The row of a service, failing the test when it is not listed.
    ui::ListRowId Row(const std::string& name) {
        const ui::ListRowId row = form->lvServices.FindRow(name);
        EXPECT_TRUE(row) << name << " is not listed";
        return row;
    }
    std::string Cell(const std::string& name, int column) {
        const ui::ListRowId row = Row(name);
        return row ? form->lvServices.Text(row, column) : std::string("<no row>");
    }
    int Icon(const std::string& name) {
        const ui::ListRowId row = Row(name);
        return row ? form->lvServices.SmallIcon(row) : -1;
    }
    // Service names in list order.
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (ui::ListRowId row : form->lvServices.Rows())
            names.push_back(form->lvServices.Text(row));
        return names;
    }
    // A row's five columns joined by '|'.
    std::string Line(const std::string& name) {
        std::string line = Cell(name, 0);
        for (int column = 1; column <= kColLogonAs; ++column)
            line += "|" + Cell(name, column);
        return line;
    }
    // The texts of one column in list order.
    std::vector<std::string> Column(int column) const {
        std::vector<std::string> texts;
        for (ui::ListRowId row : form->lvServices.Rows())
            texts.push_back(form->lvServices.Text(row, column));
        return texts;
    }
    std::string Progress() const { return form->sbStatusBar.PanelText(kPanelProgress); }
    std::string Count() const { return form->sbStatusBar.PanelText(kPanelCount); }

    // Calls of the operation in the log with their access masks.
    std::vector<std::uint32_t> Accesses(std::string_view operation) const {
        std::vector<std::uint32_t> out;
        for (const sim::CallRecord& call : network.CallLog()) {
            if (call.operation == operation && call.access) out.push_back(*call.access);
        }
        return out;
    }
    // The system's text for a code as the window shows it.
    std::string ErrorText(ErrorCode code) { return GetErrorText(platform(), code); }

    sim::SimNetwork network;
    ObservedPrompter prompts;
    ui::testing::TestHost host{prompts, [this] { return network.Now(); },
                               [this](std::uint64_t t) {
                                   if (t > network.Now()) network.Advance(t - network.Now());
                               }};
    CountingHooks hooks;
    ui::testing::SteppedExecutor stepped;  // outlives the form
    std::unique_ptr<frmMain> form;
    bool endsDone = true;
};

inline constexpr int kIconActive = static_cast<int>(StateIconIndex::Active);
inline constexpr int kIconInactive = static_cast<int>(StateIconIndex::Inactive);
inline constexpr int kIconDisabled = static_cast<int>(StateIconIndex::Disabled);
inline constexpr int kIconBusy = static_cast<int>(StateIconIndex::Busy);

}  // namespace vtl::testing
