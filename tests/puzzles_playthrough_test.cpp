// The sixty built-in puzzles, played in order through the game itself: start
// from the list, take each piece of the recorded solution from the stock, put
// it down, set the arrows, roll, win, next; the progress file ends all solved.
#include <filesystem>

#include "app_fixture.h"
#include "sim/simulation.h"
#include "tools/tm3/level_text.h"

namespace {

using apptest::AppTest;
using apptest::fakeNow;

class PuzzlePlaythrough : public AppTest {
protected:
    // The recorded solution of a built-in puzzle.
    static LevelData Solution(const std::string& name) {
        std::vector<uint8_t> text;
        const std::string path = std::string(TUMBLEON_SOURCE_DIR) + "/data/puzzles/" + name + ".solution.txt";
        EXPECT_TRUE(ReadWholeFile(path, 1 << 20, text)) << path;
        LevelData level;
        std::string error;
        EXPECT_TRUE(CompileLevel(std::string(text.begin(), text.end()), level, error)) << path << ": " << error;
        return level;
    }

    // Takes a piece from the stock and builds it into cell t across a face of
    // a neighbour that holds something; false when no click puts it there.
    bool PutDown(int kind, int x, int y, int z) {
        static const int faces[6][3] = {{0, 1, 0}, {1, 0, 0}, {-1, 0, 0}, {0, 0, 1}, {0, 0, -1}, {0, -1, 0}};
        for (const auto& f : faces) {
            const int nx = x - f[0], ny = y - f[1], nz = z - f[2];
            if (!board.Contains(nx, ny, nz) || CellValue(nx, ny, nz) == 0) continue;
            if (IsBallKind(kind) && f[1] != 1) continue;  // balls go onto the top of a start cube
            Click(StockSlot(kind));
            if (heldKind != kind) return false;
            PointAtFace(nx, ny, nz, f[0], f[1], f[2]);
            Click(board.Index(nx, ny, nz));
            if (heldKind == 0) return KindOfValue(int8_t(CellValue(x, y, z))) == kind;
            ReturnHeldPiece();
        }
        return false;
    }

    // Puts down the solution's pieces, balls last in the solution's order, and
    // chooses every direction with the launch arrows.
    void Prepare(const Board& solution) {
        std::vector<int> pending;
        for (int i = 0; i < board.cellCount; ++i)
            if (board.cells[size_t(i)] == 0 && solution.cells[size_t(i)] > cellPlayerPiece) pending.push_back(i);
        // A piece may rest on another: keep going round while something goes down.
        for (bool progress = true; progress && !pending.empty();) {
            progress = false;
            for (size_t k = 0; k < pending.size();) {
                int x, y, z;
                board.CellOf(pending[k], x, y, z);
                if (PutDown(solution.cells[size_t(pending[k])] - cellPlayerPiece, x, y, z)) {
                    pending.erase(pending.begin() + long(k));
                    progress = true;
                } else {
                    ++k;
                }
            }
        }
        ASSERT_TRUE(pending.empty()) << "a piece could not be put down";
        const int ownBalls = board.ballCount;
        std::vector<int> wanted(size_t(ownBalls), 0);
        for (int s = 0; s < solution.ballCount; ++s) {
            const Ball& ball = solution.balls[s];
            if (ball.lock == int8_t(BallLock::PlayerBall)) {
                const int x = int(ball.position.x / 36.0f), z = int(ball.position.z / 36.0f);
                const int y = int((ball.position.y - ballPlacingLift) / 36.0f);
                ASSERT_TRUE(PutDown(ball.kind, x, y, z)) << "ball " << s;
                wanted.push_back(ball.direction);
                continue;
            }
            for (int b = 0; b < ownBalls; ++b)
                if (board.balls[b].position.x == ball.position.x && board.balls[b].position.y == ball.position.y &&
                    board.balls[b].position.z == ball.position.z)
                    wanted[size_t(b)] = ball.direction;
        }
        for (int b = 0; b < board.ballCount; ++b) {
            // A ball still to be aimed shows one four-way arrow: the first click
            // opens the four, the next chooses one.
            for (int click = 0; click < 3 && board.balls[b].direction != wanted[size_t(b)]; ++click)
                Click(Arrow(b, wanted[size_t(b)] - 1));
            ASSERT_EQ(board.balls[b].direction, wanted[size_t(b)]) << "ball " << b;
        }
    }
};

TEST_F(PuzzlePlaythrough, EveryPuzzleIsWonInOrderAndTheProgressFileSaysSo) {
    std::filesystem::create_directory_symlink(std::string(TUMBLEON_BUILD_DIR) + "/adatok", folder + "/adatok");
    BuildCollisionShapes();
    StartProgress();
    gameScreen = GameScreen::MainMenu;
    menuPage = MenuPage::PuzzleSelect;
    currentPuzzle = 0;
    Click(ControlId::PuzzleRowFirst);
    for (int i = 0; i < builtInPuzzleCount; ++i) {
        SCOPED_TRACE(puzzleNames[i]);
        ASSERT_EQ(currentPuzzle, i);
        ASSERT_EQ(gameScreen, GameScreen::Play);
        const LevelData solution = Solution(puzzleNames[i]);
        ASSERT_EQ(board.cellCount, solution.board.cellCount);
        Prepare(solution.board);
        if (HasFatalFailure()) return;
        Click(ControlId::Roll);
        ASSERT_EQ(gameScreen, GameScreen::Run);
        // The frame driver takes the steps of each 100 ms frame; the goal check ends the run.
        for (int frame = 0; frame < 1000 && dialogState == DialogState::None; ++frame) {
            fakeNow += 100.0;
            FrameStep();
        }
        ASSERT_EQ(int(dialogState), int(i + 1 < builtInPuzzleCount ? DialogState::PuzzleSolved : DialogState::AllSolved))
            << "the run did not win";
        if (i + 1 < builtInPuzzleCount) Click(ControlId::DialogNext);
    }
    std::vector<uint8_t> score;
    ASSERT_TRUE(ReadWholeFile(Path("score.dat"), 1 << 10, score));
    EXPECT_EQ(score, std::vector<uint8_t>(builtInPuzzleCount, 1));
}

}  // namespace
