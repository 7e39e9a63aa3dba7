#include "platform/log.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <memory>
#include <thread>
#include <vector>

#include "platform/paths.h"
#include "platform/test_env.h"

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

// Whether a level is written follows the minimum level, as write does.
TEST(Log, EnabledMatchesWhatWriteDelivers) {
    struct Row {
        LogLevel minimum;
        LogLevel level;
        bool enabled;
    };
    const Row rows[] = {
        {LogLevel::Debug, LogLevel::Debug, true},  {LogLevel::Warning, LogLevel::Info, false},
        {LogLevel::Warning, LogLevel::Warning, true}, {LogLevel::Error, LogLevel::Warning, false},
        {LogLevel::Error, LogLevel::Error, true},
    };
    int delivered = 0;
    Log::setSink([&](LogLevel, const std::string&) { ++delivered; });
    for (const Row& row : rows) {
        SCOPED_TRACE(static_cast<int>(&row - rows));
        Log::setMinimumLevel(row.minimum);
        EXPECT_EQ(Log::enabled(row.level), row.enabled);
        delivered = 0;
        Log::write(row.level, "x");
        EXPECT_EQ(delivered, row.enabled ? 1 : 0);
    }
    Log::setSink(nullptr);
    Log::setMinimumLevel(LogLevel::Debug);
}

// Sinks replaced while other threads write: every message reaches one of them.
TEST(Log, SinkSwappedWhileThreadsWrite) {
    std::atomic<int> delivered{0};
    auto makeSink = [&delivered] {
        auto owned = std::make_shared<std::string>("sink");  // freed with the sink
        return Log::Sink([&delivered, owned](LogLevel, const std::string&) {
            if (!owned->empty()) delivered.fetch_add(1);
        });
    };
    Log::setSink(makeSink());
    constexpr int kThreads = 4, kEach = 2000;
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t) {
        writers.emplace_back([] {
            for (int i = 0; i < kEach; ++i) Log::debug("line");
        });
    }
    for (int i = 0; i < 200; ++i) Log::setSink(makeSink());
    for (auto& w : writers) w.join();
    Log::setSink(nullptr);
    EXPECT_EQ(delivered.load(), kThreads * kEach);
}

// The default sink with its file: stderr keeps warnings and errors, the file
// takes Info and above, and rotation keeps the cap and the number of old files.
TEST(Log, DefaultSinkSendsInfoToARotatedFileAndWarningsToStderr) {
    platform::testing::TempDir dir;
    const std::string path = dir / "client.log";
    Log::setMinimumLevel(LogLevel::Info);  // the default of the file (earlier cases set Debug)
    ASSERT_TRUE(Log::openFile(path, 200, 2));
    ::testing::internal::CaptureStderr();
    Log::debug("not written");
    Log::info("instrument status changed");
    Log::warning("a warning");
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "[warning] a warning\n");
    std::string text;
    ASSERT_TRUE(Paths::readFile(path, &text));
    EXPECT_EQ(text.find("not written"), std::string::npos);
    EXPECT_NE(text.find("[info] instrument status changed\n"), std::string::npos);
    EXPECT_NE(text.find("[warning] a warning\n"), std::string::npos);

    for (int i = 0; i < 40; ++i) Log::info("line " + std::to_string(i));
    Log::closeFile();
    for (const std::string& file : {path, path + ".1", path + ".2"}) {
        ASSERT_TRUE(std::filesystem::exists(file)) << file;
        EXPECT_LE(std::filesystem::file_size(file), 200u) << file;
    }
    EXPECT_FALSE(std::filesystem::exists(path + ".3"));
    ASSERT_TRUE(Paths::readFile(path, &text));
    EXPECT_NE(text.find("line 39\n"), std::string::npos);  // the newest line is in the current file
    Log::setMinimumLevel(LogLevel::Debug);
}
