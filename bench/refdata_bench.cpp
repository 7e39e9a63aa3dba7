// Filling the login reference data: the compact text and the equivalent XML
// data set with 2,000 instruments, 20 groups x 2,000 group instruments and
// 200 accounts; then the XML reader on a 20 MB document against a plain
// memchr scan for "<" over the same bytes in the same run; and the compact
// reader's per-byte rate against expat's on the XML form of the same records.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#if TC_BENCH_EXPAT
#include <expat.h>
#endif

#include "protocol/login_data_limits.h"
#include "protocol/xml_reader.h"
#include "state/login_tables.h"
#include "state/packed_records.h"
#include "state/reference_data.h"
#include "support/reference_data_test_access.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kInstruments = 2000;
constexpr int kGroups = 20;
constexpr int kAccounts = 200;
constexpr int kSettings = 5;
constexpr int kRuns = 5;

struct Column {
    const char* name;
    std::string value;
};
using Record = std::vector<Column>;

Record user() {
    return {{"userid", "11"}, {"lastrefid", "0"}, {"NewRefid", "0"}, {"ddeenabled", "0"}, {"userenabled", "1"},
            {"userTypeId", "1"}, {"forceLogoutRefid", "0"}, {"forceLogoutLoadServerId", "0"}, {"appModeId", "1"},
            {"canChangePassword", "1"}, {"tradePubPort", "17002"}, {"marketdepthPort", "17002"},
            {"hdserverPort", "17003"}, {"", ""}, {"", ""}, {"systemCurrencyId", "1"}};
}

Record setting(int i) {
    return {{"SettingsId", std::to_string(i)}, {"SettingsName", "Session " + std::to_string(i)},
            {"EnterLimitOrder", "1"}, {"EnterMarketOrder", "1"}, {"EditLimitOrder", "1"}, {"EditMarketOrder", "1"},
            {"ExecuteOrders", "1"}, {"PublishMarketData", "1"}, {"PublishTradeData", "1"},
            {"MatchMMwithMMOrders", "0"}, {"EnterMarketMakerOrder", "0"}, {"EditMarketMakertOrder", "0"},
            {"SessionColor", "32768"}, {"UseELP", "0"}};
}

Record instrument(int i) {
    return {{"InstrumentId", std::to_string(i)}, {"Name", "Instrument " + std::to_string(i)},
            {"Code", "INS" + std::to_string(i)}, {"CurrencyID", "1"}, {"Enabled", "1"}, {"InstrumentTypeId", "1"},
            {"TickSize", "0.01"}, {"Point", "0.01"}, {"DecimalPlaces", "2"}, {"MonthCode", "Z26"},
            {"ContractSize", "100"}, {"UnitId", "3"}, {"TradingStatusId", "1"}, {"IsAvailableForWatchList", "1"},
            {"UnderlyingInstrumentId", "0"}, {"MaxUpdateFrequency", "1"}, {"CutOffLimitPercentCP", "10"},
            {"FND", "20261220000000"}, {"LTD", "20261219000000"}, {"CircuitLimit", "10"}, {"PLCalcModeId", "1"},
            {"Bid", "1800.25"}, {"Ask", "1800.75"}, {"Last", "1800.5"}, {"High", "1810"}, {"Low", "1790"}};
}

Record group(int g) {
    return {{"GroupId", std::to_string(g)}, {"Name", "Group " + std::to_string(g)}, {"TradingEnabled", "1"},
            {"CompanyId", "1"}, {"", ""}, {"IsNewsEnabled", "1"}, {"IsMailEnabled", "1"}, {"IsChatEnabled", "1"},
            {"IsEAEnabled", "0"}, {"InstrumentLimit", "50"}, {"WatchListItemLimit", "50"}, {"MaxOrderQty", "100"},
            {"OrderQtyStep", "0.01"}, {"IsTrailingStopEnabled", "0"}, {"MarginCallLevel", "100"},
            {"StopOutLevel", "50"}, {"LeverageOnFProfit", "100"}, {"RevLeverageOnFLoss", "100"},
            {"ReportHistoryDaysLimit", "90"}, {"SendMailReports", "0"}, {"SendExecutionSMS", "0"},
            {"CreditRating", "0"}};
}

Record groupInstrument(int g, int i) {
    return {{"groupdetailsid", std::to_string(g * 10000 + i)}, {"groupid", std::to_string(g)},
            {"InstrumentId", std::to_string(i)}, {"OrderQtyStep", "0.01"}, {"MaxOrderQty", "100"},
            {"MinOrderQty", "0.01"}, {"SpreadBid", "1"}, {"SpreadAsk", "1"}, {"SpreadTypeId", "1"},
            {"buyInterestRate", "-2.5"}, {"sellInterestRate", "0.5"}, {"LimitMinPips", "5"}, {"StopMinPips", "5"},
            {"AllowShortSelling", "1"}, {"Initialmargin", "4070.8"}, {"LimitOrderMargin", "4070.8"},
            {"LiquidationMargin", "2035.4"}, {"IntradayOrderMargin", "2035.4"}, {"BTSTOrderMargin", "4070.8"},
            {"OverNightMargin", "4070.8"}, {"Commission", "5"}, {"AutoExecutionModeId", "1"},
            {"MarginCalcModeId", "1"}, {"", ""}, {"", ""}, {"InitialSellMargin", "4070.8"},
            {"availableOrderSettings", "3"}, {"isAvailableForTrading", "1"}};
}

