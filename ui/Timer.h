#pragma once
// A timer: while enabled and its form is loaded, onTick runs every Interval
// milliseconds on the user-interface thread. Enabling it, or changing the interval
// while it is enabled, starts a new full interval. Ticks do not pile up: a tick
// that is late by several intervals runs once.

#include <cstdint>
#include <functional>
#include <string>

#include "ui/Control.h"

namespace vtl::ui {

class Timer : public Control {
  public:
    Timer(Container& parent, std::string name, std::uint32_t intervalMs = 0, bool enabled = true);

    // 0 stops the timer whatever Enabled says.
    [[nodiscard]] std::uint32_t Interval() const noexcept { return interval_; }
    void SetInterval(std::uint32_t milliseconds);
    // Enabled, with a non-zero interval.
    [[nodiscard]] bool Running() const noexcept { return Enabled() && interval_ != 0; }

    // For the scheduler (renderer or test host): runs onTick if the timer runs.
    void Tick();

    std::function<void()> onTick;

  private:
    std::uint32_t interval_;
};

}  // namespace vtl::ui
