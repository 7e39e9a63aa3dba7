// The message table's row heights: a new width wraps the rows in view and
// those scrolled to, estimates the others, and keeps heights per width.
// The rows' directions and the language's words of the time.
#include <gtest/gtest.h>

#include <QApplication>
#include <QScrollBar>
#include <QTextLayout>

#include "chat/message_table.h"
#include "kit/qt_test_app.h"

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

// Whether a pixel of `image` between columns `from` and `to` is dark.
bool inked(const QImage& image, int from, int to) {
    for (int x = from; x < to; ++x)
        for (int y = 0; y < image.height(); ++y)
            if (qGray(image.pixel(x, y)) < 128) return true;
    return false;
}

// A row in the language's direction, its message in its own; its time in the language's words.
TEST(MessageTable, RowsReadInTheLanguagesDirectionAndTheirMessagesInTheirOwn) {
    const struct {
        std::int64_t language;
        std::string name, message;
        bool messageRightToLeft;
        const char *time, *words;
    } cases[] = {
        {5, "Trader One", "مرحبا، كيف حالك؟", true, "20240131154501", "03:45:01 م]"},
        {5, "Trader One", "Hello, how are you?", false, "20240131094501", "09:45:01 ص]"},
        {4, "أحمد", "Hello!", false, "20240131154501", "03:45:01 غ.و.]"},
        {0, "Trader One", "مرحبا!", true, "20240131154501", "03:45:01 PM]"},
        {0, "أحمد", "Hello, how are you?", false, "20240131004501", "12:45:01 AM]"},
        {1, "Bob", "hi", false, "20240131154501", "下午03:45:01]"},
        {10, "Bob", "hi", false, "20240131094501", "09:45:01 a.\u00a0m.]"},
        {6, "Bob", "hi", false, "20240131154501", "03:45:01 пп]"},
    };
    for (const auto& c : cases) {
        auto room = std::make_shared<model::ChatRoom>();
        room->messages.push_back({c.message, "bob", c.name, c.time});
        MessageTable table("Message", dayPeriods(c.language));
        const bool rtl = c.language == 4 || c.language == 5;
        table.setLayoutDirection(rtl ? Qt::RightToLeft : Qt::LeftToRight);
        table.setPalette(QPalette(Qt::white));
        table.resize(700, 80);
        table.show();
        table.showRoom(room, "trader");
        QApplication::processEvents();
        SCOPED_TRACE(c.name + " / " + c.message);
        EXPECT_EQ(table.messages()->rowText(0).toStdString(), c.name + "[31/01/2024 " + c.words + ":\t" + c.message);

        // The row hugs the side its table's direction starts at: ink in that third, none in the far one.
        const QImage image = table.viewport()->grab().toImage();
        const int third = image.width() / 3;
        EXPECT_TRUE(inked(image, rtl ? 2 * third : 0, rtl ? image.width() : third));
        EXPECT_FALSE(inked(image, rtl ? 0 : 2 * third, rtl ? third : image.width()));

        // Its name first on that side; its closing mark ends the message on the message's own
        // side (the cursor after its first letter is at that letter's far edge).
        const QString shown = table.messages()->shownRowText(0);
        QTextLayout layout(shown, table.font());
        MessageRowDelegate::layOut(layout, 680, table.layoutDirection());
        const auto x = [&](const std::string& part, qsizetype offset) {
            return layout.lineAt(0).cursorToX(int(shown.indexOf(QString::fromStdString(part)) + offset));
        };
        EXPECT_EQ(x(c.name, 0) > x(c.message, 0), rtl);
        EXPECT_EQ(x(c.message, QString::fromStdString(c.message).size() - 1) < x(c.message, 1), c.messageRightToLeft);
    }
}

}  // namespace
}  // namespace chat
