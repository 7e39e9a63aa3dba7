#include <gtest/gtest.h>

#include <string>

#include "model/fifo_queue.h"
#include "model/message_checker.h"
#include "model/url_encoding.h"

namespace {

TEST(FifoQueue, OrderAndBounds) {
    model::FifoQueue<std::string> q;
    EXPECT_TRUE(q.empty());
    EXPECT_FALSE(q.dequeue());
    EXPECT_FALSE(q.peekHead());
    EXPECT_FALSE(q.peekTail());
    q.enqueue("a");
    q.enqueue("b");
    EXPECT_EQ(q.peek(1), "b");
    EXPECT_FALSE(q.peek(2));
    EXPECT_FALSE(q.peek(3));
    EXPECT_FALSE(q.peek(-1));
    EXPECT_EQ(q.peekTail(), "b");
    EXPECT_EQ(q.dequeue(), "a");
    EXPECT_EQ(q.dequeue(), "b");
    EXPECT_TRUE(q.empty());
}

TEST(URLEncoding, KeepsOnlyTheUnreservedSet) {
    using model::URLEncoding::stringByAddingPercentEncodingForRFC3986;
    EXPECT_EQ(stringByAddingPercentEncodingForRFC3986("a/b?c=d e&f"), "a/b?c%3Dd%20e%26f");
    EXPECT_EQ(stringByAddingPercentEncodingForRFC3986("-._~AZaz09"), "-._~AZaz09");
    EXPECT_EQ(stringByAddingPercentEncodingForRFC3986("\xC3\xA4"), "%C3%A4");  // non-ASCII letters too
    EXPECT_EQ(stringByAddingPercentEncodingForRFC3986("100%+#"), "100%25%2B%23");
}

TEST(MessageChecker, Tags) {
    using model::MessageChecker;
    EXPECT_EQ(MessageChecker::removeTags("<b>bold</b> text"), "bold text");
    EXPECT_EQ(MessageChecker::flattenHTML("<b>bold</b> text"), " bold  text");
    EXPECT_EQ(MessageChecker::removeTags("a<br>b<br>c"), "abc");
    EXPECT_EQ(MessageChecker::removeTags("a < b"), "a < b");  // no closing ">"
    EXPECT_EQ(MessageChecker::removeTags(""), "");
    EXPECT_EQ(MessageChecker::CheckMessage("<chart>1;2;3"), "<chart>");
    EXPECT_EQ(MessageChecker::CheckMessage("no tag"), "");
    EXPECT_EQ(MessageChecker::CheckMessage(">x"), "");
}

}  // namespace
