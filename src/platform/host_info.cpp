#include "platform/host_info.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <tuple>

#include "platform/paths.h"

namespace platform {

namespace {

std::string trim(const std::string& s) {
    auto b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return {};
    auto e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

struct Address {
    int family;       // 0 for IPv4, 1 for IPv6
    int loopback;     // 0 for loopback, so that it sorts first
    std::string interface;
    std::string text;
    bool operator<(const Address& o) const {
        return std::tie(family, loopback, interface, text) < std::tie(o.family, o.loopback, o.interface, o.text);
    }
};

}  // namespace

namespace HostInfo {

std::string hostName() {
    char buf[256] = {};
    if (::gethostname(buf, sizeof buf - 1) != 0) return "localhost";
    return buf;
}

std::string userFullName() {
    std::string login;
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::string buf(size > 0 ? static_cast<std::size_t>(size) : 16384, '\0');
    passwd pw{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &pw, buf.data(), buf.size(), &found) == 0 && found) {
        if (found->pw_gecos) {
            std::string gecos = found->pw_gecos;
            std::string full = trim(gecos.substr(0, gecos.find(',')));
            if (!full.empty()) return full;
        }
        if (found->pw_name) login = found->pw_name;
    }
    if (login.empty()) {
        char name[256] = {};
        if (::getlogin_r(name, sizeof name - 1) == 0) login = name;
    }
    return login;
}

std::vector<std::string> addresses() {
    std::vector<Address> found;
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0) return {};
    for (ifaddrs* i = list; i; i = i->ifa_next) {
        if (!i->ifa_addr || !(i->ifa_flags & IFF_UP)) continue;
        char text[INET6_ADDRSTRLEN] = {};
        Address a;
        a.interface = i->ifa_name ? i->ifa_name : "";
        a.loopback = (i->ifa_flags & IFF_LOOPBACK) ? 0 : 1;
        if (i->ifa_addr->sa_family == AF_INET) {
            auto* sin = reinterpret_cast<const sockaddr_in*>(i->ifa_addr);
            if (!::inet_ntop(AF_INET, &sin->sin_addr, text, sizeof text)) continue;
            a.family = 0;
        } else if (i->ifa_addr->sa_family == AF_INET6) {
            auto* sin6 = reinterpret_cast<const sockaddr_in6*>(i->ifa_addr);
            if (!::inet_ntop(AF_INET6, &sin6->sin6_addr, text, sizeof text)) continue;
            a.family = 1;
        } else {
            continue;
        }
        a.text = text;
        found.push_back(std::move(a));
    }
    ::freeifaddrs(list);
    std::sort(found.begin(), found.end());
    std::vector<std::string> out;
    for (const auto& a : found)
        if (std::find(out.begin(), out.end(), a.text) == out.end()) out.push_back(a.text);
    return out;
}

std::optional<std::string> secondAddress() {
    auto all = addresses();
    if (all.size() < 2) return std::nullopt;
    return all[1];
}

std::string systemVersion() {
    std::string osRelease;
    if (Paths::readFile("/etc/os-release", &osRelease) || Paths::readFile("/usr/lib/os-release", &osRelease)) {
        std::size_t start = 0;
        while (start < osRelease.size()) {
            auto end = osRelease.find('\n', start);
            std::string line = osRelease.substr(start, end == std::string::npos ? std::string::npos : end - start);
            if (line.rfind("PRETTY_NAME=", 0) == 0) {
                std::string value = trim(line.substr(12));
                if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
                    value = value.substr(1, value.size() - 2);
                if (!value.empty()) return value;
            }
            if (end == std::string::npos) break;
            start = end + 1;
        }
    }
    utsname u{};
    if (::uname(&u) == 0) return std::string(u.sysname) + " " + u.release;
    return "Linux";
}

std::string model() {
    std::string name;
    if (Paths::readFile("/sys/class/dmi/id/product_name", &name)) {
        name = trim(name);
        if (!name.empty()) return name;
    }
    return "Linux PC";
}

}  // namespace HostInfo

}  // namespace platform
