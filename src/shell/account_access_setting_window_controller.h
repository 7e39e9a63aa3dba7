#pragma once
// The account-access sheet of the settings panel: the accounts the user holds
// as primary holder, the chosen account's other users and the chosen user's
// right. Apply sends the change; the session's map changes only when the
// server accepts it, and either answer closes the sheet.
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <cstdint>
#include <optional>
#include <set>
#include <vector>

#include "model/user_account_maps.h"
#include "platform/notification_center.h"
#include "shell/core/account_access.h"

namespace kit {
struct WindowContext;
}

namespace shell {

class AccountAccessSettingWindowController : public QDialog {
public:
    explicit AccountAccessSettingWindowController(kit::WindowContext& context, QWidget* parent = nullptr);

    // Before every showing: observers, texts, theme, the lists read again and
    // the first account and user chosen; Apply disabled.
    void onWindowLoad();
    // The chosen account's users again (the map arrived, or another account).
    void reloadViews();
    // A choice in one of the three lists, by the text it shows.
    void comboBoxSelectionIsChanging(QComboBox* list);
    void applyButtonClicked();
    void closeModal();
    const AccountAccessChoice& choice() const { return choice_; }

    QGroupBox* acccountAccessBox = nullptr;
    QComboBox* accountComboBox = nullptr;
    QLabel* accountNameLabel = nullptr;
    QComboBox* userComboBox = nullptr;
    QLabel* userNameLabel = nullptr;
    QComboBox* rightsComboBox = nullptr;
    QPushButton* applyButton = nullptr;
    QPushButton* cancelButton = nullptr;

private:
    void updateLanguageStrings();
    void loadUsers();
    void updateValuesinViews();
    void editAccountAccessSucess();
    void ended();

    kit::WindowContext& context_;
    AccountAccessChoice choice_;
    std::set<std::int32_t> requested_;              // accounts whose map was asked for in this opening
    std::optional<model::UserAccountMaps> sent_;    // the change awaiting its answer
    std::vector<platform::ObserverHandle> observers_;
};

}  // namespace shell
