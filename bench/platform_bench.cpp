// Throughput of the notification centre and of hand-offs to the main thread.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

#include "platform/main_executor.h"
#include "platform/notification_center.h"

using namespace platform;
using BenchClock = std::chrono::steady_clock;

namespace {

struct PriceTick : NotificationPayload {
    explicit PriceTick(int v) : value(v) {}
    int value;
};

double seconds(BenchClock::time_point start) { return std::chrono::duration<double>(BenchClock::now() - start).count(); }

void benchPosts() {
    NotificationCenter center;
    long sum = 0;
    for (int i = 0; i < 3; ++i)
        center.addObserver("PriceUpdate", [&sum](const Notification& n) { sum += n.as<PriceTick>()->value; });
    center.addObserver("Other", [](const Notification&) {});
    const int count = 2'000'000;
    auto start = BenchClock::now();
    for (int i = 0; i < count; ++i) center.post("PriceUpdate", std::make_shared<const PriceTick>(1));
    double s = seconds(start);
    std::printf("notification posts, 3 observers: %10.0f posts/s  (%d posts, %.3f s, %ld deliveries)\n",
                count / s, count, s, sum);
}

void benchHandOffs() {
    auto loop = std::make_shared<ManualRunLoop>();
    MainExecutor::install(loop);
    const long count = 2'000'000;
    long ran = 0;
    auto start = BenchClock::now();
    std::thread producer([&ran] {
        for (long i = 0; i < count; ++i) MainExecutor::post([&ran] { ++ran; });
    });
    while (ran < count) {
        if (loop->runUntilIdle() == 0) std::this_thread::yield();
    }
    double s = seconds(start);
    producer.join();
    std::printf("main-thread hand-offs:           %10.0f /s       (%ld tasks from another thread, %.3f s)\n",
                count / s, count, s);
    MainExecutor::install(nullptr);
}

}  // namespace

int main() {
    benchPosts();
    benchHandOffs();
    return 0;
}
