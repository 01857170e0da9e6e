// A TCP relay in front of the database server that delays every chunk it relays, in both directions, as a
// wide-area link would, and counts what crosses it. bench/wan-bench puts it on the destinations' route.
//
// usage: wan_relay [DELAY_MS] [TARGET_PORT]
//   DELAY_MS     one-way delay in milliseconds (default 10, i.e. 20 ms round trip)
//   TARGET_PORT  the server's port on 127.0.0.1 (default 3050)
// Prints the port it listens on (on 127.0.0.1), then relays until SIGTERM or SIGINT. On SIGUSR1 and before
// leaving it prints one line of counters:
//   traffic connections=N client_messages=N client_bytes=N server_messages=N server_bytes=N
// where a message is one read that returned data on that side (client: towards the server).
#include "faults/TcpProxy.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <pthread.h>

namespace {

void printTraffic(const envio::test::TcpProxy& relay) {
    const envio::test::TcpProxy::Traffic t = relay.traffic();
    std::printf("traffic connections=%d client_messages=%lld client_bytes=%lld server_messages=%lld "
                "server_bytes=%lld\n",
                relay.accepted(), t.clientMessages, t.clientBytes, t.serverMessages, t.serverBytes);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    const long delayMs = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 10;
    const long targetPort = argc > 2 ? std::strtol(argv[2], nullptr, 10) : 3050;
    if (delayMs < 0 || targetPort <= 0 || targetPort > 65535) {
        std::fprintf(stderr, "usage: wan_relay [DELAY_MS] [TARGET_PORT]\n");
        return 64;
    }
    // The signals are taken here, synchronously; the relay's thread inherits the mask and never sees them.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGUSR1);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    try {
        envio::test::TcpProxy relay(static_cast<std::uint16_t>(targetPort),
                                    std::chrono::milliseconds(delayMs));
        std::printf("%u\n", unsigned(relay.port()));
        std::fflush(stdout);
        for (;;) {
            int received = 0;
            if (sigwait(&signals, &received) != 0)
                continue;
            printTraffic(relay);
            if (received != SIGUSR1)
                return 0;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "wan_relay: %s\n", e.what());
        return 1;
    }
}
