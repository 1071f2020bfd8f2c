#include "ui/testing/SteppedExecutor.h"

namespace vtl::ui::testing {

CancelToken SteppedExecutor::Submit(Work work) {
    CancelToken token;
    queue_.emplace_back(std::move(work), token);
    return token;
}

void SteppedExecutor::CancelAll() {
    for (const auto& [work, token] : queue_)
        token.Cancel();
    for (const auto& [finish, token] : done_)
        token.Cancel();
    queue_.clear();
    done_.clear();
}

bool SteppedExecutor::RunWork() {
    while (!queue_.empty()) {
        auto [work, token] = std::move(queue_.front());
        queue_.pop_front();
        if (token.Cancelled()) continue;
        Finish finish;
        try {
            finish = work(token);
        } catch (...) {
            // As on the worker: a work that throws finishes nothing.
        }
        if (finish) done_.emplace_back(std::move(finish), token);
        return true;
    }
    return false;
}

int SteppedExecutor::Deliver() {
    int ran = 0;
    // Finishes queued by these finishes wait for the next call.
    std::deque<std::pair<Finish, CancelToken>> ready = std::move(done_);
    done_.clear();
    for (auto& [finish, token] : ready) {
        if (token.Cancelled()) continue;
        finish();
        ++ran;
    }
    return ran;
}

int SteppedExecutor::RunAll() {
    int ran = 0;
    while (RunWork() || !done_.empty())
        ran += Deliver();
    return ran;
}

}  // namespace vtl::ui::testing
