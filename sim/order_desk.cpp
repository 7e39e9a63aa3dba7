#include "order_desk.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace sim {

namespace {

// Reasons sent in tag 74 of a rejection, chosen so the client's text names the cause.
constexpr int kRejectMargin = 1;               // not enough margin
constexpr int kRejectAccount = 2;              // the account may not trade
constexpr int kRejectInstrument = 5;           // the instrument is not tradable
constexpr int kRejectUnknownPosition = 11;     // the position was not found
constexpr int kRejectUnknownOrder = 80;        // the order was not found
constexpr int kRejectPrice = 81;               // the price is outside the allowed range
constexpr int kRejectQuantity = 83;            // the quantity is not valid
constexpr int kRejectMalformed = 3;            // the general rejection
constexpr int kRejectAccountStatus = kRejectAccount;
// Refusals of what the permission bits forbid; their texts name the account and the instrument.
constexpr int kRejectAccountRights = kRejectAccount;
constexpr int kRejectInstrumentRights = kRejectInstrument;

// The order-type bit of the account's and the instrument's AvailableOrderTypes.
long long orderTypeBit(int type) { return type == 1 ? 0x01 : type == 2 ? 0x40 : 0x80; }

// A number from a request; 0 for text that is not one, and for infinities and NaN.
double toDouble(const std::string& s) {
    char* end = nullptr;
    const double v = std::strtod(s.c_str(), &end);
    return end == s.c_str() || !std::isfinite(v) ? 0 : v;
}

int toInt(const std::string& s) { return std::atoi(s.c_str()); }

// Tag 33 sets the client's request counter, so it is echoed only in answers sent
// at once to a request that carried an id: never 0, never an earlier request's id.
void addRequestId(WireMessage& m, int requestId) {
    if (requestId > 0) m.add(33, requestId);
}

}  // namespace

int orderTypeWire(int type) { return type == 1 ? 29 : type == 2 ? 30 : type == 3 ? 31 : 0; }
int orderTypeFromWire(int wire) { return wire == 29 ? 1 : wire == 30 ? 2 : wire == 31 ? 3 : 0; }
int deliveryWire(int mode) { return mode >= 1 && mode <= 3 ? 50 + mode : 51; }
int timeInForceWire(int tif) { return tif == 2 ? 48 : tif == 5 ? 54 : 47; }
int tradingStatusWire(int status) {
    switch (status) {
        case 1: return 814;
        case 2: return 815;
        case 3: return 816;
        case 4: return 817;
        case 5: return 825;
        case 6: return 819;
        default: return 818;
    }
}

OrderDesk::OrderDesk(Scenario& scenario, Market& market) : scenario_(scenario), market_(market) {
    auto after = [](long long& counter, const std::string& id) {
        const long long v = std::atoll(id.c_str());
        if (v >= counter) counter = v + 1;
    };
    for (const auto& p : scenario_.positions) {
        after(nextPosition_, p.id);
        after(nextPending_, p.pendingOrderId);
        after(nextExecution_, p.executionId);
        after(nextTicket_, p.ticketId);
    }
    for (const auto& o : scenario_.pendingOrders) {
        after(nextPending_, o.id);
        after(nextTicket_, o.ticketId);
    }
    for (const auto& s : scenario_.settled) {
        after(nextSettlement_, s.id);
        after(nextPosition_, s.closingPositionId);
    }
    for (const auto& c : scenario_.cancelled) {
        after(nextCancel_, c.id);
        after(nextPending_, c.pendingOrderId);
        after(nextTicket_, c.ticketId);
    }
}

void OrderDesk::Result::touch(int account) {
    if (std::find(accounts.begin(), accounts.end(), account) == accounts.end()) accounts.push_back(account);
}

bool OrderDesk::ownsAccount(const std::string& user, int account) const {
    const UserRecord* u = scenario_.findUser(user);
    return u && std::find(u->accounts.begin(), u->accounts.end(), account) != u->accounts.end() &&
           scenario_.account(account) != nullptr;
}

std::string OrderDesk::ownerOf(int accountId) const {
    for (const auto& u : scenario_.users())
        if (std::find(u.accounts.begin(), u.accounts.end(), accountId) != u.accounts.end()) return u.name;
    return {};
}

PositionRecord* OrderDesk::findPosition(const std::string& id) {
    for (auto& p : scenario_.positions)
        if (p.id == id) return &p;
    return nullptr;
}

