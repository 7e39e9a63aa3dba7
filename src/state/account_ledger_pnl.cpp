// Floating profit of the open positions, its conversion into the account
// currency and the account figures that follow from it.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "model/group_details.h"
#include "model/text_value.h"
#include "platform/main_executor.h"
#include "platform/slice_budget.h"
#include "state/account_ledger.h"
#include "state/state_queries.h"
#include "state/order_book.h"
#include "state/reference_data.h"
#include "state/session_services.h"
#include "state/profit_loss.h"

namespace state {

using model::AccountDetails;

namespace {

constexpr std::size_t kMinReaderSlots = 16;
// Dependents::readersOf holds at most this many places for every four slots.
constexpr std::size_t kPlacesPerFourSlots = 3;
std::size_t slotsFor(std::size_t places) {
    return std::bit_ceil(std::max(kMinReaderSlots, (places * 4 + kPlacesPerFourSlots - 1) / kPlacesPerFourSlots));
}
// An instrument's first slot in Dependents::readersOf: its address's bits mixed.
std::size_t readersSlot(const model::ItemDetails* item, std::size_t mask) {
    constexpr std::uint64_t kMix = 0x9e3779b97f4a7c15ULL;
    constexpr int kShift = 32;
    const auto address = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(item));
    return static_cast<std::size_t>((address * kMix) >> kShift) & mask;
}

bool isHidden(const AccountDetails& a) {
    const std::int32_t status = a.tradingStatus, access = a.accountaccessType;
    return status == AccountDetails::kStatusSuspended || status == AccountDetails::kStatusClosed ||
           access == AccountDetails::kAccessViewMarket || access == AccountDetails::kAccessNone;
}

// CalcPL with the position's records already looked up.
void floatingPL(model::Order& p, const model::ItemDetails* item, const AccountDetails* account) {
    // In Equity Hit the server's figure stands; it is converted afresh, never twice.
    if (!account || account->tradingStatus != AccountDetails::kStatusEquityHit) {
        const double current = !item ? 0.0 : p.tradingMode == model::Order::kBuy ? item->Bid : item->Ask;
        p.FloatingPL = ProfitLoss::CalculateFloatingPL(item, p.tradingMode, model::TextValue::doubleValue(p.RemainingQty),
                                                       model::TextValue::doubleValue(p.OrderPrice), current);
    }
    p.UnrealisedPL = p.FloatingPL;
}

}  // namespace

const AccountDetails* AccountLedger::accountOf(const model::Order& position) const {
    const auto* a = reference_.AccountDetailCollection().find(position.AccountNumber);
    return a ? a->get() : nullptr;
}

const model::ItemDetails* AccountLedger::conversionInstrument(const AccountDetails* account) const {
    if (!account || !account->tradeCurrency) return nullptr;
    // By the id index: a walk of every instrument for each account (or position) held a tick for tens of ms.
    const model::CompactText code = reference_.itemCode(static_cast<std::int32_t>(account->tradeCurrency->instrumentID));
    const auto* x = reference_.ItemCollection().find(code.view());
    return x ? x->get() : nullptr;
}

void AccountLedger::CalcPL(model::Order& position) const {
    const auto* item = reference_.ItemCollection().find(position.ItemCode);
    floatingPL(position, item ? item->get() : nullptr, accountOf(position));
}

double AccountLedger::calculateCurrencyConversionForValue(double value, const model::Order& position) const {
    if (value == 0) return value;
    const AccountDetails* account = accountOf(position);
    return ProfitLoss::convert(value, account ? account->tradeCurrency.get() : nullptr, conversionInstrument(account));
}

void AccountLedger::recalculateAccounts() {
    platform::assertMainThread();
    buildDependents();
    recomputeEverything();
}

void AccountLedger::recomputeEverything() {
    for (const Dependents::Position& p : dependents_.positions) recomputePosition(p);
    publishEverything();
}

void AccountLedger::publishEverything() {
    for (const Dependents::Account& a : dependents_.accounts) sumAccount(a);
    recomputed_.all = true;
    recomputed_.summaries = false;
    recomputed_.positions.clear();
    recomputed_.accounts.clear();
    ++recomputed_.revision;
}

