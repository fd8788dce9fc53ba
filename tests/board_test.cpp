// Board operations, cell readers and the preparation of a puzzle for play.
#include <gtest/gtest.h>

#include "board/board.h"

namespace {

TEST(KindReaders, OutsideAndGroundLayer) {
    Board board(5, 3, 5);
    board.Clear();
    EXPECT_EQ(KindAt(board, -1, 0, 0), kindGroundCube);
    EXPECT_EQ(KindAt(board, 0, 0, 0), kindEmpty);
    EXPECT_EQ(SolidKindAt(board, 0, 0, 0), kindGroundCube);  // the ground layer is solid even when empty
    EXPECT_EQ(SolidKindAt(board, 2, 3, 2), kindEmpty);       // air above the board
    EXPECT_EQ(SolidKindAt(board, 2, 30, 2), kindGroundCube); // the ceiling
}

}  // namespace