PendingOrderRecord* OrderDesk::findPending(const std::string& id) {
    for (auto& o : scenario_.pendingOrders)
        if (o.id == id) return &o;
    return nullptr;
}

double OrderDesk::marketPrice(int instrumentId, bool buy) const {
    const InstrumentRecord* ins = scenario_.instrumentById(instrumentId);
    if (!ins) return 0;
    const int idx = market_.index(ins->code);
    if (idx < 0) return ins->price;
    const Market::Quote q = market_.quote(static_cast<std::size_t>(idx));
    return buy ? q.ask : q.bid;
}

double OrderDesk::commissionPerLot(int account, int instrumentId) const {
    const AccountRecord* a = scenario_.account(account);
    if (!a) return 0;
    return jsonNumber(scenario_.groupInstrument(a->groupId, instrumentId), "Commission", 0);
}

WireMessage OrderDesk::orderStatus(int status, const PendingOrderRecord& o, int requestId) const {
    const InstrumentRecord* ins = scenario_.instrumentById(o.instrumentId);
    const int decimals = ins ? ins->decimals : 5;
    WireMessage m(62);
    m.add(73, status);
    addRequestId(m, requestId);
    m.add(79, o.id).add(81, o.ticketId).add(34, o.accountId);
    m.add(12, ins ? ins->code : std::string());
    m.add(32, orderTypeWire(o.orderType)).add(36, o.isBuy ? 45 : 46);
    m.add(37, plain(o.qty)).add(38, fixed(o.price, decimals));
    if (o.limitPrice > 0) m.add(39, fixed(o.limitPrice, decimals));
    if (o.stopPrice > 0) m.add(40, fixed(o.stopPrice, decimals));
    m.add(43, timeInForceWire(o.timeInForce)).add(76, plain(o.remaining)).add(78, packedNow());
    m.add(117, deliveryWire(o.deliveryMode));
    if (!o.refPositionIdOfBracket.empty()) m.add(573, o.refPositionIdOfBracket);
    return m;
}

WireMessage OrderDesk::execution(const PositionRecord& p, int requestId) const {
    const InstrumentRecord* ins = scenario_.instrumentById(p.instrumentId);
    WireMessage m(67);
    m.add(73, 74).add(80, p.id).add(79, p.pendingOrderId);
    addRequestId(m, requestId);
    m.add(34, p.accountId);
    m.add(12, ins ? ins->code : std::string());
    // Remaining quantity and commission before the ordered quantity, so that the
    // commission is taken whole.
    m.add(76, p.qty > 0 ? plain(p.qty) : std::string("0")).add(545, fixed(p.commission, 2));
    m.add(37, plain(p.initialQty)).add(38, fixed(p.price, ins ? ins->decimals : 5));
    m.add(72, p.executionId).add(78, p.date).add(162, "1").add(585, p.valueDate).add(44, p.expiryDate);
    return m;
}

bool OrderDesk::canOpen(int accountId) const {
    const AccountRecord* a = scenario_.account(accountId);
    const long long access = a ? jsonInteger(a->record, "AccountAccessTypeId", 1) : 0;
    return a && a->tradingStatus == 1 && access == 1;
}

bool OrderDesk::canClose(int accountId) const {
    const AccountRecord* a = scenario_.account(accountId);
    const long long access = a ? jsonInteger(a->record, "AccountAccessTypeId", 1) : 0;
    return a && (a->tradingStatus == 1 || a->tradingStatus == 4 || a->tradingStatus == 5) && (access == 1 || access == 2);
}

double OrderDesk::freeMargin(int accountId) const {
    const WireMessage summary = accountSummary(accountId);
    return toDouble(summary.get(85));
}

