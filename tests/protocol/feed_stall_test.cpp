// The subscription feed while the main thread is held: 100,000 ticks cost
// bounded memory and the first tick applied afterwards is the newest.
// Built without sanitizers: ASan keeps freed memory resident.
#include <gtest/gtest.h>
#include <unistd.h>
#include <zmq.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/main_executor.h"
#include "protocol/zmq_subscription_feed.h"
#include "support/zmq/zmq_context.h"
#include "support/zmq/zmq_socket.h"

#if defined(__SANITIZE_ADDRESS__)
#define TC_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TC_UNDER_ASAN 1
#endif
#endif

namespace protocol {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int kTicks = 100000;
constexpr int kInstruments = 10;
constexpr int kBurst = 1000;
constexpr auto kHold = 2s;
constexpr long kMaxGrowth = 20L * 1024 * 1024;

long residentBytes() {
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

// A tick of the wire's shape whose last price field carries its sequence number.
std::string tick(int seq) {
    char text[160];
    std::snprintf(text, sizeof text,
                  "SYM%d\x04" "20240102103000\x04" "1\x04" "10835\x04" "10830\x04" "10840\x04" "10900\x04" "10800\x04"
                  "10810\x04%d\x04" "4",
                  seq % kInstruments, seq);
    return text;
}

bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout = 10s) {
    const auto deadline = Clock::now() + timeout;
    while (!done()) {
        if (Clock::now() > deadline) return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

TEST(FeedStall, AHeldMainThreadCostsBoundedMemoryAndThenSeesTheNewestTicks) {
#ifdef TC_UNDER_ASAN
    GTEST_SKIP() << "memory is measured only without AddressSanitizer";
#endif
    auto loop = std::make_shared<platform::ManualRunLoop>();
    platform::MainExecutor::install(loop);
    auto context = std::make_shared<support::ZMQContext>(1);
    auto pub = context->socketWithType(ZMQ_PUB);
    int unlimited = 0;
    zmq_setsockopt(pub->socket(), ZMQ_SNDHWM, &unlimited, sizeof unlimited);
    pub->bindToEndpoint("tcp://127.0.0.1:*");
    const std::string endpoint = pub->dataForOption(ZMQ_LAST_ENDPOINT).c_str();

    std::vector<std::string> applied;
    {
        ZMQSubscriptionFeed feed(context, [&](const std::string& text) { applied.push_back(text); });
        ASSERT_TRUE(feed.connectToEndpoint(endpoint));
        feed.SubscribeandUnsubscribe("SYM", ZMQSubscriptionFeed::kSubscribe);
        ASSERT_TRUE(waitFor([&] {
            pub->sendData(tick(0), 0);
            loop->runUntilIdle();
            return !applied.empty();
        }));
        // Warm-up ticks still on their way arrive meanwhile.
        const auto settle = Clock::now() + 200ms;
        while (Clock::now() < settle) {
            loop->runUntilIdle();
            std::this_thread::sleep_for(1ms);
        }
        const std::uint64_t before = feed.textsReceived();
        applied.clear();
        const long residentBefore = residentBytes();

        // The main loop does not run from here on: the main thread is held.
        const auto holdStart = Clock::now();
        for (int seq = 1; seq <= kTicks; ++seq) {
            // The publisher's own queue stays small; only the client may hold texts.
            if (seq % kBurst == 0) {
                ASSERT_TRUE(waitFor([&] { return feed.textsReceived() + kBurst >= before + seq; }));
            }
            pub->sendData(tick(seq), 0);
        }
        ASSERT_TRUE(waitFor([&] { return feed.textsReceived() >= before + kTicks; }));
        std::this_thread::sleep_until(holdStart + kHold);
        const long growth = residentBytes() - residentBefore;
        EXPECT_LT(growth, kMaxGrowth) << growth / 1024 << " KiB";

        loop->runUntilIdle();
        ASSERT_EQ(applied.size(), static_cast<std::size_t>(kInstruments));
        for (const std::string& text : applied) {
            const int newest = kTicks - kInstruments + 1 + (std::stoi(text.substr(3)) + kInstruments - 1) % kInstruments;
            EXPECT_EQ(text, tick(newest));
        }
        EXPECT_EQ(std::set<std::string>(applied.begin(), applied.end()).size(), applied.size());
    }
    pub->close();
    loop->runUntilIdle();
    platform::MainExecutor::install(nullptr);
}

}  // namespace
}  // namespace protocol
