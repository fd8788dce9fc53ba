// Level files: the byte layout, round trips, names, and rejection of anything
// that is not a level the board can hold.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "board/file_io.h"
#include "board/level_file.h"
#include "tests/test_support.h"

namespace {

// The sample puzzle with every ball field in use: a direction, a lock, and a
// position off the cell's placing position.
Board Sample() {
    Board board = SamplePuzzle();
    board.balls[0].direction = static_cast<int8_t>(LaunchDirection::PlusZ);
    board.balls[0].lock = static_cast<int8_t>(BallLock::FixedBall);
    board.balls[1].position = {140.25f, 40.5f, 170.0f};
    board.goalCount = 2;
    return board;
}

const OrbitCamera sampleCamera{12.5f, 0.75f, -2.25f};
constexpr size_t firstBall = 9 + 144;

void ExpectSameLevel(const Board& a, const Board& b) {
    EXPECT_EQ(EncodeLevel(a, sampleCamera), EncodeLevel(b, sampleCamera));
}

// The state a rejected read must leave exactly as it was.
struct Untouched {
    Board board = Sample();
    OrbitCamera camera{7.0f, 0.5f, 1.0f};
    std::string levelName = "before";

    void ExpectUnchanged() const {
        ExpectSameLevel(board, Sample());
        EXPECT_EQ(camera.cameraDistance, 7.0f);
        EXPECT_EQ(camera.cameraYaw, 1.0f);
        EXPECT_EQ(levelName, "before");
    }
};

// The documented record: header, cells, 16 bytes a ball, then the view.
TEST(LevelFile, LayoutIsTheDocumentedRecord) {
    const std::vector<uint8_t> bytes = EncodeLevel(Sample(), sampleCamera);
    ASSERT_EQ(bytes.size(), firstBall + 32u + 12u);
    EXPECT_EQ(std::memcmp(bytes.data(), "TM30\x06\x04\x06\x02\x02", 9), 0);
    const uint8_t ball[] = {kindIronBall, 2, 2, 0, 0, 0, 0x10, 0x42, 0, 0, 0x9C, 0x42, 0, 0, 0x10, 0x42};  // 36, 78, 36
    EXPECT_EQ(std::memcmp(bytes.data() + firstBall, ball, sizeof ball), 0);
    const uint8_t view[] = {0, 0, 0x48, 0x41, 0, 0, 0x40, 0x3F, 0, 0, 0x10, 0xC0};  // 12.5, 0.75, -2.25
    EXPECT_EQ(std::memcmp(bytes.data() + bytes.size() - 12, view, 12), 0);
}

TEST(LevelFile, WriteThenReadRestoresEverything) {
    ScratchDir dir;
    const std::string path = dir.File("my.first.tm3");
    std::string name;
    ASSERT_TRUE(WriteLevelFile(path, Sample(), sampleCamera, name));
    EXPECT_EQ(name, "my");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);  // no temporary left

    // Read-only, as the installed puzzles are.
    std::filesystem::permissions(path, std::filesystem::perms::owner_read);
    Board board(10, 10, 10);
    board.stock[kindPlainCube] = 4;
    board.balls[1].velocity = {1.0f, 1.0f, 1.0f};
    OrbitCamera camera;
    std::string readName;
    ASSERT_TRUE(ReadLevelFile(path, true, board, camera, readName));
    ExpectSameLevel(board, Sample());
    EXPECT_EQ(board.cellCount, 144);
    EXPECT_EQ(camera.cameraDistance, 12.5f);
    EXPECT_EQ(camera.cameraPitch, 0.75f);
    EXPECT_EQ(camera.cameraYaw, -2.25f);
    EXPECT_EQ(readName, "my");
    EXPECT_EQ(board.balls[1].velocity.x, 0.0f);
    EXPECT_EQ(board.stock[kindPlainCube], 4);  // the stock waits for the preparation

    // Without the view (the menu's demo board) the camera keeps turning on its own.
    OrbitCamera demoCamera{3.0f, 0.25f, 0.5f};
    ASSERT_TRUE(ReadLevelFile(path, false, board, demoCamera, readName));
    EXPECT_EQ(demoCamera.cameraDistance, 3.0f);
    EXPECT_EQ(demoCamera.cameraYaw, 0.5f);

    // Written again over an older file, the bytes are the same.
    const std::string again = dir.File("again.tm3");
    WriteText(again, "old contents, longer than nothing");
    ASSERT_TRUE(WriteLevelFile(again, board, camera, name));
    EXPECT_EQ(ReadBytes(again), ReadBytes(path));
}

