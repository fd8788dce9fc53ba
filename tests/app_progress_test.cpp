// What the player has earned and chosen is never lost: a progress file that
// cannot be read or is damaged is moved aside and said so, never written
// over; a failed write of the progress or the settings is told at once and
// tried again; the files are replaced whole, with their mode, and what a
// killed write left behind goes at the next start.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/app_fixture.h"

namespace apptest {
namespace {

namespace fs = std::filesystem;

inline std::vector<std::string> boxes;  // the texts of the message boxes shown

class AppProgress : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        boxes.clear();
        platformHooks.showMessage = [](const char*, const char* text) { boxes.push_back(text); };
        adapterModes = {{640, 480, 60, formatR5G6B5}, {800, 600, 60, formatR5G6B5}};
    }

    std::vector<uint8_t> Progress() const { return ReadBytes(Path("score.dat")); }
    static std::vector<uint8_t> Flags() { return {std::begin(solvedFlags), std::end(solvedFlags)}; }
    // The names in the work folder that begin with `prefix`, sorted.
    std::vector<std::string> Names(const std::string& prefix) const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) {
            const std::string name = entry.path().filename().string();
            if (name.rfind(prefix, 0) == 0) names.push_back(name);
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    // Start-up as the game does it: settings, boards, progress.
    void Start() {
        std::string message;
        ASSERT_TRUE(StartGame(message)) << message;
    }
    // Wins puzzle `index` from the list, as a player does.
    void WinPuzzle(int index) {
        WritePuzzle(index, SamplePuzzle());
        gameScreen = GameScreen::MainMenu;
        menuPage = MenuPage::PuzzleSelect;
        currentPuzzle = index / 10 * 10;
        Click(Id(ControlId::PuzzleRowFirst) + index);
        ASSERT_EQ(gameScreen, GameScreen::Play);
        RollSample();
        WinRun();
        ASSERT_NE(dialogState, DialogState::None);
        Click(ControlId::DialogMenu);
    }
};

std::vector<uint8_t> FlagsWith(std::initializer_list<int> solved) {
    std::vector<uint8_t> flags(builtInPuzzleCount, 0);
    for (int i : solved) flags[size_t(i)] = 1;
    return flags;
}

// ---- A damaged or unreadable progress file ----

// A short, long or garbled file: what it gives is taken (a 1 is solved), the
// file itself goes aside byte for byte, the list says where, and a clean file
// with the flags read stands in its place. Before, the game took such a file
// as it was and wrote it back over itself at the next win.
TEST_F(AppProgress, ADamagedFileIsMovedAsideWithWhatItGaveKept) {
    std::vector<uint8_t> garbled(60, 7);
    garbled[4] = garbled[9] = 1;
    const struct { std::vector<uint8_t> file; std::vector<uint8_t> flags; } cases[] = {
        {{1, 0, 1}, FlagsWith({0, 2})},                  // cut short: the rest unsolved
        {garbled, FlagsWith({4, 9})},                    // other bytes than 0 and 1
        {std::vector<uint8_t>(61, 1), std::vector<uint8_t>(60, 1)},  // one byte too many
        {std::vector<uint8_t>(4096, 0), FlagsWith({})},  // a file of something else entirely
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.size());
        fs::remove(Path("score.dat.bad"));
        WriteBytes(Path("score.dat"), c.file);
        Start();
        EXPECT_EQ(Flags(), c.flags);
        EXPECT_EQ(Progress(), c.flags);
        EXPECT_EQ(ReadBytes(Path("score.dat.bad")), c.file);
        EXPECT_EQ(progressNotice, "A hibás score.dat új neve: score.dat.bad");
        EXPECT_TRUE(boxes.empty());
    }
    // A whole file is read as it is, and stays.
    fs::remove(Path("score.dat.bad"));
    WriteBytes(Path("score.dat"), FlagsWith({3, 59}));
    Start();
    EXPECT_EQ(std::tuple(Flags(), int(solvedCount), progressNotice), std::tuple(FlagsWith({3, 59}), 2, std::string()));
    EXPECT_EQ(Names("score.dat"), std::vector<std::string>{"score.dat"});
    // The next win adds to what was read from a short file.
    WriteBytes(Path("score.dat"), {1, 1});
    Start();
    WinPuzzle(7);
    EXPECT_EQ(Progress(), FlagsWith({0, 1, 7}));
    EXPECT_EQ(ReadBytes(Path("score.dat.bad")), (std::vector<uint8_t>{1, 1}));
}

