#pragma once
// The font-size sheet of the settings panel: the watchlist's and the order
// tables' sizes, 10, 12, 16 or 20 points; Apply stores both, Cancel discards.
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QPushButton>
#include <cstdint>

namespace kit {
struct WindowContext;
}

namespace shell {

class FontSizeSettingsWindowController : public QDialog {
public:
    explicit FontSizeSettingsWindowController(kit::WindowContext& context, QWidget* parent = nullptr);

    // Before every showing: Apply disabled, texts, theme, the stored sizes.
    void onWindowLoad();
    void loadData();
    // A choice in one of the lists: Apply enabled; the list's pending size
    // follows its text, which keeps it when the text is not one of the items.
    void comboBoxSelectionIsChanging(QComboBox* list);
    void applyButtonClicked();

    std::uint64_t wlFontSize() const { return wlFontSize_; }
    std::uint64_t poFontSize() const { return poFontSize_; }

    QGroupBox* fontSizeBox = nullptr;
    QComboBox* watchlistComboBox = nullptr;
    QComboBox* positionsComboBox = nullptr;
    QPushButton* applyButton = nullptr;
    QPushButton* cancelButton = nullptr;

private:
    void updateLanguageStrings();
    void showSize(QComboBox* list, std::uint64_t size);

    kit::WindowContext& context_;
    std::uint64_t wlFontSize_ = 0;
    std::uint64_t poFontSize_ = 0;
};

}  // namespace shell
