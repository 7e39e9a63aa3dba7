#include "protocol/wake_signal.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>

namespace protocol {

WakeSignal::WakeSignal() : fd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
    if (fd_ < 0) throw std::runtime_error(std::string("eventfd: ") + std::strerror(errno));
}

WakeSignal::~WakeSignal() { ::close(fd_); }

void WakeSignal::wake() {
    std::uint64_t one = 1;
    // A full counter already means "woken".
    [[maybe_unused]] ssize_t n = ::write(fd_, &one, sizeof one);
}

void WakeSignal::clear() {
    std::uint64_t value = 0;
    [[maybe_unused]] ssize_t n = ::read(fd_, &value, sizeof value);
}

}  // namespace protocol
