#include "faults/TcpProxy.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace envio::test {

namespace {

struct Pair {
    int client;
    int server;
};

sockaddr_in loopback(std::uint16_t port) {
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return addr;
}

void closeSocket(int& fd) {
    if (fd >= 0) {
        ::shutdown(fd, SHUT_RDWR);
        ::close(fd);
        fd = -1;
    }
}

// Writes everything or reports failure; the sockets are blocking.
bool sendAll(int fd, const char* data, ssize_t size) {
    while (size > 0) {
        const ssize_t sent = ::send(fd, data, static_cast<std::size_t>(size), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0)
            return false;
        data += sent;
        size -= sent;
    }
    return true;
}

} // namespace

TcpProxy::TcpProxy(std::uint16_t targetPort) : targetPort_(targetPort) {
    if (::pipe2(wake_, O_CLOEXEC) != 0)
        throw std::runtime_error("proxy: pipe");
    listen();
    thread_ = std::thread([this] { loop(); });
}

TcpProxy::~TcpProxy() {
    perform(Request::Stop);
    thread_.join();
    ::close(wake_[0]);
    ::close(wake_[1]);
}

std::string TcpProxy::through(const std::string& path) const {
    return "127.0.0.1/" + std::to_string(port_) + ":" + path;
}

int TcpProxy::accepted() const {
    std::lock_guard lock(mutex_);
    return accepted_;
}

void TcpProxy::listen() {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener_ < 0)
        throw std::runtime_error("proxy: socket");
    const int yes = 1;
    ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in addr = loopback(port_);
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(listener_, 16) != 0)
        throw std::runtime_error("proxy: cannot listen on port " + std::to_string(port_));
    socklen_t length = sizeof addr;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &length);
    port_ = ntohs(addr.sin_port);
}

void TcpProxy::cut() {
    perform(Request::Cut);
}

void TcpProxy::restore() {
    perform(Request::Restore);
}

void TcpProxy::perform(Request request) {
    std::unique_lock lock(mutex_);
    request_ = request;
    const char byte = 1;
    while (::write(wake_[1], &byte, 1) < 0 && errno == EINTR) {
    }
    done_.wait(lock, [this] { return request_ == Request::None; });
}

void TcpProxy::loop() {
    std::vector<Pair> pairs;
    auto closeAll = [&] {
        for (Pair& p : pairs) {
            closeSocket(p.client);
            closeSocket(p.server);
        }
        pairs.clear();
    };
    for (;;) {
        std::vector<pollfd> fds;
        fds.push_back({wake_[0], POLLIN, 0});
        if (listener_ >= 0)
            fds.push_back({listener_, POLLIN, 0});
        const std::size_t firstPair = fds.size();
        for (const Pair& p : pairs) {
            fds.push_back({p.client, POLLIN, 0});
            fds.push_back({p.server, POLLIN, 0});
        }
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }

        if (fds[0].revents) {
            char drain[16];
            [[maybe_unused]] const ssize_t ignored = ::read(wake_[0], drain, sizeof drain);
            std::unique_lock lock(mutex_);
            const Request request = request_;
            switch (request) {
            case Request::Cut:
                closeAll();
                closeSocket(listener_);
                break;
            case Request::Restore:
                if (listener_ < 0)
                    listen();
                break;
            case Request::Stop:
                closeAll();
                closeSocket(listener_);
                break;
            case Request::None:
                break;
            }
            request_ = Request::None;
            done_.notify_all();
            if (request == Request::Stop)
                return;
            // The sockets polled may be gone: poll again.
            continue;
        }

        const std::size_t polled = pairs.size();
        if (listener_ >= 0 && fds[1].revents & POLLIN) {
            const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (client >= 0) {
                int server = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
                sockaddr_in target = loopback(targetPort_);
                if (server >= 0 &&
                    ::connect(server, reinterpret_cast<sockaddr*>(&target), sizeof target) == 0) {
                    pairs.push_back({client, server});
                } else {
                    int c = client;
                    closeSocket(c);
                    closeSocket(server);
                }
                std::lock_guard lock(mutex_);
                ++accepted_;
            }
        }

        std::vector<Pair> alive(pairs.begin() + static_cast<std::ptrdiff_t>(polled), pairs.end());
        for (std::size_t i = 0; i < polled; ++i) {
            Pair p = pairs[i];
            bool open = true;
            const pollfd& c = fds[firstPair + 2 * i];
            const pollfd& s = fds[firstPair + 2 * i + 1];
            char buffer[64 * 1024];
            auto relay = [&](const pollfd& from, int to) {
                if (!open || !from.revents)
                    return;
                const ssize_t got = ::recv(from.fd, buffer, sizeof buffer, 0);
                if (got < 0 && errno == EINTR)
                    return;
                if (got <= 0 || !sendAll(to, buffer, got))
                    open = false;
            };
            relay(c, p.server);
            relay(s, p.client);
            if (open) {
                alive.push_back(p);
            } else {
                closeSocket(p.client);
                closeSocket(p.server);
            }
        }
        pairs = std::move(alive);
    }
    closeAll();
}

} // namespace envio::test
