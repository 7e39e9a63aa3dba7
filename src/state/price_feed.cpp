#include "state/price_feed.h"

#include <bit>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>

#include "model/formatter.h"
#include "platform/log.h"
#include "protocol/byte_scan.h"
#include "protocol/frame_decoder.h"
#include "protocol/message_base.h"
#include "protocol/message_cracker.h"
#include "protocol/separator_bytes.h"
#include "protocol/tags.h"
#include "state/tick_cut.h"

namespace state {

namespace {

constexpr std::string_view kStatusPrefix = "IS;";
constexpr std::string_view kBroadcastPrefix = "*#bm#*:";
// The only message type the status path carries.
// Decimal counts beyond this make no price.
constexpr double kMaxDecimalCount = 15.0;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The number at the start of a text, read the way a scanner reads a double:
// leading white space skipped, an optional sign, digits with an optional
// fraction and exponent; the rest of the text is ignored.
std::optional<double> leadingNumber(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\n' || s[i] == '\r')) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    if (i >= s.size()) return std::nullopt;
    if (!isDigit(s[i]) && !(s[i] == '.' && i + 1 < s.size() && isDigit(s[i + 1]))) return std::nullopt;
    double value = 0.0;
    auto result = std::from_chars(s.data() + i, s.data() + s.size(), value);
    if (result.ec != std::errc()) return std::nullopt;
    return negative ? -value : value;
}

constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
using tick::kMaxPlainDigits;
// Decimal counts up to this make any scaled integer but 0 at least a millionth.
constexpr std::int64_t kMaxNonZeroDecimals = 6;

// A field of 1 to 15 decimal digits and nothing else.
bool plainInteger(std::string_view s, std::int64_t& value) {
    if (s.empty() || s.size() > kMaxPlainDigits) return false;
    std::int64_t v = 0;
    for (char c : s) {
        if (!isDigit(c)) return false;
        v = v * 10 + (c - '0');
    }
    value = v;
    return true;
}

// The number of a field: plain integers read as integers (the same double),
// anything else as leadingNumber reads it.
std::optional<double> fieldNumber(std::string_view s) {
    std::int64_t v = 0;
    if (plainInteger(s, v)) return static_cast<double>(v);
    return leadingNumber(s);
}

// Fields 0 to 9 of a tick and its last one, cut at 0x04 without reading them.
struct TickFields {
    std::string_view field[10];
    std::string_view last;
    std::size_t count = 0;
};

// The separators are found sixteen bytes at a time.
TickFields cutTick(std::string_view text) {
    namespace bytes = protocol::bytes;
    TickFields t;
    std::size_t start = 0;
    const auto endField = [&](std::size_t end) {
        const std::string_view field = text.substr(start, end - start);
        if (t.count < 10) t.field[t.count] = field;
        t.last = field;
        ++t.count;
        start = end + 1;
    };
    for (std::size_t base = 0; base < text.size(); base += bytes::kBlock) {
        char tail[bytes::kBlock];
        const char* p = text.data() + base;
        if (text.size() - base < bytes::kBlock) {
            // Padding of NULs: no separator.
            std::memset(tail, 0, sizeof tail);
            std::memcpy(tail, p, text.size() - base);
            p = tail;
        }
        for (std::uint32_t at = bytes::blockMaskOf<protocol::TickFieldByte>(p); at != 0; at &= at - 1)
            endField(base + static_cast<std::size_t>(std::countr_zero(at)));
    }
    endField(text.size());
    return t;
}

// "yyyyMMddHHmmss" as "MM/dd/yyyy HH:mm:ss" (no zone shift), into `out`.
void tickTime(std::string_view s, std::string& out) {
    bool digits = s.size() == 14;
    for (std::size_t i = 0; digits && i < 14; ++i) digits = isDigit(s[i]);
    // The server's null date (year 1 or 0) is no time.
    if (digits && (s.starts_with("0000") || s.starts_with("0001"))) return out.clear();
    if (digits) {
        auto two = [&](std::size_t at) { return (s[at] - '0') * 10 + (s[at + 1] - '0'); };
        int month = two(4), day = two(6), hour = two(8), minute = two(10), second = two(12);
        if (month >= 1 && month <= 12 && day >= 1 && day <= 28 && hour < 24 && minute < 60 && second < 60) {
            out.assign(19, ' ');
            out[0] = s[4], out[1] = s[5], out[2] = '/';
            out[3] = s[6], out[4] = s[7], out[5] = '/';
            out[6] = s[0], out[7] = s[1], out[8] = s[2], out[9] = s[3];
            out[11] = s[8], out[12] = s[9], out[13] = ':';
            out[14] = s[10], out[15] = s[11], out[16] = ':';
            out[17] = s[12], out[18] = s[13];
            return;
        }
    }
    // Days 29 to 31 and anything unusual: the formatter decides.
    out = model::Formatter::formatDateandTimeFromString(std::string(s), "yyyyMMddHHmmss", "MM/dd/yyyy HH:mm:ss")
              .value_or(std::string());
}

std::string preview(std::string_view text) {
    std::string out(text.substr(0, 64));
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 0x20) c = '|';
    return text.size() > 64 ? out + "..." : out;
}

}  // namespace