WireMessage OrderDesk::accountSummary(int accountId) const {
    const AccountRecord* a = scenario_.account(accountId);
    WireMessage m(1045);
    m.add(34, accountId);
    if (!a) return m;
    double unrealised = 0;
    for (const auto& p : scenario_.positions) {
        if (p.accountId != accountId || p.qty <= 0) continue;
        const InstrumentRecord* ins = scenario_.instrumentById(p.instrumentId);
        if (!ins) continue;
        const double mark = marketPrice(p.instrumentId, !p.isBuy);
        unrealised += (mark - p.price) * p.qty * ins->contractSize * (p.isBuy ? 1 : -1);
    }
    const AccountMargins margins = accountMargins(scenario_, accountId);
    const double used = margins.used;
    const double equity = a->balance + unrealised;
    double callLevel = 0;
    for (const auto& g : jsonItems(scenario_.root(), "groups"))
        if (jsonInteger(g, "GroupId") == a->groupId) callLevel = jsonNumber(g, "MarginCallLevel", 0);
    const int marginStatus = (used > 0 && callLevel > 0 && equity / used * 100 < callLevel) ? 2 : 1;
    m.add(24, tradingStatusWire(a->tradingStatus)).add(560, fixed(a->balance, 2));
    m.add(84, fixed(used, 2)).add(85, fixed(equity - used, 2)).add(120, fixed(margins.oneSide, 2)).add(129, marginStatus);
    m.add(130, fixed(equity, 2)).add(132, fixed(used > 0 ? equity / used : 0, 2));
    m.add(141, "0").add(144, "0");
    return m;
}

void OrderDesk::reject(const WireMessage& m, int requestId, int reason, const std::string& pendingId,
                       const std::string& liquidate, Result& r) {
    WireMessage out(62);
    out.add(73, 25);
    addRequestId(out, requestId);
    out.add(74, reason);
    if (!pendingId.empty()) out.add(79, pendingId);
    out.add(12, m.get(12)).add(34, m.get(34)).add(78, packedNow()).add(125, liquidate);
    r.messages.push_back(out);
}

std::vector<WireMessage> OrderDesk::handle(const WireMessage& m, const std::string& user) {
    Result r;
    const int requestId = toInt(m.get(33));
    switch (m.type()) {
        case 60:
            if (m.has(125)) {
                offset(m.get(125), toDouble(m.get(37)), requestId, user, r);
            } else {
                const int account = toInt(m.get(34));
                if (!ownsAccount(user, account)) reject(m, requestId, kRejectAccount, "", "", r);
                else newOrder(m, account, toDouble(m.get(37)), requestId, r);
            }
            break;
        case 72:
            if (m.get(1035) == "EBO") editBracket(m, user, r);
            else editWorking(m, user, r);
            break;
        case 77: {
            for (const auto& rec : split(m.get(91), kRow)) {
                if (rec.empty()) continue;
                const auto f = split(rec, kColumn);
                if (f.size() < 3) continue;
                const int account = toInt(f[0]);
                const int reqId = toInt(f[2]);
                if (!ownsAccount(user, account)) reject(m, reqId, kRejectAccount, "", "", r);
                else newOrder(m, account, toDouble(f[1]), reqId, r);
            }
            break;
        }
        case 82: closePositions(m, user, r); break;
        case 1052: closeHedged(m, user, r); break;
        default: break;
    }
    for (int a : r.accounts) r.messages.push_back(accountSummary(a));
    return r.messages;
}

