// The open positions table at 5,000 positions, offscreen at 1600x900: one
// tick (close price and P/L of every row, the totals, then the repaint) and
// one full reload (every cell, then the repaint). The baseline is the repaint
// of the same table alone.
#include <QApplication>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "app/core/preference_manager.h"
#include "app/kit/qt_main_executor.h"
#include "app/kit/sheet_host.h"
#include "app/kit/window_opener.h"
#include "bench_book.h"
#include "model/account_details.h"
#include "platform/preferences.h"
#include "silent_ui.h"
#include "state/order_book.h"
#include "state/reference_data.h"
#include "views/open_position_table_controller.h"

namespace {

constexpr int kPositions = 5000;
constexpr int kInstruments = 200;
constexpr int kAccounts = 20;
constexpr int kRounds = 30;

struct NoSheets : app::SheetHost {
    void showCustomSheet(QDialog*) override {}
    bool isSheetAttached() const override { return false; }
};
struct NoWindows : app::WindowOpener {
    void openTicket(const std::string&) override {}
    void openWindow(const std::string&, const std::string&) override {}
};

void fill(state::BusinessBase& s) {
    auto& ref = s.referenceData();
    const std::string groupId = bench::addGroupAndInstruments(s, kInstruments);
    auto& group = *ref.GroupDetailCollection.find(groupId);
    for (int i = 0; i < kInstruments; ++i) {
        auto conditions = std::make_shared<model::GroupInstruments>();
        conditions->availableOrderSettings = 0x03;
        conditions->margincalculationMode = 2;
        conditions->InitialMargin = 1 + i % 7;
        group->GroupInstrumentCollection[std::to_string(i + 1)] = conditions;
    }
    for (int i = 0; i < kAccounts; ++i) {
        auto a = std::make_shared<model::AccountDetails>();
        a->AccountId = 1000 + i;
        a->GroupId = groupId;
        a->tradingStatus = 1;
        a->accountaccessType = 1;
        ref.AccountDetailCollection.set(std::to_string(a->AccountId), a);
    }
    auto& open = s.orderBook().OpenOrderCollection;
    for (int i = 0; i < kPositions; ++i) {
        auto p = std::make_shared<model::Order>();
        p->OpenPositionId = std::to_string(70000 + i);
        p->AccountNumber = std::to_string(1000 + i % kAccounts);
        p->ItemCode = bench::text("I", i % kInstruments);
        p->tradingMode = i % 2;
        p->deliveryMode = 1;
        p->RemainingQty = std::to_string(1 + i % 5);
        p->OrderPrice = std::to_string(9.5 + (i % 100) * 0.01);
        p->UnrealisedPL = (i % 11) - 5.25;
        p->Commision = 0.5;
        p->TransactionDateTime = "12/07/2026 09:30:00";
        open.push_back(p);
    }
}

void move(state::ReferenceData& data, int round) {
    for (auto& [code, item] : data.ItemCollection) {
        const double step = ((round + item->InstrumentId) % 3 - 1) * 0.01;
        item->Bid += step;
        item->Ask += step;
    }
}

template <class F>
double millisecondsPer(F&& f) {
    const auto t0 = std::chrono::steady_clock::now();
    for (int r = 0; r < kRounds; ++r) f(r);
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count() / kRounds;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication::setStyle("Fusion");
    QApplication application(argc, argv);
    auto executor = app::QtMainExecutor::install();
    const std::string path = (std::filesystem::temp_directory_path() / "positions_bench_prefs").string();
    double tick = 0, reload = 0, paint = 0, totals = 0, snapshot = 0;
    {
        platform::Preferences store(path);
        app::PreferenceManager preferences(store);
        bench::SilentUi ui;
        auto session = state::BusinessBase::create(ui, ui);
        fill(*session);
        NoSheets sheets;
        NoWindows windows;
        views::OpenPositionTableController table([&session] { return session.get(); }, sheets, windows, preferences,
                                                 0, true, {});
        table.refreshTimer().stop();
        table.resize(1600, 900);
        table.show();
        QApplication::processEvents();
        QWidget* viewport = table.tableView()->viewport();
        state::ReferenceData& data = session->referenceData();

        paint = millisecondsPer([&](int) { viewport->repaint(); });
        tick = millisecondsPer([&](int r) {
            move(data, r);
            table.RefreshTableview();
            viewport->repaint();
        });
        totals = millisecondsPer([&](int) { table.updateStatusLabel(); });
        snapshot = millisecondsPer([&](int r) {
            move(data, r);
            table.RefreshTableview();
        });
        reload = millisecondsPer([&](int r) {
            move(data, r);
            table.openpositionTableUpdate();
            viewport->repaint();
        });
        table.hide();
    }
    std::filesystem::remove(path);
    platform::MainExecutor::install(nullptr);
    std::printf("open positions %d positions, 1600x900, mean of %d rounds\n", kPositions, kRounds);
    std::printf("  repaint alone (baseline)   %8.3f ms\n", paint);
    std::printf("  one tick + repaint         %8.3f ms  (%.2fx the baseline; budget 20 ms)\n", tick, tick / paint);
    std::printf("    of which the tick alone  %8.3f ms, the totals alone %.3f ms\n", snapshot, totals);
    std::printf("  full reload + repaint      %8.3f ms  (%.2fx the baseline; budget 50 ms)\n", reload, reload / paint);
    return 0;
}
