#pragma once
// The contacts outline: groups (drawn as group rows, without image) holding
// their users (online or offline image), all expanded. Rebuilt from the
// session on each contact list, keeping the chosen contact. Tells its
// delegate about a chosen row: a user's names, a group with no user name.
// Main thread.
#include <QStandardItemModel>
#include <QTreeView>
#include <functional>
#include <string>
#include <vector>

#include "chat/core/contacts_tree.h"

namespace state {
class SessionView;
}

namespace chat {

class ContactsOutlineViewController : public QTreeView {
public:
    // User name ("" for a group) and display name of the chosen row.
    using ContactsDelegate = std::function<void(const std::string&, const std::string&)>;

    ContactsOutlineViewController(const state::SessionView& view, QWidget* parent = nullptr);
    void setContactsDelegate(ContactsDelegate delegate) { contactsDelegate_ = std::move(delegate); }

    // Builds the tree from the session's groups and users, expands every
    // group and selects `chosenUser` again when it is still listed.
    void buildTree(const std::string& chosenUser);
    // Copies each user's online flag from the session into the tree.
    void UpdateChatUserOnlineStatus();
    void deselectOutlineView();
    const std::vector<ContactNode>& rootNode() const { return tree_; }
    // The row of the outline counted from the top, groups and users alike; -1: none.
    int flatRow(const QModelIndex& index) const;
    QModelIndex indexOfRow(int flatRow) const;

private:
    void selectionIsChanging();
    void fill();

    const state::SessionView& view_;
    QStandardItemModel* model_ = nullptr;
    std::vector<ContactNode> tree_;
    ContactsDelegate contactsDelegate_;
};

}  // namespace chat