// A progress file that cannot be read at all (a folder, a link that leads
// nowhere, no permission) is never taken for a missing one: it goes aside
// as it is, beside earlier ones, and the game starts with nothing solved.
// Before, a fresh file of 60 zeros replaced it at start.
TEST_F(AppProgress, AnUnreadableFileIsMovedAsideNeverWrittenOver) {
    fs::create_directory(Path("score.dat"));
    WriteBytes(Path("score.dat/inside"), {1, 2, 3});
    Start();
    EXPECT_EQ(ReadBytes(Path("score.dat.bad/inside")), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(Progress(), FlagsWith({}));
    EXPECT_EQ(progressNotice, "Az olvashatatlan score.dat új neve: score.dat.bad");

    // An earlier one is never replaced: the next free name is taken.
    fs::remove(Path("score.dat"));
    fs::create_symlink("score.dat", Path("score.dat"));  // a link to itself: no reading it
    Start();
    EXPECT_EQ(fs::read_symlink(Path("score.dat.bad.1")), "score.dat");
    EXPECT_EQ(ReadBytes(Path("score.dat.bad/inside")), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(progressNotice, "Az olvashatatlan score.dat új neve: score.dat.bad.1");
    EXPECT_EQ(Progress(), FlagsWith({}));

    if (geteuid() != 0) {  // permissions bind everybody but the superuser
        WriteBytes(Path("score.dat"), FlagsWith({5}));
        ASSERT_EQ(chmod(Path("score.dat").c_str(), 0), 0);
        Start();
        ASSERT_EQ(chmod(Path("score.dat.bad.2").c_str(), 0644), 0);
        EXPECT_EQ(ReadBytes(Path("score.dat.bad.2")), FlagsWith({5}));
    }
}

// When a damaged file cannot even be moved aside, it stays as it is and no
// write replaces it: a win says that it could not be kept, and a later win
// moves the file and keeps the progress.
TEST_F(AppProgress, ADamagedFileThatCannotBeMovedIsLeftAloneUntilItCanBe) {
    WriteBytes(Path("score.dat"), {1, 9, 1});
    for (int n = 0; n < 1000; ++n) WriteBytes(Path("score.dat.bad" + (n ? "." + std::to_string(n) : "")), {});
    Start();
    EXPECT_EQ(Progress(), (std::vector<uint8_t>{1, 9, 1}));
    EXPECT_EQ(progressNotice, "A hibás score.dat érintetlen marad, így az eredmény nem menthető.");
    WinPuzzle(4);
    EXPECT_EQ(Progress(), (std::vector<uint8_t>{1, 9, 1}));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find(Path("score.dat")), std::string::npos) << boxes[0];

    fs::remove(Path("score.dat.bad.999"));
    WinPuzzle(5);
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_EQ(Progress(), FlagsWith({0, 2, 4, 5}));
    EXPECT_EQ(ReadBytes(Path("score.dat.bad.999")), (std::vector<uint8_t>{1, 9, 1}));
    EXPECT_EQ(progressNotice, "A hibás score.dat új neve: score.dat.bad.999");
}

// ---- Failed writes ----

// The folder goes away under the game (or stops being writable): the win
// says at once that the progress was not kept, and the next win keeps it.
// Before, the result box showed and nothing was kept, without a word.
TEST_F(AppProgress, AFailedProgressWriteIsToldAndTriedAgainAtTheNextWin) {
    Start();
    WritePuzzle(1, SamplePuzzle());
    WritePuzzle(2, SamplePuzzle());
    const std::string home = folder;
    // The puzzles are read from the data beside the program; the progress goes elsewhere.
    const std::string gone = Path("gone");
    gameScreen = GameScreen::MainMenu;
    StartPuzzle(1);
    workDir = gone;
    RollSample();
    WinRun();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find(gone + "/score.dat"), std::string::npos) << boxes[0];
    EXPECT_EQ(dialogState, DialogState::PuzzleSolved);  // the win itself stands
    EXPECT_EQ(lastStepTime, -1.0);                       // the box's time is not played
    for (int frame = 0; frame < 3; ++frame) FrameStep();  // one box a win, not one a frame
    EXPECT_EQ(boxes.size(), 1u);

    fs::create_directory(gone);
    workDir = home;
    Click(ControlId::DialogNext);  // puzzle 2
    workDir = gone;
    RollSample();
    WinRun();
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_EQ(ReadBytes(gone + "/score.dat"), FlagsWith({1, 2}));
}

