#include "kit/common_alert.h"

#include <QApplication>
#include <QLabel>
#include <QSystemTrayIcon>
#include <QTimer>

#include "kit/banner/app_user_notification_center.h"
#include "kit/plain_text.h"
#include "kit/shown_text.h"

namespace kit {

std::unique_ptr<QMessageBox> CommonAlert::makeAlert(const std::string& message, const std::string& title,
                                                    const std::string& buttonTitle, QWidget* parent) {
    auto alert = std::make_unique<QMessageBox>(parent);
    alert->setIcon(QMessageBox::Information);
    alert->setTextFormat(Qt::PlainText);  // "%d" or "<b>" in a message shows as it is
    alert->setText(shownAlertText(shownText(title)));
    setPlainInformativeText(*alert, shownText(message));  // UTF-8 converted only as far as shown
    alert->setStandardButtons(QMessageBox::NoButton);
    alert->addButton(shownText(buttonTitle), QMessageBox::AcceptRole);
    // The informative label guesses its format from the text: make it plain,
    // so that "<b>" in a message is shown and not obeyed.
    for (auto* label : alert->findChildren<QLabel*>()) {
        makePlain(*label);
        if (label->objectName() == u"qt_msgbox_label") {
            QFont bold = label->font();
            bold.setBold(true);
            label->setFont(bold);
        }
        // Wide enough for a refusal on one line, not wrapped into a narrow
        // column; on the label, so that a box laid out again (a new icon) keeps it.
        if (label->objectName() == u"qt_msgbox_informativelabel") label->setMinimumWidth(kMinimumTextWidth);
    }
    return alert;
}

QMessageBox* CommonAlert::ShowCommonAlertVieWwithMessage(const std::string& message, const std::string& title,
                                                         const std::string& buttonTitle) {
    auto* alert = makeAlert(message, title, buttonTitle).release();
    alert->setAttribute(Qt::WA_DeleteOnClose);
    alert->setWindowModality(Qt::ApplicationModal);
    alert->open();
    return alert;
}

void CommonAlert::ShowCommonUserNotificationwithMessage(AppUserNotificationCenter& center, const std::string& appName,
                                                        const std::string& message, const std::string& title) {
    AppUserNotification notification;
    notification.title = appName;
    notification.subtitle = model::shownText(title, std::size_t(kMaxAlertLength));
    notification.informativeText = model::shownText(message, std::size_t(kMaxAlertLength));
    notification.feature.dismissDelayTime = 5.0;
    notification.feature.lineBreakMode = 0;
    notification.soundName = AppUserNotificationDefaultSound;
    center.deliverNotification(std::move(notification));
}

void CommonAlert::showLocalNotificationWithTitle(const std::shared_ptr<SystemNotifier>& notifier, const std::string& title,
                                                 const std::string& subTitle) {
    std::weak_ptr<SystemNotifier> weak = notifier;
    // Cut now: the wait holds only what will be shown.
    QTimer::singleShot(1000, qApp, [weak, title = shownText(title, kMaxAlertLength),
                                    text = shownText(subTitle, kMaxAlertLength)] {
        if (auto target = weak.lock()) target->show(title, text);
    });
}

struct TraySystemNotifier::Tray {
    QSystemTrayIcon icon;
};

TraySystemNotifier::TraySystemNotifier() {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) return;
    tray_ = std::make_unique<Tray>();
    tray_->icon.setIcon(QApplication::windowIcon());
}

TraySystemNotifier::~TraySystemNotifier() = default;

void TraySystemNotifier::show(const QString& title, const QString& text) {
    if (!tray_) return;
    tray_->icon.show();
    tray_->icon.showMessage(title, text);
}

}  // namespace kit
