#pragma once
// The main window's commands that open windows of other subsystems: the name
// each opens (how it shows, lives and when it opens is its registration's).
#include <string_view>
#include <vector>

namespace shell {

struct MainCommand {
    const char* command;   // the controller's operation
    const char* window;    // the registered window it opens
    const char* titleKey;  // language key of its label
};

const std::vector<MainCommand>& mainCommands();
const MainCommand* mainCommand(std::string_view command);

}  // namespace shell
