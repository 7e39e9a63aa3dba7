#pragma once
// The main window's commands that open windows of other subsystems: how each
// window is created and presented, and when a press does nothing.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace shell {

enum class Creation { KeptAfterFirstUse, NewAtEveryPress };
enum class Presentation { Child, Sheet, Floating, Popover };
enum class PressGuard {
    None,
    NeedsWatchlist,      // nothing while the watchlist holds no code
    NeedsOpenPositions,  // nothing while no position is open
    NotWhileVisible,     // nothing while its window is visible
};

struct MainCommand {
    const char* command;   // the controller's operation
    const char* window;    // the window controller it opens
    const char* titleKey;  // language key of its label and of a placeholder's title
    Creation creation;
    Presentation presentation;
    PressGuard guard;
};

const std::vector<MainCommand>& mainCommands();
const MainCommand* mainCommand(std::string_view command);

// What one press does.
enum class PressOutcome { Nothing, CreateAndShow, ShowKept };
struct PressState {
    bool exists = false;   // a kept window of this command exists
    bool visible = false;  // ... and is visible
    bool hasWatchlistCodes = false;
    bool hasOpenPositions = false;
};
PressOutcome pressOutcome(const MainCommand& command, const PressState& state);

// The split views of the main window, by identifier.
struct SplitViewRule {
    double minimum = 0.0;  // divider position limits
    double maximum = 0.0;
    bool firstPaneCollapsible = false;
    bool dividerHidden = false;
};
// "1001" is fixed at `leftFrameWidth`.
SplitViewRule splitViewRule(std::string_view identifier, double leftFrameWidth);

// The tab a toolbar item selects: its identifier read as an index.
std::optional<int> toolbarTabIndex(const std::string& identifier, int tabCount);

}  // namespace shell
