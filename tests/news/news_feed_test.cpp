// The feed's address and the items of an answer, from the bytes the server sends.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <ctime>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "news/core/http_exchange.h"
#include "news/core/news_feed.h"
#include "news/core/news_time.h"

// Bytes asked of operator new in this test program, for the memory bounds
// (malloc and free underneath, which GCC cannot see match).
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
std::atomic<std::size_t> allocated{0};

void* operator new(std::size_t size) {
    allocated += size;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

// "title|pubDate" per row; "-" for a key the item lacks.
std::vector<std::string> rows(const std::string& body, std::string* why) {
    std::vector<std::string> out;
    for (const news::NewsItem& item : news::parseNews(body, why)) {
        const std::string *title = item.find("title"), *date = item.find("pubDate");
        out.push_back((title ? *title : "-") + "|" + (date ? *date : "-"));
    }
    return out;
}

TEST(NewsFeed, AddressKeepsTheDoubleSlashAndTheEmptyKeys) {
    EXPECT_EQ(news::newsAddress("127.0.0.1:17004", "Forex"),
              "http://127.0.0.1:17004//news/Service1.asmx/Rss2_V2?category=Forex&newsID=&maxCount=");
    EXPECT_EQ(news::newsAddress("news.test", "BreakingNews"),
              "http://news.test//news/Service1.asmx/Rss2_V2?category=BreakingNews&newsID=&maxCount=");
}

TEST(NewsFeed, ItemsOfAnswers) {
    struct Case {
        const char* what;
        std::string body;
        std::vector<std::string> rows;
        const char* why = "";  // a part of the reason it is not read
    };
    const std::vector<Case> cases = {
        {"rss/channel, the channel's own title is no row",
         "<rss><channel><title>Feed</title><item><title>A</title><pubDate>Mon</pubDate></item>"
         "<item><title>B</title><pubDate>Tue</pubDate></item></channel></rss>",
         {"A|Mon", "B|Tue"}},
        {"items at other depths, in document order",
         "<rss><item><title>1</title></item><x><y><item><title>2</title></item></y></x><item><title>3</title></item></rss>",
         {"1|-", "2|-", "3|-"}},
        {"a nested item follows its parent",
         "<rss><item><title>outer</title><item><title>inner</title></item></item><item><title>next</title></item></rss>",
         {"outer|-", "inner|-", "next|-"}},
        {"names differing in case or plural are no items",
         "<rss><Item><title>a</title></Item><items><title>b</title></items><ITEM/></rss>", {}},
        {"the later of two equal names wins", "<rss><item><title>first</title><title>second</title></item></rss>",
         {"second|-"}},
        {"CDATA shows its content", "<rss><item><title><![CDATA[Gold <up> & away]]></title></item></rss>",
         {"Gold <up> & away|-"}},
        {"padded text shows trimmed", "<rss><item><title>\n   Padded  \n\t</title></item></rss>", {"Padded|-"}},
        {"a title with child elements shows empty", "<rss><item><title><b>bold</b></title></item></rss>", {"|-"}},
        {"an item without children is a row of empty cells", "<rss><item/><item></item></rss>", {"-|-", "-|-"}},
        {"the ampersand is decoded once", "<rss><item><title>S&amp;P 500 rises</title></item></rss>", {"S&P 500 rises|-"}},
        {"an escaped reference stays a reference", "<rss><item><title>&amp;lt;b&amp;gt;</title></item></rss>",
         {"&lt;b&gt;|-"}},
        {"CDATA keeps a reference as written", "<rss><item><title><![CDATA[&amp;]]></title></item></rss>", {"&amp;|-"}},
        {"an invalid UTF-8 byte empties the list", "<rss><item><title>bad \xC3\x28</title></item></rss>", {}, "not UTF-8"},
        {"a declared Latin-1 body is read", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><rss><item><title>caf\xE9</title></item></rss>",
         {"caf\xC3\xA9|-"}},
        {"another encoding declared", "<?xml version='1.0' encoding='KOI8-R'?><rss><item><title>\xC1</title></item></rss>", {},
         "(declared KOI8-R)"},
        {"gzip", std::string("\x1F\x8B\x08\x00\x00\x00\x00\x00\x00\x03\xB3", 11), {}, "gzip"},
        {"UTF-16 with its mark", std::string("\xFF\xFE<\0r\0>\0", 8), {}, "UTF-16"},
        {"UTF-16 without", std::string("<\0r\0/\0>\0\xE9\0", 10), {}, "UTF-16"},
        {"a body that is not XML", "HTTP 200 but no markup at all", {}, "not XML"},
        {"XML without items", "<rss><channel><title>Quiet</title></channel></rss>", {}},
        {"an empty body", "", {}, "not XML"},
        {"a web page with status 200", "<!DOCTYPE html><html><body><p>Moved</p></body></html>", {}, "not rss"},
        {"a body cut short", "<rss><item><title>A</title><pubDate>Mon</pubDate></item><item><title>B</title><pubDate>Tu", {},
         "before its root"},
        {"a NUL before the end", std::string("<rss><item><title>A</title></item>\0<item><title>B</title></item></rss>", 70), {},
         "before its root"},
        {"a comment and a processing instruction after the root",
         "<rss><item><title>A</title></item></rss>\n<!-- cached --><?trace 3?>", {"A|-"}},
        {"the root closed by another name", "<rss><item><title>A</title></item></rs>", {}, "does not match"},
        {"a closing tag of no element", "<rss><item><title>A</title></item></rss></channel>", {}, "no open element"},
        {"a second root", "<rss><item><title>A</title></item></rss><rss/>", {}, "second root"},
        {"text after the root", "<rss><item><title>A</title></item></rss>cached", {}, "text after the root"},
    };
    for (const Case& c : cases) {
        std::string why;
        EXPECT_EQ(rows(c.body, &why), c.rows) << c.what;
        EXPECT_TRUE(*c.why ? why.find(c.why) != std::string::npos : why.empty()) << c.what << ": " << why;
    }
}

TEST(NewsFeed, DeepNestingWalksWithoutRecursion) {
    std::string body = "<rss>";
    for (int i = 0; i < 100000; ++i) body += "<item>";
    body += "<title>deep</title>";
    for (int i = 0; i < 100000; ++i) body += "</item>";
    body += "</rss>";
    const auto items = news::parseNews(body);
    ASSERT_EQ(items.size(), 100000u);
    ASSERT_TRUE(items.back().find("title"));
    EXPECT_EQ(*items.back().find("title"), "deep");
}

// Only the children the panel reads are kept, the walk is linear, and an item
// stops being read after its first kMaxItemChildren children.
TEST(NewsFeed, AnItemOfManyChildrenCostsLittle) {
    std::string body = "<rss><item><title>first</title>";
    for (int i = 0; i < 80000; ++i) body += "<c" + std::to_string(i) + "/>";
    body += "<link>http://x.test/late</link></item><item><title>next</title></item></rss>";
    const auto start = std::chrono::steady_clock::now();
    const auto items = news::parseNews(body);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].size(), 1u);
    EXPECT_EQ(*items[0].find("title"), "first");
    EXPECT_FALSE(items[0].find("link"));  // past the cap
    EXPECT_FALSE(items[0].find("c5"));    // never kept
    EXPECT_EQ(*items[1].find("title"), "next");
    // A title near the body cap is cut as the item is read (the link is opened,
    // never shown: kept whole), and the body is read in place, not copied.
    const std::string title(8 * 1024 * 1024, 'T'), link = "http://x.test/" + std::string(100000, 'l');
    body = "<rss><item><title>" + title + "</title><link>" + link + "</link></item></rss>";
    const std::size_t size = body.size(), before = allocated.load();
    const auto read = news::readNews(std::move(body), nullptr);
    EXPECT_LT(allocated.load() - before, size / 4);
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(*read[0].find("title"), title.substr(0, news::kMaxShownFieldBytes) + "\xE2\x80\xA6");
    EXPECT_EQ(*read[0].find("link"), link);
}

