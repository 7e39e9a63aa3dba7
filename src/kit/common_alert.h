#pragma once
// The modal one-button alert, the standard 5-second banner and the system notification.
#include <QMessageBox>
#include <functional>
#include <memory>
#include <string>

namespace kit {

class AppUserNotificationCenter;
class SystemNotifier;

class CommonAlert {
public:
    // The width the message has at least before it wraps.
    static constexpr int kMinimumTextWidth = 340;
    // The alert, built but not shown: title in bold, message as plain text, one button
    // titled in the language ("0167").
    static std::unique_ptr<QMessageBox> makeAlert(const std::string& message, const std::string& title,
                                                  const std::string& buttonTitle, QWidget* parent = nullptr);
    // Opened application-modal without blocking; it deletes itself when closed.
    static QMessageBox* ShowCommonAlertVieWwithMessage(const std::string& message, const std::string& title,
                                                       const std::string& buttonTitle);
    // A wrapped banner titled `appName`, gone 5 s after its slide-in started.
    static void ShowCommonUserNotificationwithMessage(AppUserNotificationCenter& center, const std::string& appName,
                                                      const std::string& message, const std::string& title);
    // Handed to the system one second from now, title and text in their shown form.
    static void showLocalNotificationWithTitle(const std::shared_ptr<SystemNotifier>& notifier, const std::string& title,
                                               const std::string& subTitle);
};

// The desktop's notification area; given texts in their shown form.
class SystemNotifier {
public:
    virtual ~SystemNotifier() = default;
    virtual void show(const QString& title, const QString& text) = 0;
};

// Through the system tray; shows nothing where there is no tray.
class TraySystemNotifier : public SystemNotifier {
public:
    TraySystemNotifier();
    ~TraySystemNotifier() override;
    void show(const QString& title, const QString& text) override;

private:
    struct Tray;
    std::unique_ptr<Tray> tray_;
};

}  // namespace kit
