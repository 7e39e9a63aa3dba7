#include "shell/core/network_status.h"

#include <array>

#include "model/formatter.h"

namespace shell {

std::optional<NetworkStatus> networkStatusFor(std::int32_t grade) {
    static constexpr std::array<NetworkStatus, 4> kGrades = {{
        {"Network_Speed_Excellent", "network-status-online", "0051"},
        {"Network_Speed_Good", "network-status-online", "0051"},
        {"Network_Speed_Fair", "network-status-away", "0051"},
        {"Network_Speed_Poor", "network-status-offline", "1007"},
    }};
    if (grade < 0 || grade >= static_cast<std::int32_t>(kGrades.size())) return std::nullopt;
    return kGrades[static_cast<std::size_t>(grade)];
}

std::optional<std::string> serverTimeText(const std::string& serverTime, const model::MonthNames& months) {
    if (serverTime.size() != 14 || serverTime == model::Formatter::kNullDate) return std::nullopt;
    for (char c : serverTime)
        if (c < '0' || c > '9') return std::nullopt;
    static const model::DateFormatter wire(model::Formatter::kWireFormat);
    const auto fields = wire.fieldsFromString(serverTime);
    if (!fields) return std::nullopt;
    return model::formatWithMonthNames(*fields, "MMM dd, yyyy HH:mm:ss", months);
}

}  // namespace shell