double PriceFeed::roundAsPrinted(double value) {
    if (!std::isfinite(value)) return value;
    const double scaled = value * 1e6;
    // Far from a half, the product's own rounding cannot change the result,
    // and dividing the integer by 1e6 gives the double nearest to the text.
    if (std::fabs(scaled) < 8e12) {
        const double fraction = std::fabs(scaled - std::trunc(scaled));
        if (std::fabs(fraction - 0.5) > 1e-3) return std::nearbyint(scaled) / 1e6;
    }
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%f", value);
    return std::strtod(buffer, nullptr);
}

PriceFeed::Kind PriceFeed::kindOf(std::string_view text) {
    if (text.starts_with(kDepthPrefix)) return Kind::Depth;
    if (text.starts_with(kStatusPrefix)) return Kind::Status;
    if (text.starts_with(kBroadcastPrefix)) return Kind::Broadcast;
    return Kind::Tick;
}

std::optional<model::PriceUpdate> PriceFeed::PriceUpdateDecode(std::string_view text) {
    model::PriceUpdate update;
    if (!PriceUpdateDecode(text, update)) return std::nullopt;
    return update;
}

bool PriceFeed::PriceUpdateDecode(std::string_view text, model::PriceUpdate& update) {
    const TickFields t = cutTick(text);
    if (t.count < 2) {
        platform::Log::debug("PriceUpdateDecode: tick without time: " + preview(text));
        return false;
    }
    std::int64_t plainDecimals = 0;
    const bool plainCount = plainInteger(t.last, plainDecimals);
    const double decimals = plainCount ? static_cast<double>(plainDecimals) : leadingNumber(t.last).value_or(0.0);
    // A plain integer over at most six decimals divides into the double
    // nearest its six-decimal text: rounding it as printed changes nothing.
    const bool exactQuotients = plainCount && plainDecimals <= kMaxNonZeroDecimals;
    if (!(decimals >= 0.0 && decimals <= kMaxDecimalCount)) {
        platform::Log::debug("PriceUpdateDecode: decimal count out of range: " + preview(text));
        return false;
    }
    const double dot = decimals == static_cast<double>(plainDecimals) ? kPowersOfTen[plainDecimals]
                                                                        : std::pow(10.0, decimals);

    update.ItemCode.assign(t.field[0]);
    tickTime(t.field[1], update.Time);
    update.DotPosition = dot;
    // The last field is the decimal count, never the base or a price.
    const std::size_t priceFields = t.count - 1;
    const double base = priceFields > 2 ? fieldNumber(t.field[2]).value_or(0.0) : 0.0;
    double* prices[] = {&update.Last, &update.Bid,  &update.Ask,          &update.High,
                        &update.Low,  &update.Open, &update.PreviousClose};
    for (double* price : prices) *price = 0.0;
    for (std::size_t i = 3; i < 10 && i < priceFields; ++i) {
        std::int64_t plain = 0;
        const bool exact = exactQuotients && plainInteger(t.field[i], plain);
        const std::optional<double> raw = exact ? std::optional<double>(static_cast<double>(plain)) : fieldNumber(t.field[i]);
        double price = 0.0;
        if (raw) {
            const double scaled = exact ? *raw / dot : roundAsPrinted(*raw / dot);
            // "-1.000000" is the marker of a field that is not a number.
            if (scaled != -1.0) price = roundAsPrinted(scaled + base);
            // A sum past the largest double is no price either.
            if (!std::isfinite(price)) price = 0.0;
        }
        *prices[i - 3] = price;
    }
    return true;
}

std::uint32_t PriceFeed::tickPriceFields(std::string_view text) {
    // Without converting a number where every field is empty or a plain
    // integer, the base one too, and the decimal count at most 6: a price is
    // then 0 only when its field is empty, or it and the base are 0. Fields
    // 2 to 9 are only told apart as empty, zero, another plain integer or
    // anything else.
    using namespace tick;
    const Cut t = cut(text);
    const std::size_t count = t.count;
    const FieldKind* const kind = t.kind;
    std::int64_t decimals = 0;
    const std::size_t priceFields = count - 1;
    bool quick = count >= 2 && plainInteger(text.substr(t.lastStart), decimals) && decimals <= kMaxNonZeroDecimals;
    const FieldKind base = kind[2];  // kEmpty when field 2 is the decimal count or missing
    quick = quick && base != kOther;
    std::uint32_t fields = 0;
    for (std::size_t i = 3; quick && i < 10 && i < priceFields; ++i) {
        if (kind[i] == kOther) quick = false;
        else if (kind[i] == kNonZero || (kind[i] == kZero && base == kNonZero)) fields |= 1u << (i - 3);
    }
    if (quick) return fields;

    const std::optional<model::PriceUpdate> update = PriceUpdateDecode(text);
    if (!update) return 0;
    const double prices[] = {update->Last, update->Bid,  update->Ask,          update->High,
                             update->Low,  update->Open, update->PreviousClose};
    fields = 0;
    for (std::size_t i = 0; i < std::size(prices); ++i)
        if (prices[i] != 0) fields |= 1u << i;
    return fields;
}

