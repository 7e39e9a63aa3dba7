// Parses 100,000 pending-order rows of 29 fields and prints rows/s, with a
// memchr scan of the same bytes as the baseline.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "model/pending_order_hd.h"

namespace {

constexpr int kRows = 100000;

std::string makeAnswer() {
    std::string answer;
    answer.reserve(kRows * 200);
    char buf[512];
    for (int i = 0; i < kRows; ++i) {
        std::snprintf(buf, sizeof buf,
                      "PO%d\x05T%d\x05%d\x05%d\x05%d\x05%d\x05%d.00\x05"
                      "0\x05"
                      "0\x05%d.50\x05%d.2500\x05"
                      "0\x05"
                      "98.75\x05"
                      "0\x05"
                      "1\x05"
                      "5\x05"
                      "20261231235959\x05"
                      "0\x05"
                      "0\x05"
                      "0\x05"
                      "0\x05"
                      "0.3\x05"
                      "R7\x05"
                      "RP%d\x05"
                      "20261201093000\x05"
                      "POS%d\x05"
                      "0\x05"
                      "0\x05"
                      "20261201093001\x06",
                      i, i, 1000 + i % 50, i % 300, i % 2, 1 + i % 3, 1 + i % 10, i % 10, 100 + i % 7, i, i);
        answer += buf;
    }
    return answer;
}

}  // namespace

int main() {
    const std::string answer = makeAnswer();

    const auto t0 = std::chrono::steady_clock::now();
    std::size_t parsed = 0;
    double checksum = 0.0;
    std::string_view rest = answer;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\x06');
        const std::string_view row = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (row.empty()) continue;
        if (const auto r = model::PendingOrderHD::fromRow(row)) {
            ++parsed;
            checksum += r->OrderPrice;
        }
    }
    const auto t1 = std::chrono::steady_clock::now();

    std::size_t separators = 0;
    const char* p = answer.data();
    const char* endp = p + answer.size();
    while ((p = static_cast<const char*>(std::memchr(p, '\x05', static_cast<std::size_t>(endp - p)))) != nullptr) {
        ++separators;
        ++p;
    }
    const auto t2 = std::chrono::steady_clock::now();

    const double parseSeconds = std::chrono::duration<double>(t1 - t0).count();
    const double scanSeconds = std::chrono::duration<double>(t2 - t1).count();
    std::printf("rows parsed:     %zu of %d (%zu bytes, checksum %.2f)\n", parsed, kRows, answer.size(), checksum);
    std::printf("parse time:      %.1f ms (target < 200 ms)\n", parseSeconds * 1e3);
    std::printf("rows/s:          %.0f\n", parsed / parseSeconds);
    std::printf("memchr baseline: %.2f ms for %zu separators\n", scanSeconds * 1e3, separators);
    std::printf("ratio:           %.1fx the baseline scan\n", scanSeconds > 0 ? parseSeconds / scanSeconds : 0.0);
    return parsed == static_cast<std::size_t>(kRows) ? 0 : 1;
}
