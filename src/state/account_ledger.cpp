#include "state/account_ledger.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "model/group_details.h"
#include "platform/log.h"
#include "platform/main_executor.h"
#include "state/feed_channels.h"
#include "state/order_book.h"
#include "state/reference_data.h"
#include "state/session_notifications.h"
#include "state/session_services.h"
#include "state/order_fields.h"
#include "protocol/order_tags.h"

namespace state {
namespace tag = protocol::tag;

namespace wire = tag::wire;
using model::AccountDetails;

namespace {

// The id whose decimal text (as std::to_chars writes it) is `key`, if any.
std::optional<std::int32_t> idOfText(std::string_view key) {
    const bool negative = !key.empty() && key.front() == '-';
    const std::string_view digits = key.substr(negative ? 1 : 0);
    if (digits.empty() || digits.size() > 10 || (digits.front() == '0' && (digits.size() > 1 || negative)))
        return std::nullopt;
    std::int64_t value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (negative) value = -value;
    if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

// A group's instrument conditions by instrument id, read once per group (by
// parts, when a pass is read ahead over slices): a dense table when the ids
// are close together, else the group's own lookup. Keys that are not an id's
// decimal text are never found, as by the lookup.
class GroupTerms {
public:
    explicit GroupTerms(const model::GroupDetails* group) : group_(group) {
        if (!group) return;
        next_ = group->GroupInstrumentCollection.begin();
        size_ = group->GroupInstrumentCollection.size();
        buckets_ = group->GroupInstrumentCollection.bucket_count();
        entries_.reserve(size_);
    }
    // Reads up to `budget` entries (the table made after the last); returns how many.
    std::size_t read(std::size_t budget) {
        if (!group_ || ready_) return 0;
        const auto end = group_->GroupInstrumentCollection.end();
        std::size_t count = 0;
        for (; next_ != end && count < budget; ++next_, ++count)
            if (const std::optional<std::int32_t> id = idOfText(next_->first))
                entries_.emplace_back(*id, next_->second.get());
        if (next_ == end) makeTable();
        return count;
    }
    bool ready() const { return !group_ || ready_; }
    // The group's conditions are as they were read (no entry added or removed since).
    bool unchanged() const {
        return !group_ || (group_->GroupInstrumentCollection.size() == size_ &&
                           group_->GroupInstrumentCollection.bucket_count() == buckets_);
    }
    const model::GroupDetails* group() const { return group_; }

    const model::GroupInstruments* conditions(std::int32_t instrumentId) const {
        if (!group_) return nullptr;
        if (!dense_) return group_->conditions(instrumentId);
        const std::int64_t at = static_cast<std::int64_t>(instrumentId) - base_;
        return at >= 0 && at < static_cast<std::int64_t>(table_.size()) ? table_[static_cast<std::size_t>(at)] : nullptr;
    }

private:
    void makeTable() {
        ready_ = true;
        std::vector<std::pair<std::int32_t, const model::GroupInstruments*>> entries = std::move(entries_);
        if (entries.empty()) {
            dense_ = true;
            return;
        }
        std::int64_t low = entries.front().first, high = low;
        for (const auto& [id, terms] : entries) {
            low = std::min<std::int64_t>(low, id);
            high = std::max<std::int64_t>(high, id);
        }
        if (high - low >= 4 * static_cast<std::int64_t>(entries.size()) + 1024) return;
        dense_ = true;
        base_ = low;
        table_.assign(static_cast<std::size_t>(high - low + 1), nullptr);
        for (const auto& [id, terms] : entries) table_[static_cast<std::size_t>(id - low)] = terms;
    }

    using Conditions = decltype(model::GroupDetails::GroupInstrumentCollection);
    const model::GroupDetails* group_;
    Conditions::const_iterator next_;
    std::size_t size_ = 0, buckets_ = 0;
    std::vector<std::pair<std::int32_t, const model::GroupInstruments*>> entries_;
    bool ready_ = false;
    bool dense_ = false;
    std::int64_t base_ = 0;
    std::vector<const model::GroupInstruments*> table_;
};

}  // namespace

void AccountLedger::registerHandlers(Dispatcher& table) {
    table.add(protocol::MsgType::AccountSummary, componentName(), [this](const Dispatch& m) {
        platform::Log::info("AccountSummary");
        UpdateAccountDetails(m.fields, m.fields.text(protocol::tag::AccountId));
    });
}

void AccountLedger::setCurrentAccountSelected(std::int32_t accountId) {
    platform::assertMainThread();
    currentAccountSelected_ = accountId;
}

void AccountLedger::UpdateAccountDetails(const MessageFields& fields, const std::optional<std::string>& accountId) {
    platform::assertMainThread();
    const bool held = accountId && reference_.updateAccount(*accountId, [&](AccountDetails& a) {
        applySummary(a, fields);
        accountChanged(a);
    });
    if (!held) {
        platform::Log::debug("Account summary for an account not held (" + accountId.value_or("none") + "): ignored");
        return;
    }
    services_.tableChanged(notifications::kPieChartUpdate);
}

void AccountLedger::applySummary(AccountDetails& a, const MessageFields& fields) {
    OrderFields::each(fields, [&](std::int64_t t, std::string_view v) {
        switch (t) {
            case tag::CurrentStatus: applyTradingStatus(a, OrderFields::integer(v)); break;
            case tag::AccountId: a.AccountId = OrderFields::integer(v); break;
            case tag::UsedMargin: a.UsedMargin = OrderFields::number(v); break;
            case tag::AvailableMargin: a.AvailableMargin = OrderFields::number(v); break;
            case tag::OneSideMargin: a.oneSideMargin = OrderFields::number(v); break;
            case tag::MarginStatus: applyMarginStatus(a, OrderFields::integer(v)); break;
            case tag::Equity: a.Equity = OrderFields::number(v); break;
            case tag::LeverageOnPositions: a.LeverageOnPositions = OrderFields::number(v); break;
            case tag::Storage: a.AccumulatingStorage = OrderFields::number(v); break;
            case tag::CollateralSecurity: a.CollateralSecurity = OrderFields::number(v); break;
            case tag::Balance: a.Balance = OrderFields::number(v); break;
            default: break;
        }
    });
}

void AccountLedger::applyTradingStatus(AccountDetails& a, std::int32_t code) {
    enum class Action { Subscribe, Unsubscribe, EquityHitPrices };
    std::int32_t status = 0;
    Action action{};
    switch (code) {
        case wire::StatusNormal: status = AccountDetails::kStatusNormal, action = Action::Subscribe; break;
        case wire::StatusViewOnly: status = AccountDetails::kStatusViewOnly, action = Action::Subscribe; break;
        case wire::StatusSuspended: status = AccountDetails::kStatusSuspended, action = Action::Unsubscribe; break;
        case wire::StatusClosePositionOnly:
            status = AccountDetails::kStatusClosePositionOnly, action = Action::Subscribe;
            break;
        case wire::StatusClosed: status = AccountDetails::kStatusClosed, action = Action::Unsubscribe; break;
        case wire::StatusEquityHit: status = AccountDetails::kStatusEquityHit, action = Action::EquityHitPrices; break;
        default:
            platform::Log::debug("Unknown account trading status " + std::to_string(code));
            a.tradingStatus = 0;
            return;
    }
    a.tradingStatus = status;
    if (a.previoustradingStatus == status) return;
    a.previoustradingStatus = status;
    switch (action) {
        case Action::Subscribe: feed_.ProcessSubscribeandUnSubscribeItems(feed_.allItems(), true); break;
        case Action::Unsubscribe:
            if (reference_.AccountDetailCollection().size() == 1)
                feed_.ProcessSubscribeandUnSubscribeItems(feed_.allItems(), false);
            break;
        case Action::EquityHitPrices: book_.requestEquityPriceinfo(a.AccountId); break;
    }
}

void AccountLedger::applyMarginStatus(AccountDetails& a, std::int32_t marginStatus) {
    a.MarginStatus = marginStatus;
    a.accountMarginStatus = marginStatus;
    if (a.previousaccountMarginStatus == marginStatus) return;
    a.previousaccountMarginStatus = marginStatus;
    if (marginStatus != 2) return;
    const std::string account = std::to_string(a.AccountId);
    services_.onMain([this, account] { MarginCallNotification(account); });
}

void AccountLedger::MarginCallNotification(const std::string& account) {
    UiServices& ui = services_.ui();
    Banner banner;
    banner.title = ui.bundleName();
    banner.subtitle = services_.text("0012") + " : " + account;
    banner.informativeText = services_.text("20217");
    banner.dismissDelayTime = 30.0;
    ui.deliverBanner(banner);
    ui.showLocalNotification(banner.subtitle, banner.informativeText);
}

// The groups of a spread pass, each once in their first account's order, and
// how far they are read. Valid while no account or group changed.
struct AccountLedger::SpreadGroups {
    explicit SpreadGroups(const ReferenceData& ref)
        : accounts(ref.AccountDetailCollection().revision()), groupsRevision(ref.GroupDetailCollection().revision()) {
        std::unordered_set<const model::GroupDetails*> seen;
        for (const auto& [id, account] : ref.AccountDetailCollection()) {
            if (!account) continue;
            const std::shared_ptr<model::GroupDetails>* group = ref.GroupDetailCollection().find(account->GroupId);
            const model::GroupDetails* g = group ? group->get() : nullptr;
            if (seen.insert(g).second) groups.emplace_back(g);
        }
    }
    bool current(const ReferenceData& ref) const {
        return accounts == ref.AccountDetailCollection().revision() &&
               groupsRevision == ref.GroupDetailCollection().revision() &&
               std::all_of(groups.begin(), groups.end(), [](const GroupTerms& g) { return g.unchanged(); });
    }
    // Reads up to about `budget` entries; false once every group is read.
    bool read(std::size_t budget) {
        for (; reading < groups.size(); ++reading) {
            const std::size_t count = groups[reading].read(budget);
            if (!groups[reading].ready()) return true;
            budget -= std::min(budget, count);
            if (budget == 0) return ++reading < groups.size();
        }
        return false;
    }

