#pragma once
// Requests built in the session's shared outgoing message on the main thread:
// the type, the data-service kind, the request's own tags and the common
// header. A request that cannot be filled or built sends nothing (logged).
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "model/formatter.h"
#include "protocol/msg_type.h"

namespace state {

class SessionServices;
class ReferenceData;

using RequestTags = std::vector<std::pair<std::int64_t, std::string>>;

// A value a request cannot be filled without.
struct MissingValue {
    const char* what;
};

// Data-service kinds: each selects the builder of its tag layout.
namespace dskind {
inline constexpr std::int32_t Plain = 0;
inline constexpr std::int32_t EquityHit = 1;
inline constexpr std::int32_t FinancialTransactions = 2;
inline constexpr std::int32_t AccountStatement = 3;
inline constexpr std::int32_t BankDetails = 4;
inline constexpr std::int32_t ExecutedPositions = 5;
inline constexpr std::int32_t Instruments = 6;
inline constexpr std::int32_t SessionSchedule = 7;
inline constexpr std::int32_t UserMap = 8;
inline constexpr std::int32_t EditUserAccess = 9;
inline constexpr std::int32_t CancelledOrderHistory = 10;
inline constexpr std::int32_t ResourceSearch = 11;
inline constexpr std::int32_t ResourceDownload = 12;
inline constexpr std::int32_t PayGateSettings = 13;
}  // namespace dskind

// The packed form of a date a request needs; throws MissingValue without one.
std::string packedDate(const std::optional<model::Date>& date, const char* what);
const std::string& required(const std::optional<std::string>& text, const char* what);

void sendRequest(SessionServices& services, protocol::MsgType type, std::optional<std::int32_t> dsKind,
                 const RequestTags& tags, const char* what);

// One data-service request (1023) of the user; `fill` gives the request's own
// tags and throws MissingValue when it cannot.
template <typename Fill>
void sendDataServiceRequest(SessionServices& services, const ReferenceData& reference, std::int32_t dsKind,
                            const char* name, Fill&& fill);
void sendDataServiceRequest(SessionServices& services, const ReferenceData& reference, std::int32_t dsKind,
                            const char* name);

// Not a template at heart: the tags are produced first, the rest is shared.
void sendDataServiceTags(SessionServices& services, const ReferenceData& reference, std::int32_t dsKind,
                         const char* name, RequestTags own);
void logMissing(const char* name, const MissingValue& missing);
// Logs the request as not sent when the session has no user record.
bool hasUser(const ReferenceData& reference, const char* name);

template <typename Fill>
void sendDataServiceRequest(SessionServices& services, const ReferenceData& reference, std::int32_t dsKind,
                            const char* name, Fill&& fill) {
    if (!hasUser(reference, name)) return;
    RequestTags own;
    try {
        own = fill();
    } catch (const MissingValue& missing) {
        logMissing(name, missing);
        return;
    }
    sendDataServiceTags(services, reference, dsKind, name, std::move(own));
}

}  // namespace state
