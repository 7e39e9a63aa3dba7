#pragma once
// The funds folder's windows in the login's registry.
namespace kit {
class WindowRegistry;
struct WindowContext;
}

namespace funds {

// The deposit answers of the login are routed from here on, while the registry
// lasts: an answer no open window takes becomes a banner of `context`.
void registerWindows(kit::WindowRegistry& registry, kit::WindowContext& context);

}  // namespace funds
