// Ticks per second the simulator publishes on loopback, as one subscriber receives them,
// against raw libzmq PUB/SUB with messages of the same size.
#include <zmq.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <thread>

#include "sim/simulator.h"

namespace {

constexpr auto kMeasure = std::chrono::seconds(3);

struct Count {
    long long ticks = 0;
    long long bytes = 0;
};

Count receive(void* sub, std::chrono::steady_clock::time_point until) {
    Count c;
    zmq_pollitem_t item{sub, 0, ZMQ_POLLIN, 0};
    char buf[512];
    while (std::chrono::steady_clock::now() < until) {
        if (zmq_poll(&item, 1, 50) <= 0) continue;
        while (true) {
            const int n = zmq_recv(sub, buf, sizeof buf, ZMQ_DONTWAIT);
            if (n < 0) break;
            if (n >= 3 && (buf[0] == 'M' && buf[1] == 'D' && buf[2] == '_')) continue;
            ++c.ticks;
            c.bytes += n;
        }
    }
    return c;
}

void* subscriber(void* ctx, int port) {
    void* sub = zmq_socket(ctx, ZMQ_SUB);
    int hwm = 0;  // unlimited: count what arrives
    zmq_setsockopt(sub, ZMQ_RCVHWM, &hwm, sizeof hwm);
    zmq_setsockopt(sub, ZMQ_SUBSCRIBE, "", 0);
    zmq_connect(sub, ("tcp://127.0.0.1:" + std::to_string(port)).c_str());
    return sub;
}

}  // namespace

int main() {
    std::mt19937 rng(std::random_device{}());
    std::unique_ptr<sim::Simulator> simulator;
    for (int attempt = 0; attempt < 20 && !simulator; ++attempt) {
        sim::SimulatorOptions options;
        options.portBase = 20000 + static_cast<int>(rng() % 30000);
        options.ticksPerSecond = 0;
        options.statusSeconds = 0;
        auto s = std::make_unique<sim::Simulator>(sim::Scenario::load(SIM_DEFAULT_SCENARIO), options);
        s->setLogSink([](const std::string&) {});
        try {
            s->start();
            simulator = std::move(s);
        } catch (const std::exception&) {
        }
    }
    if (!simulator) {
        std::fprintf(stderr, "no free ports\n");
        return 1;
    }
    void* ctx = zmq_ctx_new();
    void* sub = subscriber(ctx, simulator->feedPort());
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // let the subscription reach the publisher
    simulator->command("ticks 1000000");
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const auto published0 = simulator->ticksPublished();
    const auto start = std::chrono::steady_clock::now();
    const Count got = receive(sub, start + kMeasure);
    const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const auto published = simulator->ticksPublished() - published0;
    simulator->command("ticks 0");
    zmq_close(sub);
    simulator->stop();
    const double simRate = got.ticks / secs;
    const double avgSize = got.ticks ? static_cast<double>(got.bytes) / got.ticks : 60;

    // Baseline: raw PUB/SUB, messages of the average tick size, as fast as possible.
    void* pub = zmq_socket(ctx, ZMQ_PUB);
    int hwm = 0;
    zmq_setsockopt(pub, ZMQ_SNDHWM, &hwm, sizeof hwm);
    const int port = 20000 + static_cast<int>(rng() % 30000);
    zmq_bind(pub, ("tcp://127.0.0.1:" + std::to_string(port)).c_str());
    void* rawSub = subscriber(ctx, port);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    std::atomic<bool> stop{false};
    const std::string msg(static_cast<std::size_t>(avgSize), 'x');
    std::thread sender([&] {
        while (!stop) zmq_send(pub, msg.data(), msg.size(), 0);
    });
    const auto rawStart = std::chrono::steady_clock::now();
    const Count raw = receive(rawSub, rawStart + kMeasure);
    const double rawSecs = std::chrono::duration<double>(std::chrono::steady_clock::now() - rawStart).count();
    stop = true;
    sender.join();
    zmq_close(rawSub);
    zmq_close(pub);
    zmq_ctx_term(ctx);
    const double rawRate = raw.ticks / rawSecs;

    std::printf("sim_feed_rate: default scenario, %.1f s\n", secs);
    std::printf("  simulator published   %12.0f ticks/s\n", published / secs);
    std::printf("  subscriber received   %12.0f ticks/s (%.0f bytes each)\n", simRate, avgSize);
    std::printf("  raw libzmq PUB/SUB    %12.0f msgs/s\n", rawRate);
    std::printf("  ratio sim/raw         %12.2f\n", rawRate > 0 ? simRate / rawRate : 0.0);
    return 0;
}