    std::uint64_t accounts, groupsRevision;
    std::vector<GroupTerms> groups;
    std::size_t reading = 0;
};

bool AccountLedger::readSpreadGroups(std::size_t entries) {
    platform::assertMainThread();
    if (!spreadGroups_ || !spreadGroups_->current(reference_)) spreadGroups_ = std::make_shared<SpreadGroups>(reference_);
    return spreadGroups_->read(std::max<std::size_t>(entries, 1));
}

void AccountLedger::SetAllSymbolsSpread(std::size_t from, std::size_t to) {
    platform::assertMainThread();
    const ReferenceData& ref = reference_;
    // The groups looked up once rather than per instrument (a group met again
    // leaves the spreads as its first meeting did): read at a pass's first
    // range unless read ahead and unchanged, kept for its next ones.
    if (!spreadGroups_ || !spreadGroups_->current(ref)) spreadGroups_ = std::make_shared<SpreadGroups>(ref);
    spreadGroups_->read(SIZE_MAX);
    const std::vector<GroupTerms>& groups = spreadGroups_->groups;
    const auto& items = ref.ItemCollection();
    const auto end = items.begin() + static_cast<std::ptrdiff_t>(std::min(to, items.size()));
    for (auto at = items.begin() + static_cast<std::ptrdiff_t>(std::min(from, items.size())); at < end; ++at) {
        const std::shared_ptr<model::ItemDetails>& item = at->second;
        if (!item) continue;
        for (const GroupTerms& group : groups) {
            const model::GroupInstruments* terms = group.conditions(item->InstrumentId);
            const std::int32_t type = terms ? terms->SpreadTypeId : 0;
            if (type == model::ItemDetails::kSpreadNone || type == model::ItemDetails::kSpreadConflict) continue;
            if (item->Spreadtype == model::ItemDetails::kSpreadNone) {
                item->BidSpread = terms->SpreadBid;
                item->AskSpread = terms->SpreadAsk;
                item->Spreadtype = type;
            } else if (item->Spreadtype != type || item->BidSpread != terms->SpreadBid ||
                       item->AskSpread != terms->SpreadAsk) {
                item->BidSpread = 0;
                item->AskSpread = 0;
                item->Spreadtype = model::ItemDetails::kSpreadConflict;
            }
        }
        if (item->Spreadtype == model::ItemDetails::kSpreadNone || item->Spreadtype == model::ItemDetails::kSpreadConflict)
            continue;
        model::PriceUpdate prices;
        prices.ItemCode = item->Code;
        prices.Ask = item->Ask;
        prices.Bid = item->Bid;
        prices.DotPosition = item->DecimalPlaces;
        prices.High = item->High;
        prices.Last = item->Last;
        prices.Low = item->Low;
        prices.Open = item->Open;
        item->ApplySpread(prices);
        item->Bid = prices.Bid;
        item->Ask = prices.Ask;
        item->Last = prices.Last;
        item->High = prices.High;
        item->Low = prices.Low;
        item->Open = prices.Open;
    }
    if (to >= items.size()) spreadGroups_.reset();
}

}  // namespace state
