#pragma once
// The news feed's Qt-free rules: the categories, the address of one
// category's feed, the body's text and the items of an RSS answer.
#include <array>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace protocol {
struct TBXMLElement;
}

namespace news {

// The element name of each direct child of an "item" -> that child's text,
// the later of two equal names winning. A few fields: a flat list.
class NewsItem {
public:
    NewsItem() = default;
    NewsItem(std::initializer_list<std::pair<std::string, std::string>> fields) {
        for (const auto& [name, text] : fields) set(name, text);
    }
    void set(std::string_view name, std::string_view text);
    // nullptr when the item has no child of that name.
    const std::string* find(std::string_view name) const;
    std::size_t size() const { return fields_.size(); }

private:
    std::vector<std::pair<std::string, std::string>> fields_;
};

// In pop-up order; shown and sent as written.
inline constexpr std::array<const char*, 16> kNewsCategories = {
    "BreakingNews", "Business", "Commodities", "Education", "Entertainment", "Financial", "Forex",   "Health",
    "Political",    "Science",  "Sports",      "Stocks",    "Technology",    "TopNews",   "Weather", "WorldNews"};

// Column identifiers (language keys of their headers) and the key each shows.
inline constexpr const char* kTitleColumn = "0452";
inline constexpr const char* kDateColumn = "0153";

// "http://" + host ("host" or "host:port") + the feed's path and query.
std::string newsAddress(std::string_view host, std::string_view category);

// The body as text: itself when it is UTF-8, else "".
std::string_view bodyText(std::string_view body);

// Every element named exactly "item" at or below `element` and its following
// siblings, in document order (a nested item follows its parent).
std::vector<NewsItem> itemsUnder(const protocol::TBXMLElement* element);

// The items of an answer body; none for a body that is not UTF-8 or not XML.
std::vector<NewsItem> parseNews(std::string_view body);

// The cell of a column: the title, the publication date, else "".
std::string cellText(const NewsItem& item, std::string_view column);

}  // namespace news
