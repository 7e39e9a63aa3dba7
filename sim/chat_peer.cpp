#include "chat_peer.h"

#include "scenario.h"

namespace sim {

namespace {

// Message types and tags of the chat.
enum Type {
    kRoomRequest = 601, kRoomResponse = 602, kChatMessage = 603, kAcknowledge = 608, kOfflineRequest = 613,
    kOfflineResponse = 614, kRoomMessagesRequest = 615, kRoomMessagesResponse = 616, kContactsRequest = 617,
    kContactsResponse = 618, kRecentRequest = 626, kRecentResponse = 627, kQueueRequest = 678, kQueueResponse = 679,
};
enum Tag {
    kText = 17, kRequestId = 20, kTime = 21, kNoticeTitle = 161, kRoomId = 501, kRoomName = 502, kRoomUsers = 503,
    kSender = 504, kMessageId = 506, kDisplayName = 517, kUsers = 521, kGroups = 522, kAddUserMode = 530,
    kQueueAnswer = 572, kQueues = 1019, kQueueId = 1026, kDisplayNames = 1051,
};

std::string record(const std::vector<std::string>& fields) { return joinColumns(fields) + kRow; }

// The display name of the contacts; the user's own name otherwise.
std::string displayName(const std::string& user) {
    static const std::map<std::string, std::string> names = {
        {"bob", "Bob Brown"}, {"carol/ops", "Carol Ops"}, {"dealer", "Dealer One"}};
    const auto it = names.find(user);
    return it == names.end() ? user : it->second;
}

const char* const kNoticeRoom = "notice/7";
const char* const kRecentRoom = "room/100";

}  // namespace

bool ChatPeer::isChatRequest(int type) {
    switch (type) {
        case kRoomRequest: case kChatMessage: case kAcknowledge: case kOfflineRequest: case kRoomMessagesRequest:
        case kContactsRequest: case kRecentRequest: case kQueueRequest:
            return true;
        default:
            return false;
    }
}

std::vector<WireMessage> ChatPeer::handle(const WireMessage& m, const std::string& user) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<WireMessage> out;
    switch (m.type()) {
        case kContactsRequest: {
            WireMessage a(kContactsResponse);
            a.add(kGroups, record({"g1", "Dealing Desk", "0"}) + record({"g2", "Friends", "0"}));
            a.add(kUsers, record({"7", "bob", "Online", "", "g2", "1", "", displayName("bob")}) +
                              record({"8", "carol/ops", "Away", "", "g1", "1", "", displayName("carol/ops")}));
            a.add(kQueues, record({"5", "Support", "1", "1"}) + record({"6", "Sales", "0", "0"}));
            out.push_back(a);
            break;
        }
        case kRecentRequest: {
            WireMessage a(kRecentResponse);
            a.add(kText, record({"bob", "{\\rtf1 caf\\'e9}", user + ";bob", "20261207120000", kRecentRoom, "history/bob",
                                 "", "", displayName("bob")}) +
                             record({"desk", "rates", user, "20261207090000", kNoticeRoom, "notices/7", "",
                                     "Rates update", "Desk"}));
            out.push_back(a);
            break;
        }
        case kOfflineRequest: {
            WireMessage a(kOfflineResponse);
            a.add(kText, record({"desk", "rates", user, "20261207090000", kNoticeRoom, "notices/7", "", "Rates update"}));
            out.push_back(a);
            break;
        }
        case kRoomMessagesRequest: {
            WireMessage a(kRoomMessagesResponse);
            a.add(kRoomId, m.get(kRoomId));
            a.add(kText, record({"m/1", "bob", "{\\rtf1 caf\\'e9}", "20261207120000", displayName("bob")}) +
                             record({"m/2", "bob", "{\\rtf1 caf\xC3\xA9}", "20261207120100", displayName("bob")}) +
                             record({"m/3", "bob", "{\\rtf1 caf\\u233 e}", "20261207120200", displayName("bob")}));
            out.push_back(a);
            break;
        }
        case kRoomRequest: {
            // 503 echoes the partner as asked; the room's id and name hold "/".
            const std::string partner = m.get(kRoomUsers);
            WireMessage a(kRoomResponse);
            a.add(kRequestId, m.get(kRequestId));
            a.add(kRoomId, "room/" + std::to_string(nextRoom_++));
            a.add(kRoomName, user + "/" + partner);
            a.add(kRoomUsers, partner);
            a.add(kSender, user);
            a.add(kAddUserMode, "0");
            a.add(kDisplayNames, user + std::string(1, kColumn) + displayName(user) + ";" + partner +
                                     std::string(1, kColumn) + displayName(partner));
            out.push_back(a);
            break;
        }
        case kChatMessage: {
            WireMessage a(kChatMessage);
            a.add(kTime, packedNow());
            a.add(kRoomId, m.get(kRoomId));
            a.add(kRoomName, m.get(kRoomName));
            a.add(kSender, user);
            a.add(kMessageId, "msg/" + std::to_string(nextMessage_++));
            a.add(kDisplayName, displayName(user));
            a.add(kText, m.get(kText));
            out.push_back(a);
            break;
        }
        case kQueueRequest: {
            const std::string queue = m.get(kQueueId);
            out.push_back(WireMessage(kQueueResponse).add(kQueueId, queue).add(kQueueAnswer, "1"));
            out.push_back(WireMessage(kQueueResponse).add(kQueueId, queue).add(kQueueAnswer, "2"));
            WireMessage room(kRoomRequest);
            room.add(kRoomId, "queue-room/" + std::to_string(nextRoom_++));
            room.add(kRoomName, "queue/" + queue);
            room.add(kRoomUsers, user + ";dealer");
            room.add(kQueueId, queue);
            room.add(kSender, "dealer");
            room.add(kDisplayNames, "dealer" + std::string(1, kColumn) + displayName("dealer"));
            out.push_back(room);
            break;
        }
        default:  // 608: logged by the simulator only
            break;
    }
    return out;
}

}  // namespace sim
