// Downloaded resource files, the merged calendar and the addresses banners may open.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "model/base64.h"
#include "platform/log.h"
#include "platform/paths.h"
#include "protocol/payload_prefix.h"
#include "state/resource_files.h"

namespace fs = std::filesystem;
using namespace state;
namespace RF = state::ResourceFiles;

namespace {

// A download payload as the server sends it: Base64 of the size prefix and a gzip stream.
std::string payload(const std::string& bytes) {
    return *model::Base64::encodeBase64WithData(protocol::testing::payloadPrefix(bytes.size()) +
                                                *model::DataAdditions::gzipDeflate(bytes));
}

class ResourceFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "resource_files.XXXXXX").string();
        ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
        root = tmpl;
        ::setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
        platform::Log::setSink([this](platform::LogLevel, const std::string& m) { logged.push_back(m); });
        folder = *RF::resourcesFolder();
    }
    void TearDown() override {
        platform::Log::setSink(nullptr);
        ::unsetenv("XDG_DATA_HOME");
        fs::remove_all(root);
    }
    void list(const std::string& key) {
        auto r = std::make_shared<model::ResourceDetails>();
        r->iconResourceId = key;
        resources.set(key, r);
    }
    bool save(const std::string& name, const std::string& bytes) {
        const RF::SavedDownload saved =
            RF::saveFileWithName(folder, name, payload(bytes), RF::listedCalendars(resources), budget);
        if (saved.calendarsMerged) posted.push_back(RF::kDownloadCompletedNotification);
        return saved.written;
    }
    std::string read(const std::string& name) {
        std::string bytes;
        EXPECT_TRUE(platform::Paths::readFile(platform::Paths::join(folder, name), &bytes)) << name;
        return bytes;
    }
    bool exists(const std::string& name) { return fs::exists(fs::path(folder) / name); }

    fs::path root;
    std::string folder;
    ResourceMap resources;
    std::vector<std::string> posted;
    std::vector<std::string> logged;
    RF::DownloadBudget budget;
};

}  // namespace

TEST_F(ResourceFilesTest, FolderIsUnderTheApplicationSupportFolder) {
    EXPECT_EQ(fs::path(folder).filename(), "Resources");
    EXPECT_EQ(fs::path(folder).parent_path().parent_path(), root / "data");
}

TEST_F(ResourceFilesTest, BinaryFileStoredByteIdenticalAndWrittenOnce) {
    std::string binary("%PDF\0\xff\xfe\x80 tail", 13);
    EXPECT_TRUE(save("brochure.pdf", binary));
    EXPECT_EQ(read("brochure.pdf"), binary);
    EXPECT_FALSE(save("brochure.pdf", "second"));
    EXPECT_EQ(read("brochure.pdf"), binary);
    EXPECT_TRUE(posted.empty());
}

TEST_F(ResourceFilesTest, NamesThatAreNotPlainFileNamesAreRefused) {
    for (const std::string& bad : std::vector<std::string>{"../evil.ics", "..", ".", "", "a/b.ics", "a\\b.ics", std::string("x\0y", 3),
                                   "/etc/passwd"}) {
        EXPECT_FALSE(save(bad, "BEGIN:VCALENDAR")) << bad;
    }
    EXPECT_FALSE(fs::exists(fs::path(folder).parent_path() / "evil.ics"));
    EXPECT_FALSE(fs::exists(root / "data" / "evil.ics"));
    EXPECT_TRUE(!fs::exists(folder) || fs::is_empty(folder));
    EXPECT_FALSE(logged.empty());
}

TEST_F(ResourceFilesTest, PayloadThatDoesNotInflateWritesNothing) {
    for (const std::string& data : {std::string("not base64 !!"), *model::Base64::encodeBase64WithData("\1\2\3\4garbage")}) {
        const RF::SavedDownload saved = RF::saveFileWithName(folder, "a.pdf", data, {}, budget);
        EXPECT_TRUE(!saved.written && saved.unavailable) << data;
    }
    EXPECT_FALSE(exists("a.pdf"));
}

TEST_F(ResourceFilesTest, MergedCalendarOnceEveryListedCalendarIsOnDisk) {
    list("holidays.ics");
    list("brochure.pdf");
    list("events.ics");
    EXPECT_TRUE(save("events.ics", "EVENTS\n"));
    EXPECT_FALSE(exists(RF::kMergedCalendarName));
    EXPECT_TRUE(posted.empty());

    EXPECT_TRUE(save("holidays.ics", "HOLIDAYS\n"));
    // List order: holidays first.
    EXPECT_EQ(read(RF::kMergedCalendarName), "HOLIDAYS\nEVENTS\n");
    EXPECT_EQ(posted, std::vector<std::string>{"ResourceDownloadCompletedNotification"});

    // A non-calendar download posts nothing.
    EXPECT_TRUE(save("brochure.pdf", "pdf"));
    EXPECT_EQ(posted.size(), 1u);
    // Every folder and file made on the way is the owner's alone.
    const auto mode = [](const fs::path& p) { return fs::status(p).permissions(); };
    for (const fs::path& made : {root / "data", fs::path(folder).parent_path(), fs::path(folder)})
        EXPECT_EQ(mode(made), fs::perms::owner_all) << made;
    for (const char* file : {"events.ics", "brochure.pdf", RF::kMergedCalendarName})
        EXPECT_EQ(mode(fs::path(folder) / file), fs::perms::owner_read | fs::perms::owner_write) << file;
}

TEST_F(ResourceFilesTest, StaleMergedCalendarIsReplacedWithFilesFromEarlierSessions) {
    list("a.ics");
    list("b.ics");
    fs::create_directories(folder);
    std::string stale = "OLD MERGE";
    ASSERT_TRUE(platform::Paths::writeFileIfAbsent(platform::Paths::join(folder, "calendar_ios.ics"), stale));
    ASSERT_TRUE(platform::Paths::writeFileIfAbsent(platform::Paths::join(folder, "a.ics"), "A-from-before\n"));
    EXPECT_TRUE(save("b.ics", "B\n"));
    EXPECT_EQ(read("calendar_ios.ics"), "A-from-before\nB\n");
    EXPECT_EQ(posted.size(), 1u);
    EXPECT_TRUE(RF::checkFilesDownloadedAtPath(folder, resources));
}

TEST_F(ResourceFilesTest, CheckIgnoresNamesThatCannotBeFiles) {
    EXPECT_TRUE(RF::checkFilesDownloadedAtPath(folder, resources));  // empty list
    list("../evil.ics");
    list("calendar_ios.ics");
    EXPECT_TRUE(RF::checkFilesDownloadedAtPath(folder, resources));
    list("real.ics");
    EXPECT_FALSE(RF::checkFilesDownloadedAtPath(folder, resources));
}

TEST(OpenableUrl, OnlyHttpAndHttps) {
    EXPECT_TRUE(RF::isOpenableUrl("http://example.test/app.dmg"));
    EXPECT_TRUE(RF::isOpenableUrl("HTTPS://example.test/"));
    EXPECT_FALSE(RF::isOpenableUrl("file:///etc/passwd"));
    EXPECT_FALSE(RF::isOpenableUrl("javascript:alert(1)"));
    EXPECT_FALSE(RF::isOpenableUrl("https://"));
    EXPECT_FALSE(RF::isOpenableUrl("http://a b"));
    EXPECT_FALSE(RF::isOpenableUrl(""));
    EXPECT_FALSE(RF::isOpenableUrl("httpx://a"));
}
