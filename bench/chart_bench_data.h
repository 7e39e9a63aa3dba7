#pragma once
// What the chart benches share: a chart answer of n bars, a session holding
// GOLD, and the best time of repeated runs.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>

#include "model/item_details.h"
#include "silent_ui.h"
#include "state/business_base.h"
#include "support/reference_data_test_access.h"
#include "support/session_test_access.h"

namespace bench {

// A 1041 answer for `key` with n bars drifting round 1800.
inline std::string chartAnswer(const std::string& key, int n) {
    std::string d, t, c, h, l, o;
    double price = 1800;
    for (int i = 0; i < n; ++i) {
        const char* sep = i ? "," : "";
        const double open = price;
        price += (i * 7919 % 13 - 6) * 0.25;
        char tt[16];
        std::snprintf(tt, sizeof tt, "%02d:%02d:00", i / 60 % 24, i % 60);
        d.append(sep).append("03/09/26");
        t.append(sep).append(tt);
        c.append(sep).append(std::to_string(price));
        h.append(sep).append(std::to_string(std::max(open, price) + 0.75));
        l.append(sep).append(std::to_string(std::min(open, price) - 0.5));
        o.append(sep).append(std::to_string(open));
    }
    return "<1041~" + key + "~" + std::to_string(n) + ">" + d + "#" + t + "#" + c + "#" + h + "#" + l + "#" + o + "<END>";
}

// A session that sends nothing and holds GOLD (2 decimals); the item is returned for live updates.
struct ChartSession {
    std::shared_ptr<state::BusinessBase> session;
    std::shared_ptr<model::ItemDetails> gold;
};

inline ChartSession chartSession(SilentUi& ui) {
    state::SessionParts parts;
    parts.outgoing = [](const protocol::RequestMessage&) { return true; };
    ChartSession out{state::BusinessBase::create(ui, ui, std::move(parts)), std::make_shared<model::ItemDetails>()};
    out.gold->Code = "GOLD";
    out.gold->DecimalPlaces = 2;
    out.gold->UpdateTime = "03/09/2026 10:00:00";
    state::ReferenceDataTestAccess::ItemCollection(state::SessionTestAccess::referenceData(*out.session)).set("GOLD", out.gold);
    return out;
}

template <typename F>
double bestMs(int runs, F&& f) {
    double best = 1e9;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        f();
        best = std::min(best, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

}  // namespace bench
