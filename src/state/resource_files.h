#pragma once
// Downloaded resource files in <application support>/<app>/Resources, the
// merged calendar "calendar_ios.ics" built from every listed calendar file,
// and the check of addresses the banners may open.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "state/currency_fillers.h"
#include "state/ui_services.h"

namespace state {

namespace ResourceFiles {

inline constexpr const char* kMergedCalendarName = "calendar_ios.ics";
inline constexpr const char* kCalendarMark = ".ics";
inline constexpr const char* kDownloadCompletedNotification = "ResourceDownloadCompletedNotification";

// <application support>/<app>/Resources; nullopt when it cannot be named.
std::optional<std::string> resourcesFolder();

// Downloaded files above this size are refused.
inline constexpr std::size_t kMaxResourceSize = 64u * 1024u * 1024u;
// The Resources folder holds at most this many bytes, and one login downloads
// at most as many: what does not fit is skipped (logged) and not available.
inline constexpr std::size_t kMaxResourcesFolderSize = 256'000'000;
inline constexpr std::size_t kMaxLoginDownloadSize = 256'000'000;

// The bytes of a download answer's payload (protocol/compressed_payload.h).
// nullopt (logged) when it does not inflate within its prefix and the cap.
std::optional<std::string> decompressResource(const std::string& fileData);

// What the folder and one login's downloads may still take. Used on the I/O
// queue only; the folder is measured at the first download.
class DownloadBudget {
public:
    explicit DownloadBudget(std::size_t folderLimit = kMaxResourcesFolderSize,
                            std::size_t loginLimit = kMaxLoginDownloadSize)
        : folderLimit_(folderLimit), loginLimit_(loginLimit) {}
    // The most the next file may hold: the per-file cap or less.
    std::size_t room(const std::string& folder);
    // A file of `bytes` downloaded and written.
    void take(std::size_t bytes);
    // The folder's size changed by a rewritten file.
    void resized(std::size_t before, std::size_t after);
    // The same limits, nothing used: a new login's budget.
    DownloadBudget fresh() const { return DownloadBudget(folderLimit_, loginLimit_); }

private:
    std::size_t folderLimit_, loginLimit_;
    std::optional<std::size_t> folderUsed_;
    std::size_t loginUsed_ = 0;
};

struct SavedDownload {
    bool written = false;
    // Refused (over the budget or unreadable): the file is not available.
    bool unavailable = false;
    // Every listed calendar is on disk and the merged calendar was rebuilt.
    bool calendarsMerged = false;
};

// The listed calendar files (keys holding ".ics") that can live in the folder, in list order.
std::vector<std::string> listedCalendars(const ResourceMap& resources);

// Writes one downloaded resource, byte for byte, into `folder` unless a file
// of that name is there already, within the budget. The name must be a plain
// file name (logged and refused otherwise). For a calendar file, once every
// one of `calendars` is on disk the merged calendar is rebuilt. I/O queue:
// it inflates, writes and syncs.
SavedDownload saveFileWithName(const std::string& folder, const std::string& fileName, const std::string& fileData,
                               const std::vector<std::string>& calendars, DownloadBudget& budget);

// Every listed calendar file (a key holding ".ics") is present in the folder;
// also true when the list names none. Keys that are not plain file names, and
// the merged calendar itself, are not looked for.
bool checkFilesDownloadedAtPath(const std::string& folder, const ResourceMap& resources);

// Replaces "calendar_ios.ics" in the folder by the listed calendar files on
// disk, joined in list order.
bool rebuildMergedCalendar(const std::string& folder, const ResourceMap& resources);

}  // namespace ResourceFiles

}  // namespace state
