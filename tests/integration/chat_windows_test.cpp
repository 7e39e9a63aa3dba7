// The chat windows against the simulator's chat peer: contacts and queues,
// a first text that waits for its room, the partner's lines, the recent
// conversations with their histories, and the notice inbox. Saves
// screenshots in both themes.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <QTreeView>

#include "chat/chat_message_window_controller.h"
#include "chat/chat_queue_table_view_controller.h"
#include "chat/chat_window_controller.h"
#include "chat/contacts_outline_view_controller.h"
#include "chat/core/chat_texts.h"
#include "chat/message_table.h"
#include "chat/messages_window_controller.h"
#include "chat/notice_message_window_controller.h"
#include "chat/presence_image.h"
#include "chat/queue_request_dialog.h"
#include "chat/recent_conversation_window_controller.h"
#include "integration/app_window_fixture.h"
#include "kit/core/kit_payloads.h"
#include "platform/notification_center.h"
#include "shell/main_window_controller.h"
#include "state/notification_payloads.h"
#include "state/session_commands.h"
#include "state/session_view.h"

namespace {

using kit::testing::runUntil;

class ChatWindowsTest : public integration::LoggedInWindowTest {
protected:
    ChatWindowsTest() : LoggedInWindowTest("chat_windows") {}
    void SetUp() override {
        LoggedInWindowTest::SetUp();
        if (HasFatalFailure()) return;
        // The login's contact list, recent conversations and offline notice mark.
        ASSERT_TRUE(runUntil([&] {
            const auto notice = view().chatRoom("notice/7");
            return view().chatQueues().size() == 2 && notice && notice->isanUnreadMessage;
        }, 10000));
    }
    const state::SessionView& view() { return main->context().view; }
    template <typename Window>
    Window* kept(const char* name) { return dynamic_cast<Window*>(main->keptWindow(name)); }
    template <typename Window>
    Window* open(const char* command, const char* name) {
        EXPECT_TRUE(main->runCommand(command, nullptr));
        auto* window = kept<Window>(name);
        if (window) window->resize(760, 520);
        runUntil([&] { return window && window->isVisible(); });
        return window;
    }
    chat::ChatWindowController* openChat() { return open<chat::ChatWindowController>("ChatButtonClicked", "ChatWindowController"); }
    // The window's partner, the session's, the title and whether sending is on.
    std::string conversation(chat::ChatWindowController* chat) {
        return chat->UserName() + "|" + view().chatUserName() + "|" + chat->windowTitle().toStdString() + "|" +
               (chat->sendButton()->isEnabled() ? "send" : "no send");
    }
    // Chat windows take the theme at their showing: `reshow` shows it again, else the window alone is themed.
    void shoot(QWidget* shown, const QString& name, const std::function<void()>& reshow = nullptr) {
        bothThemes(shown, name, [&](std::int64_t theme) {
            if (reshow) reshow();
            else kit::ThemeManager::applyTheme({{"Windows", {shown}}}, theme);
        });
    }
    static void click(QAbstractItemView* table, const QModelIndex& index) {
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualRect(index).center());
    }
    static void doubleClick(QTableView* table, int row) {
        click(table, table->model()->index(row, 0));
        QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, table->visualRect(table->model()->index(row, 0)).center());
    }
    static std::string cell(QAbstractItemView* table, int row, int column = 0) {
        return table->model()->index(row, column).data().toString().toStdString();
    }
    // Each row's first `columns` cells, joined by "|".
    static std::vector<std::string> rowTexts(QAbstractItemView* table, int columns) {
        std::vector<std::string> out;
        for (int row = 0; row < table->model()->rowCount(); ++row) {
            std::string text = cell(table, row);
            for (int column = 1; column < columns; ++column) text += "|" + cell(table, row, column);
            out.push_back(text);
        }
        return out;
    }
    // A server record: fields joined by 0x05, ended by 0x06.
    static std::string record(const std::vector<std::string>& fields) {
        std::string out;
        for (const auto& f : fields) out += (out.empty() ? "" : "\x05") + f;
        return out + "\x06";
    }
    static bool shows(const QModelIndex& index, chat::Presence presence) {
        return index.data(Qt::DecorationRole).value<QIcon>().cacheKey() == chat::presenceImage(presence).cacheKey();
    }
};

