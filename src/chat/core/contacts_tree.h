#pragma once
// The contacts outline as data: groups in the natural order of their ids,
// each with the users whose group id equals it, in the natural order of their
// names. Users of an unknown group are left out. No Qt.
#include <memory>
#include <string>
#include <vector>

#include "model/chat_contacts.h"

namespace chat {

struct ContactNode {
    std::string displayname;
    std::string username;  // "" on a group
    bool isGroup = false;
    bool isUserOnline = false;
    std::vector<ContactNode> children;
};

std::vector<ContactNode> buildContactsTree(const std::vector<std::shared_ptr<const model::ChatGroup>>& groups,
                                           const std::vector<std::shared_ptr<const model::ChatUser>>& users);

// The flat row (groups and users, all expanded) of the user; -1 when absent.
int rowOfUser(const std::vector<ContactNode>& groups, const std::string& userName);
// The node at the flat row; null outside.
const ContactNode* nodeAtRow(const std::vector<ContactNode>& groups, int row);

}  // namespace chat
