// Collision shapes, face distances and the contact search with the magnet pull.
#include "tests/sim_support.h"

namespace {

class SimContact : public ::testing::Test {
protected:
    void SetUp() override { BuildCollisionShapes(); }
};

// The turned shapes must look where the kind table says: the wedge's filled
// corner (the top triangle's first vertex) and the slanted face's normal, the
// ramp's high edge and its incline's normal.
TEST_F(SimContact, QuarterTurnsFaceTheRightWay) {
    struct Expect {
        int kind;
        float fillX, fillZ;      // corner: the filled quarter; ramp: the high edge's side
        float lookX, lookZ;      // horizontal part of face 4's normal
    };
    const Expect table[] = {
        {3, -0.5f, -0.5f, 1, 1},   {4, -0.5f, 0.5f, 1, -1},   {5, 0.5f, 0.5f, -1, -1},  {6, 0.5f, -0.5f, -1, 1},
        {16, -0.5f, 0.0f, 1, 0},   {17, 0.0f, 0.5f, 0, -1},   {18, 0.5f, 0.0f, -1, 0},  {19, 0.0f, -0.5f, 0, 1},
    };
    for (const Expect& e : table) {
        SCOPED_TRACE(e.kind);
        const CollisionShape& shape = CollisionShapeAt(ShapeOfKind(e.kind));
        ASSERT_EQ(shape.faceCount, 5);
        const Vec3 n = shape.faces[slantedFace].normal;
        EXPECT_GT(n.x * e.lookX + n.z * e.lookZ, 0.4f);
        if (IsCornerKind(e.kind)) {
            EXPECT_EQ(n.y, 0.0f);
            const Vec3 corner = shape.faces[1].a;  // top triangle, the filled corner
            EXPECT_EQ(corner.x, e.fillX);
            EXPECT_EQ(corner.z, e.fillZ);
        } else {
            EXPECT_NEAR(n.y, 0.8944272f, 1e-7f);
            // The incline's first vertex lies on the high edge, at the top.
            const Vec3 high = shape.faces[4].a;
            EXPECT_EQ(high.y, 0.25f);
            if (e.fillX != 0.0f) {
                EXPECT_EQ(high.x, e.fillX);
            }
            if (e.fillZ != 0.0f) {
                EXPECT_EQ(high.z, e.fillZ);
            }
        }
    }
    EXPECT_EQ(ShapeOfKind(kindGroundCube), 0);
    EXPECT_EQ(ShapeOfKind(kindPlainCube), 0);
    EXPECT_EQ(ShapeOfKind(kindEmpty), noShape);
}

TEST_F(SimContact, FaceDistanceClampsOntoTheFace) {
    const CollisionShape& cube = CollisionShapeAt(0);
    Vec3 q;
    // Straight above the top face.
    EXPECT_FLOAT_EQ(FaceDistance(cube.faces[5], {0.1f, 0.45f, -0.2f}, 1.0f, q), 0.2f);
    EXPECT_FLOAT_EQ(q.x, 0.1f);
    EXPECT_FLOAT_EQ(q.y, 0.25f);
    EXPECT_FLOAT_EQ(q.z, -0.2f);
    // Beyond the top face's edge: the closest point is on the edge.
    EXPECT_FLOAT_EQ(FaceDistance(cube.faces[5], {0.8f, 0.65f, 0.0f}, 1.0f, q), 0.5f);
    EXPECT_FLOAT_EQ(q.x, 0.5f);
    // Behind the face's plane, or farther from it than best: not considered.
    EXPECT_EQ(FaceDistance(cube.faces[5], {0.0f, 0.2f, 0.0f}, 1.0f, q), noFaceDistance);
    EXPECT_EQ(FaceDistance(cube.faces[5], {0.0f, 0.6f, 0.0f}, 0.3f, q), noFaceDistance);
    // In front but the point found is not nearer than best.
    EXPECT_EQ(FaceDistance(cube.faces[5], {0.8f, 0.45f, 0.0f}, 0.3f, q), noFaceDistance);

    // A triangle scales both edge parameters back when their sum passes 1:
    // for the wedge's top, a point far out along the diagonal lands on the
    // middle of the long edge.
    const CollisionShape& wedge = CollisionShapeAt(1);
    EXPECT_LT(FaceDistance(wedge.faces[1], {0.5f, 0.3f, 0.5f}, 2.0f, q), 2.0f);
    EXPECT_FLOAT_EQ(q.x, -0.236f);
    EXPECT_FLOAT_EQ(q.z, -0.236f);
    EXPECT_FLOAT_EQ(q.y, 0.25f);
}

TEST_F(SimContact, BallOnTheFloorTouchesTheTopOfTheCellBelow) {
    Board board = FloorBoard(5, 3, 5);
    Ball& ball = AddTestBall(board, kindPlasticBall, 2, 1, 2);
    Contact contact;
    ASSERT_TRUE(FindContact(board, ball, contact));
    EXPECT_EQ(contact.neighbour, neighbourBelow);
    EXPECT_EQ(contact.cell.x, 2);
    EXPECT_EQ(contact.cell.y, 0);
    EXPECT_EQ(contact.cell.z, 2);
    EXPECT_EQ(contact.shape, 0);
    EXPECT_EQ(contact.face, cubeTopFace);
    EXPECT_EQ(contact.kind, kindGroundCube);
    EXPECT_NEAR(contact.distance, 1.0f / 3.0f, 1e-6f);
    EXPECT_NEAR(contact.point.y, 0.25f, 1e-6f);
}

TEST_F(SimContact, OnlyContactsWithinTheRadiusCount) {
    Board board(5, 3, 5);
    board.Clear();
    // A plain cube in the air, the ball beside it, clear of the ground.
    SetCell(board, 2, 2, 2, kindPlainCube);
    Ball& ball = AddBallAt(board, kindPlasticBall, {0.0f, 72.0f, 72.0f}, {});
    Contact contact;
    // Face 2 (-x) of the cube is at world x = 1.5: a gap of 0.334 is inside the
    // search reach but beyond the radius.
    ball.position.x = (1.5f - 0.334f) * 36.0f;
    EXPECT_FALSE(FindContact(board, ball, contact));
    ball.position.x = (1.5f - 0.333f) * 36.0f;
    ASSERT_TRUE(FindContact(board, ball, contact));
    EXPECT_EQ(contact.face, 2);
    EXPECT_EQ(contact.cell.x, 2);
}

TEST_F(SimContact, OutsideTheGridIsAWall) {
    Board board = FloorBoard(5, 3, 5);
    // In the air, 0.3 world units from the -x edge of the board.
    Ball& ball = AddBallAt(board, kindPlasticBall, {-0.2f * 36.0f, 72.0f, 72.0f}, {});
    Contact contact;
    ASSERT_TRUE(FindContact(board, ball, contact));
    EXPECT_EQ(contact.cell.x, -1);
    EXPECT_EQ(contact.kind, kindGroundCube);
    EXPECT_EQ(contact.face, 3);
    EXPECT_NEAR(contact.distance, 0.3f, 1e-6f);
}

TEST_F(SimContact, TiesGoToTheEarlierCell) {
    Board board = FloorBoard(5, 3, 5);
    // Exactly 0.25 from the wall at -x (neighbour 1) and from the floor
    // (neighbour 3): the wall comes first in the search order.
    Ball& ball = AddBallAt(board, kindPlasticBall, {-9.0f, 36.0f, 72.0f}, {});
    Contact contact;
    ASSERT_TRUE(FindContact(board, ball, contact));
    EXPECT_EQ(contact.distance, 0.25f);
    EXPECT_EQ(contact.neighbour, 1);
    EXPECT_EQ(contact.face, 3);
}

TEST_F(SimContact, CornerIsTouchedOnlyPastTheCellCentre) {
    Board board = FloorBoard(5, 3, 5);
    SetCell(board, 2, 1, 2, kindCornerFirst);  // slanted face towards +x+z
    Ball& ball = AddTestBall(board, kindPlasticBall, 2, 1, 2);
    ball.position.y = 48.0f;  // a little above the floor, so only the corner can be touched
    Contact contact;
    EXPECT_FALSE(FindContact(board, ball, contact));  // 0.33375 from the slanted face
    ball.position.x -= 0.02f * 36.0f;                  // slightly past the centre, moving -x
    ASSERT_TRUE(FindContact(board, ball, contact));
    EXPECT_EQ(contact.neighbour, neighbourOwnCell);
    EXPECT_EQ(contact.kind, kindCornerFirst);
    EXPECT_EQ(contact.face, 4);
}

TEST_F(SimContact, MagnetPullStrengthAndReach) {
    Board board(7, 4, 7);
    board.Clear();
    SetCell(board, 3, 2, 3, kindMagnet);
    const Vec3 magnetCentre{108.0f, 72.0f, 108.0f};
    Contact contact;

    // One cell width away along x: (1.5 - 1) * 0.1 = 0.05 towards the magnet.
    Ball& iron = AddBallAt(board, kindIronBall, {magnetCentre.x - 36.0f, 72.0f, 108.0f}, {});
    FindContact(board, iron, contact);
    EXPECT_NEAR(iron.velocity.x, 0.05f, 1e-6f);
    EXPECT_EQ(iron.velocity.y, 0.0f);
    EXPECT_EQ(iron.velocity.z, 0.0f);

    // Half a cell further: 1.4 pulls a little, 1.5 no more.
    iron.velocity = {};
    iron.position.x = magnetCentre.x - 1.4f * 36.0f;
    FindContact(board, iron, contact);
    EXPECT_NEAR(iron.velocity.x, 0.01f, 1e-6f);
    iron.velocity = {};
    iron.position.x = magnetCentre.x - 1.5f * 36.0f;
    FindContact(board, iron, contact);
    EXPECT_EQ(iron.velocity.x, 0.0f);

    // One layer straight above: the reach counts the layer as half a cell
    // (dist 0.5) while the direction is in layers, so the pull is
    // -1 / 0.5 * (1.5 - 0.5) * 0.1 = -0.2.
    iron.velocity = {};
    iron.position = {108.0f, 108.0f, 108.0f};
    FindContact(board, iron, contact);
    EXPECT_NEAR(iron.velocity.y, -0.2f, 1e-6f);
    EXPECT_EQ(iron.velocity.x, 0.0f);

    // Only iron balls are pulled.
    Ball& plastic = AddBallAt(board, kindPlasticBall, {magnetCentre.x - 36.0f, 72.0f, 108.0f}, {});
    FindContact(board, plastic, contact);
    EXPECT_EQ(plastic.velocity.x, 0.0f);

    // Every magnet around pulls: midway between two the pulls cancel.
    SetCell(board, 1, 2, 3, kindMagnet);
    iron.velocity = {};
    iron.position = {72.0f, 72.0f, 108.0f};
    FindContact(board, iron, contact);
    EXPECT_EQ(iron.velocity.x, 0.0f);
}

TEST_F(SimContact, IronBallAtAMagnetsCentreIsNotPulledByIt) {
    Board board(7, 4, 7);
    board.Clear();
    SetCell(board, 3, 2, 3, kindMagnet);
    Ball& iron = AddBallAt(board, kindIronBall, {108.0f, 72.0f, 108.0f}, {1.0f, 0.0f, 0.0f});
    Contact contact;
    EXPECT_FALSE(FindContact(board, iron, contact));  // inside the cube: no face in front
    EXPECT_EQ(iron.velocity.x, 1.0f);
    EXPECT_EQ(iron.velocity.y, 0.0f);
    EXPECT_EQ(iron.velocity.z, 0.0f);

    // Another magnet beside it still pulls.
    SetCell(board, 4, 2, 3, kindMagnet);
    iron.velocity = {};
    FindContact(board, iron, contact);
    EXPECT_NEAR(iron.velocity.x, 0.05f, 1e-6f);
    EXPECT_TRUE(IsFinite(iron.velocity));
}

}  // namespace
