#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>

namespace envio {

// Work that other threads hand to the thread running a send run: what touches the window or the operator
// runs there, in the order it was handed over.
class RunMailbox {
public:
    // Queues the task and goes on.
    void post(std::function<void()> task);
    // Queues the task and waits until it has run; returns at once, without running it, once closed.
    void call(std::function<void()> task);

    // On the run's thread: runs every queued task, the ones queued meanwhile included.
    void runPending();
    // On the run's thread: waits until a task is queued, at most `most`.
    void wait(std::chrono::milliseconds most);
    // Drops what is queued; from now on nothing is queued and no caller waits.
    void close();

private:
    std::mutex lock_;
    std::condition_variable queued_;
    std::condition_variable ran_;
    std::deque<std::function<void()>> tasks_;
    std::uint64_t queuedCount_ = 0;
    std::uint64_t ranCount_ = 0;
    bool closed_ = false;
};

} // namespace envio
