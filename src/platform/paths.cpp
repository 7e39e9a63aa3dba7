#include "platform/paths.h"

#include <fcntl.h>
#include <pwd.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/log.h"
#include "platform/resource_bundle.h"

namespace platform {

namespace {

std::string homeFolder() {
    const char* home = std::getenv("HOME");
    if (home && *home) return home;
    if (const passwd* pw = getpwuid(getuid())) {
        if (pw->pw_dir && *pw->pw_dir) return pw->pw_dir;
    }
    return "/tmp";
}

// An XDG variable counts only when it holds an absolute path.
std::string xdgFolder(const char* variable, const char* fallback) {
    const char* value = std::getenv(variable);
    if (value && value[0] == '/') return value;
    return Paths::join(homeFolder(), fallback);
}

std::string errorText(int err, const std::string& path) {
    return std::string(std::strerror(err)) + " (" + path + ")";
}

bool writeAll(int fd, const std::string& bytes) {
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

// Writes `bytes` to a fresh temporary file beside `path` (0600, as every file
// the client makes); returns its name or "" with errno set.
std::string writeTemporary(const std::string& path, const std::string& bytes) {
    std::string tmp = path + ".tmp.XXXXXX";
    int fd = ::mkstemp(tmp.data());  // created 0600
    if (fd < 0) return {};
    bool ok = writeAll(fd, bytes) && ::fsync(fd) == 0;
    int err = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        ::unlink(tmp.c_str());
        errno = err;
        return {};
    }
    return tmp;
}

void syncParentFolder(const std::string& path) {
    auto slash = path.find_last_of('/');
    std::string dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

bool replaceFile(const std::string& path, const std::string& bytes) {
    if (path.empty()) return false;
    std::string tmp = writeTemporary(path, bytes);
    if (tmp.empty()) {
        Log::error("Write file error: " + errorText(errno, path));
        return false;
    }
    if (::rename(tmp.c_str(), path.c_str()) != 0) {
        int err = errno;
        ::unlink(tmp.c_str());
        Log::error("Write file error: " + errorText(err, path));
        return false;
    }
    syncParentFolder(path);
    return true;
}

}  // namespace

namespace Paths {

std::string applicationSupportFolder() { return xdgFolder("XDG_DATA_HOME", ".local/share"); }

std::string configFolder() {
    return join(xdgFolder("XDG_CONFIG_HOME", ".config"), ResourceBundle::applicationName());
}

std::string stateFolder() {
    return join(xdgFolder("XDG_STATE_HOME", ".local/state"), ResourceBundle::applicationName());
}

std::string join(const std::string& a, const std::string& b) {
    if (a.empty()) return b;
    if (b.empty()) return a;
    std::string out = a;
    while (out.size() > 1 && out.back() == '/') out.pop_back();
    std::size_t start = 0;
    while (start < b.size() && b[start] == '/') ++start;
    if (out != "/") out += '/';
    out.append(b, start, std::string::npos);
    return out;
}

bool exists(const std::string& path) {
    struct stat st;
    return !path.empty() && ::lstat(path.c_str(), &st) == 0;
}

bool createDirectory(const std::string& path) {
    if (path.empty()) {
        Log::error("Create directory error: empty path");
        return false;
    }
    struct stat st;
    if (::lstat(path.c_str(), &st) == 0) {
        // Something is already there; a file standing in the way is left alone.
        if (S_ISDIR(st.st_mode)) return true;
        return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    }
    // Each missing folder of the path is made for its owner only; those that
    // were there (the user's own) keep their mode.
    std::size_t end = 0;
    while (end != std::string::npos) {
        end = path.find('/', end + 1);
        const std::string part = path.substr(0, end);
        if (part.empty() || ::mkdir(part.c_str(), 0700) == 0) continue;
        const int err = errno;
        if (err == EEXIST && ::stat(part.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) continue;
        Log::error("Create directory error: " + errorText(err == EEXIST ? ENOTDIR : err, part));
        return false;
    }
    return true;
}

bool createPrivateDirectory(const std::string& path) { return createDirectory(path); }

bool writeFileIfAbsent(const std::string& path, const std::string& bytes) {
    if (path.empty() || exists(path)) return false;
    std::string tmp = writeTemporary(path, bytes);
    if (tmp.empty()) {
        Log::error("Write file error: " + errorText(errno, path));
        return false;
    }
    // Publish without replacing: rename that refuses an existing target, or a hard link
    // where the file system does not offer that.
    int rc = ::renameat2(AT_FDCWD, tmp.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE);
    int err = errno;
    if (rc != 0 && (err == EINVAL || err == ENOSYS || err == ENOTSUP)) {
        rc = ::link(tmp.c_str(), path.c_str());
        err = errno;
        ::unlink(tmp.c_str());
    }
    if (rc != 0) {
        ::unlink(tmp.c_str());
        if (err != EEXIST) Log::error("Write file error: " + errorText(err, path));
        return false;
    }
    syncParentFolder(path);
    return true;
}

bool writeFileAtomically(const std::string& path, const std::string& bytes) { return replaceFile(path, bytes); }

bool writePrivateFileAtomically(const std::string& path, const std::string& bytes) {
    auto slash = path.find_last_of('/');
    if (slash != std::string::npos && slash > 0) {
        if (!createPrivateDirectory(path.substr(0, slash))) return false;
    }
    return replaceFile(path, bytes);
}


bool readFile(const std::string& path, std::string* bytes) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    std::string out;
    out.reserve(static_cast<std::size_t>(st.st_size));
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            return false;
        }
        if (n == 0) break;
        out.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    if (bytes) *bytes = std::move(out);
    return true;
}

bool isPlainFileName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '/' || c == '\\' || byte < 0x20 || byte == 0x7F) return false;
    }
    return true;
}

}  // namespace Paths

}  // namespace platform
