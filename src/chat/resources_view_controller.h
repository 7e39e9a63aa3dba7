#pragma once
// The resources list shown in the main window's popover: one "Title" column
// with each entry's caption beside the browser image; a single click on a row
// opens the entry's address. The list is read once, when the view is made,
// and the icon files it names are requested then; an entry whose file was
// skipped says it is not available. Main thread.
#include <QAbstractTableModel>
#include <QIcon>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/resource_details.h"
#include "platform/notification_center.h"

class QTableView;

namespace kit {
struct WindowContext;
}

namespace chat {

class ResourcesTableModel : public QAbstractTableModel {
public:
    ResourcesTableModel(std::vector<std::shared_ptr<model::ResourceDetails>> rows, QObject* parent);
    // The column's title in the language.
    void setTitle(const QString& title) { title_ = title; }
    // Whether an entry's file is not available, and the text that says so ("{0}": the caption).
    void setUnavailable(std::function<bool(const model::ResourceDetails&)> unavailable, std::string text) {
        unavailable_ = std::move(unavailable);
        unavailableText_ = std::move(text);
    }
    // Every row shown anew.
    void refresh();
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    const model::ResourceDetails* entry(int row) const;

private:
    std::vector<std::shared_ptr<model::ResourceDetails>> rows_;
    QString title_ = QStringLiteral("Title");
    QIcon browser_;
    std::function<bool(const model::ResourceDetails&)> unavailable_;
    std::string unavailableText_;
};

class ResourcesViewController : public QWidget {
public:
    explicit ResourcesViewController(kit::WindowContext& context, QWidget* parent = nullptr);

    QTableView* resourcesTableView() const { return resourcesTableView_; }
    // Each time the popover opens: no row selected.
    void viewWillAppear();
    // Opens the address of the entry at `row`.
    void openResourceURL(int row);

private:
    kit::WindowContext& context_;
    ResourcesTableModel* model_ = nullptr;
    QTableView* resourcesTableView_ = nullptr;
    platform::ObserverHandle unavailableObserver_;
};

}  // namespace chat
