// The contact response: bounce factors, corners, spikes, springs, targets,
// magnets and the bomb and knock rules.
#include <algorithm>
#include <cstring>

#include "sim/effect_recorder.h"
#include "tests/sim_support.h"

namespace {

class SimResponse : public ::testing::Test {
protected:
    void SetUp() override { BuildCollisionShapes(); }
    EffectRecorder effects;
    int8_t ballsAtTarget = 0;

    bool Played(SoundEffectId id) const {
        return std::count(effects.sounds.begin(), effects.sounds.end(), static_cast<int>(id)) > 0;
    }
};

// ---- Landing on spikes, springs and targets ----

// A ball of `kind` dropped from layer 3 onto whatever stands at (2, 1, 2).
Board DropOnto(int cellKind, int ballKind) {
    Board board = FloorBoard(5, 5, 5);
    SetCell(board, 2, 1, 2, cellKind);
    AddBallAt(board, ballKind, PlacingPosition(2, 3, 2));
    return board;
}

// Spikes burst a balloon that lands on them, and nothing else; a spring adds
// 13 to the bounce (damped once by the tick).
TEST_F(SimResponse, SpikesBurstBalloonsAndSpringsThrowBallsUp) {
    Board balloon = DropOnto(kindSpikeCube, kindBalloon);
    TickUntil(balloon, ballsAtTarget, 400, [&] { return balloon.ballCount == 0; });
    EXPECT_EQ(std::tuple(balloon.ballCount, Played(SoundEffectId::BalloonBurst), CellAt(balloon, 2, 1, 2)),
              std::tuple(0, true, kindSpikeCube));  // the spike stays

    effects.Clear();
    Board plastic = DropOnto(kindSpikeCube, kindPlasticBall);
    Board spring = DropOnto(kindSpringCube, kindPlasticBall);
    const int t = TickUntil(plastic, ballsAtTarget, 400, [&] { return plastic.balls[0].velocity.y > 0.0f; });
    ASSERT_LE(t, 400);
    EXPECT_FALSE(Played(SoundEffectId::BalloonBurst));
    for (int i = 0; i < t; ++i) SimulationTick(spring, ballsAtTarget);
    EXPECT_NEAR(spring.balls[0].velocity.y - plastic.balls[0].velocity.y, 13.0f * 0.99995f, 1e-4f);
    EXPECT_EQ(spring.balls[0].velocity.x, plastic.balls[0].velocity.x);
    // From the side a spring or a target is only a wall: no kick, nothing taken in.
    for (int element : {kindSpringCube, kindTargetCube}) {
        Board side = FloorBoard(8, 3, 4);
        SetCell(side, 6, 1, 2, element);
        const Ball& ball = AddBallAt(side, kindPlasticBall, PlacingPosition(2, 1, 2), {launchSpeed, 0.0f, 0.0f});
        ASSERT_LE(TickUntil(side, ballsAtTarget, 2000, [&] { return ball.velocity.x < 0.0f; }), 2000) << element;
        EXPECT_LT(ball.velocity.y, 1.0f) << element;
        EXPECT_EQ(ball.absorb, 0.0f) << element;
    }
}

// A contact point at the ball's very centre (here on a magnet's side) gives no
// normal: the contact changes nothing that tick, not even the magnet's brake.
TEST_F(SimResponse, ContactAtTheBallsCentreDoesNothing) {
    Board board(7, 4, 7);
    board.Clear();
    SetCell(board, 3, 2, 3, kindMagnet);
    Ball& ball = AddBallAt(board, kindIronBall, {90.0f, 72.0f, 108.0f}, {1.0f, 0.0f, 0.0f});
    Contact contact;
    ASSERT_TRUE(FindContact(board, ball, contact));
    ASSERT_EQ(contact.distance, 0.0f);
    const Vec3 velocity = ball.velocity, position = ball.position;
    EXPECT_EQ(ApplyContact(board, 0, contact), ContactOutcome::Continues);
    EXPECT_EQ(std::memcmp(&ball.velocity, &velocity, sizeof velocity), 0);
    EXPECT_EQ(std::memcmp(&ball.position, &position, sizeof position), 0);
    EXPECT_EQ(ball.sinceContact, 0);
    EXPECT_TRUE(effects.sounds.empty());
}

// ---- Bombs and knocks ----

// One contact of a ball with the floor's top (smooth), the side of a magnet in
// the air (not smooth; struck as the plain cube it collides as) or the incline
// of ramp 16 (smooth only after that ramp).
enum class Surface { Floor, Side, Ramp };

TEST_F(SimResponse, BombsExplodeAndKnocksSoundOnHardStrikesOnly) {
    const Vec3 n{0.4472136f, 0.8944272f, 0.0f};  // the incline's normal
    const Vec3 down{n.y, -n.x, 0.0f};            // down the incline
    struct Case {
        const char* what;
        int ball;
        Surface surface;
        Vec3 worldVelocity;
        int sinceContact, lastContactKind;
        bool explodes, knocks;
    };
    const Case cases[] = {
        // Landing on a floor, impact 1.5 (3 if y were not halved): against
        // 0.41666666 x speed after the bounce.
        {"bomb lands fast along the floor", kindBomb, Surface::Floor, {5.0f, -1.5f, 0.0f}, 50, 1, false, false},
        {"bomb lands slowly", kindBomb, Surface::Floor, {2.0f, -1.5f, 0.0f}, 50, 1, true, false},
        {"bomb rolling, not landing", kindBomb, Surface::Floor, {2.0f, -1.5f, 0.0f}, 15, 1, false, false},
        {"plastic lands after 71 ticks", kindPlasticBall, Surface::Floor, {2.0f, -1.5f, 0.0f}, 71, 1, false, true},
        {"plastic lands after 70 ticks", kindPlasticBall, Surface::Floor, {2.0f, -1.5f, 0.0f}, 70, 1, false, false},
        // A side: impact against 0.2.
        {"bomb strikes a side at 0.25", kindBomb, Surface::Side, {0.25f, 0.0f, 0.0f}, 0, 1, true, false},
        {"bomb touches a side at 0.15", kindBomb, Surface::Side, {0.15f, 0.0f, 0.0f}, 0, 1, false, false},
        {"plastic strikes a side at 0.25", kindPlasticBall, Surface::Side, {0.25f, 0.0f, 0.0f}, 0, 1, false, true},
        {"plastic touches a side at 0.15", kindPlasticBall, Surface::Side, {0.15f, 0.0f, 0.0f}, 0, 1, false, false},
        // The incline, impact 1, then 0.95 with a speed of 2 along it after the
        // bounce (about 2.5 if y were not halved, which would spare the bomb).
        {"bomb rolling on its ramp", kindBomb, Surface::Ramp, n * -1.0f, 3, kindRampFirst, false, false},
        {"bomb arriving from elsewhere", kindBomb, Surface::Ramp, n * -1.0f, 3, kindGroundCube, true, false},
        {"bomb landing on its ramp", kindBomb, Surface::Ramp, down * 2.0f - n * 0.95f, 20, kindRampFirst, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        effects.Clear();
        Board board = FloorBoard(7, 4, 7);
        SetCell(board, 5, 2, 3, kindMagnet);  // to all but iron balls a plain cube
        SetCell(board, 2, 1, 2, kindRampFirst);
        const Vec3 world = c.surface == Surface::Floor  ? Vec3{4.0f, 0.5f + 1.0f / 12.0f, 5.0f}
                           : c.surface == Surface::Side ? Vec3{4.2f, 1.0f, 3.0f}
                                                        : Vec3{2.0f, 0.5f, 2.0f} + n * 0.33f;
        Ball& ball = AddBallAt(board, c.ball, {world.x * 36.0f, world.y * 72.0f, world.z * 36.0f},
                               {c.worldVelocity.x, c.worldVelocity.y * 2.0f, c.worldVelocity.z});
        ball.sinceContact = static_cast<int8_t>(c.sinceContact);
        ball.lastContactKind = c.lastContactKind;
        Contact contact;
        ASSERT_TRUE(FindContact(board, ball, contact));
        ASSERT_EQ(contact.face, c.surface == Surface::Floor  ? cubeTopFace
                                : c.surface == Surface::Side ? 2
                                                             : slantedFace);
        const ContactOutcome outcome = ApplyContact(board, 0, contact);
        EXPECT_EQ(outcome, c.explodes ? ContactOutcome::Destroyed : ContactOutcome::Continues);
        EXPECT_EQ(Played(SoundEffectId::Explosion), c.explodes);
        EXPECT_EQ(Played(SoundEffectId::Knock), c.knocks);
        if (c.explodes) {
            EXPECT_EQ(CellAt(board, 5, 2, 3), c.surface == Surface::Side ? 0 : kindMagnet);
            continue;
        }
        EXPECT_EQ(ball.sinceContact, 0);
        EXPECT_EQ(ball.lastContactKind, contact.kind);
    }
}

// A bomb one layer above ramp 16 (high edge at -x), climbing towards the cell
// `beyond` at the ramp's -x side, 5 ticks after it last struck the ramp. Only
// with every condition met is the rule kept for the next tick (sinceContact
// held back) and, near the top of the layer (frac(2.15 - 0.25) = 0.9 > 0.89),
// the climb levelled off at 0.05.
TEST_F(SimResponse, BombCrestRule) {
    struct Case {
        const char* what;
        int beyond;
        Vec3 velocity;
        int sinceContact, lastContactKind, ballKind;
        float height;  // in layers
        bool applies;
    };
    const Case cases[] = {
        {"near the block's top", kindPlainCube, {-3, 1, 0}, 5, kindRampFirst, kindBomb, 2.15f, true},
        {"lower down", kindPlainCube, {-3, 1, 0}, 5, kindRampFirst, kindBomb, 2.0f, true},
        {"no block beyond the high edge", kindEmpty, {-3, 1, 0}, 5, kindRampFirst, kindBomb, 2.15f, false},
        {"moving away from the high edge", kindPlainCube, {3, 1, 0}, 5, kindRampFirst, kindBomb, 2.15f, false},
        {"falling", kindPlainCube, {-3, -1, 0}, 5, kindRampFirst, kindBomb, 2.15f, false},
        {"not exactly 5 ticks", kindPlainCube, {-3, 1, 0}, 6, kindRampFirst, kindBomb, 2.15f, false},
        {"last struck another ramp", kindPlainCube, {-3, 1, 0}, 5, kindRampFirst + 2, kindBomb, 2.15f, false},
        {"not a bomb", kindPlainCube, {-3, 1, 0}, 5, kindRampFirst, kindPlasticBall, 2.15f, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Board board = FloorBoard(5, 4, 5);
        SetCell(board, 2, 1, 2, kindRampFirst);
        SetCell(board, 1, 1, 2, c.beyond);
        Ball& ball = AddBallAt(board, c.ballKind, {72.0f, c.height * 36.0f, 72.0f}, c.velocity);
        ball.sinceContact = static_cast<int8_t>(c.sinceContact);
        ball.lastContactKind = c.lastContactKind;
        BombCrestRule(board, ball, NearestCell(ball.position));
        EXPECT_EQ(ball.sinceContact, c.applies ? c.sinceContact - 1 : c.sinceContact);
        EXPECT_EQ(ball.velocity.y, c.applies && c.height > 2.1f ? 0.05f : c.velocity.y);
    }
}

}  // namespace
