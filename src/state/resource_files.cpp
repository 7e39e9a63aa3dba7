#include "state/resource_files.h"

#include <algorithm>
#include <cctype>

#include "model/file_manager.h"
#include "platform/log.h"
#include "platform/paths.h"
#include "protocol/compressed_payload.h"

namespace state::ResourceFiles {

namespace {

bool isCalendarName(const std::string& name) {
    return name.find(kCalendarMark) != std::string::npos && name != kMergedCalendarName;
}

// The listed calendar files that can live in the folder, in list order.
std::vector<std::string> listedCalendars(const ResourceMap& resources) {
    std::vector<std::string> out;
    for (const auto& [key, resource] : resources)
        if (isCalendarName(key) && platform::Paths::isPlainFileName(key)) out.push_back(key);
    return out;
}

}  // namespace

std::optional<std::string> resourcesFolder() {
    return model::FileManager::getPathForDirectory(model::FileManager::kResourcesDirectory);
}

std::optional<std::string> decompressResource(const std::string& fileData) {
    auto plain = protocol::inflatePayload(fileData, kMaxResourceSize);
    if (!plain) platform::Log::debug("Resource download: payload refused");
    return plain;
}

bool saveFileWithName(const std::string& folder, const std::string& fileName, const std::string& fileData,
                      const ResourceMap& resources, const Post& post) {
    const auto path = model::FileManager::getPathForFile(fileName, folder);
    if (!path) {
        platform::Log::warning("Resource download refused: \"" + fileName + "\" is not a plain file name");
        return false;
    }
    if (!model::FileManager::fileExistsAtPath(folder)) model::FileManager::createDirectoryAtPath(folder);

    bool written = false;
    if (const auto bytes = decompressResource(fileData))
        written = model::FileManager::saveFileAtPath(*path, *bytes);

    if (isCalendarName(fileName) && checkFilesDownloadedAtPath(folder, resources)) {
        rebuildMergedCalendar(folder, resources);
        if (post) post(kDownloadCompletedNotification);
    }
    return written;
}

bool checkFilesDownloadedAtPath(const std::string& folder, const ResourceMap& resources) {
    for (const std::string& name : listedCalendars(resources))
        if (!model::FileManager::fileExistsAtPath(platform::Paths::join(folder, name))) return false;
    return true;
}

bool rebuildMergedCalendar(const std::string& folder, const ResourceMap& resources) {
    std::string merged;
    for (const std::string& name : listedCalendars(resources)) {
        std::string content;
        if (platform::Paths::readFile(platform::Paths::join(folder, name), &content))
            merged += content;
        else
            platform::Log::warning("Calendar file unreadable: " + name);
    }
    return platform::Paths::writeFileAtomically(platform::Paths::join(folder, kMergedCalendarName), merged);
}

bool isOpenableUrl(const std::string& url) {
    std::string lower(url.substr(0, 8));
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    std::size_t rest = 0;
    if (lower.rfind("http://", 0) == 0)
        rest = 7;
    else if (lower.rfind("https://", 0) == 0)
        rest = 8;
    else
        return false;
    if (url.size() <= rest) return false;
    return std::none_of(url.begin(), url.end(), [](unsigned char c) { return c <= 0x20 || c == 0x7f; });
}

}  // namespace state::ResourceFiles
