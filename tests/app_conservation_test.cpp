// While a puzzle is played, no sequence of clicks may create or lose a piece:
// what the player has on the board, in the stock and in the cursor always
// adds up to what the puzzle gave. Thousands of random clicks on cells, stock
// slots, launch arrows and buttons, undos and redos, with runs stopped,
// retried and won.
#include <random>
#include <vector>

#include "app_fixture.h"

namespace {

using apptest::AppTest;

// Pieces of one kind the player has put on the board: flagged cells, or the
// player's own balls.
int PlacedOnBoard(const Board& b, int kind) {
    int n = 0;
    if (IsBallKind(kind)) {
        for (int i = 0; i < b.ballCount; ++i)
            n += b.balls[i].kind == kind && b.balls[i].lock == int8_t(BallLock::PlayerBall);
    } else {
        for (int8_t value : b.cells) n += value == kind + cellPlayerPiece;
    }
    return n;
}

// A random puzzle as designed, with flagged pieces, player balls and fixed
// balls; some of them odd (a flagged start cube under a fixed ball).
Board RandomPuzzle(std::mt19937& rng, bool manyBalls) {
    const int sx = 5 + int(rng() % 4), sy = 3 + int(rng() % 3), sz = 5 + int(rng() % 4);
    Board level(sx, sy, sz);
    level.Clear();
    const int kinds[] = {2, 3, 4, 5, 6, 7, 7, 7, 8, 9, 10, 11, 16, 17, 18, 19};
    const unsigned startCubeShare = manyBalls ? 30 : 0;
    for (int z = 0; z < sz; ++z)
        for (int y = 0; y < sy; ++y)
            for (int x = 0; x < sx; ++x) {
                int8_t& cell = level.cells[size_t(level.Index(x, y, z))];
                const unsigned roll = rng() % 100;
                if (y == 0) {
                    cell = int8_t(roll < 80 ? kindGroundCube : roll < 90 ? 0 : kindGroundCube + cellPlayerPiece);
                } else if (y + 1 < sy && roll < startCubeShare) {
                    cell = kindStartCube;
                } else if (roll < 22 + startCubeShare) {
                    const int kind = kinds[rng() % std::size(kinds)];
                    cell = int8_t(rng() % 100 < 40 ? kind + cellPlayerPiece : kind);
                }
            }
    for (int z = 0; z < sz; ++z)
        for (int y = 1; y + 1 < sy; ++y)
            for (int x = 0; x < sx; ++x) {
                const int start = level.Index(x, y, z), above = level.Index(x, y + 1, z);
                if (KindOfValue(level.cells[size_t(start)]) != kindStartCube || level.cells[size_t(above)] != 0) continue;
                if (rng() % 100 >= 70) continue;
                const int kind = 12 + int(rng() % 4);
                level.cells[size_t(above)] = int8_t(kind);
                level.AddBall(kind, above);
                Ball& ball = level.balls[level.ballCount - 1];
                ball.lock = int8_t(manyBalls && rng() % 100 < 70 ? 0 : rng() % 3);
                ball.direction = int8_t(rng() % 6);
            }
    level.goalCount = int8_t(1 + rng() % 2);
    return level;
}

// Start cubes in a row, each with a player's ball of another kind, and a few
// free start cubes: where balls are placed, taken back and swapped.
Board BallPuzzle() {
    Board level(7, 3, 5);
    level.Clear();
    for (int z = 0; z < 5; ++z)
        for (int x = 0; x < 7; ++x) level.cells[size_t(level.Index(x, 0, z))] = kindGroundCube;
    for (int x = 0; x < 7; ++x) {
        level.cells[size_t(level.Index(x, 1, 2))] = kindStartCube;
        if (x >= 4) continue;
        const int kind = kindBalloon + x;
        level.cells[size_t(level.Index(x, 2, 2))] = int8_t(kind);
        level.AddBall(kind, level.Index(x, 2, 2));
    }
    level.cells[size_t(level.Index(6, 1, 4))] = kindTargetCube;
    return level;
}

class AppConservation : public AppTest {
protected:
    int8_t given[stockSlots] = {};

    void TakeGiven() {
        std::copy(std::begin(board.stock), std::end(board.stock), given);
        ASSERT_EQ(heldKind, 0);
        for (int kind = 1; kind < elementKindCount; ++kind) ASSERT_EQ(PlacedOnBoard(board, kind), 0) << kind;
    }

