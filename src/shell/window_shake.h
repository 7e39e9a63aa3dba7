#pragma once
// Shakes a window left and right by 0.06 of its width, 0.1 s, three times,
// and leaves it where it was.
class QPropertyAnimation;
class QWidget;

namespace shell {

QPropertyAnimation* shakeWindow(QWidget* window);

}  // namespace shell
