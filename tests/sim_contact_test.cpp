// Collision shapes, face distances and the contact search with the magnet pull.
#include "tests/sim_support.h"

namespace {

class SimContact : public ::testing::Test {
protected:
    void SetUp() override { BuildCollisionShapes(); }
};

// One board with a floor, a corner at (2, 1, 2) and a plain cube in the air at
// (5, 3, 5); the walls around it are the cells outside the grid.
TEST_F(SimContact, SearchFindsTheNearestFaceWithinTheRadius) {
    Board board = FloorBoard(8, 5, 8);
    SetCell(board, 2, 1, 2, kindCornerFirst);
    SetCell(board, 5, 3, 5, kindPlainCube);
    struct Case {
        const char* what;
        Vec3 position;
        int neighbour;  // -1: no contact
        int face, kind;
        float distance;
    };
    const Case cases[] = {
        {"resting on the floor", {216.0f, 42.0f, 36.0f}, neighbourBelow, cubeTopFace, kindGroundCube, 1.0f / 3.0f},
        {"0.334 from a side: beyond the radius", {(4.5f - 0.334f) * 36.0f, 108.0f, 180.0f}, -1, 0, 0, 0.0f},
        {"0.333 from a side", {(4.5f - 0.333f) * 36.0f, 108.0f, 180.0f}, 2, 2, kindPlainCube, 0.333f},
        {"beside the edge of the board", {-0.2f * 36.0f, 108.0f, 180.0f}, 1, 3, kindGroundCube, 0.3f},
        {"as near the wall as the floor: the earlier cell", {-9.0f, 36.0f, 144.0f}, 1, 3, kindGroundCube, 0.25f},
        {"at a corner cell's centre", {72.0f, 48.0f, 72.0f}, -1, 0, 0, 0.0f},
        {"slightly past a corner's centre", {72.0f - 0.72f, 48.0f, 72.0f}, neighbourOwnCell, slantedFace, kindCornerFirst,
         (0.472f - 0.02f) * 0.70710677f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Ball& ball = AddBallAt(board, kindPlasticBall, c.position, {});
        Contact contact;
        const bool found = FindContact(board, ball, contact);
        board.RemoveBall(board.ballCount - 1);
        ASSERT_EQ(found, c.neighbour >= 0);
        if (!found) continue;
        EXPECT_EQ(contact.neighbour, c.neighbour);
        EXPECT_EQ(contact.face, c.face);
        EXPECT_EQ(contact.kind, c.kind);
        EXPECT_EQ(contact.shape, ShapeOfKind(c.kind));
        EXPECT_NEAR(contact.distance, c.distance, 1e-6f);
        // The contact point is absolute: on the face, `distance` from the centre.
        const Vec3 centre{c.position.x / 36.0f, c.position.y / 72.0f, c.position.z / 36.0f};
        EXPECT_NEAR(Length(contact.point - centre), contact.distance, 1e-6f);
    }
}

// Passing over the cells out of reach must never change what the search finds:
// against every face of every cell tried one by one, at positions all over a
// small board and clustered near cell borders.
TEST_F(SimContact, PassingOverFarCellsChangesNothing) {
    Board board = FloorBoard(4, 3, 4);
    const int kinds[] = {kindPlainCube, kindCornerFirst + 1, kindRampFirst + 2, kindEmpty, kindCornerFirst + 3};
    for (int i = 0; i < 16; ++i) SetCell(board, i % 4, 1 + i / 8, (i / 2) % 4, kinds[i % 5]);
    uint32_t seed = 7;
    auto next = [&](float range) {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<float>(seed >> 8) / 16777216.0f * range;
    };
    for (int n = 0; n < 20000; ++n) {
        Vec3 p{next(108.0f), next(90.0f), next(108.0f)};
        if (n % 2) p = {std::round(p.x / 18.0f) * 18.0f + next(1.0f) - 0.5f, std::round(p.y / 9.0f) * 9.0f,
                        std::round(p.z / 18.0f) * 18.0f};
        Ball& ball = AddBallAt(board, kindPlasticBall, p, {});
        Contact contact;
        const bool found = FindContact(board, ball, contact);
        board.RemoveBall(0);

        // Every face of the 27 cells, in order, with a running best.
        const CellCoord cell = NearestCell(p);
        float best = contactSearchReach;
        int bestCell = -1;
        for (int dz = -1; dz <= 1; ++dz)
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int shape = ShapeOfKind(CollisionKindAt(board, cell.x + dx, cell.y + dy, cell.z + dz));
                    if (shape == noShape) continue;
                    const Vec3 rel{p.x / 36.0f - static_cast<float>(cell.x + dx),
                                   p.y / 72.0f - static_cast<float>(cell.y + dy) / 2.0f,
                                   p.z / 36.0f - static_cast<float>(cell.z + dz)};
                    Vec3 q;
                    int face = 0;
                    const float d = ShapeDistance(CollisionShapeAt(shape), rel, best, q, face);
                    if (d < best) {
                        best = d;
                        bestCell = (dx + 1) + 3 * (dy + 1) + 9 * (dz + 1);
                    }
                }
        ASSERT_EQ(found, best <= contactRadius) << n;
        if (found) {
            // The search order differs from this loop's, so compare the distance only.
            ASSERT_EQ(contact.distance, best) << n << " cell " << bestCell;
        }
    }
}

TEST_F(SimContact, MagnetsPullIronBallsWithinOneAndAHalfCells) {
    Board board(7, 4, 7);
    board.Clear();
    SetCell(board, 3, 2, 3, kindMagnet);
    struct Case { const char* what; int kind; Vec3 position; Vec3 gain; };
    // (1.5 - dist) * 0.1 towards the magnet at (108, 72, 108).
    const Case oneMagnet[] = {
        {"one cell along x", kindIronBall, {72.0f, 72.0f, 108.0f}, {0.05f, 0.0f, 0.0f}},
        {"1.4 cells", kindIronBall, {108.0f - 1.4f * 36.0f, 72.0f, 108.0f}, {0.01f, 0.0f, 0.0f}},
        {"1.5 cells: no more", kindIronBall, {54.0f, 72.0f, 108.0f}, {}},
        {"1.55 cells, the magnet's cell still searched", kindIronBall, {54.0f, 72.0f, 122.0f}, {}},
        // The reach counts a layer as half a cell (dist 0.5), the direction in
        // layers: -1 / 0.5 * (1.5 - 0.5) * 0.1.
        {"one layer above", kindIronBall, {108.0f, 108.0f, 108.0f}, {0.0f, -0.2f, 0.0f}},
        {"only iron is pulled", kindPlasticBall, {72.0f, 72.0f, 108.0f}, {}},
        {"at the very centre there is no direction", kindIronBall, {108.0f, 72.0f, 108.0f}, {}},
    };
    // Every magnet around pulls, the contact or not.
    const Case twoMore[] = {
        {"midway between two the pulls cancel", kindIronBall, {72.0f, 72.0f, 108.0f}, {}},
        {"at one's centre, the next one pulls", kindIronBall, {108.0f, 72.0f, 108.0f}, {0.05f, 0.0f, 0.0f}},
    };
    auto check = [&](const Case& c) {
        SCOPED_TRACE(c.what);
        Ball& ball = AddBallAt(board, c.kind, c.position, {1.0f, 0.0f, 0.0f});
        Contact contact;
        FindContact(board, ball, contact);
        EXPECT_NEAR(ball.velocity.x, 1.0f + c.gain.x, 1e-6f);
        EXPECT_NEAR(ball.velocity.y, c.gain.y, 1e-6f);
        EXPECT_EQ(ball.velocity.z, c.gain.z);
        board.RemoveBall(0);
    };
    for (const Case& c : oneMagnet) check(c);
    SetCell(board, 1, 2, 3, kindMagnet);
    SetCell(board, 4, 2, 3, kindMagnet);
    for (const Case& c : twoMore) check(c);
}

}  // namespace
