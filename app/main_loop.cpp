// The main loop, the fixed-step clock with the main-menu demo, and the goal
// check that ends a run. Start-up and shutdown of the headless part close the file.
#include <algorithm>

#include "app/game_flow.h"
#include "app/hints.h"
#include "app/platform_hooks.h"
#include "app/video_settings.h"
#include "board/level_file.h"
#include "sim/effects.h"
#include "sim/simulation.h"

int DemoRandom() {
    demoRandomState = demoRandomState * 214013u + 2531011u;
    return static_cast<int>((demoRandomState >> 16) & 0x7FFF);
}

// The demo behind the main menu: fades a board out, loads another built-in
// puzzle at random and fades it in, turning the other way.
static void DemoCycle() {
    if (demoFadeDir > 0.0f && demoFade > 2.0f) {
        // A frozen picture keeps its board, built up whole.
        if (pictureFrozen) {
            demoFade = 2.0f;
            return;
        }
        demoFadeDir = -1.0f;
    } else if (demoFadeDir < 0.0f && demoFade < -0.1f) {
        demoSpinDir = -demoSpinDir;
        demoFadeDir = 1.0f;
        const int index = DemoRandom() % builtInPuzzleCount;
        ReadLevelFile(PuzzlePath(index), false, board, camera, levelName);
        board.PrepareForPlay();
    }
}

void CheckGoal() {
    if (ballsAtTarget < board.goalCount) return;
    // A ball that crept on after the failed-run box opened may still win.
    const bool firstFrame = dialogState == DialogState::None || dialogState == DialogState::RunFailed;
    if (firstFrame) PlaySoundEffect(SoundEffectId::Goal);
    if (menuPage == MenuPage::FromEditor) {
        dialogState = DialogState::TestSolved;
        levelTested = true;
    } else if (currentPuzzle < 0 || currentPuzzle >= builtInPuzzleCount) {
        dialogState = DialogState::CustomSolved;
    } else {
        const bool newlySolved = solvedFlags[currentPuzzle] != 1;
        if (newlySolved) ++solvedCount;
        solvedFlags[currentPuzzle] = 1;
        // Written the moment the run is won, so a crash right after keeps it;
        // the result box stays up for many frames and needs no further writes.
        if (firstFrame || newlySolved) SaveProgressAfterWin();
        if (firstFrame) MarkWinHints(currentPuzzle);
        dialogState = solvedCount >= builtInPuzzleCount ? DialogState::AllSolved : DialogState::PuzzleSolved;
    }
}

bool BallsAtRest(const Board& board) {
    constexpr float restingSquared = restingSpeed * restingSpeed;
    for (int i = 0; i < board.ballCount; ++i) {
        const Ball& ball = board.balls[i];
        if (ball.absorb >= 1.0f) continue;  // the target lets none go
        if (Dot(ball.velocity, ball.velocity) >= restingSquared) return false;
    }
    return true;
}

bool RunCannotWin(const Board& board, int8_t ballsAtTarget, int32_t ticksAtRest) {
    if (ticksAtRest < runSettledTicks) return false;
    int taken = ballsAtTarget;
    for (int i = 0; i < board.ballCount; ++i)
        if (board.balls[i].absorb >= 1.0f) ++taken;
    return taken < board.goalCount;
}

void CheckRunFailed() {
    if (dialogState == DialogState::None && RunCannotWin(board, ballsAtTarget, restingTicks))
        dialogState = DialogState::RunFailed;
}

void FrameStep() {
    if (lastStepTime == -1.0) lastStepTime = ClockMilliseconds();
    const double now = ClockMilliseconds();

    if (gameScreen == GameScreen::Splash) {
        // The elapsed seconds stay a double until the one rounding to float.
        splashTime = static_cast<float>(splashTime - (now - lastStepTime) * 0.001);
        lastStepTime = now;
        if (splashTime <= 0.0f) {
            splashTime = 0.0f;
            gameScreen = GameScreen::MainMenu;
        }
        return;
    }

    // Paused: the clock follows the wall so that resuming does not replay the pause.
    if (ClockPaused()) lastStepTime = now;
    // Every due step is taken, however long the frame was.
    while (lastStepTime + slowFactor < now) {
        ++ticksSinceFrame;
        if (gameScreen == GameScreen::Run) {
            SimulationTick(board, ballsAtTarget);
            // Held at its limit: a run may roll on under its box for hours.
            restingTicks = BallsAtRest(board) ? std::min(restingTicks + 1, runSettledTicks) : 0;
        } else {
            if (!pictureFrozen) camera.cameraYaw += demoSpinDir * slowFactor * 0.0001f;
            demoFade += demoFadeDir * slowFactor * 0.00025f;
        }
        lastStepTime += slowFactor;
        if (resizeBlend > 0.0f) resizeBlend = std::max(0.0f, resizeBlend - slowFactor * 0.0004f);
    }

    if (gameScreen == GameScreen::MainMenu) DemoCycle();
    // Only a run can be won: the board behind the menu may be any level, even
    // one that asks for no ball at all.
    if (gameScreen == GameScreen::Run) {
        CheckGoal();
        CheckRunFailed();
    }
}

void RunMainLoop() {
    renderSuspended = RenderState::Drawing;
    while (windowOpen) {
        // 1. Drain the window messages.
        Message message;
        while (windowOpen && platformHooks.nextMessage && platformHooks.nextMessage(message)) WindowProc(message);
        if (!windowOpen) break;
        // 2. A lost device draws nothing until it is usable again.
        bool drawable = true;
        if (deviceLost) {
            drawable = platformHooks.pollDevice && platformHooks.pollDevice();
            if (drawable) deviceLost = false;
        }
        if (drawable) {
            // 3. Time runs on the menu, the splash and during a run; elsewhere the
            // clock restarts, so a run begins without a backlog.
            if (gameScreen == GameScreen::MainMenu || gameScreen == GameScreen::Run || gameScreen == GameScreen::Splash)
                FrameStep();
            else
                lastStepTime = -1.0;
            // 4. Draw.
            if (renderSuspended == RenderState::Drawing && platformHooks.drawFrame) platformHooks.drawFrame();
        } else {
            lastStepTime = -1.0;
        }
        // 5. Yield.
        if (platformHooks.sleepMilliseconds) platformHooks.sleepMilliseconds(1);
    }
}

// ---- Start-up and shutdown ----

bool StartGame(std::string& message) {
    demoRandomState = 5;
    std::fill(std::begin(keyDown), std::end(keyDown), uint8_t{0});
    if (!StartDisplaySettings(message)) return false;
    board.Clear();
    emptyBoard.Clear();
    BuildCollisionShapes();
    StartProgress();
    StartHintMarks();
    levelName.clear();
    return true;
}

void ShutdownGame() { SaveVideoSettings(); }
