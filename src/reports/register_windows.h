#pragma once
// The reports folder's windows in the login's registry.
namespace kit {
class WindowRegistry;
}

namespace reports {

// The name the statement window is registered and opened by.
inline constexpr const char* kAccountStatementWindow = "AccountStatementWindowController";

void registerWindows(kit::WindowRegistry& registry);

}  // namespace reports
