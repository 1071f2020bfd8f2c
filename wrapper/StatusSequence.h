#pragma once
// The status records a service reports, with the bookkeeping Windows expects:
// check points count up within one pending state and are 0 otherwise, controls
// are accepted only while running, and nothing follows STOPPED. The service
// plumbing hands these records to SetServiceStatus; tests read them directly.

#include <cstdint>
#include <mutex>

#include "core/ServiceTypes.h"

namespace vtl::wrapper {

// How a stopped service ends: the Win32 exit code and the service-specific code.
struct ServiceExit {
    std::uint32_t win32ExitCode = 0;
    std::uint32_t specificExitCode = 0;
    friend bool operator==(const ServiceExit&, const ServiceExit&) = default;
};

// A program's exit code as the service's: 0 is a clean stop, anything else is
// ERROR_SERVICE_SPECIFIC_ERROR (1066) carrying the program's code, so the service
// manager's recovery actions and event log see that it failed.
[[nodiscard]] ServiceExit ExitForProgramCode(std::uint32_t programExitCode);

class StatusSequence {
  public:
    explicit StatusSequence(std::uint32_t serviceType = kServiceWin32OwnProcess);

    // Each call returns the record to report. A pending state repeated advances the
    // check point; a call after STOPPED returns the stopped record unchanged.
    [[nodiscard]] ServiceStatus StartPending(std::uint32_t waitHintMs);
    [[nodiscard]] ServiceStatus Running();
    [[nodiscard]] ServiceStatus StopPending(std::uint32_t waitHintMs);
    [[nodiscard]] ServiceStatus Stopped(ServiceExit exit);
    [[nodiscard]] ServiceStatus Current() const;

  private:
    ServiceStatus Pending(std::uint32_t state, std::uint32_t waitHintMs);

    mutable std::mutex mutex_;  // the control handler and the service main both report
    ServiceStatus status_;
    bool stopped_ = false;
};

}  // namespace vtl::wrapper