void OrderDesk::newOrder(const WireMessage& m, int account, double qty, int requestId, Result& r) {
    const InstrumentRecord* ins = scenario_.instrumentByCode(m.get(12));
    if (!ins) return reject(m, requestId, kRejectInstrument, "", "", r);
    const int type = orderTypeFromWire(toInt(m.get(32)));
    if (type == 0) return reject(m, requestId, kRejectPrice, "", "", r);
    if (!(qty > 0) || !std::isfinite(qty)) return reject(m, requestId, kRejectQuantity, "", "", r);
    const double price = toDouble(m.get(38));
    if (type != 1 && !(price > 0)) return reject(m, requestId, kRejectPrice, "", "", r);
    if (!canOpen(account)) return reject(m, requestId, kRejectAccountStatus, "", "", r);
    const AccountRecord* a = scenario_.account(account);
    const Json& terms = scenario_.groupInstrument(a->groupId, ins->id);
    if (!terms.is_object()) return reject(m, requestId, kRejectInstrument, "", "", r);  // not traded by the group
    const long long typeBit = orderTypeBit(type);
    if (!(jsonInteger(a->record, "AvailableOrderTypes", 0) & typeBit))
        return reject(m, requestId, kRejectAccountRights, "", "", r);
    if (!(jsonInteger(*ins->record, "AvailableOrderTypes", 0) & typeBit))
        return reject(m, requestId, kRejectInstrumentRights, "", "", r);
    const bool buy = toInt(m.get(36)) != 46;
    if (!(jsonInteger(terms, "availableOrderSettings", 0) & (buy ? 0x01 : 0x02)))
        return reject(m, requestId, kRejectInstrumentRights, "", "", r);
    const double maxQty = jsonNumber(terms, "MaxOrderQty", 0);
    if (maxQty > 0 && qty > maxQty) return reject(m, requestId, kRejectQuantity, "", "", r);
    const double margin = qty * jsonNumber(terms, "Initialmargin", 0);
    if (margin > freeMargin(account)) return reject(m, requestId, kRejectMargin, "", "", r);

    PendingOrderRecord o;
    o.id = nextId(nextPending_);
    o.ticketId = nextId(nextTicket_);
    o.accountId = account;
    o.instrumentId = ins->id;
    o.isBuy = toInt(m.get(36)) != 46;
    o.orderType = type;
    o.qty = qty;
    o.remaining = qty;
    o.price = type == 1 ? marketPrice(ins->id, o.isBuy) : price;
    o.limitPrice = std::max(0.0, toDouble(m.get(39)));
    o.stopPrice = std::max(0.0, toDouble(m.get(40)));
    const int delivery = toInt(m.get(117));
    o.deliveryMode = delivery >= 51 && delivery <= 53 ? delivery - 50 : 1;
    const int tif = toInt(m.get(43));
    o.timeInForce = tif == 48 ? 2 : tif == 54 ? 5 : 1;
    o.date = packedNow();
    o.requestId = requestId;
    r.messages.push_back(orderStatus(28, o, requestId));
    if (type == 1) {
        fill(o, o.price, requestId, r);
    } else {
        scenario_.pendingOrders.push_back(o);
        r.touch(account);
    }
}

void OrderDesk::fill(PendingOrderRecord o, double price, int requestId, Result& r) {
    // Removes the working order, if it was held, then opens the position.
    scenario_.pendingOrders.erase(std::remove_if(scenario_.pendingOrders.begin(), scenario_.pendingOrders.end(),
                                                 [&](const PendingOrderRecord& x) { return x.id == o.id; }),
                                  scenario_.pendingOrders.end());
    const double qty = o.remaining;
    o.remaining = 0;
    o.price = price;
    r.messages.push_back(orderStatus(23, o, requestId));
    openPosition(o, qty, price, requestId, r);
}

std::vector<WireMessage> OrderDesk::partialFill(const std::string& pendingId, double qty, std::string* error) {
    PendingOrderRecord* o = findPending(pendingId);
    if (!o) {
        *error = "unknown pending order " + pendingId;
        return {};
    }
    if (!(qty > 0) || !std::isfinite(qty) || qty >= o->remaining - 1e-9) {
        *error = "QTY must be above 0 and below the remaining " + plain(o->remaining);
        return {};
    }
    Result r;
    const double price = marketPrice(o->instrumentId, o->isBuy);
    o->remaining -= qty;
    // Filled by the market, not answering a request: no request id.
    r.messages.push_back(orderStatus(22, *o, 0));
    openPosition(*o, qty, price, 0, r);
    for (int a : r.accounts) r.messages.push_back(accountSummary(a));
    return r.messages;
}

void OrderDesk::openPosition(const PendingOrderRecord& o, double qty, double price, int requestId, Result& r) {
    PositionRecord p;
    p.id = nextId(nextPosition_);
    p.accountId = o.accountId;
    p.instrumentId = o.instrumentId;
    p.isBuy = o.isBuy;
    p.initialQty = qty;
    p.qty = qty;
    p.price = price;
    p.commission = commissionPerLot(o.accountId, o.instrumentId) * qty;
    p.date = packedNow();
    p.pendingOrderId = o.id;
    p.executionId = nextId(nextExecution_);
    p.ticketId = o.ticketId;
    p.deliveryMode = o.deliveryMode;
    p.orderType = o.orderType;
    p.valueDate = p.date;
    scenario_.positions.push_back(p);
    r.messages.push_back(execution(p, requestId));
    if (o.limitPrice > 0 || o.stopPrice > 0) addBracketLegs(p, o.limitPrice, o.stopPrice, requestId, r);
    if (AccountRecord* a = scenario_.account(o.accountId)) a->balance -= p.commission;
    r.touch(o.accountId);
}

