// The properties dialog against Wine's real service manager: the main window
// and the dialog over the Win32 platform, editing a real test service and
// reading the result back through the service manager directly; the control
// buttons on the running service; a reload for another service.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/win32/WinHandle.h"
#include "main/win32/testing/DirectServices.h"
#include "operations/OperationsWineSupport.h"
#include "properties/PropertiesCommand.h"
#include "properties/frmProperties.h"

namespace vtl::testing {
namespace {

using win32::Narrow;
using win32::UniqueScHandle;

// The description, read without the platform layer.
std::string DescriptionOf(const std::wstring& name) {
    const UniqueScHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    const UniqueScHandle service(OpenServiceW(manager.get(), name.c_str(), SERVICE_QUERY_CONFIG));
    DWORD needed = 0;
    QueryServiceConfig2W(service.get(), SERVICE_CONFIG_DESCRIPTION, nullptr, 0, &needed);
    std::vector<std::uint64_t> buffer(needed / 8 + 1);
    auto* info = reinterpret_cast<SERVICE_DESCRIPTIONW*>(buffer.data());
    if (!QueryServiceConfig2W(service.get(), SERVICE_CONFIG_DESCRIPTION,
                              reinterpret_cast<BYTE*>(buffer.data()),
                              static_cast<DWORD>(buffer.size() * 8), &needed) ||
        info->lpDescription == nullptr)
        return {};
    return Narrow(info->lpDescription);
}

// The account as the lookup qualifies it: "DOMAIN\user".
std::string Qualified(const std::wstring& user) {
    BYTE sid[256];
    DWORD sidSize = sizeof sid;
    wchar_t domain[256];
    DWORD domainSize = 256;
    SID_NAME_USE use;
    if (!LookupAccountNameW(ComputerName().c_str(), user.c_str(), sid, &sidSize, domain,
                            &domainSize, &use))
        return Narrow(user);
    return Narrow(domain) + "\\" + Narrow(user);
}

class PropertiesWine : public OperationsWine {
  protected:
    void TearDown() override {
        properties_.reset();
        OperationsWine::TearDown();
    }
    frmProperties& Properties(const std::string& name) {
        if (!form_) Open();
        Select({name});
        properties_->mnuProperties_Click(*form_);
        return *properties_->Existing();
    }

    std::unique_ptr<PropertiesCommand> properties_ =
        std::make_unique<PropertiesCommand>(host_, ops_);
};

TEST_F(PropertiesWine, EditsReachTheServiceManagerAndTheButtonsControlTheService) {
    const std::string name = CreateTestSvc("PropsEdit", "--start-ms 100");
    const std::wstring wide = Widen(name);
    frmProperties& dlg = Properties(name);
    EXPECT_EQ(dlg.txtDispName.Text(), name);
    EXPECT_EQ(dlg.txtExePath.Text(), Command("--start-ms 100"));
    EXPECT_EQ(dlg.cboStartupType.ListIndex(), 0);
    EXPECT_EQ(dlg.lblServiceStatus.Caption(), "Stopped");
    EXPECT_TRUE(dlg.txtServDesc.Enabled()) << "Wine has service descriptions";
    EXPECT_TRUE(dlg.optLocalSystem.Value());

    wchar_t user[256];
    DWORD userSize = 256;
    ASSERT_TRUE(GetUserNameW(user, &userSize));
    const std::string display = "Vantrel Props \xC3\x84nderung " + name;
    dlg.txtDispName.TypeText(display);
    dlg.txtServDesc.TypeText("Described by the properties dialog");
    dlg.cboStartupType.SelectItem(1);
    dlg.txtExePath.TypeText(Command("--start-ms 200 --stop-ms 200 --pause"));
    dlg.txtStartParam.TypeText("-p wine");
    dlg.tabProperties.SelectTab(kPageLogon);
    dlg.optThisAcc.Click();
    dlg.txtAccName.TypeText(Narrow(user));
    dlg.txtPasswd.TypeText("unused");
    ASSERT_TRUE(dlg.cmdOK.Click());
    EXPECT_TRUE(prompts_.Questions().empty()) << prompts_.MessageTexts().front();
    EXPECT_FALSE(dlg.Loaded());

    // What the service manager now says, read around the program.
    const auto direct = win32::testing::ReadServicesDirectly();
    ASSERT_EQ(direct.count(name), 1u);
    EXPECT_EQ(direct.at(name).displayName, display);
    EXPECT_EQ(direct.at(name).startType, static_cast<std::uint32_t>(SERVICE_AUTO_START));
    EXPECT_EQ(direct.at(name).account, Qualified(user));
    EXPECT_EQ(Narrow(QueryConfig(wide).binaryPath),
              Command("--start-ms 200 --stop-ms 200 --pause"));
    EXPECT_EQ(DescriptionOf(wide), "Described by the properties dialog");
    EXPECT_EQ(Narrow(ReadRegString(L"SYSTEM\\CurrentControlSet\\Services\\" + wide + L"\\VTLParams",
                                   L"Params")),
              "-p wine");
    EXPECT_EQ(Cell(name, kColDisplayName), display);
    EXPECT_EQ(Cell(name, kColStartupType), "Automatic");

    // The buttons, on the real service.
    frmProperties& again = Properties(name);
    EXPECT_EQ(again.txtStartParam.Text(), "-p wine");
    ASSERT_TRUE(again.cmdStart.Click());
    EXPECT_TRUE(prompts_.Questions().empty());
    ASSERT_TRUE(RunUntilWatchEnds());
    EXPECT_EQ(QueryStatus(wide).dwCurrentState, static_cast<DWORD>(SERVICE_RUNNING));
    EXPECT_EQ(Cell(name, kColStatus), "Running");
    Properties(name);
    ASSERT_TRUE(again.cmdPause.Click());
    ASSERT_TRUE(
        WaitUntil([&] { return QueryStatus(wide).dwCurrentState == SERVICE_PAUSED; }, 10000));
    ASSERT_TRUE(again.cmdResume.Click());
    ASSERT_TRUE(
        WaitUntil([&] { return QueryStatus(wide).dwCurrentState == SERVICE_RUNNING; }, 10000));
    ASSERT_TRUE(again.cmdStop.Click());
    EXPECT_EQ(again.lblServiceStatus.Caption(), "Stopped");
    EXPECT_EQ(QueryStatus(wide).dwCurrentState, static_cast<DWORD>(SERVICE_STOPPED));
    EXPECT_EQ(Cell(name, kColStatus), "Stopped");
    EXPECT_TRUE(prompts_.Questions().empty());

    // Another service's properties while the dialog is open: the same window.
    const std::string other = CreateTestSvc("PropsOther", "");
    form_->mnuViewRefresh.Click();
    frmProperties& reloaded = Properties(other);
    EXPECT_EQ(&reloaded, &again);
    EXPECT_EQ(reloaded.Caption(), "'" + other + "' Service Properties");
    EXPECT_EQ(reloaded.txtStartParam.Text(), "");
    EXPECT_EQ(reloaded.cboStartupType.ListIndex(), 0);
}

}  // namespace
}  // namespace vtl::testing
