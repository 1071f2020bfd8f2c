#pragma once
// The window's thread as a test plays it while a real worker thread runs: the
// finishes an executor posts wait in a queue until the test runs them, and a
// gate holds the worker at a chosen point.
//
//   PostedQueue window;
//   ThreadExecutor work([&](auto task) { window.Post(std::move(task)); });
//   ... submit ...
//   ASSERT_TRUE(window.PumpUntil([&] { return done; }));

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace vtl::ui::testing {

// Tasks posted to the window's thread, run when the test pumps.
class PostedQueue {
  public:
    void Post(std::function<void()> task) {
        {
            const std::lock_guard lock(mutex_);
            tasks_.push_back(std::move(task));
        }
        wake_.notify_all();
    }
    // Runs posted tasks on this thread until done(); false after a minute without.
    bool PumpUntil(const std::function<bool()>& done) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!done())
            if (!WaitForTask(deadline) || !RunOne()) return false;
        return true;
    }
    // Waits until a task is posted, without running it; false after a minute.
    bool WaitForTask(std::chrono::steady_clock::time_point deadline =
                         std::chrono::steady_clock::now() + std::chrono::seconds(60)) {
        std::unique_lock lock(mutex_);
        return wake_.wait_until(lock, deadline, [&] { return !tasks_.empty(); });
    }
    void RunAll() {
        while (RunOne()) {
        }
    }

  private:
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> tasks_;

    // Runs the oldest task; false if none is posted.
    bool RunOne() {
        std::function<void()> task;
        {
            const std::lock_guard lock(mutex_);
            if (tasks_.empty()) return false;
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        task();
        return true;
    }
};

// A gate the work waits at until the test opens it.
class Gate {
  public:
    void Open() {
        {
            const std::lock_guard lock(mutex_);
            open_ = true;
        }
        wake_.notify_all();
    }
    void Arrive() {
        std::unique_lock lock(mutex_);
        arrived_ = true;
        wake_.notify_all();
        wake_.wait(lock, [this] { return open_; });
    }
    void WaitForArrival() {
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [this] { return arrived_; });
    }

  private:
    std::mutex mutex_;
    std::condition_variable wake_;
    bool open_ = false;
    bool arrived_ = false;
};

}  // namespace vtl::ui::testing
