#pragma once
// The support queues in the session's order, one "ChatQueueContacts" column
// (header "0165") with each queue's status image. A chosen queue that waits for
// acceptance is ignored; any other goes to the delegate. Main thread.
#include <QAbstractTableModel>
#include <QTableView>
#include <functional>
#include <memory>
#include <vector>

#include "model/chat_contacts.h"

namespace state {
class SessionView;
}

namespace chat {

class ChatQueueTableModel : public QAbstractTableModel {
public:
    ChatQueueTableModel(const state::SessionView& view, QString header, QObject* parent)
        : QAbstractTableModel(parent), view_(view), header_(std::move(header)) {}
    void reload(std::vector<std::shared_ptr<const model::ChatQueue>> queues);
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    std::shared_ptr<const model::ChatQueue> queue(int row) const;

private:
    const state::SessionView& view_;  // the language's words
    QString header_;
    std::vector<std::shared_ptr<const model::ChatQueue>> queues_;
};

class ChatQueueTableViewController : public QTableView {
public:
    using ChatQueueDelegate = std::function<void(const model::ChatQueue&)>;

    ChatQueueTableViewController(const state::SessionView& view, QString header, QWidget* parent = nullptr);
    void setChatqueueDelegate(ChatQueueDelegate delegate) { chatqueueDelegate_ = std::move(delegate); }
    // Reads the queues again, keeping the chosen row.
    void reloadChatQueueTableView();
    void deselectTableView();
    ChatQueueTableModel* queues() const { return model_; }

private:
    void selectionDidChange();

    const state::SessionView& view_;
    ChatQueueTableModel* model_ = nullptr;
    ChatQueueDelegate chatqueueDelegate_;
};

}  // namespace chat
