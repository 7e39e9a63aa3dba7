// Price feed figures.
// 1. Decode + apply of ticks on one thread, against a plain memchr split of
//    the same messages.
// 2. End to end, with the simulator publishing as fast as it can: the texts
//    the subscription reader takes in (conflated, then handed to the main
//    thread and applied to the instrument records), against a raw libzmq SUB
//    socket on the same publisher; and the latency from send to record of
//    ticks stamped by a publisher of the benchmark's own.
#include <zmq.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "platform/log.h"
#include "platform/main_executor.h"
#include "protocol/zmq_subscription_feed.h"
#include "state/price_feed.h"
#include "support/zmq/zmq_context.h"
#include "support/zmq/zmq_socket.h"

#ifdef FEED_BENCH_WITH_SIM
#include "sim/scenario.h"
#include "sim/simulator.h"
#endif

namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

struct Instruments {
    std::unordered_map<std::string, std::shared_ptr<model::ItemDetails>> byCode;
    model::ItemDetails* find(const std::string& code) {
        auto it = byCode.find(code);
        return it == byCode.end() ? nullptr : it->second.get();
    }
    void add(const std::string& code) {
        auto item = std::make_shared<model::ItemDetails>();
        item->Code = code;
        item->Spreadtype = model::ItemDetails::kSpreadTopup;
        item->BidSpread = 1;
        item->AskSpread = 1;
        item->priceTick = 0.0001;
        byCode[code] = item;
    }
};

// Decodes one feed text and applies its tick, as the session does.
void applyFeed(Instruments& instruments, std::uint64_t* applied, const std::string& text) {
    state::PriceFeed::Values values = state::PriceFeed::decode(text);
    if (auto* tick = std::get_if<model::PriceUpdate>(&values)) {
        ++*applied;
        if (model::ItemDetails* item = instruments.find(tick->ItemCode)) state::PriceFeed::UpdateItemCollection(*item, *tick);
    }
}

std::vector<std::string> fixedTicks(const std::vector<std::string>& codes, std::size_t count) {
    std::vector<std::string> out;
    std::uint64_t x = 88172645463325252ull;
    for (std::size_t i = 0; i < count; ++i) {
        x ^= x << 13, x ^= x >> 7, x ^= x << 17;
        const std::string& code = codes[i % codes.size()];
        long mid = 10800 + static_cast<long>(x % 400);
        char buf[256];
        std::snprintf(buf, sizeof buf, "%s\x04" "2024010%d1030%02d\x04" "1\x04%ld\x04%ld\x04%ld\x04%ld\x04%ld\x04%ld\x04%ld\x04" "4",
                      code.c_str(), 2 + static_cast<int>(i % 7), static_cast<int>(i % 60), mid, mid - 5, mid + 5,
                      mid + 90, mid - 90, mid - 20, mid - 10);
        out.emplace_back(buf);
    }
    return out;
}

void decodeBench() {
    std::vector<std::string> codes;
    for (int i = 0; i < 200; ++i) codes.push_back("SYM" + std::to_string(i));
    const std::vector<std::string> ticks = fixedTicks(codes, 10000);
    Instruments instruments;
    for (const auto& c : codes) instruments.add(c);
    std::uint64_t applied = 0;
    auto feed = [&](const std::string& text) { applyFeed(instruments, &applied, text); };

    const std::size_t rounds = 200;  // 2,000,000 ticks
    auto start = Clock::now();
    for (std::size_t r = 0; r < rounds; ++r)
        for (const auto& t : ticks) feed(t);
    const double decodeTime = seconds(Clock::now() - start);

    // Baseline: split every message at 0x04 with memchr, nothing else.
    std::size_t fields = 0;
    start = Clock::now();
    for (std::size_t r = 0; r < rounds; ++r)
        for (const auto& t : ticks) {
            const char* p = t.data();
            const char* end = p + t.size();
            while (const void* hit = std::memchr(p, '\x04', static_cast<std::size_t>(end - p))) {
                ++fields;
                p = static_cast<const char*>(hit) + 1;
            }
            ++fields;
        }
    const double splitTime = seconds(Clock::now() - start);

    const double n = static_cast<double>(rounds * ticks.size());
    std::printf("decode+apply: %.0f ticks/s (%zu applied, %.1f ns/tick)\n", n / decodeTime,
                static_cast<std::size_t>(applied), decodeTime / n * 1e9);
    std::printf("memchr split: %.0f ticks/s (%zu fields)\n", n / splitTime, fields);
    std::printf("decode+apply / memchr split: %.3f\n", splitTime / decodeTime);
    std::printf("check: SYM7 last %.6f bid %.6f ask %.6f\n", instruments.find("SYM7")->Last,
                instruments.find("SYM7")->Bid, instruments.find("SYM7")->Ask);
}

