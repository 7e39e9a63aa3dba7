#pragma once
// Lines of the session journal: "<time>#$#<text>". A builder with nothing to
// report returns the empty string, which callers do not append.
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>
#include <string>

#include "model/order.h"
#include "platform/clock.h"

namespace state {

// What the builders read besides their arguments.
struct JournalContext {
    // Language text of a key in the selected language.
    std::function<std::string(const std::string& key)> text;
    std::string ipAddress;
    std::uint32_t portNo = 0;
    std::string userName;
    // The server clock as "yyyyMMddHHmmss"; empty before the first ping answer.
    std::string serverTime;
    platform::WallTime now{};
};

class JournalData {
public:
    static constexpr const char* kSeparator = "#$#";
    using Text = std::function<std::string(const std::string& key)>;

    // Kinds 0 (connected), 1 (login data), 2 (login accepted).
    static std::string getLoginJournalData(std::int32_t kind, const JournalContext& ctx);
    // Kinds 3 (order sent), 4 (pending stored), 6 (position opened), 7 (settled), 8 (rejected).
    static std::string getOrderJournalData(std::int32_t kind, const model::Order& order, const JournalContext& ctx);
    // A pay-gate transaction answer: a line for an error or status 4, and for status 3.
    static std::string getPaymentTransactionJournalData(std::int64_t error, std::uint64_t requestId,
                                                        std::int64_t transStatus,
                                                        const std::optional<std::string>& payTransactionId,
                                                        const JournalContext& ctx);

    // "MMM dd, yyyy HH:mm:ss" of a wall time in GMT. The month and the half of the day
    // are the language's words (`text`); without a table the month reads in English.
    static std::string formatGmt(platform::WallTime time, const Text& text = {});
    // "yyyyMMddHHmmss" re-written as "MMM dd, yyyy HH:mm:ss" (or, with twelveHour,
    // "MMM dd, yyyy hh:mm:ss a"); nullopt when it does not parse.
    static std::optional<std::string> rewriteWireTime(const std::string& wire, bool twelveHour,
                                                      const Text& text = {});
    // Fills "{0}".."{9}" in order; a missing value is written "(null)".
    static std::string fill(const std::string& text, const std::vector<std::optional<std::string>>& values);
};

}  // namespace state