void OrderDesk::addBracketLegs(const PositionRecord& p, double limit, double stop, int requestId, Result& r) {
    for (int leg = 0; leg < 2; ++leg) {
        const double price = leg == 0 ? limit : stop;
        if (!(price > 0)) continue;
        PendingOrderRecord o;
        o.id = nextId(nextPending_);
        o.ticketId = nextId(nextTicket_);
        o.accountId = p.accountId;
        o.instrumentId = p.instrumentId;
        o.isBuy = !p.isBuy;
        o.orderType = leg == 0 ? 2 : 3;
        o.qty = p.qty;
        o.remaining = p.qty;
        o.price = price;
        o.deliveryMode = p.deliveryMode;
        o.date = packedNow();
        o.refPositionIdOfBracket = p.id;
        o.requestId = requestId;
        scenario_.pendingOrders.push_back(o);
        r.messages.push_back(orderStatus(28, o, requestId));
    }
}

void OrderDesk::cancelLegs(const std::string& positionId, int requestId, Result& r) {
    auto& list = scenario_.pendingOrders;
    for (auto it = list.begin(); it != list.end();) {
        if (it->refPositionIdOfBracket == positionId) {
            r.messages.push_back(orderStatus(24, *it, requestId));
            it = list.erase(it);
        } else {
            ++it;
        }
    }
}

void OrderDesk::closeAtMarket(PositionRecord& pos, double qty, int requestId, Result& r, double price) {
    const InstrumentRecord* ins = scenario_.instrumentById(pos.instrumentId);
    const double contract = ins ? ins->contractSize : 1;
    if (!(price > 0)) price = marketPrice(pos.instrumentId, !pos.isBuy);
    PendingOrderRecord closing;
    closing.id = nextId(nextPending_);
    closing.ticketId = nextId(nextTicket_);
    closing.accountId = pos.accountId;
    closing.instrumentId = pos.instrumentId;
    closing.isBuy = !pos.isBuy;
    closing.orderType = 1;
    closing.qty = qty;
    closing.remaining = qty;
    closing.price = price;
    closing.deliveryMode = pos.deliveryMode;
    closing.date = packedNow();
    WireMessage pending = orderStatus(28, closing, requestId);
    pending.add(125, pos.id);
    r.messages.push_back(pending);
    closing.remaining = 0;
    r.messages.push_back(orderStatus(23, closing, requestId));

    // The closing execution, already closed itself.
    PositionRecord exec;
    exec.id = nextId(nextPosition_);
    exec.accountId = pos.accountId;
    exec.instrumentId = pos.instrumentId;
    exec.isBuy = !pos.isBuy;
    exec.initialQty = qty;
    exec.qty = 0;
    exec.price = price;
    exec.date = packedNow();
    exec.pendingOrderId = closing.id;
    exec.executionId = nextId(nextExecution_);
    exec.valueDate = exec.date;
    r.messages.push_back(execution(exec, requestId));
    // A trade of the session: the executed search finds it.
    scenario_.closedPositions.push_back(exec);

    pos.qty = std::max(0.0, pos.qty - qty);
    const bool closed = pos.qty <= 1e-9;
    WireMessage update(67);
    update.add(73, 73).add(80, pos.id).add(76, closed ? std::string("0") : plain(pos.qty));
    r.messages.push_back(update);

    const double pl = (price - pos.price) * qty * contract * (pos.isBuy ? 1 : -1);
    SettledRecord s;
    s.id = nextId(nextSettlement_);
    s.accountId = pos.accountId;
    s.instrumentId = pos.instrumentId;
    s.refPositionId = pos.id;
    s.closingPositionId = exec.id;
    s.qty = qty;
    s.pl = pl;
    s.date = packedNow();
    s.isBuy = pos.isBuy;
    s.openPrice = pos.price;
    s.closePrice = price;
    s.openDate = pos.date;
    s.closeDate = s.date;
    s.deliveryMode = pos.deliveryMode;
    scenario_.settled.push_back(s);
    WireMessage settle(66);
    settle.add(12, pos.instrumentId).add(34, pos.accountId).add(78, s.date).add(80, pos.id).add(86, s.id);
    settle.add(87, exec.id).add(88, fixed(pl, 2)).add(89, plain(qty)).add(141, "0").add(142, "1");
    settle.add(143, "0").add(545, "0").add(604, "1");
    r.messages.push_back(settle);
    if (AccountRecord* a = scenario_.account(pos.accountId)) a->balance += pl;

    const std::string id = pos.id;
    const int account = pos.accountId;
    if (closed) {
        scenario_.closedPositions.push_back(pos);
        scenario_.positions.erase(std::remove_if(scenario_.positions.begin(), scenario_.positions.end(),
                                                 [&](const PositionRecord& x) { return x.id == id; }),
                                  scenario_.positions.end());
        cancelLegs(id, requestId, r);
    }
    r.touch(account);
}