TEST(LevelFile, NamesAndMissingFiles) {
    EXPECT_EQ(LevelNameFromPath("C:\\levels\\my.first.tm3"), "my");
    EXPECT_EQ(LevelNameFromPath("/dir.with.dots/x"), "x");
    Untouched state;
    EXPECT_FALSE(ReadLevelFile("/nonexistent/x.tm3", true, state.board, state.camera, state.levelName));
    EXPECT_FALSE(WriteLevelFile("/nonexistent/x.tm3", state.board, state.camera, state.levelName));
    state.ExpectUnchanged();
}

// Every prefix of a valid file is rejected with nothing changed; with the view
// not wanted, a file that stops right after the balls still loads.
TEST(LevelFileRejects, EveryTruncation) {
    ScratchDir dir;
    const std::string path = dir.File("cut.tm3");
    const std::vector<uint8_t> full = EncodeLevel(Sample(), sampleCamera);
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

TEST(LevelFileRejects, BadHeaderCellsBallsAndView) {
    const std::vector<uint8_t> good = EncodeLevel(Sample(), sampleCamera);
    struct Case { const char* what; size_t offset; uint8_t value; };
    const Case cases[] = {
        {"magic byte 3", 3, '1'},          {"zero width", 4, 0},
        {"negative rows", 6, 0x80},        {"ball count -1", 7, 0xFF},
        {"ball count 101", 7, 101},        {"goal count -1", 8, 0xFF},
        {"negative cell", 9, 0xF0},        {"unknown kind 20", 10, 20},
        {"unknown flagged kind", 11, 64 + 25}, {"ball kind 11", firstBall, 11},
        {"ball kind 16", firstBall + 16, 16}, {"direction 6", firstBall + 1, 6},
        {"lock 3", firstBall + 2, 3},      {"ball below the floor", firstBall + 11, 0xC3},
        {"NaN view", good.size() - 9, 0xFF},
    };
    ScratchDir dir;
    const std::string path = dir.File("bad.tm3");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> bytes = good;
        bytes[c.offset] = c.value;
        bytes[firstBall + 10] = c.offset == firstBall + 11 ? 0x80 : bytes[firstBall + 10];  // y = -256
        if (c.offset == good.size() - 9) bytes[c.offset - 1] = 0xFF;  // a NaN distance
        WriteBytes(path, bytes);
        Untouched state;
        std::string error;
        EXPECT_FALSE(ReadLevelFile(path, true, state.board, state.camera, state.levelName, &error));
        EXPECT_FALSE(error.empty());
        state.ExpectUnchanged();
    }
    // A view that is not a set of numbers counts as none where no view is needed.
    std::vector<uint8_t> bytes = EncodeLevel(Sample(), OrbitCamera{std::nanf(""), 0.0f, 0.0f});
    LevelData level;
    std::string error;
    ASSERT_TRUE(ParseLevel(bytes.data(), bytes.size(), false, level, error));
    EXPECT_FALSE(level.hasView);
}

TEST(LevelFileRejects, BoardsTooLargeToShowAndBallsOutsideTheBoard) {
    LevelData level;
    std::string error;
    const std::vector<uint8_t> largest = EncodeLevel(Board(30, 10, 30), sampleCamera);
    EXPECT_TRUE(ParseLevel(largest.data(), largest.size(), true, level, error)) << error;
    const std::vector<uint8_t> tooLarge = EncodeLevel(Board(31, 11, 30), sampleCamera);
    EXPECT_FALSE(ParseLevel(tooLarge.data(), tooLarge.size(), true, level, error));
    EXPECT_EQ(error, "board of 10230 cells is larger than the 9580 the game can show");

    // Inside the columns and rows, from the ground to ten times the height.
    for (auto [where, valid] : {std::pair{Vec3{-40.0f, 6.0f, 0.0f}, false}, {Vec3{0.0f, 6.0f, 240.0f}, false},
                                {Vec3{0.0f, 1e9f, 0.0f}, false}, {Vec3{200.0f, 6.0f, 0.0f}, false},
                                {Vec3{0.0f, 36.0f * 25.0f, 0.0f}, true}, {Vec3{-17.0f, 6.0f, 200.0f}, true}}) {
        Board board = Sample();
        board.sizeZ = 7;  // a board deeper than wide, so that the axes cannot be mixed up
        board.cellCount = 6 * 4 * 7;
        board.cells.resize(size_t(board.cellCount));
        board.balls[1].position = where;
        const std::vector<uint8_t> bytes = EncodeLevel(board, sampleCamera);
        EXPECT_EQ(ParseLevel(bytes.data(), bytes.size(), true, level, error), valid) << where.x << " " << where.y;
    }
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
