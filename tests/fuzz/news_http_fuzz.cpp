// Fuzz target for the news reader's HTTP answers: read whole and in two pieces
// at a point taken from the input, both ways must agree, the body stays within
// its cap, and a whole answer's body goes on to the item reader. Built with
// libFuzzer when fuzzing; otherwise the checked-in corpus is replayed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "news/core/http_exchange.h"
#include "news/core/news_feed.h"

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

constexpr std::size_t kCap = 4096;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    news::HttpAnswerReader whole(kCap), split(kCap);
    whole.feed(bytes);
    const std::size_t cut = size ? data[0] % size : 0;
    split.feed(bytes.substr(0, cut));
    split.feed(bytes.substr(cut));
    // Complete before the close means complete after it, with the same answer.
    const bool early = whole.state() == news::HttpAnswerReader::State::Complete;
    require(early == (split.state() == news::HttpAnswerReader::State::Complete));
    require(whole.close() == split.close());
    require(!early || whole.state() == news::HttpAnswerReader::State::Complete);
    if (whole.state() != news::HttpAnswerReader::State::Complete) {
        require(!whole.why().empty());
        return 0;
    }
    const news::HttpAnswer& answer = whole.answer();
    require(answer.status == split.answer().status && answer.body == split.answer().body);
    require(answer.body.size() <= kCap && answer.body.size() <= size);
    for (const news::NewsItem& item : news::parseNews(answer.body)) {
        require(item.size() <= 3);
        (void)news::cellText(item, news::kTitleColumn);
        (void)news::cellText(item, news::kDateColumn);
    }
    return 0;
}
