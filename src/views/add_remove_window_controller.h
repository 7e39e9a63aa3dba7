#pragma once
// The watchlist editor sheet: the instrument types under one group row, the
// instruments of the chosen type or of the search with their marks, add
// (tag 100), remove (tag 200) and a double click that toggles. Every change
// is saved at once; the watchlists and the ticket follow.
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTreeWidget>
#include <memory>

#include "views/core/watchlist_editor.h"
#include "views/editor_rows_model.h"

namespace kit {
struct WindowContext;
}

namespace views {

class AddRemoveWindowController : public QDialog {
public:
    static constexpr int kAddTag = 100;
    static constexpr int kRemoveTag = 200;

    explicit AddRemoveWindowController(kit::WindowContext& context, QWidget* parent = nullptr);

    // Before each showing: texts, theme, no selection, empty search, no
    // focus, the last chosen type's list.
    void showWindow();
    // The outline's selection: a type row shows its instruments.
    void outlineViewSelectionDidChange();
    void SearchSymbols();
    // Adds, removes or toggles (any other tag) the selected rows, then saves.
    void ShowandHideSymbolsinWatchlist(int tag);
    void SaveAddRemoveItems();

    QTreeWidget* ItemCategoryOutlineView = nullptr;
    QTableView* ItemTableView = nullptr;
    QLineEdit* symbolSearchField = nullptr;
    QPushButton* addButton = nullptr;
    QPushButton* removeButton = nullptr;
    const WatchlistEditor& editor() const { return *editor_; }

private:
    void windowDidLoad();
    void updateLanguageStrings();
    void applyTheme();
    void reloadItems();

    kit::WindowContext& context_;
    std::unique_ptr<WatchlistEditor> editor_;
    EditorRowsModel* itemRows_ = nullptr;
    bool showing_ = false;  // showWindow reloads the rows once, after choosing the first type
};

}  // namespace views
