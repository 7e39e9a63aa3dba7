#include "data_service.h"

#include <algorithm>
#include <cmath>
#include <ctime>

#include "sim_crypto.h"

namespace sim {

namespace {

std::string row(const std::vector<std::string>& fields) { return joinColumns(fields) + kRow; }
std::string b(bool v) { return v ? "1" : "0"; }
std::string n(long long v) { return std::to_string(v); }

bool inRange(const std::string& date, const std::string& from, const std::string& to) {
    if (from.empty() && to.empty()) return true;
    return (from.empty() || date >= from) && (to.empty() || date <= to);
}

// The executed search: one instant for both ends (the client sends its
// picker's date and time twice) matches that calendar day, yyyyMMdd.
bool inExecutedRange(const std::string& date, const std::string& from, const std::string& to) {
    if (!from.empty() && from == to) return from.size() >= 8 && date.compare(0, 8, from, 0, 8) == 0;
    return inRange(date, from, to);
}

// Whole days: a row of the last day counts whatever its time.
bool inDayRange(const std::string& date, const std::string& from, const std::string& to) {
    const auto day = [](const std::string& t) { return t.substr(0, 8); };
    return (from.empty() || day(date) >= day(from)) && (to.empty() || day(date) <= day(to));
}

std::string jsonRow(const Json& items) {
    std::vector<std::string> f;
    for (const auto& v : jsonItems(items)) f.push_back(v.is_boolean() ? b(jsonBool(v)) : jsonText(v));
    return row(f);
}

// Seconds per bar of a chart interval code, as the client's interval table has them.
long long barSeconds(const std::string& interval) {
    if (interval == "O") return 60;
    if (interval == "5") return 300;
    if (interval == "1") return 600;
    if (interval == "15") return 900;
    if (interval == "3") return 1800;
    if (interval == "H") return 3600;
    if (interval == "D") return 86400;
    if (interval == "W") return 7 * 86400;
    return 1;  // ticks and mini ticks
}

std::string escapeXml(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '&') out += "&amp;";
        else if (c == '<') out += "&lt;";
        else if (c == '>') out += "&gt;";
        else out.push_back(c);
    }
    return out;
}

// A statement written as tables of rows of columns, as the XML data set the
// client reads; a text is sent as it is.
std::string statementXml(const Json& statement) {
    if (!statement.is_object()) return jsonText(statement);
    std::string xml = "<NewDataSet>";
    for (const auto& [table, rows] : statement.items()) {
        for (const auto& r : jsonItems(rows)) {
            xml += "<" + table + ">";
            if (r.is_object())
                for (const auto& [column, value] : r.items())
                    xml += "<" + column + ">" + escapeXml(jsonText(value)) + "</" + column + ">";
            xml += "</" + table + ">";
        }
    }
    return xml + "</NewDataSet>";
}

// "#DWR" asks for deposits and withdrawals, any other "#CODE" for that code.
bool transactionOfKind(const Json& row, const std::string& kind) {
    const auto& f = jsonItems(row);
    const std::string code = f.size() > 1 ? jsonText(f[1]) : std::string();
    if (kind == "#DWR") return code == "DEP" || code == "WID";
    return !kind.empty() && kind.substr(1) == code;
}

// A transaction row's date, yyyyMMddHHmmss (its last field).
std::string transactionDate(const Json& row) {
    const auto& f = jsonItems(row);
    return f.empty() ? std::string() : jsonText(f.back());
}

// A resource file's bytes: "contentBase64" (binary files), else the text "content".
std::string fileContent(const Json& file) {
    const std::string encoded = jsonText(file, "contentBase64");
    if (!encoded.empty())
        if (auto bytes = SimCrypto::base64Decode(encoded)) return *bytes;
    return jsonText(file, "content");
}

}  // namespace

std::vector<DataService::AccessRow>& DataService::accessRows() {
    if (!accessLoaded_) {
        for (const auto& r : jsonItems(scenario_.root(), "userAccountMaps"))
            accessRows_.push_back({jsonText(r, "userId"), jsonText(r, "accountId"),
                                   jsonText(r, "accountAccessTypeId"), jsonText(r, "userName")});
        accessLoaded_ = true;
    }
    return accessRows_;
}

bool DataService::editAccess(const std::string& row, const UserRecord& user) {
    const auto f = split(row, kColumn);
    if (f.size() < 3) return false;
    for (std::size_t i = 0; i < 3; ++i)
        if (f[i].empty() || f[i].find_first_not_of("0123456789") != std::string::npos) return false;
    if (!userOwns(user, std::atoll(f[1].c_str()))) return false;
    for (auto& r : accessRows())
        if (r.userId == f[0] && r.accountId == f[1]) {
            r.accessTypeId = f[2];
            return true;
        }
    accessRows().push_back({f[0], f[1], f[2], ""});
    return true;
}

