// The simulation tick: motion, limits, the ball-ball phase, removal, and runs
// that must never let a NaN or an infinity into a ball.
#include <cstring>

#include "sim/effect_recorder.h"
#include "tests/sim_support.h"

namespace {

class SimTick : public ::testing::Test {
protected:
    void SetUp() override { BuildCollisionShapes(); }
    EffectRecorder effects;
    int8_t ballsAtTarget = 0;

    int Count(SoundEffectId id) const { return int(std::count(effects.sounds.begin(), effects.sounds.end(), int(id))); }
};

// A tall empty board: balls placed high up touch nothing.
Board OpenAir() {
    Board board(10, 10, 10);
    board.Clear();
    return board;
}

bool SameBits(Vec3 a, Vec3 b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// ---- Motion ----

// A ball moves, then falls, then is damped and kept under the speed limit in
// its own direction; its top turns about z by -vx / 300, then about x by vz / 300.
TEST_F(SimTick, FreeFlightMovesFallsIsLimitedAndRolls) {
    Board board = OpenAir();
    AddBallAt(board, kindPlasticBall, {180.0f, 250.0f, 180.0f}, {4.8f, 0.0f, 0.0f});
    AddBallAt(board, kindPlasticBall, {50.0f, 250.0f, 50.0f}, {90.0f, 0.05f, 80.0f});
    AddBallAt(board, kindPlasticBall, {300.0f, 250.0f, 50.0f}, {30.0f, 0.0f, 30.0f});
    AddBallAt(board, kindPlasticBall, {150.0f, 250.0f, 300.0f}, {99.0f, 0.0f, 0.0f});
    SimulationTick(board, ballsAtTarget);
    const Ball& ball = board.balls[0];
    EXPECT_FLOAT_EQ(ball.position.x, 180.192f);
    EXPECT_EQ(ball.position.y, 250.0f);  // moved before gravity acts
    EXPECT_FLOAT_EQ(ball.velocity.x, 4.8f * 0.99995f);
    EXPECT_FLOAT_EQ(ball.velocity.y, -0.05f * 0.99995f);
    SimulationTick(board, ballsAtTarget);
    EXPECT_FLOAT_EQ(ball.position.y, 250.0f - 0.04f * 0.05f * 0.99995f);
    const Vec3 fast = board.balls[1].velocity;
    EXPECT_NEAR(Length(fast), 100.0f, 0.01f);
    EXPECT_FLOAT_EQ(fast.x / fast.z, 90.0f / 80.0f);
    EXPECT_FLOAT_EQ(board.balls[3].velocity.x, 99.0f * 0.99995f * 0.99995f);  // below the limit only damping acts
    const Ball& rolling = board.balls[2];
    Matrix4 expected;
    for (int t = 0; t < 2; ++t) {  // the velocity after each tick's damping
        const float v = 30.0f * (t == 0 ? 0.99995f : 0.99995f * 0.99995f);
        expected = MatrixMultiply(MatrixMultiply(expected, MatrixRotationZ(-v / 300.0f)), MatrixRotationX(v / 300.0f));
    }
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) EXPECT_NEAR(rolling.orientation.m[r][c], expected.m[r][c], 1e-6f) << r << c;
    EXPECT_TRUE(effects.sounds.empty());
}

// ---- Ball against ball ----

// In the air, 0.6 apart: A runs into B, B rests against C, C only sees a B at
// rest; two slower pairs knock only above an impact (both speeds) of 0.4.
TEST_F(SimTick, EveryPairSeesTheStateAtTheStartOfThePhase) {
    Board board = OpenAir();
    AddBallAt(board, kindPlasticBall, {180.0f, 250.0f, 180.0f}, {5.0f, 0.0f, 0.0f});
    AddBallAt(board, kindPlasticBall, {180.0f + 21.6f, 250.0f, 180.0f});
    AddBallAt(board, kindPlasticBall, {180.0f + 43.2f, 250.0f, 180.0f});
    AddBallAt(board, kindPlasticBall, {50.0f, 250.0f, 50.0f}, {0.15f, 0.0f, 0.0f});
    AddBallAt(board, kindPlasticBall, {50.0f + 23.0f, 250.0f, 50.0f}, {-0.15f, 0.0f, 0.0f});
    AddBallAt(board, kindPlasticBall, {50.0f, 250.0f, 150.0f}, {0.25f, 0.0f, 0.0f});
    AddBallAt(board, kindPlasticBall, {50.0f + 23.0f, 250.0f, 150.0f}, {-0.25f, 0.0f, 0.0f});
    SimulationTick(board, ballsAtTarget);
    EXPECT_LT(board.balls[0].velocity.x, 5.0f * 0.99995f);
    EXPECT_GT(board.balls[1].velocity.x, 0.0f);
    EXPECT_EQ(board.balls[2].velocity.x, 0.0f);  // pushed aside, but not set moving
    EXPECT_GT(board.balls[2].position.x, 180.0f + 43.2f);
    EXPECT_LT(board.balls[3].velocity.x, 0.0f);
    EXPECT_EQ(Count(SoundEffectId::Knock), 2);  // impact 0.3 is no knock, 0.5 is
    EXPECT_EQ(board.ballCount, 7);
}

// A bomb takes the balloon it touches, without a knock; two bombs go with one
// explosion, cells untouched; a ball being taken in by a target is out of the
// ball-ball phase altogether, its working copies too. Removal walks down.
TEST_F(SimTick, RemovalKeepsTheOrderOfTheBallsLeft) {
    Board board = OpenAir();
    AddBallAt(board, kindBomb, {36.0f, 250.0f, 36.0f}, {0.5f, 0.0f, 0.0f});
    AddBallAt(board, kindPlasticBall, {180.0f, 250.0f, 180.0f});
    AddBallAt(board, kindIronBall, {250.0f, 250.0f, 250.0f});
    AddBallAt(board, kindBalloon, {36.0f + 23.0f, 250.0f, 36.0f});
    AddBallAt(board, kindPlasticBall, {36.0f + 11.0f, 250.0f, 36.0f}).absorb = 2.0f;
    AddBallAt(board, kindBomb, {300.0f, 250.0f, 300.0f}, {1.0f, 0.0f, 0.0f});
    AddBallAt(board, kindBomb, {300.0f + 23.0f, 250.0f, 300.0f}, {-1.0f, 0.0f, 0.0f});
    const std::vector<int8_t> cells = board.cells;
    SimulationTick(board, ballsAtTarget);
    ASSERT_EQ(board.ballCount, 3);
    EXPECT_EQ(board.balls[0].kind, kindPlasticBall);
    EXPECT_EQ(board.balls[1].kind, kindIronBall);
    EXPECT_EQ(board.balls[2].absorb, 2.01f);
    EXPECT_EQ(Count(SoundEffectId::Explosion), 2);
    EXPECT_EQ(Count(SoundEffectId::Knock), 0);
    EXPECT_EQ(board.cells, cells);
    ASSERT_EQ(effects.debris.size(), 4u);
    EXPECT_EQ(effects.debris[2].meshKind, kindBalloon);
    EXPECT_EQ(effects.debris[3].meshKind, kindBomb);
}

// ---- No NaN or infinity, whatever a hand-made level holds ----

// Two balls on the very same spot have no direction to push each other in:
// each moves exactly as it would alone, and two bombs there do not explode. A
// centre exactly on the ground's top face gives a contact with no normal,
// which does nothing that tick.
TEST_F(SimTick, CoincidingBallsAndCentresOnAFaceStayFinite) {
    const Vec3 start{180.0f, 250.0f, 180.0f};
    const Vec3 velocity{1.0f, 0.5f, -1.0f};
    Board both = OpenAir(), alone = OpenAir();
    AddBallAt(both, kindPlasticBall, start, velocity);
    AddBallAt(both, kindIronBall, start, velocity);
    AddBallAt(both, kindBomb, {50.0f, 250.0f, 50.0f});
    AddBallAt(both, kindBomb, {50.0f, 250.0f, 50.0f});
    AddBallAt(alone, kindPlasticBall, start, velocity);
    SimulationTick(both, ballsAtTarget);
    SimulationTick(alone, ballsAtTarget);
    ASSERT_EQ(both.ballCount, 4);
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(BallStateIsFinite(both.balls[i])) << i;
    for (int i = 0; i < 2; ++i) {
        EXPECT_TRUE(SameBits(both.balls[i].position, alone.balls[0].position)) << i;
        EXPECT_TRUE(SameBits(both.balls[i].velocity, alone.balls[0].velocity)) << i;
    }

    Board board = FloorBoard(5, 3, 5);
    AddBallAt(board, kindPlasticBall, {72.0f, 18.0f, 72.0f});
    SimulationTick(board, ballsAtTarget);
    EXPECT_EQ(board.balls[0].position.y, 18.0f);
    EXPECT_EQ(board.balls[0].velocity.y, -0.05f * 0.99995f);
    EXPECT_EQ(board.balls[0].sinceContact, 1);
    for (int t = 0; t < 500; ++t) {
        SimulationTick(board, ballsAtTarget);
        ASSERT_TRUE(BallStateIsFinite(board.balls[0])) << t;
    }
}

// ---- Golden run ----

// A hash of everything a run leaves behind: balls, cells and the count.
uint64_t HashRun(const Board& board, int ballsAtTarget) {
    uint64_t h = 1469598103934665603ull;
    auto mix = [&](const void* data, size_t size) {
        const unsigned char* bytes = static_cast<const unsigned char*>(data);
        for (size_t i = 0; i < size; ++i) h = (h ^ bytes[i]) * 1099511628211ull;
    };
    for (int i = 0; i < board.ballCount; ++i) {
        const Ball& ball = board.balls[i];
        mix(&ball.kind, 1);
        mix(&ball.position, sizeof ball.position);
        mix(&ball.velocity, sizeof ball.velocity);
        mix(&ball.absorb, sizeof ball.absorb);
        mix(&ball.sinceContact, 1);
        mix(&ball.lastContactKind, sizeof ball.lastContactKind);
    }
    mix(board.cells.data(), board.cells.size());
    mix(&ballsAtTarget, sizeof ballsAtTarget);
    return h;
}

// Recorded from this implementation, and the same on every compiler; a
// change here changes every puzzle.
struct GoldenRun { const char* level; int ballCount; int ballsAtTarget; uint64_t hash; };

TEST_F(SimTick, GoldenRuns) {
    const GoldenRun runs[] = {
        {"busy", 15, 0, 10129296342790726520ull},
        {"target", 2, 4, 15082475781452504350ull},
    };
    for (const GoldenRun& run : runs) {
        const std::vector<uint8_t> bytes =
            ReadBytes(std::string(TUMBLEON_SOURCE_DIR "/tests/data/sim/") + run.level + ".txt");
        const std::string text(bytes.begin(), bytes.end());
        uint64_t hashes[2] = {};
        for (uint64_t& hash : hashes) {  // twice: the run repeats to the bit
            Board board = BoardFromText(text);
            Board snapshot(1, 1, 1);
            int8_t atTarget = 9;  // what the last run left: the roll starts the count again
            ASSERT_TRUE(StartRoll(board, snapshot, atTarget));
            for (int t = 0; t < 3000; ++t) SimulationTick(board, atTarget);
            EXPECT_EQ(board.ballCount, run.ballCount) << run.level;
            EXPECT_EQ(atTarget, run.ballsAtTarget) << run.level;
            hash = HashRun(board, atTarget);
        }
        EXPECT_EQ(hashes[0], run.hash) << run.level;
        EXPECT_EQ(hashes[1], hashes[0]) << run.level;
    }
}

}  // namespace
