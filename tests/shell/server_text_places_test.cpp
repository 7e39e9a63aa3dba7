// Every place that shows a server or partner text, fed a long text, one with a
// bidirectional override, one with a pile of combining marks, one of letters
// joined by U+200D and one of many lines: what reaches Qt is cut, shows the
// override as U+FFFD, carries few marks per character and holds the rule's
// form of each short text.
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>
#include <functional>

#include "chat/chat_queue_table_view_controller.h"
#include "chat/chat_window_controller.h"
#include "chat/core/chat_texts.h"
#include "charts/chart_controller.h"
#include "charts/chart_window_controller.h"
#include "charts/pie_chart_controller.h"
#include "funds/deposit_request_window_controller.h"
#include "funds/funds_form.h"
#include "funds/financial_transactions_model.h"
#include "kit/banner/app_user_notification_banner_controller.h"
#include "kit/common_alert.h"
#include "kit/fake_context.h"
#include "kit/plain_text.h"
#include "kit/qt_main_executor.h"
#include "kit/qt_test_app.h"
#include "kit/shown_text.h"
#include "model/funds_records.h"
#include "orders/order_fixture.h"
#include "printing/table_print.h"
#include "reports/core/account_detail_text.h"
#include "reports/statement_table_model.h"
#include "state/data_service_answers.h"
#include "support/order_book_test_access.h"
#include "support/reference_data_test_access.h"
#include "support/session_test_access.h"
#include "trading/close_all_window_controller.h"
#include "trading/close_position_status_window_controller.h"
#include "trading/closend_cancel_position_window_controller.h"
#include "trading/modify_position_window_controller.h"
#include "trading/offset_position_window_controller.h"
#include "trading/trade_ticket_window_controller.h"
#include "shell/lock_window.h"
#include "views/add_remove_window_controller.h"
#include "views/advanced_detail_window_controller.h"

