#include "faults/TcpProxy.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <deque>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <optional>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace envio::test {

namespace {

using Clock = std::chrono::steady_clock;

// Bytes read from one side, to be written to the other side at `due`; `end`: the side closed.
struct Chunk {
    Clock::time_point due;
    std::string bytes;
    bool end;
};

struct Pair {
    int client;
    int server;
    std::deque<Chunk> toServer;
    std::deque<Chunk> toClient;
    // A side has closed: nothing more is read, and the pair closes once that end is due.
    bool ended;
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

// Small writes go out at once: the relay forwards what it read as it read it.
void noDelay(int fd) {
    const int yes = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
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

TcpProxy::TcpProxy(std::uint16_t targetPort, std::chrono::microseconds delay)
    : targetPort_(targetPort), delay_(delay) {
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

TcpProxy::Traffic TcpProxy::traffic() const {
    return {clientMessages_.load(), clientBytes_.load(), serverMessages_.load(), serverBytes_.load()};
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
        // Where each pair's two sockets are in fds; a pair whose side has closed is no longer read.
        std::vector<std::size_t> slot(pairs.size(), 0);
        std::optional<Clock::time_point> nextDue;
        for (std::size_t i = 0; i < pairs.size(); ++i) {
            const Pair& p = pairs[i];
            if (!p.ended) {
                slot[i] = fds.size();
                fds.push_back({p.client, POLLIN, 0});
                fds.push_back({p.server, POLLIN, 0});
            }
            for (const std::deque<Chunk>* queue : {&p.toServer, &p.toClient})
                if (!queue->empty() && (!nextDue || queue->front().due < *nextDue))
                    nextDue = queue->front().due;
        }
        timespec timeout{};
        if (nextDue) {
            const auto wait = std::max(std::chrono::nanoseconds(0), *nextDue - Clock::now());
            timeout.tv_sec =
                static_cast<time_t>(std::chrono::duration_cast<std::chrono::seconds>(wait).count());
            timeout.tv_nsec = static_cast<long>((wait % std::chrono::seconds(1)).count());
        }
        if (::ppoll(fds.data(), fds.size(), nextDue ? &timeout : nullptr, nullptr) < 0) {
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
                    noDelay(client);
                    noDelay(server);
                    pairs.push_back({client, server, {}, {}, false});
                } else {
                    int c = client;
                    closeSocket(c);
                    closeSocket(server);
                }
                std::lock_guard lock(mutex_);
                ++accepted_;
            }
        }

        // What was read now is due on the other side one delay later.
        const Clock::time_point due = Clock::now() + delay_;
        char buffer[64 * 1024];
        auto take = [&](Pair& p, const pollfd& from, std::deque<Chunk>& to, std::atomic<long long>& messages,
                        std::atomic<long long>& bytes) {
            if (p.ended || !from.revents)
                return;
            const ssize_t got = ::recv(from.fd, buffer, sizeof buffer, 0);
            if (got < 0 && errno == EINTR)
                return;
            if (got <= 0) {
                p.ended = true;
                to.push_back({due, {}, true});
                return;
            }
            ++messages;
            bytes += got;
            to.push_back({due, std::string(buffer, static_cast<std::size_t>(got)), false});
        };
        for (std::size_t i = 0; i < polled; ++i) {
            Pair& p = pairs[i];
            if (slot[i] == 0)
                continue;
            take(p, fds[slot[i]], p.toServer, clientMessages_, clientBytes_);
            take(p, fds[slot[i] + 1], p.toClient, serverMessages_, serverBytes_);
        }

        // Chunks whose time has come go out; a pair closes when a side's end is due or a write fails.
        std::vector<Pair> alive;
        for (Pair& p : pairs) {
            bool open = true;
            auto deliver = [&](std::deque<Chunk>& queue, int to) {
                const Clock::time_point now = Clock::now();
                while (open && !queue.empty() && queue.front().due <= now) {
                    const Chunk& chunk = queue.front();
                    if (chunk.end ||
                        !sendAll(to, chunk.bytes.data(), static_cast<ssize_t>(chunk.bytes.size())))
                        open = false;
                    queue.pop_front();
                }
            };
            deliver(p.toServer, p.server);
            deliver(p.toClient, p.client);
            if (open) {
                alive.push_back(std::move(p));
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
