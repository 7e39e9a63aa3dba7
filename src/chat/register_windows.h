#pragma once
// The chat folder's windows in the login's registry: the resources popover,
// the chat and messages windows.
namespace kit {
class WindowRegistry;
}

namespace chat {

// The names this folder's windows are registered and opened by.
inline constexpr const char* kResourcesWindow = "ResourcesViewController";
inline constexpr const char* kChatWindow = "ChatWindowController";
inline constexpr const char* kRecentConversationWindow = "RecentConversationWindowController";
inline constexpr const char* kChatMessageWindow = "ChatMessageWindowController";
inline constexpr const char* kMessagesWindow = "MessagesWindowController";
inline constexpr const char* kNoticeMessageWindow = "NoticeMessageWindowController";

void registerWindows(kit::WindowRegistry& registry);

}  // namespace chat
