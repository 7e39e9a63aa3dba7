#pragma once
// The logged-in user as the login data describes it: ids, rights and the ports
// of the two ZeroMQ channels (on the host of the login settings).
#include <cstdint>

namespace model {

class UserInfo {
  public:
    std::int32_t UserId = 0;
    std::int32_t LastRefId = 0;
    std::int32_t NewRefId = 0;
    std::int32_t DdeEnabled = 0;
    bool UserEnabled = false;
    std::int32_t UserTypeId = 0;
    std::int32_t ForceLogoutRefId = 0;
    std::int32_t ForceLogoutLoadServerId = 0;
    std::int32_t AppModeId = 0;
    bool CanChangePassword = false;
    std::int32_t OfflineMessageCount = 0;
    std::int32_t tradePubPort = 0;     // stored only
    std::int32_t marketdepthPort = 0;  // subscription feed
    std::int32_t hdServerPort = 0;     // request channel
    std::uint64_t productID = 0;
    std::uint64_t systemCurrencyId = 0;

    // A channel port that a socket can use.
    static bool isUsablePort(std::int32_t port) { return port > 0 && port <= 65535; }
};

}  // namespace model
