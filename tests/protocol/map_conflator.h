#pragma once
// The feed conflator as first written (one lock and one hashed std::string
// lookup a text, topics erased once taken), without its logging: the
// conflator must hand off exactly what this one does.
#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "protocol/feed_conflator.h"

namespace protocol::test {

class MapConflator {
public:
    MapConflator(FeedConflator::Limits limits, FeedConflator::TickFields fields) : limits_(limits), fields_(fields) {}

    void add(std::string_view text) {
        if (text.starts_with("IS;") || text.starts_with("*#bm#*:")) {
            queued_.push_back({std::string(text), taken_ + latest_.size()});
            bytes_ += text.size();
            while (!queued_.empty() && (queued_.size() > limits_.queued || bytes_ > limits_.bytes)) {
                bytes_ -= queued_.front().text.size();
                queued_.pop_front();
            }
            return;
        }
        const bool depth = text.starts_with("MD_");
        std::size_t end = depth ? text.find(';') : text.find('\x04');
        if (end != std::string_view::npos && depth) ++end;
        const std::uint32_t fields = depth || !fields_ ? ~0u : fields_(text);
        const std::string topic(text.substr(0, end));
        auto it = slotOf_.find(topic);
        if (it != slotOf_.end()) {
            auto& held = latest_[std::size_t(it->second - taken_)].held;
            std::size_t freed = 0;
            for (const Held& h : held)
                if ((h.fields & ~fields) == 0) freed += h.text.size();
            if (bytes_ - freed + text.size() > limits_.bytes) return;
            bytes_ = bytes_ - freed + text.size();
            std::erase_if(held, [&](const Held& h) { return (h.fields & ~fields) == 0; });
            held.push_back({std::string(text), fields});
            return;
        }
        if (latest_.size() >= limits_.topics || bytes_ + text.size() > limits_.bytes) return;
        slotOf_.emplace(topic, taken_ + latest_.size());
        latest_.push_back({topic, {{std::string(text), fields}}});
        bytes_ += text.size();
    }

    std::vector<std::string> take(std::size_t limit, bool* more) {
        std::vector<std::string> out;
        while (out.size() < limit && (!latest_.empty() || !queued_.empty())) {
            if (!queued_.empty() && queued_.front().after <= taken_) {
                bytes_ -= queued_.front().text.size();
                out.push_back(queued_.front().text);
                queued_.pop_front();
                continue;
            }
            for (const Held& h : latest_.front().held) {
                bytes_ -= h.text.size();
                out.push_back(h.text);
            }
            slotOf_.erase(latest_.front().name);
            latest_.pop_front();
            ++taken_;
        }
        *more = !latest_.empty() || !queued_.empty();
        return out;
    }

private:
    struct Held {
        std::string text;
        std::uint32_t fields;
    };
    struct Topic {
        std::string name;
        std::vector<Held> held;
    };
    struct Queued {
        std::string text;
        std::uint64_t after;
    };
    const FeedConflator::Limits limits_;
    const FeedConflator::TickFields fields_;
    std::deque<Topic> latest_;
    std::uint64_t taken_ = 0;
    std::unordered_map<std::string, std::uint64_t> slotOf_;
    std::deque<Queued> queued_;
    std::size_t bytes_ = 0;
};

}  // namespace protocol::test
