#include "news/core/news_feed.h"

#include <algorithm>

#include "model/deployment_constants.h"
#include "news/core/news_time.h"
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

std::string_view bodyText(std::string_view body) {
    return protocol::isValidUtf8(body) ? body : std::string_view();
}

void NewsItem::set(std::string_view name, std::string_view text) {
    for (std::size_t i = 0; i < kKept.size(); ++i)
        if (kKept[i] == name) fields_[i] = std::string(text);
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

std::vector<NewsItem> parseNews(std::string_view body) {
    const protocol::XMLReader reader(bodyText(body));
    return itemsUnder(reader.rootXMLElement());
}

std::string cellText(const NewsItem& item, std::string_view column, std::optional<std::chrono::minutes> server) {
    const char* key = column == kTitleColumn ? "title" : column == kDateColumn ? "pubDate" : nullptr;
    if (!key) return {};
    const std::string* text = item.find(key);
    if (!text) return {};
    return column == kDateColumn ? displayTime(*text, server) : *text;
}

}  // namespace news
