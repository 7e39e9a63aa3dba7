#include "chat/resources_view_controller.h"

#include <QHeaderView>
#include <QTableView>
#include <QVBoxLayout>

#include "chat/core/resource_address.h"
#include "kit/plain_text.h"
#include "kit/window_context.h"
#include "model/formatter.h"
#include "platform/log.h"
#include "platform/resource_bundle.h"
#include "state/session_commands.h"
#include "state/notification_payloads.h"
#include "state/session_view.h"
#include "state/ui_services.h"
#include "kit/own_text.h"
#include "kit/shown_text.h"

namespace chat {

namespace {

QIcon browserImage() {
    const auto path = platform::ResourceBundle::pathForResource("images/browser_img", "png");
    return path ? QIcon(kit::filePath(*path)) : QIcon();
}

}  // namespace

ResourcesTableModel::ResourcesTableModel(std::vector<std::shared_ptr<model::ResourceDetails>> rows, QObject* parent)
    : QAbstractTableModel(parent), rows_(std::move(rows)), browser_(browserImage()) {}

int ResourcesTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ResourcesTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 1; }

const model::ResourceDetails* ResourcesTableModel::entry(int row) const {
    return row >= 0 && row < static_cast<int>(rows_.size()) ? rows_[std::size_t(row)].get() : nullptr;
}

QVariant ResourcesTableModel::data(const QModelIndex& index, int role) const {
    const model::ResourceDetails* resource = index.isValid() && index.column() == 0 ? entry(index.row()) : nullptr;
    if (!resource) return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
        std::string caption = resource->caption;
        if (unavailable_ && unavailable_(*resource)) caption = model::Formatter::fillIndexedText(unavailableText_, {caption});
        return kit::plainToolTipFor(role, kit::shownText(caption));
    }
    if (role == Qt::DecorationRole) return browser_;
    return {};
}

void ResourcesTableModel::refresh() {
    if (!rows_.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::DisplayRole, Qt::ToolTipRole});
}

QVariant ResourcesTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section != 0) return {};
    return title_;
}

ResourcesViewController::ResourcesViewController(kit::WindowContext& context, QWidget* parent)
    : QWidget(parent), context_(context) {
    setObjectName("ResourcesViewController");
    // The list does not change during the login: read once.
    const auto rows = context_.view.getResourceCollection();
    model_ = new ResourcesTableModel(rows, this);
    model_->setTitle(kit::tableText(context_, "0452"));
    model_->setUnavailable(
        [this](const model::ResourceDetails& r) { return context_.view.isResourceFileUnavailable(r.iconResourceId); },
        context_.text("90893"));
    auto& center = platform::NotificationCenter::defaultCenter();
    unavailableObserver_ = platform::ObserverHandle(
        &center, center.addObserver(state::notifications::kResourceUnavailable,
                                    [this](const platform::Notification&) { model_->refresh(); }));
    resourcesTableView_ = new QTableView(this);
    resourcesTableView_->setObjectName("resourcesTableView");
    resourcesTableView_->setModel(model_);
    resourcesTableView_->setSelectionBehavior(QAbstractItemView::SelectRows);
    resourcesTableView_->setSelectionMode(QAbstractItemView::SingleSelection);
    resourcesTableView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    resourcesTableView_->setAlternatingRowColors(true);
    resourcesTableView_->verticalHeader()->hide();
    resourcesTableView_->horizontalHeader()->setStretchLastSection(true);
    resourcesTableView_->horizontalHeader()->setSectionsClickable(false);
    resourcesTableView_->setIconSize(QSize(16, 16));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(resourcesTableView_);
    setMinimumSize(260, 180);
    connect(resourcesTableView_, &QTableView::clicked, this, [this](const QModelIndex& index) {
        openResourceURL(index.row());
    });
    // Icons named by the entries; "" would name every file, so none for it.
    for (const auto& resource : rows)
        if (resource && !resource->iconResourceId.empty())
            context_.commands.requestFileResourceForExtension(resource->iconResourceId);
}

void ResourcesViewController::viewWillAppear() { resourcesTableView_->clearSelection(); }

void ResourcesViewController::openResourceURL(int row) {
    const model::ResourceDetails* resource = model_->entry(row);
    if (!resource) return;
    const auto address = resourceAddress(resource->URL);
    if (!address || !state::ResourceFiles::isOpenableUrl(*address)) {
        platform::Log::error("Failed to open url");
        return;
    }
    context_.ui.openUrl(*address);
}

}  // namespace chat
