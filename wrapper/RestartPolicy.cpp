#include "wrapper/RestartPolicy.h"

#include <algorithm>

namespace vtl::wrapper {

std::uint32_t RestartDelayMs(std::uint32_t attempt, std::uint32_t baseMs, std::uint32_t maxMs) {
    std::uint64_t delay = baseMs;
    for (std::uint32_t i = 0; i < attempt && delay < maxMs; ++i)
        delay *= 2;
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(delay, maxMs));
}

std::uint32_t RestartBackoff::DelayAfterRun(std::uint64_t ranMs) {
    if (ranMs >= resetMs_) attempt_ = 0;
    const std::uint32_t delay = RestartDelayMs(attempt_, baseMs_, maxMs_);
    if (attempt_ < 64) ++attempt_;
    return delay;
}

}  // namespace vtl::wrapper
