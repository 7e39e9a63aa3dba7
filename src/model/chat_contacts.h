#pragma once
// The contact list of the chat: groups, users and support queues.
#include <cstdint>
#include <map>
#include <memory>
#include <string>

namespace model {

class ChatUser;

class ChatGroup {
public:
    std::string GroupName;
    std::string GroupID;
    std::string ParentID;
    // User name -> the user the session knows by that name (users own their group,
    // so the group only refers to them).
    std::map<std::string, std::weak_ptr<ChatUser>> GroupUsers;
};

class ChatUser {
public:
    std::string UserID;
    std::string UserName;
    std::string Status;
    std::string DisplayName;
    std::string GroupId;
    // The group known when the user was read; kept when the groups are refilled.
    std::shared_ptr<ChatGroup> Group;
    bool IsUserInMyContactList = false;
    bool IsUserOnline = false;

    // Online exactly when the status, capitalised word by word, reads "Online".
    static bool isOnlineStatus(const std::string& status);
};

class ChatQueue {
public:
    std::string QueueId;
    std::string QueueName;
    bool isAgent = false;
    bool isAvailable = false;
    // The user's request to the queue: 0 none, 1 waiting, 2 accepted, -1 any other answer.
    std::int32_t chartRequestStatus = 0;
    std::string roomUserName;  // the other party of the queue's room
};

}  // namespace model
