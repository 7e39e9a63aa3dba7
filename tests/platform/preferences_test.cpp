#include "platform/preferences.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <iterator>
#include <thread>
#include <vector>

#include "platform/log.h"
#include "platform/paths.h"
#include "platform/runtime.h"
#include "platform/test_env.h"

using namespace platform;
using platform::testing::TempDir;

TEST(Preferences, EveryTypeSurvivesAReload) {
    TempDir dir;
    std::string path = dir / "config/app/preferences";  // folders created on first write
    {
        Preferences prefs(path);
        prefs.set("name", std::string("a <b> & \"c\""));
        prefs.set("flag", true);
        prefs.set("count", std::int64_t{-9000000000});
        prefs.set("ratio", 0.1);
        prefs.set("watch", Preferences::StringArray{"EURUSD", "", "GBP/JPY"});
        prefs.set("blob", Preferences::Bytes{0, 1, 255});
        prefs.set("gone", std::string("x"));
        prefs.remove("gone");
        ASSERT_TRUE(prefs.synchronize());
    }
    Preferences again(path);
    EXPECT_EQ(again.stringForKey("name"), "a <b> & \"c\"");
    EXPECT_TRUE(again.boolForKey("flag"));
    EXPECT_EQ(again.integerForKey("count"), -9000000000);
    EXPECT_EQ(again.doubleForKey("ratio"), 0.1);
    EXPECT_EQ(again.stringArrayForKey("watch"), (Preferences::StringArray{"EURUSD", "", "GBP/JPY"}));
    EXPECT_EQ(again.dataForKey("blob"), (Preferences::Bytes{0, 1, 255}));
    EXPECT_FALSE(again.hasKey("gone"));
}

TEST(Preferences, FileIsOwnerOnlyAndAFolderKeepsTheModeItsOwnerGaveIt) {
    TempDir dir;
    const std::string folder = dir / "config";
    const std::string path = folder + "/preferences";
    auto mode = [](const std::string& p) {
        struct stat st {};
        EXPECT_EQ(::stat(p.c_str(), &st), 0);
        return st.st_mode & 07777;
    };
    for (bool existing : {false, true}) {
        if (existing) {
            ASSERT_EQ(::chmod(folder.c_str(), 0755), 0);
            ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
        }
        Preferences prefs(path);
        prefs.set("password", std::string(existing ? "b" : "a"));
        ASSERT_TRUE(prefs.synchronize());
        EXPECT_EQ(mode(path), 0600u) << existing;
        EXPECT_EQ(mode(folder), existing ? 0755u : 0700u) << existing;
    }
}

TEST(Preferences, AbsentKeysAndReadingsAcrossTypes) {
    TempDir dir;
    Preferences prefs(dir / "p");
    EXPECT_FALSE(prefs.stringForKey("x").has_value());
    EXPECT_FALSE(prefs.boolForKey("x"));
    EXPECT_EQ(prefs.integerForKey("x"), 0);
    EXPECT_EQ(prefs.doubleForKey("x"), 0);
    EXPECT_FALSE(prefs.stringArrayForKey("x").has_value());
    prefs.set("s", std::string(" 42"));
    EXPECT_EQ(prefs.integerForKey("s"), 42);
    EXPECT_TRUE(prefs.boolForKey("s"));
    prefs.set("n", std::int64_t{7});
    EXPECT_EQ(prefs.stringForKey("n"), "7");
    EXPECT_FALSE(prefs.dataForKey("n").has_value());
}

// An unreadable file gives the defaults and is moved aside, kept whole, before the first write.
TEST(Preferences, UnreadableFileIsMovedAsideBeforeTheFirstWrite) {
    TempDir dir;
    std::string path = dir / "preferences";
    const std::string unreadable[] = {"<plist><dict><key>a</key><string>x", "\x89garbage\x01", ""};
    for (std::size_t i = 0; i < std::size(unreadable); ++i) {
        SCOPED_TRACE(i);
        ASSERT_TRUE(Paths::writeFileAtomically(path, unreadable[i]));
        std::vector<std::string> lines;
        Log::setSink([&](LogLevel, const std::string& m) { lines.push_back(m); });
        Preferences prefs(path);
        Log::setSink(nullptr);
        EXPECT_FALSE(prefs.hasKey("a"));
        const std::string aside = path + ".unreadable" + (i ? "." + std::to_string(i + 1) : "");
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_NE(lines[0].find(aside), std::string::npos);
        prefs.set("b", true);
        EXPECT_TRUE(prefs.synchronize());
        EXPECT_TRUE(Preferences(path).boolForKey("b"));
        std::string kept;
        ASSERT_TRUE(Paths::readFile(aside, &kept));  // an earlier one is not replaced
        EXPECT_EQ(kept, unreadable[i]);
    }
}

TEST(Preferences, FailedWriteKeepsTheOldFile) {
    TempDir dir;
    std::string path = dir / "preferences";
    Preferences prefs(path);
    prefs.set("keep", std::string("old"));
    ASSERT_TRUE(prefs.synchronize());
    std::string before;
    ASSERT_TRUE(Paths::readFile(path, &before));

    // The file-size limit makes the write of the bigger file fail part-way.
    prefs.set("big", std::string(64 * 1024, 'x'));
    prefs.set("keep", std::string("new"));
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    Log::setSink([](LogLevel, const std::string&) {});
    bool ok = prefs.synchronize();
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldHandler);
    Log::setSink(nullptr);

    EXPECT_FALSE(ok);
    std::string after;
    ASSERT_TRUE(Paths::readFile(path, &after));
    EXPECT_EQ(after, before);
    EXPECT_EQ(Preferences(path).stringForKey("keep"), "old");
    // No temporary file is left behind.
    int entries = 0;
    for (auto& e : std::filesystem::directory_iterator(dir.path())) (void)e, ++entries;
    EXPECT_EQ(entries, 1);
}

// "k<thread>_<i>"
static std::string threadKey(int t, int i) {
    std::string key = std::to_string(t);
    key.insert(key.begin(), 'k');
    key += '_';
    key += std::to_string(i);
    return key;
}

TEST(Preferences, ConcurrentSettersAndWritersLoseNothing) {
    TempDir dir;
    std::string path = dir / "preferences";
    Preferences prefs(path);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 50; ++i) {
                prefs.set(threadKey(t, i), std::int64_t{i});
                if (i % 10 == 0) prefs.synchronize();
            }
        });
    }
    for (auto& th : threads) th.join();
    ASSERT_TRUE(prefs.synchronize());
    Preferences again(path);
    for (int t = 0; t < 4; ++t)
        for (int i = 0; i < 50; ++i) EXPECT_EQ(again.integerForKey(threadKey(t, i)), i);
}

TEST(Preferences, WritesOnTheIoQueueKeepTheirOrderAndShutdownLosesNone) {
    TempDir dir;
    std::string path = dir / "preferences";
    Preferences prefs(path);
    for (std::int64_t i = 1; i <= 20; ++i) {
        prefs.set("n", i);
        prefs.synchronizeLater();
        EXPECT_EQ(prefs.integerForKey("n"), i);  // read back from memory at once
    }
    // A direct write after queued ones: no older snapshot lands over it.
    prefs.set("n", std::int64_t{21});
    ASSERT_TRUE(prefs.synchronize());
    platform::shutdown();
    EXPECT_EQ(Preferences(path).integerForKey("n"), 21);
}
