#pragma once
// When a program that ended by itself is started again. Pure functions of the
// attempt number, so the back-off is tested without waiting.

#include <cstdint>

namespace vtl::wrapper {

// Delay before restart number `attempt` (0 for the first after a healthy run):
// base, 2 x base, 4 x base, ... never above maxMs. No overflow for any attempt.
[[nodiscard]] std::uint32_t RestartDelayMs(std::uint32_t attempt, std::uint32_t baseMs,
                                           std::uint32_t maxMs);

// Counts quick failures in a row: a run shorter than resetMs is one more, a longer
// run starts over.
class RestartBackoff {
  public:
    RestartBackoff(std::uint32_t baseMs, std::uint32_t maxMs, std::uint32_t resetMs)
        : baseMs_(baseMs), maxMs_(maxMs), resetMs_(resetMs) {}

    // The program ended after ranMs; returns the delay before the next start.
    [[nodiscard]] std::uint32_t DelayAfterRun(std::uint64_t ranMs);
    [[nodiscard]] std::uint32_t attempt() const { return attempt_; }

  private:
    std::uint32_t baseMs_;
    std::uint32_t maxMs_;
    std::uint32_t resetMs_;
    std::uint32_t attempt_ = 0;
};

}  // namespace vtl::wrapper
