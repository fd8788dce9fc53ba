#include "board/board.h"

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <cstring>

float BallRestitution(int kind) {
    assert(IsBallKind(kind));
    return kind == kindIronBall ? 0.6f : kind == kindBomb ? 0.0f : 0.9f;
}

float BallMass(int kind) {
    assert(IsBallKind(kind));
    return (kind == kindIronBall || kind == kindBomb) ? 2.0f : 1.0f;
}

Vec3 PlacingPosition(int x, int y, int z) {
    return {boardUnitsPerCell * static_cast<float>(x), boardUnitsPerCell * static_cast<float>(y) + ballPlacingLift,
            boardUnitsPerCell * static_cast<float>(z)};
}

Board::Board(int x, int y, int z) {
    assert(x > 0 && y > 0 && z > 0);
    sizeX = static_cast<int8_t>(x);
    sizeY = static_cast<int8_t>(y);
    sizeZ = static_cast<int8_t>(z);
    cellCount = x * y * z;
    cells.assign(static_cast<size_t>(cellCount), 0);
}

void Board::CellOf(int index, int& x, int& y, int& z) const {
    x = index % sizeX;
    y = (index / sizeX) % sizeY;
    z = index / (sizeX * sizeY);
}

void Board::Clear() {
    std::fill(cells.begin(), cells.end(), int8_t{0});
    ballCount = 0;
}

void Board::Resize(int newX, int newY, int newZ) {
    assert(newX > 0 && newY > 0 && newZ > 0 && newX <= 127 && newY <= 127 && newZ <= 127);
    std::vector<int8_t> resized(static_cast<size_t>(newX * newY * newZ), 0);
    for (int z = 0; z < sizeZ; ++z)
        for (int y = 0; y < sizeY; ++y)
            for (int x = 0; x < sizeX; ++x) {
                const int oldIndex = Index(x, y, z);
                if (x < newX && y < newY && z < newZ)
                    resized[static_cast<size_t>(x + newX * (y + newY * z))] = cells[static_cast<size_t>(oldIndex)];
                else
                    RemoveBallAtCell(oldIndex);
            }
    cells.swap(resized);
    sizeX = static_cast<int8_t>(newX);
    sizeY = static_cast<int8_t>(newY);
    sizeZ = static_cast<int8_t>(newZ);
    cellCount = newX * newY * newZ;
}

void Board::CopyFrom(const Board& other) {
    if (this == &other) return;
    sizeX = other.sizeX;
    sizeY = other.sizeY;
    sizeZ = other.sizeZ;
    cellCount = other.cellCount;
    cells = other.cells;
    for (int i = 0; i < other.ballCount; ++i) {
        const Ball& from = other.balls[i];
        Ball& to = balls[i];
        to.kind = from.kind;
        to.direction = from.direction;
        to.lock = from.lock;
        to.position = from.position;
        to.orientation = from.orientation;
        to.absorb = from.absorb;
        to.sinceContact = from.sinceContact;
        to.lastContactKind = from.lastContactKind;
        // The launch sets these properly.
        to.velocity = Vec3{};
        to.restitution = 0.9f;
        to.mass = 1.0f;
    }
    ballCount = other.ballCount;
    goalCount = other.goalCount;
    std::memcpy(stock, other.stock, sizeof stock);
}

bool Board::AddBall(int kind, int cellIndex) {
    assert(IsBallKind(kind) && cellIndex >= 0 && cellIndex < cellCount);
    if (ballCount >= maxBalls) return false;
    int x, y, z;
    CellOf(cellIndex, x, y, z);
    Ball& ball = balls[ballCount];
    ball = Ball{};
    ball.kind = static_cast<int8_t>(kind);
    ball.position = PlacingPosition(x, y, z);
    ++ballCount;
    return true;
}

