#include "state/ping_monitor.h"

#include "platform/log.h"
#include "platform/main_executor.h"
#include "platform/notification_center.h"
#include "protocol/message_cracker.h"
#include "protocol/tags.h"
#include "platform/notification_center.h"
#include "protocol/message_base.h"
#include "state/notification_payloads.h"
#include "state/session_notifications.h"
#include "state/session_services.h"
#include "state/network_speed.h"
#include "state/packed_time.h"
#include "state/session_notifications.h"

namespace state {

namespace {
constexpr auto kPingInterval = std::chrono::seconds(1);
constexpr auto kSpeedCheckAfterFailure = std::chrono::milliseconds(3500);
// Pings a silent server never answered are forgotten past this many.
constexpr std::size_t kMaxUnanswered = 64;
}  // namespace

PingMonitor::~PingMonitor() {
    stopPingTimer();
    cancelSpeedCheck();
}

void PingMonitor::registerHandlers(Dispatcher& table) {
    table.add(protocol::MsgType::PingAnswer, componentName(), [this](const Dispatch& m) { pingAnswer(m.fields, m.receivedAt); });
}

void PingMonitor::startPingTimer() {
    platform::assertMainThread();
    unanswered_.clear();  // a new line: nothing sent before it is answered on it
    // One timer per session: a second acceptance re-arms it.
    if (!pingTimer_) {
        std::weak_ptr<const void> weak = services_.lifetime();
        pingTimer_ = std::make_unique<platform::Timer>([weak, this] {
            if (auto alive = weak.lock()) pingToserver();
        });
    }
    pingTimer_->start(kPingInterval, true);
}

void PingMonitor::stopPingTimer() {
    if (pingTimer_) pingTimer_->cancel();
}

bool PingMonitor::isPingTimerActive() const { return pingTimer_ && pingTimer_->isActive(); }

void PingMonitor::pingToserver() {
    platform::assertMainThread();
    namespace tag = protocol::tag;
    protocol::MessageBase& message = services_.outgoingMessage();
    message.setMessagetype(protocol::toInt(protocol::MsgType::PingRequest));
    protocol::TagMap& tags = message.messageDataDictionary();
    tags.clear();
    tags.setNumber(tag::MessageType, static_cast<long long>(protocol::toInt(protocol::MsgType::PingRequest)));
    tags.setNumber(tag::RequestId, static_cast<long long>(services_.nextRequestId()));
    tags.set(tag::ServerTime, services_.packedLocalTime());
    // The builder stamps `pingTime` before the ping goes out.
    protocol::BuildResult result = message.BuildMessage();
    if (!result.sent()) {
        platform::Log::debug("Ping not sent: " + result.error);
        return;
    }
    if (!pingTime) return;
    if (unanswered_.size() == kMaxUnanswered) unanswered_.pop_front();
    unanswered_.push_back(*pingTime);
}

void PingMonitor::pingAnswer(const MessageFields& fields, std::optional<platform::WallTime> receivedAt) {
    platform::assertMainThread();
    for (const MessageFields::Field& field : fields) {
        const auto [number, value] = std::pair(field.tag, field.value);
        if (number != protocol::tag::ServerTime) continue;
        // An unreadable time leaves no server date, so nothing is posted.
        serverDate = parsePackedTime(std::string(value));
        if (!serverDate) platform::Log::debug("Ping answer with an unreadable server time");
    }
    // Graded against the ping it answers (the last one sent when none is
    // kept), from when the answer arrived, however busy the main thread was since.
    std::optional<platform::WallTime> sentAt = pingTime;
    if (!unanswered_.empty()) {
        sentAt = unanswered_.front();
        unanswered_.pop_front();
    }
    calculateNetworkSpeed(sentAt, receivedAt);
}

void PingMonitor::calculateNetworkSpeed(std::optional<platform::WallTime> date,
                                        std::optional<platform::WallTime> until) {
    double t = -1;  // no reference time grades as slow
    const platform::WallTime end = until ? *until : platform::defaultClock().wallNow();
    if (date) t = std::chrono::duration<double>(end - *date).count();
    std::optional<std::string> text;
    if (serverDate) {
        ServerTime = packedTime(*serverDate, false);
        text = ServerTime;
    }
    networkspeedStatus = gradeRoundTrip(t);
    services_.onMain([this, text] { postnetworkspeedNotification(text); });
}

void PingMonitor::scheduleSpeedCheck() {
    cancelSpeedCheck();
    std::weak_ptr<const void> weak = services_.lifetime();
    speedCheckPending_ = true;
    speedCheck_ = platform::MainExecutor::postAfter(kSpeedCheckAfterFailure, [weak, this] {
        if (auto alive = weak.lock()) {
            speedCheckPending_ = false;
            calculateNetworkSpeed(serverDate);
        }
    });
}

void PingMonitor::cancelSpeedCheck() {
    if (speedCheckPending_) platform::MainExecutor::cancel(speedCheck_);
    speedCheckPending_ = false;
}

void PingMonitor::postnetworkspeedNotification(const std::optional<std::string>& text) {
    if (text)
        platform::NotificationCenter::defaultCenter().post(notifications::kNetworkSpeed,
                                                           std::make_shared<const TextPayload>(*text));
}

}  // namespace state
