// The news answer's path on a 2 MB RSS document of 5,000 items: the UTF-8
// check, the XML reader, the item walk and the filled list, against the XML
// reader alone on the same bytes in the same run. Then the main thread's
// slices for 1 MB answers (a plain feed, chunked; an item of 80,000 children;
// 40,000 chunk sizes near 2^64): each 64 KB read through the HTTP reader,
// against a plain copy of the read, and the parse of the whole body, against
// the XML reader alone.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

#include "news/core/http_exchange.h"
#include "news/core/news_feed.h"
#include "protocol/xml_reader.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kItems = 5000;
constexpr int kRuns = 15;

std::string makeFeed() {
    std::string doc = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<rss version=\"2.0\"><channel>\n"
                      "<title>Market news</title><link>http://news.test/</link>\n";
    char item[512];
    for (int i = 0; i < kItems; ++i) {
        const int n = std::snprintf(
            item, sizeof item,
            "<item>\n  <title>Gold &amp; silver move %d as the dollar eases \xE2\x80\x94 traders watch yields</title>\n"
            "  <link>http://news.test/story/%d?src=rss&amp;cat=BreakingNews</link>\n"
            "  <pubDate>Mon, 07 Dec 2026 %02d:%02d:00 GMT</pubDate>\n"
            "  <guid>story-%d</guid>\n  <category>Commodities</category>\n"
            "  <description><![CDATA[Bullion <b>gains</b> for the %d-th session in a row, led by buyers.]]></description>\n"
            "</item>\n",
            i, i, i % 24, i % 60, i, i);
        doc.append(item, std::size_t(n));
    }
    return doc + "</channel></rss>\n";
}

double seconds(const std::function<void()>& f) {
    const auto start = Clock::now();
    f();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string chunked(const std::string& body) {
    std::string out = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
    char size[32];
    for (std::size_t i = 0; i < body.size(); i += 8000) {
        const std::size_t n = std::min<std::size_t>(8000, body.size() - i);
        out.append(size, std::size_t(std::snprintf(size, sizeof size, "%zx\r\n", n)));
        out.append(body, i, n);
        out += "\r\n";
    }
    return out + "0\r\n\r\n";
}

struct Slices {
    double read = 0, copy = 0, parse = 0, reader = 0;  // largest slice of each, seconds
    std::size_t items = 0;
    bool refused = false;
};

// One answer as the fetcher meets it: 64 KB reads, then the parse of the body.
Slices slices(const std::string& answer) {
    constexpr std::size_t kRead = 64 * 1024;
    Slices out;
    for (int run = 0; run < kRuns; ++run) {
        news::HttpAnswerReader reader;
        std::string copied;
        double read = 0, copy = 0;
        for (std::size_t at = 0; at < answer.size() && reader.state() == news::HttpAnswerReader::State::Reading;
             at += kRead) {
            const std::string_view piece = std::string_view(answer).substr(at, kRead);
            read = std::max(read, seconds([&] { reader.feed(piece); }));
            copy = std::max(copy, seconds([&] { copied.append(piece); }));
        }
        reader.close();
        out.read = run ? std::min(out.read, read) : read;
        out.copy = run ? std::min(out.copy, copy) : copy;
        out.refused = reader.state() != news::HttpAnswerReader::State::Complete;
        if (out.refused) continue;
        const std::string body = reader.takeAnswer().body;
        const double parse = seconds([&] { out.items = news::parseNews(body).size(); });
        const double alone = seconds([&] { const protocol::XMLReader parsed(body); });
        out.parse = run ? std::min(out.parse, parse) : parse;
        out.reader = run ? std::min(out.reader, alone) : alone;
    }
    return out;
}

void printSlices(const char* what, const std::string& answer) {
    const Slices s = slices(answer);
    std::printf("  %s (%.2f MB):\n", what, double(answer.size()) / 1e6);
    std::printf("    largest 64 KB read: HTTP reader %6.3f ms, plain copy %6.3f ms, ratio %5.2f%s\n", s.read * 1e3,
                s.copy * 1e3, s.read / s.copy, s.refused ? "  (refused)" : "");
    if (!s.refused)
        std::printf("    parse of the body:  items %6.2f ms, XMLReader alone %6.2f ms, ratio %5.2f  (%zu items)\n",
                    s.parse * 1e3, s.reader * 1e3, s.parse / s.reader, s.items);
}

}  // namespace

int main() {
    const std::string feed = makeFeed();
    std::size_t items = 0, elements = 0;
    // Interleaved, best of each: a busy machine slows both alike.
    double reader = 1e9, panel = 1e9;
    for (int i = 0; i < kRuns; ++i) {
        reader = std::min(reader, seconds([&] {
            const protocol::XMLReader parsed(feed);
            elements += parsed.rootXMLElement() != nullptr;
        }));
        panel = std::min(panel, seconds([&] { items = news::parseNews(feed).size(); }));
    }
    std::printf("news_bench: %.2f MB, %zu items\n", double(feed.size()) / 1e6, items);
    std::printf("  XMLReader alone:             %8.2f ms  %10.0f items/s\n", reader * 1e3, kItems / reader);
    std::printf("  check, read, walk and fill:  %8.2f ms  %10.0f items/s\n", panel * 1e3, kItems / panel);
    std::printf("  ratio (full / reader alone): %8.2f\n", panel / reader);

    // About 1 MB each.
    const std::string half = feed.substr(0, feed.find("<item>", feed.size() / 2)) + "</channel></rss>\n";
    std::string many = "<rss><channel><item><title>Many</title>";
    for (int i = 0; i < 80000; ++i) many += "<child" + std::to_string(i) + "/>";
    many += "</item></channel></rss>";
    std::string huge = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
    while (huge.size() < 1000000) huge += "fffffffffffffffe\r\n";
    std::printf("main-thread slices of 1 MB answers (best of %d):\n", kRuns);
    printSlices("a feed of 2,500 items, chunked", chunked(half));
    printSlices("an item of 80,000 children, chunked", chunked(many));
    printSlices("chunk sizes of fffffffffffffffe", huge);
    return elements == 0 || items != std::size_t(kItems);
}
