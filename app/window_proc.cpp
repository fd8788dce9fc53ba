// The window procedure: keys, the mouse, clicks on controls and on the board,
// and the command table behind every control.
#include <algorithm>
#include <cmath>

#include "app/edit_history.h"
#include "app/game_flow.h"
#include "app/hints.h"
#include "app/platform_hooks.h"
#include "app/video_settings.h"
#include "sim/effects.h"

// ---- Keys ----

// H or the hint button: one more step of the solution, on the play screen.
static void HintCommand() {
    if (gameScreen == GameScreen::Play && ShowNextHint()) PlaySoundEffect(SoundEffectId::Button);
}

// A key or a click on the splash screen jumps to the end of the logo showing.
static void SkipSplash() {
    if (gameScreen != GameScreen::Splash) return;
    const float middle = SplashLogoMiddle(splashTime);
    if (std::fabs(splashTime - middle) < splashWholeHalf) splashTime = middle - splashWholeHalf;
}

// From the normal 2.5 ms per step: 0.625 up to 40 ms, then the pause.
static void SlowDown() {
    if (slowFactor < slowestSlowFactor) {
        slowFactor *= 2.0f;
        speedChangeTime = static_cast<float>(ClockMilliseconds());
    } else {
        slowFactor = pausedSlowFactor;
    }
}

static void SpeedUp() {
    if (slowFactor > slowestSlowFactor) {
        slowFactor = slowestSlowFactor;
    } else if (slowFactor > 0.625f) {
        slowFactor /= 2.0f;
    } else {
        return;
    }
    speedChangeTime = static_cast<float>(ClockMilliseconds());
}

static void HandleKeyDown(const Message& message) {
    SkipSplash();
    if (message.key < 0 || message.key > 255) return;
    if (!message.wasDown) keyDown[message.key] = 1;
    switch (static_cast<KeyCode>(message.key)) {
    case KeyCode::Escape: keyDown[static_cast<int>(KeyCode::Escape)] = 1; break;
    case KeyCode::NumpadSubtract: SlowDown(); break;
    case KeyCode::NumpadAdd: SpeedUp(); break;
    case KeyCode::M:
        if (!message.wasDown && platformHooks.toggleMute) platformHooks.toggleMute();
        break;
    // A window or full screen, on every screen.
    case KeyCode::F11:
        if (!message.wasDown) ToggleWindowed();
        break;
    case KeyCode::Return:
        if (!message.wasDown && message.alt) ToggleWindowed();
        break;
    case KeyCode::Digit1:
    case KeyCode::Digit2:
    case KeyCode::Digit5:
    case KeyCode::Digit6:
        BeginEditStep();
        ResizeEditorBoard(message.key);
        EndEditStep();
        break;
    case KeyCode::H: HintCommand(); break;
    case KeyCode::Z:
        if (message.ctrl) message.shift ? RedoEdit() : UndoEdit();
        break;
    case KeyCode::Y:
        if (message.ctrl) RedoEdit();
        break;
    default: break;
    }
}

// ---- Commands ----

// Stop, exit, back, menu and OK share one command: each returns to where the
// player came from.
static void BackToMenu(int controlId) {
    ClearDebris();
    if (controlId == Id(ControlId::DialogMenu)) gameScreen = GameScreen::MainMenu;
    if (controlId == Id(ControlId::DialogOk) && dialogState == DialogState::TestFirst) {
        PlaySoundEffect(SoundEffectId::Button);
        dialogState = DialogState::None;
        return;
    }
    if (menuPage == MenuPage::Options) {
        PlaySoundEffect(SoundEffectId::Button);
        if (controlId == Id(ControlId::DialogOk))
            ApplyPendingMode();
        else
            menuPage = MenuPage::Main;
        return;
    }
    if (controlId == Id(ControlId::SelectBack)) {
        PlaySoundEffect(SoundEffectId::Button);
        currentPuzzle = -1;
        menuPage = MenuPage::Main;
        PlaceElement(heldKind, editTool, PlacePass::Preview);
        return;
    }
    if (gameScreen == GameScreen::Run) {
        // The run ends: the board as it was before it began comes back.
        PlaySoundEffect(SoundEffectId::RunStopped);
        if (menuPage == MenuPage::FromEditor) board.CopyFrom(loadedBoard);
        if (menuPage == MenuPage::FromPlay) board.CopyFrom(runStartBoard);
        ballsAtTarget = 0;
        gameScreen = ScreenOfMenuPage();
        PlaceElement(heldKind, editTool, PlacePass::Preview);
        return;
    }
    // Leaving the editor or the puzzle; the board stays as the demo board. The
    // piece in the cursor goes back: the cursor is empty on the menu.
    PlaySoundEffect(SoundEffectId::Button);
    ReturnHeldPiece();
    ForgetHints();
    gameScreen = GameScreen::MainMenu;
    menuPage = currentPuzzle != -1 ? MenuPage::PuzzleSelect : MenuPage::Main;
    demoFade = 0.0f;
    demoFadeDir = -1.0f;
    PlaceElement(heldKind, editTool, PlacePass::Preview);
    if (currentPuzzle != -1) currentPuzzle = currentPuzzle / 10 * 10;
    lastStepTime = -1.0;
    ballsAtTarget = 0;
}

