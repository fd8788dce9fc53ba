// Shared set-up for the game flow tests: a fresh game state in a temporary
// work folder, a clock the test moves by hand, recorded sounds, and helpers
// that click and press keys exactly as the window layer will.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "app/game_flow.h"
#include "app/platform_hooks.h"
#include "app/edit_history.h"
#include "app/texts.h"
#include "app/video_settings.h"
#include "board/file_io.h"
#include "board/level_file.h"
#include "sim/effects.h"
#include "gfx/device.h"
#include "tests/test_support.h"
#include "ui/interface.h"
#include "ui/screens.h"

namespace apptest {

inline double fakeNow = 0.0;
inline std::vector<int> sounds;
inline int debrisClears = 0;
inline std::string dialogPath;        // what the fake file dialog answers; empty = cancel
inline std::vector<bool> dialogOpens; // each dialog shown: true for open, false for save
inline std::vector<DisplayMode> resetModes;
inline std::vector<DisplayMode> adapterModes;

inline double FakeClock() { return fakeNow; }
inline void RecordSound(int id) { sounds.push_back(id); }
inline void RecordDebrisClear() { ++debrisClears; }
inline bool FakeDialog(bool open, std::string& path) {
    EXPECT_EQ(renderSuspended, RenderState::FileDialog);  // no frame is drawn over the dialog
    dialogOpens.push_back(open);
    path = dialogPath;
    return !dialogPath.empty();
}
inline void RecordReset(const DisplayMode& mode) { resetModes.push_back(mode); }
inline std::vector<DisplayMode> FakeModes() { return adapterModes; }

class AppTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetGameState();
        ResetVideoState();
        ClearEditHistory();
        SetGameLanguage(Language::Hungarian);  // the tests read the Hungarian texts
        workDir = folder;
        fakeNow = 0.0;
        sounds.clear();
        debrisClears = 0;
        dialogPath.clear();
        dialogOpens.clear();
        resetModes.clear();
        adapterModes.clear();
        effectHooks = EffectHooks{};
        effectHooks.playSound = RecordSound;
        effectHooks.clearDebris = RecordDebrisClear;
        platformHooks = PlatformHooks{};
        platformHooks.clockMilliseconds = FakeClock;
        platformHooks.chooseLevelFile = FakeDialog;
        platformHooks.resetDevice = RecordReset;
        platformHooks.enumerateDisplayModes = FakeModes;
    }
    void TearDown() override {
        SetGameLanguage(Language::Hungarian);
        effectHooks = EffectHooks{};
        platformHooks = PlatformHooks{};
    }

    // ---- Input as the window layer sends it ----

    // A left click on a 2D control, the player's way: the pointer moved over
    // where the screen draws it, as the game's hit testing finds it; or a left
    // click on what a hover number names (a cell from above).
    void Click(int hovered) {
        if (hovered < controlIdFirst) {
            Click(-1, HitOfHoverNumber(hovered, board.cellCount, board.ballCount));
            return;
        }
        if (!PointerOnto(hovered)) {
            ADD_FAILURE() << "control " << hovered << " is not on the screen";
            return;
        }
        for (MessageType type : {MessageType::LeftButtonDown, MessageType::LeftButtonUp})
            WindowProc(Message::Mouse(type, int(pointerX), int(pointerY)));
    }
    // A main page button, reached the player's way: back from the puzzle list first.
    void ClickOnMainPage(ControlId id) {
        if (gameScreen == GameScreen::MainMenu && menuPage == MenuPage::PuzzleSelect) Click(ControlId::SelectBack);
        Click(id);
    }
    // The command of a control the pointer cannot reach on this screen, run as
    // the window would run it: for the tests of the game's guards against it.
    void Command(int control) { Click(control, PickHit{}); }
    // The board's 3D picking is not here: the test names the pick under the pointer.
    void Click(const PickHit& hit) { Click(-1, hit); }
    void Click(int control, const PickHit& hit) {
        for (MessageType type : {MessageType::LeftButtonDown, MessageType::LeftButtonUp}) {
            hoveredControl = control;
            hoveredPick = hit;
            WindowProc(Message::Mouse(type, 10, 10));
        }
    }
    void Click(ControlId id) { Click(Id(id)); }
    // Moves the pointer, as the window layer reports it, onto the first place
    // of the screen where the game's hit testing finds the control.
    bool PointerOnto(int control) {
        LoadInterfaceSizes();
        for (int y = 1; y < screenHeight; y += 4)
            for (int x = 1; x < screenWidth; x += 4) {
                pointerX = float(x);
                pointerY = float(y);
                UpdateHover();
                if (hoveredControl != control) continue;
                WindowProc(Message::Mouse(MessageType::MouseMove, x, y));
                UpdateHover();
                return hoveredControl == control;
            }
        return false;
    }
    // What start-up gives the hit testing: the images' sizes and the font.
    static void LoadInterfaceSizes() {
        // Start-up in a test's work folder finds no pictures: the sizes come again.
        if (interfaceImages[1].width > 0 && font.glyphHeight[0] > 0) return;
        const std::string data = std::string(TUMBLEON_BUILD_DIR) + "/adatok/";
        for (int i = 0; i < interfaceImageSlots; ++i) {
            interfaceImages[i] = InterfaceImage{};
            if (interfaceImageFiles[i])
                ReadImageSize(data + interfaceImageFiles[i], interfaceImages[i].width, interfaceImages[i].height);
        }
        Pixels pixels;
        ASSERT_TRUE(ReadImageFile(data + "kepek_hun/fontok.tga", 0x00FF00FF, pixels));
        ASSERT_EQ(BuildFontMetricsFromPixels(pixels, font), fontGlyphCount);
    }
    void Press(KeyCode key, bool wasDown = false) {
        WindowProc(Message::Key(MessageType::KeyDown, key, wasDown));
        WindowProc(Message::Key(MessageType::KeyUp, key));
    }
    int CountSound(SoundEffectId id) const { return int(std::count(sounds.begin(), sounds.end(), int(id))); }

    // ---- Levels ----

    std::string Path(const std::string& name) const { return scratch.File(name); }

    static void WriteLevel(const std::string& path, const Board& level) {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::string name;
        ASSERT_TRUE(WriteLevelFile(path, level, OrbitCamera{12.0f, 0.8f, 0.3f}, name));
    }
    void WritePuzzle(int index, const Board& level) const { WriteLevel(PuzzlePath(index), level); }

    // Rolls the sample puzzle with its fixed-position ball sent along +x.
    void RollSample() {
        board.balls[0].direction = int8_t(LaunchDirection::PlusX);
        Click(ControlId::Roll);
        ASSERT_EQ(gameScreen, GameScreen::Run);
    }
    // The run's balls reach the goal; the frame driver notices.
    void WinRun() {
        ballsAtTarget = board.goalCount;
        FrameStep();
    }

    // Opens puzzle 0 in play from a sample file.
    void OpenSamplePuzzle(int index = 0) {
        WritePuzzle(index, SamplePuzzle());
        gameScreen = GameScreen::MainMenu;
        StartPuzzle(index);
    }

    int Cell(int x, int y, int z) const { return board.Index(x, y, z); }
    int CellValue(int x, int y, int z) const { return CellAt(board, x, y, z); }
    int StockSlot(int kind) const { return board.cellCount + kind; }
    int Arrow(int ball, int arrow) const { return board.cellCount + stockSlotCount + 4 * ball + arrow; }

    // Points at a face of a cell, named by the step out of it (all zero: the
    // pointer's ray starts inside the cell's box and enters by no face).
    void PointAtFace(int x, int y, int z, int faceOffsetX, int faceOffsetY, int faceOffsetZ) {
        const int axis = faceOffsetX != 0 ? 0 : faceOffsetY != 0 ? 1 : 2;
        const bool high = faceOffsetX + faceOffsetY + faceOffsetZ > 0;
        hoveredControl = -1;
        hoveredPick = PickHit::Cell(board.Index(x, y, z), static_cast<CellFace>(2 * axis + (high ? 1 : 0)));
        hoveredPick.entered = faceOffsetX != 0 || faceOffsetY != 0 || faceOffsetZ != 0;
    }

    ScratchDir scratch;
    const std::string folder = scratch.Path().string();  // the game's work folder
};

}  // namespace apptest
