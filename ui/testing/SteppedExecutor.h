#pragma once
// An executor for native tests: nothing runs until the test says so, on the
// test's own thread (and so on the simulation's clock). A test writes down any
// interleaving of a reading and the window: start a pass, run its work, act on
// the window, then deliver the result.
//
//   ui::testing::SteppedExecutor work;
//   frmMain form(host, platform, &work);
//   form.tmrRefresh.Tick();      // the pass is queued
//   work.RunWork();              // it reads
//   form.mnuStop.Click();        // the window acts meanwhile
//   work.Deliver();              // its result comes back

#include <cstddef>
#include <deque>
#include <utility>

#include "ui/Executor.h"

namespace vtl::ui::testing {

class SteppedExecutor final : public Executor {
  public:
    CancelToken Submit(Work work) override;
    void CancelAll() override;

    // Runs the oldest queued work; its finish waits for Deliver. False when
    // nothing is queued. Cancelled jobs are skipped.
    bool RunWork();
    // Runs the finishes of the work done so far, oldest first; returns how many
    // ran (cancelled ones are dropped).
    int Deliver();
    // Work and deliver until nothing is left, also what the finishes queue.
    int RunAll();

    [[nodiscard]] std::size_t Queued() const noexcept { return queue_.size(); }
    [[nodiscard]] bool Idle() const noexcept { return queue_.empty() && done_.empty(); }

  private:
    std::deque<std::pair<Work, CancelToken>> queue_;
    std::deque<std::pair<Finish, CancelToken>> done_;
};

}  // namespace vtl::ui::testing
