// The contact response and the effects of elements and ball kinds.
#include "sim/response.h"

#include <cassert>
#include <cmath>

#include "sim/effects.h"

constexpr float cornerAlignment = 0.00001f;
constexpr float cornerRestitution = 1.0f;  // the slanted face, for a ball off the grid lines
constexpr float magnetRestitution = 0.01f;
constexpr float magnetDamping = 0.95f;
constexpr float springKick = 13.0f;
constexpr float bombHardImpact = 0.2f;
constexpr float bombLandingShare = 0.41666666f;
constexpr int bombAirborneTicks = 15;
constexpr float knockImpact = 0.2f;
constexpr int smoothKnockTicks = 70;
constexpr int crestTick = 5;
constexpr float crestHeight = 0.89f;
constexpr float crestClimb = 0.05f;

// Velocities in world units per time unit: a layer is half a cell high.
static Vec3 WorldVelocity(Vec3 v) { return {v.x, v.y / 2.0f, v.z}; }
static Vec3 BoardVelocity(Vec3 w) { return {w.x, w.y * 2.0f, w.z}; }

// The corner's right-angle turn of a ball that runs along a grid line into the
// slanted face of the corner in its own cell: the velocity is turned onto the
// other axis and the ball put on the cell's centre line. False when the ball
// is off the grid lines; it then bounces off the face instead.
static bool TurnAtCorner(Ball& ball, int kind) {
    Vec3 v = ball.velocity;
    Vec3 p = ball.position;
    const float fx = CellStepsFromBoard(p).x;
    const float fz = CellStepsFromBoard(p).z;
    const float s = (kind == kindCornerFirst || kind == kindCornerFirst + 2) ? -1.0f : 1.0f;
    if (std::fabs(std::floor(fx) - fx) <= cornerAlignment && std::fabs(v.x) <= cornerAlignment) {
        v.x = s * v.z;  // runs along z
        v.z = 0.0f;
    } else if (std::fabs(std::floor(fz) - fz) <= cornerAlignment && std::fabs(v.z) <= cornerAlignment) {
        v.z = s * v.x;  // runs along x
        v.x = 0.0f;
    } else {
        return false;
    }
    p.x = boardUnitsPerCell * std::floor(fx + 0.5f);
    p.z = boardUnitsPerCell * std::floor(fz + 0.5f);
    ball.velocity = v;
    ball.position = p;
    return true;
}

// A contact that rolls rather than strikes: along a corner's slanted face or a
// ramp's incline the ball was already on, or on the top of a cube.
static bool IsSmoothContact(const Ball& ball, const Contact& contact) {
    const int k = contact.kind;
    if ((IsCornerKind(k) || IsRampKind(k)) && contact.face == slantedFace && ball.lastContactKind == k) return true;
    return IsBlockKind(k) && contact.face == cubeTopFace;
}

// The direction of a ramp's high edge in cell steps.
static void RampHighEdge(int rampKind, int& dx, int& dz) {
    static constexpr int edges[4][2] = {{-1, 0}, {0, 1}, {1, 0}, {0, -1}};
    dx = edges[rampKind - kindRampFirst][0];
    dz = edges[rampKind - kindRampFirst][1];
}

// ---- Bounce ----

