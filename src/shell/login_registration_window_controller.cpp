#include "shell/login_registration_window_controller.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QVBoxLayout>
#include <algorithm>
#include <map>

#include "kit/controls/sheet_buttons.h"
#include "kit/control_texts_walk.h"
#include "kit/controls/input_filter_fields.h"
#include "kit/core/preference_manager.h"
#include "kit/plain_text.h"
#include "kit/theme_manager.h"
#include "model/language_string.h"
#include "platform/preferences.h"
#include "platform/resource_bundle.h"
#include "shell/app_delegate.h"
#include "shell/core/demo_registration_form.h"
#include "state/notification_payloads.h"
#include "state/session_commands.h"
#include "state/ui_services.h"
#include "kit/shown_text.h"
#include "kit/own_text.h"

namespace shell {

namespace {

QLabel* taggedLabel(int tag, QWidget* parent) {
    auto* label = kit::plainLabel(parent);
    label->setProperty("tag", tag);
    return label;
}

QComboBox* editableCombo(QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    kit::attachSeparatorGuard(combo->lineEdit());
    return combo;
}

}  // namespace

LoginRegistrationWindowController::LoginRegistrationWindowController(AppDelegate& delegate, QWidget* parent)
    : QDialog(parent), delegate_(delegate) {
    setObjectName("LoginRegistrationWindowController");
    auto* column = new QVBoxLayout(this);
    createdemouserBox = new QGroupBox(this);
    auto* form = new QFormLayout(createdemouserBox);
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    NameTextField = new QLineEdit(createdemouserBox);
    kit::attachSeparatorGuard(NameTextField);
    PhoneTextField = new kit::DecimalInputField(createdemouserBox);  // digits and one point
    EmailTextField = new QLineEdit(createdemouserBox);
    kit::attachSeparatorGuard(EmailTextField);
    DepositComboBox = editableCombo(createdemouserBox);
    CountryComboBox = editableCombo(createdemouserBox);
    SubNewsLetterCheckBox = new QCheckBox(createdemouserBox);
    NameTextField->setMinimumWidth(240);
    form->addRow(taggedLabel(21, createdemouserBox), NameTextField);
    form->addRow(taggedLabel(397, createdemouserBox), PhoneTextField);
    form->addRow(taggedLabel(398, createdemouserBox), EmailTextField);
    form->addRow(taggedLabel(399, createdemouserBox), DepositComboBox);
    form->addRow(taggedLabel(400, createdemouserBox), CountryComboBox);
    form->addRow(QString(), SubNewsLetterCheckBox);
    column->addWidget(createdemouserBox);
    const kit::SheetButtons buttons = kit::addSheetButtons(this, column);
    cancelButton = buttons.cancel;
    submitButton = buttons.confirm;
    connect(submitButton, &QPushButton::clicked, this, [this] { registerButtonClicked(); });
    connect(cancelButton, &QPushButton::clicked, this, [this] { closeModal(); });
    connect(this, &QDialog::finished, this, [this] {
        observers_.clear();
        initiated_ = false;
    });
}

std::string LoginRegistrationWindowController::text(const char* key) const {
    return model::LanguageString::stringforSelectedLanguage(delegate_.session().selectedLanguage(), key);
}

void LoginRegistrationWindowController::onWindowLoad() {
    if (QWidget* focused = focusWidget()) focused->clearFocus();
    if (!initiated_) {
        auto& center = platform::NotificationCenter::defaultCenter();
        observers_.emplace_back(&center, center.addObserver(state::notifications::kSendLoginRegistrationRequest,
                                                            [this](const platform::Notification&) {
                                                                DemoUserCreationRequest();
                                                            }));
        observers_.emplace_back(&center,
                                center.addObserver(state::notifications::kDemoUserCreation,
                                                   [this](const platform::Notification& n) { requestDone(n); }));
        initiated_ = true;
    }
    for (QLineEdit* field : {NameTextField, PhoneTextField, EmailTextField}) field->clear();
    SubNewsLetterCheckBox->setChecked(false);
    LoadDepositData();
    LoadCountriesData();
    CountryComboBox->setEditText(QString());
    updateLanguageStrings();
    applyTheme();
}

void LoginRegistrationWindowController::updateLanguageStrings() {
    const std::int64_t language = delegate_.session().selectedLanguage();
    createdemouserBox->setTitle(kit::shownText(text("0313")));
    kit::applyControlTexts(createdemouserBox, language);
    SubNewsLetterCheckBox->setText(kit::shownText(text("0395")));
    submitButton->setText(kit::shownText(text("0396")));
    cancelButton->setText(kit::shownText(text("0060")));
}

void LoginRegistrationWindowController::applyTheme() {
    kit::ThemeManager::applyTheme(
        {{"Windows", {this}},
         {"TextField", {NameTextField, PhoneTextField, EmailTextField, DepositComboBox, CountryComboBox}}},
        delegate_.preferences().integerForKey(kit::PreferenceManager::kTheme));
}

void LoginRegistrationWindowController::LoadDepositData() {
    const auto amounts = depositAmounts(platform::ResourceBundle::propertyList("DepositAmountPropertyList"),
                                        delegate_.session().logindata().depositAmountListType());
    if (!amounts) return;  // no list: the box keeps its text and items
    DepositComboBox->clear();
    for (const std::string& amount : *amounts) DepositComboBox->addItem(kit::shownText(amount));
    if (!amounts->empty()) DepositComboBox->setCurrentIndex(0);
}

void LoginRegistrationWindowController::LoadCountriesData() {
    // The ISO 3166 territories Qt knows, by their English names (Qt names a
    // territory only in English), sorted by name as a reader looks one up.
    std::map<QString, QString> byCode;
    for (int t = 1; t <= static_cast<int>(QLocale::LastTerritory); ++t) {
        const auto territory = static_cast<QLocale::Territory>(t);
        const QString code = QLocale::territoryToCode(territory);
        if (code.size() == 2) byCode.emplace(code, QLocale::territoryToString(territory));
    }
    QStringList names;
    for (const auto& [code, name] : byCode) names << name;
    std::sort(names.begin(), names.end(),
              [](const QString& a, const QString& b) { return QString::localeAwareCompare(a, b) < 0; });
    CountryComboBox->clear();
    CountryComboBox->addItems(names);
}

model::DemoRegistration LoginRegistrationWindowController::form() const {
    model::DemoRegistration f;
    f.name = NameTextField->text().toStdString();
    f.phone = PhoneTextField->text().toStdString();
    f.email = EmailTextField->text().toStdString();
    f.deposit = DepositComboBox->currentText().toStdString();
    f.country = CountryComboBox->currentText().toStdString();
    f.newsletter = SubNewsLetterCheckBox->isChecked();
    return f;
}

bool LoginRegistrationWindowController::validationsBeforeRegister() {
    const auto failure = checkRegistrationForm(form());
    if (failure) delegate_.ui().showAlert(text(failure->c_str()), text("10980"));
    return !failure;
}

void LoginRegistrationWindowController::registerButtonClicked() {
    if (validationsBeforeRegister()) delegate_.demoRegistrationSubmit();
}

void LoginRegistrationWindowController::DemoUserCreationRequest() {
    if (state::SessionCommands* commands = delegate_.session().commands()) commands->DemoUserCreationRequest(form());
}

void LoginRegistrationWindowController::requestDone(const platform::Notification& notification) {
    const auto* created = notification.as<state::DemoUserCreated>();
    if (!created) return;
    LoginWindow* login = delegate_.window();
    if (login) {
        login->usernameTextField->setText(kit::exactText(kit::ExactInput(created->user)));
        login->passwordTextField->setText(kit::exactText(kit::ExactInput(created->password)));
    }
    delete result_.data();
    // The login and password are the server's: shown as typed, no link.
    result_ = kit::plainMessageBox(QMessageBox::Information, kit::shownText(delegate_.AppName()),
                                   kit::shownText(text("0315")), this);
    kit::setPlainInformativeText(*result_, kit::shownText(registrationResultText(
                                               text("0037"), created->user, text("0078"), created->password, text("0316"))));
    QPushButton* ok = result_->addButton(kit::shownText(text("0167")), QMessageBox::AcceptRole);
    result_->setDefaultButton(ok);
    result_->setAttribute(Qt::WA_DeleteOnClose);
    connect(result_, &QMessageBox::buttonClicked, this, [this, ok](QAbstractButton* b) {
        if (b == ok) closeModal();
    });
    result_->open();
}

void LoginRegistrationWindowController::closeModal() {
    observers_.clear();
    initiated_ = false;
    reject();
}

}  // namespace shell
