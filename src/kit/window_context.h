#pragma once
// What every window, sheet and table of one login is made with. The shell
// makes one per login; it outlives every window made with it.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace state {
class SessionView;
class SessionCommands;
class UiServices;
}  // namespace state
namespace orders {
class OrderMananger;
}

namespace kit {

class LiveTicker;
class PreferenceManager;
class SheetHost;
class WindowOpener;

struct WindowContext {
    const state::SessionView& view;
    state::SessionCommands& commands;
    orders::OrderMananger& orderManager;
    std::int64_t language = 0;
    // The language's text of a key.
    std::function<std::string(const std::string&)> text;
    std::function<std::int64_t()> theme;  // 0 dark, 1 light
    state::UiServices& ui;
    SheetHost& sheets;
    WindowOpener& opener;
    LiveTicker& ticker;
    PreferenceManager& preferences;
    // Keeps the login's session alive for the parts that hold it weakly.
    std::shared_ptr<const void> sessionLifetime = nullptr;
};

}  // namespace kit