void Board::RemoveBall(int i) {
    assert(i >= 0 && i < ballCount);
    // The working copies of the ball-ball phase stay where they are: the
    // removal step walks down, so nothing reads a moved ball's copies.
    for (int j = i; j + 1 < ballCount; ++j) {
        Ball& to = balls[j];
        const Ball& from = balls[j + 1];
        to.kind = from.kind;
        to.direction = from.direction;
        to.lock = from.lock;
        to.restitution = from.restitution;
        to.mass = from.mass;
        to.absorb = from.absorb;
        to.sinceContact = from.sinceContact;
        to.lastContactKind = from.lastContactKind;
        to.velocity = from.velocity;
        to.position = from.position;
        to.orientation = from.orientation;
    }
    --ballCount;
}

int Board::FindBallAtCell(int cellIndex) const {
    int x, y, z;
    CellOf(cellIndex, x, y, z);
    const Vec3 p = PlacingPosition(x, y, z);
    for (int i = 0; i < ballCount; ++i) {
        const Vec3& q = balls[i].position;
        if (q.x == p.x && q.y == p.y && q.z == p.z) return i;
    }
    return ballCount;
}

void Board::RemoveBallAtCell(int cellIndex) {
    const int i = FindBallAtCell(cellIndex);
    if (i < ballCount) RemoveBall(i);
}

void Board::SetBallKindAtCell(int kind, int cellIndex) {
    const int i = FindBallAtCell(cellIndex);
    if (i < ballCount) balls[i].kind = static_cast<int8_t>(kind);
}

// A stock counter is a signed byte: a level with more than 127 of the
// player's pieces of one kind gives 127 of them rather than a negative count.
void Board::AddToStock(int kind) {
    if (stock[kind] < INT8_MAX) ++stock[kind];
}

void Board::PrepareForPlay() {
    std::memset(stock, 0, sizeof stock);
    for (int8_t& cell : cells) {
        if (cell >= cellPlayerPiece) {
            const int kind = KindOfValue(cell);
            if (kind < stockSlots) AddToStock(kind);
            cell = 0;
        }
    }
    for (int i = 0; i < ballCount;) {
        Ball& ball = balls[i];
        if (ball.lock == static_cast<int8_t>(BallLock::FixedPosition)) {
            ball.direction = static_cast<int8_t>(LaunchDirection::Unset);
        } else if (ball.lock == static_cast<int8_t>(BallLock::PlayerBall)) {
            if (IsBallKind(ball.kind)) AddToStock(ball.kind);
            const int x = static_cast<int>(ball.position.x / boardUnitsPerCell);
            const int y = static_cast<int>((ball.position.y - ballPlacingLift) / boardUnitsPerCell);
            const int z = static_cast<int>(ball.position.z / boardUnitsPerCell);
            if (Contains(x, y, z)) cells[static_cast<size_t>(Index(x, y, z))] = 0;
            // The last ball fills the gap; the same slot is examined again.
            balls[i] = balls[ballCount - 1];
            --ballCount;
            continue;
        }
        ++i;
    }
}

void Board::ResetBallPhysics() {
    for (int i = 0; i < ballCount; ++i) {
        Ball& ball = balls[i];
        ball.restitution = BallRestitution(ball.kind);
        ball.mass = BallMass(ball.kind);
        ball.sinceContact = 0;
        ball.lastContactKind = 0;
    }
}

int KindAtOrGround(const Board& board, int x, int y, int z) {
    if (!board.Contains(x, y, z)) return kindGroundCube;
    return KindOfValue(board.cells[static_cast<size_t>(board.Index(x, y, z))]);
}

int CollisionKindAt(const Board& board, int x, int y, int z) {
    if (x < 0 || y <= 0 || z < 0 || x >= board.sizeX || z >= board.sizeZ || y >= 10 * board.sizeY)
        return kindGroundCube;
    if (y >= board.sizeY) return kindEmpty;
    const int kind = KindOfValue(board.cells[static_cast<size_t>(board.Index(x, y, z))]);
    if (IsBallKind(kind)) return kindEmpty;
    if (kind >= kindStartCube && kind <= kindSpringCube) return kindPlainCube;
    return kind;
}
