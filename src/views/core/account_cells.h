#pragma once
// The accounts table's columns, the text and colour of each cell, and which
// request buttons the accounts allow. The figures are those the last
// recomputation left in the records; nothing is recomputed per cell.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/rgba_color.h"

namespace model {
class AccountDetails;
}

namespace views {

namespace account_column {
inline constexpr const char* kId = "0012";
inline constexpr const char* kName = "0239";
inline constexpr const char* kStatus = "0144";
inline constexpr const char* kBalance = "0013";
inline constexpr const char* kProfitLoss = "0139";
inline constexpr const char* kLeverage = "0438";
inline constexpr const char* kStorage = "0432";
inline constexpr const char* kEquity = "0222";
inline constexpr const char* kUsedMargin = "0015";
inline constexpr const char* kAvailableMargin = "0014";
inline constexpr const char* kType = "0240";
inline constexpr const char* kAccess = "0492";
inline constexpr const char* kCurrency = "0697";
}  // namespace account_column

// The 13 columns in table order.
const std::vector<std::string>& accountColumnIdentifiers();
bool isMoneyAccountColumn(const std::string& identifier);

// "%.2f", then grouped with two or three decimals ("1,234.50").
std::string accountMoneyText(double value);
// The cell's text; "" for an unknown identifier. Status, type and access in the
// language of `text` (a key's text); English without it.
std::string accountCellText(const std::string& identifier, const model::AccountDetails& account,
                            const std::function<std::string(const std::string&)>& text = {});

// Profit and loss, leverage, equity and available margin: green (0, 0.6, 0)
// from 0 up, dark red (0.6, 0, 0) below; other columns none.
std::optional<model::RGBAColor> accountFigureColor(const std::string& identifier, const model::AccountDetails& account);

// The status cell: red, bold, 13 points in Equity Hit; else 12 points.
struct AccountStatusStyle {
    bool alarm = false;
    int pointSize = 12;
};
AccountStatusStyle accountStatusStyle(const model::AccountDetails& account);

// One account allowing deposits (0x10) or withdrawals (0x20) shows that button.
struct AccountButtons {
    bool deposit = false;
    bool withdrawal = false;
};
AccountButtons accountButtons(const std::vector<std::shared_ptr<model::AccountDetails>>& accounts);

}  // namespace views