    // The sum per kind, on the board being prepared, or on the snapshot while a run goes.
    ::testing::AssertionResult Conserved() const {
        if (gameScreen != GameScreen::Play && gameScreen != GameScreen::Run) return ::testing::AssertionSuccess();
        const Board& b = gameScreen == GameScreen::Play ? board : runStartBoard;
        if (heldKind < 0 || heldKind >= elementKindCount)
            return ::testing::AssertionFailure() << "held kind " << heldKind;
        for (int kind = 1; kind < stockSlots; ++kind) {
            const int have = b.stock[kind] + (heldKind == kind) + (kind < elementKindCount ? PlacedOnBoard(b, kind) : 0);
            if (b.stock[kind] < 0 || have != given[kind])
                return ::testing::AssertionFailure() << "kind " << kind << ": stock " << int(b.stock[kind])
                                                     << ", held " << heldKind << ", has " << have << " of "
                                                     << int(given[kind]);
        }
        // Every ball of the player's stands on a cell that shows it.
        for (int i = 0; i < b.ballCount; ++i) {
            const Ball& ball = b.balls[i];
            if (ball.lock != int8_t(BallLock::PlayerBall)) continue;
            const int x = int(ball.position.x / 36.0f), y = int((ball.position.y - 6.0f) / 36.0f),
                      z = int(ball.position.z / 36.0f);
            if (!b.Contains(x, y, z) || KindOfValue(b.cells[size_t(b.Index(x, y, z))]) != ball.kind)
                return ::testing::AssertionFailure() << "ball " << i << " stands on a cell that does not show it";
        }
        return ::testing::AssertionSuccess();
    }

    // Besides hover numbers and controls: the undo and redo keys, and a cell's
    // face pointed at (the click goes to hoveredPick).
    static constexpr int undoAction = -2, redoAction = -3, pointedAtFace = -4;

