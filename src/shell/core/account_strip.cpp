#include "shell/core/account_strip.h"

#include <cmath>
#include <cstdio>

#include "model/account_details.h"
#include "model/formatter.h"

namespace shell {

namespace {
constexpr const char* kPrefix = ": ";
}

std::string stripAmount(double amount) {
    // Nothing that would print as "-0.00" or "nan".
    if (!std::isfinite(amount) || std::fabs(amount) < 0.005) amount = 0.0;
    char fixed[64];
    std::snprintf(fixed, sizeof fixed, "%.2f", amount);
    const auto grouped = model::Formatter::formatDecimalWithString(fixed);
    return kPrefix + grouped.value_or(fixed);
}

AccountStrip accountStripRows(const model::AccountDetails* account) {
    const auto figure = [account](double model::AccountDetails::*field) {
        return stripAmount(account ? account->*field : 0.0);
    };
    return {{
        {"0012", kPrefix + std::to_string(account ? account->AccountId : 0)},
        {"0222", figure(&model::AccountDetails::Equity)},
        {"0013", figure(&model::AccountDetails::Balance)},
        {"0319", figure(&model::AccountDetails::UnrealisedPL)},
        {"0015", figure(&model::AccountDetails::UsedMargin)},
        {"10966", figure(&model::AccountDetails::AvailableMargin)},
    }};
}

}  // namespace shell
