#pragma once
// Per-user folders (XDG) and the file operations of the application-support folder.
// Every folder and file made here is its owner's alone: folders 0700, files
// 0600; what was there before keeps its mode.
#include <string>

namespace platform {

namespace Paths {
// $XDG_DATA_HOME, falling back to ~/.local/share.
std::string applicationSupportFolder();
// $XDG_CONFIG_HOME/<app>, falling back to ~/.config/<app>.
std::string configFolder();
// $XDG_STATE_HOME/<app>, falling back to ~/.local/state/<app> (the log).
std::string stateFolder();
std::string join(const std::string& a, const std::string& b);
// Anything (file or folder) at the path.
bool exists(const std::string& path);
// Creates the folder with its missing parents (each 0700) only when nothing
// exists at the path. Logs "Create directory error: %@" on failure.
bool createDirectory(const std::string& path);
// The same, named where a folder holds private data (preferences, the log).
bool createPrivateDirectory(const std::string& path);
// Writes `bytes` atomically only when nothing exists at the path; an existing
// file is never replaced. Logs "Write file error: %@" on failure.
bool writeFileIfAbsent(const std::string& path, const std::string& bytes);
// Writes `bytes` atomically, replacing what is there (temp file + rename).
bool writeFileAtomically(const std::string& path, const std::string& bytes);
// The same, its missing folder made as createPrivateDirectory makes it.
bool writePrivateFileAtomically(const std::string& path, const std::string& bytes);
bool readFile(const std::string& path, std::string* bytes);
// A plain file name: not empty, not "." or "..", no "/", "\\", control byte
// (below 0x20, NUL included) or DEL.
bool isPlainFileName(const std::string& name);
}  // namespace Paths

}  // namespace platform