TEST_F(ChatWindowsTest, ContactsChooseAConversationTheFirstTextWaitsForItsRoomAndALaterListKeepsTheChoice) {
    auto* chat = openChat();
    ASSERT_TRUE(chat);
    chat::ContactsOutlineViewController* contacts = chat->contactsOutlineViewController();
    QAbstractItemModelTester tester(chat->messageTableView()->model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"Dealing Desk", ""}, {"Carol Ops", "carol/ops"}, {"Friends", ""}, {"Bob Brown", "bob"}};
    for (int row = 0; row < int(rows.size()); ++row) {
        const QModelIndex index = contacts->indexOfRow(row);
        EXPECT_EQ(index.data().toString().toStdString(), rows[row].first) << row;
        if (rows[row].second.empty()) EXPECT_TRUE(index.data(Qt::DecorationRole).isNull()) << row;
        else EXPECT_TRUE(shows(index, rows[row].second == "bob" ? chat::Presence::Available : chat::Presence::None)) << row;
    }
    const std::string none = "||" + integration::tr("0090") + "|no send";
    EXPECT_EQ(conversation(chat), none);

    // The first row does nothing; a contact opens an empty room and sends nothing yet.
    click(contacts, contacts->indexOfRow(0));
    EXPECT_EQ(conversation(chat), none);
    click(contacts, contacts->indexOfRow(3));
    EXPECT_EQ(conversation(chat), "bob|bob|Bob Brown|send");
    ASSERT_TRUE(view().chatRoom("bob"));

    // An empty box sends nothing; a text goes out once the room is confirmed, and the box empties.
    QTest::mouseClick(chat->sendButton(), Qt::LeftButton);
    chat->messageTextView()->setText("hello there");
    QTest::mouseClick(chat->sendButton(), Qt::LeftButton);
    EXPECT_EQ(chat->messageTextView()->text(), "");
    chat::MessageTable* table = chat->messageTableView();
    ASSERT_TRUE(runUntil([&] { return table->model()->rowCount() == 1; }, 10000));
    EXPECT_EQ(sent("601"), 1);
    EXPECT_EQ(sent("603"), 1);
    const std::string own = cell(table, 0);
    EXPECT_EQ(own.substr(0, own.find('[')) + own.substr(own.find("]:\t")), "trader]:\thello there");
    const auto headerColor = [&](int row) { return table->model()->index(row, 0).data(chat::kHeaderColorRole).value<QColor>(); };
    EXPECT_EQ(headerColor(0), QColor::fromRgbF(0.6f, 0, 0));

    // The partner's lines are green; a new one scrolls to the end.
    std::string longLine;
    for (int n = 0; n < 40; ++n) longLine += "spread_widens_";
    for (int n = 0; n < 29; ++n)
        sim->command("send trader 603 502=trader/bob 504=bob 517=Bob 21=20240131154501 17=" +
                     (n == 28 ? longLine : "line" + std::to_string(n)));
    ASSERT_TRUE(runUntil([&] { return table->model()->rowCount() == 30; }, 10000));
    EXPECT_EQ(cell(table, 1), "Bob[31/01/2024 03:45:01 PM]:\tline0");
    EXPECT_EQ(headerColor(1), QColor::fromRgbF(0, 0.6f, 0));
    kit::testing::runFor(50);
    EXPECT_EQ(table->verticalScrollBar()->value(), table->verticalScrollBar()->maximum());
    EXPECT_GT(table->verticalScrollBar()->maximum(), 0);
    EXPECT_GT(table->rowHeight(29), 2 * table->rowHeight(28));  // wrapped to the column
    shoot(chat, "chat-window-contact");

    // A box of blanks is sent.
    chat->messageTextView()->setText("   ");
    QTest::keyClick(chat->messageTextView(), Qt::Key_Return);
    ASSERT_TRUE(runUntil([&] { return table->model()->rowCount() == 31; }, 10000));
    EXPECT_EQ(sent("603"), 2);

    // Another group row resets the window; a message then only reloads the empty table.
    click(contacts, contacts->indexOfRow(2));
    EXPECT_EQ(conversation(chat), none);
    EXPECT_EQ(table->model()->rowCount(), 0);
    EXPECT_TRUE(contacts->selectionModel()->selectedIndexes().isEmpty());

    // A later contact list rebuilds the tree keeping the chosen contact.
    click(contacts, contacts->indexOfRow(3));
    ASSERT_EQ(chat->UserName(), "bob");
    // Groups 10, 2, 1a and bob's; dave in 10, erin in a group nobody names; carol's group is gone.
    sim->command("send trader 618 522=" + record({"10", "Ten", "0"}) + record({"2", "Two", "0"}) + record({"1a", "One", "0"}) +
                 record({"g2", "Friends", "0"}) +
                 " 521=" + record({"9", "dave", "Offline", "", "10", "1", "", "Dave"}) +
                 record({"10", "erin", "Online", "", "zz", "1", "", "Erin"}));
    ASSERT_TRUE(runUntil([&] { return contacts->model()->rowCount() == 4; }, 10000));
    std::vector<std::string> shown;
    for (int row = 0; contacts->indexOfRow(row).isValid(); ++row)
        shown.push_back(contacts->indexOfRow(row).data().toString().toStdString());
    EXPECT_EQ(shown, (std::vector<std::string>{"One", "Two", "Ten", "Dave", "Friends", "Bob Brown"}));
    EXPECT_TRUE(contacts->isExpanded(contacts->indexOfRow(0)));
    EXPECT_EQ(chat->UserName(), "bob");
    const QModelIndexList chosen = contacts->selectionModel()->selectedIndexes();
    ASSERT_EQ(chosen.size(), 1);
    EXPECT_EQ(contacts->flatRow(chosen.front()), 5);

    // A presence change reaches the tree.
    sim->command("send trader 619 23=bob 24=Offline");
    ASSERT_TRUE(runUntil([&] { return !view().chatUser("bob")->IsUserOnline; }, 10000));
    EXPECT_TRUE(shows(contacts->indexOfRow(5), chat::Presence::None));
    chat->close();
}

