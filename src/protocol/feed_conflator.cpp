#include "protocol/feed_conflator.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <random>
#include <utility>

#include "platform/log.h"
#include "protocol/separator_bytes.h"

namespace protocol {

namespace {

constexpr std::string_view kDepthPrefix = "MD_";
constexpr std::uint32_t kAllFields = ~std::uint32_t{0};
constexpr std::string_view kQueuedPrefixes[] = {"IS;", "*#bm#*:"};
// Texts read before the lock is taken once for them.
constexpr std::size_t kBatch = 64;
// Buffers of handled texts kept for the next ones, and the largest kept.
constexpr std::size_t kSpareBuffers = 2048;
constexpr std::size_t kSpareCapacity = 256;

// Topics come from the server: a seed drawn per conflator keeps anyone from
// choosing names that collide in the table.
std::uint64_t drawSeed() {
    std::random_device device;
    return (std::uint64_t{device()} << 32) ^ device();
}

std::uint64_t hashOf(std::string_view s, std::uint64_t seed) {
    std::uint64_t h = seed ^ (s.size() * 0x9e3779b97f4a7c15ULL);
    const char* p = s.data();
    std::size_t n = s.size();
    for (; n >= 8; p += 8, n -= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        h = (h ^ word) * 0xbf58476d1ce4e5b9ULL;
        h ^= h >> 29;
    }
    if (n > 0) {
        std::uint64_t word = 0;
        std::memcpy(&word, p, n);
        h = (h ^ word) * 0x94d049bb133111ebULL;
    }
    h ^= h >> 31;
    h *= 0xbf58476d1ce4e5b9ULL;
    return h ^ (h >> 29);
}

}  // namespace

FeedConflator::FeedConflator(Limits limits, TickFields tickFields)
    : limits_(limits), tickFields_(std::move(tickFields)), seed_(drawSeed()) {}

FeedConflator::Arrival FeedConflator::read(std::string_view text) const {
    Arrival a{text, {}, 0, kAllFields, false};
    for (std::string_view prefix : kQueuedPrefixes)
        if (text.starts_with(prefix)) {
            a.queued = true;
            return a;
        }
    // "MD_<code>;" for depth, the code before the first 0x04 for a tick; a
    // text without its separator is a topic of its own.
    const bool depth = text.starts_with(kDepthPrefix);
    std::size_t end = text.find(depth ? ';' : TickFieldByte);
    if (end != std::string_view::npos && depth) ++end;
    a.topic = text.substr(0, end);
    a.hash = hashOf(a.topic, seed_);
    if (!depth && tickFields_) a.fields = tickFields_(text);
    return a;
}

void FeedConflator::add(std::string_view text) { add(std::span<const std::string_view>(&text, 1)); }

void FeedConflator::add(std::span<const std::string_view> texts) {
    Arrival arrivals[kBatch];
    while (!texts.empty()) {
        const std::size_t n = std::min(texts.size(), kBatch);
        for (std::size_t i = 0; i < n; ++i) arrivals[i] = read(texts[i]);
        std::lock_guard<std::mutex> lock(mutex_);
        for (std::size_t i = 0; i < n; ++i) {
            if (arrivals[i].queued) addQueued(arrivals[i].text);
            else addTopic(arrivals[i]);
        }
        texts = texts.subspan(n);
    }
}

FeedConflator::Topic* FeedConflator::find(const Arrival& a) {
    if (slots_.empty()) return nullptr;
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t slot = a.hash & mask;; slot = (slot + 1) & mask) {
        const std::uint32_t at = slots_[slot];
        if (at == 0) return nullptr;
        Topic& topic = topics_[at - 1];
        if (topic.hash == a.hash && topic.name == a.topic) return &topic;
    }
}

void FeedConflator::index(std::uint32_t id) {
    if (2 * topics_.size() > slots_.size()) {
        slots_.assign(std::max<std::size_t>(64, 2 * slots_.size()), 0);
        while (2 * topics_.size() > slots_.size()) slots_.assign(2 * slots_.size(), 0);
        for (std::uint32_t i = 0; i < topics_.size(); ++i) index(i);
        return;
    }
    const std::size_t mask = slots_.size() - 1;
    std::size_t slot = topics_[id].hash & mask;
    while (slots_[slot] != 0) slot = (slot + 1) & mask;
    slots_[slot] = id + 1;
}

