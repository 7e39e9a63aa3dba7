// Every place that shows a server or partner text, fed a long text, one with a
// bidirectional override and one with a pile of combining marks: what reaches
// Qt is cut, shows the override as U+FFFD and carries few marks per character.
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <functional>

#include "chat/chat_queue_table_view_controller.h"
#include "chat/chat_window_controller.h"
#include "chat/core/chat_texts.h"
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
#include "trading/closend_cancel_position_window_controller.h"
#include "trading/modify_position_window_controller.h"

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

class ServerTextPlacesTest : public orders::testing::OrderFixture {};

TEST_F(ServerTextPlacesTest, EveryPlaceShowsTheRulesForm) {
    const std::string overridden = "GOLD \xE2\x80\xAE" "fdp.exe";
    std::string piled = "e";
    for (int i = 0; i < 3999; ++i) piled += "\xCC\x81";
    const std::string texts[] = {std::string(1 << 20, 'x'), overridden, piled};

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
    };
    for (const auto& [place, show] : places) {
        const QString longShown = show(texts[0]), bidiShown = show(texts[1]), marksShown = show(texts[2]);
        EXPECT_LT(longShown.size(), 3 * kit::kMaxShownLength) << place;
        EXPECT_FALSE(bidiShown.contains(QChar(0x202E))) << place;
        EXPECT_TRUE(bidiShown.contains(QChar(0xFFFD))) << place;
        EXPECT_LE(longestMarkRun(marksShown), int(model::kMaxMarksPerCharacter)) << place;
    }
}

}  // namespace
