#include "main/sim/frmSimClock.h"

#include <chrono>

namespace vtl {

std::uint64_t SteadyMilliseconds() {
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
}

frmSimClock::frmSimClock(ui::UiHost& host, sim::SimNetwork& network,
                         std::function<std::uint64_t()> realMs)
    : Form(host, "frmSimClock"), network_(network), realMs_(std::move(realMs)) {
    SetCaption("Simulation clock");
    SetShowInTaskbar(false);
    lastReal_ = realMs_();
    tmrClock.onTick = [this] {
        try {
            tmrClock_Timer();
        } catch (...) {
            // The next tick tries again.
        }
    };
}

void frmSimClock::tmrClock_Timer() {
    const std::uint64_t now = realMs_();
    if (now > lastReal_) network_.Advance(now - lastReal_);
    lastReal_ = now;
}

}  // namespace vtl
