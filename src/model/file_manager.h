#pragma once
// Folders and files under the user's application-support folder.
#include <optional>
#include <string>

namespace model {

class FileManager {
public:
    static constexpr const char* kResourcesDirectory = "Resources";

    // <support folder>/<application name>/<directoryName>; nullopt when the name
    // is not a plain file name.
    static std::optional<std::string> getPathForDirectory(const std::string& directoryName);
    // The directory path with the file name appended; nullopt when the name is
    // not a plain file name ("", ".", "..", a "/" or "\\" or NUL in it).
    static std::optional<std::string> getPathForFile(const std::string& fileName, const std::string& parentDirectory);
    // Anything, file or folder, at the path.
    static bool fileExistsAtPath(const std::string& path);
    // Creates the folder with its parents only when nothing exists at the path.
    // Logs "Create directory error: ..." on failure.
    static bool createDirectoryAtPath(const std::string& path);
    // Writes the content atomically only when nothing exists at the path yet; an
    // existing file is never replaced. Logs "Write file error: ..." on failure.
    static bool saveFileAtPath(const std::string& path, const std::string& fileData);
};

}  // namespace model
