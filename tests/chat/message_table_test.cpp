// The message table's row heights: a new width wraps the rows in view and
// those scrolled to, estimates the others, and keeps heights per width.
#include <gtest/gtest.h>

#include <QApplication>
#include <QScrollBar>

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

}  // namespace
}  // namespace chat
