#pragma once
// A demand-start VtlTestSvc.exe service (from the test program's own folder) for
// the GUI tests, stopped and removed again when the test ends.

#include <string>

#include "core/win32/WinHandle.h"
#include "core/win32/WinString.h"
#include "core/win32/Windows.h"
#include "ui/win32/testing/GuiDriver.h"

namespace vtl::win32::testing {

class GuiTestService {
  public:
    // options: the test service's own (e.g. L"--start-ms 1500"); the display name
    // is the name with " (GUI test)".
    explicit GuiTestService(const std::wstring& name, const std::wstring& options = {})
        : name_(name) {
        const UniqueScHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
        std::wstring command = L"\"" + guitest::BesideThisProgram(L"VtlTestSvc.exe") + L"\"";
        if (!options.empty()) command += L" " + options;
        service_.reset(CreateServiceW(manager.get(), name.c_str(), (name + L" (GUI test)").c_str(),
                                      SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
                                      SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, command.c_str(),
                                      nullptr, nullptr, nullptr, nullptr, nullptr));
    }
    ~GuiTestService() {
        if (!service_) return;
        SERVICE_STATUS status{};
        ControlService(service_.get(), SERVICE_CONTROL_STOP, &status);
        guitest::WaitFor(
            [&] {
                return QueryServiceStatus(service_.get(), &status) &&
                       status.dwCurrentState == SERVICE_STOPPED;
            },
            10000);
        DeleteService(service_.get());
    }
    GuiTestService(const GuiTestService&) = delete;
    GuiTestService& operator=(const GuiTestService&) = delete;

    explicit operator bool() const { return static_cast<bool>(service_); }
    bool Start() { return StartServiceW(service_.get(), 0, nullptr) != FALSE; }
    [[nodiscard]] std::string Name() const { return Narrow(name_); }

  private:
    std::wstring name_;
    UniqueScHandle service_;
};

}  // namespace vtl::win32::testing
