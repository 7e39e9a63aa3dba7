// The news panel against a loopback HTTP server of the test's own: the
// request targets, the rows of each answer, failures that empty the list and
// say so, stale and oversized answers, answers whole before the server closes,
// the silence timeout and the deadline on the platform's fake clock, and the
// links a double click opens.
#include <gtest/gtest.h>

#include <algorithm>

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QTest>

#include "kit/fake_context.h"
#include "kit/qt_main_executor.h"
#include "kit/qt_test_app.h"
#include "kit/shown_text.h"
#include "kit/theme_manager.h"
#include "news/http_test_server.h"
#include "news/news_table_controller.h"
#include "orders/order_mananger.h"
#include "platform/clock.h"
#include "platform/log.h"
#include "state/packed_time.h"
#include "support/session_test_access.h"
#include "views/watchlist_fixture.h"

namespace news {
namespace {

using kit::testing::runUntil;
using testing::HttpTestServer;

const std::string kPath = "//news/Service1.asmx/Rss2_V2?category=";
const std::string kQueryEnd = "&newsID=&maxCount=";

QByteArray feed(const std::vector<std::pair<std::string, std::string>>& items) {
    std::string body = "<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>Feed</title>";
    for (const auto& [title, link] : items)
        body += "<item><title>" + title + "</title><pubDate>Mon, 07 Dec 2026</pubDate>" +
                (link.empty() ? "" : "<link>" + link + "</link>") + "</item>";
    return QByteArray::fromStdString(body + "</channel></rss>");
}

class NewsPanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        executor = kit::QtMainExecutor::install();
        platform::Log::setSink([this](platform::LogLevel, const std::string& line) { logged.push_back(line); });
    }
    void TearDown() override {
        panel.reset();
        platform::Log::setSink([](platform::LogLevel, const std::string&) {});
        platform::MainExecutor::install(nullptr);
        platform::installClock(nullptr);
    }
    // A panel on the server; true once its first fetch was answered or failed.
    bool open(NewsTableController::Settings settings = {}) {
        if (settings.host == NewsTableController::shippedNewsHost()) settings.host = server.host();
        panel = std::make_unique<NewsTableController>(fake.context, std::move(settings));
        tester = std::make_unique<QAbstractItemModelTester>(panel->newsTableView()->model(),
                                                            QAbstractItemModelTester::FailureReportingMode::Fatal);
        return settle();
    }
    // Waits until every request so far was answered and handled.
    bool settle(int ms = 5000) {
        return runUntil([&] { return server.answers.empty() && !panel->isFetching(); }, ms);
    }
    void choose(const char* category) {
        QComboBox* popUp = panel->categoryPopUp();
        const int index = popUp->findData(QString(category));
        popUp->setCurrentIndex(index);
        emit popUp->activated(index);
    }
    std::vector<std::string> titles() const {
        std::vector<std::string> out;
        for (const NewsItem& item : panel->webDataList()) out.push_back(cellText(item, kTitleColumn));
        return out;
    }
    bool loggedLine(const std::string& part) const {
        for (const std::string& line : logged)
            if (line.find(part) != std::string::npos) return true;
        return false;
    }

    // Every timer of the fetch runs on it.
    std::shared_ptr<platform::FakeClock> clock = [] {
        auto c = std::make_shared<platform::FakeClock>();
        platform::installClock(c);
        return c;
    }();
    std::shared_ptr<kit::QtMainExecutor> executor;
    views::testing::WatchlistSession s;
    orders::OrderMananger manager{*s.session, *s.session, s.data(), state::SessionTestAccess::orderBook(*s.session), *s.session};
    kit::testing::FakeContext fake{*s.session, *s.session, manager, s.session};
    HttpTestServer server;
    std::unique_ptr<NewsTableController> panel;
    std::unique_ptr<QAbstractItemModelTester> tester;
    std::vector<std::string> logged;
};