// The result box's retry: the board as the run began, ready to roll again.
// An editor's test run keeps that board in loadedBoard, a puzzle's in runStartBoard.
static void Retry() {
    PlaySoundEffect(SoundEffectId::Button);
    ClearDebris();
    board.CopyFrom(menuPage == MenuPage::FromEditor ? loadedBoard : runStartBoard);
    ballsAtTarget = 0;
    gameScreen = ScreenOfMenuPage();
    PlaceElement(heldKind, editTool, PlacePass::Preview);
    editTool = EditTool::Build;
    // The snapshot was taken with this piece in the cursor, so its stock lacks it.
    ReturnHeldPiece();
}

static void NextHelpPage() {
    PlaySoundEffect(SoundEffectId::Button);
    switch (menuPage) {
    case MenuPage::Help1: menuPage = MenuPage::Help2; break;
    case MenuPage::Help2: menuPage = MenuPage::Help3; break;
    case MenuPage::Help3: menuPage = MenuPage::Help4; break;
    default: menuPage = MenuPage::Main; break;
    }
}

void RunCommand(int controlId) {
    if (controlId >= Id(ControlId::PuzzleRowFirst) && controlId < Id(ControlId::PuzzleRowEnd)) {
        const int index = controlId - Id(ControlId::PuzzleRowFirst);
        if (index >= builtInPuzzleCount) return;  // no such row
        PlaySoundEffect(SoundEffectId::Button);
        StartPuzzle(index);
        return;
    }
    switch (static_cast<ControlId>(controlId)) {
    case ControlId::MainStart:
        PlaySoundEffect(SoundEffectId::Button);
        menuPage = MenuPage::PuzzleSelect;
        currentPuzzle = 0;
        break;
    case ControlId::MainLoad: LoadLevelForPlay(); break;
    case ControlId::MainEditor: EnterEditor(); break;
    case ControlId::MainHelp:
        PlaySoundEffect(SoundEffectId::Button);
        menuPage = MenuPage::Help1;
        break;
    case ControlId::MainExit: keyDown[static_cast<int>(KeyCode::Escape)] = 1; break;
    case ControlId::MainOptions: OpenOptions(); break;
    case ControlId::WebLine:
        if (platformHooks.openWebPage) platformHooks.openWebPage(publisherWebAddress);
        break;
    case ControlId::SelectBack:
    case ControlId::DialogMenu:
    case ControlId::DialogOk:
    case ControlId::Exit:
    case ControlId::Stop: BackToMenu(controlId); break;
    case ControlId::SelectPageUp: PreviousPuzzlePage(); break;
    case ControlId::SelectPageDown: NextPuzzlePage(); break;
    case ControlId::HelpPage: NextHelpPage(); break;
    case ControlId::ResolutionDown:
    case ControlId::ResolutionUp:
    case ControlId::DepthDown:
    case ControlId::DepthUp:
    case ControlId::RefreshDown:
    case ControlId::RefreshUp: OptionArrow(controlId); break;
    case ControlId::Roll: RollCommand(); break;
    case ControlId::Reset: ResetLevelCommand(); break;
    case ControlId::Hint: HintCommand(); break;
    case ControlId::EditorLoad: LoadIntoEditor(); break;
    case ControlId::EditorSave: SaveEditorLevel(); break;
    case ControlId::GoalUp: ChangeGoalCount(+1); break;
    case ControlId::GoalDown: ChangeGoalCount(-1); break;
    case ControlId::ToolBuild: ChooseTool(EditTool::Build); break;
    case ControlId::ToolSwap: ChooseTool(EditTool::Swap); break;
    case ControlId::ToolDelete: ChooseTool(EditTool::Delete); break;
    case ControlId::ToolStock: ChooseTool(EditTool::Stock); break;
    // The result box's buttons act only while the box that offers them is up:
    // the editor's solved test run has no retry and no next puzzle.
    case ControlId::DialogRetry:
        if (gameScreen == GameScreen::Run && (dialogState == DialogState::CustomSolved ||
                                              dialogState == DialogState::PuzzleSolved ||
                                              dialogState == DialogState::RunFailed))
            Retry();
        break;
    case ControlId::DialogNext:
        if (gameScreen == GameScreen::Run && dialogState == DialogState::PuzzleSolved) StartNextUnsolvedPuzzle();
        break;
    default: break;
    }
}

