#pragma once
// Answers of the request channel: data-service tables (1023 -> 1024), chart data
// (1040 -> 1041) and the keep-alive (1002).
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "fault_board.h"
#include "market.h"
#include "scenario.h"
#include "wire_message.h"

namespace sim {

class DataService {
public:
    DataService(Scenario& scenario, Market& market) : scenario_(scenario), market_(market) {}

    // The reply parts for one request frame; the client joins them in order.
    std::vector<std::string> answer(const WireMessage& request, const FaultState& faults);

    // Rows of a table answer for a user ("" when nothing matches).
    std::string rows(const std::string& name, const WireMessage& request, const UserRecord& user);
    // Chart answer text: header, six sections, "<END>". `shape` "short": the
    // sections other than the closes hold half the bars; "no-closes": no closes.
    std::string chart(const std::string& code, const std::string& interval, int count,
                      const std::string& shape = "") const;
    // Chart requests received per key ("CODE^INTERVAL").
    int chartRequests(const std::string& key) const {
        const auto it = chartRequests_.find(key);
        return it == chartRequests_.end() ? 0 : it->second;
    }
    // The next chart requests are answered, one each, with the bars of these keys.
    void answerChartsUnder(std::vector<std::string> keys) { chartKeys_ = std::move(keys); }

private:
    struct AccessRow {
        std::string userId, accountId, accessTypeId, userName;
    };
    bool userOwns(const UserRecord& user, long long account) const;
    std::vector<AccessRow>& accessRows();
    // "addedituac": one row user 0x05 account 0x05 access type 0x05 0x06; false when malformed.
    bool editAccess(const std::string& row, const UserRecord& user);

    std::vector<AccessRow> accessRows_;
    std::map<std::string, int> chartRequests_;
    std::vector<std::string> chartKeys_;
    bool accessLoaded_ = false;

    Scenario& scenario_;
    Market& market_;
};

}  // namespace sim