TEST(NewsFeed, PublicationTimesShowAsTheOtherWindowsShowTimes) {
    // Local time five hours behind GMT, without daylight saving.
    const char* saved = std::getenv("TZ");
    const std::string old = saved ? saved : "";
    ::setenv("TZ", "EST5", 1);
    ::tzset();
    const struct {
        const char* received;
        const char* shown;
    } cases[] = {
        {"Mon, 07 Dec 2026 09:15:00 GMT", "12/07/2026 04:15:00"},
        {"7 Dec 2026 09:15 +0130", "12/07/2026 02:45:00"},
        {"Mon, 07 Dec 2026 23:30:00 PST", "12/08/2026 02:30:00"},
        {"Thu, 01 Jan 2026 03:00:00 UT", "12/31/2025 22:00:00"},
        // As received: not an RFC 822 date with a four-digit year.
        {"Mon, 07 Dec 2026", "Mon, 07 Dec 2026"},
        {"Mon 07 Dec 2026 09:15:00 GMT", "Mon 07 Dec 2026 09:15:00 GMT"},
        {"31 Feb 2026 10:00:00 GMT", "31 Feb 2026 10:00:00 GMT"},
        {"07 Dec 26 09:15:00 GMT", "07 Dec 26 09:15:00 GMT"},
        {"07 Dec 2026 24:00:00 GMT", "07 Dec 2026 24:00:00 GMT"},
        {"07 Dec 2026 09:15:00 XYZ", "07 Dec 2026 09:15:00 XYZ"},
        {"07 Dec 2026 09:15:00 GMT and more", "07 Dec 2026 09:15:00 GMT and more"},
        {"<b>07 Dec</b>", "<b>07 Dec</b>"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(news::cellText(news::NewsItem{{"pubDate", c.received}}, news::kDateColumn), c.shown) << c.received;
    saved ? ::setenv("TZ", old.c_str(), 1) : ::unsetenv("TZ");
    ::tzset();
}

// The server's offset from its clock, to the nearest quarter hour, and the
// times shown on it.
TEST(NewsFeed, ServerOffsetAndTimesOnTheServersClock) {
    using std::chrono::minutes;
    const model::Date now = std::chrono::sys_days(std::chrono::year(2026) / 12 / 7) + std::chrono::hours(9);  // 09:00 GMT
    const struct {
        const char* serverTime;
        std::optional<minutes> offset;
        const char* shown;  // "Mon, 07 Dec 2026 09:15:00 GMT" on that clock
    } cases[] = {
        {"20261207090000", minutes(0), "12/07/2026 09:15:00"},
        {"20261207120004", minutes(180), "12/07/2026 12:15:00"},
        {"20261207035952", minutes(-300), "12/07/2026 04:15:00"},
        {"20261207143000", minutes(330), "12/07/2026 14:45:00"},
        {"20261207224500", minutes(825), "12/07/2026 23:00:00"},
        {"20261206190000", minutes(-840), "12/06/2026 19:15:00"},
        // No offset: far off, unreadable or empty; the local time then.
        {"20261208090000", std::nullopt, nullptr},
        {"2026120709000", std::nullopt, nullptr},
        {"20261307090000", std::nullopt, nullptr},
        {"2026120709000x", std::nullopt, nullptr},
        {"", std::nullopt, nullptr},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(news::serverOffset(c.serverTime, now), c.offset) << c.serverTime;
        if (!c.shown) continue;
        EXPECT_EQ(news::cellText(news::NewsItem{{"pubDate", "Mon, 07 Dec 2026 09:15:00 GMT"}}, news::kDateColumn, c.offset),
                  c.shown) << c.serverTime;
    }
    EXPECT_EQ(news::displayTime("not a date", minutes(60)), "not a date");
}

TEST(NewsFeed, TheSimulatorsNewsPortMovesWithTheSessionPort) {
    const struct {
        const char *shipped, *sessionHost;
        int sessionPort;
        const char* used;
    } cases[] = {
        {"127.0.0.1:17004", "127.0.0.1", 17001, "127.0.0.1:17004"},
        {"127.0.0.1:17004", "127.0.0.1", 23001, "127.0.0.1:23004"},
        {"127.0.0.1:17004", "10.1.1.1", 23001, "127.0.0.1:17004"},     // another server: the shipped host
        {"news.example:80", "127.0.0.1", 23001, "news.example:80"},    // a deployment's own host
        {"127.0.0.1:17004", "127.0.0.1", 65534, "127.0.0.1:17004"},    // no port there
        {"127.0.0.1:17004", "127.0.0.1", 0, "127.0.0.1:17004"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(news::newsHostFor(c.shipped, c.sessionHost, c.sessionPort), c.used) << c.sessionHost << c.sessionPort;
}

}  // namespace

namespace {

TEST(NewsHttp, TheRequestCarriesTheTargetAsBuilt) {
    const auto target = news::httpTarget(news::newsAddress("127.0.0.1:17004", "Forex"));
    ASSERT_TRUE(target);
    EXPECT_EQ(target->name, "127.0.0.1");
    EXPECT_EQ(target->port, 17004);
    EXPECT_EQ(news::httpGetRequest(*target),
              "GET //news/Service1.asmx/Rss2_V2?category=Forex&newsID=&maxCount= HTTP/1.1\r\nHost: 127.0.0.1:17004\r\n"
              "Accept: */*\r\nConnection: close\r\n\r\n");
    const auto plain = news::httpTarget("http://news.test//a");
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->port, 80);
    for (const char* refused : {"https://news.test/a", "http:///a", "http://h:0/a", "http://h:99999/a", "http://h:x/a",
                                "http://h/a b", "ftp://h/a"})
        EXPECT_FALSE(news::httpTarget(refused)) << refused;
}

// Each answer read whole and byte by byte: the same outcome either way, and
// a sized or chunked answer is whole before the server closes.
TEST(NewsHttp, Answers) {
    const std::string chunked = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
    std::string endlessTrailer;
    for (int i = 0; i < 100; ++i) endlessTrailer += "X-Pad-" + std::to_string(i) + ": " + std::string(1000, 'p') + "\r\n";
    const struct {
        const char* what;
        std::string bytes;
        int status;  // 0: refused
        std::string body;
        bool beforeClose = false;  // complete without the server's close
        std::size_t maxBody = news::kMaxHttpBody;
    } cases[] = {
        {"length", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello and more", 200, "hello", true},
        {"until close", "HTTP/1.0 200 OK\r\nContent-Type: text/xml\r\n\r\n<rss/>", 200, "<rss/>"},
        {"chunked", "HTTP/1.1 200 OK\r\ntransfer-encoding: Chunked\r\n\r\n4\r\n<rss\r\n3;x=y\r\n/>\n\r\n0\r\n\r\n", 200,
         "<rss/>\n", true},
        {"trailers after the last chunk", chunked + "2\r\nab\r\n0\r\nX-A: 1\r\n\r\n", 200, "ab", true},
        {"a close after the last chunk's line", chunked + "2\r\nab\r\n0\r\n", 200, "ab"},
        {"a 404 keeps its status", "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n", 404, "", true},
        {"cut short", "HTTP/1.1 200 OK\r\nContent-Length: 50\r\n\r\nhello", 0, ""},
        {"chunk cut short", chunked + "ff\r\nabc", 0, ""},
        {"bad chunk size", chunked + "zz\r\nabc\r\n0\r\n\r\n", 0, ""},
        {"a chunk without its CRLF", chunked + "2\r\nabc\r\n0\r\n\r\n", 0, ""},
        {"a chunk size that wraps when 2 is added", chunked + "fffffffffffffffe\r\n0\r\n\r\n", 0, ""},
        {"a chunk size past the type", chunked + "10000000000000000\r\n0\r\n\r\n", 0, ""},
        {"bad length", "HTTP/1.1 200 OK\r\nContent-Length: -1\r\n\r\n", 0, ""},
        {"no header end", "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n", 0, ""},
        {"no status line", "<rss/>\r\n\r\n", 0, ""},
        {"nothing", "", 0, ""},
        {"length at the cap", "HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nabcd", 200, "abcd", true, 4},
        {"length over the cap", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nabcde", 0, "", false, 4},
        {"chunks at the cap", chunked + "2\r\nab\r\n2\r\ncd\r\n0\r\n\r\n", 200, "abcd", true, 4},
        {"chunks over the cap", chunked + "2\r\nab\r\n3\r\ncde\r\n0\r\n\r\n", 0, "", false, 4},
        {"until close over the cap", "HTTP/1.1 200 OK\r\n\r\nabcde", 0, "", false, 4},
        {"a status of four digits", "HTTP/1.1 2000 OK\r\nContent-Length: 0\r\n\r\n", 0, ""},
        {"a status without the blank after it", "HTTP/1.1 200\r\nContent-Length: 0\r\n\r\n", 0, ""},
        {"a status with an empty reason", "HTTP/1.1 200 \r\nContent-Length: 1\r\n\r\nx", 200, "x", true},
        {"a status that is no number", "HTTP/1.1 +20 OK\r\nContent-Length: 0\r\n\r\n", 0, ""},
        {"two lengths that differ", "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nContent-Length: 5\r\n\r\nhello", 0, ""},
        {"two equal lengths", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\ncontent-length: 5\r\n\r\nhello", 200, "hello",
         true},
        {"a trailer that never ends", chunked + "2\r\nab\r\n0\r\n" + endlessTrailer, 0, ""},
    };
    for (const auto& c : cases) {
        const auto answer = news::readHttpAnswer(c.bytes, nullptr, c.maxBody);
        EXPECT_EQ(answer ? answer->status : 0, c.status) << c.what;
        if (answer) {
            EXPECT_EQ(answer->body, c.body) << c.what;
        }
        news::HttpAnswerReader reader(c.maxBody);
        for (const char byte : c.bytes) reader.feed(std::string_view(&byte, 1));
        EXPECT_EQ(reader.state() == news::HttpAnswerReader::State::Complete, c.beforeClose) << c.what;
        EXPECT_EQ(reader.close() == news::HttpAnswerReader::State::Complete ? reader.answer().status : 0, c.status)
            << c.what;
    }
}

// 40,000 lines of a chunk size near 2^64: refused at the first, in the first
// read, holding little more than the bytes read.
TEST(NewsHttp, HugeChunkSizesAreRefusedAtOnceWithBoundedMemory) {
    std::string bytes = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
    for (int i = 0; i < 40000; ++i) bytes += "fffffffffffffffe\r\n";
    ASSERT_GT(bytes.size(), 700u * 1000);
    const std::size_t before = allocated.load();
    std::string why;
    EXPECT_FALSE(news::readHttpAnswer(bytes, &why));
    EXPECT_LT(allocated.load() - before, 2 * bytes.size());
    EXPECT_NE(why.find("a chunk of 18446744073709551614 bytes"), std::string::npos) << why;

    news::HttpAnswerReader reader;
    EXPECT_EQ(reader.feed(std::string_view(bytes).substr(0, 64 * 1024)), news::HttpAnswerReader::State::Refused);
}

}  // namespace
