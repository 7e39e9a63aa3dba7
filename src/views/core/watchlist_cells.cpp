#include "views/core/watchlist_cells.h"

#include <cmath>
#include <cstdio>
#include <unordered_map>

#include "model/formatter.h"
#include "model/item_details.h"
#include "state/session_view.h"
#include "views/core/status_words.h"

namespace views {

namespace {

namespace col = watchlist_column;

using CellText = std::string (*)(const model::ItemDetails&, const state::SessionView&);

std::string price(double value, const model::ItemDetails& item) {
    return model::Formatter::formatDecimal(value, item.DecimalPlaces);
}

std::string sessionName(const model::ItemDetails& item, const state::SessionView& state) {
    const auto setting = state.sessionSetting(std::to_string(item.CurrentTradeSessionSettingId));
    return setting ? setting->settingsName : std::string();
}

const std::unordered_map<std::string, CellText>& cellTexts() {
    static const std::unordered_map<std::string, CellText> table = {
        {col::kCode, [](const model::ItemDetails& i, const state::SessionView&) { return i.Code.str(); }},
        {col::kName, [](const model::ItemDetails& i, const state::SessionView&) { return i.Name.str(); }},
        {col::kTypeName,
         [](const model::ItemDetails& i, const state::SessionView& s) {
             return s.getInstrumentTypeName(i.InstrumentTypeId).value_or("");
         }},
        {col::kSpread,
         [](const model::ItemDetails& i, const state::SessionView&) { return spreadText(i.Ask, i.Bid, i.priceTick); }},
        {col::kOpen, [](const model::ItemDetails& i, const state::SessionView&) { return price(i.Open, i); }},
        {col::kHigh, [](const model::ItemDetails& i, const state::SessionView&) { return price(i.High, i); }},
        {col::kLow, [](const model::ItemDetails& i, const state::SessionView&) { return price(i.Low, i); }},
        {col::kPrevClose, [](const model::ItemDetails& i, const state::SessionView&) { return price(i.PrevClose, i); }},
        {col::kLast, [](const model::ItemDetails& i, const state::SessionView&) { return price(i.Last, i); }},
        {col::kTime,
         [](const model::ItemDetails& i, const state::SessionView&) {
             static const model::DateFormatter display(model::Formatter::kDisplayFormat);
             static const model::DateFormatter time(model::Formatter::kTimeFormat);
             return model::Formatter::formatDateandTimeFromString(i.UpdateTime, display, time).value_or("");
         }},
        {col::kSession, sessionName},
        {col::kStatus,
         [](const model::ItemDetails& i, const state::SessionView& s) {
             return statusWordText(instrumentTradingStatusKey(i.instrumentTradingStatus),
                                   [&s](const std::string& key) { return s.text(key); });
         }},
    };
    return table;
}

}  // namespace

const std::vector<std::string>& watchlistColumnIdentifiers() {
    static const std::vector<std::string> ids = {col::kIcon,   col::kCode, col::kName,      col::kTypeName, col::kBid,
                                                 col::kAsk,    col::kSpread, col::kOpen,    col::kHigh,     col::kLow,
                                                 col::kPrevClose, col::kLast, col::kTime,   col::kSession,  col::kStatus};
    return ids;
}

bool isNumericWatchlistColumn(const std::string& id) {
    return id == col::kSpread || id == col::kOpen || id == col::kHigh || id == col::kLow || id == col::kPrevClose ||
           id == col::kLast || id == col::kBid || id == col::kAsk;
}

std::string shortestDecimalText(const std::string& fixed) {
    std::string text = fixed;
    if (text.find('.') != std::string::npos) {
        while (!text.empty() && text.back() == '0') text.pop_back();
        if (!text.empty() && text.back() == '.') text.pop_back();
    }
    if (text == "-0" || text.empty()) return "0";
    return text;
}

std::string spreadText(double ask, double bid, double priceTick) {
    if (priceTick == 0) return "0";
    const double ticks = (ask - bid) / priceTick;
    if (!std::isfinite(ticks)) return "";
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, "%f", ticks);
    return shortestDecimalText(buffer);
}

std::string watchlistCellText(const std::string& identifier, const model::ItemDetails* item,
                              const state::SessionView& state) {
    if (!item) return "";
    const auto& table = cellTexts();
    const auto it = table.find(identifier);
    return it == table.end() ? std::string() : it->second(*item, state);
}

}  // namespace views
