#pragma once
// What the tests against the simulator share: the login settings for its
// session port, and the main loop run in real time until a condition holds.
#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "integration/sim_process.h"
#include "model/login_inputdata.h"
#include "platform/main_executor.h"

namespace integration {

inline void setLogin(model::LoginInputdata& login, const SimProcess& sim, const std::string& user = "trader",
                     const std::string& password = "secret1") {
    login.setUserName(user);
    login.setPassword(password);
    login.setIPAddress("127.0.0.1");
    login.setPortNo(sim.sessionPort());
    login.setSecurityKey("Qm7vT2xK9pL4wR8nZ3cF6hJ1sD5gB0yE");
    login.setProductName("TradingClient");
    login.setProductVersion("0.1.0");
}

inline bool pump(platform::ManualRunLoop& loop, const std::function<bool()>& done,
                 std::chrono::milliseconds timeout = std::chrono::milliseconds(10000)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        loop.runUntilIdle();
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    loop.runUntilIdle();
    return done();
}

}  // namespace integration
