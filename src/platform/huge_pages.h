#pragma once
// Large fills touch many fresh pages, and each first touch of a small page is a
// fault. Where the system gives transparent huge pages only on request, glibc's
// allocator asks for them when its tunable says so; the tunable is read at
// program start only, so the program starts once more with it set.
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The allocator's setting that asks for huge pages.
inline constexpr std::string_view kHugePagesTunable = "glibc.malloc.hugetlb";

// The GLIBC_TUNABLES value that adds the request to `current` (null when
// unset), or nothing when the request is not needed: `current` names the
// setting already (whatever its value, as the user chose), or the system's
// mode (`systemMode`, the text of its transparent huge page setting) is not
// "on request".
std::optional<std::string> tunablesAskingHugePages(const char* current, std::string_view systemMode);

// Process start, before anything else: on glibc where the system gives huge
// pages on request only, runs this program again with `argv` and the
// allocator asking for them. Returns when it does not (no need, or it cannot),
// and in the restarted program, whose settings are then as they were before,
// for the programs it starts.
void restartAskingHugePages(char** argv);

}  // namespace platform
