#include "kit/banner/app_user_notification_banner_controller.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QParallelAnimationGroup>
#include <QPropertyAnimation>
#include <QScreen>
#include <QStyleOptionButton>
#include <QTimer>
#include <cmath>

#include "kit/core/kit_payloads.h"
#include "kit/plain_text.h"
#include "kit/shown_text.h"
#include "platform/free_memory.h"

namespace kit {

namespace {

QColor white(double level, double alpha = 1.0) { return QColor::fromRgbF(level, level, level, alpha); }

QFont bannerFont(double points, bool bold) {
    QFont font = QApplication::font();
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QLabel* makeLabel(QWidget* parent, const char* identifier, const QString& shown, const QFont& font,
                  double level) {
    auto* label = plainLabel(parent);
    label->setObjectName(identifier);
    label->setTextFormat(Qt::PlainText);  // the sender's text, shown as it is
    label->setText(shown);
    label->setFont(font);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, white(level));
    label->setPalette(palette);
    return label;
}

Qt::TextElideMode elideMode(std::uint64_t lineBreakMode) {
    switch (lineBreakMode) {
        case 3: return Qt::ElideLeft;
        case 5: return Qt::ElideMiddle;
        case 4: return Qt::ElideRight;
        default: return Qt::ElideNone;
    }
}

// What a record holds beyond its shown texts (an address to open).
std::size_t heldBytes(const AppUserNotification& n) {
    std::size_t bytes = 0;
    for (const auto& [key, value] : n.userInfo) bytes += key.size() + value.size();
    return bytes;
}

QRect toQRect(const Rect& r) {
    return QRect(int(std::lround(r.x)), int(std::lround(r.y)), int(std::lround(r.width)),
                 int(std::lround(r.height)));
}

}  // namespace

AppUserNotificationBannerButton::AppUserNotificationBannerButton(const QString& title, QWidget* parent)
    : QPushButton(title, parent) {
    setFont(bannerFont(12, false));
    setCursor(Qt::PointingHandCursor);
}

QSize AppUserNotificationBannerButton::sizeHint() const {
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(text()) + 26, metrics.height() + 14};
}

void AppUserNotificationBannerButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF frame = QRectF(rect()).adjusted(5, 5, -5, -5);
    QPainterPath border;
    border.addRoundedRect(frame, 4, 4);
    p.fillPath(border, white(0.369));
    QPainterPath inner;
    const QRectF face = frame.adjusted(0.5, 0.5, -0.5, -0.5);
    inner.addRoundedRect(face, 4, 4);
    // The shading turns over while pressed.
    QLinearGradient gradient(face.topLeft(), face.bottomLeft());
    gradient.setColorAt(isDown() ? 1 : 0, white(0.98, 0.95));
    gradient.setColorAt(isDown() ? 0 : 1, white(0.802, 0.95));
    p.fillPath(inner, gradient);
    p.setPen(white(0.238));
    p.setFont(font());
    p.drawText(face, Qt::AlignCenter, text());
}

AppUserNotificationBannerController::AppUserNotificationBannerController(
    AppUserNotification notification, std::shared_ptr<AppUserNotificationCenterDelegate> delegate,
    ActivationHandler handler, BannerTiming timing)
    : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool),
      notification_(std::move(notification)),
      releasesMemory_(heldBytes(notification_) >= platform::kLargeAnswerBytes),
      delegate_(std::move(delegate)),
      handler_(std::move(handler)),
      timing_(timing) {
    setAttribute(Qt::WA_TranslucentBackground);
    // The window being typed in keeps the keyboard while a banner shows.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowOpacity(0.0);
    auto& center = platform::NotificationCenter::defaultCenter();
    dismissObserver_ = platform::ObserverHandle(
        &center, center.addObserver(kDismissBannerNotification, [this](const platform::Notification&) {
            dismissBanner();
        }));
}

