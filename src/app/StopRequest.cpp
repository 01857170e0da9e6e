#include "app/StopRequest.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <pthread.h>
#include <thread>
#include <unistd.h>

namespace envio::stop {

namespace {

std::atomic<int> requestedSignal{0};
std::atomic<int> eventsInProgress{0};

// How long the process may stay without an event in progress after a stop was asked for.
constexpr auto kGrace = std::chrono::seconds(3);

void waitAndEnd() {
    auto idleSince = std::chrono::steady_clock::now();
    for (;;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const auto now = std::chrono::steady_clock::now();
        if (eventsInProgress.load() > 0)
            idleSince = now;
        else if (now - idleSince >= kGrace)
            _exit(exitCode());
    }
}

} // namespace

void installHandlers(std::function<void()> onRequest) {
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
    sigset_t stops;
    sigemptyset(&stops);
    sigaddset(&stops, SIGINT);
    sigaddset(&stops, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stops, nullptr);
    std::thread([stops, onRequest = std::move(onRequest)] {
        int signal = 0;
        while (sigwait(&stops, &signal) != 0) {
        }
        requestedSignal.store(signal);
        if (onRequest)
            onRequest();
        waitAndEnd();
    }).detach();
}

bool requested() {
    return requestedSignal.load() != 0;
}

int exitCode() {
    const int signal = requestedSignal.load();
    return signal ? 128 + signal : 0;
}

EventInProgress::EventInProgress() {
    ++eventsInProgress;
}

EventInProgress::~EventInProgress() {
    --eventsInProgress;
}

void requestForTest(int signal) {
    requestedSignal.store(signal);
}

void resetForTest() {
    requestedSignal.store(0);
}

} // namespace envio::stop
