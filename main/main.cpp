// Tumbleon: the game's entry point. The window, the 3D scene and the audio
// arrive in later steps; until then the game tells the player so and exits.
#include <cstdio>

int main() {
    std::fputs("Tumbleon: the game logic is built, the window is not there yet.\n"
                "Use the level tool: tm3 --help\n",
                stderr);
    return 0;
}
