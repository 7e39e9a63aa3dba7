#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "kit/core/table_rules.h"

// The header menu, the tick and the row-menu guard: the framework's tests.
TEST(TableRules, TitlesAndFontSizes) {
    const kit::TableTraits& watchlist = kit::tableTraits(kit::TableKind::Watchlist);
    EXPECT_EQ(kit::headerTitle(watchlist, "0", 0), "i");
    EXPECT_EQ(kit::headerTitle(watchlist, "153", 0), kit::headerTitle(watchlist, "0153", 0));  // padded key
    for (auto [stored, points] : std::vector<std::pair<std::int64_t, int>>{{0, 12}, {-3, 12}, {16, 16}, {99999, 12}})
        EXPECT_EQ(kit::tableFontPointSize(stored), points) << stored;
}
