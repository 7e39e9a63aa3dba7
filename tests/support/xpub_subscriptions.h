#pragma once
// What an XPUB socket learns of its subscribers, for tests of the feed.
#include <zmq.h>

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

#include "support/zmq/zmq_socket.h"

namespace support::testing {

// The subscription messages, as "+topic" / "-topic": waits for `count` of them
// (at most 10 s), then takes any others already queued.
inline std::vector<std::string> drainSubscriptions(ZMQSocket& xpub, std::size_t count) {
    std::vector<std::string> out;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (;;) {
        const bool waiting = out.size() < count && std::chrono::steady_clock::now() < deadline;
        zmq_pollitem_t item;
        xpub.getPollItem(item, ZMQ_POLLIN);
        if (zmq_poll(&item, 1, waiting ? 10 : 0) <= 0) {
            if (waiting) continue;
            return out;
        }
        std::string m = xpub.receiveDataWithFlags(0);
        if (!m.empty()) out.push_back((m[0] == 1 ? "+" : "-") + m.substr(1));
    }
}

}  // namespace support::testing
