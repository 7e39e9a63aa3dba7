#pragma once
// The windows of every folder by name. Each window folder fills it through its
// registerWindows(WindowRegistry&); a name registered twice keeps the first.
#include <functional>
#include <map>
#include <string>

#include "kit/open_request.h"

class QWidget;

namespace kit {

struct WindowContext;

enum class Presentation { Window, Sheet, Popover };
enum class Creation { Kept, NewPerPress };

// One window as its folder registers it: the name the command table and the
// other windows open it by, how it shows, whether a press reuses it, the
// guards, how it is made and how it is prepared for a request.
struct WindowSpec {
    std::string name;
    Presentation presentation = Presentation::Window;
    Creation creation = Creation::Kept;
    // Null: always opens. False: nothing opens (the guard tells the user).
    std::function<bool(WindowContext&, const OpenRequest&)> canOpen;
    // A kept window already in sight: an open does nothing.
    bool notWhileVisible = false;
    std::function<QWidget*(WindowContext&)> make;
    // Prepares the made window for the request; false: it has nothing to show.
    std::function<bool(QWidget*, const OpenRequest&)> open;
};

class WindowRegistry {
public:
    // False (and logged) for a name already registered or a window without make.
    bool add(WindowSpec window);
    const WindowSpec* find(const std::string& name) const;
    bool contains(const std::string& name) const { return find(name) != nullptr; }
    std::size_t size() const { return windows_.size(); }

private:
    std::map<std::string, WindowSpec> windows_;
};

}  // namespace kit
