#include "news/core/news_feed.h"

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

std::string_view bodyText(std::string_view body) {
    return protocol::isValidUtf8(body) ? body : std::string_view();
}

std::vector<NewsItem> itemsUnder(const protocol::TBXMLElement* element) {
    using protocol::XMLReader;
    std::vector<NewsItem> items;
    // Pre-order without recursion: a deep document costs no stack.
    const protocol::TBXMLElement* stop = element ? element->parent : nullptr;
    while (element) {
        if (element->name && std::string_view(element->name) == "item") {
            NewsItem& item = items.emplace_back();
            for (const protocol::TBXMLElement* child = element->firstChild; child; child = child->nextSibling)
                item[XMLReader::elementName(child)] = XMLReader::textForElement(child);
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

std::string cellText(const NewsItem& item, std::string_view column) {
    const char* key = column == kTitleColumn ? "title" : column == kDateColumn ? "pubDate" : nullptr;
    if (!key) return {};
    const auto found = item.find(key);
    return found == item.end() ? std::string() : found->second;
}

}  // namespace news
