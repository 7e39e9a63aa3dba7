#pragma once
// Per-user folders (XDG) and the file operations of the application-support folder.
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
// Creates the folder with its parents only when nothing exists at the path.
// Logs "Create directory error: %@" on failure.
bool createDirectory(const std::string& path);
// The same; a folder made here is for its owner only (0700). One that was
// there keeps its mode.
bool createPrivateDirectory(const std::string& path);
// Writes `bytes` atomically only when nothing exists at the path; an existing
// file is never replaced. Logs "Write file error: %@" on failure.
bool writeFileIfAbsent(const std::string& path, const std::string& bytes);
// Writes `bytes` atomically, replacing what is there (temp file + rename).
bool writeFileAtomically(const std::string& path, const std::string& bytes);
// The same for a file only its owner may read (0600); a missing folder is
// made as createPrivateDirectory makes it.
bool writePrivateFileAtomically(const std::string& path, const std::string& bytes);
bool readFile(const std::string& path, std::string* bytes);
// A plain file name: not empty, not "." or "..", no "/", "\\", control byte
// (below 0x20, NUL included) or DEL.
bool isPlainFileName(const std::string& name);
}  // namespace Paths

}  // namespace platform
