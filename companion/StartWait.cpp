#include "companion/StartWait.h"

#include <algorithm>

namespace vtl::companion {

StartWaitStep StartWait::Next(const ServiceStatus& status, std::uint64_t elapsedMs) {
    if (status.currentState != kServiceStartPending) return {true, kErrorSuccess, 0};
    if (elapsedMs >= kStartWaitBoundMs) return {true, kErrorIoPending, 0};
    if (!seen_ || status.checkPoint != lastCheckPoint_) {
        seen_ = true;
        lastCheckPoint_ = status.checkPoint;
        lastProgressMs_ = elapsedMs;
    }
    std::uint32_t interval = std::clamp(status.waitHint / 10, kStartPollMinMs, kStartPollMaxMs);
    if (elapsedMs - lastProgressMs_ > status.waitHint) interval = kStartPollStalledMs;
    const std::uint64_t left = kStartWaitBoundMs - elapsedMs;
    return {false, 0, static_cast<std::uint32_t>(std::min<std::uint64_t>(interval, left))};
}

}  // namespace vtl::companion
