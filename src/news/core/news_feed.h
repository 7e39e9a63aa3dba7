#pragma once
// The news feed's Qt-free rules: the categories, the address of one
// category's feed, the body's text and the items of an RSS answer.
#include <array>
#include <initializer_list>
#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace protocol {
struct TBXMLElement;
}

namespace news {

// UTF-16 units of a title or date kept: the panel shows a few thousand characters.
inline constexpr std::size_t kMaxShownFieldBytes = 16 * 1024;

// The children of an "item" that the panel reads ("title", "pubDate",
// "link") -> their texts, the later of two equal names winning. Other
// children are not kept: an item costs the same whatever it holds.
class NewsItem {
public:
    NewsItem() = default;
    NewsItem(std::initializer_list<std::pair<std::string, std::string>> fields) {
        for (const auto& [name, text] : fields) set(name, text);
    }
    // Ignored for a name the panel does not read. A title or date over
    // kMaxShownFieldBytes is cut (whole characters, "…"); the link is kept whole.
    void set(std::string_view name, std::string_view text);
    // nullptr when the item has no child of that name (or one that is not kept).
    const std::string* find(std::string_view name) const;
    // The number of kept children.
    std::size_t size() const;

private:
    static constexpr std::array<std::string_view, 3> kKept = {"title", "pubDate", "link"};
    std::array<std::optional<std::string>, kKept.size()> fields_;
};

// Children of one item read at most; the rest of a longer item is skipped.
inline constexpr std::size_t kMaxItemChildren = 1024;

// In pop-up order; sent as written.
inline constexpr std::array<const char*, 16> kNewsCategories = {
    "BreakingNews", "Business", "Commodities", "Education", "Entertainment", "Financial", "Forex",   "Health",
    "Political",    "Science",  "Sports",      "Stocks",    "Technology",    "TopNews",   "Weather", "WorldNews"};

// The language key of the text shown for the category at `index` of kNewsCategories.
std::string categoryKey(std::size_t index);

// The language key of the panel's line when a fetch failed.
inline constexpr const char* kFetchFailedKey = "90116";

// Column identifiers (language keys of their headers) and the key each shows.
inline constexpr const char* kTitleColumn = "0452";
inline constexpr const char* kDateColumn = "0153";

// "http://" + host ("host" or "host:port") + the feed's path and query.
std::string newsAddress(std::string_view host, std::string_view category);

// The news host for a login on `sessionHost`:`sessionPort`: `shipped`, except
// that when `shipped` is the simulator's news port and the login goes to the
// simulator's host on another session port, the news port moves with it.
std::string newsHostFor(std::string_view shipped, std::string_view sessionHost, int sessionPort);

// Why a body is not UTF-8 text ("" when it is): gzip, UTF-16 or other bytes.
std::string whyNotUtf8(std::string_view body);
// The encoding its XML declaration names ("" when none).
std::string declaredEncoding(std::string_view body);

// Every element named exactly "item" at or below `element` and its following
// siblings, in document order (a nested item follows its parent).
std::vector<NewsItem> itemsUnder(const protocol::TBXMLElement* element);

// The items of an answer body, read in place. A body declared ISO-8859-1 is
// read as such; one that is otherwise not UTF-8, not XML, not rooted at "rss"
// or cut before its root closes gives none and says why in `why` (left alone
// when the body was read).
std::vector<NewsItem> readNews(std::string body, std::string* why = nullptr);
std::vector<NewsItem> parseNews(std::string_view body, std::string* why = nullptr);
// Gives back the memory reading a large body left with this thread and the allocator.
void releaseReadingMemory();

// The cell of a column: the title, the publication time as the other windows
// show times ("MM/dd/yyyy HH:mm:ss" on the server's clock at `server` from GMT,
// local without it; as received when it does not read as an RFC 822 date), else "".
std::string cellText(const NewsItem& item, std::string_view column,
                     std::optional<std::chrono::minutes> server = std::nullopt);

}  // namespace news