void PriceFeed::UpdateItemCollection(model::ItemDetails& item, model::PriceUpdate& p) {
    item.ApplySpread(p);
    item.UpdateTime = p.Time;
    // A spread can take a price past the largest double: no price then either.
    if (p.Bid != 0 && std::isfinite(p.Bid)) item.Bid = p.Bid;
    if (p.Ask != 0 && std::isfinite(p.Ask)) item.Ask = p.Ask;
    if (p.Last != 0) item.Last = p.Last;
    if (p.High != 0) item.High = p.High;
    if (p.Low != 0) item.Low = p.Low;
    if (p.Open != 0) item.Open = p.Open;
    if (p.PreviousClose != 0) item.PrevClose = p.PreviousClose;
    item.isPriceUpdateReceived = true;
}

bool PriceFeed::MarketDepthCut(std::string_view text, std::string_view& code, std::string_view& buy,
                               std::string_view& sell) {
    const std::size_t first = text.find(';');
    const std::size_t second = first == std::string_view::npos ? first : text.find(';', first + 1);
    if (second == std::string_view::npos) {
        platform::Log::debug("MarketDepthDecode: depth without buy and sell levels: " + preview(text));
        return false;
    }
    std::size_t third = text.find(';', second + 1);
    if (third == std::string_view::npos) third = text.size();
    code = text.substr(0, first);
    if (code.empty()) {
        platform::Log::debug("MarketDepthDecode: depth without a code");
        return false;
    }
    buy = text.substr(first + 1, second - first - 1);
    sell = text.substr(second + 1, third - second - 1);
    return true;
}

void PriceFeed::splitLevels(std::string_view side, std::vector<std::string>& levels) {
    std::size_t count = 0, start = 0;
    while (start <= side.size()) {
        std::size_t end = side.find('|', start);
        if (end == std::string_view::npos) end = side.size();
        if (end > start) {
            const std::string_view level = side.substr(start, end - start);
            if (count < levels.size()) levels[count].assign(level);
            else levels.emplace_back(level);
            ++count;
        }
        start = end + 1;
    }
    levels.resize(count);
}

std::optional<MarketDepthUpdate> PriceFeed::MarketDepthDecode(std::string_view text) {
    std::string_view code, buy, sell;
    if (!MarketDepthCut(text, code, buy, sell)) return std::nullopt;
    MarketDepthUpdate depth;
    depth.code = std::string(code);
    splitLevels(buy, depth.buy);
    splitLevels(sell, depth.sell);
    return depth;
}

std::optional<std::string> PriceFeed::statusFrame(std::string_view text) {
    const std::size_t first = text.find(';');
    if (first == std::string_view::npos) return std::nullopt;
    const std::size_t second = text.find(';', first + 1);
    std::string_view frame =
        text.substr(first + 1, second == std::string_view::npos ? std::string_view::npos : second - first - 1);
    if (frame.empty()) return std::nullopt;
    return std::string(frame);
}

void PriceFeed::messageCrackerOnInstrumentStatusChange(
    const MessageFields& fields, const std::function<model::ItemDetails*(const std::string&)>& item) {
    const std::optional<std::string> code = fields.text(protocol::tag::ItemCode);
    const std::optional<std::string_view> setting = fields.find(protocol::tag::TradeSessionSettingId);
    if (!code || !setting) return;
    model::ItemDetails* target = item ? item(*code) : nullptr;
    if (!target) return;
    const std::int64_t id = protocol::MessageCracker::integerValue(*setting);
    if (id <= 0) return;
    if (id > INT32_MAX) {
        platform::Log::debug("Instrument status with a session setting out of range: ignored");
        return;
    }
    target->CurrentTradeSessionSettingId = static_cast<std::int32_t>(id);
}

PriceFeed::Values PriceFeed::decode(std::string_view text) {
    try {
        switch (kindOf(text)) {
            case Kind::Depth:
                if (auto depth = MarketDepthDecode(text.substr(kDepthPrefix.size()))) return std::move(*depth);
                break;
            case Kind::Status:
                if (auto frame = statusFrame(text)) return StatusFrame{std::move(*frame)};
                break;
            case Kind::Broadcast:
                break;
            case Kind::Tick:
                if (auto update = PriceUpdateDecode(text)) return std::move(*update);
                break;
        }
    } catch (const std::exception& e) {
        platform::Log::error(std::string("PriceUpdateDecode ") + e.what());
    }
    return std::monostate{};
}

}  // namespace state
