#pragma once
// Where platform::IdleTime reads the seconds without input: the X11
// screensaver extension when Qt runs on xcb, else the application's own last
// input (an event filter on the application).
#include <QObject>
#include <chrono>
#include <functional>

namespace shell {

// Records the time of the last keyboard, mouse, wheel or touch event.
class LastInputFilter : public QObject {
public:
    using Now = std::function<std::chrono::steady_clock::time_point()>;
    explicit LastInputFilter(QObject* parent = nullptr, Now now = {});
    double secondsIdle() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Now now_;
    std::chrono::steady_clock::time_point last_;
};

// Installs the source on the running application; removed by the returned
// call (before the application goes).
std::function<void()> installIdleTimeSource();

}  // namespace shell