TEST_F(ChatWindowsTest, QueuesAskForARequestUnlessAcceptedAndIgnoreAWaitingOne) {
    auto* chat = openChat();
    ASSERT_TRUE(chat);
    chat::ChatQueueTableViewController* queues = chat->chatQueueTableViewController();
    QAbstractItemModelTester tester(queues->model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    const auto queue = [&](int row) { return queues->model()->index(row, 0); };
    const auto choose = [&](int row) {
        chat->loadDefaults();
        click(queues, queue(row));
    };
    EXPECT_EQ(cell(queues, 0), "Support");
    EXPECT_TRUE(shows(queue(0), chat::Presence::Available));
    EXPECT_TRUE(shows(queue(1), chat::Presence::None));

    // Unavailable: the window resets. Available without a request: the dialog, each time.
    click(queues, queue(1));
    EXPECT_EQ(chat->UserName(), "");
    EXPECT_TRUE(queues->selectionModel()->selectedRows().isEmpty());
    EXPECT_EQ(chat->requestDialog(), nullptr);
    click(queues, queue(0));
    ASSERT_TRUE(chat->requestDialog());
    EXPECT_EQ(chat->requestDialog()->field()->text(), "Hi");
    EXPECT_EQ(view().chatUserName(), "");  // the queue's partner is not known before a room
    chat->requestDialog()->reject();
    EXPECT_EQ(chat->UserName(), "");
    EXPECT_TRUE(queues->selectionModel()->selectedRows().isEmpty());
    click(queues, queue(0));
    ASSERT_TRUE(chat->requestDialog());
    EXPECT_EQ(chat->windowTitle().toStdString(), "Support");
    shoot(chat, "chat-window-queue");
    chat->requestDialog()->field()->clear();
    chat->requestDialog()->accept();
    ASSERT_TRUE(runUntil([&] { return view().chatRoom("5") != nullptr; }, 10000));
    EXPECT_EQ(sent("678"), 1);

    // Accepted (status 2): the conversation opens with sending on and no dialog.
    choose(0);
    EXPECT_EQ(chat->requestDialog(), nullptr);
    EXPECT_EQ(conversation(chat), "5|dealer|Support|send");

    // Waiting for acceptance: its text and image, and a click changes nothing.
    sim->command("send trader 679 1026=5 572=1");
    ASSERT_TRUE(runUntil([&] { return cell(queues, 0) == "Waiting for acceptance"; }, 10000));
    EXPECT_TRUE(shows(queue(0), chat::Presence::PartlyAvailable));
    choose(0);
    EXPECT_EQ(chat->UserName(), "");
    EXPECT_EQ(chat->requestDialog(), nullptr);
    chat->close();
}

TEST_F(ChatWindowsTest, RecentConversationsOpenTheirHistoryAskingOnlyWhenNoneIsHeld) {
    // Rooms 9 and 10, the second without a display name.
    sim->command("send trader 627 17=" + record({"nina", "hi", "trader;nina", "20240131154501", "9", "r9", "", "", "Nina"}) +
                 record({"otto", "yo", "trader;otto", "20240131154501", "10", "r10", "", "", ""}));
    ASSERT_TRUE(runUntil([&] { return view().chatRoom("10") != nullptr; }, 10000));
    auto* chat = openChat();
    ASSERT_TRUE(chat);
    chat->contactsOutlineViewController()->selectionModel()->select(chat->contactsOutlineViewController()->indexOfRow(3),
                                                                    QItemSelectionModel::ClearAndSelect);
    chat->rcToolbarItem()->trigger();
    auto* recent = kept<chat::RecentConversationWindowController>("RecentConversationWindowController");
    ASSERT_TRUE(recent);
    recent->resize(520, 340);
    QTableView* table = recent->recentconversationTableView();
    QAbstractItemModelTester tester(table->model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    // The room the chat window made is listed (nameless) until confirmed; RTF reads as text.
    EXPECT_EQ(rowTexts(table, 2), (std::vector<std::string>{"Bob Brown|caf\xC3\xA9", "|", "Nina|hi", "otto|yo"}));
    shoot(recent, "recent-conversations");

    // A header double click does nothing; a room without messages asks and opens on the answer.
    QTest::mouseDClick(table->horizontalHeader()->viewport(), Qt::LeftButton, {}, QPoint(20, 5));
    doubleClick(table, 0);
    ASSERT_TRUE(runUntil([&] { return main->keptWindow("ChatMessageWindowController") != nullptr; }, 10000));
    auto* history = kept<chat::ChatMessageWindowController>("ChatMessageWindowController");
    ASSERT_TRUE(history);
    history->resize(560, 400);
    EXPECT_EQ(history->windowTitle().toStdString(), "Bob Brown");
    ASSERT_EQ(history->chatmessageTableView()->model()->rowCount(), 3);
    EXPECT_EQ(cell(history->chatmessageTableView(), 0), "Bob Brown[07/12/2026 12:00:00 PM]:\tcaf\xC3\xA9");
    EXPECT_EQ(sent("615"), 1);
    shoot(history, "chat-history");

    // Held messages open at once; a second conversation reuses the window, titled by its sender.
    history->hide();
    doubleClick(table, 0);
    EXPECT_TRUE(history->isVisible());
    doubleClick(table, 3);
    ASSERT_TRUE(runUntil([&] { return history->windowTitle() == "otto"; }, 10000));
    EXPECT_EQ(main->keptWindow("ChatMessageWindowController"), history);
    EXPECT_EQ(sent("615"), 2);
    // A history answer for no known room opens nothing.
    platform::NotificationCenter::defaultCenter().post(state::notifications::kRecentConversationReceived,
                                                       std::make_shared<state::TextPayload>("nowhere"));
    EXPECT_EQ(history->windowTitle().toStdString(), "otto");
    recent->close();
    history->close();
    chat->close();
}

TEST_F(ChatWindowsTest, TheInboxShowsUnreadNoticesInBoldAndOpensThemAcknowledged) {
    sim->command("send trader 627 17=" + record({"desk", "nine", "trader", "20240131154501", "9", "notices/9", "", "Nine", "Desk"}) +
                 record({"desk", "ten", "trader", "20240131154501", "10", "notices/10", "", "Ten", "Desk"}));
    ASSERT_TRUE(runUntil([&] { return view().chatRoom("10") != nullptr; }, 10000));
    auto* inbox = open<chat::MessagesWindowController>("MessagesButtonClicked", "MessagesWindowController");
    ASSERT_TRUE(inbox);
    inbox->resize(680, 360);
    QTableView* table = inbox->messagesTableView();
    QAbstractItemModelTester tester(table->model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(inbox->windowTitle().toStdString(), integration::tr("0099"));
    const auto bold = [&](int row, int column) { return table->model()->index(row, column).data(Qt::FontRole).value<QFont>().bold(); };
    EXPECT_EQ(rowTexts(table, 3), (std::vector<std::string>{"Rates update|rates|12/07/2026 09:00:00",
                                                            "Nine|nine|01/31/2024 15:45:01", "Ten|ten|01/31/2024 15:45:01"}));
    EXPECT_TRUE(bold(0, 2) && !bold(1, 2) && !bold(2, 2));
    shoot(inbox, "notice-inbox", [&] { inbox->showWindow(); });

    // Without held messages: the history is asked for, the acknowledgement follows the answer.
    doubleClick(table, 0);
    EXPECT_FALSE(bold(0, 0));
    ASSERT_TRUE(runUntil([&] { return main->keptWindow("NoticeMessageWindowController") != nullptr; }, 10000));
    auto* notice = kept<chat::NoticeMessageWindowController>("NoticeMessageWindowController");
    ASSERT_TRUE(notice);
    const auto texts = [&] {
        return notice->subjectLabel()->text().toStdString() + "|" + notice->timeLabel()->text().toStdString() + "|" +
               notice->messageTextView()->toPlainText().toStdString();
    };
    EXPECT_EQ(notice->windowTitle().toStdString(), integration::tr("0517"));
    EXPECT_EQ(notice->messageTitleLabel()->text().toStdString(), "Message");
    EXPECT_EQ(texts(), "Subject: Rates update|Time: 12/07/2026 12:00:00|caf\xC3\xA9");  // the first of three
    ASSERT_TRUE(runUntil([&] { return sent("608") == 1; }, 10000));
    EXPECT_EQ(sent("615"), 1);
    shoot(notice, "notice-message");

    // Held messages: acknowledged at every opening, nothing asked.
    doubleClick(table, 0);
    ASSERT_TRUE(runUntil([&] { return sent("608") == 2; }, 10000));
    EXPECT_EQ(sent("615"), 1);

    // An empty history opens the subject alone.
    sim->command("send trader 616 501=10 17=");
    ASSERT_TRUE(runUntil([&] { return notice->subjectLabel()->text() == "Subject: Ten"; }, 10000));
    EXPECT_EQ(texts(), "Subject: Ten|Time: |");

    // A notice room the server opens shows at the next notice message, and the hidden inbox stays hidden.
    inbox->hide();
    sim->command("send trader 601 501=12 502=notices/12 504=desk 161=Margin");
    ASSERT_TRUE(runUntil([&] { return view().chatRoom("12") != nullptr; }, 10000));
    EXPECT_EQ(table->model()->rowCount(), 3);
    sim->command("send trader 603 502=notices/12 504=desk 21=20240131154501 17=call");
    ASSERT_TRUE(runUntil([&] { return table->model()->rowCount() == 4; }, 10000));
    EXPECT_FALSE(inbox->isVisible());
    EXPECT_EQ(cell(table, 2), "Margin");  // "9" > "12" > "10" as text
    notice->close();
}

}  // namespace
