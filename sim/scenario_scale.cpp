#include "scenario_scale.h"

#include <cmath>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace sim {

namespace {

long long maxOf(const Json::array_t& items, const char* key) {
    long long m = 0;
    for (const auto& r : items) m = std::max(m, jsonInteger(r, key));
    return m;
}

Json::array_t& arrayAt(Json& root, const char* key) {
    if (!root.contains(key) || !root[key].is_array()) root[key] = Json::array();
    return root[key].get_ref<Json::array_t&>();
}

void growInstruments(Json& root, std::size_t target) {
    Json::array_t& instruments = arrayAt(root, "instruments");
    Json::array_t& rows = arrayAt(root, "groupInstruments");
    const std::size_t originals = instruments.size();
    if (originals == 0 || instruments.size() >= target) return;

    std::set<std::string> codes;
    for (const auto& i : instruments) codes.insert(jsonText(i, "Code"));
    // A group's row of each instrument, and its first row for the others.
    std::map<std::pair<long long, long long>, Json> rowOf;
    std::map<long long, Json> firstRowOf;
    for (const auto& r : rows) {
        const long long group = jsonInteger(r, "groupid");
        rowOf.emplace(std::make_pair(group, jsonInteger(r, "InstrumentId")), r);
        firstRowOf.emplace(group, r);
    }
    long long nextId = maxOf(instruments, "InstrumentId") + 1;
    long long nextRowId = maxOf(rows, "groupdetailsid") + 1;
    instruments.reserve(target);
    for (std::size_t k = originals; k < target; ++k) {
        const Json source = instruments[k % originals];
        Json copy = source;
        std::string code;
        for (std::size_t n = k / originals;; ++n) {
            code = jsonText(source, "Code") + std::to_string(n);
            if (codes.insert(code).second) break;
        }
        copy["InstrumentId"] = nextId;
        copy["Code"] = code;
        copy["Name"] = jsonText(source, "Name") + " " + std::to_string(k / originals);
        for (const auto& [group, first] : firstRowOf) {
            const auto own = rowOf.find({group, jsonInteger(source, "InstrumentId")});
            Json row = own != rowOf.end() ? own->second : first;
            row["groupdetailsid"] = nextRowId++;
            row["InstrumentId"] = nextId;
            rows.push_back(std::move(row));
        }
        instruments.push_back(std::move(copy));
        ++nextId;
    }
}

void growPositions(Json& root, std::size_t target) {
    std::vector<long long> accounts;
    for (const auto& u : jsonItems(root, "users")) {
        for (const auto& a : jsonItems(u, "accounts")) accounts.push_back(jsonInteger(a));
        if (!accounts.empty()) break;
    }
    const Json::array_t& instruments = jsonItems(root, "instruments");
    Json::array_t& positions = arrayAt(root, "positions");
    if (accounts.empty() || instruments.empty()) return;
    const std::set<long long> own(accounts.begin(), accounts.end());
    std::vector<Json> templates;
    std::size_t held = 0;
    for (const auto& p : positions)
        if (own.count(jsonInteger(p, "AccountId"))) {
            templates.push_back(p);
            ++held;
        }
    if (templates.empty() && !positions.empty()) templates.push_back(positions.front());
    if (templates.empty() || held >= target) return;

    // Each position in an instrument its account's group trades.
    std::map<long long, long long> groupOf;
    for (const auto& a : jsonItems(root, "accounts")) groupOf[jsonInteger(a, "AccountId")] = jsonInteger(a, "GroupId");
    std::set<std::pair<long long, long long>> traded;
    for (const auto& r : jsonItems(root, "groupInstruments"))
        traded.emplace(jsonInteger(r, "groupid"), jsonInteger(r, "InstrumentId"));
    std::size_t cursor = 0;
    long long nextId = maxOf(positions, "PositionId") + 1;
    for (std::size_t k = held; k < target; ++k, ++nextId) {
        Json p = templates[k % templates.size()];
        const long long account = accounts[k % accounts.size()];
        std::size_t tries = 0;
        while (tries++ < instruments.size() &&
               !traded.count({groupOf[account], jsonInteger(instruments[cursor % instruments.size()], "InstrumentId")}))
            ++cursor;
        const Json& instrument = instruments[cursor++ % instruments.size()];
        const double bid = jsonNumber(instrument, "Bid"), ask = jsonNumber(instrument, "Ask");
        const std::string id = std::to_string(nextId);
        p["PositionId"] = id;
        p["RefOrderTicketId"] = "4" + id;
        p["RefPendingOrderId"] = "5" + id;
        p["OrderExecutionId"] = "6" + id;
        p["AccountId"] = account;
        p["InstrumentId"] = jsonInteger(instrument, "InstrumentId");
        p["IsBuy"] = k % 2 == 0;
        if (bid > 0 && ask > 0) p["OrderPrice"] = (bid + ask) / 2;
        positions.push_back(std::move(p));
    }
}

}  // namespace

Json scaledScenario(const Json& root, double factor) {
    Json out = root;
    if (!(factor > 0) || !out.is_object()) return out;
    growInstruments(out, static_cast<std::size_t>(std::llround(factor * kScaledInstruments)));
    growPositions(out, static_cast<std::size_t>(std::llround(factor * kScaledPositions)));
    return out;
}

}  // namespace sim
