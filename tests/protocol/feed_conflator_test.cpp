// What the feed holds for the main thread: the latest tick and depth per
// topic, statuses in order, everything within its bounds.
#include <gtest/gtest.h>

#include <algorithm>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/feed_conflator.h"
#include "protocol/map_conflator.h"

namespace protocol {
namespace {

using Texts = std::vector<std::string>;

TEST(FeedConflator, HoldsTheLatestPerTopicAndStatusesInOrderWithinItsBounds) {
    const FeedConflator::Limits unbounded;
    struct Case {
        const char* what;
        FeedConflator::Limits limits;
        Texts in, out;
    };
    const std::vector<Case> cases = {
        {"latest tick and depth per topic, by first arrival",
         unbounded,
         {"EUR\x04" "1", "MD_EUR;1", "GOLD\x04" "1", "EUR\x04" "2", "MD_EUR;2", "EURX\x04" "1"},
         {"EUR\x04" "2", "MD_EUR;2", "GOLD\x04" "1", "EURX\x04" "1"}},
        {"statuses and broadcasts in order, after the topics held when they came",
         unbounded,
         {"IS;a", "EUR\x04" "1", "*#bm#*:b", "IS;c", "EUR\x04" "2"},
         {"IS;a", "EUR\x04" "2", "*#bm#*:b", "IS;c"}},
        {"a text without its separator is a topic of its own",
         unbounded,
         {"junk", "MD_junk", "junk", "MD_junk"},
         {"junk", "MD_junk"}},
        {"queue just at its bound", {10, 3, 1000}, {"IS;1", "IS;2", "IS;3"}, {"IS;1", "IS;2", "IS;3"}},
        {"queue past its bound drops the oldest", {10, 2, 1000}, {"IS;1", "IS;2", "IS;3"}, {"IS;2", "IS;3"}},
        {"new topics past the bound are dropped, held ones still replaced",
         {2, 10, 1000},
         {"A\x04" "1", "B\x04" "1", "C\x04" "1", "A\x04" "2"},
         {"A\x04" "2", "B\x04" "1"}},
        {"bytes: a text that fits replaces, one that does not is dropped",
         {10, 10, 9},
         {"A\x04" "123456", "B\x04" "12", "A\x04" "1234567", "A\x04" "12345678"},
         {"A\x04" "1234567"}},
        {"bytes: the queue drops its oldest to make room",
         {10, 10, 12},
         {"IS;1234", "IS;567", "IS;89"},
         {"IS;567", "IS;89"}},
    };
    for (const Case& c : cases) {
        FeedConflator conflator(c.limits);
        for (const std::string& text : c.in) conflator.add(text);
        EXPECT_EQ(conflator.take(), c.out) << c.what;
        EXPECT_TRUE(conflator.take().empty()) << c.what;
    }
}

TEST(FeedConflator, ATickReplacesOnlyTheTicksWhosePricesItAllCarries) {
    // The test's ticks say their prices in the text after the code: "B" bid, "A" ask, "L" last.
    auto fields = [](std::string_view tick) {
        std::uint32_t f = 0;
        for (char c : tick.substr(tick.find('\x04') + 1)) f |= c == 'L' ? 1u : c == 'B' ? 2u : c == 'A' ? 4u : 0u;
        return f;
    };
    struct Case {
        const char* what;
        Texts in, out;
    } cases[] = {
        {"a full quote replaces everything held",
         {"X\x04" "B1", "X\x04" "A1", "X\x04" "BAL"},
         {"X\x04" "BAL"}},
        {"a bid after an ask: both stay, in order",
         {"X\x04" "A1", "X\x04" "B2"},
         {"X\x04" "A1", "X\x04" "B2"}},
        {"the newer bid replaces the older, the ask between stays",
         {"X\x04" "B1", "X\x04" "A1", "X\x04" "B2"},
         {"X\x04" "A1", "X\x04" "B2"}},
        {"a tick without prices is replaced by any, and replaces only its like",
         {"X\x04" "-", "X\x04" "B1", "X\x04" "-"},
         {"X\x04" "B1", "X\x04" "-"}},
        {"topics keep their own held ticks", {"X\x04" "A1", "Y\x04" "BA", "X\x04" "B1"},
         {"X\x04" "A1", "X\x04" "B1", "Y\x04" "BA"}},
    };
    for (const Case& c : cases) {
        FeedConflator conflator(FeedConflator::Limits{}, fields);
        for (const std::string& text : c.in) conflator.add(text);
        EXPECT_EQ(conflator.take(), c.out) << c.what;
    }
}

TEST(FeedConflator, SlicedHandOffsKeepEveryStatusAndEndOnTheNewestTicks) {
    // Each step adds texts, then takes one slice of at most `limit`.
    struct Step {
        Texts add;
        std::size_t limit;
        Texts out;
        bool more;
    };
    struct Case {
        const char* what;
        std::vector<Step> steps;
    } cases[] = {
        {"a slice takes whole topics in order, then the statuses they came before",
         {{{"A\x04" "1", "B\x04" "1", "IS;x", "C\x04" "1"}, 2, {"A\x04" "1", "B\x04" "1"}, true},
          {{}, 2, {"IS;x", "C\x04" "1"}, false}}},
        {"ticks held between slices are replaced by newer ones",
         {{{"A\x04" "1", "B\x04" "1", "C\x04" "1"}, 1, {"A\x04" "1"}, true},
          {{"B\x04" "2", "A\x04" "2", "C\x04" "2"}, 1, {"B\x04" "2"}, true},
          {{"C\x04" "3"}, 5, {"C\x04" "3", "A\x04" "2"}, false}}},
        {"a status waits for the topics before it, never dropped, never reordered",
         {{{"A\x04" "1", "IS;1", "B\x04" "1", "IS;2"}, 1, {"A\x04" "1"}, true},
          {{"A\x04" "2", "IS;3"}, 1, {"IS;1"}, true},
          {{}, 1, {"B\x04" "1"}, true},
          {{}, 9, {"IS;2", "A\x04" "2", "IS;3"}, false}}},
        {"statuses alone come out in slices", {{{"IS;1", "IS;2", "IS;3"}, 2, {"IS;1", "IS;2"}, true}, {{}, 2, {"IS;3"}, false}}},
    };
    for (const Case& c : cases) {
        FeedConflator conflator;
        for (const Step& step : c.steps) {
            for (const std::string& text : step.add) conflator.add(text);
            bool more = !step.more;
            EXPECT_EQ(conflator.take(step.limit, &more), step.out) << c.what;
            EXPECT_EQ(more, step.more) << c.what;
            // A pending hand-off stays claimed while texts remain.
            EXPECT_FALSE(conflator.claimHandOff()) << c.what;
        }
    }
}

TEST(FeedConflator, HandsOffWhatTheLockedMapConflatorDid) {
    // Ticks say their prices after the code ("L" last, "B" bid, "A" ask).
    auto fields = [](std::string_view tick) {
        std::uint32_t f = 0;
        for (char c : tick.substr(std::min(tick.find('\x04'), tick.size()))) f |= c == 'L' ? 1u : c == 'B' ? 2u : c == 'A' ? 4u : 0u;
        return f;
    };
    // "|" stands for 0x04.
    const char* shapes[] = {"T{}|L", "T{}|B", "T{}|A", "T{}|BA", "T{}|LBA-", "T{}|", "MD_T{};1", "IS;{}", "*#bm#*:{}",
                            "junk{}", "T{}"};
    const FeedConflator::Limits limits[] = {{}, {3, 4, 200}, {40, 2, 60}};
    for (const FeedConflator::Limits& limit : limits) {
        FeedConflator conflator(limit, fields);
        test::MapConflator reference(limit, fields);
        std::uint64_t x = 99;
        auto next = [&] { return x ^= x << 13, x ^= x >> 7, x ^= x << 17; };
        for (int step = 0; step < 1500; ++step) {
            // A batch of up to 150 texts (more than one lock's worth), then one slice.
            std::vector<std::string> texts;
            for (std::uint64_t n = next() % 150; n > 0; --n) {
                std::string text = shapes[next() % std::size(shapes)];
                text.replace(text.find("{}"), 2, std::to_string(next() % 60) + std::string(next() % 40, '9'));
                std::replace(text.begin(), text.end(), '|', '\x04');
                texts.push_back(text);
            }
            const std::vector<std::string_view> views(texts.begin(), texts.end());
            conflator.add(std::span<const std::string_view>(views));
            for (const std::string& text : texts) reference.add(text);
            const std::size_t slice = 1 + next() % 200;
            bool more = false, referenceMore = false;
            std::vector<std::string> out = conflator.take(slice, &more);
            ASSERT_EQ(out, reference.take(slice, &referenceMore)) << "step " << step;
            ASSERT_EQ(more, referenceMore);
            conflator.recycle(std::move(out));
        }
    }
}

// A busy main thread is handed the newest tick of every instrument of a
// large account, none dropped.
TEST(FeedConflator, HoldsATickOfEveryInstrumentOfALargeAccount) {
    FeedConflator conflator;
    constexpr int kInstruments = 60000;
    for (int round = 0; round < 2; ++round)
        for (int i = 0; i < kInstruments; ++i)
            conflator.add("I" + std::to_string(i) + "\x04" + std::to_string(round));
    const std::vector<std::string> out = conflator.take();
    ASSERT_EQ(out.size(), std::size_t(kInstruments));
    EXPECT_EQ(out.front(), "I0\x04" "1");
    EXPECT_EQ(out.back(), "I59999\x04" "1");
}

TEST(FeedConflator, OneHandOffIsPendingAtATime) {
    FeedConflator conflator;
    EXPECT_FALSE(conflator.claimHandOff());  // nothing held
    conflator.add("EUR\x04" "1");
    EXPECT_TRUE(conflator.claimHandOff());
    conflator.add("EUR\x04" "2");
    EXPECT_FALSE(conflator.claimHandOff());  // the first one takes this too
    EXPECT_EQ(conflator.take(), Texts{"EUR\x04" "2"});
    EXPECT_FALSE(conflator.claimHandOff());
    conflator.add("IS;x");
    EXPECT_TRUE(conflator.claimHandOff());
}

// A claimed hand-off takes the topics held at its claim, with the newest
// ticks that replaced theirs, and the statuses before them; later topics
// wait for the next claim. `after` comes once the first text is taken.
TEST(FeedConflator, AClaimedHandOffEndsWithTheTopicsHeldAtItsClaim) {
    struct Case {
        const char* what;
        Texts before, after;  // added before and after the claim
        Texts first, second;  // the claimed hand-off, then the next one
        bool whole = false;   // claimed whole once `after` came (the reader's last claim)
    } cases[] = {
        {"a long gather hands off the newest tick",
         {"B\x04" "1", "A\x04" "1", "A\x04" "2"},
         {"A\x04" "3"},
         {"B\x04" "1", "A\x04" "3"},
         {}},
        {"a topic taken, or new, after the claim waits",
         {"A\x04" "1", "B\x04" "1"},
         {"C\x04" "1", "A\x04" "2"},
         {"A\x04" "1", "B\x04" "1"},
         {"C\x04" "1", "A\x04" "2"}},
        {"a status after the claim comes once the topics before it are taken",
         {"A\x04" "1", "IS;1"},
         {"IS;2", "B\x04" "1", "IS;3"},
         {"A\x04" "1", "IS;1", "IS;2"},
         {"B\x04" "1", "IS;3"}},
        {"the reader's last claim takes everything held into the pending hand-off",
         {"A\x04" "1", "B\x04" "1"},
         {"C\x04" "1", "IS;1", "A\x04" "2"},
         {"A\x04" "1", "B\x04" "1", "C\x04" "1", "IS;1", "A\x04" "2"},
         {},
         true},
    };
    for (const Case& c : cases) {
        FeedConflator conflator;
        for (const std::string& text : c.before) conflator.add(text);
        ASSERT_EQ(conflator.claim(), FeedConflator::Claim::Made) << c.what;
        bool more = true;
        Texts first = conflator.take(1, &more);
        for (const std::string& text : c.after) conflator.add(text);
        const auto afterFirst = more ? FeedConflator::Claim::Pending : FeedConflator::Claim::Made;
        EXPECT_EQ(conflator.claim(c.whole), afterFirst) << c.what;
        while (more) {
            const Texts slice = conflator.take(1, &more);
            first.insert(first.end(), slice.begin(), slice.end());
        }
        EXPECT_EQ(first, c.first) << c.what;
        EXPECT_EQ(conflator.claim(), c.second.empty() ? FeedConflator::Claim::Empty : FeedConflator::Claim::Made)
            << c.what;
        EXPECT_EQ(conflator.take(), c.second) << c.what;
    }
}

}  // namespace
}  // namespace protocol
