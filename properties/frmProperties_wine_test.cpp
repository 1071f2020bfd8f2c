// The properties dialog against Wine's real service manager: the main window
// and the dialog over the Win32 platform, editing a real test service and
// reading the result back through the service manager directly; the control
// buttons on the running service; a reload for another service.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/ServiceRow.h"
#include "core/win32/Win32Platform.h"
#include "core/win32/WinHandle.h"
#include "core/win32/WinString.h"
#include "core/win32/Windows.h"
#include "main/frmMain.h"
#include "main/win32/testing/DirectServices.h"
#include "operations/ServiceOperations.h"
#include "properties/PropertiesCommand.h"
#include "properties/frmProperties.h"
#include "ui/testing/ScriptedPrompter.h"
#include "ui/testing/TestHost.h"
#include "wrapper/testing/WineServiceTest.h"

namespace vtl::testing {
namespace {

using win32::Narrow;
using win32::UniqueScHandle;
using win32::Widen;

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

class PropertiesWine : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = platform_.ApplicationFolder();
        ASSERT_TRUE(platform_.FileExists(folder_ + "\\VtlTestSvc.exe"));
        prompts_.SetAutoOk(true);
    }
    void TearDown() override {
        properties_.reset();
        form_.reset();
        guards_.clear();
    }
    std::string Create(const std::string& stem, const std::string& options) {
        const std::wstring wide = UniqueServiceName(Widen("VtlProps" + stem));
        guards_.push_back(std::make_unique<ServiceGuard>(wide));
        auto [manager, managerError] = platform_.OpenSCManager("", kScManagerAllAccess);
        ServiceManagerApi::CreateArgs args;
        args.serviceName = Narrow(wide);
        args.displayName = args.serviceName;
        args.binaryPathName = Command(options);
        EXPECT_EQ(platform_.CreateService(manager, args).error, kErrorSuccess);
        return args.serviceName;
    }
    std::string Command(const std::string& options) const {
        return "\"" + folder_ + "\\VtlTestSvc.exe\" " + options;
    }
    frmProperties& Properties(const std::string& name) {
        if (!form_) {
            form_ = std::make_unique<frmMain>(host_, platform_);
            form_->SetHooks(ops_);
            form_->Show();
        }
        const ui::ListRowId row = form_->lvServices.FindRow(name);
        EXPECT_TRUE(row) << name;
        form_->lvServices.ClickRow(row);
        properties_->mnuProperties_Click(*form_);
        return *properties_->Existing();
    }
    bool RunUntil(const std::function<bool()>& done, std::uint64_t limitMs = 30000) {
        const std::uint64_t end = platform_.TickCount() + limitMs;
        while (!done()) {
            if (platform_.TickCount() >= end) return false;
            host_.RunFor(100);
        }
        return true;
    }
    std::string Cell(const std::string& name, int column) {
        const ui::ListRowId row = form_->lvServices.FindRow(name);
        return row ? form_->lvServices.Text(row, column) : std::string("<no row>");
    }

    win32::Win32Platform platform_;
    std::string folder_;
    std::vector<std::unique_ptr<ServiceGuard>> guards_;
    ui::testing::ScriptedPrompter prompts_;
    ui::testing::TestHost host_{prompts_, [this] { return platform_.TickCount(); },
                                [this](std::uint64_t t) {
                                    const std::uint64_t now = platform_.TickCount();
                                    if (t > now) platform_.Sleep(static_cast<DWORD>(t - now));
                                }};
    std::unique_ptr<frmMain> form_;
    ServiceOperations ops_{host_};
    std::unique_ptr<PropertiesCommand> properties_ =
        std::make_unique<PropertiesCommand>(host_, ops_);
};

TEST_F(PropertiesWine, EditsReachTheServiceManagerAndTheButtonsControlTheService) {
    const std::string name = Create("Edit", "--start-ms 100");
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
    ASSERT_TRUE(RunUntil([&] { return !form_->tmrService.Running(); }));
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
    const std::string other = Create("Other", "");
    form_->mnuViewRefresh.Click();
    frmProperties& reloaded = Properties(other);
    EXPECT_EQ(&reloaded, &again);
    EXPECT_EQ(reloaded.Caption(), "'" + other + "' Service Properties");
    EXPECT_EQ(reloaded.txtStartParam.Text(), "");
    EXPECT_EQ(reloaded.cboStartupType.ListIndex(), 0);
}

}  // namespace
}  // namespace vtl::testing
