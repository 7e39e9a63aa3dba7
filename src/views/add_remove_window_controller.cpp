#include "views/add_remove_window_controller.h"
#include "views/register_windows.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QScopedValueRollback>
#include <QPainter>
#include <QVBoxLayout>

#include "kit/core/preference_manager.h"
#include "kit/plain_text.h"
#include "kit/shown_text.h"
#include "kit/theme_manager.h"
#include "kit/window_context.h"
#include "model/language_string.h"
#include "platform/main_executor.h"
#include "platform/notification_center.h"
#include "platform/resource_bundle.h"
#include "state/session_commands.h"
#include "state/session_view.h"
#include "kit/core/icon_image_name.h"
#include "kit/own_text.h"

namespace views {

namespace {
std::string text(const std::string& key, std::int64_t language) {
    return model::LanguageString::stringforSelectedLanguage(language, key);
}
}  // namespace

namespace {

constexpr const char* kGroupRow = "Item Type";
constexpr const char* kCodeColumn = "0011";
constexpr const char* kNameColumn = "0542";

QIcon typeIcon(const std::string& type) {
    const auto path = [](const std::string& name) {
        return platform::ResourceBundle::pathForResource("images/" + name, "png");
    };
    const auto file = path(kit::iconImageName(type, [&](const std::string& n) { return path(n).has_value(); }));
    return file ? QIcon(kit::filePath(*file)) : QIcon();
}

// A filled green dot for a marked code, an empty circle for an unmarked one.
QIcon markIcon(bool marked) {
    QPixmap dot(14, 14);
    dot.fill(Qt::transparent);
    QPainter p(&dot);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(marked ? kit::ThemeManager::riseColor() : QColor(0x90, 0x90, 0x90), 1.5));
    p.setBrush(marked ? QBrush(kit::ThemeManager::riseColor()) : Qt::NoBrush);
    p.drawEllipse(QRectF(2, 2, 10, 10));
    return QIcon(dot);
}

}  // namespace

