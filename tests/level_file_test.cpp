// Level files: the byte layout, round trips, names, and rejection of anything
// that is not a level the board can hold.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "board/file_io.h"
#include "board/level_file.h"
#include "tests/test_support.h"

namespace {

// A small puzzle with every ball field in use and a flagged piece.
Board SamplePuzzle() {
    Board board(5, 3, 6);
    board.Clear();
    for (int z = 0; z < 6; ++z)
        for (int x = 0; x < 5; ++x) board.cells[static_cast<size_t>(board.Index(x, 0, z))] = kindGroundCube;
    board.cells[static_cast<size_t>(board.Index(1, 1, 1))] = kindStartCube;
    board.cells[static_cast<size_t>(board.Index(1, 2, 1))] = kindBomb;
    board.cells[static_cast<size_t>(board.Index(3, 1, 4))] = kindTargetCube;
    board.cells[static_cast<size_t>(board.Index(2, 1, 2))] = 18 + cellPlayerPiece;
    board.AddBall(kindBomb, board.Index(1, 2, 1));
    board.balls[0].direction = static_cast<int8_t>(LaunchDirection::PlusZ);
    board.balls[0].lock = static_cast<int8_t>(BallLock::FixedBall);
    board.AddBall(kindIronBall, board.Index(4, 1, 5));
    board.balls[1].position = {140.25f, 40.5f, 170.0f};
    board.goalCount = 2;
    return board;
}

const OrbitCamera sampleCamera{12.5f, 0.75f, -2.25f};

void ExpectSameLevel(const Board& a, const Board& b) {
    EXPECT_EQ(a.sizeX, b.sizeX);
    EXPECT_EQ(a.sizeY, b.sizeY);
    EXPECT_EQ(a.sizeZ, b.sizeZ);
    EXPECT_EQ(a.cells, b.cells);
    EXPECT_EQ(a.goalCount, b.goalCount);
    ASSERT_EQ(a.ballCount, b.ballCount);
    for (int i = 0; i < a.ballCount; ++i) {
        EXPECT_EQ(a.balls[i].kind, b.balls[i].kind);
        EXPECT_EQ(a.balls[i].direction, b.balls[i].direction);
        EXPECT_EQ(a.balls[i].lock, b.balls[i].lock);
        EXPECT_EQ(std::memcmp(&a.balls[i].position, &b.balls[i].position, sizeof(Vec3)), 0);
    }
}

// The state a rejected read must leave exactly as it was.
struct Untouched {
    Board board = SamplePuzzle();
    OrbitCamera camera{7.0f, 0.5f, 1.0f};
    std::string levelName = "before";

