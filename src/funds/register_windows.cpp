#include "funds/register_windows.h"

#include "kit/window_context.h"
#include "kit/window_registry.h"

namespace funds {

void registerWindows(kit::WindowRegistry& registry) { (void)registry; }

}  // namespace funds
