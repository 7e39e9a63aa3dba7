#pragma once
// Accounts as the server updates them during the session (the account
// summary, 1045), the spreads settled onto the instruments, and the floating
// profit of the open positions with the account figures that follow from it.
// Main thread.
#include <cstdint>
#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "model/account_details.h"
#include "model/item_details.h"
#include "model/order.h"
#include "state/dispatcher.h"
#include "state/session_component.h"
#include "state/session_view.h"

namespace platform {
class SliceBudget;
}

namespace state {

class SessionServices;
class ReferenceData;
class OrderBook;
class FeedChannels;

class AccountLedger : public SessionComponent {
public:
    AccountLedger(SessionServices& services, ReferenceData& reference, OrderBook& book, FeedChannels& feed)
        : services_(services), reference_(reference), book_(book), feed_(feed) {}
    const char* componentName() const override { return "AccountLedger"; }
    void registerHandlers(Dispatcher& table) override;

    // The account the windows show; changed only here, on the main thread.
    std::int32_t currentAccountSelected() const { return currentAccountSelected_; }
    void setCurrentAccountSelected(std::int32_t accountId);

    // Writes a summary's figures into the account; a change of trading status
    // subscribes, unsubscribes or asks for the equity-hit prices, a change to
    // margin status 2 announces a margin call. Unknown accounts are ignored.
    void UpdateAccountDetails(const MessageFields& fields, const std::optional<std::string>& accountId);
    // Settles one spread per instrument from the groups of the user's accounts
    // (4 when they disagree) and applies it to the prices the instrument holds.
    // Over the instruments from `from` up to `to` (excluded), in the
    // collection's order: a pass by ranges starts at 0 and the groups it
    // reads then (or read ahead) serve its later ranges, up to the one that
    // reaches the end; they are read again if an account or group changed.
    void SetAllSymbolsSpread(std::size_t from = 0, std::size_t to = SIZE_MAX);
    // Reads the groups of the next pass ahead of it, about `entries` of their
    // instrument conditions a call: true while some are left. A pass then
    // starts with them unless an account or group changed meanwhile.
    bool readSpreadGroups(std::size_t entries);

    // --- Profit and loss ------------------------------------------------------
    // The position's floating profit in its instrument's terms into its
    // FloatingPL and UnrealisedPL; in Equity Hit the held FloatingPL is kept.
    void CalcPL(model::Order& position) const;
    // A value of the position converted into its account's currency.
    double calculateCurrencyConversionForValue(double value, const model::Order& position) const;
    // Recomputes every open position's profit, its conversion and every
    // account's figures.
    void recalculateAccounts();
    // The same for what changed since the last recomputation (what the main
    // window runs once a second): the positions whose instrument's prices, or
    // the prices their profit or conversion reads, moved; the accounts of
    // those positions, and those a summary changed. Any change of the open
    // positions, their order or the reference records recomputes everything;
    // for a list longer than kDependentsStepPositions that is done after
    // its index is built that many positions a slice, and recomputed
    // kRecomputeStepPositions a slice, the accounts' figures kept till then.
    void recalculateChangedAccounts() {
        while (!recalculateChangedAccountsStep(SIZE_MAX)) {}
    }
    static constexpr std::size_t kDependentsStepPositions = 8000;
    // recalculateChangedAccounts in steps of at most `positions` positions,
    // each ended early once its time (platform::SliceBudget) is spent:
    // true once it is done, and lastRecomputed() tells what it did. The
    // figures of the steps before are kept aside till then; a step that finds
    // the index built again starts over.
    bool recalculateChangedAccountsStep(std::size_t positions);
    static constexpr std::size_t kRecomputeStepPositions = 8000;
    // Instruments' prices moved (the feed, after it wrote them). Their
    // readers are looked up a run at a time, each run's table slots fetched
    // ahead, so that the lookups' cache misses overlap.
    void pricesMoved(std::span<const model::ItemDetails* const> items);
    void priceMoved(const model::ItemDetails& item) {
        const model::ItemDetails* const one = &item;
        pricesMoved({&one, 1});
    }
    // What the last recomputation recomputed.
    const RecomputedFigures& lastRecomputed() const { return recomputed_; }
    // The account's figures from its open positions (a window's own copy).
    void calculateAccountDetails(model::AccountDetails& account) const;
    // The margin-call banner of an account.
    void MarginCallNotification(const std::string& account);

private:
    struct SpreadGroups;
    std::shared_ptr<SpreadGroups> spreadGroups_;
    const model::AccountDetails* accountOf(const model::Order& position) const;
    const model::ItemDetails* conversionInstrument(const model::AccountDetails* account) const;
    void applySummary(model::AccountDetails& account, const MessageFields& fields);
    void applyTradingStatus(model::AccountDetails& account, std::int32_t wireCode);
    void applyMarginStatus(model::AccountDetails& account, std::int32_t marginStatus);