// Runs the main loop until `done` or the timeout.
void pumpUntil(platform::ManualRunLoop& loop, const std::function<bool()>& done, double timeoutSeconds) {
    auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(timeoutSeconds));
    while (!done() && Clock::now() < deadline) {
        if (loop.runUntilIdle() == 0) std::this_thread::sleep_for(std::chrono::microseconds(50));
    }
}

#ifdef FEED_BENCH_WITH_SIM
void endToEndBench() {
    const double window = 2.0;
    sim::SimulatorOptions options;
    options.portBase = 27400 + static_cast<int>(::getpid() % 1000) * 4;
    options.ticksPerSecond = 0;
    options.depthEvery = 1000000;
    options.statusSeconds = 0;
    const sim::Scenario scenario = sim::Scenario::load(SIM_DEFAULT_SCENARIO);
    sim::Simulator simulator(scenario, options);
    simulator.setLogSink([](const std::string&) {});
    simulator.start();
    const std::string endpoint = "tcp://127.0.0.1:" + std::to_string(simulator.feedPort());
    std::vector<std::string> codes;
    for (const auto& ins : scenario.instruments()) codes.push_back(ins.code);
    // Far beyond what the publisher manages: it sends as fast as it can.
    const std::string fullSpeed = "ticks 1e9";

    auto context = std::make_shared<support::ZMQContext>(1);

    // Raw libzmq SUB: receive and count.
    std::uint64_t raw = 0;
    {
        auto sub = context->socketWithType(ZMQ_SUB);
        int hwm = 0;
        zmq_setsockopt(sub->socket(), ZMQ_RCVHWM, &hwm, sizeof hwm);
        for (const auto& c : codes) sub->subscribe(c);
        sub->connectToEndpoint(endpoint);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        simulator.command(fullSpeed);
        auto start = Clock::now();
        zmq_msg_t msg;
        zmq_msg_init(&msg);
        while (seconds(Clock::now() - start) < window) {
            if (zmq_msg_recv(&msg, sub->socket(), ZMQ_DONTWAIT) >= 0) {
                ++raw;
            } else {
                std::this_thread::sleep_for(std::chrono::microseconds(20));
            }
        }
        zmq_msg_close(&msg);
        simulator.command("ticks 0");
        sub->close();
    }
    const double published1 = static_cast<double>(simulator.ticksPublished());

    // The client's reader, hand-off and decoder.
    Instruments instruments;
    for (const auto& c : codes) instruments.add(c);
    std::uint64_t applied = 0;
    auto feed = [&](const std::string& text) { applyFeed(instruments, &applied, text); };
    auto loop = std::make_shared<platform::ManualRunLoop>();
    platform::MainExecutor::install(loop);
    std::uint64_t handed = 0;
    protocol::ZMQSubscriptionFeed reader(context, [&](const std::string& text) {
        ++handed;
        feed(text);
    });
    reader.connectToEndpoint(endpoint);
    for (const auto& c : codes) reader.SubscribeandUnsubscribe(c, protocol::ZMQSubscriptionFeed::kSubscribe);
    pumpUntil(*loop, [] { return false; }, 0.3);
    handed = 0;
    const std::uint64_t taken0 = reader.textsReceived();
    simulator.command(fullSpeed);
    auto start = Clock::now();
    pumpUntil(*loop, [] { return false; }, window);
    const double elapsed = seconds(Clock::now() - start);
    const double taken = static_cast<double>(reader.textsReceived() - taken0);
    simulator.command("ticks 0");
    const double published2 = static_cast<double>(simulator.ticksPublished()) - published1;
    reader.stop();
    loop->runUntilIdle();

    std::printf("simulator PUB -> raw SUB: %.0f msgs/s (%.0f published/s)\n", static_cast<double>(raw) / window,
                published1 / window);
    std::printf("simulator PUB -> client reader: %.0f msgs/s (%.0f published/s), %.0f/s applied after conflation\n",
                taken / elapsed, published2 / elapsed, static_cast<double>(handed) / elapsed);
    std::printf("client reader / raw SUB: %.3f\n", (taken / elapsed) / (static_cast<double>(raw) / window));

    // Latency: a publisher of our own stamps each tick (steady ns in field 10)
    // and sends 100,000 a second; the main thread reads the stamp after applying it.
    auto pub = context->socketWithType(ZMQ_PUB);
    int hwm = 0;
    zmq_setsockopt(pub->socket(), ZMQ_SNDHWM, &hwm, sizeof hwm);
    pub->bindToEndpoint("tcp://127.0.0.1:*");
    const std::string pubEndpoint = pub->dataForOption(ZMQ_LAST_ENDPOINT).c_str();
    std::vector<double> latencies;
    latencies.reserve(200000);
    protocol::ZMQSubscriptionFeed stamped(context, [&](const std::string& text) {
        feed(text);
        const auto now = Clock::now().time_since_epoch().count();
        std::size_t at = 0;
        for (int f = 0; f < 10 && at != std::string::npos; ++f) at = text.find('\x04', at + 1);
        if (at == std::string::npos) return;
        const long long sent = std::atoll(text.c_str() + at + 1);
        latencies.push_back(static_cast<double>(now - sent) / 1e3);
    });
    stamped.connectToEndpoint(pubEndpoint);
    stamped.SubscribeandUnsubscribe("SYM", protocol::ZMQSubscriptionFeed::kSubscribe);
    std::atomic<bool> sending{true};
    std::thread sender([&] {
        // Warm-up until the subscription reached the publisher.
        for (int i = 0; i < 50; ++i) {
            pub->sendData("SYM1\x04" "20240102103000\x04" "1\x04" "10835\x04" "4", 0);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        const double rate = 100000.0;
        auto begin = Clock::now();
        std::uint64_t n = 0;
        char buf[200];
        while (sending) {
            const double due = static_cast<double>(n) / rate;
            if (seconds(Clock::now() - begin) < due) continue;
            const long long stamp = static_cast<long long>(Clock::now().time_since_epoch().count());
            std::snprintf(buf, sizeof buf,
                          "SYM%d\x04" "20240102103000\x04" "1\x04" "10835\x04" "10830\x04" "10840\x04" "10900\x04"
                          "10800\x04" "10810\x04" "10820\x04%lld\x04" "4",
                          static_cast<int>(n % 200), stamp);
            pub->sendData(buf, 0);
            ++n;
        }
    });
    for (int i = 0; i < 200; ++i) instruments.add("SYM" + std::to_string(i));
    pumpUntil(*loop, [] { return false; }, 0.3);
    latencies.clear();
    pumpUntil(*loop, [] { return false; }, window);
    sending = false;
    sender.join();
    stamped.stop();
    loop->runUntilIdle();
    pub->close();
    std::sort(latencies.begin(), latencies.end());
    if (!latencies.empty()) {
        auto pct = [&](double p) { return latencies[static_cast<std::size_t>(p * static_cast<double>(latencies.size() - 1))]; };
        std::printf("latency PUB -> record at 100,000 ticks/s: %zu ticks, p50 %.0f us, p99 %.0f us, max %.0f us\n",
                    latencies.size(), pct(0.5), pct(0.99), latencies.back());
    }
    platform::MainExecutor::install(nullptr);
    simulator.stop();
}
#endif

}  // namespace

int main() {
    platform::Log::setMinimumLevel(platform::LogLevel::Warning);
    decodeBench();
#ifdef FEED_BENCH_WITH_SIM
    endToEndBench();
#else
    std::printf("end to end: not built (no simulator)\n");
#endif
    return 0;
}
