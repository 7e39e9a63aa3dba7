#include "funds/core/deposit_rules.h"

#include "funds/core/funds_amount.h"
#include "model/formatter.h"
#include "model/funds_records.h"
#include "model/trade_currency.h"
#include "model/url_encoding.h"
#include "state/ui_services.h"

namespace funds {

std::int64_t validateCurrency(const model::TradeCurrency* account, const model::TradeCurrency* gateway,
                              const model::TradeCurrency* system) {
    if (!account) return kNoAccountCurrency;
    if (!gateway) return kNoGatewayCurrency;
    if (account->currencyID == gateway->currencyID) return kCurrencyValid;
    if (!system) return kNoSystemCurrency;
    if (system->currencyID == gateway->currencyID || system->currencyID == account->currencyID) return kCurrencyValid;
    return kNotConvertible;
}

double currencyConversion(double amount, double price, bool isDirect) {
    if (!isDirect) return amount * price;
    return price == 0 ? amount : amount / price;
}

std::string estimatedDeposit(const std::string& amountText, bool online, const model::TradeCurrency* account,
                             const model::TradeCurrency* gateway, const model::TradeCurrency* system) {
    if (!online || !account || !gateway || account->currencyID == gateway->currencyID || !system) return amountText;
    double converted = 0;
    const auto amount = readAmount(amountText);
    if (system->currencyID == account->currencyID)
        converted = currencyConversion(amount.value_or(0), gateway->depositRate, !gateway->isDirect);
    else if (system->currencyID == gateway->currencyID)
        converted = currencyConversion(amount.value_or(0), account->depositRate, account->isDirect);
    else
        return amountText;
    return amount ? twoPlaces(converted) : std::string();
}

std::vector<std::string> confirmationLines(const model::PayGateTransaction& payment,
                                           const std::function<std::string(const std::string&)>& text) {
    const auto line = [](const std::string& label, const std::string& value) { return label + '\x03' + value; };
    const std::string requested = model::Formatter::formatDateandTimeFromString(payment.requestTime,
                                                                                model::Formatter::kWireFormat,
                                                                                model::Formatter::kDisplayFormat)
                                      .value_or("");
    return {
        line(text("0074"), std::to_string(payment.requestId)),
        line(text("0012"), std::to_string(payment.accountId)),
        line(text("0590"), twoPlaces(payment.payRequestAmount)),
        line(text("0726"), requested),
        line(text("0714"), text("11122")),
        line(text("11121"), payment.payGate ? payment.payGate->name : std::string()),
        line(text("0392"), payment.email),
        line(text("0622"), payment.remarks),
    };
}

std::optional<std::string> paymentAddress(const model::PayGateTransaction& payment) {
    const std::string base = payment.payGate ? payment.payGate->systemWebURL : std::string();
    if (!state::ResourceFiles::isOpenableUrl(base)) return std::nullopt;
    return base + "?p1=" + std::to_string(payment.requestId) + "&p2=" + std::to_string(payment.requestedByUserId) +
           "&p3=" + model::URLEncoding::stringByAddingPercentEncodingForRFC3986(payment.transactionKey);
}

state::Banner depositAnswerBanner(const std::vector<std::string>& lines, const std::string& subtitle,
                                  const std::string& appName) {
    state::Banner banner;
    banner.title = appName;
    banner.subtitle = subtitle;
    for (const std::string& line : lines) {
        const auto split = line.find('\x03');
        if (!banner.informativeText.empty()) banner.informativeText += '\n';
        banner.informativeText +=
            split == std::string::npos ? line : line.substr(0, split) + " : " + line.substr(split + 1);
    }
    banner.dismissDelayTime = -1;  // kept until read
    return banner;
}

}  // namespace funds
