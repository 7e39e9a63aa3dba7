#include "scenario.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>

namespace sim {

namespace {

std::string str(const Json& v, const char* key) { return jsonText(v, key); }
int num(const Json& v, const char* key, int fallback = 0) {
    return static_cast<int>(jsonInteger(v, key, fallback));
}
double dbl(const Json& v, const char* key, double fallback = 0) { return jsonNumber(v, key, fallback); }

std::uint64_t groupInstrumentKey(int groupId, int instrumentId) {
    return static_cast<std::uint64_t>(static_cast<std::uint32_t>(groupId)) << 32 | static_cast<std::uint32_t>(instrumentId);
}

}  // namespace

std::string packedNow() {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y%m%d%H%M%S", &tm);
    return buf;
}

AccountMargins accountMargins(const Scenario& scenario, int accountId) {
    AccountMargins out;
    const AccountRecord* account = scenario.account(accountId);
    if (!account) return out;
    std::map<int, std::pair<double, double>> sides;  // instrument -> buy, sell margin
    for (const PositionRecord& p : scenario.positions) {
        if (p.accountId != accountId || p.qty <= 0) continue;
        const Json& g = scenario.groupInstrument(account->groupId, p.instrumentId);
        double rate = jsonNumber(g, "Initialmargin", 0);
        if (p.deliveryMode == 2) rate = jsonNumber(g, "IntradayOrderMargin", 0);
        else if (p.deliveryMode == 3) rate = jsonNumber(g, "BTSTOrderMargin", 0);
        else if (!p.isBuy && jsonNumber(g, "InitialSellMargin", 0) > 0) rate = jsonNumber(g, "InitialSellMargin", 0);
        if (jsonInteger(g, "MarginCalcModeId") == 2) {
            const InstrumentRecord* ins = scenario.instrumentById(p.instrumentId);
            rate = rate * (ins ? ins->contractSize : 1) / 100.0;
            if (ins && jsonInteger(*ins->record, "MarginFormulaId") == 1) rate *= p.price;
        }
        const double margin = rate * p.qty;
        out.used += margin;
        (p.isBuy ? sides[p.instrumentId].first : sides[p.instrumentId].second) += margin;
    }
    for (const auto& [instrument, side] : sides) out.oneSide += std::max(side.first, side.second);
    return out;
}

std::string fixed(double value, int decimals) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals < 0 ? 0 : decimals, value);
    return buf;
}

std::string plain(double value) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.8f", value);
    std::string s = buf;
    while (!s.empty() && s.back() == '0') s.pop_back();
    if (!s.empty() && s.back() == '.') s.pop_back();
    if (s == "-0") s = "0";
    return s;
}

Scenario Scenario::load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read scenario file " + path);
    std::stringstream ss;
    ss << in.rdbuf();
    try {
        return fromText(ss.str());
    } catch (const std::exception& e) {
        throw std::runtime_error(path + ": " + e.what());
    }
}

Scenario Scenario::fromText(const std::string& json) { return fromJson(parseJson(json)); }

Scenario Scenario::fromJson(Json root) {
    Scenario s;
    s.root_ = std::move(root);
    if (!s.root_.is_object()) throw std::runtime_error("the scenario is not a JSON object");
    s.index();
    return s;
}

