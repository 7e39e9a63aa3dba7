// The allocator's huge-page request: added only where the system gives huge
// pages on request, kept with the user's other settings, never set twice.
#include "platform/huge_pages.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace {

TEST(HugePages, TheRequestJoinsTheSettingsOnlyWhereItIsNeeded) {
    constexpr const char* kOnRequest = "always [madvise] never\n";
    const struct {
        const char* what;
        const char* current;
        const char* mode;
        std::optional<std::string> tunables;
    } cases[] = {
        {"no settings", nullptr, kOnRequest, "glibc.malloc.hugetlb=1"},
        {"empty settings", "", kOnRequest, "glibc.malloc.hugetlb=1"},
        {"other settings kept", "glibc.malloc.check=3", kOnRequest, "glibc.malloc.check=3:glibc.malloc.hugetlb=1"},
        {"the user's own value kept", "glibc.malloc.hugetlb=0", kOnRequest, std::nullopt},
        {"among others", "a.b=1:glibc.malloc.hugetlb=2:c.d=4", kOnRequest, std::nullopt},
        {"a longer name is another", "glibc.malloc.hugetlbx=1", kOnRequest,
         "glibc.malloc.hugetlbx=1:glibc.malloc.hugetlb=1"},
        {"huge pages always given", nullptr, "[always] madvise never\n", std::nullopt},
        {"huge pages never given", nullptr, "always madvise [never]\n", std::nullopt},
        {"no such system setting", nullptr, "", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(platform::tunablesAskingHugePages(c.current, c.mode), c.tunables);
    }
}

TEST(HugePages, TheRestartedStartPutsTheSettingsBackAsTheyWere) {
    char name[] = "client";
    char* argv[] = {name, nullptr};
    for (const char* before : {"", "glibc.malloc.check=3"}) {
        SCOPED_TRACE(before);
        ::setenv("TC_TUNABLES_BEFORE_RESTART", before, 1);
        ::setenv("GLIBC_TUNABLES", "glibc.malloc.check=3:glibc.malloc.hugetlb=1", 1);
        platform::restartAskingHugePages(argv);  // returns: this is the restarted start
        const char* now = std::getenv("GLIBC_TUNABLES");
        EXPECT_EQ(now ? std::string(now) : std::string(), before);
        EXPECT_EQ(std::getenv("TC_TUNABLES_BEFORE_RESTART"), nullptr);
    }
}

}  // namespace