bool AccountLedger::beginChangedRecomputation() {
    Dependents& d = dependents_;
    ChangedRecomputation& c = changed_;
    std::vector<char> positionDue(d.positions.size(), 0);
    c.accountDue.assign(d.accounts.size(), 0);
    c.positions.clear();
    c.accounts.clear();
    c.next = 0;
    const auto due = [&](std::uint32_t at) {
        if (!std::exchange(positionDue[at], 1)) c.positions.push_back(at);
    };
    const auto dueAccount = [&](std::uint32_t at) {
        if (!std::exchange(c.accountDue[at], 1)) c.accounts.push_back(at);
    };
    for (const std::uint32_t place : std::exchange(d.moved, {})) {
        d.placeMoved[place] = 0;
        for (std::uint32_t i = d.positionsFrom[place]; i < d.positionsFrom[place + 1]; ++i) due(d.readerPositions[i]);
        const auto accounts = std::equal_range(d.accountLinks.begin(), d.accountLinks.end(), std::pair(place, 0u),
                                               [](const auto& a, const auto& b) { return a.first < b.first; });
        for (auto link = accounts.first; link != accounts.second; ++link) {
            dueAccount(link->second);
            for (std::uint32_t at : d.accounts[link->second].positions) due(at);
        }
    }
    c.summaries = !d.changedAccounts.empty();
    for (std::uint32_t account : std::exchange(d.changedAccounts, {})) {
        dueAccount(account);
        for (std::uint32_t at : d.accounts[account].positions) due(at);
    }
    if (c.positions.empty() && c.accounts.empty()) {
        recomputed_.summaries = c.summaries;
        recomputed_.all = false;
        recomputed_.positions.clear();
        recomputed_.accounts.clear();
        return false;
    }
    // In list order, as the whole recomputation goes.
    std::sort(c.positions.begin(), c.positions.end());
    c.build = dependentsBuild_;
    c.active = true;
    return true;
}

bool AccountLedger::recalculateChangedAccountsStep(std::size_t positions) {
    platform::assertMainThread();
    ChangedRecomputation& c = changed_;
    if (c.active && (c.build != dependentsBuild_ || !dependentsCurrent())) c.active = false;
    if (!c.active) {
        if (!dependentsCurrent()) {
            if (book_.OpenOrderCollection().size() <= kDependentsStepPositions) {
                recalculateAccounts();
            } else if (!dependentsBuilding_) {
                beginDependents();
                dependentsBuilding_ = true;
                buildDependentsFrom(0, dependentsBuild_);
            }
            return true;
        }
        if (dependentsBuilding_) return true;  // the whole recomputation's steps are under way
        if (!beginChangedRecomputation()) return true;
        c.recomputed.clear();
    }
    Dependents& d = dependents_;
    const std::size_t end = c.next + std::min(positions, c.positions.size() - c.next);
    for (platform::SliceBudget budget; c.next < end;) {
        const Dependents::Position& p = d.positions[c.positions[c.next++]];
        recomputePosition(p);
        c.recomputed.push_back(p.order);
        if (p.account >= 0 && !std::exchange(c.accountDue[std::uint32_t(p.account)], 1))
            c.accounts.push_back(std::uint32_t(p.account));
        if (budget.spent()) break;
    }
    if (c.next < c.positions.size()) return false;
    c.active = false;
    recomputed_.summaries = c.summaries;
    recomputed_.all = false;
    recomputed_.positions.swap(c.recomputed);
    recomputed_.accounts.clear();
    std::sort(c.accounts.begin(), c.accounts.end());
    for (std::uint32_t at : c.accounts) {
        sumAccount(d.accounts[at]);
        recomputed_.accounts.push_back(d.accounts[at].account);
    }
    ++recomputed_.revision;
    return true;
}

void AccountLedger::pricesMoved(std::span<const model::ItemDetails* const> items) {
    if (!dependents_.built) return;  // the next recomputation is a whole one
    const auto& table = dependents_.readersOf;
    const std::size_t mask = table.size() - 1;
    for (const model::ItemDetails* item : items)
        for (std::size_t at = readersSlot(item, mask);; at = (at + 1) & mask) {
            const auto& [key, place] = table[at];
            if (key == nullptr) break;
            if (key != item) continue;
            if (!std::exchange(dependents_.placeMoved[place], 1)) dependents_.moved.push_back(place);
            break;
        }
}

void AccountLedger::accountChanged(const model::AccountDetails& account) {
    if (!dependents_.built) return;
    for (std::size_t at = 0; at < dependents_.accounts.size(); ++at)
        if (dependents_.accounts[at].account == &account &&
            std::find(dependents_.changedAccounts.begin(), dependents_.changedAccounts.end(), at) ==
                dependents_.changedAccounts.end())
            dependents_.changedAccounts.push_back(std::uint32_t(at));
}

bool AccountLedger::dependentsCurrent() const {
    const Dependents& d = dependents_;
    const auto& list = book_.OpenOrderCollection();
    return d.built && d.bookRevision == book_.openRevision() && d.recordsRevision == reference_.recordsRevision() &&
           d.listData == static_cast<const void*>(list.data()) && d.listSize == list.size();
}

