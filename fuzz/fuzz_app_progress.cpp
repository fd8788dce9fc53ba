// Tries the progress file reader on any bytes: an empty file is refused and
// leaves the flags alone; any other file fills as many flags as it has bytes
// (at most 60) and leaves the rest as they were.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "app/game_flow.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    uint8_t flags[builtInPuzzleCount];
    std::memset(flags, 0xA5, sizeof flags);
    const bool read = ParseProgress(data, size, flags);
    if (read != (size > 0)) std::abort();
    const size_t taken = read ? (size < sizeof flags ? size : sizeof flags) : 0;
    for (size_t i = 0; i < sizeof flags; ++i)
        if (flags[i] != (i < taken ? data[i] : 0xA5)) std::abort();
    return 0;
}
