// The game's readers refuse what they cannot read, and say so: a FIFO or a
// device is never waited on, a picture is taken only as a whole true-colour
// TGA, an interface picture or element mesh that cannot be loaded is named on
// stderr, and a built-in puzzle or a chosen level that cannot be read is told
// in a box while the game stays where it was.
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <thread>

#include "app_fixture.h"
#include "audio/ogg_decoder.h"
#include "gfx/device.h"
#include "scene/element_meshes.h"
#include "scene/mesh.h"
#include "ui/interface.h"

namespace {

namespace fs = std::filesystem;
using apptest::dialogPath;
const std::string buildData = std::string(TUMBLEON_BUILD_DIR) + "/adatok/";

std::vector<uint8_t> Cut(std::vector<uint8_t> bytes, size_t size) {
    bytes.resize(size);
    return bytes;
}

// ---- FIFOs and devices ----

// Runs `reader` on a FIFO holding `bytes`. The test keeps a write end open, so
// opening the FIFO never waits; a reader that takes the FIFO for a file reads
// the bytes, and the write end is closed once they are gone, so that reader
// then meets the end and returns true instead of waiting for ever. A reader
// that refuses the FIFO returns false without taking a byte. No time limit.
bool ReaderTakesFifo(const std::string& path, const std::vector<uint8_t>& bytes, const std::function<bool()>& reader) {
    EXPECT_EQ(::mkfifo(path.c_str(), 0600), 0);
    const int writeEnd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    EXPECT_GE(writeEnd, 0);
    const size_t size = std::min(bytes.size(), size_t{60000});  // within the pipe's buffer
    EXPECT_EQ(::write(writeEnd, bytes.data(), size), static_cast<ssize_t>(size));
    std::atomic<bool> done{false};
    bool taken = false;
    std::thread readerThread([&] {
        taken = reader();
        done = true;
    });
    int pending = 0;
    while (!done && ::ioctl(writeEnd, FIONREAD, &pending) == 0 && pending > 0) std::this_thread::yield();
    ::close(writeEnd);
    readerThread.join();
    ::unlink(path.c_str());
    return taken;
}

TEST(FileReaders, EveryReaderRefusesAFifoAtOnce) {
    ScratchDir dir;
    workDir = dir.Path().string();
    Board level = SamplePuzzle();
    OrbitCamera camera;
    std::string name;
    Pixels pixels;
    int width = 0, height = 0;
    struct Case {
        const char* reader;
        std::string file;
        std::vector<uint8_t> bytes;
        std::function<bool(const std::string&)> read;
    };
    const Case cases[] = {
        {"level", "f.tm3", EncodeLevel(level, camera),
         [&](const std::string& p) { return ReadLevelFile(p, true, level, camera, name); }},
        {"progress", "score.dat", std::vector<uint8_t>(60, 1), [](const std::string&) { return ReadProgress() != ProgressFile::Unreadable; }},
        {"settings", "video.ini", std::vector<uint8_t>(16, 7), [](const std::string&) { return ReadVideoSettings(); }},
        {"picture", "p.tga", ReadBytes(buildData + "kepek_hun/dialog.tga"),
         [&](const std::string& p) { return ReadImageFile(p, 0, pixels); }},
        {"picture size", "p.tga", ReadBytes(buildData + "kepek_hun/dialog.tga"),
         [&](const std::string& p) { return ReadImageSize(p, width, height); }},
        {"whole file (sound pack, tm3)", "sfx.pck", ReadBytes(buildData + "sfx.pck"),
         [](const std::string& p) { std::vector<uint8_t> b; return ReadWholeFile(p, 1 << 20, b); }},
        {"mesh", "m.x", ReadBytes(buildData + "3dx/kocka_cel.x"),
         [](const std::string& p) { Mesh mesh("m"); return mesh.Read(p) == MeshResult::Ok; }},
        {"music", "golyo.ogg", ReadBytes(buildData + "golyo.ogg"),
         [](const std::string& p) { OggDecoder music; std::string error; return music.Open(p, error); }},
    };
    for (const Case& c : cases) {
        const std::string path = dir.File(c.file);
        EXPECT_FALSE(ReaderTakesFifo(path, c.bytes, [&] { return c.read(path); })) << c.reader;
    }
    // A device reads on for ever; the readers that take only a file's start took it too.
    fs::create_symlink("/dev/zero", dir.File("score.dat"));
    fs::create_symlink("/dev/zero", dir.File("video.ini"));
    EXPECT_EQ(ReadProgress(), ProgressFile::Unreadable);
    EXPECT_FALSE(ReadVideoSettings());
}

// ---- Pictures ----

std::vector<uint8_t> Tga(int type, int bits, int width, int height, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> file = {0, 0, uint8_t(type), 0, 0, 0, 0, 0, 0, 0, 0, 0, uint8_t(width), uint8_t(width >> 8),
                                 uint8_t(height), uint8_t(height >> 8), uint8_t(bits), 0x20};
    for (uint8_t byte : data) file.push_back(byte);
    return file;
}

TEST(Pictures, OnlyAWholeTrueColourTgaIsTaken) {
    ScratchDir dir;
    const std::vector<uint8_t> rle = ReadBytes(buildData + "3dx/bomb.tga");
    const std::vector<uint8_t> raw = ReadBytes(buildData + "kepek_hun/menu_ujra.tga");
    ASSERT_TRUE(rle.size() > 18 && raw.size() > 18) << "the built game's pictures are missing";
    ASSERT_EQ(std::tuple(rle[2], raw[2]), std::tuple(10, 2));  // a mesh texture is run-length coded, a button raw
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        bool taken;
        bool sizeRead;  // the size alone comes from the header, so a short file still gives it
    };
    const Case cases[] = {
        {"a game picture", rle, true, true},
        {"a button", raw, true, true},
        {"raw 24-bit, top row first", Tga(2, 24, 3, 2, std::vector<uint8_t>(18, 0x80)), true, true},
        {"raw, one byte short", Cut(raw, raw.size() - 1), false, true},
        {"run-length, one byte short", Cut(rle, rle.size() - 1), false, true},
        {"run-length, half", Cut(rle, rle.size() / 2), false, true},
        {"header only", Cut(rle, 18), false, true},
        {"empty", {}, false, false},
        {"zeroed", std::vector<uint8_t>(rle.size(), 0), false, false},
        {"garbage", std::vector<uint8_t>(rle.size(), 0xC3), false, false},
        {"colour-mapped", Tga(1, 8, 3, 2, std::vector<uint8_t>(64, 1)), false, false},
        {"grey", Tga(3, 8, 3, 2, std::vector<uint8_t>(6, 1)), false, false},
        {"16 bits", Tga(2, 16, 3, 2, std::vector<uint8_t>(12, 1)), false, false},
        {"no width", Tga(2, 24, 0, 2, {}), false, false},
        {"too wide", Tga(10, 32, 5000, 1, std::vector<uint8_t>(5, 0xFF)), false, false},
        {"PPM under a TGA name", {'P', '6', '\n', '1', ' ', '1', '\n', '2', '5', '5', '\n', 255, 0, 0}, false, false},
        {"BMP under a TGA name",
         {'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 24, 0,
          0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 255, 0},
         false, false},
    };
    for (const Case& c : cases) {
        const std::string path = dir.File("picture.tga");
        WriteBytes(path, c.bytes);
        Pixels pixels;
        int width = 0, height = 0;
        EXPECT_EQ(ReadImageFile(path, 0, pixels), c.taken) << c.what;
        EXPECT_EQ(pixels.rgba.size(), size_t(pixels.width) * size_t(pixels.height) * 4) << c.what;
        EXPECT_EQ(ReadImageSize(path, width, height), c.sizeRead) << c.what;
    }
}

