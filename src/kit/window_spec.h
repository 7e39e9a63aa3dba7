#pragma once
// One window as its folder registers it: the name the command table and the
// other windows open it by, how it shows, whether a press reuses it, the
// guard, how it is made and how it is prepared for a request.
#include <functional>
#include <string>

#include "kit/open_request.h"

class QWidget;

namespace kit {

struct WindowContext;

enum class Presentation { Window, Sheet, Popover, Drawer };
enum class Creation { Kept, NewPerPress };

struct WindowSpec {
    std::string name;
    Presentation presentation = Presentation::Window;
    Creation creation = Creation::Kept;
    // Null: always opens. False: nothing opens (the guard tells the user).
    std::function<bool(WindowContext&, const OpenRequest&)> canOpen;
    std::function<QWidget*(WindowContext&)> make;
    // Prepares the made window for the request; false: it has nothing to show.
    std::function<bool(QWidget*, const OpenRequest&)> open;
};

}  // namespace kit
