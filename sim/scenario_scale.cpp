#include "scenario_scale.h"

#include <cmath>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace sim {

namespace {

void growInstruments(Scenario& s, std::size_t target) {
    const std::size_t originals = s.instruments().size();
    if (originals == 0 || originals >= target) return;

    // A group's row of each instrument, and its first row for the others.
    std::map<std::pair<int, int>, GroupInstrumentRecord> rowOf;
    std::map<int, GroupInstrumentRecord> firstRowOf;
    long long nextRowId = 1;
    for (const auto& r : s.groupInstruments()) {
        rowOf.emplace(std::make_pair(r.groupId, r.instrumentId), r);
        firstRowOf.emplace(r.groupId, r);
        nextRowId = std::max(nextRowId, r.rowId + 1);
    }
    s.reserve(target, s.groupInstruments().size() + (target - originals) * firstRowOf.size());
    long long nextId = 1;
    for (const auto& i : s.instruments()) nextId = std::max<long long>(nextId, i.id + 1);
    for (std::size_t k = originals; k < target; ++k, ++nextId) {
        InstrumentRecord copy = s.instruments()[k % originals];
        const int sourceId = copy.id;
        const std::string sourceCode = copy.code;
        for (std::size_t n = k / originals;; ++n) {
            copy.code = sourceCode + std::to_string(n);
            if (!s.instrumentByCode(copy.code)) break;
        }
        copy.id = static_cast<int>(nextId);
        copy.name += " " + std::to_string(k / originals);
        copy.scaledCopy = true;
        for (const auto& [group, first] : firstRowOf) {
            const auto own = rowOf.find({group, sourceId});
            GroupInstrumentRecord row = own != rowOf.end() ? own->second : first;
            row.rowId = nextRowId++;
            row.instrumentId = copy.id;
            row.scaledCopy = true;
            s.addGroupInstrument(std::move(row));
        }
        s.addInstrument(std::move(copy));
    }
}

void growPositions(Scenario& s, std::size_t target) {
    std::vector<int> accounts;
    for (const auto& u : s.users()) {
        accounts = u.accounts;
        if (!accounts.empty()) break;
    }
    const std::vector<InstrumentRecord>& instruments = s.instruments();
    if (accounts.empty() || instruments.empty()) return;
    const std::set<int> own(accounts.begin(), accounts.end());
    std::vector<PositionRecord> templates;
    std::size_t held = 0;
    for (const auto& p : s.positions)
        if (own.count(p.accountId)) {
            templates.push_back(p);
            ++held;
        }
    if (templates.empty() && !s.positions.empty()) templates.push_back(s.positions.front());
    if (templates.empty() || held >= target) return;

    // Each position in an instrument its account's group trades.
    std::map<int, int> groupOf;
    for (const auto& a : s.accounts()) groupOf[a.id] = a.groupId;
    long long nextId = 1;
    for (const auto& p : s.positions) nextId = std::max(nextId, jsonInteger(Json(p.id)) + 1);
    s.positions.reserve(s.positions.size() + (target - held));
    std::size_t cursor = 0;
    for (std::size_t k = held; k < target; ++k, ++nextId) {
        PositionRecord p = templates[k % templates.size()];
        const int account = accounts[k % accounts.size()];
        const int group = groupOf[account];
        std::size_t tries = 0;
        while (tries++ < instruments.size() &&
               s.groupInstrument(group, instruments[cursor % instruments.size()].id).is_null())
            ++cursor;
        const InstrumentRecord& instrument = instruments[cursor++ % instruments.size()];
        const double bid = jsonNumber(*instrument.record, "Bid"), ask = jsonNumber(*instrument.record, "Ask");
        p.id = std::to_string(nextId);
        p.ticketId = "4" + p.id;
        p.pendingOrderId = "5" + p.id;
        p.executionId = "6" + p.id;
        p.accountId = account;
        p.instrumentId = instrument.id;
        p.isBuy = k % 2 == 0;
        if (bid > 0 && ask > 0) p.price = (bid + ask) / 2;
        s.positions.push_back(std::move(p));
    }
}

}  // namespace

Scenario scaledScenario(const Scenario& base, double factor) {
    Scenario out = base;
    if (!(factor > 0)) return out;
    growInstruments(out, static_cast<std::size_t>(std::llround(factor * kScaledInstruments)));
    growPositions(out, static_cast<std::size_t>(std::llround(factor * kScaledPositions)));
    return out;
}

}  // namespace sim
