#pragma once
// The deposit form's rules: the currency check, the conversion, the estimated
// deposit of an online payment, and what a gateway's answer shows and opens.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace model {
class TradeCurrency;
class PayGateTransaction;
}  // namespace model

namespace state {
struct Banner;
}

namespace funds {

// Failure codes of validateCurrency; kCurrencyValid when the gateway's currency
// reaches the account's, directly or through the system currency.
inline constexpr std::int64_t kCurrencyValid = 0;
inline constexpr std::int64_t kNoSystemCurrency = 10000;
inline constexpr std::int64_t kNoAccountCurrency = 10001;
inline constexpr std::int64_t kNoGatewayCurrency = 10002;
inline constexpr std::int64_t kNotConvertible = 10003;

std::int64_t validateCurrency(const model::TradeCurrency* account, const model::TradeCurrency* gateway,
                              const model::TradeCurrency* system);

// Direct: amount / price (a price of 0 leaves the amount); else amount * price.
double currencyConversion(double amount, double price, bool isDirect);

// The estimated deposit field's text for the amount text: the text itself when
// no conversion applies, else "%.2f" of the converted amount ("" when the
// amount does not read).
std::string estimatedDeposit(const std::string& amountText, bool online, const model::TradeCurrency* account,
                             const model::TradeCurrency* gateway, const model::TradeCurrency* system);

// The eight "label<0x03>value" lines that confirm an online payment.
std::vector<std::string> confirmationLines(const model::PayGateTransaction& payment,
                                           const std::function<std::string(const std::string&)>& text);

// A banner for an approval answer no deposit window takes: titled with the
// application and the window's title, one "label : value" line per detail line.
state::Banner depositAnswerBanner(const std::vector<std::string>& lines, const std::string& subtitle,
                                  const std::string& appName);

// "<systemWebURL>?p1=<requestId>&p2=<requestedByUserId>&p3=<key, percent-encoded>";
// nothing when the address is not http or https.
std::optional<std::string> paymentAddress(const model::PayGateTransaction& payment);

}  // namespace funds
