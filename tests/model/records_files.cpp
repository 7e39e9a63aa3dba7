// Application-support files of downloaded resources.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "model/file_manager.h"
#include "platform/log.h"
#include "platform/paths.h"
#include "platform/resource_bundle.h"

namespace fs = std::filesystem;
using model::FileManager;

class FileManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "records_files.XXXXXX").string();
        ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
        root = tmpl;
        support = root / "data";
        fs::create_directories(support);
        ::setenv("XDG_DATA_HOME", support.c_str(), 1);
        platform::Log::setSink([this](platform::LogLevel, const std::string& m) { logged.push_back(m); });
    }
    void TearDown() override {
        platform::Log::setSink(nullptr);
        ::unsetenv("XDG_DATA_HOME");
        fs::remove_all(root);
    }
    std::string read(const fs::path& p) {
        std::string bytes;
        EXPECT_TRUE(platform::Paths::readFile(p.string(), &bytes));
        return bytes;
    }
    fs::path root;
    fs::path support;
    std::vector<std::string> logged;
};

TEST_F(FileManagerTest, PathsUnderTheApplicationFolder) {
    const auto dir = FileManager::getPathForDirectory("Resources");
    ASSERT_TRUE(dir.has_value());
    const std::string expected = (support / platform::ResourceBundle::applicationName() / "Resources").string();
    EXPECT_EQ(*dir, expected);
    EXPECT_EQ(FileManager::getPathForFile("a.pdf", *dir), expected + "/a.pdf");
}

TEST_F(FileManagerTest, SavesOnceAndNeverReplaces) {
    const std::string dir = *FileManager::getPathForDirectory(FileManager::kResourcesDirectory);
    EXPECT_FALSE(FileManager::fileExistsAtPath(dir));
    EXPECT_TRUE(FileManager::createDirectoryAtPath(dir));
    EXPECT_TRUE(FileManager::fileExistsAtPath(dir));
    EXPECT_FALSE(FileManager::createDirectoryAtPath(dir));  // already there

    const std::string path = *FileManager::getPathForFile("calendar.ics", dir);
    EXPECT_TRUE(FileManager::saveFileAtPath(path, "first"));
    EXPECT_FALSE(FileManager::saveFileAtPath(path, "second"));
    EXPECT_EQ(read(path), "first");
    EXPECT_TRUE(FileManager::fileExistsAtPath(path));
}

TEST_F(FileManagerTest, FileInPlaceOfTheFolder) {
    const std::string dir = *FileManager::getPathForDirectory("Resources");
    fs::create_directories(fs::path(dir).parent_path());
    ASSERT_TRUE(platform::Paths::writeFileAtomically(dir, "not a folder"));
    EXPECT_FALSE(FileManager::createDirectoryAtPath(dir));
    EXPECT_EQ(read(dir), "not a folder");
    EXPECT_FALSE(FileManager::saveFileAtPath(*FileManager::getPathForFile("x.txt", dir), "data"));
    ASSERT_FALSE(logged.empty());
    EXPECT_EQ(logged.back().rfind("Write file error: ", 0), 0u) << logged.back();
}

TEST_F(FileManagerTest, NamesThatAreNotPlainAreRefused) {
    const std::string dir = *FileManager::getPathForDirectory("Resources");
    ASSERT_TRUE(FileManager::createDirectoryAtPath(dir));
    for (const std::string& bad : {std::string("../x"), std::string("/etc/passwd"), std::string(""), std::string("."),
                                  std::string(".."), std::string("a/b"), std::string("a\\b"),
                                  std::string("a\0b", 3)}) {
        EXPECT_EQ(FileManager::getPathForFile(bad, dir), std::nullopt) << bad;
        EXPECT_EQ(FileManager::getPathForDirectory(bad), std::nullopt) << bad;
    }
    // Nothing appeared anywhere under the temporary root but the empty folder.
    std::size_t entries = 0;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        (void)e;
        ++entries;
    }
    EXPECT_EQ(entries, 3u);  // data, data/<app>, data/<app>/Resources
    // A leading dot is still a plain name.
    EXPECT_TRUE(FileManager::getPathForFile(".hidden", dir).has_value());
}
