#include "platform/huge_pages.h"

#include <algorithm>
#include <cstdlib>  // defines __GLIBC__ where it applies
#include <fstream>
#include <iterator>

// glibc reads the setting from 2.35 on; a sanitizer's allocator ignores it.
#if defined(__GLIBC__) && defined(__linux__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 35)) && \
    !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
#define TC_ALLOCATOR_ASKS_HUGE_PAGES 1
#include <sys/auxv.h>
#include <unistd.h>
#endif

namespace platform {

namespace {

constexpr std::string_view kOnRequestMode = "[madvise]";
constexpr const char* kTunablesVariable = "GLIBC_TUNABLES";
// Set for the restarted start only: the settings as they were before it.
constexpr const char* kBeforeVariable = "TC_TUNABLES_BEFORE_RESTART";
[[maybe_unused]] constexpr const char* kSystemModeFile = "/sys/kernel/mm/transparent_hugepage/enabled";

bool namesSetting(std::string_view tunables) {
    // Entries are "name=value", joined by ':'.
    for (std::size_t from = 0; from <= tunables.size();) {
        const std::size_t end = std::min(tunables.find(':', from), tunables.size());
        const std::string_view entry = tunables.substr(from, end - from);
        if (entry.substr(0, entry.find('=')) == kHugePagesTunable) return true;
        from = end + 1;
    }
    return false;
}

// Empty stands for no settings.
void restoreTunables(const std::string& before) {
    if (before.empty()) ::unsetenv(kTunablesVariable);
    else ::setenv(kTunablesVariable, before.c_str(), 1);
    ::unsetenv(kBeforeVariable);
}

}  // namespace

std::optional<std::string> tunablesAskingHugePages(const char* current, std::string_view systemMode) {
    if (systemMode.find(kOnRequestMode) == std::string_view::npos) return std::nullopt;
    const std::string_view tunables = current ? current : "";
    if (namesSetting(tunables)) return std::nullopt;
    std::string asking(tunables);
    if (!asking.empty()) asking += ':';
    asking.append(kHugePagesTunable).append("=1");
    return asking;
}

void restartAskingHugePages(char** argv) {
    // The restarted start: the allocator has read the request, and the
    // programs this one starts get the settings as they were.
    if (const char* before = std::getenv(kBeforeVariable)) {
        restoreTunables(before);
        return;
    }
#if defined(TC_ALLOCATOR_ASKS_HUGE_PAGES)
    // A privileged start drops the variable, and would start again for good.
    if (::getauxval(AT_SECURE) != 0 || !argv || !argv[0]) return;
    std::ifstream file(kSystemModeFile);
    const std::string mode{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    const char* current = std::getenv(kTunablesVariable);
    const std::string before = current ? current : "";
    const auto tunables = tunablesAskingHugePages(current, mode);
    if (!tunables) return;
    // By its own path, so that the process keeps its name.
    char path[4096];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return;
    path[length] = '\0';
    if (::setenv(kBeforeVariable, before.c_str(), 1) == 0 && ::setenv(kTunablesVariable, tunables->c_str(), 1) == 0)
        ::execv(path, argv);
    // Not started again: this start goes on as it is.
    restoreTunables(before);
#else
    (void)argv;
#endif
}

}  // namespace platform
