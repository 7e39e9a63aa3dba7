#pragma once
// The X11 screensaver's idle seconds; empty when no display or extension answers.
#include <functional>

namespace shell {

std::function<double()> x11IdleSource();

}  // namespace shell
