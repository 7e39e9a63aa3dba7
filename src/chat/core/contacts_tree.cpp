#include "chat/core/contacts_tree.h"

#include <algorithm>

#include "state/session_view.h"

namespace chat {

namespace {

template <typename T, typename Key>
std::vector<std::shared_ptr<const T>> naturallySorted(std::vector<std::shared_ptr<const T>> list, Key key) {
    list.erase(std::remove(list.begin(), list.end(), nullptr), list.end());
    std::stable_sort(list.begin(), list.end(), [&](const auto& a, const auto& b) {
        return state::Queries::localizedStandardCompare(key(*a), key(*b)) < 0;
    });
    return list;
}

}  // namespace

std::vector<ContactNode> buildContactsTree(const std::vector<std::shared_ptr<const model::ChatGroup>>& groups,
                                           const std::vector<std::shared_ptr<const model::ChatUser>>& users) {
    const auto sortedUsers = naturallySorted(users, [](const model::ChatUser& u) { return u.UserName; });
    std::vector<ContactNode> tree;
    for (const auto& group : naturallySorted(groups, [](const model::ChatGroup& g) { return g.GroupID; })) {
        ContactNode node;
        node.displayname = group->GroupName;
        node.isGroup = true;
        for (const auto& user : sortedUsers)
            if (user->GroupId == group->GroupID)
                node.children.push_back({user->DisplayName, user->UserName, false, user->IsUserOnline, {}});
        tree.push_back(std::move(node));
    }
    return tree;
}

int rowOfUser(const std::vector<ContactNode>& groups, const std::string& userName) {
    int row = 0;
    for (const ContactNode& group : groups) {
        ++row;
        for (const ContactNode& user : group.children) {
            if (user.username == userName) return row;
            ++row;
        }
    }
    return -1;
}

const ContactNode* nodeAtRow(const std::vector<ContactNode>& groups, int row) {
    if (row < 0) return nullptr;
    for (const ContactNode& group : groups) {
        if (row == 0) return &group;
        --row;
        if (row < static_cast<int>(group.children.size())) return &group.children[std::size_t(row)];
        row -= static_cast<int>(group.children.size());
    }
    return nullptr;
}

}  // namespace chat
