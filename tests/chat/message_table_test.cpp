// The message table: row heights (a new width wraps the rows in view and those
// scrolled to, estimates the others, keeps heights per width), the rows'
// directions and the language's words of the time.
#include <gtest/gtest.h>

#include <QApplication>
#include <QScrollBar>
#include <QTextLayout>
#include <algorithm>

#include "chat/message_table.h"
#include "kit/qt_test_app.h"
#include "model/language_string.h"

namespace chat {
namespace {

TEST(MessageTable, ANewWidthWrapsTheRowsInViewAndKeepsHeightsPerWidth) {
    auto room = std::make_shared<model::ChatRoom>();
    for (int i = 0; i < 3000; ++i)
        room->messages.push_back({std::string(120 + (i % 7) * 60, 'a' + char(i % 26)) + " tail", "bob", "Bob", ""});
    MessageTable table("Message");
    table.resize(400, 300);
    table.show();
    table.showRoom(room, "trader");
    const auto settle = [] { QApplication::processEvents(); };
    settle();
    const auto exactInView = [&] {
        for (int row = table.rowAt(0); row >= 0 && row <= table.rowAt(table.viewport()->height() - 1); ++row)
            if (table.rowHeight(row) !=
                MessageRowDelegate::wrappedHeight(table.messages()->rowText(row), table.font(), table.columnWidth(0)))
                return false;
        return true;
    };
    const int first = table.cachedHeights();
    EXPECT_GT(first, 0);
    EXPECT_LT(first, 100);  // the rows in view, not 3,000
    EXPECT_TRUE(exactInView());

    table.scrollToBottom();
    settle();
    EXPECT_EQ(table.verticalScrollBar()->value(), table.verticalScrollBar()->maximum());
    EXPECT_TRUE(exactInView());
    table.scrollTo(table.model()->index(1500, 0));
    settle();
    EXPECT_TRUE(exactInView());
    const int wrapped = table.cachedHeights();
    std::vector<int> heights;  // every row's, estimated or wrapped
    for (int row = 0; row < table.model()->rowCount(); ++row) heights.push_back(table.rowHeight(row));

    table.resize(300, 300);
    settle();
    EXPECT_LT(table.cachedHeights(), wrapped);
    EXPECT_TRUE(exactInView());
    table.resize(400, 300);  // the first width's heights are still held
    settle();
    EXPECT_GE(table.cachedHeights(), wrapped);
    EXPECT_TRUE(exactInView());
    for (int row = 0; row < table.model()->rowCount(); ++row)
        ASSERT_EQ(table.rowHeight(row), heights[std::size_t(row)]) << row;
}

// The columns of `image` that hold a dark pixel, first and last; {-1, -1} for none.
std::pair<int, int> inkedColumns(const QImage& image) {
    std::pair<int, int> span{-1, -1};
    for (int x = 0; x < image.width(); ++x)
        for (int y = 0; y < image.height(); ++y)
            if (qGray(image.pixel(x, y)) < 128) {
                if (span.first < 0) span.first = x;
                span.second = x;
                break;
            }
    return span;
}

TEST(MessageTable, RowsStartOnTheTablesSideAndEachMessageReadsInItsOwnDirection) {
    struct Case {
        Qt::LayoutDirection direction;
        std::string name, message;
        bool messageRightToLeft;
    };
    const std::vector<Case> cases = {
        {Qt::RightToLeft, "Trader One", "مرحبا، كيف حالك؟", true},
        {Qt::RightToLeft, "Trader One", "Hello, how are you?", false},
        {Qt::RightToLeft, "أحمد", "Hello!", false},
        {Qt::LeftToRight, "Trader One", "مرحبا!", true},
        {Qt::LeftToRight, "أحمد", "Hello, how are you?", false},
    };
    for (const Case& c : cases) {
        auto room = std::make_shared<model::ChatRoom>();
        room->messages.push_back({c.message, "bob", c.name, "20240131154501"});
        MessageTable table("Message", dayPeriods(5));
        table.setLayoutDirection(c.direction);
        table.setPalette(QPalette(Qt::white));
        table.resize(700, 80);
        table.show();
        table.showRoom(room, "trader");
        QApplication::processEvents();
        const std::string label = c.name + " / " + c.message;

        // The row hugs the side its table's direction starts at.
        const auto [left, right] = inkedColumns(table.viewport()->grab().toImage());
        ASSERT_GE(left, 0) << label;
        if (c.direction == Qt::RightToLeft)
            EXPECT_GT(left, table.viewport()->width() / 3) << label;
        else
            EXPECT_LT(right, 2 * table.viewport()->width() / 3) << label;

        // Its name first on that side, its message from its own first letter on.
        const QString shown = table.messages()->shownRowText(0);
        QTextLayout layout(shown, table.font());
        MessageRowDelegate::layOut(layout, 680, c.direction);
        const QTextLine line = layout.lineAt(0);
        const auto x = [&](qsizetype position) { return line.cursorToX(int(position)); };
        const qsizetype nameAt = shown.indexOf(QString::fromStdString(c.name));
        const qsizetype textAt = shown.indexOf(QString::fromStdString(c.message));
        const qsizetype last = textAt + QString::fromStdString(c.message).size() - 1;
        EXPECT_EQ(x(nameAt) > x(textAt), c.direction == Qt::RightToLeft) << label;
        // Its closing mark ends the message on the message's own side (the cursor after
        // its first letter is at that letter's far edge).
        EXPECT_EQ(x(last) < x(textAt + 1), c.messageRightToLeft) << label;

    }
}

TEST(MessageTable, TimesSayTheHalfOfTheDayInTheLanguage) {
    struct Case {
        const char* folder;
        const char* time;
        const char* word;
    };
    const Case cases[] = {
        {"en", "20240131154501", "03:45:01 PM]"},   {"en", "20240131004501", "12:45:01 AM]"},
        {"ar", "20240131154501", "03:45:01 م]"},    {"ar", "20240131094501", "09:45:01 ص]"},
        {"zh-Hans", "20240131154501", "03:45:01 下午]"}, {"ps-AF", "20240131154501", "03:45:01 غ.و.]"},
        {"spanish", "20240131094501", "09:45:01 a.\u00a0m.]"},
    };
    const auto& folders = model::LanguageString::languageFolders();
    for (const Case& c : cases) {
        const auto index = std::find(folders.begin(), folders.end(), c.folder) - folders.begin();
        auto room = std::make_shared<model::ChatRoom>();
        room->messages.push_back({"hi", "bob", "Bob", c.time});
        MessageTable table("Message", dayPeriods(index));
        table.showRoom(room, "trader");
        EXPECT_EQ(table.messages()->rowText(0), QString("Bob[31/01/2024 %1:\thi").arg(QString::fromUtf8(c.word)))
            << c.folder;
    }
}

}  // namespace
}  // namespace chat
