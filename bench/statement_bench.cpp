// The account statement: an answer of 500 instruments, 10,000 open positions,
// 5,000 pending orders, 10,000 settled positions and 2,000 transactions parsed
// and filled, against the XML reader alone walking the same document; then
// each total over 10,000 rows against a plain sum of the same doubles. Last,
// a hostile answer of a million nested tables: its time and the resident
// memory it leaves behind once dropped.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "silent_ui.h"
#include "platform/main_executor.h"
#include "protocol/xml_reader.h"
#include "support/session_test_access.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kInstruments = 500, kOpen = 10000, kPending = 5000, kSettled = 10000, kTransactions = 2000;
constexpr int kRuns = 5;
constexpr int kTotalRows = 10000;

template <typename F>
double bestSeconds(F&& f, int runs = kRuns) {
    double best = 1e9;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        f();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return best;
}

struct Doc {
    std::string text;
    void row(const char* table, const std::vector<std::pair<const char*, std::string>>& columns) {
        text.append("<").append(table).append(">");
        for (const auto& [name, value] : columns) text.append("<").append(name).append(">").append(value).append("</").append(name).append(">");
        text.append("</").append(table).append(">\r\n");
    }
};

std::string n(long long v) { return std::to_string(v); }
// A prefix and a number; GCC 12 warns falsely on "text" + std::string at -O3.
std::string n(const char* prefix, long long v) {
    std::string out(prefix);
    out += std::to_string(v);
    return out;
}

std::string makeStatement() {
    Doc d;
    d.text = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<NewDataSet>\r\n";
    for (int i = 1; i <= kInstruments; ++i)
        d.row("Table5", {{"InstrumentId", n(i)}, {"Name", n("Instrument &amp; Co ", i)}, {"Code", n("C", i)}, {"DecimalPlaces", "2"}});
    for (int i = 1; i <= kInstruments; ++i) d.row("Table6", {{"InstrumentId", n(i)}, {"Bid", "1790.5"}, {"Ask", "1791.25"}});
    d.row("Table", {{"TAHId", "1"}, {"TAHDate", "2026-12-01T00:00:00"}, {"AccountId", "1001"}, {"Balance", "50000"}});
    d.row("Table", {{"TAHId", "2"}, {"TAHDate", "2026-11-01T00:00:00.000"}, {"AccountId", "1001"}, {"Balance", "48000"}});
    for (int i = 0; i < kOpen; ++i)
        d.row("Table1", {{"TOPHId", n(i)}, {"TOPDate", "2026-11-05T00:00:00"}, {"PositionId", n(kOpen - i)}, {"AccountId", "1001"},
                         {"InstrumentId", n(1 + i % kInstruments)}, {"IsBuy", i % 2 ? "true" : "false"},
                         {"RefOrderTicketId", n(i)}, {"PositionInitialQty", "4"}, {"PositionQty", "2"}, {"OrderPrice", "1780.25"},
                         {"CommisionPaid", "10"}, {"PositionDate", "2026-11-05T14:07:09.123"}, {"UnrealisedPL", "12.5"},
                         {"DeliveryModeId", "1"}, {"AccumulatingStorage", "0.5"}, {"ValueDate", "2026-11-05T00:00:00"},
                         {"ExpiryDate", ""}, {"UnrealisedCharges", "0.25"}});
    for (int i = 0; i < kPending; ++i)
        d.row("Table2", {{"TPOH", n(i)}, {"PendingOrderId", n("P", kPending - i)}, {"AccountId", "1001"},
                         {"InstrumentId", n(1 + i % kInstruments)}, {"IsBuy", "true"}, {"OrderTypeId", "2"}, {"OrderQty", "3"},
                         {"RemainingQty", "3"}, {"OrderPrice", "1750.00"}, {"LimitPrice", "1750.00"}, {"TimeInForceId", "1"},
                         {"ExpiryDateTime", "2026-12-31T00:00:00"}, {"OrderStatusId", "21"}, {"OrderTime", "2026-11-20T08:15:00"}});
    for (int i = 0; i < kSettled; ++i)
        d.row("Table3", {{"SettlementId", n("S", kSettled - i)}, {"AccountId", "1001"}, {"InstrumentId", n(1 + i % kInstruments)},
                         {"RefPositionId", n(i)}, {"SettledQty", "2"}, {"IsBuy", "false"}, {"SettledPL", "50.5"},
                         {"SettlementDate", "2026-11-10T16:00:00"}, {"CommisionPaid", "1"}, {"OtherCharges", "0.25"},
                         {"OpenPrice", "1780.00"}, {"ClosePrice", "1790.00"}, {"OpenDate", "2026-11-02T10:00:00"},
                         {"CloseDate", "2026-11-10T16:00:00"}});
    for (int i = 0; i < kTransactions; ++i)
        d.row("Table4", {{"AccountId", "1001"}, {"FinancialTransactionTypeId", "1"}, {"SubFinancialTransactionTypeId", n(1 + i % 19)},
                         {"CrAmount", "100.5"}, {"DrAmount", "0.25"}});
    d.row("Table7", {{"AccountId", "1001"}, {"MarginCallCount", "2"}});
    d.row("Table8", {{"AccountId", "1001"}, {"Address1", "12 S&amp;P Tower"}});
    d.row("Table9", {{"AccountId", "1001"}, {"CompanyAddress", "Broker Ltd"}});
    return d.text + "</NewDataSet>\r\n";
}

