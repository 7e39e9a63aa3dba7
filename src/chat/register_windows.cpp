#include "chat/register_windows.h"

#include "chat/chat_message_window_controller.h"
#include "chat/chat_window_controller.h"
#include "chat/messages_window_controller.h"
#include "chat/notice_message_window_controller.h"
#include "chat/recent_conversation_window_controller.h"
#include "chat/resources_view_controller.h"
#include "kit/window_context.h"
#include "kit/window_registry.h"

namespace chat {

namespace {

kit::WindowSpec resourcesWindow() {
    kit::WindowSpec window;
    window.name = kResourcesWindow;
    window.presentation = kit::Presentation::Popover;
    window.make = [](kit::WindowContext& context) -> QWidget* { return new ResourcesViewController(context); };
    window.open = [](QWidget* made, const kit::OpenRequest&) {
        auto* resources = dynamic_cast<ResourcesViewController*>(made);
        if (!resources) return false;
        resources->viewWillAppear();
        return true;
    };
    return window;
}

// A window kept for the login, made by `make` and prepared by `open`.
template <typename Window>
kit::WindowSpec keptWindow(const char* name, std::function<bool(Window&, const kit::OpenRequest&)> open) {
    kit::WindowSpec window;
    window.name = name;
    window.make = [](kit::WindowContext& context) -> QWidget* { return new Window(context); };
    window.open = [open](QWidget* made, const kit::OpenRequest& request) {
        auto* shown = dynamic_cast<Window*>(made);
        return shown && open(*shown, request);
    };
    return window;
}

}  // namespace

void registerWindows(kit::WindowRegistry& registry) {
    registry.add(resourcesWindow());
    registry.add(keptWindow<ChatWindowController>(kChatWindow, [](ChatWindowController& w, const kit::OpenRequest&) {
        w.showWindow();
        return true;
    }));
    registry.add(keptWindow<RecentConversationWindowController>(
        kRecentConversationWindow, [](RecentConversationWindowController& w, const kit::OpenRequest&) {
            w.showWindow();
            return true;
        }));
    registry.add(keptWindow<ChatMessageWindowController>(
        kChatMessageWindow,
        [](ChatMessageWindowController& w, const kit::OpenRequest& request) { return w.showWindow(request.recordId); }));
    registry.add(keptWindow<MessagesWindowController>(kMessagesWindow,
                                                      [](MessagesWindowController& w, const kit::OpenRequest&) {
                                                          w.showWindow();
                                                          return true;
                                                      }));
    registry.add(keptWindow<NoticeMessageWindowController>(
        kNoticeMessageWindow,
        [](NoticeMessageWindowController& w, const kit::OpenRequest& request) { return w.showWindow(request.recordId); }));
}

}  // namespace chat
