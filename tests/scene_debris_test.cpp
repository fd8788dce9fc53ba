// The debris pool: where fragments start, how they end, and its 100 entries.
#include <gtest/gtest.h>

#include <cstring>

#include "board/board.h"
#include "gfx/matrix.h"
#include "scene/debris.h"
#include "scene/element_meshes.h"

namespace {

class SceneDebris : public ::testing::Test {
protected:
    static void SetUpTestSuite() { LoadElementMeshes(TUMBLEON_BUILD_DIR); }
    static void TearDownTestSuite() { DestroySceneMeshes(); }
    void SetUp() override { debrisList.Clear(); }
    void TearDown() override { debrisList.Clear(); }
};

// A turned corner bursts from exactly where its drawn triangles were.
TEST_F(SceneDebris, FragmentsStartOnTheDrawnTriangles) {
    const Mesh& corner = elementMeshes[kindCornerFirst];
    const Vec3 world{3, 0.5f, 2};
    debrisList.Add(corner, world, 1);
    ASSERT_EQ(debrisList.count, 1);
    const Debris& d = debrisList.entries[0];
    ASSERT_EQ(static_cast<uint32_t>(d.triangleCount), corner.master->FaceCount());
    const Matrix4 drawn = MatrixMultiply(MatrixRotationY(1.5707964f), MatrixTranslation(world.x, world.y, world.z));
    const MeshData& m = *corner.master;
    for (int f = 0; f < d.triangleCount; ++f)
        for (int k = 0; k < 3; ++k) {
            const Fragment& fragment = d.fragments[static_cast<size_t>(f)];
            const Vec3 got = fragment.vertices[k].position + fragment.centre;
            const Vec3 want = TransformCoord(m.vertices[m.indices[3 * f + k]].position, drawn);
            EXPECT_NEAR(Length(got - want), 0.0f, 1e-5f);
            EXPECT_GE(fragment.life, 4.5f);
            EXPECT_LT(fragment.life, 5.5f);
        }
    // Every live fragment is drawn once, where it is.
    std::vector<MeshVertex> vertices;
    std::vector<DebrisBatch> batches;
    debrisList.FillDrawBuffer(vertices, batches);
    ASSERT_EQ(batches.size(), 1u);
    ASSERT_EQ(vertices.size(), 3u * static_cast<size_t>(d.triangleCount));
    for (size_t i = 0; i < vertices.size(); ++i) {
        const Fragment& fragment = d.fragments[i / 3];
        EXPECT_EQ(Length(vertices[i].position - (fragment.vertices[i % 3].position + fragment.centre)), 0.0f);
    }
}

// A burst is drawn in the colours of the mesh it came from, not in those of
// whatever was drawn last; bursts of one mesh in a row share a draw.
TEST_F(SceneDebris, BurstsKeepTheirMeshMaterial) {
    const int kinds[] = {kindIronBall, kindIronBall, kindSpringCube};
    for (int kind : kinds) debrisList.Add(elementMeshes[kind], {1, 2, 1}, 0);
    std::vector<MeshVertex> vertices;
    std::vector<DebrisBatch> batches;
    debrisList.FillDrawBuffer(vertices, batches);
    ASSERT_EQ(batches.size(), 2u);
    EXPECT_EQ(batches[0].vertexCount, 6u * elementMeshes[kindIronBall].master->FaceCount());
    EXPECT_EQ(batches[1].firstVertex, batches[0].vertexCount);
    for (int b = 0; b < 2; ++b)
        EXPECT_EQ(std::memcmp(&batches[b].material, &elementMeshes[kinds[b + 1]].materials[0], sizeof(Material)), 0);
}

// No ticks, no change; below the ground a fragment goes at once, and the
// entry finishes and frees its fragments on the updates after.
TEST_F(SceneDebris, FragmentsVanishBelowTheGround) {
    const Mesh& ball = elementMeshes[kindIronBall];
    debrisList.Add(ball, {1, 0.01f, 1}, 0);
    const Vec3 before = debrisList.entries[0].fragments[0].centre;
    debrisList.Update(0);
    EXPECT_EQ(Length(debrisList.entries[0].fragments[0].centre - before), 0.0f);
    EXPECT_EQ(debrisList.entries[0].life, 2.0f);

    debrisList.Add(ball, {1, -3, 1}, 0);
    debrisList.Update(1);  // all of entry 1 is now below y = 0
    std::vector<MeshVertex> vertices;
    std::vector<DebrisBatch> batches;
    debrisList.FillDrawBuffer(vertices, batches);
    ASSERT_EQ(batches.size(), 1u);  // entry 0's lower half went too, its upper half flies on
    EXPECT_LT(batches[0].vertexCount, 3u * static_cast<uint32_t>(debrisList.entries[0].triangleCount));
    debrisList.Update(1);
    EXPECT_EQ(debrisList.entries[1].life, 0.0f);
    debrisList.Update(1);
    EXPECT_EQ(debrisList.entries[1].fragments, nullptr);
    EXPECT_GT(debrisList.entries[0].life, 0.0f);
}

// A fragment tumbles by the same small turn each tick: after 600 ticks, in
// one update or in many, it is turned as far as 600 turns one after another
// and has flown exactly as far.
TEST_F(SceneDebris, TheTumbleAddsUpTickByTick) {
    DebrisList many, once;
    for (DebrisList* list : {&many, &once}) list->Add(elementMeshes[kindCornerFirst], {1, 500, 1}, 0);
    many.Update(1);
    const Matrix4 turn = many.entries[0].fragments[0].orientation;
    Matrix4 turned = MatrixIdentity();
    for (int t = 0; t < 600; ++t) turned = MatrixMultiply(turned, turn);
    for (int t = 1; t < 600; ++t) many.Update(1);
    once.Update(600);
    EXPECT_EQ(Length(many.entries[0].fragments[0].centre - once.entries[0].fragments[0].centre), 0.0f);
    for (const DebrisList* list : {&many, &once})
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                EXPECT_NEAR(list->entries[0].fragments[0].orientation.m[i][j], turned.m[i][j], 1e-5f);
}

// A hundred entries; beyond them a finished entry is taken over, and with
// none finished the burst is left out.
TEST_F(SceneDebris, HundredEntriesThenReuse) {
    const Mesh& cube = elementMeshes[kindPlainCube];
    for (int i = 0; i < maxDebris; ++i) debrisList.Add(cube, {static_cast<float>(i), 5, 0}, 0);
    EXPECT_EQ(debrisList.count, maxDebris);
    debrisList.Add(cube, {0, -50, 0}, 0);
    EXPECT_EQ(debrisList.count, maxDebris);
    for (const Debris& d : debrisList.entries) EXPECT_GT(d.fragments[0].centre.y, 0.0f);

    // Entry 7 sinks below the ground and finishes; the next burst takes its place.
    for (int f = 0; f < debrisList.entries[7].triangleCount; ++f) debrisList.entries[7].fragments[static_cast<size_t>(f)].centre.y = -1;
    debrisList.Update(1);
    debrisList.Update(1);
    EXPECT_EQ(debrisList.entries[7].life, 0.0f);
    debrisList.Add(elementMeshes[kindBomb], {0, 3, 0}, 0);
    EXPECT_EQ(debrisList.count, maxDebris);
    EXPECT_EQ(static_cast<uint32_t>(debrisList.entries[7].triangleCount), elementMeshes[kindBomb].master->FaceCount());
    EXPECT_EQ(debrisList.entries[7].life, 2.0f);
    debrisList.Clear();
    EXPECT_EQ(debrisList.count, 0);
}

}  // namespace
