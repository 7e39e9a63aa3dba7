#pragma once
// One banner window: built from a record, slides in at the top right, goes
// away after the record's delay, on its closing button or when every banner
// is dismissed; clicks go to the activation handler.
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "kit/core/banner_geometry.h"
#include "kit/core/banner_lifecycle.h"
#include "kit/banner/app_user_notification.h"
#include "platform/notification_center.h"

class QAbstractAnimation;

namespace kit {

struct BannerTiming {
    int slideInMs = kBannerSlideInMs;
    int slideOutMs = kBannerSlideOutMs;
};

// Momentary button with the banner's light bezel.
class AppUserNotificationBannerButton : public QPushButton {
public:
    explicit AppUserNotificationBannerButton(const QString& title, QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;
};

class AppUserNotificationBannerController : public QWidget {
public:
    // Given the banner's record and how it was activated.
    using ActivationHandler = std::function<void(const AppUserNotification&, std::int64_t type)>;

    AppUserNotificationBannerController(AppUserNotification notification,
                                        std::shared_ptr<AppUserNotificationCenterDelegate> delegate,
                                        ActivationHandler handler, BannerTiming timing = {});
    ~AppUserNotificationBannerController() override;

    // The shown frames of the banners on screen, which this one stacks below.
    void setTakenFrames(std::vector<Rect> taken) { taken_ = std::move(taken); }
    void presentBanner();
    void presentBannerDismissAfter(double seconds);
    void dismissBanner();
    void actionButtonAction();
    void otherButtonAction();

    const AppUserNotification& userNotification() const { return notification_; }
    BannerLifecycle::Phase phase() const { return lifecycle_.phase(); }
    const BannerFrames& frames() const { return frames_; }
    QPushButton* actionButton() const { return actionButton_; }
    QPushButton* otherButton() const { return otherButton_; }
    QLabel* informativeTextLabel() const { return informativeText_; }
    double labelWidth() const { return labelWidth_; }

protected:
    void paintEvent(QPaintEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;

private:
    void prepareNotificationBanner();
    void calculateBannerPositions(double layoutHeight);
    double informativeTextHeightForWidth(double width) const;
    // The informative text in its shown form: all that is measured or laid out.
    QString shownInformativeText() const;
    void animateTo(const Rect& frame, double opacity, int ms);
    void animationFinished();

    AppUserNotification notification_;
    bool releasesMemory_ = false;  // holds a large value: its pages go back with it
    std::shared_ptr<AppUserNotificationCenterDelegate> delegate_;
    ActivationHandler handler_;
    BannerTiming timing_;
    BannerLifecycle lifecycle_;
    BannerFrames frames_;
    std::vector<Rect> taken_;
    double labelWidth_ = 0;
    QLabel* image_ = nullptr;
    QLabel* title_ = nullptr;
    QLabel* subtitle_ = nullptr;
    QLabel* informativeText_ = nullptr;
    QPushButton* actionButton_ = nullptr;
    QPushButton* otherButton_ = nullptr;
    QPointer<QAbstractAnimation> animation_;
    platform::ObserverHandle dismissObserver_;
};

}  // namespace kit