void OrderDesk::offset(const std::string& positionId, double qty, int requestId, const std::string& user, Result& r) {
    WireMessage ref(60);
    ref.add(125, positionId);
    PositionRecord* p = findPosition(positionId);
    if (!p || !ownsAccount(user, p->accountId)) return reject(ref, requestId, kRejectUnknownPosition, "", positionId, r);
    if (!(qty > 0) || qty > p->qty + 1e-9) return reject(ref, requestId, kRejectQuantity, "", positionId, r);
    if (!canClose(p->accountId)) return reject(ref, requestId, kRejectAccountStatus, "", positionId, r);
    closeAtMarket(*p, qty, requestId, r);
}

void OrderDesk::editBracket(const WireMessage& m, const std::string& user, Result& r) {
    const int requestId = toInt(m.get(33));
    PositionRecord* p = findPosition(m.get(573));
    if (!p || !ownsAccount(user, p->accountId)) return reject(m, requestId, kRejectUnknownPosition, "", "", r);
    const PositionRecord pos = *p;
    for (int leg = 0; leg < 2; ++leg) {
        const int type = leg == 0 ? 2 : 3;
        const double price = std::max(0.0, toDouble(m.get(leg == 0 ? 39 : 40)));
        PendingOrderRecord* existing = nullptr;
        for (auto& o : scenario_.pendingOrders)
            if (o.refPositionIdOfBracket == pos.id && o.orderType == type) existing = &o;
        if (existing && price > 0) {
            existing->price = price;
            r.messages.push_back(orderStatus(75, *existing, requestId));
        } else if (existing) {
            const PendingOrderRecord gone = *existing;
            scenario_.pendingOrders.erase(std::remove_if(scenario_.pendingOrders.begin(), scenario_.pendingOrders.end(),
                                                         [&](const PendingOrderRecord& x) { return x.id == gone.id; }),
                                          scenario_.pendingOrders.end());
            r.messages.push_back(orderStatus(24, gone, requestId));
        } else if (price > 0) {
            addBracketLegs(pos, leg == 0 ? price : 0, leg == 1 ? price : 0, requestId, r);
        }
    }
    r.touch(pos.accountId);
}

void OrderDesk::editWorking(const WireMessage& m, const std::string& user, Result& r) {
    const int requestId = toInt(m.get(33));
    PendingOrderRecord* o = findPending(m.get(79));
    if (!o || !ownsAccount(user, o->accountId)) return reject(m, requestId, kRejectUnknownOrder, m.get(79), "", r);
    const double qty = toDouble(m.get(37));
    if (m.get(37) == "0" || qty == 0) {
        const PendingOrderRecord gone = *o;
        scenario_.pendingOrders.erase(std::remove_if(scenario_.pendingOrders.begin(), scenario_.pendingOrders.end(),
                                                     [&](const PendingOrderRecord& x) { return x.id == gone.id; }),
                                      scenario_.pendingOrders.end());
        CancelledRecord c;
        c.id = nextId(nextCancel_);
        c.qty = gone.remaining;
        c.ticketId = gone.ticketId;
        c.pendingOrderId = gone.id;
        c.instrumentId = gone.instrumentId;
        c.accountId = gone.accountId;
        c.reason = 1;
        c.date = packedNow();
        c.isBuy = gone.isBuy;
        c.deliveryMode = gone.deliveryMode;
        c.orderType = gone.orderType;
        c.price = gone.price;
        scenario_.cancelled.push_back(c);
        r.messages.push_back(orderStatus(24, gone, requestId));
        r.touch(gone.accountId);
        return;
    }
    const double price = toDouble(m.get(38));
    if (qty < 0 || !(price > 0)) return reject(m, requestId, kRejectPrice, o->id, "", r);
    o->qty = qty;
    o->remaining = qty;
    o->price = price;
    o->limitPrice = std::max(0.0, toDouble(m.get(39)));
    o->stopPrice = std::max(0.0, toDouble(m.get(40)));
    r.messages.push_back(orderStatus(75, *o, requestId));
    r.touch(o->accountId);
}

