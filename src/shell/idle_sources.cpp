#include "shell/idle_sources.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>

#include "shell/x11_idle_source.h"
#include "platform/idle_time.h"

namespace shell {

LastInputFilter::LastInputFilter(QObject* parent, Now now)
    : QObject(parent), now_(now ? std::move(now) : Now([] { return std::chrono::steady_clock::now(); })),
      last_(now_()) {}

double LastInputFilter::secondsIdle() const { return std::chrono::duration<double>(now_() - last_).count(); }

bool LastInputFilter::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
        last_ = now_();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

std::function<void()> installIdleTimeSource() {
    std::function<double()> source;
    if (QGuiApplication::platformName() == u"xcb") source = x11IdleSource();
    if (!source) {
        auto* filter = new LastInputFilter(QCoreApplication::instance());
        QCoreApplication::instance()->installEventFilter(filter);
        source = [filter] { return filter->secondsIdle(); };
    }
    platform::IdleTime::setSource(std::move(source));
    return [] { platform::IdleTime::setSource(nullptr); };
}

}  // namespace shell