AddRemoveWindowController::AddRemoveWindowController(kit::WindowContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
    setObjectName(kAddRemoveWindow);
    setMinimumSize(620, 420);
    ItemCategoryOutlineView = new QTreeWidget(this);
    ItemCategoryOutlineView->setObjectName("ItemCategoryOutlineView");
    ItemCategoryOutlineView->setHeaderHidden(true);
    ItemCategoryOutlineView->setMaximumWidth(200);
    ItemTableView = new QTableView(this);
    ItemTableView->setObjectName("ItemTableView");
    ItemTableView->setSelectionBehavior(QAbstractItemView::SelectRows);
    ItemTableView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ItemTableView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ItemTableView->setAlternatingRowColors(true);
    ItemTableView->verticalHeader()->hide();
    ItemTableView->horizontalHeader()->setStretchLastSection(true);
    symbolSearchField = new QLineEdit(this);
    symbolSearchField->setObjectName("21043");
    symbolSearchField->setClearButtonEnabled(true);
    addButton = new QPushButton(this);
    addButton->setObjectName("21041");
    addButton->setProperty("tag", kAddTag);
    removeButton = new QPushButton(this);
    removeButton->setObjectName("21042");
    removeButton->setProperty("tag", kRemoveTag);
    auto* close = new QPushButton(this);
    close->setObjectName("0246");
    close->setDefault(true);

    auto* lists = new QHBoxLayout;
    lists->addWidget(ItemCategoryOutlineView);
    auto* right = new QVBoxLayout;
    right->addWidget(symbolSearchField);
    right->addWidget(ItemTableView, 1);
    lists->addLayout(right, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(addButton);
    buttons->addWidget(removeButton);
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(10, 10, 10, 10);
    column->setSpacing(6);
    column->addLayout(lists, 1);
    column->addLayout(buttons);

    connect(ItemCategoryOutlineView, &QTreeWidget::itemSelectionChanged, this, [this] { outlineViewSelectionDidChange(); });
    connect(symbolSearchField, &QLineEdit::textChanged, this, [this] { SearchSymbols(); });
    connect(addButton, &QPushButton::clicked, this, [this] { ShowandHideSymbolsinWatchlist(kAddTag); });
    connect(removeButton, &QPushButton::clicked, this, [this] { ShowandHideSymbolsinWatchlist(kRemoveTag); });
    connect(ItemTableView, &QTableView::doubleClicked, this, [this] { ShowandHideSymbolsinWatchlist(0); });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    windowDidLoad();
}

void AddRemoveWindowController::windowDidLoad() {
    // The types' names are read once.
    editor_ = std::make_unique<WatchlistEditor>(context_.view.symbolTypeLists());
    itemRows_ = new EditorRowsModel(context_.view, *editor_, ItemTableView);
    ItemTableView->setModel(itemRows_);
    ItemTableView->setColumnWidth(0, 140);
    auto* group = new QTreeWidgetItem(ItemCategoryOutlineView, QStringList(kit::identifierText(kGroupRow)));
    QFont bold = group->font(0);
    bold.setBold(true);
    group->setFont(0, bold);
    group->setFlags(Qt::ItemIsEnabled);
    for (const std::string& name : editor_->typeNames()) {
        auto* type = new QTreeWidgetItem(group, QStringList(kit::shownText(name)));
        type->setIcon(0, typeIcon(name));
    }
    ItemCategoryOutlineView->expandAll();
}

void AddRemoveWindowController::showWindow() {
    updateLanguageStrings();
    applyTheme();
    editor_->setMarks(context_.view.watchlistCodes());  // read at each show, the first too
    ItemTableView->clearSelection();
    {
        const QSignalBlocker quiet(symbolSearchField);
        symbolSearchField->clear();
    }
    symbolSearchField->clearFocus();
    setFocus();
    editor_->restoreChosenType();
    // The first type is shown until another is chosen.
    QTreeWidgetItem* group = ItemCategoryOutlineView->topLevelItem(0);
    if (ItemCategoryOutlineView->selectedItems().isEmpty() && group && group->childCount() > 0) {
        const QScopedValueRollback once(showing_, true);
        ItemCategoryOutlineView->setCurrentItem(group->child(0));
    }
    reloadItems();
}

void AddRemoveWindowController::updateLanguageStrings() {
    setWindowTitle(kit::shownText(text("21010", context_.language)));
    for (QPushButton* button : findChildren<QPushButton*>())
        button->setText(kit::shownText(text(button->objectName().toStdString(), context_.language)));
    symbolSearchField->setPlaceholderText(kit::shownText(text(symbolSearchField->objectName().toStdString(), context_.language)));
    itemRows_->setTitles(
        {kit::shownText(text(kCodeColumn, context_.language)), kit::shownText(text(kNameColumn, context_.language))});
}

void AddRemoveWindowController::applyTheme() {
    kit::ThemeManager::applyTheme({{"Windows", {this}}, {"TableView", {ItemTableView, ItemCategoryOutlineView}}},
                                  context_.theme ? context_.theme() : 0);
}

void AddRemoveWindowController::outlineViewSelectionDidChange() {
    const QList<QTreeWidgetItem*> selected = ItemCategoryOutlineView->selectedItems();
    if (selected.isEmpty() || !selected.first()->parent()) return;
    // Outline row r (the group row is 0) is type r - 1.
    const int row = selected.first()->parent()->indexOfChild(selected.first()) + 1;
    ItemTableView->clearSelection();
    if (editor_->chooseType(row, context_.view.symbolTypeLists()) && !showing_) reloadItems();
}

void AddRemoveWindowController::SearchSymbols() {
    editor_->search(symbolSearchField->text().toStdString(), context_.view.symbolTypeLists());
    reloadItems();
}

void AddRemoveWindowController::reloadItems() {
    itemRows_->setMarkIcons(markIcon(true), markIcon(false));  // drawn once, shared by the rows
    itemRows_->reload();
}

void AddRemoveWindowController::ShowandHideSymbolsinWatchlist(int tag) {
    platform::assertMainThread();
    std::vector<int> rows;
    for (const QModelIndex& index : ItemTableView->selectionModel()->selectedRows()) rows.push_back(index.row());
    editor_->change(markChangeForTag(tag), rows,
                    [this](const std::string& code) { return context_.view.instrument(code) != nullptr; });
    reloadItems();
    SaveAddRemoveItems();
}

void AddRemoveWindowController::SaveAddRemoveItems() {
    context_.commands.SaveItemstoWatchList(editor_->savedCodes(context_.view.instrumentCodes()));
    auto& center = platform::NotificationCenter::defaultCenter();
    center.post(state::notifications::kWatchlistTable);
    center.post(state::notifications::kItemUpdate);
}

}  // namespace views