    // One random action a player could take on the current screen.
    int RandomAction(std::mt19937& rng, int puzzleCount) {
        const unsigned roll = rng() % 1000;
        const int n = board.cellCount;
        if (gameScreen == GameScreen::Play) {
            if (rng() % 12 == 0) return rng() % 2 == 0 ? redoAction : undoAction;
            if (roll < 450) {
                // Mostly what the pick can find: the ground layer and the cells that hold something.
                int cell = int(rng() % unsigned(n));
                for (int tries = 0; tries < 20 && rng() % 5 != 0; ++tries) {
                    if ((cell / board.sizeX) % board.sizeY == 0) break;
                    if (board.cells[size_t(cell)] != 0) break;
                    cell = int(rng() % unsigned(n));
                }
                // Half the time a start cube or a ball, where the balls are placed and swapped.
                if (rng() % 2 == 0) {
                    std::vector<int> spots;
                    for (int i = 0; i < n; ++i) {
                        const int kind = KindOfValue(board.cells[size_t(i)]);
                        if (kind == kindStartCube || IsBallKind(kind)) spots.push_back(i);
                    }
                    if (!spots.empty()) cell = spots[rng() % spots.size()];
                    if (KindOfValue(board.cells[size_t(cell)]) == kindStartCube && rng() % 2 == 0) {
                        int x, y, z;
                        board.CellOf(cell, x, y, z);
                        PointAtFace(x, y, z, 0, 1, 0);
                        return pointedAtFace;
                    }
                }
                int x, y, z;
                board.CellOf(cell, x, y, z);
                const int face = int(rng() % 7);  // six faces, or inside the box
                PointAtFace(x, y, z, face == 0 ? -1 : face == 1 ? 1 : 0, face == 2 ? -1 : face == 3 ? 1 : 0,
                            face == 4 ? -1 : face == 5 ? 1 : 0);
                return pointedAtFace;
            }
            if (roll < 700) {
                // Mostly what the carousel shows: the kinds left in the stock.
                std::vector<int> shown;
                for (int kind = 1; kind < stockSlotCount; ++kind)
                    if (board.stock[kind] > 0) shown.push_back(kind);
                if (!shown.empty() && rng() % 5 != 0) return n + shown[rng() % shown.size()];
                return n + 1 + int(rng() % (stockSlotCount - 1));
            }
            if (roll < 830) return n + stockSlotCount + int(rng() % unsigned(4 * std::max<int>(1, board.ballCount)));
            if (roll < 860) return -1;
            if (roll < 960) {
                // Mostly the tools that move pieces.
                const ControlId tools[] = {ControlId::ToolBuild, ControlId::ToolBuild, ControlId::ToolSwap,
                                           ControlId::ToolSwap,  ControlId::ToolDelete, ControlId::ToolStock};
                return Id(tools[rng() % 6]);
            }
            if (roll < 975) return Id(ControlId::Reset);
            if (roll < 980) return Id(ControlId::Exit);
            if (roll < 990) {
                // Give every ball a direction so that the roll goes.
                for (int i = 0; i < board.ballCount; ++i) board.balls[i].direction = int8_t(1 + rng() % 4);
            }
            return Id(ControlId::Roll);
        }
        if (gameScreen == GameScreen::Run) {
            switch (dialogState) {
            case DialogState::None:
                if (roll < 500) {
                    // The balls reach the goal.
                    ballsAtTarget = board.goalCount;
                    FrameStep();
                    return -1;
                }
                return Id(ControlId::Stop);
            case DialogState::PuzzleSolved: {
                const ControlId offered[] = {ControlId::DialogMenu, ControlId::DialogRetry, ControlId::DialogNext};
                return Id(offered[rng() % 3]);
            }
            case DialogState::CustomSolved:
                return Id(roll < 500 ? ControlId::DialogMenu : ControlId::DialogRetry);
            default: return Id(ControlId::DialogMenu);
            }
        }
        // On the menu: a fresh player comes back and picks one of the puzzles.
        if (solvedCount >= builtInPuzzleCount) {
            for (int i = 0; i < puzzleCount; ++i) solvedFlags[i] = 0;
            solvedCount = int8_t(builtInPuzzleCount - puzzleCount);
        }
        return Id(ControlId::PuzzleRowFirst) + int(rng() % unsigned(puzzleCount));
    }
};

TEST_F(AppConservation, RandomClicksNeverCreateOrLoseAPiece) {
    constexpr int puzzleCount = 4;
    constexpr int clicksPerSeed = 3000;
    int ballSwaps = 0, placements = 0, undone = 0, redone = 0;
    for (unsigned seed = 1; seed <= 6; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        WritePuzzle(0, SamplePuzzle());
        for (int i = 1; i < puzzleCount - 1; ++i) WritePuzzle(i, RandomPuzzle(rng, i >= 2));
        WritePuzzle(puzzleCount - 1, BallPuzzle());
        // The other puzzles count as solved, so "next" stays among these four.
        for (int i = 0; i < builtInPuzzleCount; ++i) solvedFlags[i] = i >= puzzleCount;
        solvedCount = int8_t(builtInPuzzleCount - puzzleCount);
        gameScreen = GameScreen::MainMenu;
        menuPage = MenuPage::PuzzleSelect;
        currentPuzzle = 0;
        int runs = 0, wins = 0;
        for (int step = 0; step < clicksPerSeed; ++step) {
            const GameScreen before = gameScreen;
            const int heldBefore = heldKind, cellsBefore = board.cellCount;
            const int action = RandomAction(rng, puzzleCount);
            const bool starts = (action >= Id(ControlId::PuzzleRowFirst) && action < Id(ControlId::PuzzleRowEnd)) ||
                                (action == Id(ControlId::DialogNext) && dialogState == DialogState::PuzzleSolved);
            if (before == GameScreen::Run && action == -1) {
                ASSERT_TRUE(Conserved()) << "after the goal at step " << step;
                wins += dialogState != DialogState::None;
                continue;
            }
            if (action == undoAction || action == redoAction) {
                const int stepsBefore = UndoSteps();
                WindowProc(action == undoAction ? Message::CtrlKey(KeyCode::Z)
                                                : step % 2 ? Message::CtrlKey(KeyCode::Y)
                                                           : Message::CtrlKey(KeyCode::Z, true));
                undone += UndoSteps() < stepsBefore;
                redone += UndoSteps() > stepsBefore;
                ASSERT_TRUE(Conserved()) << "after an undo or redo at step " << step;
                continue;
            }
            // Every command, reachable on this screen or not: none may make or lose a piece.
            if (action == pointedAtFace)
                Click(hoveredPick);
            else if (action >= controlIdFirst)
                Command(action);
            else
                Click(action);
            if (before == GameScreen::Play && (action == pointedAtFace || (action >= 0 && action < cellsBefore))) {
                ballSwaps += IsBallKind(heldBefore) && IsBallKind(heldKind) && heldKind != heldBefore;
                placements += heldBefore != 0 && heldKind == 0;
            }
            if (starts) TakeGiven();
            runs += before == GameScreen::Play && gameScreen == GameScreen::Run;
            ASSERT_TRUE(Conserved()) << "after step " << step << ", action " << action;
            ASSERT_LE(board.ballCount, maxBalls);
        }
        // The sequences did reach the runs and their endings.
        EXPECT_GT(runs, 20);
        EXPECT_GT(wins, 5);
    }
    EXPECT_GT(ballSwaps, 5);
    EXPECT_GT(placements, 200);
    EXPECT_GT(undone, 300);
    EXPECT_GT(redone, 40);
}

}  // namespace
