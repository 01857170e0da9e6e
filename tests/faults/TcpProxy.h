#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

namespace envio::test {

// A TCP relay on 127.0.0.1 towards the database server, so that a test can make "the server" go away and
// come back without touching the real one. A location such as "127.0.0.1/<port>:/path/db.fdb" reaches the
// server through it.
//
// cut() closes every relayed connection in both directions and stops listening; until restore() a new
// connection is refused. Both return once the relay has done it. The relay runs on a thread of its own.
//
// With a delay, every chunk the relay reads from one side is written to the other side that long after it
// was read, in both directions, as a link of that one-way latency would: chunks overlap in flight, the
// stream is not serialised. A side that closes is closed on the other side after the same delay.
class TcpProxy {
public:
    // What crossed the relay since it started: reads that returned data on each side and their bytes.
    struct Traffic {
        long long clientMessages = 0;
        long long clientBytes = 0;
        long long serverMessages = 0;
        long long serverBytes = 0;
    };

    explicit TcpProxy(std::uint16_t targetPort = 3050, std::chrono::microseconds delay = {});
    ~TcpProxy();
    TcpProxy(const TcpProxy&) = delete;
    TcpProxy& operator=(const TcpProxy&) = delete;

    std::uint16_t port() const { return port_; }
    // "127.0.0.1/<port>:" followed by the path: a database location through the relay.
    std::string through(const std::string& path) const;

    void cut();
    void restore();
    // Connections accepted so far, cut ones included.
    int accepted() const;
    Traffic traffic() const;

private:
    enum class Request { None, Cut, Restore, Stop };

    void listen();
    void loop();
    void perform(Request request);

    std::uint16_t targetPort_;
    std::chrono::microseconds delay_;
    std::uint16_t port_ = 0;
    int listener_ = -1;
    int wake_[2] = {-1, -1};

    mutable std::mutex mutex_;
    std::condition_variable done_;
    Request request_ = Request::None;
    int accepted_ = 0;
    std::atomic<long long> clientMessages_{0};
    std::atomic<long long> clientBytes_{0};
    std::atomic<long long> serverMessages_{0};
    std::atomic<long long> serverBytes_{0};
    std::thread thread_;
};

} // namespace envio::test