bool DataService::userOwns(const UserRecord& user, long long account) const {
    return std::find(user.accounts.begin(), user.accounts.end(), account) != user.accounts.end();
}

std::string DataService::rows(const std::string& name, const WireMessage& m, const UserRecord& user) {
    std::string out;
    const std::string from = m.get(575), to = m.get(576);
    const long long account = std::atoll(m.get(34).c_str());
    const Json& root = scenario_.root();
    auto code = [&](int id) {
        const InstrumentRecord* i = scenario_.instrumentById(id);
        return i ? i->decimals : 5;
    };
    if (name == "getopenpositions") {
        for (const auto& p : scenario_.positions) {
            if (!userOwns(user, p.accountId) || p.qty <= 0) continue;
            const int d = code(p.instrumentId);
            out += row({p.id, n(p.accountId), n(p.instrumentId), b(p.isBuy), p.ticketId, p.pendingOrderId,
                        p.executionId, plain(p.initialQty), plain(p.qty), fixed(p.price, d), fixed(p.commission, 2),
                        p.date, "1", "", "0", "1", "", n(p.deliveryMode), n(p.orderType), fixed(p.storage, 2),
                        p.valueDate, p.expiryDate, "", "", "", "", "", "1"});
        }
    } else if (name == "getpendingorders") {
        for (const auto& o : scenario_.pendingOrders) {
            if (!userOwns(user, o.accountId)) continue;
            const int d = code(o.instrumentId);
            out += row({o.id, o.ticketId, n(o.accountId), n(o.instrumentId), b(o.isBuy), n(o.orderType), plain(o.qty),
                        "0", "0", plain(o.remaining), fixed(o.price, d), fixed(o.limitPrice, d), fixed(o.stopPrice, d),
                        "0", n(o.deliveryMode), n(o.timeInForce), o.expiry, "0", "0", "0", "0", "0", "1", "", o.date,
                        o.refPositionIdOfBracket, "0", "0", ""});
        }
    } else if (name == "getsettledpositions") {
        for (const auto& s : scenario_.settled) {
            if (!userOwns(user, s.accountId)) continue;
            const int d = code(s.instrumentId);
            out += row({s.id, n(s.accountId), n(s.instrumentId), s.refPositionId, s.closingPositionId, plain(s.qty),
                        fixed(s.pl, 2), s.date, "1", "0", "0", "0", b(s.isBuy), fixed(s.openPrice, d),
                        fixed(s.closePrice, d), s.openDate, s.closeDate, n(s.deliveryMode), "", "1"});
        }
    } else if (name == "getcancelledorders") {
        const bool history = m.has(34);
        for (const auto& c : scenario_.cancelled) {
            if (!userOwns(user, c.accountId)) continue;
            if (history && (c.accountId != account || !inRange(c.date, from, to))) continue;
            const int d = code(c.instrumentId);
            out += row({c.id, plain(c.qty), c.ticketId, c.pendingOrderId, n(c.instrumentId), n(c.accountId),
                        n(c.reason), c.date, n(user.userId), b(c.isBuy), n(c.deliveryMode), "0", "0", "0", "0",
                        n(c.orderType), fixed(c.price, d), c.date});
        }
    } else if (name == "getequityhitpriceinfo") {
        long long k = 1;
        for (const auto& p : scenario_.positions) {
            if (p.accountId != account || !userOwns(user, p.accountId) || p.qty <= 0) continue;
            const InstrumentRecord* ins = scenario_.instrumentById(p.instrumentId);
            const int d = ins ? ins->decimals : 5;
            const double hit = p.isBuy ? p.price * 0.9 : p.price * 1.1;
            // The loss at the hit price.
            const double pl = (hit - p.price) * p.qty * (ins ? ins->contractSize : 1) * (p.isBuy ? 1 : -1);
            out += row({n(k), n(k), p.id, n(p.instrumentId), fixed(p.price, d), fixed(hit, d), n(p.accountId), fixed(pl, 2),
                        "0", "0", b(p.isBuy), plain(p.qty), "1", plain(ins ? ins->contractSize : 1)});
            ++k;
        }
    } else if (name == "getexecutedpositions") {
        // Open positions and those closed during the session.
        std::vector<const PositionRecord*> executed;
        for (const auto& p : scenario_.positions) executed.push_back(&p);
        for (const auto& p : scenario_.closedPositions) executed.push_back(&p);
        for (const PositionRecord* e : executed) {
            const PositionRecord& p = *e;
            if (!userOwns(user, p.accountId) || !inExecutedRange(p.date, from, to)) continue;
            out += row({p.id, n(p.accountId), n(p.instrumentId), b(p.isBuy), plain(p.qty), plain(p.initialQty),
                        fixed(p.price, code(p.instrumentId)), n(p.orderType), n(p.deliveryMode), p.date, p.valueDate,
                        p.expiryDate, p.pendingOrderId});
        }
    } else if (name == "getinstruments") {
        for (const auto& i : scenario_.instruments()) {
            const Json& r = *i.record;
            out += row({n(i.id), n(i.marketId), jsonText(r, "exchangeName"), jsonText(r, "description"), "",
                        jsonText(r, "iconResource"), jsonText(r, "priceUnitId"), jsonText(r, "priceUnitValue"),
                        jsonText(r, "extraInfo")});
        }
    } else if (name == "getsessionschedule") {
        const long long market = std::atoll(m.get(581).c_str());
        for (const auto& s : jsonItems(root, "sessionSchedules")) {
            if (jsonInteger(s, "marketID") != market) continue;
            out += row({jsonText(s, "scheduleID"), jsonText(s, "marketID"), jsonText(s, "tradeSessionSettingID"),
                        jsonText(s, "dayOfTheWeekID"), jsonText(s, "startTime"), jsonText(s, "stopTime")});
        }
    } else if (name == "getusermapwithmyaccount") {
        for (const auto& a : accessRows())
            if (std::atoll(a.accountId.c_str()) == account && userOwns(user, account))
                out += row({a.userId, a.accountId, a.accessTypeId, a.userName});
    } else if (name == "getbankaccounts") {
        for (const auto& s : jsonItems(root, "bankAccounts"))
            if (jsonInteger(s, "accountId") == account && userOwns(user, account))
                out += row({jsonText(s, "BankAccountId"), jsonText(s, "BankAccountNumber"),
                            jsonText(s, "BankBranchId"), jsonText(s, "AccountName"), jsonText(s, "CurrencyId"),
                            jsonText(s, "Remarks"), jsonText(s, "BankName")});
    } else if (name == "getapprovalrequest" || name == "getfinancialapprovals" || name == "paygategetsettings") {
        const char* key = name == "getapprovalrequest" ? "approvalRequests"
                          : name == "getfinancialapprovals" ? "financialApprovals" : "payGateSettings";
        for (const auto& r : jsonItems(root, key)) out += jsonRow(r);
    } else if (name == "getfinancialtransactions") {
        for (const auto& r : jsonItems(jsonMember(root, "financialTransactions"), m.get(34)))
            if (transactionOfKind(r, m.get(551)) && inDayRange(transactionDate(r), from, to)) out += jsonRow(r);
    } else if (name == "getdsaccountstatement") {
        if (userOwns(user, account)) out = statementXml(jsonMember(jsonMember(root, "accountStatements"), m.get(34)));
    } else if (name == "resourcesearch") {
        const auto f = split(m.get(159), kColumn);
        const std::string key = f.size() > 5 ? f[5] : std::string();
        for (const auto& r : jsonItems(root, "resourceFiles"))
            if (jsonText(r, "searchKey") == key)
                out += row({jsonText(r, "resourceName"), jsonText(r, "resourceType"), jsonText(r, "productID"),
                            jsonText(r, "organization"), jsonText(r, "resourceServerName"),
                            jsonText(r, "searchKey"), jsonText(r, "searchPattern"), jsonText(r, "fileCRC"),
                            jsonText(r, "fileEncodeType")});
    } else if (name == "resourcedownload") {
        const auto f = split(m.get(159), kColumn);
        const std::string file = f.empty() ? std::string() : f[0];
        for (const auto& r : jsonItems(root, "resourceFiles"))
            if (!file.empty() && jsonText(r, "resourceName") == file)
                out = row({jsonText(r, "resourceName"), jsonText(r, "resourceType"), jsonText(r, "productID"),
                           jsonText(r, "organization"), jsonText(r, "resourceServerName"), jsonText(r, "fileCRC"),
                           jsonText(r, "fileEncodeType")});
    }
    return out;
}

