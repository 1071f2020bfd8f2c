#pragma once
// Work that waits on the platform, kept off the window's thread.
//
// A job is split in two: the work, which runs wherever the executor runs it and
// must not touch any control model, and its finish, which the work returns and
// which always runs on the window's thread (it applies the result there):
//
//   executor.Submit([&platform, names](const CancelToken& token) -> Executor::Finish {
//       auto reading = ReadAll(platform, names, token);      // off the window's thread
//       return [this, reading = std::move(reading)] { Apply(reading); };  // on it
//   });
//
// InlineExecutor runs both at once inside Submit (over the simulation, whose
// calls must stay on the window's thread); ThreadExecutor runs the work on a
// thread of its own and hands the finish to the window's message loop;
// ui/testing/SteppedExecutor lets a test run each half when it chooses.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace vtl::ui {

// Whether a job's result is still wanted. Copies share one flag: the owner of a
// job cancels it, the work looks at it between its steps and may end early.
class CancelToken {
  public:
    CancelToken() : flag_(std::make_shared<std::atomic<bool>>(false)) {}
    void Cancel() const noexcept { flag_->store(true); }
    [[nodiscard]] bool Cancelled() const noexcept { return flag_->load(); }

  private:
    std::shared_ptr<std::atomic<bool>> flag_;
};

class Executor {
  public:
    using Finish = std::function<void()>;
    using Work = std::function<Finish(const CancelToken&)>;

    virtual ~Executor() = default;
    // Queues a job; jobs run in the order they were submitted. The finish runs on
    // the window's thread unless the job was cancelled before; an empty finish or
    // a work that throws finishes nothing.
    virtual CancelToken Submit(Work work) = 0;
    // Cancels every job: queued ones never run, the running one is asked to stop,
    // and finishes not run yet are dropped. Called on the window's thread.
    virtual void CancelAll() = 0;
};

// Both halves at once, inside Submit.
class InlineExecutor final : public Executor {
  public:
    CancelToken Submit(Work work) override;
    void CancelAll() override {}
};

// One worker thread. post hands a finish to the window's thread (any thread may
// call it); the finish checks there that its job was not cancelled meanwhile.
class ThreadExecutor final : public Executor {
  public:
    using Post = std::function<void(std::function<void()>)>;

    explicit ThreadExecutor(Post post);
    // Cancels every job and waits for the one under way, which ends at its next
    // look at its token.
    ~ThreadExecutor() override;
    ThreadExecutor(const ThreadExecutor&) = delete;
    ThreadExecutor& operator=(const ThreadExecutor&) = delete;

    CancelToken Submit(Work work) override;
    void CancelAll() override;

  private:
    struct Job {
        Work work;
        CancelToken token;
        std::uint64_t epoch = 0;
    };
    void Loop();

    Post post_;
    // Bumped by CancelAll: a finish of an earlier epoch is dropped. Shared with
    // the finishes in flight, which may outlive the executor.
    std::shared_ptr<std::atomic<std::uint64_t>> epoch_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Job> queue_;
    std::optional<CancelToken> running_;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace vtl::ui
