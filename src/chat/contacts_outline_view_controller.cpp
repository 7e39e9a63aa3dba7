#include "chat/contacts_outline_view_controller.h"

#include <QHeaderView>

#include "chat/presence_image.h"
#include "kit/plain_text.h"
#include "kit/shown_text.h"
#include "state/session_view.h"
#include "kit/own_text.h"

namespace chat {

namespace {

constexpr int kUserNameRole = Qt::UserRole + 1;

}  // namespace

ContactsOutlineViewController::ContactsOutlineViewController(const state::SessionView& view, QWidget* parent)
    : QTreeView(parent), view_(view) {
    setObjectName("contactsOutlineView");
    model_ = new QStandardItemModel(this);
    setModel(model_);
    setHeaderHidden(true);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setIconSize(QSize(16, 16));
    setIndentation(12);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { selectionIsChanging(); });
}

void ContactsOutlineViewController::buildTree(const std::string& chosenUser) {
    tree_ = buildContactsTree(view_.chatGroups(), view_.chatUsers());
    const QSignalBlocker quiet(selectionModel());
    fill();
    const int row = chosenUser.empty() ? -1 : rowOfUser(tree_, chosenUser);
    if (row > 0) selectionModel()->select(indexOfRow(row), QItemSelectionModel::ClearAndSelect);
    viewport()->update();
}

void ContactsOutlineViewController::fill() {
    model_->clear();
    QFont groupFont = font();
    groupFont.setBold(true);
    for (const ContactNode& group : tree_) {
        auto* groupItem = new QStandardItem(kit::shownText(group.displayname));
        groupItem->setFont(groupFont);
        groupItem->setData(QString(), kUserNameRole);
        for (const ContactNode& user : group.children) {
            auto* userItem = new QStandardItem(presenceImage(userPresence(user.isUserOnline)),
                                               kit::shownText(user.displayname));
            userItem->setData(kit::exactText(kit::ExactInput(user.username)), kUserNameRole);
            userItem->setToolTip(kit::plainToolTip(kit::shownText(user.username)));
            groupItem->appendRow(userItem);
        }
        model_->appendRow(groupItem);
    }
    expandAll();
}

void ContactsOutlineViewController::UpdateChatUserOnlineStatus() {
    for (std::size_t g = 0; g < tree_.size(); ++g) {
        QStandardItem* groupItem = model_->item(int(g));
        for (std::size_t u = 0; u < tree_[g].children.size(); ++u) {
            ContactNode& node = tree_[g].children[u];
            if (const auto user = view_.chatUser(node.username)) node.isUserOnline = user->IsUserOnline;
            if (QStandardItem* item = groupItem ? groupItem->child(int(u)) : nullptr)
                item->setIcon(presenceImage(userPresence(node.isUserOnline)));
        }
    }
}

void ContactsOutlineViewController::deselectOutlineView() { selectionModel()->clearSelection(); }

int ContactsOutlineViewController::flatRow(const QModelIndex& index) const {
    if (!index.isValid()) return -1;
    const QModelIndex group = index.parent().isValid() ? index.parent() : index;
    int row = 0;
    for (int g = 0; g < group.row(); ++g) row += 1 + model_->rowCount(model_->index(g, 0));
    return index.parent().isValid() ? row + 1 + index.row() : row;
}

QModelIndex ContactsOutlineViewController::indexOfRow(int flatRow) const {
    for (int g = 0; g < model_->rowCount() && flatRow >= 0; ++g) {
        const QModelIndex group = model_->index(g, 0);
        if (flatRow == 0) return group;
        --flatRow;
        const int users = model_->rowCount(group);
        if (flatRow < users) return model_->index(flatRow, 0, group);
        flatRow -= users;
    }
    return {};
}

void ContactsOutlineViewController::selectionIsChanging() {
    const QModelIndexList chosen = selectionModel()->selectedIndexes();
    const int row = chosen.isEmpty() ? -1 : flatRow(chosen.front());
    // Nothing for no row or the first row (always a group).
    if (row <= 0 || !contactsDelegate_) return;
    const ContactNode* node = nodeAtRow(tree_, row);
    if (!node) return;
    contactsDelegate_(node->username, node->displayname);
}

}  // namespace chat
