#include "state/history_orders.h"

#include <algorithm>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string_view>

#include "model/formatter.h"

namespace state::HistoryOrders {

namespace {
// The patterns are read once, not per row of an answer.
std::string reformat(const std::string& wire, const model::DateFormatter& destination) {
    static const model::DateFormatter source(model::Formatter::kWireFormat);
    return model::Formatter::formatDateandTimeFromString(wire, source, destination).value_or(std::string());
}

std::string twoDecimals(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.2f", value);
    return buffer;
}
}  // namespace

// "%f" without going through printf: to_chars writes the same digits, and the
// locale's decimal point is put in as printf would.
std::string sixDecimals(double value) {
    char buffer[400];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
    if (error != std::errc()) {
        std::snprintf(buffer, sizeof buffer, "%f", value);
        return buffer;
    }
    std::string text(buffer, end);
    const std::string_view point = std::localeconv()->decimal_point;
    if (point != ".") {
        const std::size_t at = text.find('.');
        if (at != std::string::npos) text.replace(at, 1, point);
    }
    return text;
}

namespace {
// "yyyyMMddHHmmss": its length and where each field starts.
constexpr std::size_t kWireLength = 14;
constexpr std::size_t kYear = 0, kMonth = 4, kDay = 6, kHour = 8, kMinute = 10, kSecond = 12, kTwo = 2;
constexpr int kMonths = 12, kDaysOfEveryMonth = 28, kLastHour = 23, kLastMinuteOrSecond = 59;
constexpr std::size_t kShownDateTimeLength = 19;  // "MM/dd/yyyy HH:mm:ss"

int twoDigits(std::string_view text, std::size_t at) { return (text[at] - '0') * 10 + (text[at + 1] - '0'); }

// A wire time of digits whose fields every month and year hold (the rows'
// common case), cut into "MM/dd/yyyy" and " HH:mm:ss" as the formatters print
// them; nothing for any other text, which the formatters read.
std::optional<std::string> plainWireTime(std::string_view wire, bool withTime) {
    if (wire.size() != kWireLength || wire[0] == '0' || wire == model::Formatter::kNullDate ||
        !std::all_of(wire.begin(), wire.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const int month = twoDigits(wire, kMonth), day = twoDigits(wire, kDay);
    if (month < 1 || month > kMonths || day < 1 || day > kDaysOfEveryMonth || twoDigits(wire, kHour) > kLastHour ||
        twoDigits(wire, kMinute) > kLastMinuteOrSecond || twoDigits(wire, kSecond) > kLastMinuteOrSecond)
        return std::nullopt;
    std::string text;
    if (withTime) text.reserve(kShownDateTimeLength);  // the date alone fits in place
    text.append(wire.substr(kMonth, kTwo)).append(1, '/').append(wire.substr(kDay, kTwo)).append(1, '/');
    text.append(wire.substr(kYear, kMonth - kYear));
    if (withTime) {
        text.append(1, ' ').append(wire.substr(kHour, kTwo)).append(1, ':').append(wire.substr(kMinute, kTwo));
        text.append(1, ':').append(wire.substr(kSecond, kTwo));
    }
    return text;
}
}  // namespace

std::string dateTime(const std::string& wire) {
    static const model::DateFormatter display(model::Formatter::kDisplayFormat);
    if (std::optional<std::string> plain = plainWireTime(wire, true)) return std::move(*plain);
    return reformat(wire, display);
}
std::string date(const std::string& wire) {
    static const model::DateFormatter day(model::Formatter::kDateFormat);
    if (std::optional<std::string> plain = plainWireTime(wire, false)) return std::move(*plain);
    return reformat(wire, day);
}

double commission(double initialQty, double remainingQty, double paid) {
    if (initialQty == 0) return 0;
    const double value = paid / initialQty * remainingQty;
    return std::isfinite(value) ? value : 0;
}

std::shared_ptr<model::Order> openOrder(const model::OpenOrderHD& row, const ItemCodeOf& itemCode,
                                        model::TextPool& repeated) {
    auto o = std::make_shared<model::Order>();
    o->OpenPositionId = row.PositionId;
    o->AccountNumber = row.AccountId;
    o->ItemCode = itemCode(row.InstrumentId);
    o->tradingMode = side(row.IsBuy);
    o->ExecutionId = row.OrderExecutionId;
    o->PendingOrderId = row.RefPendingOrderId;
    o->OrderQty = repeated(sixDecimals(row.PositionInitialQty));
    o->RemainingQty = repeated(sixDecimals(row.PositionQty));
    o->OrderPrice = sixDecimals(row.OrderPrice);
    o->Commision = commission(row.PositionInitialQty, row.PositionQty, row.CommisionPaid);
    o->TransactionDateTime = dateTime(row.PositionDate);
    o->CommisionPaid = row.CommisionPaid;
    o->UnrealisedPL = row.UnrealisedPL;
    o->FloatingPL = row.UnrealisedPL;
    o->OrderRouteId = row.RoutePositionId;
    o->deliveryMode = row.DeliveryMode;
    o->orderType = row.OrderTypeId;
    o->Storage = row.Storage;
    o->ValueDate = repeated(date(row.ValueDate));
    o->ExpiryDate = repeated(date(row.ExpiryDate));
    o->BaseCurrencyRate = row.BaseCurrencyRate;
    return o;
}

std::shared_ptr<model::Order> pendingOrder(const model::PendingOrderHD& row, const ItemCodeOf& itemCode,
                                           model::TextPool& repeated) {
    auto o = std::make_shared<model::Order>();
    o->PendingOrderId = row.PendingOrderId;
    o->setTicketId(row.RefTicketId);
    o->AccountNumber = row.AccountId;
    o->ItemCode = itemCode(row.InstrumentId);
    o->tradingMode = side(row.IsBuy);
    o->orderType = row.OrderTypeId;
    o->OrderQty = repeated(sixDecimals(row.OrderQty));
    o->RemainingQty = repeated(sixDecimals(row.RemainingQty));
    o->OrderPrice = sixDecimals(row.OrderPrice);
    // No price reads as none.
    if (row.LimitPrice != 0) o->LimitPrice = sixDecimals(row.LimitPrice);
    if (row.StopPrice != 0) o->StopPrice = sixDecimals(row.StopPrice);
    o->deliveryMode = row.DeliveryModeId;
    o->timeinForce = row.TimeInForceId;
    o->ExpiryDate = repeated(row.ExpiryDateTime);
    o->setSpread(row.Spread);
    o->OrderRouteId = row.RoutePendingOrderId;
    o->TransactionDateTime = dateTime(row.OrderAtServerDateTime);
    o->setRefPositionIdOfBracket(row.RefPositionIdOfBracket);
    return o;
}

std::shared_ptr<model::Order> settledOrder(const model::SettledOrderHD& row, const ItemCodeOf& itemCode,
                                           model::TextPool& repeated) {
    auto o = std::make_shared<model::Order>();
    o->setSettlementId(row.SettlementId);
    o->AccountNumber = row.AccountId;
    o->ItemCode = itemCode(row.InstrumentId);
    o->OpenPositionId = row.RefPositionId;
    o->setClosingPositionId(row.RefClosingPositionId);
    o->setSettledQty(repeated(sixDecimals(row.SettledQty)));
    o->setSettledPL(twoDecimals(row.SettledPL));
    o->TransactionDateTime = dateTime(row.SettlementDate);
    o->setCurrencyRate(row.CurrencyRate);
    o->Storage = row.Storage;
    o->Commision = row.CommisionPaid;
    o->setOtherCharges(row.OtherCharges);
    o->tradingMode = side(row.IsBuy);
    o->OrderPrice = row.OpenPrice;
    o->setSettledPrice(row.ClosePrice);
    o->setItemTime(dateTime(row.OpenPositionDate));
    o->deliveryMode = row.DeliveryModeId;
    o->setAccountCurrencyRate(row.accountCurrencyRate);
    return o;
}

std::shared_ptr<model::Order> cancelledOrder(const model::CancelledOrderHD& row, const ItemCodeOf& itemCode) {
    auto o = std::make_shared<model::Order>();
    o->setCancelledOrderId(row.CancelledOrderId);
    o->OrderQty = sixDecimals(row.CancelledQty);
    o->setTicketId(row.RefTicketId);
    o->PendingOrderId = row.RefPendingOrderId;
    o->ItemCode = itemCode(row.InstrumentId);
    o->AccountNumber = row.AccountId;
    o->TransactionDateTime = dateTime(row.CancelDateTime);
    o->tradingMode = side(row.IsBuy);
    o->deliveryMode = row.DeliveryMode;
    o->orderType = row.OrderTypeId;
    o->OrderPrice = sixDecimals(row.OrderPrice);
    return o;
}

}  // namespace state::HistoryOrders
