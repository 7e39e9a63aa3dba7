#include "platform/log.h"

#include <gtest/gtest.h>

#include <vector>

using namespace platform;

TEST(Log, InstalledSinkGetsLiteralTextsAndHonoursTheMinimumLevel) {
    std::vector<std::pair<LogLevel, std::string>> lines;
    Log::setSink([&](LogLevel l, const std::string& m) { lines.emplace_back(l, m); });
    Log::debug("Create directory error: x");
    Log::error("Write file error: y");
    Log::setMinimumLevel(LogLevel::Warning);
    Log::info("dropped");
    Log::warning("kept");
    Log::setSink(nullptr);
    Log::setMinimumLevel(LogLevel::Debug);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], std::make_pair(LogLevel::Debug, std::string("Create directory error: x")));
    EXPECT_EQ(lines[1], std::make_pair(LogLevel::Error, std::string("Write file error: y")));
    EXPECT_EQ(lines[2], std::make_pair(LogLevel::Warning, std::string("kept")));
}
