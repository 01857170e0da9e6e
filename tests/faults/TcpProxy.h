#pragma once

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
class TcpProxy {
public:
    explicit TcpProxy(std::uint16_t targetPort = 3050);
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

private:
    enum class Request { None, Cut, Restore, Stop };

    void listen();
    void loop();
    void perform(Request request);

    std::uint16_t targetPort_;
    std::uint16_t port_ = 0;
    int listener_ = -1;
    int wake_[2] = {-1, -1};

    mutable std::mutex mutex_;
    std::condition_variable done_;
    Request request_ = Request::None;
    int accepted_ = 0;
    std::thread thread_;
};

} // namespace envio::test