    void ExpectUnchanged() const {
        ExpectSameLevel(board, SamplePuzzle());
        EXPECT_EQ(camera.cameraDistance, 7.0f);
        EXPECT_EQ(camera.cameraYaw, 1.0f);
        EXPECT_EQ(levelName, "before");
    }
};

TEST(LevelFile, LayoutIsTheDocumentedRecord) {
    const Board board = SamplePuzzle();
    const std::vector<uint8_t> bytes = EncodeLevel(board, sampleCamera);
    ASSERT_EQ(bytes.size(), 9u + 90u + 32u + 12u);
    EXPECT_EQ(std::memcmp(bytes.data(), "TM30", 4), 0);
    EXPECT_EQ(bytes[4], 5);
    EXPECT_EQ(bytes[7], 2);
    EXPECT_EQ(bytes[8], 2);
    EXPECT_EQ(bytes[9 + board.Index(2, 1, 2)], 18 + 64);
    const uint8_t* ball = bytes.data() + 9 + 90;
    EXPECT_EQ(ball[0], kindBomb);
    EXPECT_EQ(ball[1], 2);
    EXPECT_EQ(ball[2], 2);
    EXPECT_EQ(ball[3], 0);
    float x;
    std::memcpy(&x, ball + 4, 4);
    EXPECT_EQ(x, 36.0f);
    float yaw;
    std::memcpy(&yaw, bytes.data() + bytes.size() - 4, 4);
    EXPECT_EQ(yaw, -2.25f);

    Board empty(5, 2, 5);
    EXPECT_EQ(EncodeLevel(empty, sampleCamera).size(), 9u + 50u + 12u);
}

TEST(LevelFile, WriteThenReadRestoresEverything) {
    ScratchDir dir;
    const std::string path = dir.File("puzzle.tm3");
    std::string name;
    ASSERT_TRUE(WriteLevelFile(path, SamplePuzzle(), sampleCamera, name));
    EXPECT_EQ(name, "puzzle");

    Board board(10, 10, 10);
    OrbitCamera camera;
    std::string readName;
    ASSERT_TRUE(ReadLevelFile(path, true, board, camera, readName));
    ExpectSameLevel(board, SamplePuzzle());
    EXPECT_EQ(camera.cameraDistance, 12.5f);
    EXPECT_EQ(camera.cameraPitch, 0.75f);
    EXPECT_EQ(camera.cameraYaw, -2.25f);
    EXPECT_EQ(readName, "puzzle");
    EXPECT_EQ(board.balls[1].velocity.x, 0.0f);

    // Without the view (the menu's demo board) the camera keeps turning on its own.
    OrbitCamera demoCamera{3.0f, 0.25f, 0.5f};
    ASSERT_TRUE(ReadLevelFile(path, false, board, demoCamera, readName));
    EXPECT_EQ(demoCamera.cameraDistance, 3.0f);
    EXPECT_EQ(demoCamera.cameraYaw, 0.5f);

    // Written again, the bytes are the same.
    ASSERT_TRUE(WriteLevelFile(dir.File("again.tm3"), board, camera, name));
    EXPECT_EQ(ReadBytes(dir.File("again.tm3")), ReadBytes(path));
}

TEST(LevelFile, ReadKeepsTheStockUntilThePuzzleIsPrepared) {
    ScratchDir dir;
    std::string name;
    ASSERT_TRUE(WriteLevelFile(dir.File("a.tm3"), SamplePuzzle(), sampleCamera, name));
    Board board(10, 10, 10);
    board.stock[kindPlainCube] = 4;
    OrbitCamera camera;
    ASSERT_TRUE(ReadLevelFile(dir.File("a.tm3"), true, board, camera, name));
    EXPECT_EQ(board.stock[kindPlainCube], 4);
    board.PrepareForPlay();
    EXPECT_EQ(board.stock[kindPlainCube], 0);
    EXPECT_EQ(board.stock[18], 1);
}

TEST(LevelFile, ReadOnlyFileLoads) {
    ScratchDir dir;
    const std::string path = dir.File("builtin.tm3");
    std::string name;
    ASSERT_TRUE(WriteLevelFile(path, SamplePuzzle(), sampleCamera, name));
    std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
    Board board;
    OrbitCamera camera;
    EXPECT_TRUE(ReadLevelFile(path, true, board, camera, name));
}

TEST(LevelFile, NameIsTheFileNameUpToItsFirstDot) {
    EXPECT_EQ(LevelNameFromPath("/home/player/levels/my.first.tm3"), "my");
    EXPECT_EQ(LevelNameFromPath("C:\\levels\\my.first.tm3"), "my");
    EXPECT_EQ(LevelNameFromPath("mixed/dir\\name.tm3"), "name");
    EXPECT_EQ(LevelNameFromPath("plain"), "plain");
    EXPECT_EQ(LevelNameFromPath("adatok/palyak_hun/bomba-labirintus.tm3"), "bomba-labirintus");
    EXPECT_EQ(LevelNameFromPath("/dir.with.dots/x"), "x");
}

TEST(LevelFile, MissingFileAndUnwritableFolder) {
    Untouched state;
    EXPECT_FALSE(ReadLevelFile("/nonexistent/x.tm3", true, state.board, state.camera, state.levelName));
    EXPECT_FALSE(WriteLevelFile("/nonexistent/x.tm3", state.board, state.camera, state.levelName));
    state.ExpectUnchanged();
}

TEST(LevelFile, OverwriteLeavesNoTemporaryFile) {
    ScratchDir dir;
    const std::string path = dir.File("level.tm3");
    WriteText(path, "old contents");
    std::string name;
    ASSERT_TRUE(WriteLevelFile(path, SamplePuzzle(), sampleCamera, name));
    EXPECT_EQ(ReadBytes(path), EncodeLevel(SamplePuzzle(), sampleCamera));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

// Every prefix of a valid file is rejected with nothing changed; with the view
// not wanted, a file that stops right after the balls still loads.
TEST(LevelFileRejects, EveryTruncation) {
    ScratchDir dir;
    const std::string path = dir.File("cut.tm3");
    const std::vector<uint8_t> full = EncodeLevel(SamplePuzzle(), sampleCamera);
    Untouched state;
    for (size_t length = 0; length < full.size(); ++length) {
        WriteBytes(path, {full.begin(), full.begin() + static_cast<std::ptrdiff_t>(length)});
        EXPECT_FALSE(ReadLevelFile(path, true, state.board, state.camera, state.levelName)) << length;
        const bool hasAllBalls = length >= full.size() - levelViewBytes;
        Board other(4, 4, 4);
        std::string otherName;
        EXPECT_EQ(ReadLevelFile(path, false, other, state.camera, otherName), hasAllBalls) << length;
    }
    state.ExpectUnchanged();
}

TEST(LevelFileRejects, BadHeaderCellsAndBalls) {
    const std::vector<uint8_t> good = EncodeLevel(SamplePuzzle(), sampleCamera);
    const size_t firstBall = 9 + 90;
    struct Case {
        const char* what;
        size_t offset;
        uint8_t value;
    };
    const Case cases[] = {
        {"magic byte 0", 0, 'X'},           {"magic byte 3", 3, '1'},
        {"zero width", 4, 0},               {"negative layers", 5, 0xFF},
        {"negative rows", 6, 0x80},         {"ball count -1", 7, 0xFF},
        {"ball count 101", 7, 101},         {"goal count -3", 8, 0xFD},
        {"negative cell", 9, 0xF0},         {"unknown kind 20", 10, 20},
        {"unknown flagged kind", 11, 64 + 25}, {"ball kind 11", firstBall, 11},
        {"ball kind 16", firstBall + 16, 16}, {"direction 6", firstBall + 1, 6},
        {"lock 3", firstBall + 2, 3},       {"NaN position", firstBall + 7, 0x7F},
    };
    ScratchDir dir;
    const std::string path = dir.File("bad.tm3");
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = good;
        bytes[c.offset] = c.value;
        if (std::string(c.what) == "NaN position") bytes[c.offset - 1] = 0xC0;  // 0x7FC0.... is a NaN
        WriteBytes(path, bytes);
        Untouched state;
        std::string error;
        EXPECT_FALSE(ReadLevelFile(path, true, state.board, state.camera, state.levelName, &error)) << c.what;
        EXPECT_FALSE(error.empty()) << c.what;
        state.ExpectUnchanged();
    }
}

TEST(LevelFileRejects, BoardsTooLargeToShow) {
    LevelData level;
    std::string error;
    const std::vector<uint8_t> largest = EncodeLevel(Board(30, 10, 30), sampleCamera);
    EXPECT_TRUE(ParseLevel(largest.data(), largest.size(), true, level, error)) << error;
    const std::vector<uint8_t> tooLarge = EncodeLevel(Board(31, 11, 30), sampleCamera);
    EXPECT_FALSE(ParseLevel(tooLarge.data(), tooLarge.size(), true, level, error));
    EXPECT_EQ(error, "board of 10230 cells is larger than the 9580 the game can show");
}

TEST(LevelFileRejects, BallsOutsideTheBoardAndBadView) {
    Board board = SamplePuzzle();
    for (Vec3 where : {Vec3{-40.0f, 6.0f, 0.0f}, Vec3{0.0f, 6.0f, 300.0f}, Vec3{0.0f, 1e9f, 0.0f}}) {
        board.balls[1].position = where;
        const std::vector<uint8_t> bytes = EncodeLevel(board, sampleCamera);
        LevelData level;
        std::string error;
        EXPECT_FALSE(ParseLevel(bytes.data(), bytes.size(), true, level, error)) << where.x << " " << where.y;
    }
    board = SamplePuzzle();
    // A ball high in the air, under the ceiling, is a valid hand-made level.
    board.balls[1].position.y = 36.0f * 25.0f;
    std::vector<uint8_t> bytes = EncodeLevel(board, sampleCamera);
    LevelData level;
    std::string error;
    EXPECT_TRUE(ParseLevel(bytes.data(), bytes.size(), true, level, error)) << error;

    bytes = EncodeLevel(SamplePuzzle(), OrbitCamera{std::nanf(""), 0.0f, 0.0f});
    EXPECT_FALSE(ParseLevel(bytes.data(), bytes.size(), true, level, error));
    ASSERT_TRUE(ParseLevel(bytes.data(), bytes.size(), false, level, error));  // the view is not needed
    EXPECT_FALSE(level.hasView);
}

TEST(FileIo, ReadWholeFileRespectsItsLimit) {
    ScratchDir dir;
    WriteText(dir.File("f"), std::string(100000, 'x'));
    std::vector<uint8_t> bytes{1, 2, 3};
    EXPECT_FALSE(ReadWholeFile(dir.File("f"), 99999, bytes));
    EXPECT_EQ(bytes.size(), 3u);
    EXPECT_TRUE(ReadWholeFile(dir.File("f"), 100000, bytes));
    EXPECT_EQ(bytes.size(), 100000u);
    EXPECT_FALSE(ReadWholeFile(dir.Path().string(), 100000, bytes));  // a folder is no file
}

}  // namespace
