#include "board/pick.h"

int HoverNumber(const PickHit& hit, int cellCount) {
    switch (hit.target) {
    case PickTarget::Cell: return hit.cell;
    case PickTarget::StockItem: return cellCount + hit.kind;
    case PickTarget::LaunchArrow: return cellCount + stockSlotCount + arrowsPerBall * hit.ball + hit.arrow;
    case PickTarget::Nothing: break;
    }
    return -1;
}

PickHit HitOfHoverNumber(int number, int cellCount, int ballCount) {
    if (number < 0) return {};
    if (number < cellCount) return PickHit::Cell(number, CellFace::PlusY);
    if (number < cellCount + stockSlotCount) return PickHit::Stock(number - cellCount);
    const int arrow = number - cellCount - stockSlotCount;
    if (arrow < arrowsPerBall * ballCount) return PickHit::Arrow(arrow / arrowsPerBall, arrow % arrowsPerBall);
    return {};
}
