#include "state/chat.h"

#include "platform/log.h"
#include "model/formatter.h"
#include "model/login_inputdata.h"
#include "model/shown_text.h"
#include "platform/main_executor.h"
#include "platform/notification_center.h"
#include "protocol/tags.h"
#include "state/notification_payloads.h"
#include "state/session_notifications.h"
#include "state/session_services.h"

namespace state {

using protocol::MsgType;
namespace tag = protocol::tag;

void Chat::registerHandlers(Dispatcher& table) {
    namespace Log = platform::Log;
    const char* owner = componentName();
    table.add(MsgType::NewRoomCreationRequest, owner, [this](const Dispatch& m) {
        Log::info("NewRoomCreationRequest");
        FillChatRoomDetails(m.fields, m.fields.text(tag::ChatRoomKey));
    });
    table.add(MsgType::NewRoomCreationResponse, owner, [this](const Dispatch& m) {
        Log::info("NewRoomCreationResponse");
        FillChatRoomDetails(m.fields, m.fields.text(tag::ChatRoomKey));
    });
    table.add(MsgType::NewChatMessage, owner, [this](const Dispatch& m) {
        Log::info("NewChatMessage");
        FillChatMessages(m.fields, m.fields.text(tag::ChatMessageRoom));
    });
    table.add(MsgType::GetOfflineMessageResponse, owner, [this](const Dispatch& m) {
        Log::info("GetOfflineMessageResponse");
        FillOfflineMessages(m.fields);
    });
    table.add(MsgType::GetRoomMessageResponse, owner, [this](const Dispatch& m) {
        Log::info("GetRoomMessageResponse");
        FillRoomMessage(m.fields);
    });
    table.add(MsgType::GetContactListInfoResponse, owner, [this](const Dispatch& m) {
        Log::info("GetContacListInfoResponse");
        FillChatGroupsAndUsers(m.fields);
    });
    table.add(MsgType::ChatStatusChange, owner, [this](const Dispatch& m) {
        Log::info("statusChange");
        UpdateChatUserStatus(m.fields.text(tag::UserName), m.fields);
    });
    table.add(MsgType::GetRecentConversationResponse, owner, [this](const Dispatch& m) {
        Log::info("GetRecentConversationResponse");
        FillRecentConversation(m.fields);
    });
    table.add(MsgType::AddUserResponse, owner, [](const Dispatch&) { Log::info("AddUserResponse"); });
    table.add(MsgType::ChatResponseFromQueue, owner, [this](const Dispatch& m) {
        Log::info("ChatResponseFromQueue");
        UpdateChatResponseFromQueue(m.fields, m.fields.text(tag::ChatQueueId));
        services_.onMain([this] { ChatQueueStatusUpdateNotification(); });
    });
    table.add(MsgType::ChatQueueStatus, owner, [this](const Dispatch& m) {
        Log::info("ChatQueueStatus");
        UpdateChatQueueStatus(m.fields, m.fields.text(tag::ChatQueueId));
        services_.onMain([this] { ChatQueueStatusUpdateNotification(); });
    });
}

namespace {

platform::NotificationCenter& center() { return platform::NotificationCenter::defaultCenter(); }

std::shared_ptr<const TextPayload> roomPayload(const std::optional<std::string>& roomId) {
    return roomId ? std::make_shared<const TextPayload>(*roomId) : nullptr;
}

}  // namespace

void Chat::sendRoomCreationNotification(const std::string& roomUsers, const std::string& roomId,
                                        const std::string& roomName) {
    services_.postAboutSession(notifications::kChatRoomCreation, [=](std::shared_ptr<BusinessBase> s) {
        return std::make_shared<const ChatRoomCreated>(std::move(s), roomUsers, roomId, roomName);
    });
}

void Chat::UpdateChatNotification(const std::string& name) { services_.postAboutSession(name); }

void Chat::NewChatMessageNotification(const std::vector<std::string>& m) {
    if (m.empty()) return;
    if (m.size() < 3) {
        platform::Log::debug("Chat message with fewer than three parts: no banner");
        return;
    }
    const std::string& sender = m[0];
    if (sender.empty()) return;
    // Messages of the user themself raise no banner.
    if (sender == services_.host().logindata().userName() || sender == chatUserName_) return;
    TriggerNewChatNotification(m[2], m[1]);
}

void Chat::TriggerNewChatNotification(const std::string& a, const std::string& b) {
    UiServices& ui = services_.ui();
    Banner banner;
    banner.title = ui.bundleName();
    // A banner lays out a few lines: a long text is cut.
    constexpr std::size_t kBannerTextBytes = 400;
    banner.subtitle = services_.text("20240") + " : " + model::shownText(a, kBannerTextBytes);
    banner.informativeText = model::shownText(b, kBannerTextBytes);
    banner.dismissDelayTime = 15.0;
    ui.deliverBanner(banner);
    ui.showLocalNotification(banner.subtitle, banner.informativeText);
}

void Chat::ChatQueueStatusUpdateNotification() { services_.postAboutSession(notifications::kChatQueueStatusUpdate); }

void Chat::NewMessageNotification(const std::string& subtitle) {
    UiServices& ui = services_.ui();
    Banner banner;
    banner.title = ui.bundleName();
    banner.subtitle = subtitle;
    banner.informativeText = services_.text("1073");
    banner.dismissDelayTime = 30.0;
    ui.deliverBanner(banner);
    ui.showLocalNotification(subtitle, banner.informativeText);
}

void Chat::NewMessagesNotification(const std::string& count) {
    UiServices& ui = services_.ui();
    Banner banner;
    banner.title = ui.bundleName();
    banner.subtitle = services_.text("0099");
    // One message reads in the singular.
    banner.informativeText =
        count == "1" ? services_.text("1073") : model::Formatter::fillIndexedText(services_.text("20234"), {count});
    banner.dismissDelayTime = 15.0;
    ui.deliverBanner(banner);
    ui.showLocalNotification(banner.subtitle, banner.informativeText);
}

void Chat::NoticeMessageReceivedNotification(const std::optional<std::string>& roomId) {
    center().post(notifications::kNoticeMessageReceived, roomPayload(roomId));
}

void Chat::RecentConversationMessageReceivedNotification(const std::optional<std::string>& roomId) {
    center().post(notifications::kRecentConversationReceived, roomPayload(roomId));
}

}  // namespace state
