// The recorded solutions of the sixty built-in puzzles rolled tick by tick as
// the frame driver rolls them: none has its balls at rest with the goal out of
// reach for even a tenth of the second that opens the failed-run box.
#include <gtest/gtest.h>

#include "app/game_flow.h"
#include "board/file_io.h"
#include "sim/simulation.h"
#include "tools/tm3/level_text.h"
#include "tools/tm3/puzzle_rules.h"

TEST(PuzzleSolutions, NoneComesToRestBeforeItWins) {
    BuildCollisionShapes();
    int longestRest = 0;
    for (const char* name : puzzleNames) {
        SCOPED_TRACE(name);
        LevelData level[2];  // the puzzle, its solution
        for (int k = 0; k < 2; ++k) {
            const std::string path = std::string(TUMBLEON_SOURCE_DIR) + "/data/puzzles/" + name +
                                     (k == 0 ? ".txt" : ".solution.txt");
            std::vector<uint8_t> text;
            std::string error;
            ASSERT_TRUE(ReadWholeFile(path, 1 << 20, text) &&
                        CompileLevel(std::string(text.begin(), text.end()), level[k], error)) << path << error;
        }
        Board played(1, 1, 1), snapshot(1, 1, 1);
        int8_t atTarget = 0;
        std::string why;
        ASSERT_TRUE(BuildPlayedBoard(level[0].board, level[1].board, played, why)) << why;
        ASSERT_TRUE(StartRoll(played, snapshot, atTarget));
        for (int32_t tick = 1, resting = 0; atTarget < played.goalCount; ++tick) {
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
