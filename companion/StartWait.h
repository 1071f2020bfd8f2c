#pragma once
// How the companion library's start thread waits for a service it has just
// started: a pure decision over the service's status and the time spent, so the
// rule is tested without a service manager.
//
// The thread polls while the service is START_PENDING. The poll interval follows
// the service's wait hint (a tenth of it, between 250 ms and 10 s), counted from
// the last change of its check point; once a service has gone longer than its
// wait hint without advancing its check point, it is polled every second. The
// wait ends with 0 as soon as the service has left START_PENDING (running, or
// stopped: the caller looks at a stopped service itself), and with 997 when
// 120 s have passed since StartService returned and the service is still start
// pending. 997 means nothing else.

#include <cstdint>

#include "core/ServiceTypes.h"

namespace vtl::companion {

inline constexpr std::uint32_t kStartWaitBoundMs = 120000;
inline constexpr std::uint32_t kStartPollMinMs = 250;
inline constexpr std::uint32_t kStartPollMaxMs = 10000;
inline constexpr std::uint32_t kStartPollStalledMs = 1000;

struct StartWaitStep {
    bool done = false;
    std::uint32_t exitCode = 0;  // when done: 0 or 997
    std::uint32_t sleepMs = 0;   // when not done: how long to wait before the next poll
    friend bool operator==(const StartWaitStep&, const StartWaitStep&) = default;
};

class StartWait {
  public:
    // The next step after a status read elapsedMs after StartService returned.
    [[nodiscard]] StartWaitStep Next(const ServiceStatus& status, std::uint64_t elapsedMs);

  private:
    bool seen_ = false;
    std::uint32_t lastCheckPoint_ = 0;
    std::uint64_t lastProgressMs_ = 0;
};

}  // namespace vtl::companion