TEST_F(NewsPanelTest, FetchesAtStartAndAtEveryChoice) {
    server.fallback.body = feed({{"One", ""}, {"Two", ""}});
    ASSERT_TRUE(open());
    EXPECT_EQ(panel->categoryPopUp()->count(), 16);
    EXPECT_EQ(panel->categoryPopUp()->currentText().toStdString(), fake.context.text("90100"));
    EXPECT_EQ(panel->categoryPopUp()->itemText(15).toStdString(), fake.context.text("90115"));
    EXPECT_EQ(panel->categoryPopUp()->currentData().toString().toStdString(), "BreakingNews");
    EXPECT_EQ(panel->categoryLabel()->text().toStdString(), fake.context.text("0156"));
    EXPECT_EQ(panel->newsTableView()->model()->headerData(0, Qt::Horizontal).toString().toStdString(),
              fake.context.text("0452"));
    EXPECT_EQ(titles(), (std::vector<std::string>{"One", "Two"}));
    EXPECT_EQ(panel->newsTableView()->model()->index(1, 1).data().toString().toStdString(), "Mon, 07 Dec 2026");

    server.answers.push_back({200, feed({{"S&amp;P 500 rises", ""}})});
    choose("Forex");
    ASSERT_TRUE(settle());
    server.answers.push_back({200, feed({})});
    choose("Forex");  // the category already shown fetches again
    ASSERT_TRUE(settle());
    EXPECT_EQ(server.targets, (std::vector<std::string>{kPath + "BreakingNews" + kQueryEnd, kPath + "Forex" + kQueryEnd,
                                                        kPath + "Forex" + kQueryEnd}));
    EXPECT_TRUE(titles().empty());  // an answer without items empties the table
    EXPECT_EQ(panel->newsTableView()->model()->rowCount(), 0);
}

// One clock for the whole client: publication times on the server's clock,
// as the session's server time gives it.
TEST_F(NewsPanelTest, TimesShowOnTheServersClock) {
    server.fallback.body = "<rss version=\"2.0\"><channel><item><title>One</title>"
                           "<pubDate>Mon, 07 Dec 2026 09:15:00 GMT</pubDate></item></channel></rss>";
    // The server three hours ahead of GMT, its last ping some seconds old.
    const auto serverNow = clock->wallNow() + std::chrono::hours(3) - std::chrono::seconds(7);
    state::SessionTestAccess::setServerTime(*s.session, state::packedTime(serverNow, true));
    ASSERT_TRUE(open());
    EXPECT_EQ(panel->newsTableView()->model()->index(0, 1).data().toString().toStdString(), "12/07/2026 12:15:00");
}

TEST_F(NewsPanelTest, FailuresAndUnreadableBodiesEmptyTheListAndSaySo) {
    const QByteArray chunked = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
    const struct {
        const char* what;
        HttpTestServer::Answer answer;
        const char* log;  // nullptr: no failure, an answer without items
    } cases[] = {
        {"404", {404, "<rss><item><title>x</title></item></rss>"}, "status 404"},
        {"500", {500, ""}, "status 500"},
        {"over the cap", {200, QByteArray(2048, ' ') + feed({{"big", ""}})}, "more than 2048 bytes"},
        {"a chunk size that wraps", {200, {}, 0, false, chunked + "fffffffffffffffe\r\n0\r\n\r\n"}, "a chunk of"},
        {"malformed", {200, {}, 0, false, "no answer at all\r\n\r\n"}, "no status line"},
        {"invalid UTF-8", {200, "<rss><item><title>\xFF</title></item></rss>"}, "not UTF-8"},
        {"gzip not asked for", {200, QByteArray("\x1F\x8B\x08\x00\x00\x00", 6)}, "gzip"},
        {"not XML", {200, "plain words"}, "not XML"},
        {"a web page", {200, "<html><body>Sorry</body></html>"}, "not rss"},
        {"no items", {200, feed({})}, nullptr},
    };
    NewsTableController::Settings settings;
    settings.limits.maxBody = 2048;
    server.fallback.body = feed({{"Kept", ""}});
    ASSERT_TRUE(open(settings));
    for (const auto& c : cases) {
        server.answers = {{200, feed({{"Sports item", ""}})}};
        choose("Sports");
        ASSERT_TRUE(settle()) << c.what;
        ASSERT_EQ(titles(), std::vector<std::string>{"Sports item"}) << c.what;
        EXPECT_TRUE(panel->statusLabel()->isHidden()) << c.what;
        server.answers = {c.answer};
        choose("Health");
        ASSERT_TRUE(settle()) << c.what;
        EXPECT_TRUE(titles().empty()) << c.what;  // never the sports items under the health category
        EXPECT_EQ(panel->statusLabel()->isVisibleTo(panel.get()), c.log != nullptr) << c.what;
        if (c.log) {
            EXPECT_EQ(panel->statusLabel()->text().toStdString(), fake.context.text("90116")) << c.what;
            EXPECT_TRUE(loggedLine(c.log)) << c.what;
        }
        logged.clear();
    }
}

