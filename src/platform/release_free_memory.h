#pragma once
// Hands the allocator's free pages back to the system, after a large answer
// was dropped (glibc keeps them for the process otherwise).

namespace platform {

void releaseFreeMemory();

}  // namespace platform