std::string DataService::chart(const std::string& code, const std::string& interval, int count,
                               const std::string& shape) const {
    count = std::clamp(count, 0, 5000);
    const InstrumentRecord* ins = scenario_.instrumentByCode(code);
    std::string header = "<1041~" + code + "^" + interval + "~" + std::to_string(ins ? count : 0) + ">";
    if (!ins) return header + "#####<END>";
    // The history of the instrument: a closed bar is the same on every request, the last holds its price now.
    const int idx = market_.index(code);
    const long long step = barSeconds(interval);
    std::vector<ChartHistory::Bar> bars =
        idx >= 0 ? market_.chartBars(static_cast<std::size_t>(idx), step, count)
                 : ChartHistory(code, ins->price, market_.civilNow()).bars(step, count, market_.civilNow());
    const bool bidAsk = interval == "BA";
    std::string dates, times, c, h, l, o;
    for (int k = 0; k < count; ++k) {
        const ChartHistory::Bar& bar = bars[static_cast<std::size_t>(k)];
        const std::time_t t = static_cast<std::time_t>(bar.start);
        std::tm tm{};
        gmtime_r(&t, &tm);
        char d[16], tt[16];
        std::strftime(d, sizeof d, "%m/%d/%y", &tm);
        std::strftime(tt, sizeof tt, "%H:%M:%S", &tm);
        // "short": every section but the closes stops half-way.
        const bool all = shape != "short" || k < count / 2;
        auto add = [k](std::string& section, const std::string& value) {
            if (k) section.push_back(',');
            section.append(value);
        };
        if (all) {
            add(dates, d);
            add(times, tt);
            // A bid/ask chart carries each bar's bid where the highs go and its ask where the lows go.
            add(h, fixed(bidAsk ? bar.close - ins->tickSize : bar.high, ins->decimals));
            add(l, fixed(bidAsk ? bar.close + ins->tickSize : bar.low, ins->decimals));
            add(o, fixed(bar.open, ins->decimals));
        }
        if (shape != "no-closes") add(c, fixed(bar.close, ins->decimals));
    }
    return header + dates + "#" + times + "#" + c + "#" + h + "#" + l + "#" + o + "<END>";
}

