// Keys as the window layer hands them to the game: every key the player can
// press skips a logo of the splash, and a key the game has no use for does
// nothing else anywhere.
#include <SDL.h>

#include "app_fixture.h"
#include "platform/platform.h"

namespace {

using apptest::AppTest;

class PlatformKeys : public AppTest {
protected:
    void PressSdl(SDL_Keycode key) {
        Message m;
        m.type = MessageType::KeyDown;
        m.key = GameKeyCode(key);
        WindowProc(m);
        m.type = MessageType::KeyUp;
        WindowProc(m);
    }
};

TEST_F(PlatformKeys, EveryKeySkipsTheSplashAndAnOtherKeyDoesNothingMore) {
    const SDL_Keycode others[] = {SDLK_LSHIFT, SDLK_RSHIFT, SDLK_LCTRL, SDLK_LALT,     SDLK_F1,    SDLK_F5,
                                  SDLK_F12,    SDLK_TAB,    SDLK_CAPSLOCK, SDLK_KP_ENTER, SDLK_KP_5, SDLK_KP_MULTIPLY,
                                  SDLK_INSERT, SDLK_HOME,   SDLK_PAGEDOWN, SDLK_COMMA,    SDLK_MENU};
    const SDL_Keycode known[] = {SDLK_RETURN, SDLK_SPACE, SDLK_LEFT, SDLK_a, SDLK_7, SDLK_KP_PLUS, SDLK_KP_MINUS};
    for (SDL_Keycode key : others) EXPECT_EQ(GameKeyCode(key), int(KeyCode::Other)) << SDL_GetKeyName(key);
    EXPECT_EQ(GameKeyCode(SDLK_ESCAPE), int(KeyCode::Escape));
    EXPECT_EQ(GameKeyCode(SDLK_m), int(KeyCode::M));
    EXPECT_EQ(GameKeyCode(SDLK_5), int(KeyCode::Digit5));
    EXPECT_EQ(GameKeyCode(SDLK_KP_PLUS), int(KeyCode::NumpadAdd));

    std::vector<SDL_Keycode> all(std::begin(others), std::end(others));
    all.insert(all.end(), std::begin(known), std::end(known));
    for (SDL_Keycode key : all) {
        SCOPED_TRACE(SDL_GetKeyName(key));
        gameScreen = GameScreen::Splash;
        splashTime = 8.0f;
        PressSdl(key);
        EXPECT_EQ(splashTime, 6.0f);
        splashTime = 2.0f;
        PressSdl(key);
        EXPECT_EQ(splashTime, 1.0f);
        EXPECT_TRUE(windowOpen);
    }

    // In the editor a key the game has no use for leaves everything as it was.
    gameScreen = GameScreen::MainMenu;
    Click(ControlId::MainEditor);
    const Board level = board;
    const float speed = slowFactor;
    const OrbitCamera view = camera;
    for (SDL_Keycode key : others) PressSdl(key);
    EXPECT_EQ(std::tuple(gameScreen, board.sizeX, board.sizeZ, board.goalCount, slowFactor, windowOpen),
              std::tuple(GameScreen::Editor, level.sizeX, level.sizeZ, level.goalCount, speed, true));
    EXPECT_EQ(std::tuple(camera.cameraDistance, camera.cameraPitch, camera.cameraYaw),
              std::tuple(view.cameraDistance, view.cameraPitch, view.cameraYaw));
    EXPECT_EQ(keyDown[int(KeyCode::Other)], 0);
}

}  // namespace
