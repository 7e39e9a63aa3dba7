// Kept apart from Qt: the X11 headers define names Qt also uses.
#include <functional>
#include <memory>

#include "shell/x11_idle_source.h"

#ifdef TC_HAVE_XSS
#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>
#endif

namespace shell {

std::function<double()> x11IdleSource() {
#ifdef TC_HAVE_XSS
    std::shared_ptr<Display> display(XOpenDisplay(nullptr), [](Display* d) {
        if (d) XCloseDisplay(d);
    });
    if (!display) return {};
    int event = 0, error = 0;
    if (!XScreenSaverQueryExtension(display.get(), &event, &error)) return {};
    return [display] {
        XScreenSaverInfo* info = XScreenSaverAllocInfo();
        if (!info) return 0.0;
        double seconds = 0.0;
        if (XScreenSaverQueryInfo(display.get(), DefaultRootWindow(display.get()), info))
            seconds = static_cast<double>(info->idle) / 1000.0;  // milliseconds
        XFree(info);
        return seconds;
    };
#else
    return {};
#endif
}

}  // namespace shell
