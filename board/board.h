// The board: a 3D grid of one-byte cells, up to 100 balls, the goal count and
// the player's stock. Every other subsystem reads or edits one of these.
//
// Coordinates: x columns, y layers (up, layer 0 is the ground), z rows; cell
// (x, y, z) is at index x + sizeX * (y + sizeY * z).
// Board units: ball positions and velocities, 36 per cell step on every axis;
// the centre of cell (x, y, z) is at board position (36x, 36y, 36z).
// World units: 1 per cell along x and z, 0.5 per layer along y, so
// world = (X / 36, Y / 72, Z / 36).
#pragma once

#include <cstdint>
#include <vector>

#include "board/geometry.h"

// A cell value's kind is value % 64; the 64 bit marks a piece the player places.
constexpr int cellPlayerPiece = 64;

// Element kinds: what a cell holds, as a plain int code.
constexpr int kindEmpty = 0;
constexpr int kindGroundCube = 1;
constexpr int kindPlainCube = 2;
constexpr int kindCornerFirst = 3;
constexpr int kindCornerLast = 6;
constexpr int kindStartCube = 7;
constexpr int kindTargetCube = 8;
constexpr int kindMagnet = 9;
constexpr int kindSpikeCube = 10;
constexpr int kindSpringCube = 11;
constexpr int kindBalloon = 12;
constexpr int kindIronBall = 13;
constexpr int kindPlasticBall = 14;
constexpr int kindBomb = 15;
constexpr int kindRampFirst = 16;
constexpr int kindRampLast = 19;
constexpr int elementKindCount = 20;  // kinds that may stand in a cell

enum class LaunchDirection : int8_t {
    Unset = 0,  // a fixed ball whose direction the player must choose
    MinusX = 1,
    PlusZ = 2,
    PlusX = 3,
    MinusZ = 4,
    NoDirection = 5,  // newly placed, nothing chosen yet
};

enum class BallLock : int8_t {
    PlayerBall = 0,     // the player places it: goes to the stock when prepared
    FixedPosition = 1,  // stays; the player chooses its direction
    FixedBall = 2,      // stays with its stored direction
};

inline bool IsBallKind(int k) { return k >= kindBalloon && k <= kindBomb; }
inline bool IsBlockKind(int k) {
    return k == kindGroundCube || k == kindPlainCube || (k >= kindStartCube && k <= kindSpringCube);
}
inline bool IsCornerKind(int k) { return k >= kindCornerFirst && k <= kindCornerLast; }
inline bool IsRampKind(int k) { return k >= kindRampFirst && k <= kindRampLast; }

// The element kind of a cell value (the PlayerPiece flag stripped).
inline int KindOfValue(int8_t cellValue) { return cellValue % cellPlayerPiece; }

// Restitution and mass of a ball kind (12..15).
float BallRestitution(int kind);
float BallMass(int kind);

constexpr int maxBalls = 100;
constexpr int stockSlots = 50;
// The pointer's hover value numbers the cells, then 20 stock slots, then four
// launch arrows per ball, all below the interface controls' ids (10000 up):
// a board may hold at most this many cells (30 x 10 x 30 is 9000).
constexpr int maxCellCount = 10000 - 20 - 4 * maxBalls;
constexpr float ballPlacingLift = 6.0f;  // board units above the cell centre

struct Ball {
    int8_t kind = kindPlasticBall;
    int8_t direction = static_cast<int8_t>(LaunchDirection::NoDirection);
    int8_t lock = static_cast<int8_t>(BallLock::PlayerBall);
    float restitution = 0.9f;
    float mass = 1.0f;
    float absorb = 0.0f;         // 0 in play; 1..11 while the target takes it
    int8_t sinceContact = 0;     // ticks since it last struck an element, up to 100
    int32_t lastContactKind = 0; // collision kind of the cell it last struck
    Vec3 velocity;               // board units per time unit (25 ticks)
    Vec3 position;               // board units, the centre
    Matrix4 orientation;         // rolling orientation, for drawing
    Vec3 nextVelocity;           // working copies of the ball-ball phase
    Vec3 nextPosition;
    uint8_t nextAlive = 0;
};

// The placing position of a cell: the ball rests on the block below.
Vec3 PlacingPosition(int x, int y, int z);

class Board {
public:
    int8_t sizeX = 0;
    int8_t sizeY = 0;
    int8_t sizeZ = 0;
    int32_t cellCount = 0;
    std::vector<int8_t> cells;
    Ball balls[maxBalls];
    int8_t ballCount = 0;
    int8_t goalCount = 1;
    int8_t stock[stockSlots] = {};

    Board(int x = 10, int y = 10, int z = 10);

    int Index(int x, int y, int z) const { return x + sizeX * (y + sizeY * z); }
    bool Contains(int x, int y, int z) const {
        return x >= 0 && y >= 0 && z >= 0 && x < sizeX && y < sizeY && z < sizeZ;
    }
    void CellOf(int index, int& x, int& y, int& z) const;

    void Clear();
    void Resize(int newX, int newY, int newZ);
    void CopyFrom(const Board& other);
    // Appends a ball at the cell's placing position; false (nothing added) when
    // all 100 slots are in use.
    bool AddBall(int kind, int cellIndex);
    void RemoveBall(int i);
    int FindBallAtCell(int cellIndex) const;
    void RemoveBallAtCell(int cellIndex);
    void SetBallKindAtCell(int kind, int cellIndex);
    void PrepareForPlay();
    void ResetBallPhysics();

private:
    void AddToStock(int kind);
};

// The element kind at a cell; anything outside the grid reads as ground.
int KindAtOrGround(const Board& board, int x, int y, int z);

// The kind as the simulation collides with it: walls, the ground layer and
// everything below are ground; the air above the board is empty; balls' start
// cells are empty; start, target, magnet, spike and spring cubes are plain cubes.
int CollisionKindAt(const Board& board, int x, int y, int z);