std::vector<std::string> DataService::answer(const WireMessage& m, const FaultState& faults) {
    const int type = m.type();
    if (type == 1002) return {WireMessage(1002).frame()};
    const UserRecord* user = scenario_.findUser(m.get(23));
    if (type == 1040) {
        WireMessage out(1041);
        out.add(20, m.get(20));
        std::string code = m.get(12), interval = m.get(83);
        ++chartRequests_[code + "^" + interval];
        if (!chartKeys_.empty()) {
            // Answered under another request's key.
            const std::string key = chartKeys_.front();
            chartKeys_.erase(chartKeys_.begin());
            code = key.substr(0, key.find('^'));
            interval = key.find('^') == std::string::npos ? std::string() : key.substr(key.find('^') + 1);
        }
        out.add(17, user ? chart(code, interval, std::atoi(m.get(1025).c_str()), faults.chartShape) : std::string());
        return {out.frame()};
    }
    if (type != 1023) return {};
    const std::string name = m.get(151);
    WireMessage out(1024);
    out.add(20, m.get(20)).add(151, name);
    std::string data;
    if (name == "addedituac") {
        data = !faults.editAccessFails && user && editAccess(m.get(159), *user) ? "success" : "failure";
    } else if (faults.dsAnswer == "empty") {
        data = "";
    } else if (faults.dsAnswer == "error") {
        data = "ERROR";
    } else if (name == "getdsaccountstatement" && faults.statementText) {
        data = "statement unavailable";
    } else if (user) {
        data = rows(name, m, *user);
        if (faults.malformedRows && name != "getdsaccountstatement") {
            const auto first = data.find(kRow);
            data = (first == std::string::npos ? std::string() : data.substr(0, first + 1)) +
                   "x" + kColumn + "y" + kRow + kColumn + kColumn + kRow + "not a number" + kRow;
        }
    }
    out.add(159, data);
    if (name != "resourcedownload") return {out.frame()};
    // The file's content travels compressed in tag 1050; the reply comes in several parts.
    const auto f = split(m.get(159), kColumn);
    for (const auto& r : jsonItems(scenario_.root(), "resourceFiles"))
        if (!f.empty() && jsonText(r, "resourceName") == f[0] && !data.empty())
            out.add(1050, SimCrypto::compressPayload(fileContent(r)));
    const std::string frame = out.frame();
    const std::size_t a = frame.size() / 3, b2 = 2 * frame.size() / 3;
    return {frame.substr(0, a), frame.substr(a, b2 - a), frame.substr(b2)};
}

}  // namespace sim
