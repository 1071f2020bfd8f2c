#pragma once
// A window that is never shown: its timer moves the simulated network's clock
// on with the real time, so that the simulated services' pending states pass
// while the program runs over the simulation.

#include <cstdint>
#include <functional>

#include "core/sim/SimNetwork.h"
#include "ui/Form.h"
#include "ui/Timer.h"

namespace vtl {

class frmSimClock : public ui::Form {
  public:
    // realMs: milliseconds of real time since any start.
    frmSimClock(ui::UiHost& host, sim::SimNetwork& network, std::function<std::uint64_t()> realMs);

    ui::Timer tmrClock{*this, "tmrClock", 50, true};

  private:
    void tmrClock_Timer();

    sim::SimNetwork& network_;
    std::function<std::uint64_t()> realMs_;
    std::uint64_t lastReal_ = 0;
};

// Milliseconds of the steady clock.
[[nodiscard]] std::uint64_t SteadyMilliseconds();

}  // namespace vtl
