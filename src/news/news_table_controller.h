#pragma once
// The news panel of the main window: the category pop-up, its label and the
// table of the items of the last answer (title, publication time). A failed
// fetch empties the table and says so beside the pop-up. A double click on a
// row opens the item's link. Main thread.
#include <QAbstractTableModel>
#include <QWidget>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "news/core/news_feed.h"
#include "news/news_fetcher.h"

class QComboBox;
class QLabel;
class QTableView;

namespace kit {
struct WindowContext;
}

namespace news {

class NewsTableController;

// The panel's rows, read by the table.
class NewsTableModel : public QAbstractTableModel {
public:
    NewsTableModel(const NewsTableController& owner, std::vector<std::string> columns, std::vector<QString> titles,
                   QObject* parent);
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    void reload();

private:
    const NewsTableController& owner_;
    std::vector<std::string> columns_;
    std::vector<QString> titles_;
    // The server's offset from GMT, read from the session until it is known.
    mutable std::optional<std::chrono::minutes> server_;
};

class NewsTableController : public QWidget {
public:
    struct Settings {
        // "host" or "host:port"; "" fetches nothing.
        std::string host = shippedNewsHost();
        NewsFetcher::Limits limits;
        // Column identifiers; others than the title and date columns stay empty.
        std::vector<std::string> columns = {kTitleColumn, kDateColumn};
    };
    // The "NewsServiceHost" of the shipped login settings' "General" section.
    static std::string shippedNewsHost();
    // The news host for a login on `sessionHost`:`sessionPort` (see newsHostFor).
    static std::string newsHostForLogin(const std::string& sessionHost, int sessionPort);

    NewsTableController(kit::WindowContext& context, Settings settings, QWidget* parent = nullptr);
    NewsTableController(kit::WindowContext& context, QWidget* parent = nullptr)
        : NewsTableController(context, Settings{}, parent) {}

    QTableView* newsTableView() const { return newsTableView_; }
    QComboBox* categoryPopUp() const { return NewsCategoryPopButton_; }
    QLabel* categoryLabel() const { return categoryTextField_; }
    // The line shown when the last fetch failed; hidden otherwise.
    QLabel* statusLabel() const { return statusTextField_; }
    const std::vector<NewsItem>& webDataList() const { return webDataList_; }
    // The server's offset from GMT by the session's server time; nothing before the first ping answer.
    std::optional<std::chrono::minutes> serverOffset() const;
    bool isFetching() const { return fetcher_.isFetching(); }
    const NewsFetcher& fetcher() const { return fetcher_; }

    // One fetch of the category's feed.
    void LoadNews(const std::string& category);
    // Replaces the list with the items of an answer body and reloads the table;
    // a body that cannot be read is logged and said, as a failed fetch.
    void parseXml(std::string body);
    // Opens the link of the selected row's item; nothing without a selection.
    void doubleAction();

private:
    void showFailure();

    kit::WindowContext& context_;
    Settings settings_;
    NewsFetcher fetcher_;
    std::vector<NewsItem> webDataList_;
    QComboBox* NewsCategoryPopButton_ = nullptr;
    QLabel* categoryTextField_ = nullptr;
    QLabel* statusTextField_ = nullptr;
    QTableView* newsTableView_ = nullptr;
    NewsTableModel* model_ = nullptr;
};

}  // namespace news
