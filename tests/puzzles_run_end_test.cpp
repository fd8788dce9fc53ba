// The recorded solutions of the sixty built-in puzzles against the failed-run
// box: rolled tick by tick as the frame driver rolls them, none has its balls
// at rest with the goal out of reach for even a tenth of the second that
// opens the box. (The playthrough test wins every puzzle through the frame
// driver itself, box and all.)
#include <gtest/gtest.h>

#include <algorithm>

#include "app/game_flow.h"
#include "board/file_io.h"
#include "sim/simulation.h"
#include "tools/tm3/level_text.h"
#include "tools/tm3/puzzle_rules.h"

namespace {

LevelData Compiled(const std::string& path) {
    std::vector<uint8_t> text;
    EXPECT_TRUE(ReadWholeFile(path, 1 << 20, text)) << path;
    LevelData level;
    std::string error;
    EXPECT_TRUE(CompileLevel(std::string(text.begin(), text.end()), level, error)) << path << ": " << error;
    return level;
}

TEST(PuzzleSolutions, NoneComesToRestBeforeItWins) {
    BuildCollisionShapes();
    int longestRest = 0;
    for (int p = 0; p < builtInPuzzleCount; ++p) {
        SCOPED_TRACE(puzzleNames[p]);
        const std::string base = std::string(TUMBLEON_SOURCE_DIR) + "/data/puzzles/" + puzzleNames[p];
        const LevelData puzzle = Compiled(base + ".txt"), solution = Compiled(base + ".solution.txt");
        Board played(1, 1, 1), snapshot(1, 1, 1);
        std::string why;
        ASSERT_TRUE(BuildPlayedBoard(puzzle.board, solution.board, played, why)) << why;
        int8_t atTarget = 0;
        ASSERT_TRUE(StartRoll(played, snapshot, atTarget));
        int32_t resting = 0;
        for (long tick = 1; atTarget < played.goalCount; ++tick) {
            ASSERT_LE(tick, 40000) << "the solution does not win";
            SimulationTick(played, atTarget);
            resting = BallsAtRest(played) ? std::min(resting + 1, runSettledTicks) : 0;
            if (atTarget >= played.goalCount) break;
            ASSERT_FALSE(RunCannotWin(played, atTarget, resting)) << "the box opens at tick " << tick;
            // How long the balls rested while those taken in were still too few.
            if (RunCannotWin(played, atTarget, runSettledTicks)) longestRest = std::max(longestRest, int(resting));
        }
    }
    EXPECT_LT(longestRest, runSettledTicks / 10);
}

}  // namespace
