// The commands behind the buttons and keys of the editor and of the puzzle
// preparation screen: entering the editor, load and save, the goal count, the
// tools, the board size keys, roll and reset.
#include "app/edit_history.h"
#include "app/game_flow.h"
#include "app/hints.h"
#include "app/platform_hooks.h"
#include "app/texts.h"
#include "board/level_file.h"
#include "sim/effects.h"
#include "sim/simulation.h"

// Shows the level file dialog; no frame is drawn while it is open.
static bool ChooseLevelFile(bool open, std::string& path) {
    if (!platformHooks.chooseLevelFile) return false;
    renderSuspended = RenderState::FileDialog;
    const bool chosen = platformHooks.chooseLevelFile(open, path);
    renderSuspended = RenderState::Drawing;
    return chosen && !path.empty();
}

void EnterEditor() {
    PlaySoundEffect(SoundEffectId::Button);
    emptyBoard.Clear();
    board.CopyFrom(emptyBoard);
    menuPage = MenuPage::FromEditor;
    gameScreen = GameScreen::Editor;
    PlaceElement(0, editTool, PlacePass::Preview);
    editTool = EditTool::Build;
    heldKind = 0;
    levelName.clear();
    levelTested = false;
    ClearEditHistory();
    ForgetHints();
    camera.cameraDistance = 20.0f;
    camera.cameraPitch = 1.0f;
    camera.cameraYaw = 0.7853982f;
}

// Reads a level the player chose; one that cannot be read changes nothing and is told.
static bool ReadChosenLevel(const std::string& path) {
    if (ReadLevelFile(path, true, board, camera, levelName)) return true;
    const std::string text = Text(TextId::LevelNotLoaded1) + path + Text(TextId::LevelNotLoaded2);
    if (platformHooks.showMessage) platformHooks.showMessage(Text(TextId::LoadFailedTitle), text.c_str());
    return false;
}

void LoadIntoEditor() {
    PlaySoundEffect(SoundEffectId::Button);
    std::string path;
    // The editor shows the level as designed: the player's pieces stay flagged on the board.
    if (ChooseLevelFile(true, path) && !ReadChosenLevel(path)) return;
    levelTested = false;
    ClearEditHistory();
}

void SaveEditorLevel() {
    PlaySoundEffect(SoundEffectId::Button);
    if (!levelTested) {
        dialogState = DialogState::TestFirst;
        return;
    }
    std::string path;
    if (!ChooseLevelFile(false, path) || WriteLevelFile(path, board, camera, levelName)) return;
    // The write goes through a temporary file, so whatever stood at the path is intact.
    const std::string text = Text(TextId::LevelNotSaved1) + path + Text(TextId::LevelNotSaved2);
    if (platformHooks.showMessage) platformHooks.showMessage(Text(TextId::SaveFailedTitle), text.c_str());
}

// Plus works below 10, minus above 1: a loaded level asking for more than ten
// balls can still be brought down.
void ChangeGoalCount(int delta) {
    if (delta > 0 ? board.goalCount >= 10 : board.goalCount <= 1) return;
    PlaySoundEffect(SoundEffectId::Button);
    board.goalCount = static_cast<int8_t>(board.goalCount + (delta > 0 ? 1 : -1));
}

void ChooseTool(EditTool tool) {
    // Only the editor and the preparation screen show the tools.
    if (gameScreen != GameScreen::Editor && gameScreen != GameScreen::Play) return;
    if (tool == editTool) return;
    editTool = tool;
    PlaySoundEffect(SoundEffectId::Button);
    // These tools work on what is on the board: the cursor goes empty.
    if (tool == EditTool::Delete || tool == EditTool::Stock) ReturnHeldPiece();
}

void ResizeEditorBoard(int keyCode) {
    if (gameScreen != GameScreen::Editor) return;
    int x = board.sizeX, z = board.sizeZ;
    switch (static_cast<KeyCode>(keyCode)) {
    case KeyCode::Digit1: if (x > 5) --x; break;
    case KeyCode::Digit2: if (x < 30) ++x; break;
    case KeyCode::Digit5: if (z > 5) --z; break;
    case KeyCode::Digit6: if (z < 30) ++z; break;
    default: return;
    }
    if (x == board.sizeX && z == board.sizeZ) return;
    // Cells, stock slots and launch arrows are numbered below the controls'
    // ids; a board past what the level reader accepts could neither be
    // pointed at safely nor loaded again once saved.
    const int cells = x * board.sizeY * z;
    if (cells > maxCellCount || cells + stockSlotCount + arrowsPerBall * board.ballCount > controlIdFirst) return;
    board.Resize(x, board.sizeY, z);
    // What the pointer was over is numbered for the old size: look again.
    hoveredControl = -1;
    hoveredPick = PickHit{};
    if (platformHooks.updateHover) platformHooks.updateHover();
    PlaceElement(heldKind, editTool, PlacePass::Preview);
}

void RollCommand() {
    // A second click on the same spot while the run goes must not take a new
    // snapshot of the moving board.
    if (gameScreen != GameScreen::Editor && gameScreen != GameScreen::Play) return;
    // The editor keeps the level before its test run in loadedBoard, play the
    // board before the run in runStartBoard: the stop brings them back.
    Board& snapshot = gameScreen == GameScreen::Editor ? loadedBoard : runStartBoard;
    if (!StartRoll(board, snapshot, ballsAtTarget)) {
        // Only a ball without a launch direction stops a roll: say so for a while.
        rollRefusedUntil = ClockMilliseconds() + rollRefusalMilliseconds;
        return;
    }
    rollRefusedUntil = -1.0;
    restingTicks = 0;
    gameScreen = GameScreen::Run;
    ClearEditHistory();
    PlaceElement(heldKind, editTool, PlacePass::Preview);
}

void ResetLevelCommand() {
    PlaySoundEffect(SoundEffectId::Button);
    if (gameScreen == GameScreen::Editor) {
        board.CopyFrom(emptyBoard);
    } else if (gameScreen == GameScreen::Play) {
        board.CopyFrom(loadedBoard);
        board.PrepareForPlay();
        ballsAtTarget = 0;
    }
    heldKind = 0;
    ClearEditHistory();
    PlaceElement(heldKind, editTool, PlacePass::Preview);
}

void LoadLevelForPlay() {
    PlaySoundEffect(SoundEffectId::Button);
    std::string path;
    if (!ChooseLevelFile(true, path) || !ReadChosenLevel(path)) return;
    ForgetHints();
    loadedBoard.CopyFrom(board);
    board.PrepareForPlay();
    OpenPreparedPuzzle();
}
