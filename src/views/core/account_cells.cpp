#include "views/core/account_cells.h"

#include <cstdio>

#include "model/account_details.h"
#include "model/formatter.h"
#include "model/trade_currency.h"
#include "views/core/status_words.h"

namespace views {

namespace col = account_column;

const std::vector<std::string>& accountColumnIdentifiers() {
    static const std::vector<std::string> ids = {col::kId,       col::kName,       col::kStatus,     col::kBalance,
                                                 col::kProfitLoss, col::kLeverage, col::kStorage,    col::kEquity,
                                                 col::kUsedMargin, col::kAvailableMargin, col::kType, col::kAccess,
                                                 col::kCurrency};
    return ids;
}

namespace {

const double* moneyOf(const std::string& id, const model::AccountDetails& a) {
    if (id == col::kBalance) return &a.Balance;
    if (id == col::kProfitLoss) return &a.UnrealisedPL;
    if (id == col::kLeverage) return &a.Leverage;
    if (id == col::kStorage) return &a.AccumulatingStorage;
    if (id == col::kEquity) return &a.Equity;
    if (id == col::kUsedMargin) return &a.UsedMargin;
    if (id == col::kAvailableMargin) return &a.AvailableMargin;
    return nullptr;
}

}  // namespace

bool isMoneyAccountColumn(const std::string& identifier) {
    static const model::AccountDetails none;
    return moneyOf(identifier, none) != nullptr;
}

std::string accountMoneyText(double value) {
    char fixed[64];
    std::snprintf(fixed, sizeof fixed, "%.2f", value);
    return model::Formatter::formatDecimalWithString(fixed).value_or(fixed);
}

std::string accountCellText(const std::string& identifier, const model::AccountDetails& account,
                            const std::function<std::string(const std::string&)>& text) {
    if (const double* money = moneyOf(identifier, account)) return accountMoneyText(*money);
    if (identifier == col::kId) return std::to_string(account.AccountId);
    if (identifier == col::kName) return account.AccountName;
    if (identifier == col::kStatus)
        return statusWordText(accountStatusKey(account.tradingStatus), text);
    if (identifier == col::kType) return statusWordText(accountTypeKey(account.tradeAccountType), text);
    if (identifier == col::kAccess) return statusWordText(accountAccessKey(account.accountaccessType), text);
    if (identifier == col::kCurrency) return account.tradeCurrency ? account.tradeCurrency->currencyCode : std::string();
    return {};
}

std::optional<model::RGBAColor> accountFigureColor(const std::string& identifier, const model::AccountDetails& account) {
    if (identifier != col::kProfitLoss && identifier != col::kLeverage && identifier != col::kEquity &&
        identifier != col::kAvailableMargin)
        return std::nullopt;
    return *moneyOf(identifier, account) >= 0 ? model::RGBAColor{0, 0.6, 0, 1} : model::RGBAColor{0.6, 0, 0, 1};
}

AccountStatusStyle accountStatusStyle(const model::AccountDetails& account) {
    if (account.tradingStatus == model::AccountDetails::kStatusEquityHit) return {true, 13};
    return {};
}

AccountButtons accountButtons(const std::vector<std::shared_ptr<model::AccountDetails>>& accounts) {
    AccountButtons shown;
    for (const auto& account : accounts) {
        if (!account) continue;
        shown.deposit = shown.deposit || (account->accountSettings & 0x10) != 0;
        shown.withdrawal = shown.withdrawal || (account->accountSettings & 0x20) != 0;
    }
    return shown;
}

}  // namespace views