// ---- What is named on stderr ----

// A copy of the built game's data folder in which the test may break files.
void CopyData(const ScratchDir& dir, const std::string& sub) {
    fs::create_directories(dir.Path() / "adatok");
    fs::copy(buildData + sub, dir.Path() / "adatok" / sub, fs::copy_options::recursive);
}

TEST(Startup, AnInterfacePictureOrElementMeshThatCannotBeLoadedIsNamed) {
    ScratchDir dir;
    CopyData(dir, "kepek_hun");
    CopyData(dir, "3dx");
    const std::string picture = dir.File("adatok/kepek_hun/menu_ujra.tga");
    WriteBytes(picture, Cut(ReadBytes(picture), 100));
    const std::string mesh = dir.File("adatok/3dx/kocka_cel.x");
    WriteText(mesh, "xof 0303txt 0032\nMesh { 3; 0.0; broken");
    workDir = dir.Path().string();

    testing::internal::CaptureStderr();
    LoadInterfaceImages();
    LoadElementMeshes(workDir);
    const std::string said = testing::internal::GetCapturedStderr();
    ReleaseInterfaceImages();
    LoadElementMeshes(TUMBLEON_BUILD_DIR);  // the other tests draw with the real meshes

    EXPECT_NE(said.find(picture), std::string::npos) << said;
    EXPECT_NE(said.find(mesh), std::string::npos) << said;
    // The logos, not copied, are missing: one line for each of them, none for the good files.
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 4) << said;
}

