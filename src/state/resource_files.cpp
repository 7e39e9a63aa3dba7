#include "state/resource_files.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "model/file_manager.h"
#include "platform/log.h"
#include "platform/paths.h"
#include "protocol/compressed_payload.h"

namespace state::ResourceFiles {

namespace {

bool isCalendarName(const std::string& name) {
    return name.find(kCalendarMark) != std::string::npos && name != kMergedCalendarName;
}

// The bytes of the regular files directly in `folder`.
std::size_t folderSize(const std::string& folder) {
    std::error_code ec;
    std::size_t total = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        std::error_code fileError;
        if (entry.is_regular_file(fileError)) total += static_cast<std::size_t>(entry.file_size(fileError));
    }
    return total;
}

std::size_t fileSize(const std::string& path) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    return ec ? 0 : static_cast<std::size_t>(size);
}

bool allOnDisk(const std::string& folder, const std::vector<std::string>& calendars) {
    for (const std::string& name : calendars)
        if (!model::FileManager::fileExistsAtPath(platform::Paths::join(folder, name))) return false;
    return true;
}

// The merged calendar of `calendars`, within the folder's room (logged when not).
bool rebuildMerged(const std::string& folder, const std::vector<std::string>& calendars, DownloadBudget* budget) {
    std::string merged;
    for (const std::string& name : calendars) {
        std::string content;
        if (platform::Paths::readFile(platform::Paths::join(folder, name), &content))
            merged += content;
        else
            platform::Log::warning("Calendar file unreadable: " + name);
    }
    const std::string path = platform::Paths::join(folder, kMergedCalendarName);
    const std::size_t before = fileSize(path);
    if (budget && merged.size() > before && merged.size() - before > budget->room(folder)) {
        platform::Log::warning("Merged calendar of " + std::to_string(merged.size()) +
                               " bytes not written: over the resources folder's limit");
        return false;
    }
    if (!platform::Paths::writeFileAtomically(path, merged)) return false;
    if (budget) budget->resized(before, merged.size());
    return true;
}

}  // namespace

std::vector<std::string> listedCalendars(const ResourceMap& resources) {
    std::vector<std::string> out;
    for (const auto& [key, resource] : resources)
        if (isCalendarName(key) && platform::Paths::isPlainFileName(key)) out.push_back(key);
    return out;
}

std::optional<std::string> resourcesFolder() {
    return model::FileManager::getPathForDirectory(model::FileManager::kResourcesDirectory);
}

std::optional<std::string> decompressResource(const std::string& fileData) {
    auto plain = protocol::inflatePayload(fileData, kMaxResourceSize);
    if (!plain) platform::Log::debug("Resource download: payload refused");
    return plain;
}

std::size_t DownloadBudget::room(const std::string& folder) {
    if (!folderUsed_) folderUsed_ = folderSize(folder);
    const std::size_t folderRoom = *folderUsed_ < folderLimit_ ? folderLimit_ - *folderUsed_ : 0;
    const std::size_t loginRoom = loginUsed_ < loginLimit_ ? loginLimit_ - loginUsed_ : 0;
    return std::min({kMaxResourceSize, folderRoom, loginRoom});
}

void DownloadBudget::take(std::size_t bytes) {
    loginUsed_ += bytes;
    folderUsed_ = folderUsed_.value_or(0) + bytes;
}

void DownloadBudget::resized(std::size_t before, std::size_t after) {
    const std::size_t used = folderUsed_.value_or(0) + after;
    folderUsed_ = used > before ? used - before : 0;
}

SavedDownload saveFileWithName(const std::string& folder, const std::string& fileName, const std::string& fileData,
                               const std::vector<std::string>& calendars, DownloadBudget& budget) {
    SavedDownload saved;
    const auto path = model::FileManager::getPathForFile(fileName, folder);
    if (!path) {
        platform::Log::warning("Resource download refused: \"" + fileName + "\" is not a plain file name");
        return saved;
    }
    if (!model::FileManager::fileExistsAtPath(folder)) model::FileManager::createDirectoryAtPath(folder);

    if (!model::FileManager::fileExistsAtPath(*path)) {
        const std::size_t room = budget.room(folder);
        protocol::PayloadRefusal refusal;
        const auto bytes = protocol::inflatePayload(fileData, room, 0, &refusal);
        if (!bytes) {
            if (refusal.cause == protocol::PayloadRefusal::Cause::OverCap)
                platform::Log::warning("Resource download of \"" + fileName + "\" (" + std::to_string(refusal.stated) +
                                       " bytes) skipped: " + std::to_string(room) +
                                       " bytes left of the resources folder's and this login's limits");
            else
                platform::Log::warning("Resource download of \"" + fileName + "\" does not inflate: not saved");
            saved.unavailable = true;
            return saved;
        }
        saved.written = model::FileManager::saveFileAtPath(*path, *bytes);
        if (saved.written) budget.take(bytes->size());
    }
    if (isCalendarName(fileName) && allOnDisk(folder, calendars))
        saved.calendarsMerged = rebuildMerged(folder, calendars, &budget);
    return saved;
}

bool checkFilesDownloadedAtPath(const std::string& folder, const ResourceMap& resources) {
    return allOnDisk(folder, listedCalendars(resources));
}

bool rebuildMergedCalendar(const std::string& folder, const ResourceMap& resources) {
    return rebuildMerged(folder, listedCalendars(resources), nullptr);
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
