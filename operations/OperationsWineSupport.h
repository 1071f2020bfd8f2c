#pragma once
// What the Wine tests of the windows over the real platform share: the main
// window over the Win32 platform with the service commands wired in, the
// forms' timers on the real clock, test services that are deleted by a guard
// also when the test fails, and helpers to read services and the error list.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/ServiceCalls.h"
#include "core/ServiceRow.h"
#include "core/win32/Win32Platform.h"
#include "core/win32/WinString.h"
#include "core/win32/Windows.h"
#include "main/frmMain.h"
#include "operations/ServiceOperations.h"
#include "ui/testing/ScriptedPrompter.h"
#include "ui/testing/TestHost.h"
#include "wrapper/testing/WineServiceTest.h"

namespace vtl::testing {

inline constexpr std::uint64_t kWatchLimitMs = 60000;

// Open kernel handles of this process, found by asking for each handle value
// (Wine's GetProcessHandleCount always says 0).
inline DWORD CountOpenHandles() {
    DWORD count = 0;
    for (std::uintptr_t value = 4; value < 4 * 16384; value += 4) {
        DWORD flags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
    }
    return count;
}

class OperationsWine : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = platform_.ApplicationFolder();
        ASSERT_TRUE(platform_.FileExists(folder_ + "\\VtlTestSvc.exe"));
        ASSERT_TRUE(platform_.FileExists(folder_ + "\\VtlIns.dll"));
        prompts_.SetAutoOk(true);
    }
    void TearDown() override {
        form_.reset();
        guards_.clear();  // stops and deletes what the test created
    }

    // A demand-start test service with options; deleted when the test ends.
    std::string CreateTestSvc(const std::string& stem, const std::string& options) {
        const std::wstring wide = UniqueServiceName(L"VtlOps" + Widen(stem));
        guards_.push_back(std::make_unique<ServiceGuard>(wide));
        const std::string name = win32::Narrow(wide);
        auto [manager, managerError] = platform_.OpenSCManager("", kScManagerAllAccess);
        EXPECT_TRUE(manager) << managerError;
        ServiceManagerApi::CreateArgs args;
        args.serviceName = name;
        args.displayName = name;
        args.binaryPathName = Command(options);
        auto created = platform_.CreateService(manager, args);
        EXPECT_EQ(created.error, kErrorSuccess) << name;
        return name;
    }
    static std::wstring Widen(const std::string& text) { return win32::Widen(text); }
    // The test service's command path with options.
    std::string Command(const std::string& options) const {
        std::string command = "\"" + folder_ + "\\VtlTestSvc.exe\"";
        if (!options.empty()) command += " " + options;
        return command;
    }

    std::uint32_t State(const std::string& name) {
        auto [manager, e1] = platform_.OpenSCManager("", kScManagerConnect);
        auto [service, e2] = platform_.OpenService(manager, name, kServiceQueryStatus);
        ServiceStatus status;
        if (!service || platform_.QueryServiceStatus(service, status) != kErrorSuccess) return 0;
        return status.currentState;
    }
    bool StartDirectly(const std::string& name) {
        auto [manager, e1] = platform_.OpenSCManager("", kScManagerConnect);
        auto [service, e2] =
            platform_.OpenService(manager, name, kServiceStart | kServiceQueryStatus);
        if (!service || platform_.StartService(service, {}) != kErrorSuccess) return false;
        return RunUntil([&] { return State(name) == kServiceRunning; }, 30000);
    }

    // The main window over this computer with the service commands (or other hooks).
    frmMain& Open(OperationsHooks* hooks = nullptr) {
        form_ = std::make_unique<frmMain>(host_, platform_);
        form_->SetHooks(hooks ? *hooks : ops_);
        form_->Show();
        return *form_;
    }
    // The user clicks the first row and Ctrl+clicks the others.
    void Select(const std::vector<std::string>& names) {
        bool first = true;
        for (const std::string& name : names) {
            const ui::ListRowId row = form_->lvServices.FindRow(name);
            ASSERT_TRUE(row) << name << " is not listed";
            form_->lvServices.ClickRow(row, first ? 0 : ui::kCtrlMask);
            first = false;
        }
    }
    std::string Cell(const std::string& name, int column) {
        const ui::ListRowId row = form_->lvServices.FindRow(name);
        return row ? form_->lvServices.Text(row, column) : std::string("<no row>");
    }
    // Lets the window's timers run on the real clock until the condition holds.
    bool RunUntil(const std::function<bool()>& done, std::uint64_t limitMs) {
        const std::uint64_t end = platform_.TickCount() + limitMs;
        while (!done()) {
            if (platform_.TickCount() >= end) return false;
            if (form_) {
                host_.RunFor(100);
            } else {
                platform_.Sleep(100);
            }
        }
        return true;
    }
    bool RunUntilWatchEnds() {
        return RunUntil([&] { return !form_->tmrService.Running(); }, kWatchLimitMs);
    }
    std::vector<std::string> Entries() {
        std::vector<std::string> out;
        frmErrorMsg& errors = ops_.ErrorList();
        for (ui::ListRowId row : errors.lvErrors.Rows())
            out.push_back(errors.lvErrors.Text(row, 0) + ": " + errors.lvErrors.Text(row, 1));
        std::sort(out.begin(), out.end());
        return out;
    }
    std::string Entry(const std::string& name, ErrorCode code) {
        return name + ": " + GetErrorText(platform_, code);
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
};

}  // namespace vtl::testing