void Scenario::index() {
    for (const auto& g : jsonItems(root_, "groupInstruments")) {
        GroupInstrumentRecord r;
        r.groupId = num(g, "groupid");
        r.instrumentId = num(g, "InstrumentId");
        r.rowId = jsonInteger(g, "groupdetailsid");
        r.record = std::make_shared<const Json>(g);
        addGroupInstrument(std::move(r));
    }
    for (const auto& u : jsonItems(root_, "users")) {
        UserRecord r;
        r.name = str(u, "name");
        r.password = str(u, "password");
        r.userId = num(u, "userid");
        for (const auto& a : jsonItems(u, "accounts")) r.accounts.push_back(static_cast<int>(jsonInteger(a)));
        r.refuseCode = num(u, "refuseCode");
        r.refuseMessage = str(u, "refuseMessage");
        r.loginMessage = str(u, "loginMessage");
        r.info = u;
        if (r.name.empty()) throw std::runtime_error("a user without a name");
        userAt_.emplace(r.name, users_.size());
        users_.push_back(std::move(r));
    }
    for (const auto& i : jsonItems(root_, "instruments")) {
        InstrumentRecord r;
        r.id = num(i, "InstrumentId");
        r.code = str(i, "Code");
        r.name = str(i, "Name");
        r.typeId = num(i, "InstrumentTypeId");
        r.decimals = num(i, "DecimalPlaces", 2);
        r.tickSize = dbl(i, "TickSize", std::pow(10.0, -r.decimals));
        r.contractSize = dbl(i, "ContractSize", 1);
        const double bid = dbl(i, "Bid"), ask = dbl(i, "Ask");
        r.price = (bid > 0 && ask > 0) ? (bid + ask) / 2 : dbl(i, "Last", 1);
        if (r.price <= 0) r.price = 1;
        r.sessionSettingId = num(i, "CurrentTradeSessionSettingId");
        r.marketId = num(i, "marketId");
        r.record = std::make_shared<const Json>(i);
        addInstrument(std::move(r));
    }
    for (const auto& a : jsonItems(root_, "accounts")) {
        AccountRecord r;
        r.id = num(a, "AccountId");
        r.groupId = num(a, "GroupId");
        r.balance = dbl(a, "Balance");
        r.tradingStatus = num(a, "TradingStatusId", 1);
        r.record = a;
        accountAt_.emplace(r.id, accounts_.size());
        accounts_.push_back(std::move(r));
    }
    for (const auto& p : jsonItems(root_, "positions")) {
        PositionRecord r;
        r.id = str(p, "PositionId");
        r.accountId = num(p, "AccountId");
        r.instrumentId = num(p, "InstrumentId");
        r.isBuy = jsonBool(p, "IsBuy", true);
        r.initialQty = dbl(p, "PositionInitialQty");
        r.qty = dbl(p, "PositionQty", r.initialQty);
        r.price = dbl(p, "OrderPrice");
        r.commission = dbl(p, "CommisionPaid");
        r.date = str(p, "PositionDate");
        r.pendingOrderId = str(p, "RefPendingOrderId");
        r.executionId = str(p, "OrderExecutionId");
        r.ticketId = str(p, "RefOrderTicketId");
        r.deliveryMode = num(p, "DeliveryMode", 1);
        r.orderType = num(p, "OrderTypeId", 1);
        r.storage = dbl(p, "Storage");
        r.valueDate = str(p, "ValueDate");
        r.expiryDate = str(p, "ExpiryDate");
        positions.push_back(std::move(r));
    }
    for (const auto& p : jsonItems(root_, "pendingOrders")) {
        PendingOrderRecord r;
        r.id = str(p, "PendingOrderId");
        r.ticketId = str(p, "RefTicketId");
        r.accountId = num(p, "AccountId");
        r.instrumentId = num(p, "InstrumentId");
        r.isBuy = jsonBool(p, "IsBuy", true);
        r.orderType = num(p, "OrderTypeId", 2);
        r.qty = dbl(p, "OrderQty");
        r.remaining = dbl(p, "RemainingQty", r.qty);
        r.price = dbl(p, "OrderPrice");
        r.limitPrice = dbl(p, "LimitPrice");
        r.stopPrice = dbl(p, "StopPrice");
        r.deliveryMode = num(p, "DeliveryModeId", 1);
        r.timeInForce = num(p, "TimeInForceId", 1);
        r.expiry = str(p, "ExpiryDateTime");
        r.date = str(p, "OrderAtServerDateTime");
        r.refPositionIdOfBracket = str(p, "RefPositionIdOfBracket");
        pendingOrders.push_back(std::move(r));
    }
    for (const auto& p : jsonItems(root_, "settledPositions")) {
        SettledRecord r;
        r.id = str(p, "SettlementId");
        r.accountId = num(p, "AccountId");
        r.instrumentId = num(p, "InstrumentId");
        r.refPositionId = str(p, "RefPositionId");
        r.closingPositionId = str(p, "RefClosingPositionId");
        r.qty = dbl(p, "SettledQty");
        r.pl = dbl(p, "SettledPL");
        r.date = str(p, "SettlementDate");
        r.isBuy = jsonBool(p, "IsBuy", true);
        r.openPrice = dbl(p, "OpenPrice");
        r.closePrice = dbl(p, "ClosePrice");
        r.openDate = str(p, "OpenPositionDate");
        r.closeDate = str(p, "ClosePositionDate");
        r.deliveryMode = num(p, "DeliveryModeId", 1);
        settled.push_back(std::move(r));
    }
    for (const auto& p : jsonItems(root_, "cancelledOrders")) {
        CancelledRecord r;
        r.id = str(p, "CancelledOrderId");
        r.qty = dbl(p, "CancelledQty");
        r.ticketId = str(p, "RefTicketId");
        r.pendingOrderId = str(p, "RefPendingOrderId");
        r.instrumentId = num(p, "InstrumentId");
        r.accountId = num(p, "AccountId");
        r.reason = num(p, "CancelReasonId");
        r.date = str(p, "CancelDateTime");
        r.isBuy = jsonBool(p, "IsBuy", true);
        r.deliveryMode = num(p, "DeliveryMode", 1);
        r.orderType = num(p, "OrderTypeId", 2);
        r.price = dbl(p, "OrderPrice");
        cancelled.push_back(std::move(r));
    }
}

