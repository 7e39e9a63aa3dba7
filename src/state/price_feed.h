#pragma once
// The price feed's decoder: each feed text is read by its prefix ("MD_"
// depth, "IS;" status, "*#bm#*:" ignored, anything else a tick) into the
// values it carries; the session applies them.
//
// Ticks: fields cut at 0x04 (code, time, base, last, bid, ask, high, low,
// open, previous close, ..., decimal count last). A scaled field r gives the
// price r / 10^d + base, rounded to six decimals after the division and again
// after the base, as the server's own clients print them. A field that is not
// a number, whose scaled value prints as "-1.000000", or whose sum with the
// base is past the largest double gives 0, and 0 never replaces a price. A
// base that is missing or not a number counts as 0, and only fields before
// the decimal count are prices.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "model/item_details.h"
#include "state/message_fields.h"

namespace state {

// The buy and sell levels of one instrument ("price,quantity" texts).
struct MarketDepthUpdate {
    std::string code;
    std::vector<std::string> buy;
    std::vector<std::string> sell;
};

// The framed message of a status text ("IS;<frame>;...").
struct StatusFrame {
    std::string frame;
};

class PriceFeed {
public:
    enum class Kind { Depth, Status, Broadcast, Tick };
    static constexpr std::string_view kDepthPrefix = "MD_";
    // What one feed text carries: nothing (a broadcast, or a bad text,
    // logged), a tick, depth levels or a status frame.
    using Values = std::variant<std::monostate, model::PriceUpdate, MarketDepthUpdate, StatusFrame>;

    static Kind kindOf(std::string_view text);

    // checkZMQNewMessage: decodes one feed text by its prefix.
    static Values decode(std::string_view text);

    // The prices a tick text carries (Last, Bid, Ask, High, Low, Open,
    // PreviousClose: bits 0 to 6), for the feed reader's conflation; none
    // when it is no tick. Reads no number where the fields are plain
    // integers. Any thread.
    static std::uint32_t tickPriceFields(std::string_view text);
    // PriceUpdateDecode: nullopt (logged) when the text is no tick.
    static std::optional<model::PriceUpdate> PriceUpdateDecode(std::string_view text);
    // The same into `update`, whose strings keep their buffers; false (logged)
    // when the text is no tick.
    static bool PriceUpdateDecode(std::string_view text, model::PriceUpdate& update);
    // UpdateItemCollection: copies a decoded tick into its instrument (spread applied).
    static void UpdateItemCollection(model::ItemDetails& item, model::PriceUpdate& update);
    // MarketDepthDecode of the text after "MD_": nullopt (logged) without two ";".
    static std::optional<MarketDepthUpdate> MarketDepthDecode(std::string_view text);
    // The same cut into the code and the texts of its buy and sell levels;
    // false (logged) when it is no depth.
    static bool MarketDepthCut(std::string_view text, std::string_view& code, std::string_view& buy,
                               std::string_view& sell);
    // The "|"-separated levels of one side into `levels`, whose strings keep their buffers.
    static void splitLevels(std::string_view side, std::vector<std::string>& levels);
    // The framed message of a status text, nullopt when there is none.
    static std::optional<std::string> statusFrame(std::string_view text);
    // messageCrackerOnInstrumentStatusChange: tag 574 > 0 sets the
    // instrument's CurrentTradeSessionSettingId; the instrument is tag 12's.
    static void messageCrackerOnInstrumentStatusChange(
        const MessageFields& fields,
        const std::function<model::ItemDetails*(const std::string& code)>& item);

    // A number rounded to six decimals exactly as "%f" prints it.
    static double roundAsPrinted(double value);
};

}  // namespace state
