#pragma once
// What an XPUB socket learns of its subscribers, for tests of the feed.
#include <zmq.h>

#include <chrono>
#include <string>
#include <vector>

#include "support/zmq/zmq_socket.h"

namespace support::testing {

// The subscription messages received within `wait`, as "+topic" / "-topic".
inline std::vector<std::string> drainSubscriptions(ZMQSocket& xpub,
                                                   std::chrono::milliseconds wait = std::chrono::milliseconds(300)) {
    std::vector<std::string> out;
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (std::chrono::steady_clock::now() < deadline) {
        zmq_pollitem_t item;
        xpub.getPollItem(item, ZMQ_POLLIN);
        if (zmq_poll(&item, 1, 10) <= 0) continue;
        std::string m = xpub.receiveDataWithFlags(0);
        if (!m.empty()) out.push_back((m[0] == 1 ? "+" : "-") + m.substr(1));
    }
    return out;
}

}  // namespace support::testing
