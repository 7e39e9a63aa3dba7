#include "shell/window_shake.h"

#include <QPropertyAnimation>
#include <QWidget>

namespace shell {

QPropertyAnimation* shakeWindow(QWidget* window) {
    if (!window) return nullptr;
    const QPoint home = window->pos();
    const int offset = static_cast<int>(window->width() * 0.06);
    auto* animation = new QPropertyAnimation(window, "pos", window);
    animation->setObjectName("shake");
    animation->setDuration(100);
    animation->setLoopCount(3);
    animation->setKeyValueAt(0, home);
    animation->setKeyValueAt(0.25, home - QPoint(offset, 0));
    animation->setKeyValueAt(0.75, home + QPoint(offset, 0));
    animation->setKeyValueAt(1, home);
    QObject::connect(animation, &QPropertyAnimation::finished, window, [window, home] { window->move(home); });
    animation->start(QAbstractAnimation::DeleteWhenStopped);
    return animation;
}

}  // namespace shell