AppUserNotificationBannerController::~AppUserNotificationBannerController() {
    // Once the banner and its widgets are gone.
    if (releasesMemory_ && qApp) QTimer::singleShot(0, qApp, [] { platform::releaseFreeMemory(); });
}

void AppUserNotificationBannerController::prepareNotificationBanner() {
    const bool hasButtons = notification_.hasActionButton;
    const QFont titleFont = bannerFont(12, true);
    const QFont textFont = bannerFont(11, false);
    const double labelHeight = QFontMetrics(titleFont).height();

    image_ = plainLabel(this);
    QImage picture = notification_.feature.bannerImage;
    if (picture.isNull()) picture = QApplication::windowIcon().pixmap(36, 36).toImage();
    if (!picture.isNull())
        image_->setPixmap(QPixmap::fromImage(picture.scaled(36, 36, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    image_->setGeometry(8, 8, 36, 36);

    double buttonWidth = 0;
    if (hasButtons) {
        const auto caption = [](const std::string& text, const QString& fallback) {
            return text.empty() ? fallback : shownText(text);
        };
        otherButton_ = new AppUserNotificationBannerButton(caption(notification_.otherButtonTitle, QStringLiteral("Close")), this);
        actionButton_ = new AppUserNotificationBannerButton(caption(notification_.actionButtonTitle, QStringLiteral("Show")), this);
        connect(otherButton_, &QPushButton::clicked, this, [this] { otherButtonAction(); });
        connect(actionButton_, &QPushButton::clicked, this, [this] { actionButtonAction(); });
        buttonWidth = std::max(otherButton_->sizeHint().width(), actionButton_->sizeHint().width());
    }
    labelWidth_ = bannerLabelWidth(hasButtons, buttonWidth);

    // The two bold lines truncate at the tail.
    const auto line = [this](const std::string& text, const QFont& font) {
        return QFontMetrics(font).elidedText(shownText(text), Qt::ElideRight, int(labelWidth_));
    };
    title_ = makeLabel(this, "titleLabel", line(notification_.title, titleFont), titleFont, 0.28);
    subtitle_ = makeLabel(this, "subtitleLabel", line(notification_.subtitle, bannerFont(11, true)), titleFont, 0.28);
    subtitle_->setFont(bannerFont(11, true));
    informativeText_ = makeLabel(this, "informativeTextLabel", shownInformativeText(), textFont, 0.5);

    double layoutHeight = kBannerBaseHeight;
    double textHeight = labelHeight;
    // Measured as it is shown: the sender's text cut before any layout.
    const QString text = informativeText_->text();
    if (wrapsText(notification_.feature.lineBreakMode)) {
        informativeText_->setWordWrap(true);
        const double lines = std::ceil(QFontMetrics(textFont).horizontalAdvance(text) / labelWidth_);
        // Words wrap onto more lines than the width alone says: take the taller.
        textHeight = std::max(labelHeight * std::max(lines, 1.0), informativeTextHeightForWidth(labelWidth_));
        layoutHeight += textHeight;
    } else if (auto mode = elideMode(notification_.feature.lineBreakMode); mode != Qt::ElideNone) {
        informativeText_->setText(QFontMetrics(textFont).elidedText(text, mode, int(labelWidth_)));
    }

    const int x = 8 + 36 + 8;
    title_->setGeometry(x, 8, int(labelWidth_), int(labelHeight));
    subtitle_->setGeometry(x, 8 + int(labelHeight) + 1, int(labelWidth_), int(labelHeight));
    informativeText_->setGeometry(x, 8 + 2 * int(labelHeight) + 2, int(labelWidth_), int(std::ceil(textHeight)));
    if (hasButtons) {
        const int bx = int(kBannerWidth) - 8 - int(buttonWidth);
        const int bh = otherButton_->sizeHint().height();
        otherButton_->setGeometry(bx, 8, int(buttonWidth), bh);
        actionButton_->setGeometry(bx, 8 + bh + 8, int(buttonWidth), bh);
        layoutHeight = std::max(layoutHeight, 8.0 + 2 * bh + 8 + 8);
    }
    calculateBannerPositions(layoutHeight);
}

QString AppUserNotificationBannerController::shownInformativeText() const {
    // As much as a message box holds, an unbroken run wrappable: a wrapped banner stays on the screen.
    return wrappableText(shownText(notification_.informativeText, kMaxAlertLength));
}

double AppUserNotificationBannerController::informativeTextHeightForWidth(double width) const {
    const QFontMetrics metrics(bannerFont(11, false));
    const QRect used = metrics.boundingRect(QRect(0, 0, int(width), 1 << 24), Qt::TextWordWrap,
                                            shownInformativeText());
    return used.height() + 5.0;
}

void AppUserNotificationBannerController::calculateBannerPositions(double layoutHeight) {
    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect full = screen ? screen->geometry() : QRect(0, 0, 1280, 800);
    const QRect available = screen ? screen->availableGeometry() : full;
    const double titleHeight = QFontMetrics(bannerFont(12, true)).height();
    const double height = bannerHeight(titleHeight, informativeTextHeightForWidth(labelWidth_), layoutHeight);
    frames_ = stackedBelow(bannerFrames({double(full.x()), double(full.y()), double(full.width()), double(full.height())},
                                        available.top() - full.top(), height),
                           taken_, double(available.y() + available.height()), double(available.x()));
}

void AppUserNotificationBannerController::presentBanner() {
    if (!lifecycle_.present()) return;
    prepareNotificationBanner();
    setGeometry(toQRect(frames_.start));
    show();
    raise();
    animateTo(frames_.shown, 1.0, timing_.slideInMs);
}

void AppUserNotificationBannerController::presentBannerDismissAfter(double seconds) {
    presentBanner();
    if (auto ms = BannerLifecycle::autoDismissAfterMs(seconds, timing_.slideInMs))
        QTimer::singleShot(*ms, this, [this] { dismissBanner(); });
}

void AppUserNotificationBannerController::dismissBanner() {
    if (!lifecycle_.dismiss()) return;
    animateTo(frames_.end, 0.0, timing_.slideOutMs);
}

void AppUserNotificationBannerController::actionButtonAction() {
    if (handler_) handler_(notification_, 2);
}

void AppUserNotificationBannerController::otherButtonAction() { dismissBanner(); }

void AppUserNotificationBannerController::animateTo(const Rect& frame, double opacity, int ms) {
    auto* group = new QParallelAnimationGroup(this);
    auto* move = new QPropertyAnimation(this, "geometry", group);
    move->setEndValue(toQRect(frame));
    auto* fade = new QPropertyAnimation(this, "windowOpacity", group);
    fade->setEndValue(opacity);
    for (auto* a : {move, fade}) {
        a->setDuration(ms);
        a->setEasingCurve(QEasingCurve::InOutQuad);
    }
    connect(group, &QAbstractAnimation::finished, this, [this] { animationFinished(); });
    animation_ = group;
    group->start(QAbstractAnimation::DeleteWhenStopped);
}

void AppUserNotificationBannerController::animationFinished() {
    lifecycle_.animationEnded();
    if (lifecycle_.phase() == BannerLifecycle::Phase::Shown) {
        raise();  // in front, but the keyboard stays where the trader types
        notification_.presented = true;
        platform::NotificationCenter::defaultCenter().post(kBannerPresentedNotification);
    } else if (lifecycle_.phase() == BannerLifecycle::Phase::Closed) {
        dismissObserver_.reset();
        close();
        deleteLater();
    }
}

void AppUserNotificationBannerController::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()), 5, 5);
    QLinearGradient gradient(0, 0, 0, height());
    gradient.setColorAt(0, white(0.975, 0.95));
    gradient.setColorAt(1, white(0.82, 0.95));
    p.fillPath(path, gradient);
}

void AppUserNotificationBannerController::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && handler_) handler_(notification_, 1);
}

}  // namespace kit
