// Rows of the account statement answer's data set, shared by the statement
// benches.
#pragma once

#include <string>

#include "bench_book.h"

namespace bench {

inline std::string element(const std::string& name, const std::string& text) {
    return "<" + name + ">" + text + "</" + name + ">";
}

inline std::string statementInstrument(int id) {
    return "<Table5>" + element("InstrumentId", std::to_string(id)) + element("Code", text("I", id)) +
           element("DecimalPlaces", std::to_string(2 + id % 4)) + "</Table5>";
}

// The i-th open position (0-based) on the given instrument.
inline std::string statementOpenPosition(int i, int instrument) {
    return "<Table1>" + element("PositionId", std::to_string(i + 1)) + element("AccountId", "1001") +
           element("InstrumentId", std::to_string(instrument)) + element("IsBuy", i % 2 ? "true" : "false") +
           element("PositionQty", std::to_string(1 + i % 7) + ".5") + element("OrderPrice", "1780.25") +
           element("UnrealisedPL", std::to_string(i % 200 - 100) + ".25") +
           element("PositionDate", "2026-11-05T14:07:09.123") + element("DeliveryModeId", "1") +
           element("CommisionPaid", "1.5") + "</Table1>";
}

// The i-th settled position (0-based) on the given instrument.
inline std::string statementSettledPosition(int i, int instrument) {
    return "<Table3>" + element("SettlementId", text("S", i + 1)) + element("AccountId", "1001") +
           element("InstrumentId", std::to_string(instrument)) + element("SettledQty", std::to_string(1 + i % 3)) +
           element("IsBuy", "true") + element("SettledPL", std::to_string(i % 50) + ".5") +
           element("SettlementDate", "2026-11-10T16:00:00") + element("OpenPrice", "1780.00") +
           element("ClosePrice", "1790.00") + "</Table3>";
}

}  // namespace bench
