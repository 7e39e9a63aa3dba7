#include "shell/account_access_setting_window_controller.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include <algorithm>

#include "kit/control_texts_walk.h"
#include "kit/plain_text.h"
#include "kit/theme_manager.h"
#include "kit/window_context.h"
#include "platform/main_executor.h"
#include "state/session_commands.h"
#include "state/notification_payloads.h"
#include "state/session_view.h"
#include "views/core/status_words.h"
#include "kit/own_text.h"
#include "kit/shown_text.h"

namespace shell {

namespace {

QLabel* taggedLabel(int tag, QWidget* parent) {
    auto* label = kit::plainLabel(parent);
    label->setProperty("tag", tag);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

void fill(QComboBox* list, const std::vector<std::string>& texts) {
    list->clear();
    for (const std::string& text : texts) list->addItem(kit::shownText(text));
}

}  // namespace

AccountAccessSettingWindowController::AccountAccessSettingWindowController(kit::WindowContext& context,
                                                                           QWidget* parent)
    : QDialog(parent), context_(context) {
    setObjectName("AccountAccessSettingWindowController");
    auto* column = new QVBoxLayout(this);
    acccountAccessBox = new QGroupBox(this);
    auto* grid = new QGridLayout(acccountAccessBox);
    accountComboBox = new QComboBox(acccountAccessBox);
    accountNameLabel = kit::plainLabel(acccountAccessBox);
    userComboBox = new QComboBox(acccountAccessBox);
    userNameLabel = kit::plainLabel(acccountAccessBox);
    rightsComboBox = new QComboBox(acccountAccessBox);
    grid->addWidget(taggedLabel(12, acccountAccessBox), 0, 0);
    grid->addWidget(accountComboBox, 0, 1);
    grid->addWidget(accountNameLabel, 0, 2);
    grid->addWidget(taggedLabel(65, acccountAccessBox), 1, 0);
    grid->addWidget(userComboBox, 1, 1);
    grid->addWidget(userNameLabel, 1, 2);
    grid->addWidget(taggedLabel(492, acccountAccessBox), 2, 0);
    grid->addWidget(rightsComboBox, 2, 1);
    grid->setColumnStretch(2, 1);
    for (QComboBox* list : {accountComboBox, userComboBox, rightsComboBox}) {
        list->setMinimumWidth(130);
        connect(list, &QComboBox::activated, this, [this, list] { comboBoxSelectionIsChanging(list); });
    }
    accountNameLabel->setMinimumWidth(140);
    for (QLabel* serverText : {accountNameLabel, userNameLabel}) serverText->setTextFormat(Qt::PlainText);
    column->addWidget(acccountAccessBox);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    cancelButton = new QPushButton(this);
    cancelButton->setProperty("tag", 60);
    applyButton = new QPushButton(this);
    applyButton->setProperty("tag", 373);
    applyButton->setDefault(true);
    buttons->addWidget(cancelButton);
    buttons->addWidget(applyButton);
    column->addLayout(buttons);
    connect(applyButton, &QPushButton::clicked, this, [this] { applyButtonClicked(); });
    connect(cancelButton, &QPushButton::clicked, this, [this] { closeModal(); });
    connect(this, &QDialog::finished, this, [this] { ended(); });
}

void AccountAccessSettingWindowController::updateLanguageStrings() {
    acccountAccessBox->setTitle(kit::tableText(context_, "0490"));
    kit::applyControlTexts(this, context_.language);
}

void AccountAccessSettingWindowController::onWindowLoad() {
    platform::assertMainThread();
    auto& center = platform::NotificationCenter::defaultCenter();
    observers_.clear();
    observers_.emplace_back(&center, center.addObserver(state::notifications::kUserAccountMap,
                                                        [this](const platform::Notification&) { reloadViews(); }));
    observers_.emplace_back(&center,
                            center.addObserver(state::notifications::kEditUserAccountAccessSuccess,
                                               [this](const platform::Notification&) { editAccountAccessSucess(); }));
    observers_.emplace_back(&center, center.addObserver(state::notifications::kEditUserAccountAccessFailure,
                                                        [this](const platform::Notification&) { closeModal(); }));
    updateLanguageStrings();
    kit::ThemeManager::applyTheme({{"Windows", {this}}}, context_.theme());
    requested_.clear();
    sent_.reset();
    const auto user = context_.view.userInfo();
    choice_.loadAccounts(context_.view.getAccountCollection(),
                         user ? static_cast<std::uint64_t>(static_cast<std::int64_t>(user->UserId)) : 0);
    fill(accountComboBox, choice_.accountTexts());
    std::vector<std::string> rights;
    for (std::uint64_t right : accessRights())
        rights.push_back(context_.text(views::accountAccessKey(static_cast<std::int64_t>(right))));
    fill(rightsComboBox, rights);
    rightsComboBox->setCurrentIndex(0);
    loadUsers();
    updateValuesinViews();
}

void AccountAccessSettingWindowController::loadUsers() {
    const model::AccountDetails* account = choice_.account();
    if (!account) {
        choice_.loadUsers({});
    } else {
        // Asked for once per account and opening; its answer reloads the users.
        if (!context_.view.isUserMappedWithAccount(static_cast<std::uint64_t>(account->AccountId)) &&
            requested_.insert(account->AccountId).second)
            context_.commands.requestUserMapWithMyAccount(account->AccountId);
        choice_.loadUsers(context_.view.getUserMappedWithAccount(static_cast<std::uint64_t>(account->AccountId)));
    }
    fill(userComboBox, choice_.userTexts());
}

void AccountAccessSettingWindowController::reloadViews() {
    loadUsers();
    updateValuesinViews();
}

void AccountAccessSettingWindowController::updateValuesinViews() {
    const model::AccountDetails* account = choice_.account();
    accountComboBox->setCurrentIndex(account ? accountComboBox->findText(QString::number(account->AccountId)) : -1);
    kit::setShownText(*accountNameLabel, account ? account->AccountName : std::string());
    const model::UserAccountMaps* user = choice_.user();
    userComboBox->setCurrentIndex(user ? userComboBox->findText(QString::number(user->userId)) : -1);
    kit::setShownText(*userNameLabel, user ? user->userName : std::string());
    rightsComboBox->setEnabled(choice_.rightsEnabled());
    // An unlisted code leaves the choice as it is.
    const auto& rights = accessRights();
    const auto listed = std::find(rights.begin(), rights.end(), choice_.pendingRight());
    if (listed != rights.end()) rightsComboBox->setCurrentIndex(int(listed - rights.begin()));
    applyButton->setEnabled(choice_.applyEnabled());
}

void AccountAccessSettingWindowController::comboBoxSelectionIsChanging(QComboBox* list) {
    const std::string text = list->currentText().toStdString();
    if (list == accountComboBox) {
        if (choice_.chooseAccount(text)) loadUsers();
    } else if (list == userComboBox) {
        choice_.chooseUser(text);
    } else if (list == rightsComboBox) {
        const int index = rightsComboBox->currentIndex();
        if (index >= 0 && std::size_t(index) < accessRights().size())
            choice_.chooseRight(accessRights()[std::size_t(index)]);
    }
    updateValuesinViews();
}

void AccountAccessSettingWindowController::applyButtonClicked() {
    const auto edit = choice_.edit();
    if (!edit) return;
    applyButton->setEnabled(false);
    choice_.applied();
    sent_ = edit;
    context_.commands.requestEditUserAccountAccessByClient(*edit);
}

void AccountAccessSettingWindowController::editAccountAccessSucess() {
    if (sent_) context_.commands.updateUserAccountMaps(*sent_);
    closeModal();
}

void AccountAccessSettingWindowController::closeModal() {
    ended();
    reject();
}

void AccountAccessSettingWindowController::ended() {
    observers_.clear();
    sent_.reset();
}

}  // namespace shell