Record account(int a) {
    return {{"AccountId", std::to_string(1000 + a)}, {"GroupId", std::to_string(a % kGroups)},
            {"AccountTypeId", "1"}, {"", ""}, {"Balance", "50000"}, {"UnrealisedPL", "0"},
            {"LeverageOnPositions", "0"}, {"CollateralSecurity", "0"}, {"UsedMargin", "0"}, {"Equity", "50000"},
            {"AvailableMargin", "50000"}, {"", ""}, {"HedgeModeId", "1"}, {"TradeRouteId", "1"},
            {"AutoExecutionModeId", "1"}, {"AccountName", "Account " + std::to_string(a)},
            {"AccountEnabled", "1"}, {"InstrumentLimit", "50"}, {"WatchListItemLimit", "50"},
            {"AccountAccessTypeId", "1"}, {"TradingStatusId", "1"}, {"", ""}, {"AccumulatingStorage", "0"},
            {"primaryAccountHolderUserid", "11"}, {"AvailableOrderTypes", "199"}};
}

void packedRecord(std::string& out, const Record& r) {
    for (std::size_t i = 0; i < r.size(); ++i) {
        if (i) out += '\x05';
        out += r[i].value;
    }
    out += '\x06';
}

void xmlRow(std::string& out, const char* table, const Record& r) {
    out += "  <";
    out += table;
    out += ">\r\n";
    for (const Column& c : r) {
        if (!*c.name) continue;
        out += "    <";
        out += c.name;
        out += '>';
        out += c.value;
        out += "</";
        out += c.name;
        out += ">\r\n";
    }
    out += "  </";
    out += table;
    out += ">\r\n";
}

std::string makePacked(int groups = kGroups) {
    std::vector<std::string> sections(22);
    packedRecord(sections[0], user());
    sections[1] = "7\x05TradingClient\x05" "0.1.0\x05\x05" "0.1.0\x06";
    for (int i = 0; i < kSettings; ++i) packedRecord(sections[3], setting(i));
    for (int i = 0; i < kInstruments; ++i) packedRecord(sections[4], instrument(i));
    for (int g = 0; g < groups; ++g) packedRecord(sections[5], group(g));
    for (int g = 0; g < groups; ++g)
        for (int i = 0; i < kInstruments; ++i) packedRecord(sections[6], groupInstrument(g, i));
    for (int a = 0; a < kAccounts; ++a) packedRecord(sections[8], account(a));
    std::string out;
    for (std::size_t i = 0; i < sections.size(); ++i) {
        if (i) out += '\x07';
        out += sections[i];
    }
    return out;
}

std::string makeXml(int groups = kGroups) {
    std::string out = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<NewDataSet>\r\n";
    xmlRow(out, "Table1", user());
    for (int a = 0; a < kAccounts; ++a) xmlRow(out, "Table4", account(a));
    for (int i = 0; i < kInstruments; ++i) xmlRow(out, "Table6", instrument(i));
    for (int g = 0; g < groups; ++g)
        for (int i = 0; i < kInstruments; ++i) xmlRow(out, "Table7", groupInstrument(g, i));
    for (int g = 0; g < groups; ++g) xmlRow(out, "Table8", group(g));
    for (int i = 0; i < kSettings; ++i) xmlRow(out, "Table10", setting(i));
    return out + "</NewDataSet>\r\n";
}

template <typename F>
double bestSeconds(F&& f) {
    double best = 1e9;
    for (int i = 0; i < kRuns; ++i) {
        const auto start = Clock::now();
        f();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return best;
}

std::size_t groupInstrumentCount(const state::ReferenceData& s) {
    std::size_t n = 0;
    for (const auto& g : s.GroupDetailCollection()) n += g.second->GroupInstrumentCollection.size();
    return n;
}

#if TC_BENCH_EXPAT
// Expat with empty element handlers: its rate is the anchor, not a fill.
std::size_t expatElements(const std::string& doc) {
    std::size_t elements = 0;
    XML_Parser parser = XML_ParserCreate(nullptr);
    XML_SetUserData(parser, &elements);
    XML_SetElementHandler(
        parser, [](void* data, const XML_Char*, const XML_Char**) { ++*static_cast<std::size_t*>(data); },
        [](void*, const XML_Char*) {});
    XML_SetCharacterDataHandler(parser, [](void*, const XML_Char*, int) {});
    if (XML_Parse(parser, doc.data(), static_cast<int>(doc.size()), 1) == XML_STATUS_ERROR)
        std::fprintf(stderr, "expat: %s\n", XML_ErrorString(XML_GetErrorCode(parser)));
    XML_ParserFree(parser);
    return elements;
}
#endif

// The compact reader (PackedLoginRecords::read: instruments and group
// instruments into records) on a login of `groups` x 2,000 group instruments,
// against expat on the XML form of the same records.
void compactReaderRate(int groups) {
    const std::string packed = makePacked(groups);
    const double mb = packed.size() / (1024.0 * 1024.0);
    std::size_t records = 0;
    const double readSeconds = bestSeconds([&] {
        const auto read = state::PackedLoginRecords::read(packed);
        records = read ? read->instruments.size() + read->groupInstruments.size() : 0;
    });
    std::printf("compact reader: %.1f MB, %zu records, %.0f MB/s (goal >= expat's rate)\n", mb, records, mb / readSeconds);
#if TC_BENCH_EXPAT
    const std::string xml = makeXml(groups);
    const double xmlMb = xml.size() / (1024.0 * 1024.0);
    std::size_t elements = 0;
    const double expatSeconds = bestSeconds([&] { elements = expatElements(xml); });
    const double expatRate = xmlMb / expatSeconds;
    std::printf("  expat on the XML form: %.1f MB, %zu elements, %.0f MB/s; compact reader / expat per byte: %.2fx\n",
                xmlMb, elements, expatRate, (mb / readSeconds) / expatRate);
#else
    std::printf("  expat not found: no anchor\n");
#endif
}

}  // namespace

