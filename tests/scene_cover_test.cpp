// Which faces of their cell the pieces' meshes close off: what hiding walled-in
// cells relies on.
#include <gtest/gtest.h>

#include "board/board.h"
#include "scene/cell_cover.h"
#include "scene/element_meshes.h"

namespace {

constexpr uint8_t Bits(std::initializer_list<CellFace> faces) {
    uint8_t b = 0;
    for (CellFace f : faces) b |= FaceBit(f);
    return b;
}

TEST(SceneCover, PiecesCloseOffTheFacesTheirSolidsFill) {
    LoadElementMeshes(TUMBLEON_BUILD_DIR);
    using F = CellFace;
    const uint8_t cube = allCellFaces;
    struct Case {
        int slot;
        bool inside;
        uint8_t faces;
    } cases[] = {
        {kindGroundCube, true, cube},
        {kindPlainCube, true, cube},
        {kindStartCube, true, cube},
        {kindTargetCube, true, cube},
        {kindMagnet, true, cube},
        {kindSpikeCube, true, Bits({F::MinusY})},
        {kindSpringCube, true, Bits({F::MinusY, F::PlusY})},
        {kindCornerFirst, true, 0},  // a wedge in one corner of the cell
        {kindRampFirst, true, Bits({F::MinusX, F::MinusY})},  // its tall side and its base
        {kindIronBall, false, 0},
    };
    for (const Case& c : cases) {
        const CellCover cover = CellCoverOf(elementMeshes[c.slot]);
        EXPECT_EQ(cover.insideCell, c.inside) << c.slot;
        EXPECT_EQ(cover.faces, c.faces) << c.slot;
    }
    DestroySceneMeshes();

    // Turned as pieces are drawn, (x, z) -> (z, -x) a turn: the ramp's tall side goes round.
    const uint8_t ramp = Bits({F::MinusX, F::MinusY});
    const uint8_t turned[4] = {ramp, Bits({F::PlusZ, F::MinusY}), Bits({F::PlusX, F::MinusY}),
                               Bits({F::MinusZ, F::MinusY})};
    for (int t = 0; t < 4; ++t) EXPECT_EQ(TurnFaces(ramp, t), turned[t]) << t;
}

}  // namespace
