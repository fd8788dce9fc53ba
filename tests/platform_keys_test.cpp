// Keys as the window layer hands them to the game: every key skips a logo of
// the splash, and a key the game has no use for does nothing else.
#include <SDL.h>

#include "app_fixture.h"
#include "platform/platform.h"

namespace {

using PlatformKeys = apptest::AppTest;

TEST_F(PlatformKeys, EveryKeySkipsTheSplashAndAnOtherKeyDoesNothingMore) {
    const SDL_Keycode others[] = {SDLK_LSHIFT, SDLK_RCTRL, SDLK_LALT,     SDLK_F1,       SDLK_F5,  SDLK_F12,
                                  SDLK_TAB,    SDLK_KP_5,  SDLK_KP_ENTER, SDLK_CAPSLOCK, SDLK_HOME, SDLK_COMMA};
    const SDL_Keycode known[] = {SDLK_RETURN, SDLK_SPACE, SDLK_m, SDLK_7, SDLK_KP_PLUS, SDLK_ESCAPE};
    const int codes[] = {0x0D, 0x20, int(KeyCode::M), '7', int(KeyCode::NumpadAdd), int(KeyCode::Escape)};
    for (size_t i = 0; i < std::size(known); ++i) EXPECT_EQ(GameKeyCode(known[i]), codes[i]);
    const auto press = [](SDL_Keycode key) {
        Message m;
        m.type = MessageType::KeyDown;
        m.key = GameKeyCode(key);
        WindowProc(m);
        m.type = MessageType::KeyUp;
        WindowProc(m);
    };
    for (SDL_Keycode key : others) {
        SCOPED_TRACE(SDL_GetKeyName(key));
        EXPECT_EQ(GameKeyCode(key), int(KeyCode::Other));
        gameScreen = GameScreen::Splash;
        for (auto [before, after] : {std::pair{8.0f, 6.0f}, {2.0f, 1.0f}}) {
            splashTime = before;
            press(key);
            EXPECT_EQ(splashTime, after);
        }
    }
    // In the editor such keys change neither the board, the speed nor the camera.
    gameScreen = GameScreen::MainMenu;
    Click(ControlId::MainEditor);
    const OrbitCamera view = camera;
    for (SDL_Keycode key : others) press(key);
    EXPECT_EQ(std::tuple(gameScreen, board.sizeX, board.sizeZ, slowFactor, windowOpen, camera.cameraDistance),
              std::tuple(GameScreen::Editor, int8_t(10), int8_t(10), 2.5f, true, view.cameraDistance));
}

}  // namespace