namespace {

// A statement table over rows made beforehand.
struct StatementCells : reports::StatementTableModel {
    explicit StatementCells(const std::string& text) : StatementTableModel({"a"}, {"A"}, {false}, nullptr) {
        setRows(reports::fixedTexts({{text}}));
    }
};

// The most combining marks on one character of `text`.
int longestMarkRun(const QString& text) {
    int longest = 0, run = 0;
    for (const QChar c : text) longest = std::max(longest, run = c.isMark() ? run + 1 : 0);
    return longest;
}

// `text` without the zero-width spaces a wrapped place adds.
QString unwrapped(QString text) { return text.remove(QChar(0x200B)); }

struct NoDelegate : trading::BulkClosePositionDelegate {
    void createBulkClosePositions(std::int64_t) override {}
};

// The texts of a table's cells, row by row.
QString cells(const QTableWidget& table) {
    QString out;
    for (int r = 0; r < table.rowCount(); ++r)
        for (int c = 0; c < table.columnCount(); ++c)
            if (table.item(r, c)) out += table.item(r, c)->text() + u'|';
    return out;
}
QString cells(const QAbstractItemModel& model) {
    QString out;
    for (int r = 0; r < model.rowCount(); ++r)
        for (int c = 0; c < model.columnCount(); ++c) out += model.index(r, c).data().toString() + u'|';
    return out;
}

class ServerTextPlacesTest : public orders::testing::OrderFixture {
protected:
    state::Orders& open() {
        return state::OrderBookTestAccess::OpenOrderCollection(state::SessionTestAccess::orderBook(*session));
    }
    state::ReferenceData& data() { return state::SessionTestAccess::referenceData(*session); }
};

TEST_F(ServerTextPlacesTest, EveryPlaceShowsTheRulesForm) {
    const std::string overridden = "GOLD \xE2\x80\xAE" "fdp.exe";
    std::string piled = "e";
    for (int i = 0; i < 3999; ++i) piled += "\xCC\x81";
    std::string joined;
    for (const char c : std::string("ACCOUNT SUSPENDED")) joined += std::string(1, c) + "\xE2\x80\x8D";
    joined += " end";
    std::string lines;
    for (int i = 0; i < 60; ++i) lines += "line " + std::to_string(i) + "\n";
    const std::string texts[] = {std::string(1 << 20, 'x'), overridden, piled, joined, lines};

    auto executor = kit::QtMainExecutor::install();
    kit::testing::FakeContext fake(*session, *session, *manager, session, std::chrono::milliseconds(20));
    openPosition(0, "5", "1001", "P1");
    // Each place given `text` answers what it handed to Qt.
    const std::pair<const char*, std::function<QString(const std::string&)>> places[] = {
        {"label set later", [](const std::string& text) {
             std::unique_ptr<QLabel> label(kit::plainLabel());
             kit::setShownText(*label, text);
             return label->text();
         }},
        {"alert", [](const std::string& text) { return kit::CommonAlert::makeAlert(text, "t", "OK")->informativeText(); }},
        {"banner", [](const std::string& text) {
             kit::AppUserNotification note;
             note.informativeText = note.subtitle = text;
             note.feature.lineBreakMode = 0;
             kit::AppUserNotificationBannerController banner(note, nullptr, nullptr);
             banner.presentBanner();
             if (text[0] == 'x') kit::testing::saveScreenshot(&banner, "banner-long-server-text");
             return banner.informativeTextLabel()->text() + banner.findChild<QLabel*>("subtitleLabel")->text();
         }},
        {"close and modify dialogs' name", [&](const std::string& text) {
             item->Name = text;
             trading::ClosendCancelPositionWindowController closer(fake.context);
             trading::ModifyPositionWindowController modifier(fake.context);
             for (trading::PositionDialog* dialog : std::initializer_list<trading::PositionDialog*>{&closer, &modifier}) {
                 dialog->setDialogMode(0);
                 dialog->setValue("0", "OrderIndex");
                 dialog->StartTimerandNotification();
             }
             return closer.SymbolDescriptionTextField->text() + modifier.SymbolDescriptionTextField->text();
         }},
        {"chat window title", [&](const std::string& text) {
             chat::ChatWindowController window(fake.context);
             window.userSelectedAtIndex("bob", text);
             return window.windowTitle();
         }},
        {"chat queue", [&](const std::string& text) {
             chat::ChatQueueTableModel queues(*session, "Queues", nullptr);
             auto queue = std::make_shared<model::ChatQueue>();
             queue->QueueName = text;
             queues.reload({queue});
             return queues.index(0, 0).data().toString();
         }},
        {"notice subject and body", [](const std::string& text) {
             model::ChatRoom room;
             room.MessageTitle = text;
             room.messages.push_back({text, "bob", "Bob", "20240131154501"});
             const chat::NoticeTexts notice = chat::noticeTexts(room, [](const std::string& key) { return key; });
             return QString::fromStdString(notice.subject + notice.text);
         }},
        {"statement cell", [](const std::string& text) { return StatementCells(text).text(0, 0); }},
        {"funds transaction", [](const std::string& text) {
             funds::FinancialTransactionsModel transactions;
             auto details = std::make_shared<model::FinancialTransactionDetails>();
             details->Narration = text;
             transactions.setTransactions({details});
             return transactions.index(0, 6).data().toString();
         }},
        {"printed header and cell", [](const std::string& text) {
             const auto key = [](const std::string& k) { return k; };
             return QString::fromStdString(reports::accountDetailString({7, {}, {}}, {}, text, key)) +
                    printing::printedCell(QString::fromStdString(text));
         }},
        {"deposit gateway combo and account name", [&](const std::string& text) {
             static int gateways = 0;
             const std::string id = std::to_string(++gateways);
             state::SessionTestAccess::dataServiceAnswers(*session).processDSResponse(
                 id + '\x05' + text + "\x05" "0\x05" "0\x05" "0\x05" "0\x05" "0\x06", std::nullopt,
                 "paygategetsettings", protocol::RequestKind{1023, "paygategetsettings", 0, 0});
             account->accountSettings = ~0;
             account->AccountName = text;
             funds::DepositRequestWindowController deposit(fake.context, nullptr);
             deposit.windowDidAppear();
             deposit.loadPaymentGateway();
             QComboBox& gateway = *deposit.paymentGatewayComboBox;
             return gateway.itemText(gateway.count() - 1) + deposit.accountNameTextField->text();
         }},
        {"offset title, rows, account and symbol", [&](const std::string& text) {
             open().clear();
             const auto main = openPosition(0, "5", "1001", "P1");
             const auto other = openPosition(1, "1", "1001", text);
             trading::OffsetPositionWindowController byRows(fake.context), byTitle(fake.context);
             byRows.setPosition("P1");
             byTitle.setPosition(text);
             main->AccountNumber = main->ItemCode = text;
             byRows.setPosition("P1");
             QString shown = byTitle.OffsetBox->title() + byTitle.windowTitle() + cells(*byTitle.offsetPositionTableView) +
                             cells(*byRows.offsetPositionTableView);
             for (QLineEdit* field : byRows.fields) shown += field->text();
             open().clear();
             openPosition(0, "5", "1001", "P1");
             return shown;
         }},
        {"close all rows and status rows", [&](const std::string& text) {
             open().clear();
             openPosition(0, "5", "1001", text);
             trading::CloseAllWindowController closer(fake.context);
             closer.windowDidAppear();
             NoDelegate none;
             trading::ClosePositionStatusWindowController status(fake.context, none, nullptr);
             model::OrderInfo row;
             row.orderNo = row.itemCode = row.orderDetails = text;
             status.windowDidAppear({row}, 0, [&](const std::string&) { return text; });
             open().clear();
             openPosition(0, "5", "1001", "P1");
             return cells(*closer.closeAllRows) + cells(*status.statusModel);
         }},
        {"close and cancel titles", [&](const std::string& text) {
             open().front()->OpenPositionId = text;
             trading::ClosendCancelPositionWindowController closer(fake.context);
             closer.setDialogMode(0);
             closer.setValue("0", "OrderIndex");
             closer.StartTimerandNotification();
             open().front()->OpenPositionId = "P1";
             return closer.ClosenadCancelBox->title() + closer.windowTitle();
         }},
        {"watchlist editor cells and types", [&](const std::string& text) {
             auto& types = state::ReferenceDataTestAccess::symbolTypeCollection(data());
             types.set(text, text + ':' + text);  // a type of one entry: code and name
             views::AddRemoveWindowController editor(fake.context);
             editor.showWindow();
             QString shown = cells(*editor.ItemTableView->model());
             for (QTreeWidgetItemIterator it(editor.ItemCategoryOutlineView); *it; ++it) shown += (*it)->text(0);
             types.erase(text);
             return shown;
         }},
        {"chart symbol combo and title", [&](const std::string& text) {
             auto copy = std::make_shared<model::ItemDetails>(*item);
             copy->Code = text;
             state::ReferenceDataTestAccess::ItemCollection(data()).set(text, copy);
             state::ReferenceDataTestAccess::selectedSymbols(data()) = {text};
             charts::ChartWindowController window(fake.context);
             window.NeedReload();
             charts::ChartController chart(session, session);
             chart.setValue(text, "1#0");
             return window.symbolPopButton()->itemText(0) + chart.title();
         }},
        {"ticket symbol", [&](const std::string& text) {
             auto copy = std::make_shared<model::ItemDetails>(*item);
             copy->Code = text;
             state::ReferenceDataTestAccess::ItemCollection(data()).set(text, copy);
             state::ReferenceDataTestAccess::selectedSymbols(data()) = {text};
             trading::TradeTicketWindowController ticket(fake.context);
             ticket.setIsTradeTicketfromWatchlist(false);
             ticket.windowDidAppear();
             return ticket.SymbolComboBox->itemText(0);
         }},
        {"detail and lock titles", [&](const std::string& text) {
             auto copy = std::make_shared<model::ItemDetails>(*item);
             copy->Code = text;
             state::ReferenceDataTestAccess::ItemCollection(data()).set(text, copy);
             views::AdvancedDetailWindowController detail(fake.context);
             detail.runModalWindowForItem(text);
             shell::LockWindow lock;
             lock.updateLanguageStrings(0, text);
             return detail.windowTitle() + lock.windowTitle();
         }},
        {"pie legend", [](const std::string& text) {
             charts::PieChartController pie;
             model::PieChartDictionary data;
             data.PieChartTitle = {text};
             data.PieChartData = {1};
             pie.setPieChartData(data);
             QString shown;
             for (const auto& entry : pie.legendEntries()) shown += entry.title;
             return shown;
         }},
    };
    for (const auto& [place, show] : places) {
        const QString longShown = show(texts[0]), bidiShown = show(texts[1]), marksShown = show(texts[2]);
        EXPECT_LT(longShown.size(), 8 * kit::kMaxShownLength) << place;  // a few parts, each cut
        EXPECT_FALSE(bidiShown.contains(QChar(0x202E))) << place;
        EXPECT_TRUE(bidiShown.contains(QChar(0xFFFD))) << place;
        EXPECT_LE(longestMarkRun(marksShown), int(model::kMaxMarksPerCharacter)) << place;
        // Each short text shows as the rule has it, whatever else the place adds.
        for (const std::string& text : {texts[1], texts[3], texts[4]})
            EXPECT_TRUE(unwrapped(show(text)).contains(unwrapped(kit::shownText(text)))) << place << ": " << text;
    }
}

// The ticket's symbol item carries the record's code, whatever it shows.
TEST_F(ServerTextPlacesTest, TicketChoosesTheRecordsSymbol) {
    const std::string code = "GO\xE2\x80\xAE" "LD";
    auto& items = state::ReferenceDataTestAccess::ItemCollection(data());
    items.set(code, *items.find("GOLD"));
    state::ReferenceDataTestAccess::selectedSymbols(data()) = {code};
    kit::testing::FakeContext fake(*session, *session, *manager, session);
    trading::TradeTicketWindowController ticket(fake.context);
    ticket.setIsTradeTicketfromWatchlist(false);
    ticket.windowDidAppear();
    ASSERT_EQ(ticket.SymbolComboBox->count(), 1);
    EXPECT_NE(ticket.SymbolComboBox->itemText(0).toStdString(), code);  // shown by the rule
    EXPECT_EQ(ticket.SymbolComboBox->itemData(0).toString().toStdString(), code);  // what is chosen
}

// The offset order sends the record's symbol and account, whatever their fields show.
TEST_F(ServerTextPlacesTest, OffsetSendsTheRecordsSymbol) {
    for (const std::string& code : {std::string("GO\xE2\x80\xAE" "LD"), std::string(5000, 'G')}) {
        reset();
        open().clear();
        auto& items = state::ReferenceDataTestAccess::ItemCollection(data());
        items.set(code, *items.find("GOLD"));
        openPosition(0, "1", "1001", "P1")->ItemCode = code;
        openPosition(1, "1", "1001", "P2")->ItemCode = code;
        kit::testing::FakeContext fake(*session, *session, *manager, session);
        trading::OffsetPositionWindowController sheet(fake.context);
        ASSERT_TRUE(sheet.setPosition("P1"));
        sheet.hitCheckbox(0);
        ASSERT_TRUE(sheet.QuantitySelectedAtIndex(0, "1"));
        sheet.OffsetButtonClicked();
        EXPECT_TRUE(fake.ui.alerts.empty()) << fake.ui.alerts.front();
        ASSERT_EQ(sent, 1);
        EXPECT_NE(body().find(code), std::string::npos) << code.size();
    }
}

}  // namespace
