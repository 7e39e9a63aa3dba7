#pragma once
// The delivery receipt's fourteen rows of one position: its account and bank
// account, the position, the total cost and the margin with their words, and
// the dates.
#include <string>

#include "views/core/detail_rows.h"

namespace model {
class AccountDetails;
class BankDetails;
class GroupInstruments;
class ItemDetails;
class Order;
}  // namespace model

namespace views {

inline constexpr int kReceiptRowCount = 14;

// What the receipt reads; a missing record leaves its values zero or empty.
struct ReceiptSource {
    const model::Order* position = nullptr;
    const model::ItemDetails* item = nullptr;
    const model::AccountDetails* account = nullptr;  // the position's own
    const model::GroupInstruments* conditions = nullptr;
    const model::BankDetails* bank = nullptr;  // only the answer to this receipt's request
};

// "amount (words)": the words name the whole part of the amount.
std::string amountWithWords(const std::string& amount);
// Quantity × contract size × price in double, "%f" in its shortest form.
std::string totalCostText(double quantity, double contractSize, double price);
// Rate × quantity rounded half away from zero to a whole number.
std::string marginAmountText(double rate, const std::string& quantity);

DetailRows receiptRows(const ReceiptSource& source, const KeyText& text);

}  // namespace views