    // Who reads what, built at each whole recomputation: per open position
    // (in list order) its records, per account its positions and the
    // instrument it converts at, and per instrument the positions and
    // accounts its prices reach.
    struct Dependents {
        static constexpr std::uint32_t kNoPlace = UINT32_MAX;
        struct Position {
            model::Order* order = nullptr;
            const model::ItemDetails* item = nullptr;
            std::int32_t account = -1;  // into accounts, -1: none held
            std::uint32_t place = kNoPlace;  // the item's
        };
        struct Account {
            model::AccountDetails* account = nullptr;
            const model::GroupDetails* group = nullptr;
            const model::ItemDetails* conversion = nullptr;
            std::vector<std::uint32_t> positions;
        };
        std::vector<Position> positions;
        std::vector<Account> accounts;
        // While built: the (place, position) links of the calculation
        // instruments (a position's own is its place), put in ranges at the end.
        std::vector<std::pair<std::uint32_t, std::uint32_t>> positionLinks;
        // The (place, account) links of the conversion instruments (all their
        // positions), by place once built.
        std::vector<std::pair<std::uint32_t, std::uint32_t>> accountLinks;
        // Each instrument's place, added at its first link.
        std::uint32_t place(const model::ItemDetails* item);
        std::uint32_t places = 0;
        // A place's positions: readerPositions from positionsFrom[place] up to positionsFrom[place + 1].
        std::vector<std::uint32_t> positionsFrom, readerPositions;
        std::vector<char> placeMoved;  // by place
        // Each instrument's place in a flat table (open addressing, at most
        // three-quarters full), so that a tick finds its readers with one probe; the
        // build fills it as it goes, without a map of its own.
        std::vector<std::pair<const model::ItemDetails*, std::uint32_t>> readersOf;
        void placesFor(std::size_t count, bool fit = false);
        std::vector<std::uint32_t> moved;  // places
        std::vector<std::uint32_t> changedAccounts;  // by a summary
        // What the index was built from: any change asks for a whole recomputation.
        std::uint64_t bookRevision = 0, recordsRevision = 0;
        const void* listData = nullptr;
        std::size_t listSize = 0;
        bool built = false;
    };
    void buildDependents();
    // buildDependents in parts: the accounts, then the positions [from, to).
    void beginDependents();
    // Where it stopped: `to`, or earlier once `budget` is spent.
    std::size_t addDependents(std::size_t from, std::size_t to, platform::SliceBudget* budget = nullptr);
    // The table priceMoved finds an instrument's readers by, once every position is in.
    void indexReaders();
    // The positions from `from` on, a range a slice; then recomputeEverythingFrom(0).
    void buildDependentsFrom(std::size_t from, std::uint64_t build);
    // What a build under way reads changed: it starts again, or, while a fill
    // holds the messages (and changes the list every slice), at the next
    // recalculation's turn.
    void restartDependents();
    void recomputeEverything();
    // recomputeEverything a range of positions a slice, written in place; the
    // accounts summed and the figures published in the last.
    void recomputeEverythingFrom(std::size_t from, std::uint64_t build);
    void publishEverything();
    // A summary changed the account's figures or status.
    void accountChanged(const model::AccountDetails& account);
    bool dependentsCurrent() const;
    void recomputePosition(const Dependents::Position& position);
    void sumAccount(const Dependents::Account& account);

    SessionServices& services_;
    ReferenceData& reference_;
    OrderBook& book_;
    FeedChannels& feed_;
    std::int32_t currentAccountSelected_ = 0;
    Dependents dependents_;
    std::uint64_t dependentsBuild_ = 0;  // which build the posted ranges belong to
    bool dependentsBuilding_ = false;  // ranges posted, till the whole recomputation is published
    RecomputedFigures recomputed_;
    // A recomputation of what changed, taken in steps.
    struct ChangedRecomputation {
        bool active = false;
        std::uint64_t build = 0;               // the index's build it reads
        std::vector<std::uint32_t> positions;  // due, in list order
        std::size_t next = 0;
        std::vector<char> accountDue;
        std::vector<std::uint32_t> accounts;
        bool summaries = false;
        std::vector<const model::Order*> recomputed;  // kept aside till the last step
    };
    // Gathers what is due; false when nothing is.
    bool beginChangedRecomputation();
    ChangedRecomputation changed_;
};

}  // namespace state