void AccountLedger::buildDependents() {
    beginDependents();
    addDependents(0, book_.OpenOrderCollection().size());
    indexReaders();
    dependents_.built = true;
}

std::uint32_t AccountLedger::Dependents::place(const model::ItemDetails* item) {
    std::size_t mask = readersOf.size() - 1;
    std::size_t at = readersSlot(item, mask);
    for (; readersOf[at].first != nullptr; at = (at + 1) & mask)
        if (readersOf[at].first == item) return readersOf[at].second;
    if (slotsFor(places + 1) > readersOf.size()) {
        placesFor(places + 1);
        mask = readersOf.size() - 1;
        for (at = readersSlot(item, mask); readersOf[at].first != nullptr;) at = (at + 1) & mask;
    }
    readersOf[at] = {item, places};
    return places++;
}

// A table for `count` places at most three-quarters full, the places held moved in;
// a larger one is kept unless `fit`.
void AccountLedger::Dependents::placesFor(std::size_t count, bool fit) {
    const std::size_t slots = slotsFor(count);
    if (slots == readersOf.size() || (slots < readersOf.size() && !fit)) return;
    std::vector<std::pair<const model::ItemDetails*, std::uint32_t>> held(slots, {nullptr, 0});
    const std::size_t mask = slots - 1;
    for (const auto& entry : readersOf) {
        if (entry.first == nullptr) continue;
        std::size_t at = readersSlot(entry.first, mask);
        while (held[at].first != nullptr) at = (at + 1) & mask;
        held[at] = entry;
    }
    readersOf = std::move(held);
}

