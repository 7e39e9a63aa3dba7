#pragma once
// The six rows of the main window's account strip: label key and value text.
#include <array>
#include <cstdint>
#include <string>

namespace model {
class AccountDetails;
}

namespace shell {

struct AccountStripRow {
    const char* labelKey;
    std::string value;  // ": " and the figure
};

using AccountStrip = std::array<AccountStripRow, 6>;

// Without an account: account 0 and 0.00 figures.
AccountStrip accountStripRows(const model::AccountDetails* account);

// ": " and the amount as "%.2f", grouped with at least two fraction digits.
std::string stripAmount(double amount);

}  // namespace shell
