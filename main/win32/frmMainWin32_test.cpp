// The main window over the Win32 platform and a real service manager (Wine's
// under the windows preset), without windows: a test host runs the form. The
// list is compared with an independent reading through EnumServicesStatusExW
// and QueryServiceConfigW, and a test service created here is followed through
// the refreshes.

#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "core/ServiceCalls.h"
#include "core/ServiceRow.h"
#include "core/testing/PlatformChecks.h"
#include "core/win32/Win32Platform.h"
#include "core/win32/Win32TestSupport.h"
#include "core/win32/WinHandle.h"
#include "core/win32/WinString.h"
#include "core/win32/Windows.h"
#include "main/frmMain.h"
#include "main/win32/HelpPrompter.h"
#include "main/win32/testing/DirectServices.h"
#include "ui/testing/ScriptedPrompter.h"
#include "ui/testing/TestHost.h"

namespace vtl::win32 {
namespace {

using vtl::testing::CreateTestService;
using vtl::testing::ServiceGuard;
using vtl::testing::TestServiceCommand;
using vtl::testing::WaitForState;

class MainOverWin32 : public ::testing::Test {
  protected:
    void SetUp() override {
        folder = platform.ApplicationFolder();
        ASSERT_TRUE(platform.FileExists(folder + "\\VtlTestSvc.exe"));
    }
    void TearDown() override { form.reset(); }

    void Open() {
        form = std::make_unique<frmMain>(host, platform);
        form->Show();
    }
    std::string Cell(const std::string& name, int column) {
        const ui::ListRowId row = form->lvServices.FindRow(name);
        return row ? form->lvServices.Text(row, column) : "<not listed>";
    }

    Win32Platform platform;
    std::string folder;
    ui::testing::ScriptedPrompter prompts;
    ui::testing::TestHost host{prompts};
    std::unique_ptr<frmMain> form;
};

TEST_F(MainOverWin32, ListsTheServicesTheServiceManagerReports) {
    Open();
    EXPECT_TRUE(prompts.Questions().empty());
    EXPECT_EQ(form->sbStatusBar.PanelText(kPanelProgress), "Done");
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = sizeof name;
    ASSERT_TRUE(GetComputerNameA(name, &size));
    EXPECT_EQ(form->cboSystems.Text(), name);

    // States may move between two readings (services starting on demand): read
    // until two readings agree on them, refreshing the list in between.
    std::map<std::string, vtl::win32::testing::DirectService> direct;
    for (int attempt = 0; attempt < 5; ++attempt) {
        direct = vtl::win32::testing::ReadServicesDirectly();
        bool same = static_cast<int>(direct.size()) == form->lvServices.RowCount();
        for (const auto& [service, row] : direct)
            same = same && Cell(service, kColStatus) == ServiceStatusText(row.state);
        if (same) break;
        form->mnuViewRefresh.Click();
        host.RunFor(2000);
    }
    ASSERT_FALSE(direct.empty());
    ASSERT_EQ(form->lvServices.RowCount(), static_cast<int>(direct.size()));
    EXPECT_EQ(form->sbStatusBar.PanelText(kPanelCount),
              "Total Services : " + std::to_string(direct.size()));
    for (const auto& [service, row] : direct) {
        SCOPED_TRACE(service);
        EXPECT_EQ(Cell(service, kColDisplayName) + "|" + Cell(service, kColStatus) + "|" +
                      Cell(service, kColStartupType) + "|" + Cell(service, kColLogonAs),
                  CutToChars(row.displayName) + "|" + std::string(ServiceStatusText(row.state)) +
                      "|" + std::string(StartTypeText(row.startType)) + "|" +
                      CutToChars(row.account));
    }
}

TEST_F(MainOverWin32, FollowsATestServiceThroughRefreshTicksAndItsRemoval) {
    const std::string name = vtl::win32::testing::UniqueName("VtlMainWin");
    ServiceGuard guard(platform, "", name, vtl::win32::testing::TerminateServiceProcess);
    Open();
    ASSERT_FALSE(form->lvServices.FindRow(name));
    {
        auto [manager, error] = platform.OpenSCManager("", kScManagerAllAccess);
        ASSERT_TRUE(manager) << error;
        auto created = CreateTestService(platform, manager, name, TestServiceCommand(folder, ""),
                                         "Vantrel main test");
        ASSERT_EQ(created.error, kErrorSuccess);
    }
    // View > Refresh adds it, stopped and manual.
    form->mnuViewRefresh.Click();
    ASSERT_TRUE(form->lvServices.FindRow(name));
    EXPECT_EQ(Cell(name, kColDisplayName) + "|" + Cell(name, kColStatus) + "|" +
                  Cell(name, kColStartupType),
              "Vantrel main test|Stopped|Manual");
    EXPECT_EQ(form->lvServices.SmallIcon(form->lvServices.FindRow(name)),
              static_cast<int>(StateIconIndex::Inactive));

    // Started elsewhere: the tick shows it running with the Active icon.
    {
        auto [manager, e1] = platform.OpenSCManager("", kScManagerAllAccess);
        auto [service, e2] = platform.OpenService(manager, name, kServiceAllAccess);
        ASSERT_TRUE(service) << e2;
        ASSERT_EQ(platform.StartService(service, {}), kErrorSuccess);
        ServiceStatus status;
        ASSERT_TRUE(WaitForState(platform, service, {kServiceRunning}, 15000, status));
    }
    host.RunFor(2000);
    EXPECT_EQ(Cell(name, kColStatus), "Running");
    EXPECT_EQ(form->lvServices.SmallIcon(form->lvServices.FindRow(name)),
              static_cast<int>(StateIconIndex::Active));
    EXPECT_EQ(form->GetServiceState(name), kServiceRunning);

    // The refresh by name after a stop, then removed by another program: the
    // tick drops the row once the service manager lets it go.
    form->lvServices.ClickRow(form->lvServices.FindRow(name));
    EXPECT_TRUE(form->mnuStop.Enabled());
    ASSERT_TRUE(guard.Remove());
    // Gone already, or marked while Wine lets go of it: either is reported.
    prompts.SetAutoOk(true);
    form->RefreshGUIForService(name);
    for (const auto& q : prompts.Questions()) {
        EXPECT_TRUE(q.text == GetErrorText(platform, kErrorServiceDoesNotExist) ||
                    q.text == GetErrorText(platform, kErrorServiceMarkedForDelete))
            << q.text;
    }
    for (int tick = 0; tick < 20 && form->lvServices.FindRow(name); ++tick) {
        Sleep(100);
        host.RunFor(2000);
    }
    EXPECT_FALSE(form->lvServices.FindRow(name));
}

TEST(HelpPrompter, TheHelpPageHasTheHelpFilesNameWithHtm) {
    EXPECT_EQ(HelpPageFor("Vtlhelp.hlp"), "Vtlhelp.htm");
    EXPECT_EQ(HelpPageFor("C:\\Tools\\Vtlhelp.hlp"), "C:\\Tools\\Vtlhelp.htm");
    EXPECT_EQ(HelpPageFor("C:\\v1.2\\help"), "C:\\v1.2\\help.htm");
    EXPECT_EQ(HelpPageFor("help"), "help.htm");
}

}  // namespace
}  // namespace vtl::win32
