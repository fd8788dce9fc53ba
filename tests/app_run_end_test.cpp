// How a roll ends when it cannot win: the failed-run box with its again and
// menu buttons; and a roll refused for a ball without a launch direction,
// explained for two seconds of the clock. Neither touches a file.
#include <filesystem>
#include <map>

#include "app_fixture.h"
#include "sim/simulation.h"
#include "tools/tm3/level_text.h"

namespace {

using apptest::AppTest;
using apptest::fakeNow;

// A row of blocks on a floor with a start cube at its west end; the ball on
// it is the level's own, its direction the player's to choose. `far` is what
// lies along the row (layer 2 over the blocks, or the gaps of layer 1).
std::string RowLevel(const char* ball, const char* layer1Row, const char* layer2Row) {
    return std::string("size 8 3 3\ngoal 1\nlayer 0\nGGGGGGGG\nGGGGGGGG\nGGGGGGGG\n") +
           "layer 1\nNNNNNNNN\n" + layer1Row + "\nNNNNNNNN\n" + "layer 2\n........\n" + layer2Row +
           "\n........\n" + "ball 1 2 1 " + ball + " unset position\n";
}

class AppRunEnd : public AppTest {
protected:
    // Every file of the work folder with its bytes.
    std::map<std::string, std::vector<uint8_t>> Files() const {
        std::map<std::string, std::vector<uint8_t>> files;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
            if (entry.is_regular_file()) files[entry.path().string()] = ReadBytes(entry.path().string());
        return files;
    }

    // Opens a level given in text form from the main menu, or in the editor.
    void Open(const std::string& text, bool inEditor) {
        LevelData level;
        std::string error;
        ASSERT_TRUE(CompileLevel(text, level, error)) << error;
        WriteLevel(Path("level.tm3"), level.board);
        apptest::dialogPath = Path("level.tm3");
        gameScreen = GameScreen::MainMenu;
        menuPage = MenuPage::Main;
        if (inEditor) {
            Click(ControlId::MainEditor);
            Click(ControlId::EditorLoad);
        } else {
            Click(ControlId::MainLoad);
        }
    }

    // Sends ball 0 east with its arrows: the four-way arrow opens the four.
    void AimEast() {
        Click(Arrow(0, 0));
        Click(Arrow(0, int(LaunchDirection::PlusX) - 1));
        ASSERT_EQ(board.balls[0].direction, int8_t(LaunchDirection::PlusX));
    }

