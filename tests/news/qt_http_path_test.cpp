// Pins the Qt behaviour that makes the news panel send its own GET: this Qt's
// QNetworkAccessManager merges the "//" at the start of the feed's path. When
// this test fails, Qt keeps the path as written and NewsFetcher can go back to
// QNetworkAccessManager.
#include <gtest/gtest.h>

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

#include "kit/qt_test_app.h"
#include "news/http_test_server.h"

namespace news {
namespace {

TEST(QtHttpPathTest, QNetworkAccessManagerMergesTheFeedPathsDoubleSlash) {
    testing::HttpTestServer server;
    server.fallback.body = "ok";
    QNetworkAccessManager manager;
    const QUrl url(QString::fromStdString("http://" + server.host() + "//news/Service1.asmx/Rss2_V2?category=1"));
    ASSERT_EQ(url.path(), "//news/Service1.asmx/Rss2_V2");
    QNetworkReply* reply = manager.get(QNetworkRequest(url));
    kit::testing::runUntil([&] { return reply->isFinished(); }, 10000);
    ASSERT_TRUE(reply->isFinished());
    ASSERT_EQ(server.targets.size(), 1u);
    EXPECT_EQ(server.targets[0], "/news/Service1.asmx/Rss2_V2?category=1");
    reply->deleteLater();
}

}  // namespace
}  // namespace news
