#include "news/core/news_feed.h"

#include <algorithm>
#include <cctype>

#include "model/deployment_constants.h"
#include "model/shown_text.h"
#include "news/core/news_time.h"
#include "platform/free_memory.h"
#include "protocol/wire_format.h"
#include "protocol/xml_reader.h"

namespace news {

std::string newsAddress(std::string_view host, std::string_view category) {
    std::string address = "http://";
    address += host;
    address += "//news/Service1.asmx/Rss2_V2?category=";
    address += category;
    address += "&newsID=&maxCount=";
    return address;
}

std::string newsHostFor(std::string_view shipped, std::string_view sessionHost, int sessionPort) {
    const std::string simulator = deployment::kSimulatorHost;
    const int port = sessionPort + deployment::kNewsPortOffset;
    if (shipped != simulator + ":" + std::to_string(deployment::kNewsPort) || sessionHost != simulator ||
        sessionPort == deployment::kSessionPort || sessionPort < 1 || port < 1 || port > 65535)
        return std::string(shipped);
    return simulator + ":" + std::to_string(port);
}

namespace {

bool equalNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// Each byte is its code point.
std::string latin1ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            out += c;
        } else {
            out += char(0xC0 | (b >> 6));
            out += char(0x80 | (b & 0x3F));
        }
    }
    return out;
}

}  // namespace

std::string whyNotUtf8(std::string_view body) {
    if (protocol::isValidUtf8(body)) return {};
    const std::string_view start = body.substr(0, 2);
    if (start == "\x1F\x8B") return "a gzip-compressed body, not asked for";
    if (start == "\xFF\xFE" || start == "\xFE\xFF" || start.find('\0') != std::string_view::npos)
        return "a UTF-16 body";
    const std::string declared = declaredEncoding(body);
    return "a body that is not UTF-8" + (declared.empty() ? std::string() : " (declared " + declared + ")");
}

std::string declaredEncoding(std::string_view body) {
    // <?xml version="1.0" encoding="ISO-8859-1"?>, within its first line.
    if (body.substr(0, 5) != "<?xml") return {};
    const std::string_view declaration = body.substr(0, std::min(body.find("?>"), std::size_t(256)));
    const std::size_t at = declaration.find("encoding");
    if (at == std::string_view::npos) return {};
    const std::size_t open = declaration.find_first_of("\"'", at);
    if (open == std::string_view::npos) return {};
    const std::size_t close = declaration.find(declaration[open], open + 1);
    if (close == std::string_view::npos) return {};
    return std::string(declaration.substr(open + 1, close - open - 1));
}

void NewsItem::set(std::string_view name, std::string_view text) {
    for (std::size_t i = 0; i < kKept.size(); ++i)
        if (kKept[i] == name)
            fields_[i] = name == "link" ? std::string(text) : model::shownText(text, kMaxShownFieldBytes, model::BidiControls::Kept);
}

const std::string* NewsItem::find(std::string_view name) const {
    for (std::size_t i = 0; i < kKept.size(); ++i)
        if (kKept[i] == name) return fields_[i] ? &*fields_[i] : nullptr;
    return nullptr;
}

std::size_t NewsItem::size() const {
    return std::size_t(std::count_if(fields_.begin(), fields_.end(), [](const auto& f) { return f.has_value(); }));
}

std::string categoryKey(std::size_t index) { return std::to_string(90100 + index); }

std::vector<NewsItem> itemsUnder(const protocol::TBXMLElement* element) {
    std::vector<NewsItem> items;
    // Pre-order without recursion: a deep document costs no stack.
    const protocol::TBXMLElement* stop = element ? element->parent : nullptr;
    while (element) {
        if (element->name && std::string_view(element->name) == "item") {
            NewsItem& item = items.emplace_back();
            std::size_t read = 0;
            for (const protocol::TBXMLElement* child = element->firstChild; child && read < kMaxItemChildren;
                 child = child->nextSibling, ++read)
                item.set(child->name ? child->name : "", child->text ? child->text : "");
        }
        if (element->firstChild) {
            element = element->firstChild;
            continue;
        }
        while (element && element != stop && !element->nextSibling) element = element->parent;
        element = element && element != stop ? element->nextSibling : nullptr;
    }
    return items;
}

std::vector<NewsItem> readNews(std::string body, std::string* why) {
    const auto say = [why](std::string reason) {
        if (why) *why = std::move(reason);
        return std::vector<NewsItem>();
    };
    if (std::string reason = whyNotUtf8(body); !reason.empty()) {
        const std::string encoding = declaredEncoding(body);
        if (!equalNoCase(encoding, "ISO-8859-1") && !equalNoCase(encoding, "latin1")) return say(std::move(reason));
        body = latin1ToUtf8(body);
    }
    const protocol::XMLReader reader = protocol::XMLReader::adopt(std::move(body));
    const protocol::TBXMLElement* root = reader.rootXMLElement();
    if (!root) return say(reader.refusal().empty() ? "a body that is not XML" : reader.refusal());
    // A page of the web server, or a feed cut short, is no list of news.
    if (std::string_view(root->name) != "rss") return say("a body whose root element is not rss");
    if (!reader.rootClosed()) return say("a body that ends before its root element closes");
    return itemsUnder(root);
}

std::vector<NewsItem> parseNews(std::string_view body, std::string* why) { return readNews(std::string(body), why); }

void releaseReadingMemory() {
    protocol::XMLReader::releaseSpareBlocks();
    platform::releaseFreeMemory();
}

std::string cellText(const NewsItem& item, std::string_view column, std::optional<std::chrono::minutes> server) {
    const char* key = column == kTitleColumn ? "title" : column == kDateColumn ? "pubDate" : nullptr;
    if (!key) return {};
    const std::string* text = item.find(key);
    if (!text) return {};
    return column == kDateColumn ? displayTime(*text, server) : *text;
}

}  // namespace news
