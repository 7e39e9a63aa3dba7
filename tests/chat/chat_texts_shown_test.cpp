// What the chat windows show of a partner's text: markup as typed with nothing
// loaded, a long text cut for layout and copied whole, and a text typed while
// the line is down refused and kept (also a queue request's).
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "chat/chat_window_controller.h"
#include "chat/core/chat_texts.h"
#include "chat/message_table.h"
#include "chat/queue_request_dialog.h"
#include "chat/resources_view_controller.h"
#include "chat/room_table_model.h"
#include "kit/fake_context.h"
#include "kit/qt_main_executor.h"
#include "kit/qt_test_app.h"
#include "kit/shown_as_typed.h"
#include "model/shown_text.h"
#include "orders/order_mananger.h"
#include "support/session_test_access.h"
#include "views/watchlist_fixture.h"

namespace chat {
namespace {

class ChatTextsShownTest : public ::testing::Test {
protected:
    void SetUp() override { executor = kit::QtMainExecutor::install(); }
    void TearDown() override { platform::MainExecutor::install(nullptr); }
    static std::shared_ptr<model::ChatRoom> roomWith(const std::string& name, const std::string& text) {
        auto room = std::make_shared<model::ChatRoom>();
        room->messages.push_back({text, "bob", name, "20240131154501"});
        room->Message = text;
        return room;
    }
    // The tooltip as Qt shows it equals the cell, and nothing was loaded.
    static void expectTipShowsCell(const QModelIndex& index) {
        const kit::testing::Shown tip = kit::testing::shownAs(index.data(Qt::ToolTipRole).toString());
        EXPECT_EQ(tip.text, index.data().toString());
        EXPECT_TRUE(tip.loaded.isEmpty()) << tip.loaded.join(",").toStdString();
    }

    std::shared_ptr<kit::QtMainExecutor> executor;
    views::testing::WatchlistSession s;
    orders::OrderMananger manager{*s.session, *s.session, s.data(), state::SessionTestAccess::orderBook(*s.session), *s.session};
    kit::testing::FakeContext fake{*s.session, *s.session, manager, s.session};
};

TEST_F(ChatTextsShownTest, MarkupInMessagesRoomsAndResourcesIsShownAsTyped) {
    for (const QString& typed : kit::testing::markupTexts()) {
        SCOPED_TRACE(typed.toStdString());
        const std::string text = typed.toStdString();
        MessageTableModel messages("Message", {}, nullptr);
        messages.showRoom(roomWith(text, text), "trader");
        EXPECT_TRUE(messages.index(0, 0).data().toString().endsWith("]:\t" + typed));
        expectTipShowsCell(messages.index(0, 0));

        RoomTableModel rooms({{"0397", "0157"}, {"a", "b"}, recentCellText, nullptr}, nullptr);
        auto room = roomWith(text, text);
        room->RoomUserDisplayName = text;
        rooms.reload({room});
        for (int column : {0, 1}) {
            EXPECT_EQ(rooms.index(0, column).data().toString(), typed);
            expectTipShowsCell(rooms.index(0, column));
        }

        auto resource = std::make_shared<model::ResourceDetails>();
        resource->caption = text;
        auto& listed = state::ReferenceDataTestAccess::resourceCollection(s.data());
        listed.clear();
        listed.set(text, resource);
        ResourcesViewController resources(fake.context);
        const QModelIndex caption = resources.resourcesTableView()->model()->index(0, 0);
        EXPECT_EQ(caption.data().toString(), typed);
        expectTipShowsCell(caption);
    }
}

TEST_F(ChatTextsShownTest, ALongTextIsLaidOutCutAndCopiedWhole) {
    const std::string whole = std::string(2'000'000, 'w') + "\xC3\xA9";
    MessageTable table("Message");
    table.resize(480, 300);
    table.showRoom(roomWith("Bob", whole), "trader");
    const QString shown = table.messages()->rowText(0);
    EXPECT_TRUE(shown.endsWith(QString::fromUtf8("w\xE2\x80\xA6")));
    EXPECT_LT(shown.size(), int(model::kMaxShownLength) + 100);
    EXPECT_EQ(table.model()->index(0, 0).data().toString(), shown);
    EXPECT_LT(table.rowHeight(0), 2000);  // a few dozen lines, not 25,000

    table.setCurrentIndex(table.model()->index(0, 0));
    QTest::keySequence(&table, QKeySequence::Copy);
    const QString copied = QGuiApplication::clipboard()->text();
    EXPECT_EQ(copied.size(), table.messages()->wholeRowText(0).size());
    EXPECT_TRUE(copied.endsWith(QString::fromUtf8("w\xC3\xA9")));
}

TEST_F(ChatTextsShownTest, ATextSentWhileTheLineIsDownIsRefusedAndKept) {
    state::servicesOf(*s.session).connection().isNetworkAvailable = false;
    ChatWindowController chat(fake.context);
    // The hidden header still names the column to screen readers, in the language.
    EXPECT_EQ(chat.messageTableView()->model()->headerData(0, Qt::Horizontal).toString().toStdString(),
              fake.context.text("90518"));
    chat.userSelectedAtIndex("bob", "Bob");
    chat.messageTextView()->setText("are you there?");
    const std::size_t sent = s.sent.size();
    QTest::mouseClick(chat.sendButton(), Qt::LeftButton);
    EXPECT_EQ(chat.messageTextView()->text(), "are you there?");
    EXPECT_EQ(fake.ui.alerts, std::vector<std::string>{fake.context.text("10980") + ": " + fake.context.text("1007")});
    EXPECT_EQ(s.sent.size(), sent);
    const auto room = fake.context.view.chatRoom("bob");
    EXPECT_TRUE(!room || !room->parkedText);

    // A queue request: refused before its dialog closes, so the typed text stays; it closes once the line is up.
    model::ChatQueue queue;
    queue.QueueId = "5";
    queue.isAvailable = true;
    chat.ChatSupportSelectedAtIndex(queue);
    ASSERT_TRUE(chat.requestDialog());
    chat.requestDialog()->field()->setText("need a hand");
    chat.requestDialog()->accept();
    ASSERT_TRUE(chat.requestDialog());
    EXPECT_TRUE(chat.requestDialog()->isVisible());
    EXPECT_EQ(chat.requestDialog()->requestText(), "need a hand");
    EXPECT_EQ(fake.ui.alerts.size(), 2u);
    EXPECT_EQ(s.sent.size(), sent);
    state::servicesOf(*s.session).connection().isNetworkAvailable = true;
    chat.requestDialog()->accept();
    EXPECT_FALSE(chat.requestDialog() && chat.requestDialog()->isVisible());
    EXPECT_EQ(fake.ui.alerts.size(), 2u);
}

}  // namespace
}  // namespace chat