// ---- Puzzles and levels that cannot be read ----

class AppReaders : public apptest::AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        messages.clear();
        platformHooks.showMessage = [](const char* title, const char* text) {
            messages.push_back(std::string(title) + "\n" + text);
        };
    }
    inline static std::vector<std::string> messages;
};

// What a damaged file may look like.
std::vector<std::pair<const char*, std::vector<uint8_t>>> DamagedLevels() {
    const std::vector<uint8_t> good = EncodeLevel(SamplePuzzle(), OrbitCamera{});
    return {{"truncated", Cut(good, good.size() / 2)},
            {"empty", {}},
            {"zeroed", std::vector<uint8_t>(good.size(), 0)},
            {"garbage", std::vector<uint8_t>(good.size(), 0x5A)}};
}

TEST_F(AppReaders, ABuiltInPuzzleThatCannotBeReadIsToldAndTheListStays) {
    gameScreen = GameScreen::MainMenu;
    ClickOnMainPage(ControlId::MainStart);
    const Board before = board;
    for (const auto& [damage, bytes] : DamagedLevels()) {
        WriteLevel(PuzzlePath(4), SamplePuzzle());
        WriteBytes(PuzzlePath(4), bytes);
        messages.clear();
        Click(Id(ControlId::PuzzleRowFirst) + 4);
        EXPECT_EQ(std::tuple(gameScreen, menuPage, currentPuzzle, levelName),
                  std::tuple(GameScreen::MainMenu, MenuPage::PuzzleSelect, 0, std::string()))
            << damage;
        EXPECT_EQ(board.cells, before.cells) << damage;
        ASSERT_EQ(messages.size(), 1u) << damage;
        EXPECT_NE(messages[0].find(PuzzlePath(4)), std::string::npos) << messages[0];
    }
    // The result box's next button, on to a puzzle that cannot be read: the box stays.
    OpenSamplePuzzle(2);
    RollSample();
    WinRun();
    ASSERT_EQ(dialogState, DialogState::PuzzleSolved);
    messages.clear();
    const int debrisClears = apptest::debrisClears;
    Click(ControlId::DialogNext);  // puzzle 3 has no file
    EXPECT_EQ(std::tuple(gameScreen, dialogState, currentPuzzle, apptest::debrisClears),
              std::tuple(GameScreen::Run, DialogState::PuzzleSolved, 2, debrisClears));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find(PuzzlePath(3)), std::string::npos) << messages[0];
}

TEST_F(AppReaders, ALevelFromTheLoadDialogThatCannotBeReadIsTold) {
    dialogPath = Path("chosen.tm3");
    for (const auto& [damage, bytes] : DamagedLevels()) {
        WriteBytes(dialogPath, bytes);
        // From the main menu: the menu stays.
        gameScreen = GameScreen::MainMenu;
        menuPage = MenuPage::Main;
        messages.clear();
        ClickOnMainPage(ControlId::MainLoad);
        EXPECT_EQ(std::tuple(gameScreen, menuPage), std::tuple(GameScreen::MainMenu, MenuPage::Main)) << damage;
        ASSERT_EQ(messages.size(), 1u) << damage;
        EXPECT_NE(messages[0].find(dialogPath), std::string::npos) << messages[0];
        // In the editor: the level on the board and its test stay.
        ClickOnMainPage(ControlId::MainEditor);
        levelTested = true;
        const std::vector<int8_t> cells = board.cells;
        messages.clear();
        Click(ControlId::EditorLoad);
        EXPECT_EQ(std::tuple(gameScreen, board.cells, levelTested), std::tuple(GameScreen::Editor, cells, true))
            << damage;
        ASSERT_EQ(messages.size(), 1u) << damage;
        EXPECT_NE(messages[0].find("Betöltés sikertelen"), std::string::npos) << messages[0];
        Click(ControlId::Exit);
    }
}

}  // namespace
