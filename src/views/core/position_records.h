#pragma once
// A position's or order's row with the records it depends on: the instrument
// under its ItemCode, the account under its AccountNumber and the group's
// conditions for the instrument. Any of them may be missing.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "model/account_details.h"
#include "model/group_instruments.h"
#include "model/item_details.h"
#include "model/order.h"

namespace platform {
class SliceBudget;
}

namespace state {
class SessionView;
}

namespace views {

struct PositionRecords {
    std::shared_ptr<model::Order> order;
    std::shared_ptr<model::ItemDetails> item;
    std::shared_ptr<model::AccountDetails> account;
    std::shared_ptr<model::GroupInstruments> groupInstrument;
};

PositionRecords lookUpRecords(const state::SessionView& session, std::shared_ptr<model::Order> order);

// The records of a list of orders, kept from one look-up to the next: an
// order still listed keeps what was found for it while the session's records
// revision and the codes it was found by are unchanged. Same results as
// lookUpRecords for every order.
class PositionRecordsCache {
public:
    // What the caches given one found, shared: a row another of them found
    // at the same records revision is not looked up again.
    struct Shared;
    static std::shared_ptr<Shared> makeShared();
    explicit PositionRecordsCache(std::shared_ptr<Shared> shared = nullptr);
    ~PositionRecordsCache();
    const std::shared_ptr<Shared>& shared() const { return shared_; }

    // The records of `orders`, in their order. Drops a look-up under way.
    const std::vector<PositionRecords>& lookUp(const state::SessionView& session, const std::vector<std::shared_ptr<model::Order>>& orders);
    const std::vector<PositionRecords>& records() const { return records_; }
    // The records revision the records were found at.
    std::uint64_t revision() const { return revision_; }

    // The same look-up spread over several calls: `start` keeps the list,
    // each `step` looks up at most `rows` more rows, and records() keeps the
    // last look-up's rows in their places until the step that finishes (true)
    // puts the new ones in. A list that begins with the last look-up's rows,
    // unchanged, is found in place: records() grows by the rows found. The
    // same list as the last look-up's is looked up again in place: each step
    // replaces its rows' records in records(), the rest keep theirs.
    // It neither reads nor fills the shared rows.
    void start(const state::SessionView& session, std::vector<std::shared_ptr<model::Order>> orders);
    bool step(const state::SessionView& session, std::size_t rows);
    bool started() const { return build_ != nullptr; }
    // The look-up under way replaces the rows of records() in their places.
    bool refreshing() const;
    // The rows found so far by the look-up under way.
    std::span<const PositionRecords> found() const;

private:
    // What a row's records were found by; the account number and group id
    // as a place in the cache's AccountKeys, which many rows share.
    struct Keys {
        model::CompactText itemCode;
        std::int32_t instrumentId = 0;
        std::uint32_t account = 0;
    };
    // Each account number and group id pair met, kept while the cache is.
    struct AccountKeys {
        std::vector<std::pair<model::CompactText, model::CompactText>> pairs;
        std::unordered_map<std::string, std::uint32_t> places;  // by number, a zero, and group id
        std::uint32_t last = 0;  // the place found last
        std::uint32_t placeOf(std::string_view accountNumber, std::string_view groupId);
    };
    AccountKeys& accountKeys();
    Keys keysOf(const PositionRecords& r);
    bool foundBy(const PositionRecords& r, const Keys& keys);
    // Rows held checked a step for each row looked up.
    static constexpr std::size_t kCheckedPerLookedUp = 8;
    // A look-up from its first row to its last.
    struct Build;
    void begin(Build& build, const state::SessionView& session, std::size_t rows);
    // Up to row `end`, or until `budget` is spent.
    void lookUpRows(Build& build, const state::SessionView& session, std::size_t end,
                    platform::SliceBudget* budget = nullptr);
    void finish(Build& build);

    std::vector<PositionRecords> records_;
    std::vector<Keys> keys_;
    std::uint64_t revision_ = 0;
    std::shared_ptr<Shared> shared_;
    std::unique_ptr<Build> build_;  // the look-up under way
    std::unique_ptr<AccountKeys> ownAccountKeys_;  // when no shared rows hold them
};

}  // namespace views