namespace {

// The row of `key` in `rows`, or null.
template <typename Key, typename Rows>
auto rowOf(const std::unordered_map<Key, std::size_t>& at, const Key& key, Rows& rows) -> decltype(&rows[0]) {
    const auto it = at.find(key);
    return it == at.end() ? nullptr : &rows[it->second];
}

}  // namespace

const UserRecord* Scenario::findUser(const std::string& name) const { return rowOf(userAt_, name, users_); }

const InstrumentRecord* Scenario::instrumentById(int id) const { return rowOf(instrumentAt_, id, instruments_); }

const InstrumentRecord* Scenario::instrumentByCode(const std::string& code) const {
    return rowOf(instrumentAtCode_, code, instruments_);
}

const AccountRecord* Scenario::account(int id) const { return rowOf(accountAt_, id, accounts_); }

AccountRecord* Scenario::account(int id) { return rowOf(accountAt_, id, accounts_); }

const Json& Scenario::groupInstrument(int groupId, int instrumentId) const {
    const auto it = groupInstrumentAt_.find(groupInstrumentKey(groupId, instrumentId));
    if (it != groupInstrumentAt_.end()) return *groupInstruments_[it->second].record;
    static const Json null;
    return null;
}

InstrumentRecord& Scenario::addInstrument(InstrumentRecord r) {
    if (r.code.empty() || r.code.find_first_of("\x01\x02\x03\x04\x05\x06\x07;") != std::string::npos)
        throw std::runtime_error("instrument " + std::to_string(r.id) + " has no usable code");
    if (r.decimals < 0 || r.decimals > 6)
        throw std::runtime_error("instrument " + r.code + ": DecimalPlaces must be 0 to 6");
    if (instrumentAt_.count(r.id) || instrumentAtCode_.count(r.code))
        throw std::runtime_error("instrument " + r.code + " is listed twice");
    instrumentAt_.emplace(r.id, instruments_.size());
    instrumentAtCode_.emplace(r.code, instruments_.size());
    instruments_.push_back(std::move(r));
    return instruments_.back();
}

void Scenario::reserve(std::size_t instruments, std::size_t groupInstruments) {
    instruments_.reserve(instruments);
    instrumentAt_.reserve(instruments);
    instrumentAtCode_.reserve(instruments);
    groupInstruments_.reserve(groupInstruments);
    groupInstrumentAt_.reserve(groupInstruments);
}

void Scenario::addGroupInstrument(GroupInstrumentRecord row) {
    groupInstrumentAt_.emplace(groupInstrumentKey(row.groupId, row.instrumentId), groupInstruments_.size());
    groupInstruments_.push_back(std::move(row));
}

UserRecord& Scenario::addUser(UserRecord user) {
    userAt_.emplace(user.name, users_.size());
    users_.push_back(std::move(user));
    return users_.back();
}

AccountRecord& Scenario::addAccount(AccountRecord account) {
    accountAt_.emplace(account.id, accounts_.size());
    accounts_.push_back(std::move(account));
    return accounts_.back();
}

bool Scenario::setPassword(const std::string& user, const std::string& password) {
    UserRecord* u = rowOf(userAt_, user, users_);
    if (u) u->password = password;
    return u != nullptr;
}

}  // namespace sim
