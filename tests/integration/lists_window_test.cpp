// The advanced watchlist, the watchlist editor, the accounts and the journal
// in the main window against the simulator. Saves screenshots in both themes.
#include <gtest/gtest.h>

#include <QHeaderView>
#include <QTest>

#include "integration/app_window_fixture.h"
#include "kit/core/kit_payloads.h"
#include "state/session_notifications.h"
#include "trading/trade_ticket_window_controller.h"
#include "views/accounts_table_controller.h"
#include "views/add_remove_window_controller.h"
#include "views/advanced_table_cell.h"
#include "views/advanced_watchlist_table_controller.h"
#include "views/core/account_cells.h"
#include "views/journal_table_controller.h"
#include "views/watchlist_table_controller.h"

namespace {

using integration::tr;
using kit::testing::runFor;
using kit::testing::runUntil;
using kit::testing::saveScreenshot;

class ListsWindowTest : public integration::LoggedInWindowTest {
protected:
    ListsWindowTest() : LoggedInWindowTest("lists_window") {}
    const state::SessionView& view() { return state::viewOf(*session); }
    trading::TradeTicketWindowController* ticket() {
        return dynamic_cast<trading::TradeTicketWindowController*>(main->keptWindow("TradeTicketWindowController"));
    }
    // The widget in both themes, as the theme change redraws it.
    void shoot(QWidget* widget, const QString& name) {
        for (const std::int64_t theme : {0, 1}) {
            prefs->set("Theme", theme);
            QApplication::setPalette(kit::ThemeManager::palette(theme));
            platform::NotificationCenter::defaultCenter().post(kit::kThemeChangedNotification);
            runFor(150);
            saveScreenshot(widget, name + (theme == 0 ? "-dark" : "-light"));
        }
    }
    // Visible windows of the main window titled with the key's text.
    int shownTitled(const char* key) {
        int n = 0;
        for (QWidget* w : main->window()->findChildren<QWidget*>())
            if (w->isWindow() && w->isVisible() && w->windowTitle().toStdString() == tr(key)) ++n;
        return n;
    }
};

TEST_F(ListsWindowTest, AdvancedWatchlistMovesAndOpensTheTicket) {
    views::AdvancedWatchlistTableController* advanced = main->advancedWatchlist();
    ASSERT_TRUE(main->watchlistTabView->widget(1)->isAncestorOf(advanced));
    EXPECT_EQ(main->watchlistTabView->tabText(1).toStdString(), tr("0342"));
    main->watchlistTabView->setCurrentIndex(1);
    ASSERT_EQ(advanced->rowCount(), int(view().watchlistCodes().size()));
    const auto asks = [&] {
        std::vector<std::string> out;
        for (int r = 0; r < advanced->rowCount(); ++r) out.push_back(advanced->row(r)->ask);
        return out;
    };
    const auto before = asks();
    EXPECT_EQ(sim->command("ticks 4").rfind("ok", 0), 0u);
    EXPECT_TRUE(runUntil([&] { return asks() != before; }, 20000)) << "the prices did not move";

    int active = -1;
    for (int r = 0; r < advanced->rowCount() && active < 0; ++r)
        if (advanced->row(r)->tradable) active = r;
    ASSERT_GE(active, 0);
    const QRect row = advanced->tableView()->visualRect(advanced->model()->index(active, 0));
    QTest::mouseClick(advanced->tableView()->viewport(), Qt::LeftButton, {},
                      views::AdvancedTableCell::buttonRect(row, views::AdvancedTableCell::Button::Buy).center());
    ASSERT_TRUE(ticket() && ticket()->isVisible());
    EXPECT_EQ(ticket()->itemCode(), advanced->row(active)->code);
    ticket()->close();
    main->window()->resize(1500, 860);
    shoot(main->watchlistTabView, "advanced-watchlist-live");
    main->watchlistTabView->setCurrentIndex(0);
}

TEST_F(ListsWindowTest, EditorSearchesAndAddsToBothWatchlistsAndTheTicket) {
    ASSERT_TRUE(main->runCommand("TradeTicketButtonClicked"));
    ASSERT_TRUE(ticket() && ticket()->isVisible());  // its list follows while it is open
    ASSERT_TRUE(main->runCommand("AddRemoveSymbolstoWatchlistClicked"));
    auto* editor = dynamic_cast<views::AddRemoveWindowController*>(main->keptWindow("AddRemoveWindowController"));
    ASSERT_TRUE(editor && editor->isVisible());
    EXPECT_TRUE(main->isSheetAttached());
    QTreeWidgetItem* group = editor->ItemCategoryOutlineView->topLevelItem(0);
    ASSERT_GT(group->childCount(), 0);
    group->child(0)->setSelected(true);
    const QAbstractItemModel& items = *editor->ItemTableView->model();
    EXPECT_GT(items.rowCount(), 0);

    editor->symbolSearchField->setText("gold");
    bool found = false;
    for (int r = 0; r < items.rowCount(); ++r) found |= items.index(r, 0).data().toString() == "GOLD";
    EXPECT_TRUE(found);
    editor->resize(editor->minimumSize());
    shoot(editor, "watchlist-editor-search");

    // Removed, then added again: both watchlists and the ticket follow.
    const std::string code = view().watchlistCodes().back();
    const int rows = main->watchlist()->rowCount();
    editor->symbolSearchField->setText(QString::fromStdString(code));
    ASSERT_GE(items.rowCount(), 1);
    editor->ItemTableView->selectRow(0);
    const auto ticketHas = [&] { return ticket()->SymbolComboBox->findText(QString::fromStdString(code)) != -1; };
    struct Step {
        int tag, rows;
        bool listed;
    } steps[] = {{views::AddRemoveWindowController::kRemoveTag, rows - 1, false},
                 {views::AddRemoveWindowController::kAddTag, rows, true}};
    for (const Step& step : steps) {
        editor->ShowandHideSymbolsinWatchlist(step.tag);
        EXPECT_EQ(ticketHas(), step.listed);  // at once
        EXPECT_TRUE(runUntil([&] { return main->watchlist()->rowCount() == step.rows; }));
        EXPECT_TRUE(runUntil([&] { return main->advancedWatchlist()->rowCount() == step.rows; }));
    }
    editor->reject();
}

TEST_F(ListsWindowTest, AccountsShowLiveFiguresAndChooseTheAccount) {
    namespace col = views::account_column;
    views::AccountsTableController* accounts = main->accounts();
    ASSERT_TRUE(main->mainTabView->widget(7)->isAncestorOf(accounts));
    EXPECT_EQ(main->mainTabView->tabText(7).toStdString(), tr("21008"));
    main->mainTabView->setCurrentIndex(7);
    const auto cell = [&](int row, const char* id, int role = Qt::DisplayRole) {
        return accounts->model()->index(row, accounts->columnWithIdentifier(id)).data(role);
    };
    ASSERT_EQ(accounts->rowCount(), int(view().getAccountCollection().size()));
    int other = -1;
    for (int r = 0; r < accounts->rowCount(); ++r) {
        const auto account = view().account(cell(r, col::kId).toString().toStdString());
        ASSERT_TRUE(account);
        EXPECT_EQ(cell(r, col::kEquity).toString().toStdString(), views::accountMoneyText(account->Equity));
        EXPECT_EQ(cell(r, col::kEquity, Qt::ForegroundRole).value<QBrush>().color(),
                  account->Equity >= 0 ? QColor::fromRgbF(0, 0.6f, 0) : QColor::fromRgbF(0.6f, 0, 0));
        if (account->AccountId != main->account()->AccountId) other = r;
    }
    ASSERT_GE(other, 0);
    const QRect row = accounts->tableView()->visualRect(accounts->model()->index(other, 0));
    QTest::mouseClick(accounts->tableView()->viewport(), Qt::LeftButton, {}, row.center());
    const std::string chosen = cell(other, col::kId).toString().toStdString();
    EXPECT_EQ(std::to_string(main->account()->AccountId), chosen);
    EXPECT_EQ(std::to_string(view().currentAccountSelected()), chosen);
    EXPECT_EQ(main->stripValues[0]->text().toStdString().find(chosen) != std::string::npos, true);
    main->window()->resize(1500, 860);
    shoot(main->window(), "accounts-table-live");

    // The buttons open what the menu opens: a new deposit each press; one withdrawal while visible.
    ASSERT_TRUE(accounts->newDepositButton()->isVisible() && accounts->newWithdrawalButton()->isVisible());
    accounts->newDepositButton()->click();
    EXPECT_EQ(shownTitled("21014"), 1);
    accounts->newWithdrawalButton()->click();
    QWidget* withdrawal = main->keptWindow("WithdrawalRequestWindowController");
    ASSERT_TRUE(withdrawal && withdrawal->isVisible());
    accounts->newWithdrawalButton()->click();
    EXPECT_EQ(main->keptWindow("WithdrawalRequestWindowController"), withdrawal);
    EXPECT_EQ(shownTitled("0722"), 1);
    EXPECT_FALSE(main->openWindow("WithdrawalRequestWindowController", {}));
}

TEST_F(ListsWindowTest, JournalShowsEachEventNewestFirst) {
    views::JournalTableController* journal = main->journal();
    ASSERT_TRUE(main->mainTabView->widget(5)->isAncestorOf(journal));
    main->mainTabView->setCurrentIndex(5);
    platform::NotificationCenter::defaultCenter().post(state::notifications::kJournalTable);
    QCoreApplication::sendPostedEvents();  // the reload's turn
    const std::vector<std::string> lines = view().journalLines();
    ASSERT_GE(lines.size(), 2u);
    ASSERT_EQ(journal->rowCount(), int(lines.size()));
    const auto text = [&](int row) { return journal->model()->index(row, 1).data().toString().toStdString(); };
    const std::string newest = lines.back().substr(lines.back().find("#$#") + 3);
    EXPECT_EQ(text(0), newest.substr(0, newest.find("#$#")));
    main->window()->resize(1500, 860);
    shoot(main->window(), "journal-table-live");
}

}  // namespace