// ---- Mouse ----

// A click on a stock slot takes that piece into the cursor, or puts the held
// one back when it is the same kind; the held piece always returns first.
static void ClickStockSlot(int kind) {
    const bool play = gameScreen == GameScreen::Play;
    if (kind == heldKind) {
        PlaySoundEffect(SoundEffectId::CellClick);
        ReturnHeldPiece();
        return;
    }
    // In play there is only what the puzzle gave: an empty slot gives nothing.
    if (play && board.stock[kind] <= 0) return;
    PlaySoundEffect(SoundEffectId::CellClick);
    ReturnHeldPiece();
    heldKind = kind;
    AdjustStock(board, kind, -1);
}

// A left click on the board, a stock slot, a launch arrow or empty space.
static void BoardClick() {
    if (hoveredControl != -1) return;
    const PickHit& hit = hoveredPick;
    const bool pieceTool = editTool == EditTool::Build || editTool == EditTool::Swap;
    const bool stockItem = hit.target == PickTarget::StockItem && hit.kind > 0;
    if (hit.target == PickTarget::Cell || hit.target == PickTarget::LaunchArrow || stockItem) {
        PlaySoundEffect(SoundEffectId::CellClick);
        PlaceElement(heldKind, editTool, PlacePass::Commit);  // a click leaves the level untested
    }
    if (stockItem && pieceTool) ClickStockSlot(hit.kind);
    if (hit.target == PickTarget::Nothing && pieceTool) ReturnHeldPiece();
}

static CursorId CursorFor(int kind) {
    if (IsBallKind(kind)) return CursorId::Ball;
    if (IsBlockKind(kind)) return CursorId::Block;
    if (IsCornerKind(kind)) return CursorId::Corner;
    if (IsRampKind(kind)) return CursorId::Ramp;
    return CursorId::Pointer;
}

static void HandleMouse(const Message& message) {
    if (message.type != MessageType::MouseMove) SkipSplash();
    const float x = static_cast<float>(message.x), y = static_cast<float>(message.y);
    switch (message.type) {
    case MessageType::LeftButtonDown: mouseButtons |= 1; break;
    case MessageType::LeftButtonUp: mouseButtons &= static_cast<uint8_t>(~1); break;
    case MessageType::RightButtonDown: mouseButtons |= 2; break;
    case MessageType::RightButtonUp: mouseButtons &= static_cast<uint8_t>(~2); break;
    default: break;
    }
    // The right button held turns the camera, on every screen.
    if (message.type == MessageType::MouseMove && (mouseButtons & 2)) {
        camera.cameraPitch += (y - pointerY) * 0.01f;
        camera.cameraYaw += (x - pointerX) * 0.01f;
        camera.cameraPitch = std::clamp(camera.cameraPitch, 0.1f, 1.5607964f);
    }
    pointerX = x;
    pointerY = y;
    // A click acts on what was under the pointer at the previous mouse message.
    const bool click = message.type == MessageType::LeftButtonDown;
    if (click) BeginEditStep();
    if (click && hoveredControl >= controlIdFirst) RunCommand(hoveredControl);
    // A result box goes away with the next mouse message once the run is over.
    if (dialogState != DialogState::None && gameScreen != GameScreen::Run &&
        !(dialogState == DialogState::TestFirst && gameScreen == GameScreen::Editor))
        dialogState = DialogState::None;
    const bool editing = gameScreen == GameScreen::Editor || gameScreen == GameScreen::Play;
    if (click && editing) BoardClick();
    if (click) EndEditStep();
    if (platformHooks.setCursor) platformHooks.setCursor(editing ? CursorFor(heldKind) : CursorId::Pointer);
    if (platformHooks.updateHover) platformHooks.updateHover();
    PlaceElement(heldKind, editTool, PlacePass::Preview);
}

// ---- The procedure ----

static void HandleDestroy() {
    if (platformHooks.releaseGraphics) platformHooks.releaseGraphics();
    windowOpen = false;
}

void WindowProc(const Message& message) {
    switch (message.type) {
    case MessageType::Destroy: HandleDestroy(); return;
    case MessageType::Paint:
        if (renderSuspended == RenderState::Drawing && platformHooks.drawFrame) platformHooks.drawFrame();
        return;
    case MessageType::KeyDown: HandleKeyDown(message); break;
    case MessageType::KeyUp:
        if (message.key >= 0 && message.key <= 255) keyDown[message.key] = 0;
        break;
    default: HandleMouse(message); break;
    }
    // Escape, or the exit button, ends the program at the end of the message.
    if (keyDown[static_cast<int>(KeyCode::Escape)] && windowOpen) HandleDestroy();
    // A ball cannot stay in the cursor while every ball slot is taken.
    if (board.ballCount >= maxBalls && IsBallKind(heldKind)) ReturnHeldPiece();
}
