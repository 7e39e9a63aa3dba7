#include "views/core/receipt_rows.h"

#include "model/account_details.h"
#include "model/decimal.h"
#include "model/formatter.h"
#include "model/funds_records.h"
#include "model/item_details.h"
#include "model/order.h"
#include "model/text_value.h"

namespace views {

std::string amountWithWords(const std::string& amount) {
    return amount + " (" + model::Formatter::spelloutFromString(amount) + ")";
}

std::string totalCostText(double quantity, double contractSize, double price) {
    return decimalText(quantity * contractSize * price);
}

std::string marginAmountText(double rate, const std::string& quantity) {
    const model::Decimal margin =
        (model::Decimal::fromDouble(rate) * model::Decimal::parse(quantity)).rounded(0, model::RoundingMode::Plain);
    return margin.isNaN() ? "0" : margin.toString();
}

DetailRows receiptRows(const ReceiptSource& s, const KeyText& text) {
    static const model::Order noPosition;
    static const model::AccountDetails noAccount;
    const model::Order& position = s.position ? *s.position : noPosition;
    const model::AccountDetails& account = s.account ? *s.account : noAccount;
    const std::string bankName = s.bank ? s.bank->BankName : "";
    const std::string bankNumber = s.bank && s.bank->BankAccountNumber != 0 ? std::to_string(s.bank->BankAccountNumber) : "";
    const model::Decimal quantity = model::Decimal::parse(position.OrderQty);
    const double price = model::TextValue::doubleValue(position.OrderPrice);
    const double orderQty = model::TextValue::doubleValue(position.OrderQty);
    const double contractSize = s.item ? s.item->ContractSize : 0;
    const std::optional<double> rate = s.position && s.item ? position.GetMarginForSingleLot(s.conditions, *s.item)
                                                            : std::nullopt;
    return {{text("0380"), std::to_string(account.AccountId)},
            {text("0239"), account.AccountName},
            {text("0624"), bankName},
            {text("90788"), bankNumber},
            {text("0317"), position.OpenPositionId},
            {text("0125"), position.ItemCode},
            {text("0340"), model::Order::GetTradingModeString(position.tradingMode, false)},
            {text("0027"), quantity.isNaN() ? "" : quantity.toString()},
            {text("0232"), priceText(price, s.item)},
            {text("90789"), amountWithWords(totalCostText(orderQty, contractSize, price))},
            {text("0274"), amountWithWords(marginAmountText(rate.value_or(0), position.OrderQty))},
            {text("0137"), position.TransactionDateTime},
            {text("90790"), position.ValueDate},
            {text("0483"), position.ExpiryDate}};
}

}  // namespace views
