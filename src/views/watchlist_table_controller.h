#pragma once
// The main window's watchlist: one row per watchlist code, live prices on
// the 1.0 s tick, a full reload on "WatchlistTableNotification". A double
// click opens the ticket of an active instrument (else alert "1069"); the
// icon opens the instrument's details; a drag carries the code as text.
#include <QHash>
#include <QIcon>
#include <QMessageBox>
#include <QPointer>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "model/compact_text.h"
#include "views/core/price_marks.h"
#include "views/core/rows_by_item.h"
#include "kit/table_controller_base.h"
#include "views/other_windows.h"
#include "views/register_windows.h"

namespace model {
class ItemDetails;
}
namespace state {
class SessionView;
}
namespace kit {
struct WindowContext;
}

namespace views {

class WatchlistTableController : public kit::TableControllerBase {
public:
    // The name under which the details window is opened.
    static constexpr const char* kDetailWindow = kAdvancedDetailWindow;
    static constexpr const char* kTicketWindow = other_windows::kTradeTicket;
    // A longer list's snapshot is built this many rows a slice and shown whole.
    static constexpr std::size_t kSnapshotStepRows = 3000;
    // Drawn texts and colours kept; past this many rows they are made again.
    static constexpr std::size_t kDrawnRowsKept = 1024;

    explicit WatchlistTableController(kit::WindowContext& context, QWidget* parent = nullptr);
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

    static constexpr std::size_t kGivingWayColumns = 3;
    // A column that gives way (the spread, the name, the type): its least
    // and fitted widths; column -1 where it is hidden or absent.
    struct GivingWay {
        int column = -1;
        int least = 0;
        int fitted = 0;
    };
    // The first screen: every shown column through the spread, frame and
    // scroll bar included; with the name and type columns at their fitted
    // widths (whole) and at their titles' (least).
    struct FirstScreen {
        int whole = 0;
        int least = 0;
        std::array<GivingWay, kGivingWayColumns> givingWay{};  // each column's content measured once
    };
    FirstScreen firstScreen() const;
    // The first screen within `width`: the name column gives way first, then
    // the type, never below their titles; they grow back to their fitted widths.
    void fitFirstScreen(int width);
    // The same with the widths of a `screen` read while the rows and the font
    // were as now (the sums are read again).
    void fitFirstScreen(int width, const FirstScreen& screen);

protected:
    int takeSnapshot() override;
    void didReload() override;
    QVariant cellData(int row, int column, int role) const override;
    // While the list and its records stay (on the tick, or on the table's
    // notification): the rows whose instrument's live fields changed since
    // the last drawing, and those that showed a move.
    std::optional<std::vector<int>> changedRows() override;
    std::vector<int> readRows(std::span<const int> rows) override;
    std::string dragText(const std::vector<int>& rows) const override;

private:
    // `screen` with its sums read from the columns' widths now.
    FirstScreen withSums(FirstScreen screen) const;
    // What the live cells draw from, as last shown.
    struct Live {
        double bid = 0, ask = 0, last = 0, high = 0, low = 0, open = 0, previousClose = 0;
        model::CompactText time;  // shares the record's text
        std::int32_t status = 0, session = 0;
        bool same(const model::ItemDetails& item) const;
        void take(const model::ItemDetails& item);
    };
    struct Row {
        model::CompactText code;  // the record's own code text when it has one
        std::shared_ptr<model::ItemDetails> item;  // null: the code has no record
        LastShownPrices::Moves moves;
        Live live;
    };
    // What a row's drawing made, kept for the rows on screen only.
    struct Drawn {
        std::optional<QString> bid, ask;
        std::optional<std::optional<model::RGBAColor>> codeColor;
    };
    Drawn& drawn(const Row& row) const;
    // What a column draws, decided once from its identifier.
    enum class Cell { Icon, Code, Name, Bid, Ask, Other };
    struct Column {
        Cell cell = Cell::Other;
        QVariant alignment;
    };
    Row rowOf(const std::string& code);
    // The rows shown are these codes, in this order.
    bool sameCodes(const std::vector<std::string>& codes) const;
    // The rows changedRows reads, with those that showed a move: on a tick
    // one turn after the last, those of the instruments the feed wrote in
    // that turn; outside the tick, those of the instruments status changes
    // named since the last read; else every row.
    std::vector<std::size_t> rowsToRead();
    // A new snapshot: the next tick reads every row.
    void rowsReplaced();
    // The next rows of the snapshot under way in a later slice; the last
    // puts it in and reloads.
    void buildNextRows();
    QVariant priceCell(const Row& row, bool bid, int role) const;
    const std::optional<model::RGBAColor>& codeColor(const Row& row) const;
    QIcon iconFor(const model::ItemDetails& item) const;
    std::string text(const char* key) const;

    kit::WindowContext& context_;
    std::vector<Column> columns_;
    std::vector<Row> rows_;
    LastShownPrices shown_;
    std::uint64_t recordsSeen_ = 0;  // the snapshot's
    std::uint64_t listSeen_ = 0;  // the watchlist revision rows_ follow
    std::uint64_t statusSeen_ = 0;  // the status changes read
    // A long list's snapshot under way, while rows_ stays shown; the codes
    // are let go once it is whole.
    std::vector<std::string> buildingCodes_;
    std::vector<Row> buildingRows_;
    std::uint64_t buildingRecords_ = 0, buildingList_ = 0, buildingStatus_ = 0;
    bool stepping_ = false;  // its next rows posted
    bool built_ = false;  // the next snapshot is buildingRows_
    bool snapshotDue_ = false;  // the next reload takes a snapshot
    bool ticking_ = false;
    std::uint64_t turnSeen_ = 0;  // the ticked instruments' turn the last tick read
    bool readAll_ = true;
    std::vector<std::size_t> movedRows_;  // rows showing a move
    RowsByItem rowsByItem_;
    mutable std::unordered_map<const Row*, Drawn> drawn_;  // of rows_'s rows
    mutable QHash<QString, QIcon> icons_;
    QPointer<QMessageBox> alert_;
    int firstScreenWidth_ = 0;  // the last fitFirstScreen's width; 0: none yet
    bool firstScreenHadRows_ = false;  // its rows' widths were fitted then
};

}  // namespace views