    // Frames of 100 ms until a box opens; the frames taken.
    int RunUntilABox(int frames = 1200) {
        int frame = 0;
        for (; frame < frames && dialogState == DialogState::None; ++frame) {
            fakeNow += 100.0;
            FrameStep();
        }
        return frame;
    }
};

// A ball in a pit, a balloon burst on a spike, an iron ball held by a magnet:
// each run ends in the failed-run box once nothing has moved for a second,
// from a puzzle and from the editor alike; its again button brings back the
// board as the run began, its menu button the main menu. No file changes.
TEST_F(AppRunEnd, ARunThatCannotWinEndsInTheFailedBox) {
    const struct {
        const char* name;
        std::string level;
        int ballsLeft;
    } cases[] = {
        {"pit", RowLevel("plastic", "NSNN.NNN", ".P......"), 1},
        {"spike", RowLevel("balloon", "NSNNXNNN", ".O......"), 0},
        {"magnet", RowLevel("iron", "NSNNNNNN", ".I....M."), 1},
    };
    for (const auto& c : cases)
        for (bool inEditor : {false, true})
            for (ControlId button : {ControlId::DialogRetry, ControlId::DialogMenu}) {
                SCOPED_TRACE(std::string(c.name) + (inEditor ? " in the editor, " : " in play, ") +
                             (button == ControlId::DialogRetry ? "again" : "menu"));
                Open(c.level, inEditor);
                AimEast();
                const Board before = board;
                const auto files = Files();
                apptest::sounds.clear();
                Click(ControlId::Roll);
                ASSERT_EQ(gameScreen, GameScreen::Run);

                const int frames = RunUntilABox();
                ASSERT_EQ(dialogState, DialogState::RunFailed) << "no box after " << frames << " frames";
                EXPECT_EQ(int(board.ballCount), c.ballsLeft);
                EXPECT_TRUE(BallsAtRest(board));
                EXPECT_EQ(CountSound(SoundEffectId::Goal), 0);
                // The box stays while the balls lie where they are.
                fakeNow += 5000.0;
                FrameStep();
                EXPECT_EQ(dialogState, DialogState::RunFailed);

                Click(button);
                EXPECT_EQ(dialogState, DialogState::None);
                if (button == ControlId::DialogRetry) {
                    EXPECT_EQ(gameScreen, inEditor ? GameScreen::Editor : GameScreen::Play);
                    EXPECT_EQ(board.cells, before.cells);
                    ASSERT_EQ(board.ballCount, before.ballCount);
                    EXPECT_EQ(board.balls[0].position.x, before.balls[0].position.x);
                    EXPECT_EQ(board.balls[0].direction, before.balls[0].direction);
                    // ... and it rolls again as it did the first time.
                    Click(ControlId::Roll);
                    EXPECT_EQ(gameScreen, GameScreen::Run);
                    EXPECT_EQ(board.balls[0].velocity.x, launchSpeed);
                } else {
                    EXPECT_EQ(std::tuple(gameScreen, menuPage), std::tuple(GameScreen::MainMenu, MenuPage::Main));
                }
                EXPECT_EQ(Files(), files);
            }
}

// The box waits for every ball: one still rolling keeps it away, and balls
// the target is taking in count toward the goal before they arrive. A ball
// that creeps into the target after all still wins the run.
TEST_F(AppRunEnd, TheBoxWaitsForEveryBallAndGivesWayToAWin) {
    Open(RowLevel("plastic", "NSNN.NNN", ".P......"), false);
    AimEast();
    Click(ControlId::Roll);
    fakeNow += 100.0;
    FrameStep();
    EXPECT_EQ(restingTicks, 0);  // rolling
    RunUntilABox();
    ASSERT_EQ(dialogState, DialogState::RunFailed);

    Board still = board;
    EXPECT_TRUE(RunCannotWin(still, 0, runSettledTicks));
    EXPECT_FALSE(RunCannotWin(still, 0, runSettledTicks - 1));
    EXPECT_FALSE(RunCannotWin(still, 1, runSettledTicks));  // the goal is reached
    still.balls[0].absorb = 1.5f;                              // taken in, not yet counted
    EXPECT_FALSE(RunCannotWin(still, 0, runSettledTicks));
    still.balls[0].velocity = {restingSpeed, 0.0f, 0.0f};      // taken in: its speed does not matter
    EXPECT_TRUE(BallsAtRest(still));
    still.balls[0].absorb = 0.0f;
    EXPECT_FALSE(BallsAtRest(still));
    still.balls[0].velocity = {0.0f, -0.3f, 0.3f};
    EXPECT_TRUE(BallsAtRest(still));

    apptest::sounds.clear();
    ballsAtTarget = 1;
    fakeNow += 100.0;
    FrameStep();
    EXPECT_EQ(dialogState, DialogState::CustomSolved);
    EXPECT_EQ(CountSound(SoundEffectId::Goal), 1);
}

// A roll with a ball that has no launch direction is refused as before, and
// the screen says why for two seconds of the clock while that ball's arrows
// are lit; choosing its direction puts its arrows out, and the roll goes.
TEST_F(AppRunEnd, ARefusedRollIsExplainedForTwoSeconds) {
    Open(RowLevel("plastic", "NSNN.NNN", ".P......"), false);
    const auto files = Files();
    apptest::sounds.clear();
    fakeNow = 1000.0;
    EXPECT_FALSE(RollRefusalShowing());
    Click(ControlId::Roll);
    EXPECT_EQ(gameScreen, GameScreen::Play);
    EXPECT_TRUE(apptest::sounds.empty());
    EXPECT_TRUE(RollRefusalShowing());
    EXPECT_TRUE(LaunchArrowsFlashing(0));
    EXPECT_FALSE(LaunchArrowsFlashing(1));  // there is no second ball
    fakeNow = 2999.0;
    EXPECT_TRUE(RollRefusalShowing());
    fakeNow = 3000.0;
    EXPECT_FALSE(RollRefusalShowing());
    EXPECT_FALSE(LaunchArrowsFlashing(0));

    Click(ControlId::Roll);
    Click(Arrow(0, 0));  // four arrows now, still no direction
    EXPECT_TRUE(LaunchArrowsFlashing(0));
    Click(Arrow(0, int(LaunchDirection::PlusX) - 1));
    EXPECT_TRUE(RollRefusalShowing());
    EXPECT_FALSE(LaunchArrowsFlashing(0));
    Click(ControlId::Roll);
    EXPECT_EQ(gameScreen, GameScreen::Run);
    EXPECT_FALSE(RollRefusalShowing());  // a run that starts ends the explanation
    EXPECT_EQ(Files(), files);
}

}  // namespace
