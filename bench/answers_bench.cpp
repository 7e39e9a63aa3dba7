// Data-service answers: 100,000 history rows of one answer routed and filled
// (settled positions, then open positions), against a memchr count of the
// same answer's rows in the same run.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "silent_ui.h"
#include "platform/main_executor.h"
#include "support/order_book_test_access.h"
#include "support/reference_data_test_access.h"
#include "support/session_test_access.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRows = 100000;

std::string settledRows() {
    std::string out;
    for (int i = 0; i < kRows; ++i)
        out.append(std::to_string(500000 + i)).append("\x05" "1001\x05" "5\x05" "P").append(std::to_string(i)).append(
               "\x05" "C1\x05" "1\x05" "12.5\x05" "20150305090702\x05" "1\x05" "0\x05" "0\x05" "0\x05" "1\x05"
               "1.2345\x05" "1.2350\x05" "20150304090702\x05" "20150305090702\x05" "1\x05\x05" "1\x06");
    return out;
}

std::string openRows() {
    std::string out;
    for (int i = 0; i < kRows; ++i)
        out.append("P").append(std::to_string(i)).append("\x05" "1001\x05" "5\x05" "1\x05" "T\x05" "O\x05" "E\x05" "4\x05" "2\x05"
               "1.5\x05" "10\x05" "20150305090702\x05" "1\x05\x05" "0\x05" "1\x05\x05" "1\x05" "1\x05" "0\x05"
               "20150305090702\x05" "20150306090702\x05\x05\x05\x05\x05\x05" "1\x06");
    return out;
}

double routeSeconds(state::BusinessBase& s, const std::string& name, const std::string& data, std::size_t& held) {
    const auto start = Clock::now();
    state::SessionTestAccess::dataServiceAnswers(s).processDSResponse(data, std::nullopt, name, protocol::RequestKind{1023, name, 0, 0});
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    held = name == "getsettledpositions" ? state::OrderBookTestAccess::SettledOrderCollection(state::SessionTestAccess::orderBook(s)).size()
                                         : state::OrderBookTestAccess::OpenOrderCollection(state::SessionTestAccess::orderBook(s)).size();
    return seconds;
}

double scanSeconds(const std::string& data, std::size_t& rows) {
    const auto start = Clock::now();
    rows = 0;
    for (const char* p = data.data(); (p = static_cast<const char*>(std::memchr(p, '\x06', data.data() + data.size() - p)));
         ++p)
        ++rows;
    return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main() {
    auto loop = std::make_shared<platform::ManualRunLoop>();
    platform::MainExecutor::install(loop);
    {
        bench::SilentUi ui;
        auto session = state::BusinessBase::create(ui, ui);
        auto gold = std::make_shared<model::ItemDetails>();
        gold->InstrumentId = 5;
        gold->Code = "GOLD";
        state::ReferenceDataTestAccess::ItemCollection(state::SessionTestAccess::referenceData(*session)).set("GOLD", gold);
        for (const auto& [name, data] : {std::pair<std::string, std::string>{"getsettledpositions", settledRows()},
                                         {"getopenpositions", openRows()}}) {
            std::size_t held = 0, rows = 0;
            const double routed = routeSeconds(*session, name, data, held);
            const double scanned = scanSeconds(data, rows);
            std::printf("%-20s %zu rows (%.1f MB): routed and filled %.3f s (%zu held); memchr row count %.4f s; ratio %.0f\n",
                        name.c_str(), rows, data.size() / 1e6, routed, held, scanned, scanned > 0 ? routed / scanned : 0.0);
        }
        loop->runUntilIdle();
    }
    platform::MainExecutor::install(nullptr);
    return 0;
}
