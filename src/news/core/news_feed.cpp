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

void NewsItem::set(std::string_view name, std::string_view text) {
    for (auto& [known, value] : fields_)
        if (known == name) {
            value = text;
            return;
        }
    fields_.emplace_back(name, text);
}

const std::string* NewsItem::find(std::string_view name) const {
    for (const auto& [known, value] : fields_)
        if (known == name) return &value;
    return nullptr;
}

std::vector<NewsItem> itemsUnder(const protocol::TBXMLElement* element) {
    std::vector<NewsItem> items;
    // Pre-order without recursion: a deep document costs no stack.
    const protocol::TBXMLElement* stop = element ? element->parent : nullptr;
    while (element) {
        if (element->name && std::string_view(element->name) == "item") {
            NewsItem& item = items.emplace_back();
            for (const protocol::TBXMLElement* child = element->firstChild; child; child = child->nextSibling)
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

std::string cellText(const NewsItem& item, std::string_view column) {
    const char* key = column == kTitleColumn ? "title" : column == kDateColumn ? "pubDate" : nullptr;
    if (!key) return {};
    const std::string* text = item.find(key);
    return text ? *text : std::string();
}

}  // namespace news