void FeedConflator::forgetIdleTopics() {
    std::vector<Topic> kept;
    kept.reserve(order_.size());
    for (std::uint32_t& id : order_) {
        kept.push_back(std::move(topics_[id]));
        id = static_cast<std::uint32_t>(kept.size() - 1);
    }
    topics_.swap(kept);
    slots_.clear();
    for (std::uint32_t i = 0; i < topics_.size(); ++i) index(i);
}

std::string FeedConflator::buffer(std::string_view text) {
    std::string out;
    if (!spare_.empty()) {
        out.swap(spare_.back());
        spare_.pop_back();
    }
    out.assign(text);
    return out;
}

void FeedConflator::keep(std::string&& text) {
    if (spare_.size() < kSpareBuffers && text.capacity() <= kSpareCapacity) spare_.push_back(std::move(text));
}

void FeedConflator::addTopic(const Arrival& a) {
    const std::size_t size = a.text.size();
    Topic* topic = find(a);
    if (topic != nullptr && topic->waiting) {
        std::vector<Held>& held = topic->held;
        std::size_t freed = 0;
        for (const Held& h : held)
            if ((h.fields & ~a.fields) == 0) freed += h.text.size();
        if (bytes_ - freed + size > limits_.bytes) return noteDropped(droppedTopics_, "tick or depth");
        bytes_ = bytes_ - freed + size;
        // A held text whose every price the new one carries is replaced; its
        // buffer holds the next text.
        std::erase_if(held, [&](Held& h) {
            if ((h.fields & ~a.fields) != 0) return false;
            keep(std::move(h.text));
            return true;
        });
        held.push_back(Held{buffer(a.text), a.fields});
        return;
    }
    if (order_.size() >= limits_.topics || bytes_ + size > limits_.bytes)
        return noteDropped(droppedTopics_, "tick or depth");
    if (topic == nullptr) {
        // Idle topics are kept up to twice the bound of held ones.
        if (topics_.size() >= std::max<std::size_t>(16, 2 * limits_.topics)) forgetIdleTopics();
        topics_.push_back(Topic{std::string(a.topic), a.hash, {}, false});
        index(static_cast<std::uint32_t>(topics_.size() - 1));
        topic = &topics_.back();
    }
    topic->held.push_back(Held{buffer(a.text), a.fields});
    topic->waiting = true;
    order_.push_back(static_cast<std::uint32_t>(topic - topics_.data()));
    bytes_ += size;
}

void FeedConflator::addQueued(std::string_view text) {
    queued_.push_back(Queued{buffer(text), taken_ + order_.size()});
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

FeedConflator::Claim FeedConflator::claim(bool whole) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (pending_) {
        bounded_ = bounded_ && !whole;
        return Claim::Pending;
    }
    if (order_.empty() && queued_.empty()) return Claim::Empty;
    pending_ = true;
    bounded_ = !whole;
    handOffEnd_ = taken_ + order_.size();
    return Claim::Made;
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
        out.reserve(std::min(limit, order_.size() + queued_.size()));
        // A status is ready once the topics before it are taken; with none
        // waiting, every status is.
        auto statusReady = [&] { return !queued_.empty() && queued_.front().after <= taken_; };
        auto topicInHandOff = [&] { return !order_.empty() && !(bounded_ && taken_ >= handOffEnd_); };
        while (out.size() < limit && (statusReady() || topicInHandOff())) {
            if (statusReady()) {
                bytes_ -= queued_.front().text.size();
                out.push_back(std::move(queued_.front().text));
                queued_.pop_front();
                continue;
            }
            Topic& topic = topics_[order_.front()];
            for (Held& h : topic.held) {
                bytes_ -= h.text.size();
                out.push_back(std::move(h.text));
            }
            topic.held.clear();
            topic.waiting = false;
            order_.pop_front();
            ++taken_;
        }
        *more = statusReady() || topicInHandOff();
        pending_ = *more;
        bounded_ = bounded_ && *more;
        std::swap(droppedQueued, droppedQueued_);
        std::swap(droppedTopics, droppedTopics_);
    }
    if (droppedQueued + droppedTopics > 0)
        platform::Log::error("Feed: " + std::to_string(droppedQueued) + " status and " +
                             std::to_string(droppedTopics) + " tick or depth texts dropped while the main thread was busy");
    return out;
}

void FeedConflator::recycle(std::vector<std::string>&& texts) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (std::string& text : texts) keep(std::move(text));
    texts.clear();
}

}  // namespace protocol
