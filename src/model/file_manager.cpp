#include "model/file_manager.h"

#include "platform/log.h"
#include "platform/paths.h"
#include "platform/resource_bundle.h"

namespace model {

std::optional<std::string> FileManager::getPathForDirectory(const std::string& directoryName) {
    if (!platform::Paths::isPlainFileName(directoryName)) {
        platform::Log::debug("Refused directory name: " + directoryName);
        return std::nullopt;
    }
    const std::string appFolder =
        platform::Paths::join(platform::Paths::applicationSupportFolder(), platform::ResourceBundle::applicationName());
    return platform::Paths::join(appFolder, directoryName);
}

std::optional<std::string> FileManager::getPathForFile(const std::string& fileName,
                                                       const std::string& parentDirectory) {
    if (!platform::Paths::isPlainFileName(fileName)) {
        platform::Log::debug("Refused file name: " + fileName);
        return std::nullopt;
    }
    return platform::Paths::join(parentDirectory, fileName);
}

bool FileManager::fileExistsAtPath(const std::string& path) { return platform::Paths::exists(path); }

bool FileManager::createDirectoryAtPath(const std::string& path) {
    if (platform::Paths::exists(path)) return false;
    return platform::Paths::createDirectory(path);
}

bool FileManager::saveFileAtPath(const std::string& path, const std::string& fileData) {
    if (platform::Paths::exists(path)) return false;
    return platform::Paths::writeFileIfAbsent(path, fileData);
}

}  // namespace model
