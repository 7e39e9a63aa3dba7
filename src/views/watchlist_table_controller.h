#pragma once
// The main window's watchlist: one row per watchlist code, live prices on
// the 1.0 s tick, a full reload on "WatchlistTableNotification". A double
// click opens the ticket of an active instrument (else alert "1069"); the
// icon opens the instrument's details; a drag carries the code as text.
//
// The main window embeds it with
//   new views::WatchlistTableController([&session] { return session.businessbase().get(); }, sheetHost,
//                                       windowOpener, preferenceManager, language, parent)
// so that a new login's session replaces the old one; a fixed session may be
// passed by reference instead.
#include <QHash>
#include <QIcon>
#include <QMessageBox>
#include <QPointer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "views/core/price_marks.h"
#include "kit/table_controller_base.h"

namespace model {
class ItemDetails;
}
namespace state {
class SessionView;
}
namespace kit {
class WindowOpener;
}

namespace views {

class WatchlistTableController : public kit::TableControllerBase {
public:
    // The name under which the details window is opened.
    static constexpr const char* kDetailWindow = "AdvancedDetailWindowController";
    static constexpr const char* kTicketWindow = "TradeTicketWindowController";

    // The session of the current login; null while there is none (no rows).
    using SessionSource = std::function<const state::SessionView*()>;

    WatchlistTableController(SessionSource session, kit::SheetHost& sheets, kit::WindowOpener& opener,
                             const kit::PreferenceManager& preferences, std::int64_t language,
                             QWidget* parent = nullptr);
    WatchlistTableController(const state::SessionView& session, kit::SheetHost& sheets, kit::WindowOpener& opener,
                             const kit::PreferenceManager& preferences, std::int64_t language,
                             QWidget* parent = nullptr)
        : WatchlistTableController([&session] { return &session; }, sheets, opener, preferences, language, parent) {}
    ~WatchlistTableController() override;

    // The tick: deselects, then refreshes the live cells.
    void RefreshTableview() override;
    void RefreshWatchlist() { reloadTable(); }
    // The table's double click on a cell.
    void doubleAction(const QModelIndex& index);
    // The icon's click: the details of that row.
    void contractDetailButtonClicked(int row);
    // The "1069" alert while it is open.
    QMessageBox* currentAlert() const { return alert_; }

protected:
    int takeSnapshot() override;
    QVariant cellData(int row, int column, int role) const override;
    std::string dragText(const std::vector<int>& rows) const override;

private:
    struct Row {
        std::string code;
        std::shared_ptr<model::ItemDetails> item;  // null: the code has no record
        LastShownPrices::Moves moves;
    };
    QVariant priceCell(const Row& row, bool bid, int role) const;
    QIcon iconFor(const model::ItemDetails& item) const;
    std::string text(const char* key) const;

    SessionSource session_;
    kit::WindowOpener& opener_;
    const kit::PreferenceManager& preferences_;
    std::int64_t language_;
    std::vector<Row> rows_;
    LastShownPrices shown_;
    mutable QHash<QString, QIcon> icons_;
    QPointer<QMessageBox> alert_;
};

}  // namespace views
