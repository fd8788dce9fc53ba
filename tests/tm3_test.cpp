// The tm3 level tool: the text form, its round trip to the exact bytes and
// its error messages.
#include <gtest/gtest.h>

#include <random>

#include "board/level_file.h"
#include "tests/test_support.h"
#include "tools/tm3/level_text.h"

namespace {

std::string CompileError(const std::string& text) {
    LevelData level;
    std::string error;
    EXPECT_FALSE(CompileLevel(text, level, error)) << text;
    return error;
}

// dump -> compile gives back the same bytes, for levels of every shape.
TEST(Tm3Text, DumpCompileRoundTripIsByteExact) {
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        const int sx = 1 + int(random() % 12), sy = 1 + int(random() % 5), sz = 1 + int(random() % 12);
        Board board(sx, sy, sz);
        for (int8_t& cell : board.cells) {
            const int kind = int(random() % elementKindCount);
            cell = static_cast<int8_t>(kind + (random() % 3 == 0 ? cellPlayerPiece : 0));
        }
        const int balls = int(random() % 12);
        for (int b = 0; b < balls; ++b) {
            board.AddBall(kindBalloon + int(random() % 4), int(random() % unsigned(board.cellCount)));
            Ball& ball = board.balls[b];
            ball.direction = static_cast<int8_t>(random() % 6);
            ball.lock = static_cast<int8_t>(random() % 3);
            if (random() % 3 == 0) ball.position.x += float(int(random() % 2000) - 1000) / 97.0f;
            if (random() % 5 == 0) ball.position.y = -0.0f;
        }
        board.goalCount = static_cast<int8_t>(random() % 11);
        const OrbitCamera camera{float(random() % 1000) / 7.0f, 0.1f * float(round), -1.0f / float(round + 1)};
        const std::vector<uint8_t> bytes = EncodeLevel(board, camera);

        LevelData level;
        std::string error;
        ASSERT_TRUE(ParseLevel(bytes.data(), bytes.size(), true, level, error)) << error;
        const std::string text = DumpLevel(level);
        LevelData again;
        ASSERT_TRUE(CompileLevel(text, again, error)) << error << "\n" << text;
        ASSERT_EQ(EncodeLevel(again.board, again.camera), bytes) << text;
        EXPECT_EQ(DumpLevel(again), text);
    }
}

TEST(Tm3Text, ErrorsNameTheirLine) {
    const std::pair<const char*, const char*> cases[] = {
        {"size 4 2 3\ngoal 1\nlayer 0\nGGGG\nGG?G\nGGGG\n", "line 5: '?' is not in the legend"},
        {"size 4 2 3\ngoal 1\nlayer 0\nGGGG\n", "line 4: layer 0 ends after 1 rows"},
        {"size 0 2 3\n", "line 1: expected 'size X Y Z' with sizes from 1 to 127"},
        {"size 4 2 3\ngoal 1\nball 4 0 0 iron +x fixed\n", "line 3: ball cell outside the board"},
        {"size 4 2 3\ngoal 1\nball 0 0 0 iron +x fixed at 1 nan 2\n", "line 3: expected 'at PX PY PZ' with finite numbers"},
        {"size 4 2 3\ngoal 1\nball 0 0 0 iron +x fixed at -500 6 0\n", "line 4: ball 0: position is outside the board"},
    };
    for (auto [text, error] : cases) EXPECT_EQ(CompileError(text), error);
}

}  // namespace
