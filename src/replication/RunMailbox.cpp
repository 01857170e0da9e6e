#include "replication/RunMailbox.h"

namespace envio {

void RunMailbox::post(std::function<void()> task) {
    {
        const std::lock_guard guard(lock_);
        if (closed_)
            return;
        tasks_.push_back(std::move(task));
        ++queuedCount_;
    }
    queued_.notify_all();
}

void RunMailbox::call(std::function<void()> task) {
    std::unique_lock guard(lock_);
    if (closed_)
        return;
    tasks_.push_back(std::move(task));
    const std::uint64_t mine = ++queuedCount_;
    queued_.notify_all();
    ran_.wait(guard, [&] { return closed_ || ranCount_ >= mine; });
}

void RunMailbox::runPending() {
    std::unique_lock guard(lock_);
    while (!tasks_.empty()) {
        std::function<void()> task = std::move(tasks_.front());
        tasks_.pop_front();
        guard.unlock();
        // Counted as run even when it throws, so that nobody waits for it.
        struct Count {
            RunMailbox& box;
            std::unique_lock<std::mutex>& guard;
            ~Count() {
                guard.lock();
                ++box.ranCount_;
                box.ran_.notify_all();
            }
        } count{*this, guard};
        task();
    }
}

void RunMailbox::wait(std::chrono::milliseconds most) {
    std::unique_lock guard(lock_);
    queued_.wait_for(guard, most, [&] { return closed_ || !tasks_.empty(); });
}

void RunMailbox::close() {
    {
        const std::lock_guard guard(lock_);
        closed_ = true;
        ranCount_ += tasks_.size();
        tasks_.clear();
    }
    ran_.notify_all();
    queued_.notify_all();
}

} // namespace envio
