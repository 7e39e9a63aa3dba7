#pragma once
// Recording AppContext for tests: fixed login and session values, and a list
// of every request that would have been sent.
#include <optional>
#include <string>
#include <vector>

#include "model/deployment_constants.h"
#include "protocol/app_context.h"

namespace protocol::testing {

class FakeAppContext : public AppContext {
public:
    std::optional<std::string> user = std::string("trader1");
    std::optional<std::string> pass = std::string("pw");
    std::optional<std::string> product = std::string("TradeDesk");
    std::optional<std::string> version = std::string("1.0.0");
    std::optional<std::string> key = std::string(deployment::kSecurityKey);
    std::optional<std::string> reference = std::string("REF9");
    std::optional<std::string> server = std::string("20261207101455");
    std::int32_t requestid = 41;
    std::string localTime = "20261207101500";

    std::vector<RequestMessage> sent;
    int pingStamps = 0;

    std::optional<std::string> userName() const override { return user; }
    std::optional<std::string> password() const override { return pass; }
    std::optional<std::string> productName() const override { return product; }
    std::optional<std::string> productVersion() const override { return version; }
    std::optional<std::string> securityKey() const override { return key; }
    std::int32_t requestId() const override { return requestid; }
    std::optional<std::string> referenceId() const override { return reference; }
    std::optional<std::string> serverTime() const override { return server; }
    std::string packedLocalTime() const override { return localTime; }
    void sendMessage(RequestMessage request) override { sent.push_back(std::move(request)); }
    void stampPingTime() override { ++pingStamps; }
};

}  // namespace protocol::testing
