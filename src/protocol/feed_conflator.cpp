#include "protocol/feed_conflator.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "platform/log.h"
#include "protocol/separator_bytes.h"

namespace protocol {

namespace {

constexpr std::string_view kDepthPrefix = "MD_";
constexpr std::uint32_t kAllFields = ~std::uint32_t{0};
constexpr std::string_view kQueuedPrefixes[] = {"IS;", "*#bm#*:"};

}  // namespace

void FeedConflator::add(std::string_view text) {
    for (std::string_view prefix : kQueuedPrefixes)
        if (text.starts_with(prefix)) return addQueued(text);
    // "MD_<code>;" for depth, the code before the first 0x04 for a tick; a
    // text without its separator is a topic of its own.
    const bool depth = text.starts_with(kDepthPrefix);
    std::size_t end = depth ? text.find(';') : text.find(TickFieldByte);
    if (end != std::string_view::npos && depth) ++end;
    // Outside the lock: reading a tick's prices is the reader's work.
    const std::uint32_t fields = depth || !tickFields_ ? kAllFields : tickFields_(text);
    addTopic(text.substr(0, end), text, fields);
}

void FeedConflator::addTopic(std::string_view topic, std::string_view text, std::uint32_t fields) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = slotOf_.find(topic);
    if (it != slotOf_.end()) {
        std::vector<Held>& held = latest_[std::size_t(it->second - taken_)].held;
        std::size_t freed = 0;
        for (const Held& h : held)
            if ((h.fields & ~fields) == 0) freed += h.text.size();
        if (bytes_ - freed + text.size() > limits_.bytes) return noteDropped(droppedTopics_, "tick or depth");
        bytes_ = bytes_ - freed + text.size();
        // A held text whose every price the new one carries is replaced; its
        // buffer is reused for the new text.
        std::string buffer;
        std::erase_if(held, [&](Held& h) {
            if ((h.fields & ~fields) != 0) return false;
            if (buffer.capacity() < h.text.capacity()) buffer.swap(h.text);
            return true;
        });
        buffer.assign(text);
        held.push_back(Held{std::move(buffer), fields});
        return;
    }
    if (latest_.size() >= limits_.topics || bytes_ + text.size() > limits_.bytes)
        return noteDropped(droppedTopics_, "tick or depth");
    slotOf_.emplace(topic, taken_ + latest_.size());
    latest_.push_back(Topic{std::string(topic), {Held{std::string(text), fields}}});
    bytes_ += text.size();
}

void FeedConflator::addQueued(std::string_view text) {
    std::lock_guard<std::mutex> lock(mutex_);
    queued_.push_back(Queued{std::string(text), taken_ + latest_.size()});
    bytes_ += text.size();
    while (!queued_.empty() && (queued_.size() > limits_.queued || bytes_ > limits_.bytes)) {
        bytes_ -= queued_.front().text.size();
        queued_.pop_front();
        noteDropped(droppedQueued_, "status");
    }
}

void FeedConflator::noteDropped(std::uint64_t& counter, const char* what) {
    // Once per hand-off; take() logs the count.
    if (counter++ == 0) platform::Log::error(std::string("Feed held too long: ") + what + " texts dropped");
}

bool FeedConflator::claimHandOff() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (pending_ || (latest_.empty() && queued_.empty())) return false;
    pending_ = true;
    return true;
}

std::vector<std::string> FeedConflator::take() {
    bool more = false;
    return take(std::numeric_limits<std::size_t>::max(), &more);
}

std::vector<std::string> FeedConflator::take(std::size_t limit, bool* more) {
    std::vector<std::string> out;
    std::uint64_t droppedQueued = 0, droppedTopics = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        out.reserve(std::min(limit, latest_.size() + queued_.size()));
        while (out.size() < limit && (!latest_.empty() || !queued_.empty())) {
            if (!queued_.empty() && queued_.front().after <= taken_) {
                bytes_ -= queued_.front().text.size();
                out.push_back(std::move(queued_.front().text));
                queued_.pop_front();
                continue;
            }
            Topic& topic = latest_.front();
            for (Held& h : topic.held) {
                bytes_ -= h.text.size();
                out.push_back(std::move(h.text));
            }
            slotOf_.erase(topic.name);
            latest_.pop_front();
            ++taken_;
        }
        *more = !latest_.empty() || !queued_.empty();
        pending_ = *more;
        std::swap(droppedQueued, droppedQueued_);
        std::swap(droppedTopics, droppedTopics_);
    }
    if (droppedQueued + droppedTopics > 0)
        platform::Log::error("Feed: " + std::to_string(droppedQueued) + " status and " +
                             std::to_string(droppedTopics) + " tick or depth texts dropped while the main thread was busy");
    return out;
}

}  // namespace protocol
