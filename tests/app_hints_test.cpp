// Hints from a puzzle's recorded solution, and the mark of a puzzle won with them.
#include "app/hints.h"
#include "app/player_files.h"
#include "app_fixture.h"

namespace {

using AppHints = apptest::AppTest;

std::vector<uint8_t> FlagsWith(std::initializer_list<int> marked) {
    std::vector<uint8_t> flags(builtInPuzzleCount, 0);
    for (int i : marked) flags[size_t(i)] = 1;
    return flags;
}

// The steps go from the lowest layer up, then the player's balls, then the
// directions; H shows one more each time on the play screen. A win with hints
// shown marks the puzzle in hints.dat beside score.dat, which keeps its 60
// bytes; a later win without them takes the mark away.
TEST_F(AppHints, HShowsTheSolutionStepByStepAndAWinWithThemIsMarked) {
    apptest::adapterModes = {{640, 480, 60, formatR5G6B5}};
    std::string message;
    ASSERT_TRUE(StartGame(message)) << message;
    Board solution = SamplePuzzle();
    SetCell(solution, 5, 2, 0, kindPlainCube + cellPlayerPiece);  // on another of the player's pieces
    solution.balls[0].direction = int8_t(LaunchDirection::PlusX);
    solution.balls[1].direction = int8_t(LaunchDirection::MinusZ);
    WriteLevel(folder + "/adatok/megoldasok/" + puzzleNames[0] + ".tm3", solution);
    OpenSamplePuzzle();

    ASSERT_EQ(HintCount(), 7 + 1 + 2);
    for (int i = 0; i < 12; ++i) Press(KeyCode::H);
    const std::vector<HintStep>& steps = HintSteps();
    ASSERT_EQ(int(steps.size()), HintCount()) << "every step shown, and no more";
    int layer = 0;
    for (int i = 0; i < 7; ++i) {
        int x, y, z;
        board.CellOf(steps[size_t(i)].cell, x, y, z);
        EXPECT_GE(y, layer) << "a piece comes after what it rests on";
        layer = y;
    }
    EXPECT_EQ(std::tuple(steps[7].what, steps[7].kind, steps[7].cell),
              std::tuple(HintStep::What::Ball, kindIronBall, Cell(1, 2, 1)));
    EXPECT_EQ(std::tuple(steps[8].what, steps[8].direction, steps[9].direction),
              std::tuple(HintStep::What::Arrow, int(LaunchDirection::PlusX), int(LaunchDirection::MinusZ)));

    RollSample();
    WinRun();
    EXPECT_EQ(ReadBytes(HintMarksPath()), FlagsWith({0}));
    EXPECT_EQ(ReadBytes(ProgressFilePath()), FlagsWith({0})) << "score.dat as before";
    Click(ControlId::DialogMenu);
    EXPECT_EQ(HintsShown(), 0) << "left with the puzzle";

    OpenSamplePuzzle();
    RollSample();
    WinRun();
    EXPECT_EQ(ReadBytes(HintMarksPath()), FlagsWith({})) << "won again without hints";
    EXPECT_EQ(HintedCount(), 0);
}

}  // namespace
