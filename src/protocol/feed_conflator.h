#pragma once
// The feed texts waiting for the main thread, held so that a slow main thread
// costs bounded memory and is handed the newest prices.
//
// Ticks and depths are held per topic (the tick's instrument code before its
// first 0x04, the depth's "MD_<code>;"). A depth replaces the one held. A tick
// carries only the prices that changed, so it replaces only the held ticks
// whose prices it all carries (`TickFields` tells which it carries); the
// others stay, in order, so that no price is lost. A topic thus holds at most
// one tick per set of prices that no later tick covers. Statuses ("IS;") and
// broadcasts keep their order in a queue; past its bound the oldest is
// dropped (logged). New topics past the topic bound, and texts that would
// pass the byte bound, are dropped (logged).
//
// Order of the hand-offs: topics in the order they first arrived since they
// were last taken, each status or broadcast once the topics held when it
// arrived are taken. So every tick that arrived before a status of its
// instrument is applied before that status, or is replaced by a newer tick
// that is. A tick that arrived after a status may overtake it; it may anyway,
// as a status takes the session's frame path and lands later.
//
// A hand-off may be taken in slices (take(limit, &more)): what stays held is
// still replaced by newer texts, so the last slice ends on the newest tick,
// and statuses wait in the queue, never dropped for the slicing. A claimed
// hand-off ends with the topics held at its claim and the statuses before
// them: topics that arrive later wait for the next one, so that a busy feed
// cannot keep a hand-off going.
//
// Costs a text: the reader reads a batch's topics and prices before it takes
// the lock once for the batch; a topic seen once stays in the table (up to
// twice the topic bound) with its hash, and texts go into buffers of handled
// texts given back by recycle().
//
// Thread use: the reader calls add() and claimHandOff(), the main thread
// take() and recycle(). One hand-off is pending at a time: claimHandOff() is
// true only when texts are held and no hand-off was claimed since the last
// take() that ended one.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace protocol {

class FeedConflator {
public:
    // Every instrument of the largest account a login holds (300,000) has
    // room for its ticks and depth, so no topic the screen shows is dropped
    // while the main thread is busy; the socket's subscriptions bound them.
    static constexpr std::size_t kMaxTopics = 400'000;
    static constexpr std::size_t kMaxQueued = 1000;
    static constexpr std::size_t kMaxBytes = 64u * 1024u * 1024u;

    struct Limits {
        std::size_t topics = kMaxTopics;
        std::size_t queued = kMaxQueued;
        std::size_t bytes = kMaxBytes;
    };

    // The prices a tick text carries, one bit each; without it every tick
    // counts as carrying all of them.
    using TickFields = std::function<std::uint32_t(std::string_view tick)>;

    FeedConflator() : FeedConflator(Limits{}) {}
    explicit FeedConflator(Limits limits, TickFields tickFields = nullptr);

    void add(std::string_view text);
    // Texts in their order of arrival, added under one lock; what each tick
    // carries is read before the lock is taken.
    void add(std::span<const std::string_view> texts);
    enum class Claim { Made, Pending, Empty };
    // Pending while the last claimed hand-off is taken, Empty when nothing is held.
    // `whole`: the hand-off (or the pending one) goes on until nothing is held,
    // for the reader's last one.
    Claim claim(bool whole = false);
    bool claimHandOff() { return claim() == Claim::Made; }
    // Everything held (a claimed hand-off's part), in hand-off order; the
    // next claimHandOff() may succeed again.
    std::vector<std::string> take();
    // The first topics and statuses held, in hand-off order, until `limit`
    // texts or a few more (a topic's held ticks stay together). `more`: texts
    // of the hand-off stay held, and it stays pending for the caller's next take.
    std::vector<std::string> take(std::size_t limit, bool* more);
    // Texts taken and handled: their buffers hold the next ones (a bounded number is kept).
    void recycle(std::vector<std::string>&& texts);

private:
    // One text read before the lock: its topic, the topic's hash and the
    // prices it carries, or a status to queue.
    struct Arrival {
        std::string_view text;
        std::string_view topic;
        std::uint64_t hash;
        std::uint32_t fields;
        bool queued;
    };
    struct Held {
        std::string text;
        std::uint32_t fields;
    };
    // Kept once seen (up to a bound), so that a topic's next tick finds it
    // without hashing its name again; `waiting` while it is in order_.
    struct Topic {
        std::string name;
        std::uint64_t hash = 0;
        std::vector<Held> held;
        bool waiting = false;
    };
    struct Queued {
        std::string text;
        std::uint64_t after;  // the topic slots before it (counted since the start)
    };
    Arrival read(std::string_view text) const;
    void addTopic(const Arrival& arrival);
    void addQueued(std::string_view text);
    Topic* find(const Arrival& arrival);
    void index(std::uint32_t id);
    // Forgets the topics that hold nothing, when their count reached its bound.
    void forgetIdleTopics();
    // A copy of `text`, in a spare buffer when one is kept.
    std::string buffer(std::string_view text);
    void keep(std::string&& text);
    void noteDropped(std::uint64_t& counter, const char* what);

    const Limits limits_;
    const TickFields tickFields_;
    const std::uint64_t seed_;
    std::mutex mutex_;
    std::vector<Topic> topics_;
    // Open addressing over topics_: id + 1, 0 for a free slot; at most half full.
    std::vector<std::uint32_t> slots_;
    std::deque<std::uint32_t> order_;  // waiting topics by first arrival; the front is slot taken_
    std::uint64_t taken_ = 0;          // topic slots taken so far
    std::deque<Queued> queued_;
    std::vector<std::string> spare_;  // buffers of handled texts
    std::size_t bytes_ = 0;
    bool pending_ = false;
    // Set by a claim: the hand-off ends once the topic slots up to handOffEnd_ are taken.
    bool bounded_ = false;
    std::uint64_t handOffEnd_ = 0;
    std::uint64_t droppedQueued_ = 0;
    std::uint64_t droppedTopics_ = 0;
};

}  // namespace protocol
