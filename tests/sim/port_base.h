#pragma once
// Port bases for the simulators that tests start: four consecutive ports
// (session, feed, request, news) that are free on 127.0.0.1, taken below the range
// the kernel hands out to outgoing connections so that no client of a test
// running in parallel takes one of them. A base can still be taken between
// the check and the simulator's start: callers try another base then.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <mutex>
#include <random>

namespace simtest {

// Bound the way the simulator and libzmq bind (SO_REUSEADDR), then released.
inline bool portIsFree(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<std::uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool free = ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    ::close(fd);
    return free;
}

inline int freePortBase() {
    int ephemeralLow = 32768, ephemeralHigh = 60999;
    std::ifstream("/proc/sys/net/ipv4/ip_local_port_range") >> ephemeralLow >> ephemeralHigh;
    int from = 10000, to = ephemeralLow - 4;
    if (to - from < 1000) {  // an unusual range: above it instead
        from = ephemeralHigh + 1;
        to = 65532;
    }
    static std::mutex mutex;
    static std::mt19937 rng(std::random_device{}() ^ (static_cast<unsigned>(::getpid()) << 12));
    std::lock_guard<std::mutex> lock(mutex);
    std::uniform_int_distribution<int> pick(from, to);
    int base = from;
    for (int attempt = 0; attempt < 200; ++attempt) {
        base = pick(rng);
        if (portIsFree(base) && portIsFree(base + 1) && portIsFree(base + 2) && portIsFree(base + 3)) break;
    }
    return base;
}

}  // namespace simtest