void OrderDesk::closePositions(const WireMessage& m, const std::string& user, Result& r) {
    const int requestId = toInt(m.get(20));
    const auto sections = split(m.get(583), kSection);
    if (sections.size() < 5) return reject(m, requestId, kRejectMalformed, "", "", r);
    std::vector<std::pair<std::string, double>> targets;
    if (sections[1] == "3") {
        for (const auto& rec : split(sections[4], kRow)) {
            if (rec.empty()) continue;
            const auto f = split(rec, kColumn);
            targets.emplace_back(f[0], f.size() > 2 ? toDouble(f[2]) : 0);
        }
    } else {
        for (const auto& rec : split(sections[0], kRow)) {
            if (rec.empty()) continue;
            const int account = toInt(rec);
            for (const auto& p : scenario_.positions)
                if (p.accountId == account) targets.emplace_back(p.id, p.qty);
        }
    }
    for (const auto& [id, qty] : targets) {
        PositionRecord* p = findPosition(id);
        if (!p || !ownsAccount(user, p->accountId)) {
            reject(m, requestId, kRejectUnknownPosition, "", id, r);
            continue;
        }
        if (std::find(refusedCloses_.begin(), refusedCloses_.end(), id) != refusedCloses_.end()) {
            reject(m, requestId, kRejectInstrument, "", id, r);
            continue;
        }
        closeAtMarket(*p, qty > 0 && qty < p->qty ? qty : p->qty, requestId, r);
    }
}

void OrderDesk::closeHedged(const WireMessage& m, const std::string& user, Result& r) {
    const auto sections = split(m.get(583), kSection);
    std::vector<std::pair<std::string, double>> targets;
    for (std::size_t s = 0; s < sections.size() && s < 2; ++s)
        for (const auto& rec : split(sections[s], kRow)) {
            if (rec.empty()) continue;
            const auto f = split(rec, kColumn);
            targets.emplace_back(f[0], f.size() > 1 ? toDouble(f[1]) : 0);
        }
    for (const auto& [id, qty] : targets) {
        PositionRecord* p = findPosition(id);
        if (!p || !ownsAccount(user, p->accountId)) {
            reject(m, 0, kRejectUnknownPosition, "", id, r);
            continue;
        }
        // Hedged positions close at the same mid price, so the pair settles flat apart from the spread.
        closeAtMarket(*p, qty > 0 && qty < p->qty ? qty : p->qty, 0, r);
    }
    WireMessage done(1052);
    done.add(34, m.get(34)).add(12, m.get(12));
    r.messages.push_back(done);
}

std::vector<std::pair<int, WireMessage>> OrderDesk::checkTriggers() {
    std::vector<std::pair<int, WireMessage>> out;
    std::vector<PendingOrderRecord> due;
    for (const auto& o : scenario_.pendingOrders) {
        if (o.orderType != 2 && o.orderType != 3) continue;
        const double bid = marketPrice(o.instrumentId, false), ask = marketPrice(o.instrumentId, true);
        const double px = o.isBuy ? ask : bid;
        if (!(px > 0)) continue;
        const bool hit = o.orderType == 2 ? (o.isBuy ? px <= o.price : px >= o.price)
                                          : (o.isBuy ? px >= o.price : px <= o.price);
        if (hit) due.push_back(o);
    }
    for (const auto& o : due) {
        if (!findPending(o.id)) continue;  // cancelled by an earlier fill of its sibling leg
        Result r;
        if (!o.refPositionIdOfBracket.empty()) {
            PositionRecord* p = findPosition(o.refPositionIdOfBracket);
            if (!p) continue;
            scenario_.pendingOrders.erase(std::remove_if(scenario_.pendingOrders.begin(), scenario_.pendingOrders.end(),
                                                         [&](const PendingOrderRecord& x) { return x.id == o.id; }),
                                          scenario_.pendingOrders.end());
            PendingOrderRecord leg = o;
            leg.remaining = 0;
            // Filled by the market, not answering a request: no request id.
            r.messages.push_back(orderStatus(23, leg, 0));
            closeAtMarket(*p, p->qty, 0, r, o.price);
        } else {
            fill(o, o.price, 0, r);
        }
        for (int a : r.accounts) r.messages.push_back(accountSummary(a));
        for (auto& msg : r.messages) out.emplace_back(o.accountId, std::move(msg));
    }
    return out;
}

}  // namespace sim
