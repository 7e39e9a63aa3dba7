#pragma once
// The one-second ping of a session and the network speed graded from its
// answers (1019): the server time shown in the status bar comes from here.
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>

#include "platform/clock.h"
#include "platform/timer.h"
#include "state/dispatcher.h"
#include "state/session_component.h"

namespace state {

class SessionServices;

class PingMonitor : public SessionComponent {
public:
    explicit PingMonitor(SessionServices& services) : services_(services) {}
    ~PingMonitor() override;
    const char* componentName() const override { return "PingMonitor"; }
    void registerHandlers(Dispatcher& table) override;

    void startPingTimer();
    void stopPingTimer();
    bool isPingTimerActive() const;
    // Sends a ping; its send time is kept until the answer that answers it.
    void pingToserver();
    // The round trip from `date` to `until` (default: now).
    void calculateNetworkSpeed(std::optional<platform::WallTime> date,
                               std::optional<platform::WallTime> until = std::nullopt);
    // The speed is checked again 3.5 s after the connection dropped.
    void scheduleSpeedCheck();
    // "NetworkSpeedNotification" with the server time; nothing without one.
    void postnetworkspeedNotification(const std::optional<std::string>& text);

    // A ping went out at `at`: its answer's round trip starts there.
    void stampPingTime(platform::WallTime at) { pingTime = at; }
    std::optional<platform::WallTime> lastServerDate() const { return serverDate; }
    const std::string& serverTimeText() const { return ServerTime; }
    std::int32_t speedStatus() const { return networkspeedStatus; }

private:
    friend struct SessionTestAccess;
    std::optional<platform::WallTime> pingTime;
    std::optional<platform::WallTime> serverDate;
    std::string ServerTime;  // "yyyyMMddHHmmss" of serverDate
    std::int32_t networkspeedStatus = 0;

    void pingAnswer(const MessageFields& fields, std::optional<platform::WallTime> receivedAt);
    void cancelSpeedCheck();

    SessionServices& services_;
    // Send times of the pings sent and not yet answered, oldest first: the
    // server answers in order, so each answer takes the oldest.
    std::deque<platform::WallTime> unanswered_;
    std::unique_ptr<platform::Timer> pingTimer_;
    platform::Clock::TimerId speedCheck_ = 0;
    bool speedCheckPending_ = false;
};

}  // namespace state
