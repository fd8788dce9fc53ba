// The contact response: bounce factors, corners, spikes, springs, targets,
// magnets and the bomb rules.
#include <algorithm>

#include "sim/effect_recorder.h"
#include "tests/sim_support.h"

namespace {

class SimResponse : public ::testing::Test {
protected:
    void SetUp() override { BuildCollisionShapes(); }
    EffectRecorder effects;
    int8_t ballsAtTarget = 0;

    bool Played(int id) const { return std::count(effects.sounds.begin(), effects.sounds.end(), id) > 0; }
};

// The normal speed after a bounce off a wall of mass 10000 and restitution 0,
// from the two-body formula.
double WallFactor(double mass, double restitution) { return (mass - restitution * 10000.0) / (mass + 10000.0); }

// ---- Bounce factors ----

TEST_F(SimResponse, WallBounceFactorsAndSeparation) {
    struct Case {
        int kind;
        float restitutionOverride;
        double factor;
    };
    const Case cases[] = {
        {kindBalloon, noRestitutionOverride, WallFactor(1.0, 0.9)},  // about -0.8998
        {kindIronBall, noRestitutionOverride, WallFactor(2.0, 0.6)},
        {kindBomb, noRestitutionOverride, WallFactor(2.0, 0.0)},
        {kindIronBall, 0.01f, WallFactor(2.0, 0.01)},
        {kindPlasticBall, 1.0f, WallFactor(1.0, 1.0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        Ball ball;
        ball.kind = static_cast<int8_t>(c.kind);
        ball.mass = BallMass(c.kind);
        ball.restitution = BallRestitution(c.kind);
        ball.position = {36.0f, 72.0f, 36.0f};  // world (1, 1, 1)
        ball.velocity = {4.8f, 0.0f, 0.0f};
        const float impact = ReflectBall(ball, nullptr, {1.3f, 1.0f, 1.0f}, 0.3f, c.restitutionOverride);
        EXPECT_FLOAT_EQ(impact, 4.8f);
        EXPECT_NEAR(ball.velocity.x, 4.8 * c.factor, 4.8e-6);
        EXPECT_EQ(ball.velocity.y, 0.0f);
        EXPECT_EQ(ball.velocity.z, 0.0f);
        // Pushed back to just beyond the radius from the contact point.
        EXPECT_NEAR(1.3f - ball.position.x / 36.0f, 1.0f / 3.0f + 0.00001f, 2e-7f);
    }
    // Falling onto a floor: the bounce sees the y velocity halved (world units).
    Ball ball;
    ball.position = {36.0f, 72.0f, 36.0f};
    ball.velocity = {0.0f, -4.0f, 0.0f};
    EXPECT_FLOAT_EQ(ReflectBall(ball, nullptr, {1.0f, 0.7f, 1.0f}, 0.3f, noRestitutionOverride), 2.0f);
    EXPECT_NEAR(ball.velocity.y, -4.0 * WallFactor(1.0, 0.9), 4e-6);
}

TEST_F(SimResponse, BalloonRollingIntoACubeBouncesStraightBack) {
    Board board = FloorBoard(8, 3, 3);
    SetCell(board, 6, 1, 1, kindPlainCube);
    Ball& ball = AddTestBall(board, kindBalloon, 2, 1, 1);
    ball.velocity = {launchSpeed, 0.0f, 0.0f};
    float before = 0.0f;
    const int t = TickUntil(board, ballsAtTarget, 2000, [&] {
        if (board.balls[0].velocity.x < 0.0f) return true;
        before = board.balls[0].velocity.x;
        return false;
    });
    ASSERT_LE(t, 2000);
    // The bounce, then one tick's damping.
    EXPECT_NEAR(board.balls[0].velocity.x, before * WallFactor(1.0, 0.9) * 0.99995, 1e-5);
    EXPECT_EQ(board.balls[0].velocity.z, 0.0f);
    EXPECT_TRUE(Played(static_cast<int>(SoundEffectId::Knock)));
    EXPECT_EQ(CellAt(board, 6, 1, 1), kindPlainCube);
}

// ---- Corners ----

struct CornerCase {
    int kind;
    Vec3 in;   // the direction the ball rolls in
    Vec3 out;  // the direction it must leave in
};

// Each corner from each of its two open sides.
const CornerCase cornerCases[] = {
    {3, {-1, 0, 0}, {0, 0, 1}},  {3, {0, 0, -1}, {1, 0, 0}},   //
    {4, {-1, 0, 0}, {0, 0, -1}}, {4, {0, 0, 1}, {1, 0, 0}},   //
    {5, {1, 0, 0}, {0, 0, -1}},  {5, {0, 0, 1}, {-1, 0, 0}},  //
    {6, {1, 0, 0}, {0, 0, 1}},   {6, {0, 0, -1}, {-1, 0, 0}},
};

// Rolls a ball of `kind` from two cells away into a corner at (3, 1, 3) and
// returns the tick of the turn, or 0 if it never turned.
int RollIntoCorner(Board& board, const CornerCase& c, int ballKind, int8_t& ballsAtTarget) {
    board = FloorBoard(7, 2, 7);
    SetCell(board, 3, 1, 3, c.kind);
    Ball& ball = AddTestBall(board, ballKind, 3 - 2 * static_cast<int>(c.in.x), 1, 3 - 2 * static_cast<int>(c.in.z));
    ball.velocity = c.in * launchSpeed;
    const int t = TickUntil(board, ballsAtTarget, 1000, [&] {
        const Vec3 v = board.balls[0].velocity;
        return c.in.x != 0.0f ? v.x == 0.0f : v.z == 0.0f;
    });
    return t <= 1000 ? t : 0;
}

TEST_F(SimResponse, CornersTurnByARightAngle) {
    for (const CornerCase& c : cornerCases) {
        SCOPED_TRACE(testing::Message() << "kind " << c.kind << " in " << c.in.x << "," << c.in.z);
        Board board(1, 1, 1);
        effects.Clear();
        ASSERT_GT(RollIntoCorner(board, c, kindPlasticBall, ballsAtTarget), 0);
        const Ball& ball = board.balls[0];
        // Leaves along the other axis at the full speed, on the cell's centre line.
        EXPECT_GT(ball.velocity.x * c.out.x + ball.velocity.z * c.out.z, 4.7f);
        EXPECT_EQ(ball.velocity.x * c.out.z, 0.0f);
        EXPECT_EQ(ball.velocity.z * c.out.x, 0.0f);
        if (c.out.x != 0.0f) {
            EXPECT_EQ(ball.position.z, 108.0f);
        } else {
            EXPECT_EQ(ball.position.x, 108.0f);
        }
        EXPECT_TRUE(Played(static_cast<int>(SoundEffectId::Knock)));
        EXPECT_EQ(ball.lastContactKind, kindGroundCube);  // the turn is not a strike
    }
}

TEST_F(SimResponse, BombPassesThroughTheGentlePartOfACorner) {
    for (const CornerCase& c : cornerCases) {
        SCOPED_TRACE(c.kind);
        Board board(1, 1, 1);
        effects.Clear();
        const int turn = RollIntoCorner(board, c, kindBomb, ballsAtTarget);
        ASSERT_GT(turn, 0);
        ASSERT_EQ(board.ballCount, 1);
        // It rolls on out of the corner cell unharmed.
        for (int t = 0; t < 100; ++t) SimulationTick(board, ballsAtTarget);
        EXPECT_EQ(board.ballCount, 1);
        EXPECT_FALSE(Played(static_cast<int>(SoundEffectId::Explosion)));
        EXPECT_EQ(CellAt(board, 3, 1, 3), c.kind);
    }
}

TEST_F(SimResponse, CornerBouncesABallOffTheGridLine) {
    Board board = FloorBoard(7, 3, 7);
    SetCell(board, 3, 1, 3, kindCornerFirst);
    // In the corner cell, a little off the row's centre line, past the centre.
    Ball& ball = AddBallAt(board, kindPlasticBall, {108.0f - 2.0f, 48.0f, 108.0f + 0.5f}, {-4.8f, 0.0f, 0.0f});
    Contact contact;
    ASSERT_TRUE(FindContact(board, ball, contact));
    ASSERT_EQ(contact.kind, kindCornerFirst);
    ASSERT_EQ(contact.face, slantedFace);
    EXPECT_EQ(ApplyContact(board, 0, contact), ContactOutcome::Continues);
    // A bounce with restitution 1 off the 45-degree face: -x becomes +z, the
    // speed almost kept, and it counts as a strike.
    EXPECT_NEAR(ball.velocity.z, 4.8f, 0.01f);
    EXPECT_NEAR(ball.velocity.x, 0.0f, 0.01f);
    EXPECT_EQ(ball.sinceContact, 0);
    EXPECT_EQ(ball.lastContactKind, kindCornerFirst);
    EXPECT_TRUE(Played(static_cast<int>(SoundEffectId::Knock)));
}

// ---- Spikes, springs, targets ----

// A ball of `kind` dropped from layer 3 onto whatever stands at (2, 1, 2).
Board DropOnto(int cellKind, int ballKind) {
    Board board = FloorBoard(5, 5, 5);
    SetCell(board, 2, 1, 2, cellKind);
    AddTestBall(board, ballKind, 2, 3, 2);
    return board;
}

TEST_F(SimResponse, SpikesBurstOnlyBalloonsThatLandOnThem) {
    Board balloon = DropOnto(kindSpikeCube, kindBalloon);
    TickUntil(balloon, ballsAtTarget, 400, [&] { return balloon.ballCount == 0; });
    EXPECT_EQ(balloon.ballCount, 0);
    EXPECT_TRUE(Played(static_cast<int>(SoundEffectId::BalloonBurst)));
    EXPECT_EQ(CellAt(balloon, 2, 1, 2), kindSpikeCube);
    ASSERT_EQ(effects.debris.size(), 1u);
    EXPECT_EQ(effects.debris[0].meshKind, kindBalloon);
    EXPECT_TRUE(effects.clearedCells.empty());

    effects.Clear();
    Board plastic = DropOnto(kindSpikeCube, kindPlasticBall);
    const int t = TickUntil(plastic, ballsAtTarget, 400, [&] { return plastic.balls[0].velocity.y > 0.0f; });
    EXPECT_LE(t, 400);
    EXPECT_EQ(plastic.ballCount, 1);
    EXPECT_FALSE(Played(static_cast<int>(SoundEffectId::BalloonBurst)));

    // A balloon rolling into the side of a spike cube only bounces.
    Board side = FloorBoard(8, 3, 3);
    SetCell(side, 5, 1, 1, kindSpikeCube);
    AddTestBall(side, kindBalloon, 2, 1, 1).velocity = {launchSpeed, 0.0f, 0.0f};
    TickUntil(side, ballsAtTarget, 2000, [&] { return side.balls[0].velocity.x < 0.0f; });
    EXPECT_EQ(side.ballCount, 1);
    EXPECT_LT(side.balls[0].velocity.x, 0.0f);
    EXPECT_FALSE(Played(static_cast<int>(SoundEffectId::BalloonBurst)));
}

TEST_F(SimResponse, SpringAddsThirteenOnTopOfTheBounce) {
    Board spring = DropOnto(kindSpringCube, kindPlasticBall);
    Board plain = DropOnto(kindPlainCube, kindPlasticBall);
    const int t = TickUntil(plain, ballsAtTarget, 400, [&] { return plain.balls[0].velocity.y > 0.0f; });
    ASSERT_LE(t, 400);
    for (int i = 0; i < t; ++i) SimulationTick(spring, ballsAtTarget);
    // The same fall, the same bounce, then 13 more (damped once by the tick).
    EXPECT_NEAR(spring.balls[0].velocity.y - plain.balls[0].velocity.y, 13.0f * 0.99995f, 1e-4f);
    EXPECT_EQ(spring.balls[0].velocity.x, plain.balls[0].velocity.x);
}

TEST_F(SimResponse, TargetTakesTheBallInAndCountsItWhenAbsorbReachesEleven) {
    Board board = DropOnto(kindTargetCube, kindPlasticBall);
    const int landing = TickUntil(board, ballsAtTarget, 400, [&] { return board.balls[0].absorb > 0.0f; });
    ASSERT_LE(landing, 400);
    Ball& taken = board.balls[0];
    EXPECT_EQ(taken.absorb, 1.0f);
    const Vec3 p = taken.position;
    const Vec3 glide = taken.velocity;
    EXPECT_EQ(glide.x, 2.0f - p.x / 36.0f);
    EXPECT_EQ(glide.y, 1.0f - p.y / 36.0f);
    EXPECT_EQ(glide.z, 2.0f - p.z / 36.0f);

    // A second ball right where the first one glides: neither touches the other.
    AddBallAt(board, kindBalloon, p, {});
    int ticks = 0;
    while (board.ballCount == 2 && ticks < 2000) {
        effects.Clear();
        SimulationTick(board, ballsAtTarget);
        ++ticks;
        if (board.ballCount == 2) {
            ASSERT_EQ(ballsAtTarget, 0);
            // It glides along its velocity, untouched by the other ball.
            EXPECT_EQ(board.balls[0].velocity.x, glide.x);
            EXPECT_EQ(board.balls[0].velocity.y, glide.y);
            EXPECT_EQ(board.balls[0].velocity.z, glide.z);
        }
    }
    // Counted on the very tick it leaves, after about 1000 ticks.
    EXPECT_EQ(ballsAtTarget, 1);
    EXPECT_TRUE(Played(static_cast<int>(SoundEffectId::TargetTaken)));
    EXPECT_GE(ticks, 995);
    EXPECT_LE(ticks, 1005);
    EXPECT_EQ(board.balls[0].kind, kindBalloon);
}

TEST_F(SimResponse, IronBallIsCaughtByAMagnet) {
    // Hand-made contacts with the -x face of the cube at (3, 2, 3), 0.3 away.
    const Contact face{{3, 2, 3}, kindPlainCube, 1, 0, 2, {2.5f, 1.0f, 3.0f}, 0.3f};
    struct Case {
        int cell;
        int ball;
        double factor;
    };
    const Case cases[] = {
        {kindMagnet, kindIronBall, WallFactor(2.0, 0.01) * 0.95},   // nearly dead, then braked
        {kindPlainCube, kindIronBall, WallFactor(2.0, 0.6)},
        {kindMagnet, kindPlasticBall, WallFactor(1.0, 0.9)},        // only iron cares
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.cell << " " << c.ball);
        Board board(7, 4, 7);
        board.Clear();
        SetCell(board, 3, 2, 3, c.cell);
        AddBallAt(board, c.ball, {(2.5f - 0.3f) * 36.0f, 72.0f, 108.0f}, {4.8f, 0.0f, 0.0f});
        EXPECT_EQ(ApplyContact(board, 0, face), ContactOutcome::Continues);
        EXPECT_NEAR(board.balls[0].velocity.x, 4.8 * c.factor, 1e-5);
    }
}

// ---- Bombs ----

TEST_F(SimResponse, BombExplodesOnAHardSideImpactAndTakesTheCubeWithIt) {
    Board board = FloorBoard(8, 3, 3);
    SetCell(board, 6, 1, 1, kindPlainCube);
    Ball& bomb = AddTestBall(board, kindBomb, 2, 1, 1);
    bomb.velocity = {launchSpeed, 0.0f, 0.0f};
    TickUntil(board, ballsAtTarget, 2000, [&] { return board.ballCount == 0; });
    EXPECT_EQ(board.ballCount, 0);
    EXPECT_TRUE(Played(static_cast<int>(SoundEffectId::Explosion)));
    EXPECT_EQ(CellAt(board, 6, 1, 1), 0);
    ASSERT_EQ(effects.clearedCells.size(), 1u);
    EXPECT_EQ(effects.clearedCells[0].x, 6);
    EXPECT_EQ(effects.clearedCells[0].y, 1);
    ASSERT_EQ(effects.debris.size(), 2u);
    EXPECT_EQ(effects.debris[0].meshKind, kindBomb);
    EXPECT_EQ(effects.debris[1].meshKind, kindPlainCube);
    EXPECT_EQ(effects.debris[1].worldPosition.x, 6.0f);
    EXPECT_EQ(effects.debris[1].worldPosition.y, 0.5f);
}

TEST_F(SimResponse, BombAtTheBoardsEdgeOrOnTheGroundClearsNothing) {
    Board edge = FloorBoard(5, 3, 3);
    Ball& bomb = AddTestBall(edge, kindBomb, 2, 1, 1);
    bomb.velocity = {launchSpeed, 0.0f, 0.0f};
    TickUntil(edge, ballsAtTarget, 2000, [&] { return edge.ballCount == 0; });
    EXPECT_EQ(edge.ballCount, 0);
    EXPECT_TRUE(effects.clearedCells.empty());

    effects.Clear();
    Board ground = DropOnto(kindEmpty, kindBomb);  // falls two layers onto the ground
    TickUntil(ground, ballsAtTarget, 2000, [&] { return ground.ballCount == 0; });
    EXPECT_EQ(ground.ballCount, 0);
    EXPECT_TRUE(effects.clearedCells.empty());
    EXPECT_EQ(CellAt(ground, 2, 0, 2), kindGroundCube);
    EXPECT_EQ(effects.debris.size(), 1u);
}

TEST_F(SimResponse, BombRollingOnTheFloorSurvives) {
    Board board = FloorBoard(20, 2, 3);
    Ball& bomb = AddTestBall(board, kindBomb, 2, 1, 1);
    bomb.velocity = {launchSpeed, 0.0f, 0.0f};
    for (int t = 0; t < 1500; ++t) SimulationTick(board, ballsAtTarget);
    EXPECT_EQ(board.ballCount, 1);
    EXPECT_FALSE(Played(static_cast<int>(SoundEffectId::Explosion)));
}

// A bomb resting on the floor, given a velocity and a time since its last
// strike; returns what its floor contact does.
ContactOutcome BombOnFloor(Vec3 velocity, int sinceContact) {
    Board board = FloorBoard(5, 3, 5);
    Ball& bomb = AddTestBall(board, kindBomb, 2, 1, 2);
    bomb.velocity = velocity;
    bomb.sinceContact = static_cast<int8_t>(sinceContact);
    Contact contact;
    EXPECT_TRUE(FindContact(board, bomb, contact));
    EXPECT_EQ(contact.face, cubeTopFace);
    return ApplyContact(board, 0, contact);
}

TEST_F(SimResponse, BombLandingRuleWeighsImpactAgainstSpeed) {
    // Impact 1.5 (world units). Fast along the floor: 0.41666666 * 20 > 1.5.
    EXPECT_EQ(BombOnFloor({20.0f, -3.0f, 0.0f}, 50), ContactOutcome::Continues);
    // Slow along the floor: 0.41666666 * 2 < 1.5.
    EXPECT_EQ(BombOnFloor({2.0f, -3.0f, 0.0f}, 50), ContactOutcome::Destroyed);
    // The same slow landing while it was rolling (15 ticks or fewer in the air).
    EXPECT_EQ(BombOnFloor({2.0f, -3.0f, 0.0f}, 15), ContactOutcome::Continues);
}

TEST_F(SimResponse, BombHardImpactThresholdOnASide) {
    for (float speed : {0.15f, 0.25f}) {
        Board board(5, 4, 5);
        board.Clear();
        SetCell(board, 3, 2, 2, kindPlainCube);
        AddBallAt(board, kindBomb, {(2.5f - 0.3f) * 36.0f, 72.0f, 72.0f}, {speed, 0.0f, 0.0f});
        Contact contact;
        ASSERT_TRUE(FindContact(board, board.balls[0], contact));
        const ContactOutcome outcome = ApplyContact(board, 0, contact);
        if (speed < 0.2f) {
            EXPECT_EQ(outcome, ContactOutcome::Continues);
            EXPECT_EQ(board.balls[0].lastContactKind, kindPlainCube);
            EXPECT_EQ(board.balls[0].sinceContact, 0);
        } else {
            EXPECT_EQ(outcome, ContactOutcome::Destroyed);
            EXPECT_EQ(CellAt(board, 3, 2, 2), 0);
        }
    }
}

TEST_F(SimResponse, BombOnARampIsSmoothOnlyWhenItWasOnThatRamp) {
    for (int last : {kindRampFirst, kindGroundCube}) {
        SCOPED_TRACE(last);
        Board board = FloorBoard(5, 4, 5);
        SetCell(board, 2, 1, 2, kindRampFirst);
        // 0.33 above the middle of the incline, moving into it at 1 world unit
        // per time unit.
        const Vec3 n{0.4472136f, 0.8944272f, 0.0f};
        const Vec3 world = Vec3{2.0f, 0.5f, 2.0f} + n * 0.33f;
        Ball& bomb = AddBallAt(board, kindBomb, {world.x * 36.0f, world.y * 72.0f, world.z * 36.0f},
                               {-n.x, -2.0f * n.y, 0.0f});
        bomb.sinceContact = 3;
        bomb.lastContactKind = last;
        Contact contact;
        ASSERT_TRUE(FindContact(board, bomb, contact));
        ASSERT_EQ(contact.kind, kindRampFirst);
        ASSERT_EQ(contact.face, slantedFace);
        const ContactOutcome outcome = ApplyContact(board, 0, contact);
        EXPECT_EQ(outcome, last == kindRampFirst ? ContactOutcome::Continues : ContactOutcome::Destroyed);
    }
}

// A bomb one layer above ramp 16 (high edge at -x) whose -x neighbour below is
// `beyond`, with the rule's preconditions met unless a case changes them.
struct Crest {
    Board board = FloorBoard(5, 4, 5);
    Ball* bomb = nullptr;
    Crest(int beyond, float heightInLayers) {
        SetCell(board, 2, 1, 2, kindRampFirst);
        SetCell(board, 1, 1, 2, beyond);
        bomb = &AddBallAt(board, kindBomb, {72.0f, heightInLayers * 36.0f, 72.0f}, {-3.0f, 1.0f, 0.0f});
        bomb->sinceContact = 5;
        bomb->lastContactKind = kindRampFirst;
    }
    void Apply() { BombCrestRule(board, *bomb, BallCell(bomb->position)); }
};

TEST_F(SimResponse, BombCrestRuleLevelsOffAtTheBlocksTop) {
    // Near the top of the layer: frac(2.15 - 0.25) = 0.9 > 0.89.
    Crest high(kindPlainCube, 2.15f);
    high.Apply();
    EXPECT_EQ(high.bomb->sinceContact, 4);
    EXPECT_EQ(high.bomb->velocity.y, 0.05f);

    // Lower down only the count is held back.
    Crest low(kindPlainCube, 2.0f);
    low.Apply();
    EXPECT_EQ(low.bomb->sinceContact, 4);
    EXPECT_EQ(low.bomb->velocity.y, 1.0f);
}

TEST_F(SimResponse, BombCrestRuleNeedsEveryCondition) {
    struct Case {
        const char* what;
        int beyond;
        Vec3 velocity;
        int sinceContact, lastContactKind, ballKind;
    };
    const Case cases[] = {
        {"no block beyond the high edge", kindEmpty, {-3, 1, 0}, 5, kindRampFirst, kindBomb},
        {"moving away from the high edge", kindPlainCube, {3, 1, 0}, 5, kindRampFirst, kindBomb},
        {"falling", kindPlainCube, {-3, -1, 0}, 5, kindRampFirst, kindBomb},
        {"not exactly 5 ticks", kindPlainCube, {-3, 1, 0}, 6, kindRampFirst, kindBomb},
        {"last struck another ramp", kindPlainCube, {-3, 1, 0}, 5, kindRampFirst + 2, kindBomb},
        {"not a bomb", kindPlainCube, {-3, 1, 0}, 5, kindRampFirst, kindPlasticBall},
    };
    for (const Case& c : cases) {
        Crest crest(c.beyond, 2.15f);
        crest.bomb->velocity = c.velocity;
        crest.bomb->sinceContact = static_cast<int8_t>(c.sinceContact);
        crest.bomb->lastContactKind = c.lastContactKind;
        crest.bomb->kind = static_cast<int8_t>(c.ballKind);
        crest.Apply();
        EXPECT_EQ(crest.bomb->sinceContact, c.sinceContact) << c.what;
        EXPECT_EQ(crest.bomb->velocity.y, c.velocity.y) << c.what;
    }
}

}  // namespace
