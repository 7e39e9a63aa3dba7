// Fuzz target for the RSS items of a news answer and their publication times:
// every item keeps at most the three children the panel reads, a time shows
// either as the input or as a "MM/dd/yyyy HH:mm:ss" text. Built with libFuzzer
// when fuzzing; otherwise the checked-in corpus is replayed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "news/core/news_feed.h"
#include "news/core/news_time.h"

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const news::NewsItem& item : news::parseNews(text)) {
        require(item.size() <= 3);
        if (const std::string* date = item.find("pubDate")) {
            const std::string shown = news::cellText(item, news::kDateColumn);
            require(shown == *date || (shown.size() == 19 && shown[2] == '/' && shown[13] == ':'));
        }
    }
    // The whole input as a time.
    if (news::rfc822Date(text)) require(news::displayTime(text).size() == 19);
    return 0;
}
