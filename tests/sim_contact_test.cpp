// Collision shapes, face distances and the contact search with the magnet pull.
#include "tests/sim_support.h"

namespace {

class SimContact : public ::testing::Test {
protected:
    void SetUp() override { BuildCollisionShapes(); }
};

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
    struct Case { const char* what; int kind; Vec3 position; float gainX; };
    // (1.5 - dist) * 0.1 towards the magnet at (108, 72, 108).
    const Case cases[] = {
        {"one cell along x", kindIronBall, {72.0f, 72.0f, 108.0f}, 0.05f},
        {"1.5 cells: no more", kindIronBall, {54.0f, 72.0f, 108.0f}, 0.0f},
        {"1.55 cells, the magnet's cell still searched", kindIronBall, {54.0f, 72.0f, 122.0f}, 0.0f},
        {"only iron is pulled", kindPlasticBall, {72.0f, 72.0f, 108.0f}, 0.0f},
        {"at the very centre there is no direction", kindIronBall, {108.0f, 72.0f, 108.0f}, 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Ball& ball = AddBallAt(board, c.kind, c.position, {1.0f, 0.0f, 0.0f});
        Contact contact;
        FindContact(board, ball, contact);
        EXPECT_NEAR(ball.velocity.x, 1.0f + c.gainX, 1e-6f);
        EXPECT_EQ(ball.velocity.y, 0.0f);
        board.RemoveBall(0);
    }
}

}  // namespace
