#pragma once
// The ready lists and figures the windows ask the session for: visible orders
// and accounts, account figures, rights and user-to-account maps, the codes to
// keep subscribed, chat rooms, resources and market session schedules.
// Results are new containers holding the live records.
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "model/account_details.h"
#include "model/chat_room.h"
#include "model/group_details.h"
#include "model/order.h"
#include "model/resource_details.h"
#include "model/session_schedule_info.h"
#include "model/session_settings.h"
#include "model/user_account_maps.h"
#include "model/user_info.h"
#include "platform/code_set.h"
#include "state/currency_fillers.h"
#include "state/ordered_dictionary.h"

namespace state {

using Orders = std::vector<std::shared_ptr<model::Order>>;
using Accounts = std::vector<std::shared_ptr<model::AccountDetails>>;
using GroupMap = OrderedDictionary<std::shared_ptr<model::GroupDetails>>;
using ChatRoomMap = OrderedDictionary<std::shared_ptr<model::ChatRoom>>;
using ChatRooms = std::vector<std::shared_ptr<model::ChatRoom>>;
// userAccountMapKey(user, account) -> that user's mapping to that account.
using UserAccountMap = OrderedDictionary<std::shared_ptr<model::UserAccountMaps>>;
using UserAccountMapList = std::vector<std::shared_ptr<model::UserAccountMaps>>;
// "%lu" of marketID -> the market's schedule rows.
using ScheduleMap = OrderedDictionary<std::vector<std::shared_ptr<model::SessionScheduleInfo>>>;
using SessionSettingMap = OrderedDictionary<std::shared_ptr<model::SessionSettings>>;
// Weekday id -> "start - stop" lines, or the one "no session" text.
using WeekSchedule = std::map<std::uint64_t, std::vector<std::string>>;

// One column sort of a table: an Order property by name.
struct SortDescriptor {
    enum class Comparison {
        Compare,            // texts byte by byte, numbers by value
        LocalizedStandard,  // texts case-insensitive and numeric-aware
        Numeric,            // numbers held as text by value, ties by bytes
    };
    std::string key;
    bool ascending = true;
    Comparison comparison = Comparison::Compare;
};

namespace Queries {

// Negative, zero or positive. Case-insensitive; runs of digits compare by
// value ("9" before "10"); ties fall back to the bytes.
int localizedStandardCompare(std::string_view a, std::string_view b);
// Numbers held as text by value ("-10" < "2.10" < "2.5" < "10"); a text that
// is not a number sorts after every number; ties fall back to the bytes.
int numericTextCompare(const std::string& a, const std::string& b);
// Case-insensitive, ties falling back to the bytes.
int localizedCompare(const std::string& a, const std::string& b);

// Hidden: the account (looked up by the order's AccountNumber) is in trading
// status 3 or 6 or has access type 4 or 10. Orders of unknown accounts show.
bool isOrderVisible(const AccountMap& accounts, const model::Order& order);
Orders visibleOrders(const Orders& orders, const AccountMap& accounts);
// Whether visibleOrders would list any order: stops at the first visible one.
bool anyVisible(const Orders& orders, const AccountMap& accounts);
// Sorts in place by the descriptors (first one first); nullopt leaves the list.
// Unknown keys compare equal. Stable.
void sortOrders(Orders& orders, const std::optional<std::vector<SortDescriptor>>& descriptors);
// The search answer when `search`, else the visible open positions followed by
// the visible closed copies; sorted by OpenPositionId, numeric-aware.
Orders executedOrders(bool search, const Orders& searchAnswer, const Orders& open, const Orders& openCopy,
                      const AccountMap& accounts);
// The first position of executedOrders' list with that id, found without sorting the list.
std::shared_ptr<model::Order> executedOrder(bool search, const Orders& searchAnswer, const Orders& open,
                                            const Orders& openCopy, const AccountMap& accounts, std::string_view id);

// Status 1, 2, 4 or 5 and access 1, 2 or 3.
bool canShowAccount(const model::AccountDetails& account);
Accounts accountCollection(const AccountMap& accounts);
// UnrealisedPL, Leverage, Equity (kept in Equity Hit) and AvailableMargin of
// the account under "%d" of the id; an unknown id changes nothing.
void calcAccountDetails(std::int32_t accountId, const AccountMap& accounts, const GroupMap& groups,
                        const Orders& openOrders);
// Some visible account's primary holder is the logged-in user (64-bit signed).
bool canShowAERights(const AccountMap& accounts, const model::UserInfo* user);

bool isUserMappedWithAccount(const UserAccountMap& maps, std::uint64_t accountId);
// The account's users, its primary holder left out.
UserAccountMapList getUserMappedWithAccount(const UserAccountMap& maps, const AccountMap& accounts,
                                            std::uint64_t accountId);
// The map's entry for the same user and account takes its access type.
void updateUserAccountMaps(UserAccountMap& maps, const model::UserAccountMaps& map);
// "user#account": one user mapped to two accounts keeps an entry per account.
std::string userAccountMapKey(std::uint64_t userId, std::uint64_t accountId);

// The watchlist and the codes of the visible open and pending orders, once each.
std::vector<std::string> allItems(const std::vector<std::string>& selectedSymbols,
                                  const Orders& open, const Orders& pending, const AccountMap& accounts);

// allItems gathered a bounded count of orders a step, the codes held as copies
// so that the orders may change between steps.
class ItemsGathering {
public:
    ItemsGathering() = default;
    ItemsGathering(const ItemsGathering&) = delete;  // its seen codes view its own
    ItemsGathering& operator=(const ItemsGathering&) = delete;
    ItemsGathering(ItemsGathering&&) = default;
    ItemsGathering& operator=(ItemsGathering&&) = default;

    // Reads up to `count` more symbols or orders, in allItems' order; true once all are read.
    // A long list's first steps may read none while the set's room is made ready.
    bool step(const std::vector<std::string>& selectedSymbols, const Orders& open, const Orders& pending,
              const AccountMap& accounts, std::size_t count);
    const std::vector<std::string>& codes() const { return out_; }
    // The gathered codes, moved out.
    std::vector<std::string> takeCodes() && { return std::move(out_); }

private:
    void add(std::string_view code);

    static constexpr std::size_t kFirstCodes = 64;
    static constexpr std::size_t kRoomBytesPerStep = 1u << 20;
    std::vector<std::string> out_;
    platform::CodeSet seen_;  // views of out_'s codes
    std::size_t next_ = 0;  // over the symbols, the open orders, then the pending ones
    std::string account_;
    bool accountRead_ = false;
    bool visible_ = false;
};

// Rooms in descending order of their keys.
ChatRooms messageNotices(const ChatRoomMap& rooms);
ChatRooms recentChats(const ChatRoomMap& rooms);

// In ascending numeric-aware order of the keys, captions holding "#" left out.
std::vector<std::shared_ptr<model::ResourceDetails>> resourceList(const ResourceMap& resources);

bool checkMarketSessionSchedulesIsAvailable(const ScheduleMap& schedules, std::uint64_t marketId);
WeekSchedule marketSessionSchedules(const ScheduleMap& schedules, const SessionSettingMap& settings,
                                    std::uint64_t marketId, std::int64_t language);
// Keys "0685" (0) to "0691" (6) in the language; "" for any other id.
std::string getDaysOfTheWeekName(std::uint64_t weekday, std::int64_t language);

}  // namespace Queries

}  // namespace state
