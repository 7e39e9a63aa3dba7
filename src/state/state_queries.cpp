#include "state/state_queries.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string_view>
#include <functional>
#include <unordered_map>
#include <unordered_set>
#include <variant>

#include "model/language_string.h"
#include "model/text_value.h"

namespace state::Queries {

namespace {

using model::AccountDetails;
using model::Order;

int lowerByte(unsigned char c) { return std::tolower(c); }

int byteCompare(std::string_view a, std::string_view b) {
    const int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

// The whole text as a finite decimal number (surrounding blanks allowed).
std::optional<double> numberIn(const std::string& text) {
    const char* begin = text.c_str();
    while (*begin == ' ') ++begin;
    if (*begin == '\0') return std::nullopt;
    char* end = nullptr;
    const double value = std::strtod(begin, &end);
    while (*end == ' ') ++end;
    if (*end != '\0' || end != text.c_str() + text.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

// An Order property as a sortable value.
using SortValue = std::variant<std::string, double>;
using Getter = std::function<SortValue(const Order&)>;

const std::unordered_map<std::string, Getter>& orderProperties() {
    static const std::unordered_map<std::string, Getter> table = [] {
        std::unordered_map<std::string, Getter> t;
#define TEXT(name) t[#name] = [](const Order& o) -> SortValue { return o.name; }
#define GETTER(name) t[#name] = [](const Order& o) -> SortValue { return o.name(); }
#define NUMBER(name) t[#name] = [](const Order& o) -> SortValue { return static_cast<double>(o.name); }
        TEXT(AccountNumber); TEXT(ItemCode); TEXT(OrderQty); TEXT(RemainingQty); GETTER(PreviousOrderQty);
        TEXT(OrderPrice); TEXT(LimitPrice); TEXT(StopPrice); GETTER(Spread); GETTER(Bid); GETTER(Ask); GETTER(Last);
        GETTER(High); GETTER(Low); GETTER(ItemTime); GETTER(CurrentStatus); GETTER(TicketId);
        TEXT(TransactionDateTime); GETTER(OrderStatus); TEXT(OrderRouteId); TEXT(PendingOrderId); TEXT(ExecutionId);
        TEXT(OpenPositionId); GETTER(SettledQty); GETTER(SettledPL); GETTER(SettledPrice); GETTER(ClosingPositionId);
        GETTER(SettlementId); TEXT(ExpiryDate); TEXT(ValueDate); GETTER(RefPositionIdOfBracket);
        GETTER(CancelledOrderId); GETTER(LiqudateOrderNumber); TEXT(margin);
        NUMBER(tradingMode); NUMBER(orderType); NUMBER(deliveryMode); NUMBER(timeinForce);
        NUMBER(orderrejectReason); NUMBER(RequestId); NUMBER(Commision); NUMBER(UnrealisedPL); NUMBER(Storage);
        GETTER(EquityHitPrice); GETTER(CurrencyRate); GETTER(OtherCharges); GETTER(accountCurrencyRate);
        NUMBER(BaseCurrencyRate);
#undef TEXT
#undef GETTER
#undef NUMBER
        return t;
    }();
    return table;
}

int compareValues(const SortValue& a, const SortValue& b, SortDescriptor::Comparison how) {
    if (const auto* sa = std::get_if<std::string>(&a)) {
        const auto& sb = std::get<std::string>(b);
        switch (how) {
            case SortDescriptor::Comparison::LocalizedStandard: return localizedStandardCompare(*sa, sb);
            case SortDescriptor::Comparison::Numeric: return numericTextCompare(*sa, sb);
            case SortDescriptor::Comparison::Compare: break;
        }
        return byteCompare(*sa, sb);
    }
    const double da = std::get<double>(a), db = std::get<double>(b);
    return da < db ? -1 : (da > db ? 1 : 0);
}

Orders concat(Orders a, const Orders& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// An id of digits only, read as its value (at most 19 digits after leading
// zeros): localizedStandardCompare orders such ids by value first.
std::optional<std::uint64_t> digitsValue(std::string_view id) {
    constexpr std::size_t kMaxDigits = 19;
    if (id.empty()) return std::nullopt;
    std::uint64_t value = 0;
    std::size_t digits = 0;
    for (const char c : id) {
        if (c < '0' || c > '9') return std::nullopt;
        if (digits == 0 && c == '0') continue;
        if (++digits > kMaxDigits) return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return value;
}

// The orders stably sorted by localizedStandardCompare of their position ids,
// each id read once: numeric ids compare as numbers, the rest (and equal
// values) as that function does.
void sortByPositionId(Orders& orders) {
    struct Keyed {
        std::uint64_t value;
        bool digits;
        std::string_view id;
        std::size_t at;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(orders.size());
    for (std::size_t at = 0; at < orders.size(); ++at) {
        const std::string_view id = orders[at]->OpenPositionId;
        const std::optional<std::uint64_t> value = digitsValue(id);
        keyed.push_back({value.value_or(0), value.has_value(), id, at});
    }
    const auto before = [](const Keyed& x, const Keyed& y) {
        if (x.digits && y.digits && x.value != y.value) return x.value < y.value;
        return localizedStandardCompare(x.id, y.id) < 0;
    };
    // Already in order (as received, mostly): the sort would keep it as it is.
    if (std::is_sorted(keyed.begin(), keyed.end(), before)) return;
    std::stable_sort(keyed.begin(), keyed.end(), before);
    Orders sorted;
    sorted.reserve(orders.size());
    for (const Keyed& k : keyed) sorted.push_back(std::move(orders[k.at]));
    orders = std::move(sorted);
}

}  // namespace

int localizedStandardCompare(std::string_view a, std::string_view b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const auto ca = static_cast<unsigned char>(a[i]), cb = static_cast<unsigned char>(b[j]);
        if (std::isdigit(ca) && std::isdigit(cb)) {
            std::size_t ei = i, ej = j;
            while (ei < a.size() && std::isdigit(static_cast<unsigned char>(a[ei]))) ++ei;
            while (ej < b.size() && std::isdigit(static_cast<unsigned char>(b[ej]))) ++ej;
            // Compare by value: leading zeros off, then length, then digits.
            std::size_t zi = i, zj = j;
            while (zi + 1 < ei && a[zi] == '0') ++zi;
            while (zj + 1 < ej && b[zj] == '0') ++zj;
            if (ei - zi != ej - zj) return ei - zi < ej - zj ? -1 : 1;
            const int c = a.compare(zi, ei - zi, b, zj, ej - zj);
            if (c != 0) return c < 0 ? -1 : 1;
            i = ei;
            j = ej;
            continue;
        }
        const int la = lowerByte(ca), lb = lowerByte(cb);
        if (la != lb) return la < lb ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    return byteCompare(a, b);
}

int numericTextCompare(const std::string& a, const std::string& b) {
    const std::optional<double> x = numberIn(a), y = numberIn(b);
    if (x && y && *x != *y) return *x < *y ? -1 : 1;
    if (x.has_value() != y.has_value()) return x ? -1 : 1;
    return byteCompare(a, b);
}

int localizedCompare(const std::string& a, const std::string& b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t k = 0; k < n; ++k) {
        const int la = lowerByte(static_cast<unsigned char>(a[k])), lb = lowerByte(static_cast<unsigned char>(b[k]));
        if (la != lb) return la < lb ? -1 : 1;
    }
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    return byteCompare(a, b);
}

namespace {

bool isAccountVisible(const AccountDetails& account) {
    const std::int32_t status = account.tradingStatus, access = account.accountaccessType;
    return !(status == AccountDetails::kStatusSuspended || status == AccountDetails::kStatusClosed ||
             access == AccountDetails::kAccessViewMarket || access == AccountDetails::kAccessNone);
}

}  // namespace

bool isOrderVisible(const AccountMap& accounts, const Order& order) {
    const std::shared_ptr<AccountDetails>* a = accounts.find(order.AccountNumber);
    return !a || !*a || isAccountVisible(**a);
}

Orders visibleOrders(const Orders& orders, const AccountMap& accounts) {
    Orders out;
    out.reserve(orders.size());
    // An order of no known account is shown: with every account shown, every order is.
    const bool everyAccountVisible = std::all_of(accounts.begin(), accounts.end(), [](const auto& entry) {
        return !entry.second || isAccountVisible(*entry.second);
    });
    for (const auto& o : orders)
        if (o && (everyAccountVisible || isOrderVisible(accounts, *o))) out.push_back(o);
    return out;
}

bool anyVisible(const Orders& orders, const AccountMap& accounts) {
    return std::any_of(orders.begin(), orders.end(), [&](const auto& o) { return o && isOrderVisible(accounts, *o); });
}

void sortOrders(Orders& orders, const std::optional<std::vector<SortDescriptor>>& descriptors) {
    if (!descriptors || descriptors->empty()) return;
    const auto& table = orderProperties();
    std::vector<std::pair<const Getter*, const SortDescriptor*>> keys;
    for (const SortDescriptor& d : *descriptors) {
        const auto it = table.find(d.key);
        if (it != table.end()) keys.emplace_back(&it->second, &d);
    }
    if (keys.empty()) return;
    std::stable_sort(orders.begin(), orders.end(), [&](const auto& x, const auto& y) {
        if (!x || !y) return static_cast<bool>(x) && !y;
        for (const auto& [get, d] : keys) {
            const int c = compareValues((*get)(*x), (*get)(*y), d->comparison);
            if (c != 0) return d->ascending ? c < 0 : c > 0;
        }
        return false;
    });
}

Orders executedOrders(bool search, const Orders& searchAnswer, const Orders& open, const Orders& openCopy,
                      const AccountMap& accounts) {
    Orders out = search ? searchAnswer : concat(visibleOrders(open, accounts), visibleOrders(openCopy, accounts));
    out.erase(std::remove(out.begin(), out.end(), nullptr), out.end());
    sortByPositionId(out);
    return out;
}

std::shared_ptr<model::Order> executedOrder(bool search, const Orders& searchAnswer, const Orders& open,
                                            const Orders& openCopy, const AccountMap& accounts, std::string_view id) {
    // The sort is stable and only equal ids compare equal: the first in list order is the first sorted.
    const auto first = [id](const Orders& orders) -> std::shared_ptr<model::Order> {
        for (const auto& o : orders)
            if (o && o->OpenPositionId.view() == id) return o;
        return nullptr;
    };
    if (search) return first(searchAnswer);
    if (auto found = first(visibleOrders(open, accounts))) return found;
    return first(visibleOrders(openCopy, accounts));
}

bool canShowAccount(const AccountDetails& a) {
    const std::int32_t s = a.tradingStatus, t = a.accountaccessType;
    const bool statusShown = s == 1 || s == 2 || s == 4 || s == 5;
    const bool accessShown = t == 1 || t == 2 || t == 3;
    return statusShown && accessShown;
}

Accounts accountCollection(const AccountMap& accounts) {
    Accounts out;
    for (const auto& [id, a] : accounts)
        if (a && canShowAccount(*a)) out.push_back(a);
    return out;
}

void calcAccountDetails(std::int32_t accountId, const AccountMap& accounts, const GroupMap& groups,
                        const Orders& openOrders) {
    const std::shared_ptr<AccountDetails>* a = accounts.find(std::to_string(accountId));
    if (!a || !*a) return;
    AccountDetails& account = **a;
    const std::shared_ptr<model::GroupDetails>* g = groups.find(account.GroupId);
    // Only this account's visible positions count; the sum starts at 0.0.
    double sum = 0.0;
    for (const auto& o : openOrders) {
        if (!o || model::TextValue::intValue(o->AccountNumber) != account.AccountId) continue;
        if (!isOrderVisible(accounts, *o)) continue;
        sum += o->UnrealisedPL;
    }
    account.applyUnrealisedPL((g && *g) ? g->get() : nullptr, sum);
}

bool canShowAERights(const AccountMap& accounts, const model::UserInfo* user) {
    if (!user) return false;
    const auto userId = static_cast<std::int64_t>(user->UserId);
    for (const auto& [id, a] : accounts)
        if (a && canShowAccount(*a) && static_cast<std::int64_t>(a->primaryAccountHolderUserid) == userId) return true;
    return false;
}

bool isUserMappedWithAccount(const UserAccountMap& maps, std::uint64_t accountId) {
    for (const auto& [id, m] : maps)
        if (m && m->accountId == accountId) return true;
    return false;
}

UserAccountMapList getUserMappedWithAccount(const UserAccountMap& maps, const AccountMap& accounts,
                                            std::uint64_t accountId) {
    const std::shared_ptr<AccountDetails>* a = accounts.find(std::to_string(accountId));
    const std::uint64_t holder = (a && *a) ? (*a)->primaryAccountHolderUserid : 0;
    UserAccountMapList out;
    for (const auto& [id, m] : maps)
        if (m && m->accountId == accountId && m->userId != holder) out.push_back(m);
    return out;
}

void updateUserAccountMaps(UserAccountMap& maps, const model::UserAccountMaps& map) {
    std::shared_ptr<model::UserAccountMaps>* m = maps.find(userAccountMapKey(map.userId, map.accountId));
    if (m && *m) (*m)->accountAccessTypeId = map.accountAccessTypeId;
}

std::string userAccountMapKey(std::uint64_t userId, std::uint64_t accountId) {
    return std::to_string(userId) + "#" + std::to_string(accountId);
}

std::vector<std::string> allItems(const std::vector<std::string>& selectedSymbols,
                                  const Orders& open, const Orders& pending, const AccountMap& accounts) {
    std::vector<std::string> out;
    // Views of the codes the symbols and the held orders keep.
    platform::CodeSet seen;
    seen.reserve(selectedSymbols.size() + open.size() + pending.size());
    out.reserve(selectedSymbols.size());
    auto add = [&](std::string_view code) {
        if (seen.insert(code)) out.emplace_back(code);
    };
    for (const std::string& code : selectedSymbols) add(code);
    // Orders come by account: an account's visibility is looked up when it changes.
    auto addVisible = [&](const Orders& orders) {
        std::optional<std::string_view> account;
        bool visible = false;
        for (const auto& o : orders) {
            if (!o) continue;
            if (!account || *account != std::string_view(o->AccountNumber)) {
                account = std::string_view(o->AccountNumber);
                visible = isOrderVisible(accounts, *o);
            }
            if (visible) add(o->ItemCode);
        }
    };
    addVisible(open);
    addVisible(pending);
    return out;
}

void ItemsGathering::add(std::string_view code) {
    if (seen_.contains(code)) return;
    if (out_.size() == out_.capacity()) {
        // The seen codes view the gathered ones: read them again where they moved.
        out_.reserve(std::max(kFirstCodes, 2 * out_.capacity()));
        seen_.clear();
        for (const std::string& held : out_) seen_.insert(held);
    }
    seen_.insert(out_.emplace_back(code));
}

bool ItemsGathering::step(const std::vector<std::string>& selectedSymbols, const Orders& open, const Orders& pending,
                          const AccountMap& accounts, std::size_t count) {
    const std::size_t symbols = selectedSymbols.size();
    const std::size_t total = symbols + open.size() + pending.size();
    const std::size_t end = std::min(total, next_ + std::min(count, total));
    if (next_ == 0) {  // no rehash of every code, nor move of the gathered ones, in a later step
        seen_.reserve(total);
        out_.reserve(total);
        // A large set's fresh pages are taken in steps of their own, not all by the first codes.
        if (!seen_.prepareRoom(kRoomBytesPerStep)) return false;
    }
    for (; next_ < end; ++next_) {
        if (next_ < symbols) {
            add(selectedSymbols[next_]);
            continue;
        }
        const std::size_t at = next_ - symbols;
        const auto& o = at < open.size() ? open[at] : pending[at - open.size()];
        if (!o) continue;
        const std::string_view account(o->AccountNumber);
        if (!accountRead_ || account_ != account) {
            account_ = account;
            accountRead_ = true;
            visible_ = isOrderVisible(accounts, *o);
        }
        if (visible_) add(std::string_view(o->ItemCode));
    }
    return next_ >= total;
}

namespace {

ChatRooms roomsWhere(const ChatRoomMap& rooms, const std::function<bool(const model::ChatRoom&)>& keep) {
    std::vector<const std::string*> keys;
    for (const auto& [key, room] : rooms) keys.push_back(&key);
    std::stable_sort(keys.begin(), keys.end(),
                     [](const std::string* x, const std::string* y) { return localizedCompare(*x, *y) > 0; });
    ChatRooms out;
    for (const std::string* key : keys) {
        const std::shared_ptr<model::ChatRoom>* room = rooms.find(*key);
        if (room && *room && keep(**room)) out.push_back(*room);
    }
    return out;
}

}  // namespace

ChatRooms messageNotices(const ChatRoomMap& rooms) {
    return roomsWhere(rooms, [](const model::ChatRoom& r) { return r.isMessageNotices; });
}

ChatRooms recentChats(const ChatRoomMap& rooms) {
    return roomsWhere(rooms, [](const model::ChatRoom& r) { return !r.isMessageNotices && !r.isChatRoomCreated; });
}

std::vector<std::shared_ptr<model::ResourceDetails>> resourceList(const ResourceMap& resources) {
    std::vector<std::pair<const std::string*, std::shared_ptr<model::ResourceDetails>>> rows;
    for (const auto& [key, r] : resources)
        if (r && r->caption.find('#') == std::string::npos) rows.emplace_back(&key, r);
    std::stable_sort(rows.begin(), rows.end(),
                     [](const auto& x, const auto& y) { return localizedStandardCompare(*x.first, *y.first) < 0; });
    std::vector<std::shared_ptr<model::ResourceDetails>> out;
    out.reserve(rows.size());
    for (auto& row : rows) out.push_back(std::move(row.second));
    return out;
}

bool checkMarketSessionSchedulesIsAvailable(const ScheduleMap& schedules, std::uint64_t marketId) {
    return schedules.contains(std::to_string(marketId));
}

WeekSchedule marketSessionSchedules(const ScheduleMap& schedules, const SessionSettingMap& settings,
                                    std::uint64_t marketId, std::int64_t language) {
    WeekSchedule out;
    const auto* rows = schedules.find(std::to_string(marketId));
    if (!rows) return out;
    for (const auto& s : *rows) {
        if (!s) continue;
        std::vector<std::string>& lines = out[s->dayOfTheWeekID];
        const std::shared_ptr<model::SessionSettings>* setting = settings.find(std::to_string(s->tradeSessionSettingID));
        if (setting && *setting && ((*setting)->marketTradingStatus == 1 || (*setting)->marketTradingStatus == 2))
            lines.push_back(s->startTime + " - " + s->stopTime);
    }
    for (auto& [day, lines] : out)
        if (lines.empty()) lines.push_back(model::LanguageString::stringforSelectedLanguage(language, "10971"));
    return out;
}

std::string getDaysOfTheWeekName(std::uint64_t weekday, std::int64_t language) {
    if (weekday > 6) return "";
    std::string key = std::to_string(685 + weekday);
    key.insert(key.begin(), '0');
    return model::LanguageString::stringforSelectedLanguage(language, key);
}

}  // namespace state::Queries
