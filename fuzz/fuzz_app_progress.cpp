// Tries the progress file reader on any bytes: it fills as many flags as the
// file has bytes (at most 60), a 1 solved and any other byte unsolved, leaves
// the rest as they were, and calls the file whole only when it is exactly 60
// bytes of 0 and 1.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "app/game_flow.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    uint8_t flags[builtInPuzzleCount];
    std::memset(flags, 0xA5, sizeof flags);
    const bool whole = ParseProgress(data, size, flags);
    bool zeroesAndOnes = size == sizeof flags;
    for (size_t i = 0; i < size && zeroesAndOnes; ++i) zeroesAndOnes = data[i] <= 1;
    if (whole != zeroesAndOnes) std::abort();
    const size_t taken = size < sizeof flags ? size : sizeof flags;
    for (size_t i = 0; i < sizeof flags; ++i)
        if (flags[i] != (i < taken ? uint8_t(data[i] == 1) : 0xA5)) std::abort();
    return 0;
}
