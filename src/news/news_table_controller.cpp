#include "news/news_table_controller.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "kit/plain_text.h"
#include "kit/shown_text.h"
#include "kit/text_cell_delegate.h"
#include "kit/window_context.h"
#include "model/language_string.h"
#include "model/login_inputdata.h"
#include "news/core/news_time.h"
#include "platform/clock.h"
#include "platform/log.h"
#include "state/session_view.h"
#include "state/ui_services.h"
#include "kit/own_text.h"
#include "kit/shown_text.h"

namespace news {

namespace {
constexpr int kCellPointSize = 12;
// An answer whose reading leaves memory worth giving back.
constexpr std::size_t kLargeBody = 1024 * 1024;

// The titles: one column, one alignment (the layout's), each title isolated in
// its own direction within it, figures or not ("Oil up 2%" too).
class TitleCellDelegate : public kit::TextCellDelegate {
public:
    using TextCellDelegate::TextCellDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (!option->text.isEmpty()) option->text = QChar(0x2068) + kit::shownText(option->text) + QChar(0x2069);  // first strong isolate
    }
};
}

NewsTableModel::NewsTableModel(const NewsTableController& owner, std::vector<std::string> columns,
                               std::vector<QString> titles, QObject* parent)
    : QAbstractTableModel(parent), owner_(owner), columns_(std::move(columns)), titles_(std::move(titles)) {}

int NewsTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(owner_.webDataList().size());
}

int NewsTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant NewsTableModel::data(const QModelIndex& index, int role) const {
    const auto& items = owner_.webDataList();
    if (!index.isValid() || index.row() >= static_cast<int>(items.size()) || index.column() >= columnCount())
        return {};
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
    // One clock for the whole client: the times on the server's, as every other window shows them.
    if (!server_) server_ = owner_.serverOffset();
    const QString text =
        kit::shownText(cellText(items[std::size_t(index.row())], columns_[std::size_t(index.column())], server_));
    return kit::plainToolTipFor(role, text);
}

QVariant NewsTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= columnCount())
        return {};
    return titles_[std::size_t(section)];
}

void NewsTableModel::reload() {
    beginResetModel();
    endResetModel();
}

std::optional<std::chrono::minutes> NewsTableController::serverOffset() const {
    const auto now = std::chrono::time_point_cast<std::chrono::milliseconds>(platform::defaultClock().wallNow());
    return news::serverOffset(context_.view.ServerTime(), now);
}

std::string NewsTableController::shippedNewsHost() {
    return model::LoginInputdata::getLoginValueForMode(model::LoginInputdata::kGeneral, "NewsServiceHost")
        .stringValue();
}

std::string NewsTableController::newsHostForLogin(const std::string& sessionHost, int sessionPort) {
    return newsHostFor(shippedNewsHost(), sessionHost, sessionPort);
}

