// How a roll ends when it cannot win: the failed-run box with its again and
// menu buttons; and a roll refused for a ball without a launch direction,
// explained for two seconds of the clock. Neither touches a file.
#include <filesystem>

#include "app_fixture.h"
#include "sim/simulation.h"
#include "tools/tm3/level_text.h"

namespace {

using apptest::AppTest;
using apptest::fakeNow;

// A row of blocks on a floor; the ball on the start cube at its west end is
// the level's own, its direction the player's to choose.
std::string RowLevel(const char* ball, const char* layer1Row, const char* layer2Row) {
    return std::string("size 8 3 3\ngoal 1\nlayer 0\nGGGGGGGG\nGGGGGGGG\nGGGGGGGG\nlayer 1\nNNNNNNNN\n") + layer1Row +
           "\nNNNNNNNN\nlayer 2\n........\n" + layer2Row + "\n........\nball 1 2 1 " + ball + " unset position\n";
}

class AppRunEnd : public AppTest {
protected:
    // The work folder's files and sizes: what a write would change.
    std::vector<std::pair<std::string, uintmax_t>> Files() const {
        std::vector<std::pair<std::string, uintmax_t>> files;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
            files.emplace_back(entry.path().string(), entry.is_regular_file() ? entry.file_size() : 0);
        std::sort(files.begin(), files.end());
        return files;
    }
    // Opens the level from the main menu for play, or into the editor.
    void Open(const std::string& text, bool inEditor) {
        LevelData level;
        std::string error;
        ASSERT_TRUE(CompileLevel(text, level, error)) << error;
        WriteLevel(Path("level.tm3"), level.board);
        apptest::dialogPath = Path("level.tm3");
        gameScreen = GameScreen::MainMenu;
        menuPage = MenuPage::Main;
        if (inEditor) ClickOnMainPage(ControlId::MainEditor);
        Click(inEditor ? ControlId::EditorLoad : ControlId::MainLoad);
    }
    // Sends ball 0 east: its four-way arrow opens the four, one is chosen.
    void AimEast() {
        Click(Arrow(0, 0));
        Click(Arrow(0, int(LaunchDirection::PlusX) - 1));
        ASSERT_EQ(board.balls[0].direction, int8_t(LaunchDirection::PlusX));
    }
    // Frames of 100 ms until a box opens (two minutes at most).
    void RunUntilABox() {
        for (int frame = 0; frame < 1200 && dialogState == DialogState::None; ++frame) {
            fakeNow += 100.0;
            FrameStep();
        }
    }
};

// A ball in a pit, a balloon burst on a spike, an iron ball held by a magnet:
// each run, from a puzzle or the editor, ends in the failed-run box; its
// again button brings back the board as the run began, ready to roll again,
// its menu button the main menu.
TEST_F(AppRunEnd, ARunThatCannotWinEndsInTheFailedBox) {
    const std::string levels[] = {RowLevel("plastic", "NSNN.NNN", ".P......"),
                                  RowLevel("balloon", "NSNNXNNN", ".O......"),
                                  RowLevel("iron", "NSNNNNNN", ".I....M.")};
    for (const std::string& level : levels)
        for (bool inEditor : {true, false})
            for (ControlId button : {ControlId::DialogRetry, ControlId::DialogMenu}) {
                SCOPED_TRACE(level + (inEditor ? "in the editor, button " : "in play, button ") +
                             std::to_string(int(button)));
                Open(level, inEditor);
                AimEast();
                const Board before = board;
                const auto files = Files();
                Click(ControlId::Roll);
                RunUntilABox();
                ASSERT_EQ(dialogState, DialogState::RunFailed);
                EXPECT_EQ(CountSound(SoundEffectId::Goal), 0);

                Click(button);
                EXPECT_EQ(dialogState, DialogState::None);
                if (button == ControlId::DialogMenu) {
                    EXPECT_EQ(std::tuple(gameScreen, menuPage), std::tuple(GameScreen::MainMenu, MenuPage::Main));
                } else {
                    EXPECT_EQ(gameScreen, inEditor ? GameScreen::Editor : GameScreen::Play);
                    EXPECT_EQ(board.cells, before.cells);
                    EXPECT_EQ(std::tuple(board.ballCount, board.balls[0].position.x, board.balls[0].direction),
                              std::tuple(before.ballCount, before.balls[0].position.x, before.balls[0].direction));
                    Click(ControlId::Roll);
                    EXPECT_EQ(board.balls[0].velocity.x, launchSpeed);
                }
                EXPECT_EQ(Files(), files);
            }
}

// Balls the target is taking in count toward the goal before they arrive; a
// ball that still creeps in after the box opened wins the run after all.
TEST_F(AppRunEnd, TheTargetsCatchCountsAndAWinReplacesTheBox) {
    Open(RowLevel("plastic", "NSNN.NNN", ".P......"), false);
    AimEast();
    Click(ControlId::Roll);
    RunUntilABox();
    ASSERT_EQ(dialogState, DialogState::RunFailed);
    Board caught = board;
    caught.balls[0].absorb = 1.5f;
    EXPECT_FALSE(RunCannotWin(caught, 0, runSettledTicks));
    ballsAtTarget = 1;
    FrameStep();
    EXPECT_EQ(dialogState, DialogState::CustomSolved);
    EXPECT_EQ(CountSound(SoundEffectId::Goal), 1);
}

// The refused roll: no sound, no run; the explanation and the lit arrows last
// two seconds of the clock; choosing the direction puts the arrows out.
TEST_F(AppRunEnd, ARefusedRollIsExplainedForTwoSeconds) {
    Open(RowLevel("plastic", "NSNN.NNN", ".P......"), false);
    const auto files = Files();
    apptest::sounds.clear();
    fakeNow = 1000.0;
    Click(ControlId::Roll);
    EXPECT_EQ(std::tuple(gameScreen, apptest::sounds.size()), std::tuple(GameScreen::Play, size_t{0}));
    EXPECT_TRUE(RollRefusalShowing() && LaunchArrowsFlashing(0));
    fakeNow = 2999.0;
    EXPECT_TRUE(RollRefusalShowing());
    fakeNow = 3000.0;
    EXPECT_FALSE(RollRefusalShowing() || LaunchArrowsFlashing(0));

    Click(ControlId::Roll);
    AimEast();
    EXPECT_TRUE(RollRefusalShowing());
    EXPECT_FALSE(LaunchArrowsFlashing(0));
    Click(ControlId::Roll);
    EXPECT_EQ(gameScreen, GameScreen::Run);
    EXPECT_FALSE(RollRefusalShowing());
    EXPECT_EQ(Files(), files);
}

}  // namespace
