// A window or full screen: window.ini beside video.ini, read with care at
// start, and the F11 and Alt+Enter keys that switch and remember the choice.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "app_fixture.h"

namespace {

std::vector<bool> switches;  // each switch the window layer was asked for: true = to a window
bool switchAnswer = true;    // what the fake window layer answers
std::vector<std::string> boxes;

bool FakeShowInWindow(bool inWindow) {
    switches.push_back(inWindow);
    return switchAnswer;
}
void RecordBox(const char* title, const char* text) { boxes.push_back(std::string(title) + "|" + text); }

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

class AppWindow : public apptest::AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        switches.clear();
        boxes.clear();
        switchAnswer = true;
        platformHooks.showInWindow = FakeShowInWindow;
        platformHooks.showMessage = RecordBox;
        apptest::adapterModes = {{1024, 768, 60, formatA8R8G8B8}, {800, 600, 60, formatA8R8G8B8}};
    }
    // A start of the display settings; what it said on stderr.
    std::string Start() {
        ResetVideoState();
        std::string message;
        testing::internal::CaptureStderr();
        EXPECT_TRUE(StartDisplaySettings(message)) << message;
        return testing::internal::GetCapturedStderr();
    }
    std::string Ini() const { return Path("window.ini"); }
    std::vector<uint8_t> Video() const { return ReadBytes(Path("video.ini")); }
    void AltEnter(bool wasDown = false) {
        WindowProc(Message::Key(MessageType::KeyDown, KeyCode::Return, wasDown, true));
        WindowProc(Message::Key(MessageType::KeyUp, KeyCode::Return));
    }
};