// A start where the progress cannot be written loses nothing yet: the list
// says so, without a box; a mode chosen on the options page that cannot be
// kept is told at once, and tried again at the next change and at the end.
TEST_F(AppProgress, FailedSettingsWritesAreToldWhenAChoiceIsLost) {
    const std::string home = folder;
    workDir = Path("gone");
    Start();
    EXPECT_EQ(progressNotice, "A score.dat nem írható, így az eredmény nem menthető.");
    ShutdownGame();  // the mode the game started in: nothing the player chose is lost
    EXPECT_TRUE(boxes.empty());

    gameScreen = GameScreen::MainMenu;
    Click(ControlId::MainOptions);
    Click(ControlId::ResolutionDown);
    Click(ControlId::DialogOk);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find(Path("gone/video.ini")), std::string::npos) << boxes[0];
    fs::create_directory(Path("gone"));
    ShutdownGame();
    EXPECT_EQ(boxes.size(), 1u);
    const std::vector<uint8_t> kept = ReadBytes(Path("gone/video.ini"));
    ASSERT_EQ(kept.size(), 16u);
    EXPECT_EQ(kept[0] | kept[1] << 8, 640);

    // Every change is kept at once, not only at a normal shutdown.
    Click(ControlId::ResolutionUp);
    Click(ControlId::DialogOk);
    const std::vector<uint8_t> changed = ReadBytes(Path("gone/video.ini"));
    ASSERT_EQ(changed.size(), 16u);
    EXPECT_EQ(changed[0] | changed[1] << 8, 800);
    workDir = home;
}

// ---- The atomic write ----

// A process id that no running process has: a child that has ended.
pid_t EndedProcess() {
    const pid_t child = fork();
    if (child == 0) _exit(0);
    waitpid(child, nullptr, 0);
    return child;
}

// The temporary file is the writer's own (another copy's, or a folder in the
// way, does not stop it), the file keeps its mode, and what a killed writer
// left behind is removed at start, while another running copy's is not.
// Before, one fixed NAME.tmp served every copy, the mode went back to 0644,
// and a killed write's NAME.tmp stayed for good.
TEST_F(AppProgress, WritesUseTheirOwnTemporaryFileKeepTheModeAndLeaveNothing) {
    const std::string file = Path("score.dat");
    fs::create_directory(file + ".tmp");  // in the way of a fixed temporary name
    const std::string running = file + ".tmp." + std::to_string(getppid()) + ".1";
    WriteBytes(running, {4, 4});  // another copy of the game, writing right now
    const std::vector<uint8_t> data(60, 1);
    WriteBytes(file, {0});
    ASSERT_EQ(chmod(file.c_str(), 0604), 0);
    ASSERT_TRUE(WriteFileAtomically(file, data.data(), data.size()));
    EXPECT_EQ(ReadBytes(file), data);
    struct stat info {};
    ASSERT_EQ(stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0604u);
    EXPECT_EQ(ReadBytes(running), (std::vector<uint8_t>{4, 4}));
    EXPECT_EQ(Names("score.dat"), (std::vector<std::string>{"score.dat", "score.dat.tmp", "score.dat.tmp." +
                                                                 std::to_string(getppid()) + ".1"}));

    // A write that fails leaves nothing behind either.
    EXPECT_FALSE(WriteFileAtomically(Path("gone/score.dat"), data.data(), data.size()));

    // Killed writers' files: of older versions, of ended processes, of this one.
    const std::string ended = std::to_string(EndedProcess());
    for (const std::string& name : std::vector<std::string>{"score.dat.tmp." + ended + ".3", "score.dat.tmp." + ended +
                                    ".12", "score.dat.tmp." + std::to_string(getpid()) + ".2", "video.ini.tmp",
                                    "video.ini.tmp." + ended + ".1"})
        WriteBytes(Path(name), {9});
    for (const std::string& name :
         std::vector<std::string>{"score.dat.tmpx", "score.dat.tmp.1x.2", "score.dat.tmp." + ended + "."})
        WriteBytes(Path(name), {8});  // not names this game gives
    Start();
    const std::vector<std::string> kept = {"score.dat", "score.dat.tmp", "score.dat.tmp." + ended + ".",
                                           "score.dat.tmp." + std::to_string(getppid()) + ".1",
                                           "score.dat.tmp.1x.2", "score.dat.tmpx"};
    std::vector<std::string> sorted = kept;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(Names("score.dat"), sorted);
    EXPECT_EQ(Names("video.ini"), std::vector<std::string>{"video.ini"});
    EXPECT_EQ(Progress(), data);  // read, whole, and left as it was
}

}  // namespace
}  // namespace apptest
