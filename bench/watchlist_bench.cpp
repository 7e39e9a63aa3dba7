// The watchlist at 500 instruments, offscreen at 1600x900: one tick (the live
// cells of every row, then the repaint) and one full reload (every cell, then
// the repaint). The baseline is the repaint of the same table alone.
#include <QApplication>
#include <QElapsedTimer>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "bench_book.h"
#include "table_bench.h"
#include "silent_ui.h"
#include "model/item_details.h"
#include "model/item_type.h"
#include "model/session_settings.h"
#include "offscreen_bench.h"
#include "support/reference_data_test_access.h"
#include "support/session_test_access.h"
#include "state/reference_data.h"
#include "views/watchlist_table_controller.h"

namespace {

constexpr int kInstruments = 500;
constexpr int kRounds = 50;

void fill(state::ReferenceData& data) {
    const char* types[] = {"Commodities", "Currencies", "Indices", "Shares"};
    for (int t = 0; t < 4; ++t) {
        auto type = std::make_shared<model::ItemType>();
        type->InstrumentTypeId = t + 1;
        type->InstrumentTypeName = types[t];
        state::ReferenceDataTestAccess::ItemTypeCollection(data).set(std::to_string(t + 1), type);
    }
    for (int s = 1; s <= 2; ++s) {
        auto setting = std::make_shared<model::SessionSettings>();
        setting->settingsID = std::uint64_t(s);
        setting->settingsName = s == 1 ? "Open" : "Closed";
        setting->sessionColor = model::RGBAColor::fromRGB(s == 1 ? 0x008000 : 0xFF0000);
        state::ReferenceDataTestAccess::SessionSettingCollection(data).set(std::to_string(s), setting);
    }
    for (int i = 0; i < kInstruments; ++i) {
        auto item = std::make_shared<model::ItemDetails>();
        // Appended rather than concatenated: GCC 12 warns wrongly on "I" + text at -O3.
        std::string code = std::to_string(i);
        code.insert(code.begin(), 'I');
        item->Code = code;
        item->Name = std::string("Instrument number ").append(std::to_string(i));
        item->InstrumentId = i + 1;
        item->InstrumentTypeId = i % 4 + 1;
        item->InstrumentTypeName = types[i % 4];
        item->DecimalPlaces = 2 + i % 4;
        item->leastSignificantDigitLength = 1;
        item->priceTick = 0.01;
        item->Bid = item->Last = item->Open = item->High = item->Low = item->PrevClose = 100 + i;
        item->Ask = item->Bid + 0.02;
        item->UpdateTime = "12/07/2026 09:30:00";
        item->instrumentTradingStatus = 1;
        item->CurrentTradeSessionSettingId = i % 10 == 0 ? 2 : 1;
        state::ReferenceDataTestAccess::ItemCollection(data).set(item->Code, item);
        state::ReferenceDataTestAccess::selectedSymbols(data).push_back(item->Code);
    }
}


}  // namespace

int main(int argc, char** argv) {
    bench::OffscreenApp app(argc, argv);
    bench::TableTimes times;
    {
        bench::BenchPreferences preferences("watchlist_bench");
        bench::SilentUi ui;
        auto session = state::BusinessBase::create(ui, ui);
        fill(state::SessionTestAccess::referenceData(*session));
        bench::TableContext context(session, ui, preferences.manager);
        views::WatchlistTableController table(context.context);
        times = bench::timeTable(table, state::SessionTestAccess::referenceData(*session), kRounds, [&] { table.RefreshWatchlist(); });
    }
    std::printf("watchlist %d instruments, 1600x900, mean of %d rounds\n", kInstruments, kRounds);
    bench::printTableTimes(times, 10, 30);
    return 0;
}