void AccountLedger::indexReaders() {
    Dependents& d = dependents_;
    // Each place's positions as one range: its own positions, then those of the calculation links, in list order.
    std::vector<std::uint32_t>& from = d.positionsFrom;
    from.assign(std::size_t(d.places) + 1, 0);
    for (const Dependents::Position& p : d.positions)
        if (p.place != Dependents::kNoPlace) ++from[p.place + 1];
    for (const auto& link : d.positionLinks) ++from[link.first + 1];
    for (std::size_t p = 0; p < d.places; ++p) from[p + 1] += from[p];
    d.readerPositions.resize(from[d.places]);
    for (std::size_t at = 0; at < d.positions.size(); ++at)
        if (const std::uint32_t place = d.positions[at].place; place != Dependents::kNoPlace)
            d.readerPositions[from[place]++] = std::uint32_t(at);
    for (const auto& [place, reader] : d.positionLinks) d.readerPositions[from[place]++] = reader;
    // Each from[p] now holds where p + 1 starts.
    std::copy_backward(from.begin(), from.end() - 1, from.end());
    from[0] = 0;
    std::stable_sort(d.accountLinks.begin(), d.accountLinks.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    d.placeMoved.assign(d.places, 0);
    // Let go, not only emptied (`= {}` would keep its capacity).
    decltype(d.positionLinks)().swap(d.positionLinks);
    d.placesFor(d.places, true);  // many positions of a few instruments
}

void AccountLedger::beginDependents() {
    const ReferenceData& ref = reference_;
    Dependents& d = dependents_;
    d = Dependents{};
    // A place for each position's instrument and each account's, at most one an instrument: grown only past that.
    const std::size_t accounts = ref.AccountDetailCollection().size();
    d.placesFor(accounts + std::min(book_.OpenOrderCollection().size(), ref.ItemCollection().size()));
    ++dependentsBuild_;
    dependentsBuilding_ = false;
    std::unordered_map<const AccountDetails*, std::uint32_t> accountAt;
    for (const auto& [id, account] : ref.AccountDetailCollection()) {
        if (!account || accountAt.count(account.get())) continue;
        accountAt.emplace(account.get(), std::uint32_t(d.accounts.size()));
        Dependents::Account a;
        a.account = account.get();
        const auto* group = ref.GroupDetailCollection().find(account->GroupId);
        a.group = group ? group->get() : nullptr;
        a.conversion = conversionInstrument(account.get());
        if (a.conversion) d.accountLinks.emplace_back(d.place(a.conversion), std::uint32_t(d.accounts.size()));
        d.accounts.push_back(std::move(a));
    }
    const auto& list = book_.OpenOrderCollection();
    d.positions.reserve(list.size());
    // What the index is built from.
    d.bookRevision = book_.openRevision();
    d.recordsRevision = ref.recordsRevision();
    d.listData = list.data();
    d.listSize = list.size();
}

std::size_t AccountLedger::addDependents(std::size_t from, std::size_t to, platform::SliceBudget* budget) {
    const ReferenceData& ref = reference_;
    Dependents& d = dependents_;
    std::unordered_map<const AccountDetails*, std::uint32_t> accountAt;
    for (std::size_t at = 0; at < d.accounts.size(); ++at) accountAt.emplace(d.accounts[at].account, std::uint32_t(at));
    // Each account number found once for all its positions.
    std::unordered_map<std::string_view, std::int32_t> found;
    const auto& list = book_.OpenOrderCollection();
    std::size_t i = from;
    for (; i < to && i < list.size() && !(budget && i > from && budget->spent()); ++i) {
        const auto& p = list[i];
        if (!p) continue;
        Dependents::Position position;
        position.order = p.get();
        const auto* item = ref.ItemCollection().find(p->ItemCode);
        position.item = item ? item->get() : nullptr;
        const auto [at, fresh] = found.try_emplace(p->AccountNumber, -1);
        if (fresh)
            if (const AccountDetails* account = accountOf(*p)) at->second = std::int32_t(accountAt.at(account));
        position.account = at->second;
        const auto index = std::uint32_t(d.positions.size());
        if (position.account >= 0) d.accounts[std::size_t(position.account)].positions.push_back(index);
        if (position.item) {
            position.place = d.place(position.item);
            // Modes 5 and 6 read the mid of the instrument's calculation instrument.
            if (const auto calculation = position.item->CalculationItems.lock(); calculation && calculation.get() != position.item)
                d.positionLinks.emplace_back(d.place(calculation.get()), index);
        }
        d.positions.push_back(position);
    }
    return i;
}

void AccountLedger::buildDependentsFrom(std::size_t from, std::uint64_t build) {
    services_.onMain([this, from, build] {
        if (build != dependentsBuild_) return;  // a whole build came in between
        Dependents& d = dependents_;
        const auto& list = book_.OpenOrderCollection();
        // What it is built from changed: from the start again.
        if (d.bookRevision != book_.openRevision() || d.recordsRevision != reference_.recordsRevision() ||
            d.listData != static_cast<const void*>(list.data()) || d.listSize != list.size())
            return restartDependents();
        if (from < list.size()) {
            platform::SliceBudget budget;
            buildDependentsFrom(addDependents(from, std::min(list.size(), from + kDependentsStepPositions), &budget), build);
            return;
        }
        // A slice of its own: the whole list is read again.
        indexReaders();
        // Ticks from here on mark their places; the changed recomputation waits for the whole one.
        d.built = true;
        recomputeEverythingFrom(0, build);
    });
}

void AccountLedger::restartDependents() {
    if (services_.holdingMessages()) {
        dependentsBuilding_ = false;
        return;
    }
    beginDependents();
    dependentsBuilding_ = true;
    buildDependentsFrom(0, dependentsBuild_);
}

void AccountLedger::recomputeEverythingFrom(std::size_t from, std::uint64_t build) {
    services_.onMain([this, from, build] {
        if (build != dependentsBuild_) return;  // a whole build came in between
        if (!dependentsCurrent()) return restartDependents();
        const auto& positions = dependents_.positions;
        const std::size_t to = std::min(positions.size(), from + kRecomputeStepPositions);
        std::size_t at = from;
        for (platform::SliceBudget budget; at < to;) {
            recomputePosition(positions[at++]);
            if (budget.spent()) break;
        }
        if (at < positions.size()) {
            recomputeEverythingFrom(at, build);
            return;
        }
        dependentsBuilding_ = false;
        publishEverything();
    });
}

void AccountLedger::recomputePosition(const Dependents::Position& position) {
    model::Order& p = *position.order;
    const AccountDetails* account = position.account >= 0 ? dependents_.accounts[std::size_t(position.account)].account : nullptr;
    floatingPL(p, position.item, account);
    if (!account || p.UnrealisedPL == 0) return;
    p.UnrealisedPL = ProfitLoss::convert(p.UnrealisedPL, account->tradeCurrency.get(),
                                         dependents_.accounts[std::size_t(position.account)].conversion);
}

void AccountLedger::sumAccount(const Dependents::Account& a) {
    double unrealised = 0.0;
    // A hidden account's positions count in no figure.
    if (!isHidden(*a.account))
        for (std::uint32_t at : a.positions) unrealised += dependents_.positions[at].order->UnrealisedPL;
    a.account->applyUnrealisedPL(a.group, unrealised);
}

void AccountLedger::calculateAccountDetails(model::AccountDetails& account) const {
    platform::assertMainThread();
    const auto* group = reference_.GroupDetailCollection().find(account.GroupId);
    account.calculateAccountDetails(
        group ? group->get() : nullptr, Queries::visibleOrders(book_.OpenOrderCollection(), reference_.AccountDetailCollection()), [this](model::Order& p) { CalcPL(p); },
        [this](double v, const model::Order& p) { return calculateCurrencyConversionForValue(v, p); });
}

}  // namespace state
