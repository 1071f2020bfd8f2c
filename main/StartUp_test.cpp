// The start-up over the standard simulated network.

#include "main/StartUp.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/sim/DataSet.h"
#include "main/MainTestSupport.h"
#include "main/MainTexts.h"
#include "ui/ListControls.h"

namespace vtl::testing {
namespace {

class StartUpTest : public ::testing::Test {
  protected:
    ~StartUpTest() override { main.reset(); }

    std::unique_ptr<sim::SimNetwork> network = sim::MakeStandardNetwork();
    ObservedPrompter prompts;
    ui::testing::TestHost host{prompts, [this] { return network->Now(); },
                               [this](std::uint64_t t) {
                                   if (t > network->Now()) network->Advance(t - network->Now());
                               }};
    std::unique_ptr<frmMain> main;
};

TEST_F(StartUpTest, SplashFirstThenTheLoadedMainWindowShownAfterTheSplashIsGone) {
    main = StartUp(host, network->LocalPlatform());
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(host.Log(),
              (std::vector<std::string>{"Load frmSplash", "Show frmSplash", "Load frmMain",
                                        "Unload frmSplash", "Show frmMain"}));
    EXPECT_TRUE(main->Visible());
    EXPECT_EQ(MainWindow(), main.get());
    EXPECT_EQ(host.OpenForms(), std::vector<ui::Form*>{main.get()});
}

// Every Win32 service of the local computer, sorted by name, each row as its
// service manager has it.
TEST_F(StartUpTest, TheWorkstationsServicesAreListedSortedAsItsServiceManagerHasThem) {
    CountingHooks hooks;
    main = StartUp(host, network->LocalPlatform(), &hooks);
    sim::SimComputer& local = network->LocalComputer();
    std::vector<std::string> expected;
    for (const std::string& name : local.ServiceNames()) {
        if ((local.Config(name)->serviceType & kServiceWin32) != 0) expected.push_back(name);
    }
    std::sort(expected.begin(), expected.end(), [](const std::string& a, const std::string& b) {
        return ui::CompareListText(a, b) < 0;
    });
    ASSERT_GT(expected.size(), 100u);
    std::vector<std::string> listed;
    const ui::ListView& rows = main->lvServices;
    for (ui::ListRowId row : rows.Rows()) {
        const std::string name = listed.emplace_back(rows.Text(row));
        const auto config = local.Config(name);
        const auto status = local.Status(name);
        ASSERT_TRUE(config && status) << name;
        EXPECT_EQ(rows.Text(row, kColDisplayName) + "|" + rows.Text(row, kColStatus) + "|" +
                      rows.Text(row, kColStartupType) + "|" + rows.Text(row, kColLogonAs),
                  CutToChars(config->displayName) + "|" +
                      std::string(ServiceStatusText(status->currentState)) + "|" +
                      std::string(StartTypeText(config->startType)) + "|" +
                      CutToChars(config->serviceStartName))
            << name;
        if (row != rows.RowAt(0)) {
            EXPECT_EQ(rows.SmallIcon(row),
                      static_cast<int>(StateIcon(status->currentState, config->startType, {})))
                << name;
        }
    }
    EXPECT_EQ(listed, expected);
    EXPECT_EQ(main->cboSystems.Text(), std::string(sim::kWorkstationName));
    EXPECT_EQ(main->sbStatusBar.PanelText(kPanelCount),
              "Total Services : " + std::to_string(expected.size()));
    EXPECT_EQ(main->sbStatusBar.PanelText(kPanelProgress), "Done");
    EXPECT_NE(rows.SmallIcon(rows.RowAt(0)), 0);
    EXPECT_TRUE(prompts.Questions().empty());
    EXPECT_EQ(network->OpenHandleCount(), 0u);
    main->tbCreate.ClickButton("Create");
    EXPECT_EQ(hooks.calls, std::vector<std::string>{"CreateSrv"});
}

TEST_F(StartUpTest, TheOldServerIsReportedUnreachableWhenPicked) {
    main = StartUp(host, network->LocalPlatform());
    prompts.AnswerComputer(std::string(sim::kUnreachableName)).AnswerMsgBox(ui::MsgResult::OK);
    main->cmdSelectSys.Click();
    ASSERT_EQ(prompts.MessageTexts().size(), 1u);
    EXPECT_TRUE(prompts.MessageTexts()[0].ends_with(
        "\rThis may be due to network problems. Please verify network connectivity.  1722"));
    EXPECT_EQ(main->lvServices.RowCount(), 0);
    prompts.AnswerComputer(std::string(sim::kServerName));
    main->cmdSelectSys.Click();
    EXPECT_GT(main->lvServices.RowCount(), 50);
    EXPECT_EQ(main->cboSystems.ListCount(), 3);
}

// The computers the services were enumerated on, in order.
std::vector<std::string> EnumeratedOn(const sim::SimNetwork& network) {
    std::vector<std::string> computers;
    for (const sim::CallRecord& call : network.CallLog()) {
        if (call.operation == "EnumServicesStatus") computers.push_back(call.computer);
    }
    return computers;
}

// A computer named on the command line is listed after the local one in the box
// and is the only one read; a name the browse dialog refuses gets its message
// over the shown window, and the local computer opens.
TEST_F(StartUpTest, TheCommandLinesComputerIsCheckedAsTheBrowseDialogsTypedName) {
    const std::string local(sim::kWorkstationName), server(sim::kServerName);
    struct Row {
        std::string given;
        std::vector<std::string> box;
        bool refused;
    };
    bool shownFirst = false;  // the window was shown when the message came
    for (const Row& row :
         {Row{"\\\\" + server, {local, server}, false},
          Row{"srv-file01", {local, "srv-file01"}, false}, Row{" \\\\ws-admin01 ", {local}, false},
          Row{"", {local}, true}, Row{"\\\\", {local}, true}, Row{"my pc", {local}, true},
          Row{"a\"b", {local}, true}, Row{"\\\\SRV\\C$", {local}, true},
          Row{"a\x01z", {local}, true}, Row{std::string(256, 'n'), {local}, true},
          Row{std::string(5000, 'n'), {local}, true}}) {
        SCOPED_TRACE(row.given.substr(0, 20));
        main.reset();
        network->ClearCallLog();
        prompts.ClearQuestions();
        shownFirst = false;
        prompts.onMsgBox = [&](std::string_view) {
            shownFirst = host.Log().back() == "Show frmMain";
        };
        if (row.refused) prompts.AnswerMsgBox(ui::MsgResult::OK);
        main = StartUp(host, network->LocalPlatform(), nullptr, nullptr, row.given);
        std::vector<std::string> box;
        for (int i = 0; i < main->cboSystems.ListCount(); ++i)
            box.push_back(main->cboSystems.List(i));
        EXPECT_EQ(box, row.box);
        EXPECT_EQ(main->cboSystems.Text(), row.box.back());
        // One reading, of that computer only: the local one is never listed first.
        ASSERT_EQ(EnumeratedOn(*network).size(), 2u);  // the sizing call and the read
        for (const std::string& computer : EnumeratedOn(*network))
            EXPECT_TRUE(ui::EqualsIgnoreCase(computer, row.box.back())) << computer;
        EXPECT_EQ(main->sbStatusBar.PanelText(kPanelCount),
                  "Total Services : " + std::to_string(main->lvServices.RowCount()));
        EXPECT_GT(main->lvServices.RowCount(), 50);
        if (!row.refused) {
            EXPECT_TRUE(prompts.Questions().empty());
            continue;
        }
        EXPECT_TRUE(shownFirst);
        prompts.onMsgBox = nullptr;
        // The same name typed into the browse dialog: the same message.
        prompts.AnswerComputer(row.given).AnswerMsgBox(ui::MsgResult::OK);
        main->cmdSelectSys.Click();
        const auto& asked = prompts.Questions();
        ASSERT_EQ(asked.size(), 3u);
        EXPECT_EQ(asked[0].text, asked[2].text);
        EXPECT_EQ(asked[0].icon, asked[2].icon);
        EXPECT_EQ(asked[0].text, InvalidComputerNameText(row.given));
        EXPECT_LT(asked[0].text.size(), 300u) << "a name too long is shown cut";
    }
}

}  // namespace
}  // namespace vtl::testing
