#include "reports/register_windows.h"

#include "kit/window_context.h"
#include "kit/window_registry.h"

namespace reports {

void registerWindows(kit::WindowRegistry& registry) { (void)registry; }

}  // namespace reports
