// tm3 run: rolls a level without a display.
#include "tools/tm3/commands.h"

int Tm3Run(const Tm3Args&, std::FILE*, std::FILE* err) {
    std::fputs("tm3: run is not available yet\n", err);
    return 2;
}
