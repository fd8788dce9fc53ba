// The simulation tick: moves every ball one fixed step, lets the contact
// response act, then settles the balls that touch one another.
#include "sim/simulation.h"

#include <cassert>
#include <cmath>

#include "sim/collision.h"
#include "sim/effects.h"
#include "sim/response.h"

constexpr float positionStep = 0.04f;  // a time unit is 25 ticks
constexpr float gravity = 0.05f;
constexpr float damping = 0.99995f;
constexpr float speedLimit = 100.0f;
constexpr float absorbStart = 1.0f;
constexpr float absorbStep = 0.01f;
constexpr float absorbDone = 11.0f;
constexpr float rollZ = -1.0f / 300.0f;  // radians per board unit of velocity x
constexpr float rollX = 1.0f / 300.0f;   // radians per board unit of velocity z
constexpr int8_t sinceContactCeiling = 100;
constexpr float ballKnockImpact = 0.4f;

// Two balls further apart than this along any one axis (world units) cannot
// touch: it skips the exact distance test for most pairs, with a margin wide
// enough that no pair the exact test would find is skipped.
constexpr float pairReach = 0.7f;

// Working memory of the ball-ball phase, kept here so the tick allocates nothing.
struct TickScratch {
    Vec3 worldPosition[maxBalls];
};

static TickScratch scratch;

// Gravity, damping and the speed limit, in that order.
static Vec3 Accelerate(Vec3 v) {
    v.y -= gravity;
    v = v * damping;
    const float s = Length(v);
    if (s > speedLimit) v = v * (1.0f / (s * 0.01f));
    return v;
}

// The rolling orientation turns with the ball's horizontal velocity.
static void TurnRollingOrientation(Ball& ball) {
    ball.orientation = MatrixMultiply(ball.orientation, MatrixRotationZ(ball.velocity.x * rollZ));
    ball.orientation = MatrixMultiply(ball.orientation, MatrixRotationX(ball.velocity.z * rollX));
}

// The per-ball phase for ball i. Returns false when the ball left the board
// (the next ball now sits in slot i), true when the loop moves on.
static bool StepBall(Board& board, int i, int8_t& ballsAtTarget) {
    Ball& ball = board.balls[i];

    // 1.1 Count the ticks since the last strike.
    if (ball.sinceContact < sinceContactCeiling) ++ball.sinceContact;

    // 1.2 A ball the target has finished with (never left standing).
    if (ball.absorb >= absorbDone) return true;

    // 1.3 Move.
    ball.position = ball.position + ball.velocity * positionStep;

    // 1.4 A ball being taken in glides on, untouched, until it is counted.
    if (ball.absorb >= absorbStart) {
        ball.absorb += absorbStep;
        if (ball.absorb >= absorbDone) {
            PlaySoundEffect(SoundEffectId::TargetTaken);
            board.RemoveBall(i);
            ++ballsAtTarget;
            return false;
        }
        return true;
    }

    // 1.5 Contact search, with the magnet pull.
    const CellCoord cell = NearestCell(ball.position);
    Contact contact;
    if (FindContact(board, ball, contact)) {
        // 1.6 Response and effects.
        switch (ApplyContact(board, i, contact)) {
        case ContactOutcome::Destroyed: return false;
        case ContactOutcome::TakenByTarget: return true;
        case ContactOutcome::Continues: break;
        }
    }

    // 1.7 Gravity and damping.
    ball.velocity = Accelerate(ball.velocity);

    // 1.8 Rolling.
    TurnRollingOrientation(ball);

    // 1.9 A bomb on a ramp.
    BombCrestRule(board, ball, cell);
    return true;
}

// The ball-ball phase: every pair sees the balls as they stand at its start.
static void CollidePairs(Board& board) {
    const int count = board.ballCount;

    // 2. Preparation.
    for (int i = 0; i < count; ++i) {
        Ball& ball = board.balls[i];
        if (ball.absorb < absorbStart) {
            ball.nextVelocity = ball.velocity;
            ball.nextPosition = ball.position;
            ball.nextAlive = 1;
        }
        scratch.worldPosition[i] = WorldFromBoard(ball.position);
    }

    // 3. Pairs in order of i, then j. The cheap test on the world positions
    // comes first; it only passes over pairs that cannot touch.
    for (int i = 0; i < count; ++i) {
        Ball& a = board.balls[i];
        if (!(a.absorb < absorbStart)) continue;
        const Vec3 pa = scratch.worldPosition[i];
        for (int j = i + 1; j < count; ++j) {
            const Vec3 pb = scratch.worldPosition[j];
            if (std::fabs(pb.x - pa.x) > pairReach || std::fabs(pb.z - pa.z) > pairReach ||
                std::fabs(pb.y - pa.y) > pairReach)
                continue;
            Ball& b = board.balls[j];
            if (b.absorb != 0.0f) continue;
            const float impact = CollideBalls(a, b);
            if (impact > 0.0f) {
                if (a.kind == kindBomb || b.kind == kindBomb) {
                    PlaySoundEffect(SoundEffectId::Explosion);
                    a.nextAlive = 0;
                    b.nextAlive = 0;
                } else if (impact > ballKnockImpact) {
                    PlaySoundEffect(SoundEffectId::Knock);
                }
            }
        }
    }

    // 4. Commit.
    for (int i = 0; i < count; ++i) {
        Ball& ball = board.balls[i];
        if (ball.absorb < absorbStart) {
            ball.velocity = ball.nextVelocity;
            ball.position = ball.nextPosition;
        }
    }

    // 5. Removal. Walk down so removals keep the unvisited indices valid:
    // a removal moves only later balls.
    for (int i = count - 1; i >= 0; --i) {
        const Ball& ball = board.balls[i];
        if (ball.absorb < absorbStart && ball.nextAlive == 0) DestroyBall(board, i, -1, -1, -1);
    }
}

void LaunchBalls(Board& board, float speed) {
    for (int i = 0; i < board.ballCount; ++i) {
        Ball& ball = board.balls[i];
        switch (static_cast<LaunchDirection>(ball.direction)) {
        case LaunchDirection::MinusX: ball.velocity.x -= speed; break;
        case LaunchDirection::PlusZ: ball.velocity.z += speed; break;
        case LaunchDirection::PlusX: ball.velocity.x += speed; break;
        case LaunchDirection::MinusZ: ball.velocity.z -= speed; break;
        default: break;
        }
    }
}

void SimulationTick(Board& board, int8_t& ballsAtTarget) {
    // 1. Per-ball phase; a ball that leaves makes the loop look at its slot again.
    for (int i = 0; i < board.ballCount;)
        if (StepBall(board, i, ballsAtTarget)) ++i;

    // 2. to 5. Ball against ball.
    CollidePairs(board);
}

bool StartRoll(Board& board, Board& snapshot, int8_t& ballsAtTarget) {
    board.ResetBallPhysics();
    ClearDebris();
    for (int i = 0; i < board.ballCount; ++i)
        if (board.balls[i].direction < 1 || board.balls[i].direction > 4) return false;
    PlaySoundEffect(SoundEffectId::RunStarted);
    snapshot.CopyFrom(board);
    ballsAtTarget = 0;
    LaunchBalls(board, launchSpeed);
    return true;
}
