// Which faces of their cell the pieces' meshes close off: what leaving out
// walled-in cells relies on.
#include <gtest/gtest.h>

#include "board/board.h"
#include "scene/cell_cover.h"
#include "scene/element_meshes.h"

namespace {

constexpr uint8_t mx = FaceBit(CellFace::MinusX), px = FaceBit(CellFace::PlusX), my = FaceBit(CellFace::MinusY),
                  py = FaceBit(CellFace::PlusY), mz = FaceBit(CellFace::MinusZ), pz = FaceBit(CellFace::PlusZ);

TEST(SceneCover, PiecesCloseOffTheFacesTheirSolidsFill) {
    LoadElementMeshes(TUMBLEON_BUILD_DIR);
    // Spikes and springs are boxes with open shapes on them; the corner is a
    // wedge in one corner of the cell; a ball pokes out of its cell.
    const struct {
        int slot;
        bool inside;
        uint8_t faces;
    } cases[] = {{kindGroundCube, true, allCellFaces}, {kindPlainCube, true, allCellFaces},
                 {kindStartCube, true, allCellFaces},  {kindTargetCube, true, allCellFaces},
                 {kindMagnet, true, allCellFaces},     {kindSpikeCube, true, my},
                 {kindSpringCube, true, uint8_t(my | py)}, {kindCornerFirst, true, 0},
                 {kindRampFirst, true, uint8_t(mx | my)},  {kindIronBall, false, 0}};
    for (const auto& c : cases) {
        const CellCover cover = CellCoverOf(elementMeshes[c.slot]);
        EXPECT_EQ(cover.insideCell, c.inside) << c.slot;
        EXPECT_EQ(cover.faces, c.faces) << c.slot;
    }
    DestroySceneMeshes();
    // Turned as pieces are drawn, (x, z) -> (z, -x) a turn: the ramp's tall side goes round.
    const uint8_t turned[4] = {uint8_t(mx | my), uint8_t(pz | my), uint8_t(px | my), uint8_t(mz | my)};
    for (int t = 0; t < 4; ++t) EXPECT_EQ(TurnFaces(turned[0], t), turned[t]) << t;
}

}  // namespace
