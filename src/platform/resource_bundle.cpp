#include "platform/resource_bundle.h"

#include <sys/stat.h>
#include <unistd.h>

#include <mutex>

#include "platform/paths.h"

#ifndef TC_APP_NAME
#define TC_APP_NAME "TradingClient"
#endif
#ifndef TC_APP_VERSION
#define TC_APP_VERSION "0.0.0"
#endif

namespace platform {

namespace {

std::mutex& bundleMutex() {
    static std::mutex m;
    return m;
}

std::string& overrideDirectory() {
    static std::string dir;
    return dir;
}

bool isDirectory(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isRegularFile(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string executableFolder() {
    char buf[4096];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return {};
    std::string path(buf, static_cast<std::size_t>(n));
    auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// Installed: resources/ beside the binary. Development and tests: the source tree.
std::string searchResourceDirectory() {
    std::string exe = executableFolder();
    if (!exe.empty() && isDirectory(Paths::join(exe, "resources"))) return Paths::join(exe, "resources");
#ifdef TC_SOURCE_DIR
    std::string source = Paths::join(TC_SOURCE_DIR, "resources");
    if (isDirectory(source)) return source;
#endif
    return exe.empty() ? std::string("resources") : Paths::join(exe, "resources");
}

// A relative resource path of plain components ("sounds/alert"), never leaving the folder.
bool isSafeRelativePath(const std::string& name) {
    if (name.empty()) return false;
    std::size_t start = 0;
    while (start <= name.size()) {
        auto slash = name.find('/', start);
        std::string part = name.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        if (!Paths::isPlainFileName(part)) return false;
        if (slash == std::string::npos) break;
        start = slash + 1;
    }
    return true;
}

}  // namespace

namespace ResourceBundle {

const std::string& applicationName() {
    static const std::string name = TC_APP_NAME;
    return name;
}

const std::string& applicationVersion() {
    static const std::string version = TC_APP_VERSION;
    return version;
}

const std::string& applicationCopyright() {
    static const std::string copyright = TC_APP_COPYRIGHT;
    return copyright;
}

void setResourceDirectory(const std::string& dir) {
    std::lock_guard<std::mutex> lock(bundleMutex());
    overrideDirectory() = dir;
}

std::string resourceDirectory() {
    {
        std::lock_guard<std::mutex> lock(bundleMutex());
        if (!overrideDirectory().empty()) return overrideDirectory();
    }
    static const std::string found = searchResourceDirectory();
    return found;
}

std::optional<std::string> pathForResource(const std::string& name, const std::string& extension) {
    if (!isSafeRelativePath(name)) return std::nullopt;
    if (!extension.empty() && !Paths::isPlainFileName(extension)) return std::nullopt;
    std::string path = Paths::join(resourceDirectory(), extension.empty() ? name : name + "." + extension);
    if (!isRegularFile(path)) return std::nullopt;
    return path;
}

PlistValue propertyList(const std::string& name) {
    auto path = pathForResource(name, "plist");
    if (!path) return PlistValue{};
    return PropertyList::readFile(*path);
}

std::string languageDirectory(const std::string& language) {
    if (!Paths::isPlainFileName(language)) return {};
    std::string dir = Paths::join(resourceDirectory(), language + ".lproj");
    return isDirectory(dir) ? dir : std::string();
}

}  // namespace ResourceBundle

}  // namespace platform
