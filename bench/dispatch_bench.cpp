// Order-status messages (type 62, as the simulator sends them) decoded and
// dispatched through the session, against a bare split of the same bytes at
// the field separator.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/log.h"
#include "platform/main_executor.h"
#include "protocol/separator_bytes.h"
#include "protocol/wire_format.h"
#include "silent_ui.h"
#include "support/order_book_test_access.h"
#include "support/session_test_access.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kMessages = 100000;

// One order's life: placed, edited twice, filled.
std::vector<std::string> frames() {
    std::vector<std::string> out;
    out.reserve(kMessages);
    const int statuses[] = {28, 75, 75, 23};
    for (int i = 0; out.size() < static_cast<std::size_t>(kMessages); ++i) {
        const std::string id = std::to_string(50000 + i / 4);
        const int status = statuses[i % 4];
        const std::string price = i % 4 == 0 ? "1.08312" : "1.08315";
        std::string body = "10=62\x03" "73=" + std::to_string(status) + "\x03" "20=" + std::to_string(100 + i) +
                           "\x03" "79=" + id + "\x03" "81=" + id + "\x03" "34=1001\x03" "12=EURUSD\x03" "32=30\x03"
                           "36=45\x03" "37=2\x03" "38=" + price + "\x03" "39=1.08400\x03" "43=47\x03" "76=" +
                           (status == 23 ? "0" : "2") + "\x03" "78=20261207120000\x03" "117=51\x03";
        const std::string framed = protocol::frameMessage(body);
        out.push_back(framed.substr(1, framed.size() - 2));  // start and end bytes removed, as the line hands it
    }
    return out;
}

}  // namespace

int main() {
    platform::Log::setMinimumLevel(platform::LogLevel::Error);
    auto loop = std::make_shared<platform::ManualRunLoop>();
    platform::MainExecutor::install(loop);
    bench::SilentUi ui;
    const std::vector<std::string> input = frames();
    std::size_t bytes = 0;
    for (const auto& f : input) bytes += f.size();

    // Baseline: every field found with memchr, nothing kept.
    std::size_t fields = 0;
    const auto b0 = Clock::now();
    for (const std::string& f : input) {
        const char* p = f.data();
        const char* const e = p + f.size();
        while (p < e) {
            const void* sep = std::memchr(p, protocol::FieldEndByte, static_cast<std::size_t>(e - p));
            p = sep ? static_cast<const char*>(sep) + 1 : e;
            ++fields;
        }
    }
    const double split = std::chrono::duration<double>(Clock::now() - b0).count();

    double seconds = 0;
    std::size_t pending = 0;
    {
        auto session = state::BusinessBase::create(ui, ui);
        const auto t0 = Clock::now();
        std::size_t n = 0;
        for (const std::string& f : input) {
            if (auto m = state::IncomingMessage::decode(f)) state::SessionTestAccess::checkNewMessage(*session, std::move(*m));
            if (++n % 64 == 0) loop->runUntilIdle();
        }
        loop->runUntilIdle();
        seconds = std::chrono::duration<double>(Clock::now() - t0).count();
        pending = state::OrderBookTestAccess::PendingOrderCollection(state::SessionTestAccess::orderBook(*session)).size();
    }
    loop->runUntilIdle();
    platform::MainExecutor::install(nullptr);

    std::printf("dispatch of %d order-status messages (%.1f MB): %.3f s, %.0f msg/s, %.2f us/msg\n", kMessages,
                static_cast<double>(bytes) / 1e6, seconds, kMessages / seconds, seconds * 1e6 / kMessages);
    std::printf("  baseline (memchr split of the same bytes, %zu fields): %.4f s, %.0f msg/s; ratio %.1f (%zu pending left)\n",
                fields, split, kMessages / split, split > 0 ? seconds / split : 0.0, pending);
    return 0;
}