// The two words, with or without a line end, are the choice; anything else in
// its place (or a thing that is no file) starts full screen with one line on
// stderr naming the file, and stays as it was: nothing is written at start.
TEST_F(AppWindow, WindowIniHoldsTheChoiceAndAnythingElseStartsFullScreen) {
    EXPECT_EQ(Start(), "");  // no file: full screen, not a word said, none written
    EXPECT_FALSE(::Video().windowed);
    EXPECT_FALSE(std::filesystem::exists(Ini()));
    const struct { std::vector<uint8_t> content; bool inWindow; } good[] = {
        {Bytes("window\n"), true}, {Bytes("window"), true}, {Bytes("window\r\n"), true},
        {Bytes("fullscreen\n"), false}, {Bytes("fullscreen"), false},
    };
    for (const auto& c : good) {
        SetWindowed(!c.inWindow);
        WriteBytes(Ini(), c.content);
        EXPECT_EQ(Start(), "");
        EXPECT_EQ(::Video().windowed, c.inWindow) << std::string(c.content.begin(), c.content.end());
    }
    const std::vector<uint8_t> bad[] = {
        {}, Bytes("Window\n"), Bytes("window\nwindow\n"), Bytes(" window"), Bytes("window\n\n"), Bytes("1"),
        {'w', 'i', 'n', 'd', 'o', 'w', 0}, {0xFF, 0xFE, 0, 'w'}, std::vector<uint8_t>(1 << 20, 'w'),
        Bytes("window" + std::string(40, '\n')),
    };
    for (const auto& content : bad) {
        WriteBytes(Ini(), Bytes("window\n"));
        Start();
        ASSERT_TRUE(::Video().windowed);
        WriteBytes(Ini(), content);
        const std::string said = Start();
        EXPECT_FALSE(::Video().windowed) << content.size();
        EXPECT_NE(said.find(Ini()), std::string::npos) << said;
        EXPECT_NE(said.find("full screen"), std::string::npos) << said;
        EXPECT_EQ(ReadBytes(Ini()), content);  // kept as it was
        EXPECT_EQ(Video().size(), videoSettingsBytes);
    }
    // A folder in its place, or a FIFO, which is refused without waiting for a writer.
    std::filesystem::remove(Ini());
    std::filesystem::create_directory(Ini());
    EXPECT_NE(Start().find(Ini()), std::string::npos);
    EXPECT_FALSE(::Video().windowed);
    std::filesystem::remove(Ini());
    ASSERT_EQ(mkfifo(Ini().c_str(), 0644), 0);
    std::string said;
    std::atomic<bool> done{false};
    std::thread starting([&] {
        said = Start();
        done = true;
    });
    for (int i = 0; i < 500 && !done; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(done) << "the start waits on a FIFO";
    if (!done) ::close(::open(Ini().c_str(), O_WRONLY));  // a writer sets it free
    starting.join();
    EXPECT_NE(said.find(Ini()), std::string::npos) << said;
    EXPECT_FALSE(::Video().windowed);
}

// F11, or Enter with Alt, switches on every screen; the choice is written to
// window.ini at once (video.ini keeps its 16 bytes) and is the next start's.
// A held key's repeats, Enter alone and a switch the window layer refuses
// change nothing.
TEST_F(AppWindow, F11AndAltEnterSwitchOnEveryScreenAndTheChoiceIsKept) {
    Start();
    const std::vector<uint8_t> video = Video();
    ASSERT_EQ(video.size(), videoSettingsBytes);
    for (GameScreen screen : {GameScreen::Splash, GameScreen::MainMenu, GameScreen::Editor, GameScreen::Play,
                              GameScreen::Run}) {
        gameScreen = screen;
        Press(KeyCode::F11);
        ASSERT_TRUE(::Video().windowed) << int(screen);
        EXPECT_EQ(ReadBytes(Ini()), Bytes("window\n"));
        AltEnter();
        ASSERT_FALSE(::Video().windowed) << int(screen);
        EXPECT_EQ(ReadBytes(Ini()), Bytes("fullscreen\n"));
    }
    EXPECT_EQ(switches.size(), 10u);
    Press(KeyCode::F11);
    EXPECT_EQ(switches.back(), true);
    EXPECT_EQ(Start(), "");
    EXPECT_TRUE(::Video().windowed);  // remembered
    EXPECT_EQ(Video(), video);
    EXPECT_TRUE(boxes.empty());
    EXPECT_FALSE(std::filesystem::exists(Ini() + ".tmp"));

    switches.clear();
    Press(KeyCode::F11, true);  // a repeat of a key already held
    AltEnter(true);
    Press(KeyCode::Digit5);
    WindowProc(Message::Key(MessageType::KeyDown, KeyCode::Return));  // Enter alone
    WindowProc(Message::Key(MessageType::KeyUp, KeyCode::F11));
    EXPECT_TRUE(switches.empty());
    switchAnswer = false;
    Press(KeyCode::F11);
    EXPECT_EQ(switches, std::vector<bool>{false});
    EXPECT_TRUE(::Video().windowed);
    EXPECT_EQ(ReadBytes(Ini()), Bytes("window\n"));
    platformHooks.showInWindow = nullptr;  // no window layer: nothing to switch
    Press(KeyCode::F11);
    EXPECT_TRUE(::Video().windowed);
}

// window.ini that cannot be written: the switch stays and a box says the
// choice is not kept, naming the file; the next switch tries again.
TEST_F(AppWindow, AChoiceThatCannotBeKeptIsToldAndTheSwitchStays) {
    Start();
    std::filesystem::create_directories(Ini() + "/in-the-way");
    Press(KeyCode::F11);
    EXPECT_TRUE(::Video().windowed);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].rfind("Beállítás mentése sikertelen|", 0), 0u) << boxes[0];
    EXPECT_NE(boxes[0].find("ablakban"), std::string::npos);
    EXPECT_NE(boxes[0].find(Ini()), std::string::npos);
    std::filesystem::remove_all(Ini());
    Press(KeyCode::F11);
    EXPECT_FALSE(::Video().windowed);
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_EQ(ReadBytes(Ini()), Bytes("fullscreen\n"));
}

}  // namespace
