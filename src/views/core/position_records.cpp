#include "views/core/position_records.h"

#include <string_view>
#include <unordered_map>

#include "model/group_details.h"
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

}  // namespace

struct PositionRecordsCache::Shared {
    std::uint64_t revision = 0;
    std::unordered_map<const model::Order*, std::pair<PositionRecords, Keys>> rows;
};

std::shared_ptr<PositionRecordsCache::Shared> PositionRecordsCache::makeShared() { return std::make_shared<Shared>(); }

PositionRecordsCache::Keys PositionRecordsCache::keysOf(const PositionRecords& r) {
    Keys k;
    if (!r.order) return k;
    k.itemCode = r.order->ItemCode;
    k.accountNumber = r.order->AccountNumber;
    if (r.account) k.groupId = r.account->GroupId;
    if (r.item) k.instrumentId = r.item->InstrumentId;
    return k;
}

bool PositionRecordsCache::foundBy(const PositionRecords& r, const Keys& keys) {
    return r.order && r.order->ItemCode == keys.itemCode && r.order->AccountNumber == keys.accountNumber &&
           (!r.account || r.account->GroupId == keys.groupId) && (!r.item || r.item->InstrumentId == keys.instrumentId);
}

const std::vector<PositionRecords>& PositionRecordsCache::lookUp(const state::SessionView& session,
                                                                 const std::vector<std::shared_ptr<model::Order>>& orders) {
    const std::uint64_t revision = session.recordsRevision();
    const bool reusable = revision == revision_ && !records_.empty();
    revision_ = revision;
    std::vector<PositionRecords> records;
    std::vector<Keys> keys;
    records.reserve(orders.size());
    keys.reserve(orders.size());
    // Built at the first order out of its place.
    std::unordered_map<const model::Order*, std::size_t> places;
    AccountsFound accounts;
    if (shared_ && (shared_->revision != revision || shared_->rows.size() > 2 * orders.size() + 1024)) {
        shared_->rows.clear();
        shared_->revision = revision;
    }
    bool placed = false;
    for (std::size_t i = 0; i < orders.size(); ++i) {
        const std::shared_ptr<model::Order>& order = orders[i];
        std::size_t from = records_.size();
        if (reusable && order) {
            if (i < records_.size() && records_[i].order == order) {
                from = i;
            } else {
                if (!placed)
                    for (std::size_t j = records_.size(); j-- > 0;)
                        if (records_[j].order) places[records_[j].order.get()] = j;
                placed = true;
                if (const auto found = places.find(order.get()); found != places.end()) from = found->second;
            }
        }
        // A row taken already has no order left: a listed twice order is looked up again.
        if (from < records_.size() && records_[from].order == order && foundBy(records_[from], keys_[from])) {
            records.push_back(std::move(records_[from]));
            keys.push_back(std::move(keys_[from]));
            continue;
        }
        if (shared_ && order)
            if (const auto found = shared_->rows.find(order.get());
                found != shared_->rows.end() && found->second.first.order == order &&
                foundBy(found->second.first, found->second.second)) {
                records.push_back(found->second.first);
                keys.push_back(found->second.second);
                continue;
            }
        records.push_back(lookUpRecords(session, order, accounts));
        keys.push_back(keysOf(records.back()));
        if (shared_ && order) shared_->rows.insert_or_assign(order.get(), std::make_pair(records.back(), keys.back()));
    }
    records_ = std::move(records);
    keys_ = std::move(keys);
    return records_;
}

}  // namespace views