// Two bodies meet along the unit normal n from a's centre to the contact
// point; da and db are their speeds towards each other along n. Momentum is
// kept along n and the normal speed after the bounce is
//   u = ((ma - ea mb) da - (1 + ea) mb db) / (ma + mb)
// for a (ub likewise for b, with the roles swapped); the tangential part of the
// velocity is untouched. A wall is a body of mass 10000 that never moves. The
// overlap is then removed: a wall pushes a ball out to its radius plus a small
// margin, two balls share the overlap in proportion to their own masses.
float ReflectBall(Ball& a, Ball* b, Vec3 contactPoint, float distance, float restitutionOverride) {
    // 1. Both bodies in world units.
    const Vec3 pa = WorldFromBoard(a.position);
    const Vec3 va = WorldVelocity(a.velocity);
    const float ma = a.mass;
    const float ea = restitutionOverride != noRestitutionOverride ? restitutionOverride : a.restitution;
    Vec3 pb, vb;
    float mb = wallMass;
    float eb = wallRestitution;
    if (b) {
        pb = WorldFromBoard(b->position);
        vb = WorldVelocity(b->velocity);
        mb = b->mass;
        eb = b->restitution;
    }

    // 2. The normal, from a's centre towards the contact point.
    const Vec3 towards = contactPoint - pa;
    const float length = Length(towards);
    if (!(length > 0.0f)) return 0.0f;  // no direction: the contact has no effect
    const Vec3 n{towards.x / length, towards.y / length, towards.z / length};

    // 3. Normal speeds.
    const Vec3 minusN{-n.x, -n.y, -n.z};
    const float da = Dot(n, va);
    const float db = Dot(minusN, vb);
    const float m = ma + mb;

    // 4. Ball a's new velocity.
    const float u = ((ma - ea * mb) * da - (1.0f + ea) * mb * db) / m;
    a.velocity = BoardVelocity(va - n * (da - u));

    // 5., 6. Separation, and ball b's side of the bounce.
    Vec3 paAfter;
    if (!b) {
        paAfter = pa - n * (contactRadius - distance + separationMargin);
    } else {
        paAfter = pa - n * ((ballContactDistance - distance + separationMargin) * ma / m);
        const float ub = ((mb - eb * ma) * db - (1.0f + eb) * ma * da) / m;
        b->velocity = BoardVelocity(vb + n * (db - ub));
        b->position = BoardFromWorld(pb + n * ((ballContactDistance - distance) * mb / m));
    }

    // 7. Back to board units.
    a.position = BoardFromWorld(paAfter);
    return std::fabs(da) + std::fabs(db);
}

// ---- Contact response ----

void DestroyBall(Board& board, int i, int x, int y, int z) {
    assert(i >= 0 && i < board.ballCount);
    const Ball& ball = board.balls[i];
    AddDebris(ball.kind, WorldFromBoard(ball.position), 0);
    board.RemoveBall(i);

    // The ground layer is never destroyed.
    if (!board.Contains(x, y, z) || y < 1) return;
    int8_t& cell = board.cells[static_cast<size_t>(board.Index(x, y, z))];
    const int kind = KindOfValue(cell);
    int meshKind = kind;
    int quarterTurns = 0;
    if (IsCornerKind(kind)) {
        meshKind = kindCornerFirst;
        quarterTurns = kind - kindCornerFirst;
    } else if (IsRampKind(kind)) {
        meshKind = kindRampFirst;
        quarterTurns = kind - kindRampFirst;
    }
    AddDebris(meshKind, WorldFromCell(x, y, z), quarterTurns);
    cell = 0;
    ReportCellCleared(x, y, z);
}

ContactOutcome ApplyContact(Board& board, int i, const Contact& contact) {
    assert(i >= 0 && i < board.ballCount);
    Ball& ball = board.balls[i];
    const int k = contact.kind;
    const CellCoord cell = contact.cell;
    const int element = KindAtOrGround(board, cell.x, cell.y, cell.z);
    const bool below = contact.neighbour == neighbourBelow;
    const Vec3 point = contact.point;
    const float distance = contact.distance;
    bool alive = true;
    float impact = 0.0f;

    // A contact point at the ball's very centre gives no normal to respond
    // along: the contact does nothing this tick, not even a magnet's brake.
    if (!(Length(point - WorldFromBoard(ball.position)) > 0.0f)) return ContactOutcome::Continues;

    // 1. Response, the first case that matches.
    if (IsCornerKind(k) && contact.face == slantedFace && contact.neighbour == neighbourOwnCell) {
        // 1.1 The corner turns a ball on a grid line without an impact.
        if (TurnAtCorner(ball, k))
            PlaySoundEffect(SoundEffectId::Knock);
        else
            impact = ReflectBall(ball, nullptr, point, distance, cornerRestitution);
    } else if (IsRampKind(k) && contact.face == slantedFace) {
        // 1.2 The ramp's incline.
        impact = ReflectBall(ball, nullptr, point, distance, noRestitutionOverride);
    } else if (ball.kind == kindIronBall && element == kindMagnet) {
        // 1.3 A magnet catches an iron ball: nearly no bounce, then a brake.
        impact = ReflectBall(ball, nullptr, point, distance, magnetRestitution);
        ball.velocity = ball.velocity * magnetDamping;
    } else {
        // 1.4 Any other face.
        impact = ReflectBall(ball, nullptr, point, distance, noRestitutionOverride);
    }

    // 2. Spikes burst a balloon that lands on them.
    if (ball.kind == kindBalloon && below && element == kindSpikeCube && impact > 0.0f) {
        PlaySoundEffect(SoundEffectId::BalloonBurst);
        DestroyBall(board, i, -1, -1, -1);
        alive = false;
    }

    // 3. A spring throws the ball up.
    if (element == kindSpringCube && below && alive && impact > 0.0f) ball.velocity.y += springKick;

    // 4. A target takes in a ball that lands on it: it glides to the target
    // cell's centre (cell steps, y in layers) while it is absorbed.
    if (element == kindTargetCube && below) {
        if (!alive) return ContactOutcome::Destroyed;
        if (impact > 0.0f) {
            const Vec3 centre{static_cast<float>(cell.x), static_cast<float>(cell.y), static_cast<float>(cell.z)};
            ball.absorb = 1.0f;
            ball.velocity = centre - CellStepsFromBoard(ball.position);
            return ContactOutcome::TakenByTarget;
        }
    }

    // 5. A burst balloon is gone.
    if (!alive) return ContactOutcome::Destroyed;

    // 6. A bomb explodes on a hard impact; rolling on, it explodes only when it
    // lands from the air harder than its speed along the surface allows.
    const bool smooth = IsSmoothContact(ball, contact);
    if (ball.kind == kindBomb && impact > 0.0f) {
        const bool explodes =
            smooth ? ball.sinceContact > bombAirborneTicks && bombLandingShare * Length(WorldVelocity(ball.velocity)) < impact
                   : impact > bombHardImpact;
        if (explodes) {
            PlaySoundEffect(SoundEffectId::Explosion);
            DestroyBall(board, i, cell.x, cell.y, cell.z);
            return ContactOutcome::Destroyed;
        }
    }

    // 7. The knock, and the record of the strike.
    if (impact > 0.0f) {
        if ((smooth && ball.sinceContact > smoothKnockTicks && impact > knockImpact) ||
            (!smooth && impact > knockImpact))
            PlaySoundEffect(SoundEffectId::Knock);
        ball.sinceContact = 0;
        ball.lastContactKind = CollisionKindAt(board, cell.x, cell.y, cell.z);
    }

    // 8. The ball rolls on.
    return ContactOutcome::Continues;
}

