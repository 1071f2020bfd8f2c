#include "ui/Executor.h"

#include <utility>

namespace vtl::ui {

namespace {

// The work's half of a job; a work that throws finishes nothing.
Executor::Finish RunWork(const Executor::Work& work, const CancelToken& token) noexcept {
    try {
        return work(token);
    } catch (...) {
        return {};
    }
}

}  // namespace

CancelToken InlineExecutor::Submit(Work work) {
    CancelToken token;
    Finish finish = RunWork(work, token);
    if (finish) finish();
    return token;
}

ThreadExecutor::ThreadExecutor(Post post)
    : post_(std::move(post)), epoch_(std::make_shared<std::atomic<std::uint64_t>>(0)) {
    thread_ = std::thread([this] { Loop(); });
}

ThreadExecutor::~ThreadExecutor() {
    CancelAll();
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

CancelToken ThreadExecutor::Submit(Work work) {
    CancelToken token;
    {
        const std::lock_guard lock(mutex_);
        queue_.push_back(Job{std::move(work), token, epoch_->load()});
    }
    wake_.notify_one();
    return token;
}

void ThreadExecutor::CancelAll() {
    const std::lock_guard lock(mutex_);
    for (const Job& job : queue_)
        job.token.Cancel();
    queue_.clear();
    if (running_) running_->Cancel();
    epoch_->fetch_add(1);
}

void ThreadExecutor::Loop() {
    for (;;) {
        Job job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (stopping_) return;
            job = std::move(queue_.front());
            queue_.pop_front();
            if (job.token.Cancelled()) continue;
            running_ = job.token;
        }
        Finish finish = RunWork(job.work, job.token);
        {
            const std::lock_guard lock(mutex_);
            running_.reset();
        }
        if (!finish || job.token.Cancelled()) continue;
        try {
            post_([finish = std::move(finish), token = job.token, epoch = job.epoch,
                   current = epoch_] {
                if (!token.Cancelled() && current->load() == epoch) finish();
            });
        } catch (...) {
            // The window can take no more: this result is lost, the next one may not be.
        }
    }
}

}  // namespace vtl::ui
