#include "platform/paths.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "platform/log.h"
#include "platform/resource_bundle.h"
#include "platform/test_env.h"

using namespace platform;
using platform::testing::TempDir;

namespace {

struct LogCapture {
    std::vector<std::string> lines;
    LogCapture() {
        Log::setSink([this](LogLevel, const std::string& m) { lines.push_back(m); });
    }
    ~LogCapture() { Log::setSink(nullptr); }
};

}  // namespace

TEST(Paths, XdgFoldersAndFallbacks) {
    std::string savedData = std::getenv("XDG_DATA_HOME") ? std::getenv("XDG_DATA_HOME") : "";
    std::string savedConfig = std::getenv("XDG_CONFIG_HOME") ? std::getenv("XDG_CONFIG_HOME") : "";
    std::string savedHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    setenv("HOME", "/home/someone", 1);
    setenv("XDG_DATA_HOME", "/data", 1);
    setenv("XDG_CONFIG_HOME", "/cfg/", 1);
    setenv("XDG_STATE_HOME", "/state", 1);
    EXPECT_EQ(Paths::stateFolder(), "/state/" + ResourceBundle::applicationName());
    unsetenv("XDG_STATE_HOME");
    EXPECT_EQ(Paths::stateFolder(), "/home/someone/.local/state/" + ResourceBundle::applicationName());
    EXPECT_EQ(Paths::applicationSupportFolder(), "/data");
    EXPECT_EQ(Paths::configFolder(), "/cfg/" + ResourceBundle::applicationName());
    unsetenv("XDG_DATA_HOME");
    setenv("XDG_CONFIG_HOME", "relative", 1);  // not absolute: ignored
    EXPECT_EQ(Paths::applicationSupportFolder(), "/home/someone/.local/share");
    EXPECT_EQ(Paths::configFolder(), "/home/someone/.config/" + ResourceBundle::applicationName());
    auto restore = [](const char* k, const std::string& v) { v.empty() ? unsetenv(k) : setenv(k, v.c_str(), 1); };
    restore("XDG_DATA_HOME", savedData);
    restore("XDG_CONFIG_HOME", savedConfig);
    restore("HOME", savedHome);
    EXPECT_EQ(Paths::join("/a/", "/b"), "/a/b");
    EXPECT_EQ(Paths::join("/", "b"), "/b");
    EXPECT_EQ(Paths::join("", "b"), "b");
}

TEST(Paths, CreateDirectoryMakesParentsAndLeavesAFileInTheWayAlone) {
    TempDir dir;
    std::string deep = dir / "a/b/Resources";
    EXPECT_TRUE(Paths::createDirectory(deep));
    EXPECT_TRUE(Paths::exists(deep));
    EXPECT_TRUE(Paths::createDirectory(deep));  // already there

    std::string blocked = dir / "file";
    ASSERT_TRUE(Paths::writeFileIfAbsent(blocked, "x"));
    LogCapture log;
    EXPECT_FALSE(Paths::createDirectory(blocked));
    EXPECT_TRUE(log.lines.empty());  // counts as existing: nothing created, nothing logged
    // Writing into it fails with the logged error.
    EXPECT_FALSE(Paths::writeFileIfAbsent(blocked + "/inner", "y"));
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0].rfind("Write file error: ", 0), 0u);
    EXPECT_FALSE(Paths::createDirectory(blocked + "/sub"));
    ASSERT_EQ(log.lines.size(), 2u);
    EXPECT_EQ(log.lines[1].rfind("Create directory error: ", 0), 0u);
}

