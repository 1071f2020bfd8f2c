// The start-up over the standard simulated network.

#include "main/StartUp.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/sim/DataSet.h"
#include "main/MainTestSupport.h"
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

TEST_F(StartUpTest, TheWorkstationsServicesAreListedSortedByNameWithTheirCount) {
    CountingHooks hooks;
    main = StartUp(host, network->LocalPlatform(), &hooks);
    // Every Win32 service of the local computer, as its service manager has them.
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
    for (ui::ListRowId row : main->lvServices.Rows())
        listed.push_back(main->lvServices.Text(row));
    EXPECT_EQ(listed, expected);
    EXPECT_EQ(main->cboSystems.Text(), std::string(sim::kWorkstationName));
    EXPECT_EQ(main->sbStatusBar.PanelText(kPanelCount),
              "Total Services : " + std::to_string(expected.size()));
    EXPECT_EQ(main->sbStatusBar.PanelText(kPanelProgress), "Done");
    EXPECT_NE(main->lvServices.SmallIcon(main->lvServices.RowAt(0)), 0);
    EXPECT_TRUE(prompts.Questions().empty());
    EXPECT_EQ(network->OpenHandleCount(), 0u);
    main->tbCreate.ClickButton("Create");
    EXPECT_EQ(hooks.calls, std::vector<std::string>{"CreateSrv"});
}

TEST_F(StartUpTest, EveryRowOfTheWorkstationMatchesItsServiceManager) {
    main = StartUp(host, network->LocalPlatform());
    sim::SimComputer& local = network->LocalComputer();
    for (ui::ListRowId row : main->lvServices.Rows()) {
        const std::string name = main->lvServices.Text(row);
        SCOPED_TRACE(name);
        const auto config = local.Config(name);
        const auto status = local.Status(name);
        ASSERT_TRUE(config && status);
        EXPECT_EQ(main->lvServices.Text(row, kColDisplayName), CutToChars(config->displayName));
        EXPECT_EQ(main->lvServices.Text(row, kColStatus), ServiceStatusText(status->currentState));
        EXPECT_EQ(main->lvServices.Text(row, kColStartupType), StartTypeText(config->startType));
        EXPECT_EQ(main->lvServices.Text(row, kColLogonAs), CutToChars(config->serviceStartName));
        if (row != main->lvServices.RowAt(0)) {
            EXPECT_EQ(main->lvServices.SmallIcon(row),
                      static_cast<int>(StateIcon(status->currentState, config->startType, {})));
        }
    }
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

}  // namespace
}  // namespace vtl::testing