// Every element visited, as the table map's fill visits them, without storing anything.
std::size_t walk(const protocol::XMLReader& reader) {
    std::size_t count = 0, textBytes = 0;
    std::vector<const protocol::TBXMLElement*> pending{reader.rootXMLElement()};
    while (!pending.empty()) {
        const protocol::TBXMLElement* e = pending.back();
        pending.pop_back();
        ++count;
        if (e->text) textBytes += std::char_traits<char>::length(e->text);
        if (e->nextSibling) pending.push_back(e->nextSibling);
        if (e->firstChild) pending.push_back(e->firstChild);
    }
    return count + textBytes;
}

void totals(model::AccountStatementInfo& s) {
    for (int i = 0; i < kTotalRows; ++i) {
        auto open = std::make_shared<model::OpenPositionHistoryInfo>();
        open->UnrealisedPL = 0.5 * i;
        open->RemainingQty = n(1 + i % 7);
        open->ItemCode = n("C", i % kInstruments);
        s.OpenPositionInfo.push_back(open);
        auto settled = std::make_shared<model::SettledPositionHistoryInfo>();
        settled->setSettledPL(n(i % 100) + ".25");
        settled->Commision = 0.1 * i;
        settled->ItemCode = open->ItemCode;
        s.SettledPositionInfo.push_back(settled);
        auto money = std::make_shared<model::FinancialTransactionHistoryInfo>();
        money->SubTransactionType = i % 2 ? 1 : 11;
        money->CrAmount = 1.5 * i;
        s.FinancialTransactionInfo.push_back(money);
    }
    std::vector<double> plain;
    for (int i = 0; i < kTotalRows; ++i) plain.push_back(0.5 * i);
    volatile double sink = 0;
    const double base = bestSeconds([&] {
        double sum = 0;
        for (double v : plain) sum += v;
        sink = sum;
    }, 50);
    const std::vector<std::pair<const char*, std::function<double()>>> cases = {
        {"getOpenProfitorLoss", [&] { return s.getOpenProfitorLoss(); }},
        {"getSettledCommission", [&] { return s.getSettledCommission(); }},
        {"getOpenQuantity (text)", [&] { return s.getOpenQuantity(); }},
        {"getSettledProfitorLoss (text)", [&] { return s.getSettledProfitorLoss(); }},
        {"getDeposit", [&] { return s.getDeposit(); }},
        {"getMiscellaneous (no row)", [&] { return s.getMiscellaneous(); }},
        {"getOpendPLForItems (pie)", [&] { return s.getOpendPLForItems().PieChartData.front(); }},
        {"getSettledPLForItems (pie, text)", [&] { return s.getSettledPLForItems().PieChartData.front(); }},
    };
    std::printf("plain sum of %d doubles: %.2f us\n", kTotalRows, base * 1e6);
    for (const auto& [name, total] : cases) {
        const double t = bestSeconds([&] { sink = total(); }, 50);
        std::printf("  %-34s %9.2f us  ratio %6.1f\n", name, t * 1e6, base > 0 ? t / base : 0.0);
    }
}

// The process's resident memory, in MB.
double residentMB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

}  // namespace

int main() {
    auto loop = std::make_shared<platform::ManualRunLoop>();
    platform::MainExecutor::install(loop);
    {
        const std::string doc = makeStatement();
        bench::SilentUi ui;
        auto session = state::BusinessBase::create(ui, ui);
        volatile std::size_t sink = 0;
        const double reader = bestSeconds([&] {
            auto parsed = protocol::XMLReader::fromText(doc);
            sink = walk(*parsed);
        });
        const protocol::RequestKind kind{1023, "getdsaccountstatement", 0, 0};
        const double filled = bestSeconds([&] {
            state::SessionTestAccess::dataServiceAnswers(*session).processDSResponse(doc, std::nullopt, kind.name, kind);
            loop->runUntilIdle();
        });
        const auto& s = state::SessionTestAccess::funds(*session).accountStatementInfo();
        std::printf("statement answer %.1f MB: %zu instruments, %zu open, %zu pending, %zu settled, %zu transactions\n",
                    doc.size() / 1e6, s.InstrumentInfo.size(), s.OpenPositionInfo.size(), s.PendingOrderInfo.size(),
                    s.SettledPositionInfo.size(), s.FinancialTransactionInfo.size());
        std::printf("  parsed and filled %.1f ms; reader alone walking it %.1f ms; ratio %.1f\n", filled * 1e3,
                    reader * 1e3, reader > 0 ? filled / reader : 0.0);
        model::AccountStatementInfo record;
        totals(record);

        const double before = residentMB();
        double seconds = 0;
        {
            constexpr std::size_t kNested = 1'000'000;
            std::string nested = "<NewDataSet>";
            nested.reserve(kNested * 15 + 32);
            for (std::size_t i = 0; i < kNested; ++i) nested += "<Table>";
            for (std::size_t i = 0; i < kNested; ++i) nested += "</Table>";
            nested += "</NewDataSet>";
            const auto start = Clock::now();
            state::SessionTestAccess::dataServiceAnswers(*session).processDSResponse(nested, std::nullopt, kind.name, kind);
            seconds = std::chrono::duration<double>(Clock::now() - start).count();
        }
        loop->runUntilIdle();
        std::printf("a million nested tables (15 MB): %.1f ms; resident memory after it %+.0f MB\n", seconds * 1e3,
                    residentMB() - before);
    }
    platform::MainExecutor::install(nullptr);
    return 0;
}