// Every folder and file made here is the owner's alone, whatever the umask; a
// folder not made here (the user's own, through a link, read-only) keeps its mode.
TEST(Paths, WhatIsMadeIsTheOwnersAloneAndOtherFoldersKeepTheirMode) {
    TempDir dir;
    const mode_t umaskBefore = ::umask(0);
    const auto mode = [](const std::string& p) {
        struct stat st{};
        ::stat(p.c_str(), &st);
        return st.st_mode & 07777;
    };
    ASSERT_EQ(::mkdir((dir / "shared").c_str(), 0755), 0);
    ASSERT_EQ(::mkdir((dir / "target").c_str(), 0755), 0);
    ASSERT_EQ(::symlink((dir / "target").c_str(), (dir / "linked").c_str()), 0);
    ASSERT_EQ(::mkdir((dir / "readonly").c_str(), 0500), 0);
    using Make = bool (*)(const std::string&);
    const Make folder = [](const std::string& p) { return Paths::createDirectory(p); },
               privateFolder = [](const std::string& p) { return Paths::createPrivateDirectory(p); },
               file = [](const std::string& p) { return Paths::writeFileAtomically(p, "x"); },
               fileIfAbsent = [](const std::string& p) { return Paths::writeFileIfAbsent(p, "x"); },
               privateFile = [](const std::string& p) { return Paths::writePrivateFileAtomically(p, "x"); };
    const struct {
        Make make;
        const char* path;
        bool made;
        std::vector<std::pair<const char*, mode_t>> modes;
    } rows[] = {
        {folder, "a/b/c", true, {{"a", 0700}, {"a/b", 0700}, {"a/b/c", 0700}}},
        {privateFolder, "shared/log", true, {{"shared", 0755}, {"shared/log", 0700}}},
        {file, "shared/f", true, {{"shared/f", 0600}}},
        {fileIfAbsent, "a/g", true, {{"a/g", 0600}}},
        {privateFile, "p/q/prefs", true, {{"p", 0700}, {"p/q", 0700}, {"p/q/prefs", 0600}}},
        {privateFile, "shared/prefs", true, {{"shared", 0755}, {"shared/prefs", 0600}}},
        {privateFile, "linked/prefs", true, {{"target", 0755}}},
        {privateFile, "readonly/prefs", ::geteuid() == 0, {{"readonly", 0500}}},  // root writes anyway; the mode stays
    };
    for (const auto& r : rows) {
        LogCapture log;  // a refused write is logged
        EXPECT_EQ(r.make(dir / r.path), r.made) << r.path;
        for (const auto& [path, expected] : r.modes) EXPECT_EQ(mode(dir / path), expected) << r.path << ": " << path;
    }
    ::chmod((dir / "readonly").c_str(), 0700);
    ::umask(umaskBefore);
}

TEST(Paths, WriteIfAbsentKeepsTheFirstContent) {
    TempDir dir;
    std::string path = dir / "report.pdf";
    EXPECT_TRUE(Paths::writeFileIfAbsent(path, "first"));
    EXPECT_FALSE(Paths::writeFileIfAbsent(path, "second"));
    std::string bytes;
    ASSERT_TRUE(Paths::readFile(path, &bytes));
    EXPECT_EQ(bytes, "first");
    EXPECT_TRUE(Paths::writeFileAtomically(path, std::string("a\0b", 3)));
    ASSERT_TRUE(Paths::readFile(path, &bytes));
    EXPECT_EQ(bytes, std::string("a\0b", 3));
    EXPECT_FALSE(Paths::readFile(dir.path(), &bytes));  // a folder is not a file
    EXPECT_FALSE(Paths::readFile(dir / "missing", &bytes));
}

TEST(Paths, PlainFileNames) {
    for (const char* ok : {"a.txt", "..a", "a b", "Résumé.pdf"}) EXPECT_TRUE(Paths::isPlainFileName(ok)) << ok;
    for (const char* bad : {"", ".", "..", "a/b", "..\\x", "/etc"}) EXPECT_FALSE(Paths::isPlainFileName(bad)) << bad;
    EXPECT_FALSE(Paths::isPlainFileName(std::string("a\0b", 3)));
    for (const char* control : {"a\x01", "\x1f", "tab\tname", "del\x7f"})
        EXPECT_FALSE(Paths::isPlainFileName(control)) << control;
}
