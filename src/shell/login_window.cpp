#include "shell/login_window.h"

#include <QKeyEvent>
#include <QRawFont>
#include <QStyleOptionComboBox>
#include <QtMath>
#include <algorithm>

#include <QButtonGroup>
#include <QCloseEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "kit/controls/input_filter_fields.h"
#include "kit/plain_text.h"
#include "kit/popover_placement.h"
#include "shell/core/login_form.h"
#include "model/language_string.h"
#include "kit/own_text.h"
#include "kit/shown_text.h"

namespace shell {

namespace {

QString keyText(std::int64_t language, const char* key) {
    return kit::tableText(language, key);
}

QLineEdit* guarded(QLineEdit* field) {
    kit::attachSeparatorGuard(field);
    field->setMinimumWidth(220);
    return field;
}

bool isReturn(const QKeyEvent* event) {
    const int key = event->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

}  // namespace

QSize LanguageComboBox::sizeHint() const {
    // As the list measures its texts, less the names of other scripts.
    const QRawFont own = QRawFont::fromFont(font());
    const QFontMetrics metrics = fontMetrics();
    int widest = 0;
    for (int i = 0; i < count(); ++i) {
        const QString name = itemText(i);
        const QList<uint> characters = name.toUcs4();
        if (std::all_of(characters.begin(), characters.end(), [&](uint c) { return own.supportsCharacter(c); }))
            widest = std::max(widest, metrics.boundingRect(name).width());
    }
    constexpr int kLeastTextHeight = 14;  // and the 2 points above it, as the list's own measure
    const QSize text(widest, std::max(qCeil(QFontMetricsF(metrics).height()), kLeastTextHeight) + 2);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    return style()->sizeFromContents(QStyle::CT_ComboBox, &option, text, this);
}

void LanguageComboBox::keyPressEvent(QKeyEvent* event) {
    // The arrows already chose; Return ends there.
    if (isReturn(event)) {
        event->accept();
        return;
    }
    QComboBox::keyPressEvent(event);
}

LoginWindow::LoginWindow(QWidget* parent) : QWidget(parent) {
    setObjectName("LoginWindow");
    languagesComboBox = new LanguageComboBox(this);
    for (const auto& name : languageNames()) languagesComboBox->addItem(kit::shownText(name));

    liveSegment = new QPushButton(this);
    demoSegment = new QPushButton(this);
    auto* segments = new QButtonGroup(this);
    for (QPushButton* b : {liveSegment, demoSegment}) {
        b->setCheckable(true);
        b->setMinimumWidth(110);
        segments->addButton(b);
    }
    segments->setExclusive(true);
    liveSegment->setChecked(true);
    connect(segments, &QButtonGroup::idClicked, this, [this](int) { emit segmentChanged(selectedSegment()); });
    for (QPushButton* b : {liveSegment, demoSegment}) connect(b, &QPushButton::toggled, this, [this] { markSegments(); });

    usernameTextField = guarded(new QLineEdit(this));
    passwordTextField = guarded(new QLineEdit(this));
    passwordTextField->setEchoMode(QLineEdit::Password);
    serverTextField = guarded(new QLineEdit(this));
    portTextField = new kit::CustomTextField(this);  // digits only
    portTextField->setMinimumWidth(220);
    CheckBox = new QCheckBox(this);

    loginBox = new QGroupBox(this);
    auto* loginForm = new QVBoxLayout(loginBox);
    loginForm->addWidget(usernameTextField);
    loginForm->addWidget(passwordTextField);
    rememberNote = kit::plainLabel(this);
    rememberNote->setVisible(false);
    auto* rememberRow = new QHBoxLayout;
    rememberRow->addWidget(CheckBox);
    rememberRow->addWidget(rememberNote, 1);
    loginForm->addLayout(rememberRow);
    connect(CheckBox, &QCheckBox::toggled, this, [this] { updateRememberNote(); });
    connect(usernameTextField, &QLineEdit::textChanged, this, [this] { updateRememberNote(); });

    // The connection settings live in a drawer at the window's right edge.
    rightDrawer = new QFrame(this);
    rightDrawer->setObjectName("rightDrawer");
    rightDrawer->setFrameShape(QFrame::StyledPanel);
    connectionsettingsBox = new QGroupBox(rightDrawer);
    auto* connection = new QVBoxLayout(connectionsettingsBox);
    connection->addWidget(serverTextField);
    connection->addWidget(portTextField);
    resetdefaultsButton = new QPushButton(connectionsettingsBox);
    auto* resetRow = new QHBoxLayout;
    resetRow->addStretch();
    resetRow->addWidget(resetdefaultsButton);
    connection->addLayout(resetRow);

    loginProgressIndicator = new QProgressBar(this);
    loginProgressIndicator->setRange(0, 0);  // busy
    loginProgressIndicator->setTextVisible(false);
    loginProgressIndicator->setFixedWidth(90);
    loginProgressIndicator->setMaximumHeight(8);
    loginButton = new QPushButton(this);
    cancelButton = new QPushButton(this);
    for (QPushButton* b : {loginButton, cancelButton}) b->setMinimumWidth(100);
    auto* actions = new QHBoxLayout;
    actions->addWidget(loginProgressIndicator);
    actions->addStretch();
    actions->addWidget(cancelButton);
    actions->addWidget(loginButton);

    demouserCreationButton = new QPushButton(this);
    openliveaccountButton = new QPushButton(this);
    drawerButton = new QPushButton(this);
    drawerButton->setCheckable(true);
    for (QPushButton* b : {demouserCreationButton, openliveaccountButton, drawerButton}) b->setFlat(true);
    auto* accounts = new QHBoxLayout;
    accounts->addWidget(demouserCreationButton);
    accounts->addStretch();
    accounts->addWidget(drawerButton);
    accounts->addWidget(openliveaccountButton);

    auto* top = new QHBoxLayout;
    top->addWidget(liveSegment);
    top->addWidget(demoSegment);
    top->setSpacing(0);
    auto* header = new QHBoxLayout;
    header->addLayout(top);
    header->addStretch();
    header->addWidget(languagesComboBox);

    auto* drawerColumn = new QVBoxLayout(rightDrawer);
    drawerColumn->addWidget(connectionsettingsBox);
    drawerColumn->addStretch();
    rightDrawer->setMinimumWidth(260);
    rightDrawer->hide();

    auto* column = new QVBoxLayout;
    column->setSpacing(10);
    column->addLayout(header);
    column->addWidget(loginBox);
    column->addLayout(actions);
    column->addLayout(accounts);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(18, 16, 18, 14);
    layout->setSpacing(12);
    layout->addLayout(column, 1);
    layout->addWidget(rightDrawer);
    connect(drawerButton, &QPushButton::clicked, this, [this] { toggleRightDrawer(); });

    setBusy(false);
    setMinimumWidth(420);
}

// The list may close while the children go; the window no longer listens then.
LoginWindow::~LoginWindow() { languagesComboBox->disconnect(this); }

void LoginWindow::keyPressEvent(QKeyEvent* event) {
    // Return that no field took logs in; the language list keeps its own, and
    // its open list is a window of its own whose keys never come here.
    if (isReturn(event) && loginButton->isVisible() && loginButton->isEnabled()) {
        event->accept();
        loginButton->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

LoginFields LoginWindow::fields() const {
    return {usernameTextField->text().toStdString(), passwordTextField->text().toStdString(),
            serverTextField->text().toStdString(), portTextField->text().toStdString()};
}

void LoginWindow::setFields(const LoginFields& f) {
    usernameTextField->setText(kit::exactText(kit::ExactInput(f.userName)));
    passwordTextField->setText(kit::exactText(kit::ExactInput(f.password)));
    serverTextField->setText(kit::exactText(kit::ExactInput(f.server)));
    portTextField->setText(kit::exactText(kit::ExactInput(f.port)));
}

void LoginWindow::toggleRightDrawer() { setDrawerOpen(!isDrawerOpen()); }

void LoginWindow::setDrawerOpen(bool open) {
    rightDrawer->setVisible(open);
    drawerButton->setChecked(open);
    // Grows and shrinks by the drawer (adjustSize would cap it at two thirds of the screen).
    layout()->activate();
    resize(sizeHint().expandedTo(minimumSize()));
    if (isVisible()) kit::keepOnScreen(*this);
}

void LoginWindow::setSelectedSegment(int segment) { (segment == 1 ? demoSegment : liveSegment)->setChecked(true); }

void LoginWindow::setBusy(bool busy) {
    loginButton->setVisible(!busy);
    cancelButton->setVisible(busy);
    for (QWidget* w : std::initializer_list<QWidget*>{demouserCreationButton, openliveaccountButton, usernameTextField,
                                                      passwordTextField, serverTextField, portTextField, liveSegment,
                                                      demoSegment, CheckBox, languagesComboBox, resetdefaultsButton,
                                                      drawerButton})
        w->setEnabled(!busy);
    // Keeps its place while hidden, so the buttons do not jump.
    QSizePolicy policy = loginProgressIndicator->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    loginProgressIndicator->setSizePolicy(policy);
    loginProgressIndicator->setVisible(busy);
}

void LoginWindow::updateLanguageStrings(std::int64_t language) {
    setWindowTitle(keyText(language, "0037"));
    liveSegment->setText(keyText(language, "0417"));
    demoSegment->setText(keyText(language, "0465"));
    usernameTextField->setPlaceholderText(keyText(language, "0065"));
    passwordTextField->setPlaceholderText(keyText(language, "0078"));
    serverTextField->setPlaceholderText(keyText(language, "0080"));
    portTextField->setPlaceholderText(keyText(language, "0079"));
    CheckBox->setText(keyText(language, "10998"));
    rememberNote->setText(keyText(language, "90200"));
    loginButton->setText(keyText(language, "0037"));
    cancelButton->setText(keyText(language, "0060"));
    resetdefaultsButton->setText(keyText(language, "0105"));
    loginBox->setTitle(keyText(language, "0037"));
    connectionsettingsBox->setTitle(keyText(language, "10973"));
    drawerButton->setText(keyText(language, "10973"));
    demouserCreationButton->setText(keyText(language, "0313"));
    openliveaccountButton->setText(keyText(language, "10988"));
    // As wide as this language's texts, longer or shorter than the last one's (adjustSize
    // would cap it at two thirds of the screen).
    layout()->activate();
    resize(sizeHint().expandedTo(minimumSize()));
    if (isVisible()) kit::keepOnScreen(*this);
}

void LoginWindow::updateRememberNote() {
    const bool show = CheckBox->isChecked() && !canRemember(usernameTextField->text().toStdString());
    if (show != rememberNote->isHidden()) return;
    rememberNote->setVisible(show);
    if (show && width() < sizeHint().width()) adjustSize();  // the note is read whole
}

void LoginWindow::markSegments() {
    const QPalette window = palette();
    for (QPushButton* b : {liveSegment, demoSegment}) {
        QPalette own;  // roles left unset follow the window
        if (b->isChecked()) {
            own.setColor(QPalette::Button, window.color(QPalette::Highlight));
            own.setColor(QPalette::ButtonText, window.color(QPalette::HighlightedText));
        }
        b->setPalette(own);
        QFont font = b->font();
        font.setBold(b->isChecked());
        b->setFont(font);
    }
}

void LoginWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) markSegments();
}

void LoginWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    emit closedByUser();
}

}  // namespace shell