// ---- Bomb on a ramp ----

void BombCrestRule(const Board& board, Ball& ball, CellCoord ballCell) {
    const int ramp = ball.lastContactKind;
    if (ball.kind != kindBomb || ball.sinceContact != crestTick || !IsRampKind(ramp)) return;
    const Vec3 v = ball.velocity;
    if (CollisionKindAt(board, ballCell.x, ballCell.y - 1, ballCell.z) != ramp || !(v.y > 0.0f)) return;
    int dx, dz;
    RampHighEdge(ramp, dx, dz);
    const int beyond = CollisionKindAt(board, ballCell.x + dx, ballCell.y - 1, ballCell.z + dz);
    const bool towardsHighEdge = (dx != 0 && static_cast<float>(dx) * v.x > 0.0f) ||
                                 (dz != 0 && static_cast<float>(dz) * v.z > 0.0f);
    if (!IsBlockKind(beyond) || !towardsHighEdge) return;
    // Keep the rule alive for the next tick, and level off at the block's top.
    --ball.sinceContact;
    const float height = ball.position.y / boardUnitsPerCell - 0.25f;
    if (height - std::floor(height) > crestHeight) ball.velocity.y = crestClimb;
}

// ---- Ball against ball ----

float CollideBalls(Ball& a, Ball& b) {
    // 1. Too far apart to touch.
    const Vec3 pa = WorldFromBoard(a.position);
    const Vec3 pb = WorldFromBoard(b.position);
    const float d = Length(pb - pa);
    if (!(d < ballContactDistance)) return 0.0f;

    // 2., 3. Bounce through the midpoint, keeping the current state.
    const Vec3 keptVa = a.velocity, keptPa = a.position;
    const Vec3 keptVb = b.velocity, keptPb = b.position;
    const float impact = ReflectBall(a, &b, (pa + pb) * 0.5f, d, noRestitutionOverride);

    // 4. Hand the changes to the working copies and restore the state, so
    // that every pair of the phase sees the state at its start.
    a.nextVelocity = a.nextVelocity + (a.velocity - keptVa);
    a.nextPosition = a.nextPosition + (a.position - keptPa);
    b.nextVelocity = b.nextVelocity + (b.velocity - keptVb);
    b.nextPosition = b.nextPosition + (b.position - keptPb);
    a.velocity = keptVa;
    a.position = keptPa;
    b.velocity = keptVb;
    b.position = keptPb;

    // 5.
    return impact;
}