NewsTableController::NewsTableController(kit::WindowContext& context, Settings settings, QWidget* parent)
    : QWidget(parent), context_(context), settings_(std::move(settings)), fetcher_(settings_.limits, this) {
    setObjectName("newsTableController");
    // The label and the column titles are set once, here.
    categoryTextField_ = kit::plainLabel(kit::tableText(context_, "0156"), this);
    categoryTextField_->setObjectName("categoryTextField");
    statusTextField_ = kit::plainLabel(this);
    statusTextField_->setObjectName("newsStatusTextField");
    statusTextField_->hide();
    NewsCategoryPopButton_ = new QComboBox(this);
    NewsCategoryPopButton_->setObjectName("NewsCategoryPopButton");
    std::vector<QString> titles;
    for (const std::string& column : settings_.columns)
        titles.push_back(kit::tableText(context_, model::LanguageString::setLanguageKey(column)));
    model_ = new NewsTableModel(*this, settings_.columns, std::move(titles), this);
    newsTableView_ = new QTableView(this);
    newsTableView_->setObjectName("newsTableView");
    newsTableView_->setModel(model_);
    newsTableView_->setItemDelegate(new kit::TextCellDelegate(newsTableView_));
    const auto title = std::find(settings_.columns.begin(), settings_.columns.end(), kTitleColumn);
    if (title != settings_.columns.end())
        newsTableView_->setItemDelegateForColumn(int(title - settings_.columns.begin()),
                                                 new TitleCellDelegate(newsTableView_));
    newsTableView_->setSelectionBehavior(QAbstractItemView::SelectRows);
    newsTableView_->setSelectionMode(QAbstractItemView::SingleSelection);
    newsTableView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    newsTableView_->setAlternatingRowColors(true);
    newsTableView_->setWordWrap(false);
    newsTableView_->setTextElideMode(Qt::ElideRight);
    newsTableView_->verticalHeader()->hide();
    newsTableView_->horizontalHeader()->setSectionsClickable(false);
    QFont cells = newsTableView_->font();
    cells.setPointSize(kCellPointSize);
    newsTableView_->setFont(cells);
    newsTableView_->verticalHeader()->setDefaultSectionSize(QFontMetrics(cells).height() + 8);
    // The title takes the room the dates leave; a date shows whole.
    QHeaderView* header = newsTableView_->horizontalHeader();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    const int dateWidth = QFontMetrics(cells).horizontalAdvance(QStringLiteral("Mon, 07 Dec 2026 11:40:00 GMT")) + 16;
    for (int c = 1; c < model_->columnCount(); ++c) newsTableView_->setColumnWidth(c, dateWidth);

    auto* top = new QHBoxLayout;
    top->setSpacing(6);
    top->addWidget(categoryTextField_);
    top->addWidget(NewsCategoryPopButton_);
    top->addWidget(statusTextField_);
    top->addStretch(1);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(8, 8, 8, 8);
    column->setSpacing(6);
    column->addLayout(top);
    column->addWidget(newsTableView_, 1);

    connect(newsTableView_, &QTableView::doubleClicked, this, [this](const QModelIndex&) { doubleAction(); });
    // Shown in the language's text, sent as the category's name.
    for (std::size_t i = 0; i < kNewsCategories.size(); ++i)
        NewsCategoryPopButton_->addItem(kit::tableText(context_, categoryKey(i)),
                                        kit::exactText(kit::ExactInput(kNewsCategories[i])));
    // Every choice fetches, also the category already shown.
    connect(NewsCategoryPopButton_, &QComboBox::activated, this,
            [this](int index) { LoadNews(NewsCategoryPopButton_->itemData(index).toString().toStdString()); });
    LoadNews(NewsCategoryPopButton_->currentData().toString().toStdString());
}

void NewsTableController::LoadNews(const std::string& category) {
    if (settings_.host.empty()) {
        platform::Log::error("News: no \"NewsServiceHost\" in the login settings; nothing fetched");
        showFailure();
        return;
    }
    fetcher_.get(
        newsAddress(settings_.host, category), [this](std::string body) { parseXml(std::move(body)); },
        [this](const std::string&) { showFailure(); });
}

void NewsTableController::parseXml(std::string body) {
    const bool large = body.size() >= kLargeBody;
    std::string why;
    std::vector<NewsItem> items = readNews(std::move(body), &why);
    if (why.empty()) {
        webDataList_ = std::move(items);
        statusTextField_->hide();
        model_->reload();
    } else {
        platform::Log::error("News: the answer could not be read: " + why);
        showFailure();
    }
    // What reading it took is given back, not kept for the next answer.
    if (large) releaseReadingMemory();
}

void NewsTableController::showFailure() {
    // The list held another category's items: it goes.
    webDataList_.clear();
    model_->reload();
    statusTextField_->setText(kit::tableText(context_, kFetchFailedKey));
    statusTextField_->show();
}

void NewsTableController::doubleAction() {
    const QModelIndexList selected = newsTableView_->selectionModel()->selectedRows();
    if (selected.isEmpty()) return;
    const int row = selected.front().row();
    if (row < 0 || row >= static_cast<int>(webDataList_.size())) return;
    const NewsItem& item = webDataList_[std::size_t(row)];
    const std::string* link = item.find("link");
    const std::string address = link ? *link : std::string();
    if (!state::ResourceFiles::isOpenableUrl(address)) {
        platform::Log::error("Failed to open url: " + address);
        return;
    }
    context_.ui.openUrl(address);
}

}  // namespace news
