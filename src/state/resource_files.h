#pragma once
// Downloaded resource files in <application support>/<app>/Resources, the
// merged calendar "calendar_ios.ics" built from every listed calendar file,
// and the check of addresses the banners may open.
#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "state/currency_fillers.h"
#include "state/ui_services.h"

namespace state {

namespace ResourceFiles {

inline constexpr const char* kMergedCalendarName = "calendar_ios.ics";
inline constexpr const char* kCalendarMark = ".ics";
inline constexpr const char* kDownloadCompletedNotification = "ResourceDownloadCompletedNotification";

// Posts a notification by name (on the main thread).
using Post = std::function<void(const std::string& name)>;

// <application support>/<app>/Resources; nullopt when it cannot be named.
std::optional<std::string> resourcesFolder();

// Downloaded files above this size are refused.
inline constexpr std::size_t kMaxResourceSize = 64u * 1024u * 1024u;

// The bytes of a download answer's payload (protocol/compressed_payload.h).
// nullopt (logged) when it does not inflate within its prefix and the cap.
std::optional<std::string> decompressResource(const std::string& fileData);

// Writes one downloaded resource, byte for byte, into `folder` unless a file
// of that name is there already. The name must be a plain file name (logged
// and refused otherwise). For a calendar file, once every calendar of the list
// is on disk the merged calendar is rebuilt and `post` gets
// "ResourceDownloadCompletedNotification". Returns whether the file was written.
bool saveFileWithName(const std::string& folder, const std::string& fileName, const std::string& fileData,
                      const ResourceMap& resources, const Post& post);

// Every listed calendar file (a key holding ".ics") is present in the folder;
// also true when the list names none. Keys that are not plain file names, and
// the merged calendar itself, are not looked for.
bool checkFilesDownloadedAtPath(const std::string& folder, const ResourceMap& resources);

// Replaces "calendar_ios.ics" in the folder by the listed calendar files on
// disk, joined in list order.
bool rebuildMergedCalendar(const std::string& folder, const ResourceMap& resources);

}  // namespace ResourceFiles

}  // namespace state
