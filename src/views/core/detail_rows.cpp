#include "views/core/detail_rows.h"

#include <cmath>
#include <cstdio>

#include "kit/core/label_value_rows.h"
#include "model/decimal.h"
#include "model/formatter.h"
#include "model/group_instruments.h"
#include "model/item_details.h"

namespace views {

namespace {

std::string printed(const char* format, double number) {
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, format, number);
    return buffer;
}

std::string whole(std::int64_t number) { return std::to_string(number); }

constexpr const char* kExchangeKey = "90787";

// A stored date, "-" when none; nullopt when it is the null date and its row goes.
std::optional<std::string> storedDate(const std::string& stored) {
    if (stored.empty()) return std::string("-");
    const auto packed = model::Formatter::formatDateandTimeFromString(stored, "MM/dd/yyyy HH:mm:ss", "yyyyMMddHHmmss");
    if (packed && *packed == model::Formatter::kNullDate) return std::nullopt;
    return stored;
}

DetailRows instrumentDetails(const InstrumentSource& s) {
    static const model::ItemDetails noItem;
    static const model::GroupInstruments noConditions;
    const model::ItemDetails& item = s.item ? *s.item : noItem;
    const model::GroupInstruments& c = s.conditions ? *s.conditions : noConditions;
    DetailRows rows{{"0011", item.Code},
                    {"0199", item.InstrumentTypeName},
                    {"0021", item.Name},
                    {"0791", priceText(item.TickSize, s.item)},
                    {"0023", printed("%.0f", item.ContractSize)}};
    if (auto fnd = storedDate(item.FND)) rows.push_back({"0762", *fnd});
    if (auto ltd = storedDate(item.LTD)) rows.push_back({"0763", *ltd});
    rows.insert(rows.end(), {{"0732", printed("%.0f", c.BuyInterestRate)},
                             {"0733", printed("%.0f", c.SellInterestRate)},
                             {"0756", whole(c.LimitMinPips)},
                             {"0757", whole(c.StopMinPips)},
                             {"0274", marginText(c.InitialMargin, s.conditions)}});
    if (c.IntradayOrderMargin != 0) rows.push_back({"0419", marginText(c.IntradayOrderMargin, s.conditions)});
    if (c.BTSTOrderMargin != 0) rows.push_back({"0420", marginText(c.BTSTOrderMargin, s.conditions)});
    rows.push_back({"0759", marginText(c.OverNightMargin, s.conditions)});
    return rows;
}

// The pane rows, keyed labels first as keys.
DetailRows paneRows(int type, const InstrumentSource& s) {
    static const model::ItemDetails noItem;
    static const model::GroupInstruments noConditions;
    const model::ItemDetails& item = s.item ? *s.item : noItem;
    const model::GroupInstruments& c = s.conditions ? *s.conditions : noConditions;
    switch (type) {
    case detail_type::kSymbol: return {{"0021", item.Name}, {kExchangeKey, item.exchangeName}};
    case detail_type::kContract:
        return {{"0023", printed("%.2f", item.ContractSize)},
                {"0791", priceText(item.priceTick, s.item)},
                {"0750", model::ItemDetails::getUnits(static_cast<std::uint64_t>(item.UnitId))},
                {"0751", whole(item.DecimalPlaces)},
                {"0753", decimalText(c.MinOrderQty)},
                {"0754", decimalText(c.MaxOrderQty)},
                {"0755", decimalText(c.OrderQtyStep)},
                {"0756", whole(c.LimitMinPips)},
                {"0757", whole(c.StopMinPips)}};
    case detail_type::kMargin: {
        DetailRows rows{{"0274", marginText(c.InitialMargin, s.conditions)},
                        {"0759", marginText(c.OverNightMargin, s.conditions)}};
        if (c.IntradayOrderMargin != 0) rows.push_back({"0419", marginText(c.IntradayOrderMargin, s.conditions)});
        if (c.BTSTOrderMargin != 0) rows.push_back({"0420", marginText(c.BTSTOrderMargin, s.conditions)});
        return rows;
    }
    case detail_type::kPriceLimits:
        return {{"0760", priceText(s.limitUp, s.item)}, {"0761", priceText(s.limitDown, s.item)}};
    case detail_type::kStorage:
        return {{"0732", printed("%.0f", c.BuyInterestRate)}, {"0733", printed("%.0f", c.SellInterestRate)}};
    case detail_type::kDates: return {{"0762", item.FND}, {"0763", item.LTD}};
    default: return {};
    }
}

}  // namespace

std::string decimalText(double number) {
    if (!std::isfinite(number)) return "0";
    const model::Decimal exact = model::Decimal::parse(printed("%f", number));
    return exact.isNaN() ? std::string() : exact.toString();
}

std::string marginText(double rate, const model::GroupInstruments* conditions) {
    return decimalText(rate) + (conditions && conditions->margincalculationMode == 2 ? "%" : "");
}

std::string priceText(double number, const model::ItemDetails* item) {
    return model::Formatter::formatDecimal(number, item ? item->DecimalPlaces : 0);
}

DetailRows instrumentRows(int type, const InstrumentSource& source, const KeyText& text) {
    DetailRows rows = type == detail_type::kInstrument ? instrumentDetails(source) : paneRows(type, source);
    for (DetailRow& row : rows) row.label = text(row.label);
    return rows;
}

DetailRows sessionRows(const state::WeekSchedule& schedule, const std::function<std::string(std::uint64_t)>& dayName) {
    DetailRows rows;
    for (const auto& [day, lines] : schedule) {
        std::string joined;
        for (std::size_t i = 0; i < lines.size(); ++i) joined += (i ? "\n" : "") + lines[i];
        rows.push_back({dayName(day), joined});
    }
    return rows;
}

DetailRows answerLineRows(const std::vector<std::string>& lines) {
    DetailRows rows;
    for (kit::LabelValueRow& row : kit::labelValueRows(lines)) rows.push_back({std::move(row.label), std::move(row.value)});
    return rows;
}

}  // namespace views