// Answers that are whole before the server closes are shown at once; a
// server that never ends costs at most the silence timeout or the deadline.
TEST_F(NewsPanelTest, AnswersEndByLengthLastChunkSilenceOrDeadline) {
    const QByteArray body = feed({{"Open", ""}});
    server.fallback.body = feed({});
    ASSERT_TRUE(open());
    const struct {
        const char* what;
        HttpTestServer::Answer answer;
    } whole[] = {
        {"length, kept open",
         {200, {}, 0, false,
          "HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body, true}},
        {"chunked, kept open",
         {200, {}, 0, false,
          "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n" + QByteArray::number(body.size(), 16) + "\r\n" +
              body + "\r\n0\r\n\r\n",
          true}},
    };
    for (const auto& c : whole) {
        server.answers = {c.answer};
        choose("Forex");
        ASSERT_TRUE(settle()) << c.what;  // no clock moved
        EXPECT_EQ(titles(), std::vector<std::string>{"Open"}) << c.what;
    }

    // Silent after the request: 60 s.
    server.answers = {{200, {}, 0, true}};
    choose("Weather");
    ASSERT_TRUE(runUntil([&] { return server.answers.empty(); }));
    clock->advance(std::chrono::seconds(59));
    kit::testing::runFor(20);
    EXPECT_TRUE(panel->isFetching());
    clock->advance(std::chrono::seconds(1));
    ASSERT_TRUE(runUntil([&] { return loggedLine("of silence"); }));
    EXPECT_TRUE(titles().empty());
    EXPECT_TRUE(panel->statusLabel()->isVisibleTo(panel.get()));

    // One byte now and then never lets the silence fire: the deadline (120 s) ends it.
    server.answers = {{200, body, 0, false, {}, false, 10}};
    choose("Stocks");
    for (int step = 1; step <= 3; ++step) {
        const qint64 seen = panel->fetcher().receivedBytes();
        ASSERT_TRUE(runUntil([&] { return panel->fetcher().receivedBytes() > seen; })) << step;
        clock->advance(std::chrono::seconds(45));
    }
    ASSERT_TRUE(runUntil([&] { return loggedLine("no whole answer within 120000 ms"); }));
    EXPECT_FALSE(panel->isFetching());
}

TEST_F(NewsPanelTest, OnlyTheLatestFetchIsShown) {
    server.fallback.body = feed({});
    ASSERT_TRUE(open());
    // The first answer comes late, after the second.
    server.answers = {{200, feed({{"Stale sports", ""}}), 300}, {200, feed({{"Fresh health", ""}})}};
    choose("Sports");
    ASSERT_TRUE(runUntil([&] { return server.targets.size() == 2; }));
    choose("Health");
    ASSERT_TRUE(settle());
    kit::testing::runFor(500);
    EXPECT_EQ(titles(), std::vector<std::string>{"Fresh health"});
}

TEST_F(NewsPanelTest, TenMegabytesAreShown) {
    std::vector<std::pair<std::string, std::string>> items(60000, {std::string(150, 'n'), ""});
    server.fallback.body = feed(items);
    ASSERT_GT(server.fallback.body.size(), 10 * 1000 * 1000);
    ASSERT_TRUE(open());
    EXPECT_EQ(panel->webDataList().size(), items.size());
}

// A title of 8 MB: cut as it is read, its cell and tooltip given a few
// thousand characters with its bidirectional controls shown.
TEST_F(NewsPanelTest, ALongTitleIsCutAndDrawnAtOnce) {
    std::string title(8 * 1024 * 1024, 'x');
    title.replace(0, 14, "abc\xE2\x80\xAE" "fdp.exe ");
    server.fallback.body = feed({{title, ""}, {"Gold climbs as the dollar eases", ""}});
    ASSERT_TRUE(open());
    ASSERT_EQ(titles().size(), 2u);
    const QModelIndex cell = panel->newsTableView()->model()->index(0, 0);
    EXPECT_EQ(cell.data().toString(),
              QString::fromUtf16(u"abc\uFFFDfdp.exe ") + QString(kit::kMaxShownLength - 12, 'x') + QChar(0x2026));
    EXPECT_LE(cell.data(Qt::ToolTipRole).toString().size(), kit::kMaxShownLength + 1);
    panel->resize(900, 300);
    panel->show();
    kit::ThemeManager::applyTheme({{"Windows", {panel.get()}}, {"TableView", {panel->newsTableView()}}}, 0);
    kit::testing::saveScreenshot(panel.get(), "news-long-title-dark");
}

// In a right-to-left layout every title keeps the layout's alignment, whatever
// its script or figures: the ink of each row ends at the same right edge.
TEST_F(NewsPanelTest, RightToLeftTitlesShareOneAlignment) {
    const std::vector<std::pair<std::string, std::string>> items = {
        {"Gold climbs as the dollar eases", ""}, {"Oil up 2% on supply worries", ""},
        {"2026 outlook: rates stay high", ""},  {"\xD8\xB7\xD9\x84\xD8\xA7 \xD8\xA8\xD8\xA7\xD9\x84\xD8\xA7 \xD8\xB1\xD9\x81\xD8\xAA", ""}};
    server.fallback.body = feed(items);
    ASSERT_TRUE(open());
    panel->setLayoutDirection(Qt::RightToLeft);
    panel->resize(900, 300);
    panel->show();
    kit::ThemeManager::applyTheme({{"Windows", {panel.get()}}, {"TableView", {panel->newsTableView()}}}, 0);
    kit::testing::runFor(20);
    kit::testing::saveScreenshot(panel.get(), "news-right-to-left-dark");
    QTableView* view = panel->newsTableView();
    const QImage shot = view->viewport()->grab().toImage();
    std::vector<int> ends;
    for (int row = 0; row < int(items.size()); ++row) {
        const QRect cell = view->visualRect(view->model()->index(row, 0));
        const QRgb ground = shot.pixel(cell.right() - 1, cell.center().y());
        int end = -1;
        for (int y = cell.top() + 1; y < cell.bottom(); ++y)
            for (int x = cell.left() + 1; x < cell.right() - 1; ++x)
                if (shot.pixel(x, y) != ground) end = std::max(end, x);
        ends.push_back(end);
    }
    const auto [least, most] = std::minmax_element(ends.begin(), ends.end());
    EXPECT_LE(*most - *least, 3) << ::testing::PrintToString(ends);
    EXPECT_GT(*least, view->visualRect(view->model()->index(0, 0)).center().x());
    kit::ThemeManager::applyTheme({{"Windows", {panel.get()}}, {"TableView", {view}}}, 1);
    kit::testing::saveScreenshot(panel.get(), "news-right-to-left-light");
}

TEST_F(NewsPanelTest, WithoutAHostNothingIsFetched) {
    NewsTableController::Settings settings;
    settings.host = "";
    panel = std::make_unique<NewsTableController>(fake.context, settings);
    kit::testing::runFor(100);
    EXPECT_TRUE(server.targets.empty());
    EXPECT_TRUE(loggedLine("NewsServiceHost"));
    EXPECT_TRUE(panel->statusLabel()->isVisibleTo(panel.get()));
}

TEST_F(NewsPanelTest, ColumnsOtherThanTitleAndDateAreEmpty) {
    NewsTableController::Settings settings;
    settings.columns = {kTitleColumn, "0156"};
    server.fallback.body = feed({{"One", ""}});
    ASSERT_TRUE(open(settings));
    QAbstractItemModel* model = panel->newsTableView()->model();
    EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString().toStdString(), fake.context.text("0156"));
    EXPECT_EQ(model->index(0, 0).data().toString().toStdString(), "One");
    EXPECT_EQ(model->index(0, 1).data().toString().toStdString(), "");
}

TEST_F(NewsPanelTest, ADoubleClickOpensOnlyHttpLinks) {
    const struct {
        std::string link;  // as the feed writes it
        std::string opened;  // "" : nothing
    } cases[] = {
        {"http://x.test/a?b=1&amp;c=2", "http://x.test/a?b=1&c=2"},
        {"https://x.test/story", "https://x.test/story"},
        {"file:///etc/passwd", ""},
        {"javascript:alert(1)", ""},
        {"", ""},  // no link at all
    };
    std::vector<std::pair<std::string, std::string>> items;
    for (const auto& c : cases) items.push_back({"row", c.link});
    server.fallback.body = feed(items);
    ASSERT_TRUE(open());
    panel->resize(700, 300);
    panel->show();
    QTableView* table = panel->newsTableView();
    ASSERT_EQ(table->model()->rowCount(), int(std::size(cases)));

    // On the header, or with no row selected: nothing.
    QTest::mouseDClick(table->horizontalHeader()->viewport(), Qt::LeftButton, {}, QPoint(20, 5));
    panel->doubleAction();
    EXPECT_TRUE(fake.ui.urls.empty());

    for (int row = 0; row < int(std::size(cases)); ++row) {
        fake.ui.urls.clear();
        logged.clear();
        const QRect cell = table->visualRect(table->model()->index(row, 0));
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, cell.center());
        const std::string& opened = cases[row].opened;
        EXPECT_EQ(fake.ui.urls, opened.empty() ? std::vector<std::string>{} : std::vector<std::string>{opened}) << row;
        if (opened.empty()) {
            EXPECT_TRUE(loggedLine("Failed to open url: ")) << row;
        }
    }
}

}  // namespace
}  // namespace news
