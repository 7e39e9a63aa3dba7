// The server's clock is read and printed in the machine's zone (the test runs
// with a zone west of UTC, set per process).
#include "state/packed_time.h"

#include <gtest/gtest.h>

namespace state {
namespace {

TEST(PackedTime, TheServerClockIsLocalTime) {
    struct Case {
        const char* text;
        const char* utc;  // nullptr: refused
    } cases[] = {
        {"20240102030405", "20240102080405"},  // winter: five hours behind UTC
        {"20240702030405", "20240702070405"},  // summer time
        {"20240431000000", nullptr},
        {"2024010203040", nullptr},
        // Outside the clock's nanosecond count (1677-09-21 to 2262-04-11 UTC).
        {"26261208020000", nullptr},
        {"22620412000000", nullptr},
        {"99991231235959", nullptr},
        {"00010101000000", nullptr},
        {"16770920000000", nullptr},
        {"22620410000000", "22620410040000"},  // the last whole day it holds
    };
    for (const Case& c : cases) {
        const auto date = parsePackedTime(c.text);
        if (!c.utc) {
            EXPECT_FALSE(date) << c.text;
            continue;
        }
        ASSERT_TRUE(date) << c.text;
        EXPECT_EQ(packedTime(*date, false), c.text);
        EXPECT_EQ(packedTime(*date, true), c.utc);
    }
}

}  // namespace
}  // namespace state
