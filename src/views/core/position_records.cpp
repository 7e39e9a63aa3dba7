#include "views/core/position_records.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <unordered_map>

#include "model/group_details.h"
#include "platform/slice_budget.h"
#include "state/session_view.h"

namespace views {

PositionRecords lookUpRecords(const state::SessionView& session, std::shared_ptr<model::Order> order) {
    PositionRecords r;
    r.order = std::move(order);
    if (!r.order) return r;
    r.item = session.instrument(r.order->ItemCode);
    r.account = session.account(r.order->AccountNumber);
    if (r.account && r.item)
        if (const auto group = session.group(r.account->GroupId))
            r.groupInstrument = group->instrument(r.item->InstrumentId);
    return r;
}

namespace {

// A pass over many orders finds each account and its group once.
struct AccountRecords {
    std::shared_ptr<model::AccountDetails> account;
    std::shared_ptr<model::GroupDetails> group;
};
using AccountsFound = std::unordered_map<std::string_view, AccountRecords>;

PositionRecords lookUpRecords(const state::SessionView& session, std::shared_ptr<model::Order> order,
                              AccountsFound& accounts) {
    PositionRecords r;
    r.order = std::move(order);
    if (!r.order) return r;
    r.item = session.instrument(r.order->ItemCode);
    const auto [found, fresh] = accounts.try_emplace(r.order->AccountNumber);
    if (fresh) {
        found->second.account = session.account(r.order->AccountNumber);
        if (found->second.account) found->second.group = session.group(found->second.account->GroupId);
    }
    r.account = found->second.account;
    if (r.account && r.item && found->second.group) r.groupInstrument = found->second.group->instrument(r.item->InstrumentId);
    return r;
}

// The end of `count` rows from `from`, at most `last` (a count of SIZE_MAX: every row).
std::size_t rowsAfter(std::size_t from, std::size_t count, std::size_t last) {
    return from >= last || count >= last - from ? last : from + count;
}

}  // namespace

struct PositionRecordsCache::Shared {
    std::uint64_t revision = 0;
    std::unordered_map<const model::Order*, std::pair<PositionRecords, Keys>> rows;
    AccountKeys accountKeys;  // of the rows' keys
};

std::shared_ptr<PositionRecordsCache::Shared> PositionRecordsCache::makeShared() { return std::make_shared<Shared>(); }

std::uint32_t PositionRecordsCache::AccountKeys::placeOf(std::string_view accountNumber, std::string_view groupId) {
    // Rows of one account mostly follow each other.
    if (last < pairs.size() && pairs[last].first == accountNumber && pairs[last].second == groupId) return last;
    std::string key;
    key.reserve(accountNumber.size() + 1 + groupId.size());
    key.append(accountNumber).push_back('\0');
    key.append(groupId);
    const auto [found, fresh] = places.try_emplace(std::move(key), static_cast<std::uint32_t>(pairs.size()));
    if (fresh) pairs.emplace_back(accountNumber, groupId);
    last = found->second;
    return last;
}

PositionRecordsCache::AccountKeys& PositionRecordsCache::accountKeys() {
    if (shared_) return shared_->accountKeys;
    if (!ownAccountKeys_) ownAccountKeys_ = std::make_unique<AccountKeys>();
    return *ownAccountKeys_;
}

PositionRecordsCache::Keys PositionRecordsCache::keysOf(const PositionRecords& r) {
    Keys k;
    if (!r.order) return k;
    k.itemCode = r.order->ItemCode;
    k.account = accountKeys().placeOf(r.order->AccountNumber, r.account ? std::string_view(r.account->GroupId) : std::string_view());
    if (r.item) k.instrumentId = r.item->InstrumentId;
    return k;
}

bool PositionRecordsCache::foundBy(const PositionRecords& r, const Keys& keys) {
    if (!r.order || r.order->ItemCode != keys.itemCode) return false;
    const auto& [accountNumber, groupId] = accountKeys().pairs[keys.account];
    return r.order->AccountNumber == accountNumber && (!r.account || r.account->GroupId == groupId) &&
           (!r.item || r.item->InstrumentId == keys.instrumentId);
}

struct PositionRecordsCache::Build {
    std::vector<std::shared_ptr<model::Order>> kept;  // the list of a spread look-up
    const std::vector<std::shared_ptr<model::Order>>* orders = nullptr;
    std::uint64_t revision = 0;
    bool reusable = false;
    // Spread: records_ is still shown, so its rows are copied, not moved;
    // the shared rows are left to the other tables, which empty and grow them in between.
    bool copyKept = false;
    bool placed = false;
    // The list begins with records_'s rows: the rest are added to records_.
    bool extending = false;
    // The list is records_'s: its rows are looked up again in their places.
    bool refreshing = false;
    std::size_t next = 0;  // the rows stepped through, when extending or refreshing
    std::size_t checked = 0;  // the rows held found unchanged, when extending
    // Built at the first order out of its place.
    std::unordered_map<const model::Order*, std::size_t> places;
    std::vector<PositionRecords> records;
    std::vector<Keys> keys;
};

PositionRecordsCache::PositionRecordsCache(std::shared_ptr<Shared> shared) : shared_(std::move(shared)) {}
PositionRecordsCache::~PositionRecordsCache() = default;

void PositionRecordsCache::begin(Build& build, const state::SessionView& session, std::size_t rows) {
    build.revision = session.recordsRevision();
    build.reusable = build.revision == revision_ && !records_.empty();
    build.records.reserve(rows);
    build.keys.reserve(rows);
    if (shared_ && !build.copyKept && (shared_->revision != build.revision || shared_->rows.size() > 2 * rows + 1024)) {
        shared_->rows.clear();
        shared_->revision = build.revision;
    }
}

void PositionRecordsCache::lookUpRows(Build& build, const state::SessionView& session, std::size_t end,
                                      platform::SliceBudget* budget) {
    const std::vector<std::shared_ptr<model::Order>>& orders = *build.orders;
    AccountsFound accounts;
    const bool shared = shared_ && !build.copyKept;
    for (std::size_t i = build.records.size(); i < end && !(budget && budget->spent()); ++i) {
        const std::shared_ptr<model::Order>& order = orders[i];
        std::size_t from = records_.size();
        if (build.reusable && order) {
            if (i < records_.size() && records_[i].order == order) {
                from = i;
            } else {
                if (!build.placed)
                    for (std::size_t j = records_.size(); j-- > 0;)
                        if (records_[j].order) build.places[records_[j].order.get()] = j;
                build.placed = true;
                if (const auto found = build.places.find(order.get()); found != build.places.end()) from = found->second;
            }
        }
        // A row taken already has no order left: a listed twice order is looked up again.
        if (from < records_.size() && records_[from].order == order && foundBy(records_[from], keys_[from])) {
            if (build.copyKept) {
                build.records.push_back(records_[from]);
                build.keys.push_back(keys_[from]);
            } else {
                build.records.push_back(std::move(records_[from]));
                build.keys.push_back(std::move(keys_[from]));
            }
            continue;
        }
        if (shared && order)
            if (const auto found = shared_->rows.find(order.get());
                found != shared_->rows.end() && found->second.first.order == order &&
                foundBy(found->second.first, found->second.second)) {
                build.records.push_back(found->second.first);
                build.keys.push_back(found->second.second);
                continue;
            }
        build.records.push_back(lookUpRecords(session, order, accounts));
        build.keys.push_back(keysOf(build.records.back()));
        if (shared && order) shared_->rows.insert_or_assign(order.get(), std::make_pair(build.records.back(), build.keys.back()));
    }
}

void PositionRecordsCache::finish(Build& build) {
    revision_ = build.revision;
    records_ = std::move(build.records);
    keys_ = std::move(build.keys);
}

const std::vector<PositionRecords>& PositionRecordsCache::lookUp(const state::SessionView& session,
                                                                 const std::vector<std::shared_ptr<model::Order>>& orders) {
    build_.reset();
    Build build;
    build.orders = &orders;
    begin(build, session, orders.size());
    lookUpRows(build, session, orders.size());
    finish(build);
    return records_;
}

void PositionRecordsCache::start(const state::SessionView& session, std::vector<std::shared_ptr<model::Order>> orders) {
    build_ = std::make_unique<Build>();
    build_->kept = std::move(orders);
    build_->orders = &build_->kept;
    build_->copyKept = true;
    Build& build = *build_;
    build.revision = session.recordsRevision();
    bool same = !records_.empty() && build.kept.size() == records_.size();
    for (std::size_t i = 0; same && i < records_.size(); ++i) same = build.kept[i] && records_[i].order == build.kept[i];
    if (same) {
        build.refreshing = true;
        build.reusable = build.revision == revision_;
        return;
    }
    // Whether the rows held are still found by their keys is checked by the steps.
    if (build.revision != revision_ || records_.empty() || build.kept.size() < records_.size()) {
        begin(build, session, build.kept.size());
        return;
    }
    build.extending = true;
}

bool PositionRecordsCache::step(const state::SessionView& session, std::size_t rows) {
    if (!build_) return true;
    Build& build = *build_;
    // A step also ends once its time is spent: rows far apart in memory may each cost a wait for it.
    platform::SliceBudget budget;
    if (build.extending && build.checked < records_.size()) {
        // A long list held is checked over several steps, which find no row.
        const std::size_t checks = rows > SIZE_MAX / kCheckedPerLookedUp ? SIZE_MAX : rows * kCheckedPerLookedUp;
        const std::size_t end = rowsAfter(build.checked, checks, records_.size());
        const auto unchanged = [&](std::size_t i) {
            return build.kept[i] && records_[i].order == build.kept[i] && foundBy(records_[i], keys_[i]);
        };
        // The rows held move to their larger room first: the checks then take what is left of the step.
        // The room at least doubles, so that a list growing tick by tick moves its rows a few times only.
        if (records_.capacity() < build.kept.size()) {
            const std::size_t room = std::max(build.kept.size(), 2 * records_.capacity());
            records_.reserve(room);
            keys_.reserve(room);
        }
        bool changed = false;
        while (build.checked < end && !budget.spent()) {
            if (!unchanged(build.checked)) {
                changed = true;
                break;
            }
            ++build.checked;
        }
        if (changed) {
            build.extending = false;  // looked up from the first row, from this step on
            begin(build, session, build.kept.size());
        } else if (build.checked < records_.size()) {
            return false;
        }
    }
    if (build.extending) {
        AccountsFound accounts;
        const std::size_t end = rowsAfter(build.next, rows, build.kept.size());
        // The rows held count as found; the rest are looked up.
        for (; build.next < end && !budget.spent(); ++build.next) {
            if (build.next < records_.size()) continue;
            records_.push_back(lookUpRecords(session, build.kept[build.next], accounts));
            keys_.push_back(keysOf(records_.back()));
        }
        if (build.next < build.kept.size()) return false;
        build_.reset();
        return true;
    }
    if (build.refreshing) {
        AccountsFound accounts;
        const std::size_t end = rowsAfter(build.next, rows, build.kept.size());
        for (; build.next < end && !budget.spent(); ++build.next) {
            const std::size_t i = build.next;
            if (build.reusable && foundBy(records_[i], keys_[i])) continue;
            records_[i] = lookUpRecords(session, build.kept[i], accounts);
            keys_[i] = keysOf(records_[i]);
        }
        if (build.next < build.kept.size()) return false;
        revision_ = build.revision;
        build_.reset();
        return true;
    }
    lookUpRows(build, session, rowsAfter(build.records.size(), rows, build.kept.size()), &budget);
    if (build.records.size() < build.kept.size()) return false;
    finish(build);
    build_.reset();
    return true;
}

std::span<const PositionRecords> PositionRecordsCache::found() const {
    if (!build_) return {};
    if (build_->extending || build_->refreshing) return {records_.data(), build_->next};
    return build_->records;
}

bool PositionRecordsCache::refreshing() const { return build_ && build_->refreshing; }

}  // namespace views