int main() {
    compactReaderRate(50);

    const std::string packed = makePacked();
    const std::string xml = makeXml();
    std::size_t filled = 0;

    const double packedSeconds = bestSeconds([&] {
        state::ReferenceData s;
        state::fillPacked(s, packed);
        filled = groupInstrumentCount(s) + s.AccountDetailCollection().size();
    });
    std::printf("compact fill: %.1f KB, %zu records, %.1f ms (target < 200 ms)\n", packed.size() / 1024.0, filled,
                packedSeconds * 1e3);

    const double xmlSeconds = bestSeconds([&] {
        state::ReferenceData s;
        s.FillXmlLoginData(xml);
        filled = groupInstrumentCount(s) + s.AccountDetailCollection().size();
    });
    std::printf("XML fill: %.1f MB, %zu records, %.1f ms\n", xml.size() / (1024.0 * 1024.0), filled, xmlSeconds * 1e3);
    std::size_t readOk = 0;
    const double readSeconds = bestSeconds([&] {
        state::LoginTables rows;
        readOk = rows.read(xml);
    });
    std::printf("  of which cutting the rows: %.1f ms (%s)\n", readSeconds * 1e3, readOk ? "usual shape" : "general road");
    std::printf("XML / compact: %.2f (target <= 2)\n", xmlSeconds / packedSeconds);
    const auto treeStart = Clock::now();
    {
        state::ReferenceData s;
        s.parseXml(xml);
        s.FillTableDetails();
    }
    const double treeSeconds = std::chrono::duration<double>(Clock::now() - treeStart).count();
    std::printf("XML through the element tree and tables (data-service road): %.1f ms\n", treeSeconds * 1e3);

    // A login of 300,000 group instruments (150 groups of the 2,000 instruments) in either form.
    {
        const int groups = 150;
        const std::string bigPacked = makePacked(groups);
        const std::string bigXml = makeXml(groups);
        for (const bool packedForm : {true, false}) {
            const std::string& text = packedForm ? bigPacked : bigXml;
            state::ReferenceData s;
            const auto start = Clock::now();
            if (packedForm) state::fillPacked(s, text);
            else s.FillXmlLoginData(text);
            const double ms = std::chrono::duration<double>(Clock::now() - start).count() * 1e3;
            std::printf("300,000 group instruments, %s: %.1f MB (cap %.1f MB), %zu group instruments, %.0f ms\n",
                        packedForm ? "compact" : "XML", text.size() / (1024.0 * 1024.0),
                        (packedForm ? protocol::kMaxPackedLoginDataSize : protocol::kMaxXmlLoginDataSize) / (1024.0 * 1024.0),
                        groupInstrumentCount(s), ms);
        }
    }

    // A 20 MB document of group-instrument rows.
    std::string big = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<NewDataSet>\r\n";
    for (int n = 0; big.size() < 20u * 1024u * 1024u; ++n) xmlRow(big, "Table7", groupInstrument(n / kInstruments, n % kInstruments));
    big += "</NewDataSet>\r\n";
    const double mb = big.size() / (1024.0 * 1024.0);
    std::size_t elements = 0;
    const double readerSeconds = bestSeconds([&] {
        protocol::XMLReader reader(big);
        elements = reader.rootXMLElement() ? 1 : 0;
    });
    std::size_t opens = 0;
    const double scanSeconds = bestSeconds([&] {
        opens = 0;
        const char* p = big.data();
        const char* end = p + big.size();
        while ((p = static_cast<const char*>(std::memchr(p, '<', static_cast<std::size_t>(end - p)))) != nullptr) {
            ++opens;
            ++p;
        }
    });
    std::printf("XML reader: %.1f MB at %.0f MB/s; memchr scan for '<': %.0f MB/s (%zu found); ratio %.1fx (root %zu)\n",
                mb, mb / readerSeconds, mb / scanSeconds, opens, readerSeconds / scanSeconds, elements);
    return 0;
}
