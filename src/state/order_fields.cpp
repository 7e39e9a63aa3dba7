#include "state/order_fields.h"

#include <cmath>
#include <cstdlib>

#include "model/order.h"
#include "model/text_value.h"
#include "state/history_orders.h"
#include "protocol/order_tags.h"

namespace state::OrderFields {
namespace tag = protocol::tag;

namespace wire = tag::wire;
using model::Order;

std::int32_t orderType(std::string_view w) {
    switch (integer(w)) {
        case wire::Market: return Order::kMarket;
        case wire::Limit: return Order::kLimit;
        case wire::Stop: return Order::kStop;
        default: return Order::kOrderTypeNone;
    }
}

std::int32_t timeInForce(std::string_view w) {
    switch (integer(w)) {
        case wire::GTC: return Order::kGTC;
        case wire::GTF: return Order::kGTF;
        case wire::Day: return Order::kDay;
        default: return 0;
    }
}

std::int32_t deliveryMode(std::string_view w) {
    switch (integer(w)) {
        case wire::Regular: return Order::kRegular;
        case wire::Intraday: return Order::kIntraday;
        case wire::BTST: return Order::kBTST;
        default: return 0;
    }
}

std::optional<std::int32_t> side(std::string_view w) {
    switch (integer(w)) {
        case wire::Buy: return Order::kBuy;
        case wire::Sell: return Order::kSell;
        default: return std::nullopt;
    }
}

std::string time(std::string_view w) { return HistoryOrders::dateTime(std::string(w)); }
std::string date(std::string_view w) { return HistoryOrders::date(std::string(w)); }
double number(std::string_view text) { return model::TextValue::doubleValue(text); }
std::int32_t integer(std::string_view text) { return model::TextValue::intValue(text); }

bool isZeroQuantity(const std::optional<std::string>& text) {
    if (!text || text->empty()) return false;
    const char* begin = text->c_str();
    char* end = nullptr;
    const double value = std::strtod(begin, &end);
    if (end == begin) return false;
    while (*end == ' ') ++end;
    return *end == '\0' && value == 0.0;
}

}  // namespace state::OrderFields
