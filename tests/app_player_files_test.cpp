// Where the game finds its data and keeps score.dat and video.ini: beside a
// program whose folder it may write, in the player's XDG folders otherwise,
// with the files beside the program taken over once.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "app/player_files.h"
#include "app_fixture.h"

namespace {

namespace fs = std::filesystem;
using apptest::AppTest;

class PlayerFiles : public AppTest {
protected:
    // A game folder beside the work folder: program/ and a home/ of the player.
    std::string Program() const { return Path("program"); }
    std::string Home() const { return Path("home"); }
    void SetUp() override {
        AppTest::SetUp();
        fs::create_directories(Program());
        fs::create_directories(Home());
    }
    void TearDown() override {
        ForgetPlayerFiles();
        AppTest::TearDown();
    }
    HomeFolders Defaults() const { return {"", "", Home()}; }
    static std::vector<uint8_t> Flags(std::initializer_list<int> solved) {
        std::vector<uint8_t> flags(60, 0);
        for (int i : solved) flags[static_cast<size_t>(i)] = 1;
        return flags;
    }
    static std::vector<uint8_t> Mode(uint8_t width) { return {width, 3, 0, 0, 0, 2, 0, 0, 60, 0, 0, 0, 22, 0, 0, 0}; }
};

TEST_F(PlayerFiles, TheDataFolderIsFoundBesideTheProgramFirstThenInItsShareFolder) {
    const std::string prefix = Path("usr");
    fs::create_directories(prefix + "/bin");
    EXPECT_EQ(FindDataFolder(prefix + "/bin"), "");  // none: the caller names both places
    fs::create_directories(prefix + "/share/tumbleon/adatok");
    EXPECT_EQ(FindDataFolder(prefix + "/bin"), prefix + "/share/tumbleon");
    fs::create_directories(prefix + "/bin/adatok");
    EXPECT_EQ(FindDataFolder(prefix + "/bin"), prefix + "/bin");
    // A file named adatok is no data folder.
    WriteBytes(Path("games/adatok"), {1});
    EXPECT_EQ(FindDataFolder(Path("games")), "");
}

TEST_F(PlayerFiles, AProgramFolderIsWritableOnlyWhenFilesCanBeMadeInIt) {
    EXPECT_TRUE(FolderWritable(Program()));
    EXPECT_FALSE(FolderWritable(Path("nowhere")));
    WriteBytes(Path("plain"), {1});
    EXPECT_FALSE(FolderWritable(Path("plain")));
    if (geteuid() != 0) {  // the superuser writes whatever the mode says
        ASSERT_EQ(chmod(Program().c_str(), 0555), 0);
        EXPECT_FALSE(FolderWritable(Program()));
        ASSERT_EQ(chmod(Program().c_str(), 0755), 0);
    }
}

TEST_F(PlayerFiles, AWritableProgramFolderKeepsBothFilesBesideTheProgram) {
    ChoosePlayerFiles(Program(), true, Defaults());
    EXPECT_EQ(ProgressFilePath(), Program() + "/score.dat");
    EXPECT_EQ(SettingsFilePath(), Program() + "/video.ini");
    EXPECT_FALSE(fs::exists(Home() + "/.local"));  // nothing made in the home
    // Before any choice (and in the tests) both lie in the work folder.
    ForgetPlayerFiles();
    EXPECT_EQ(ProgressFilePath(), folder + "/score.dat");
    EXPECT_EQ(SettingsFilePath(), folder + "/video.ini");
}

TEST_F(PlayerFiles, AReadOnlyProgramFolderKeepsThemInTheXdgFoldersOrTheirDefaults) {
    const struct {
        HomeFolders given;
        std::string progress, settings;
    } cases[] = {
        {Defaults(), Home() + "/.local/share/tumbleon/score.dat", Home() + "/.config/tumbleon/video.ini"},
        {{Path("data"), Path("config"), Home()}, Path("data") + "/tumbleon/score.dat",
         Path("config") + "/tumbleon/video.ini"},
        // A relative value is ignored, as the XDG rules ask.
        {{"data", "config", Home()}, Home() + "/.local/share/tumbleon/score.dat", Home() + "/.config/tumbleon/video.ini"},
    };
    for (const auto& c : cases) {
        ChoosePlayerFiles(Program(), false, c.given);
        EXPECT_EQ(ProgressFilePath(), c.progress);
        EXPECT_EQ(SettingsFilePath(), c.settings);
        // The folders are made, private to the player.
        for (const std::string& path : {c.progress, c.settings}) {
            struct stat info {};
            ASSERT_EQ(stat(fs::path(path).parent_path().c_str(), &info), 0) << path;
            EXPECT_TRUE(S_ISDIR(info.st_mode));
        }
    }
    struct stat info {};
    ASSERT_EQ(stat((Home() + "/.local").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    // Without any home the files stay beside the program, whose writes then fail.
    ChoosePlayerFiles(Program(), false, {});
    EXPECT_EQ(ProgressFilePath(), Program() + "/score.dat");
}

TEST_F(PlayerFiles, FilesBesideTheProgramAreTakenOverOnceAndNeverOverTheHomesOwn) {
    WriteBytes(Program() + "/score.dat", Flags({0, 5}));
    WriteBytes(Program() + "/video.ini", Mode(1));
    ChoosePlayerFiles(Program(), false, Defaults());
    EXPECT_EQ(ReadBytes(ProgressFilePath()), Flags({0, 5}));
    EXPECT_EQ(ReadBytes(SettingsFilePath()), Mode(1));
    // The player plays on; an old copy beside the program changes nothing.
    WriteBytes(ProgressFilePath(), Flags({0, 5, 6}));
    WriteBytes(Program() + "/score.dat", Flags({}));
    WriteBytes(Program() + "/video.ini", Mode(2));
    ChoosePlayerFiles(Program(), false, Defaults());
    EXPECT_EQ(ReadBytes(ProgressFilePath()), Flags({0, 5, 6}));
    EXPECT_EQ(ReadBytes(SettingsFilePath()), Mode(1));
    // Contents are copied as they are, whatever the readers will make of them;
    // a folder of that name is no file to take over.
    const HomeFolders other{Path("data"), Path("config"), Home()};
    WriteBytes(Program() + "/score.dat", {7, 7, 7});
    fs::remove(Program() + "/video.ini");
    fs::create_directory(Program() + "/video.ini");
    ChoosePlayerFiles(Program(), false, other);
    EXPECT_EQ(ReadBytes(ProgressFilePath()), (std::vector<uint8_t>{7, 7, 7}));
    EXPECT_FALSE(fs::exists(SettingsFilePath()));
}

TEST_F(PlayerFiles, AnInstalledGameReadsAndKeepsTheProgressAndTheModeInTheHome) {
    WriteBytes(Program() + "/score.dat", Flags({1, 2}));
    ChoosePlayerFiles(Program(), false, Defaults());
    apptest::adapterModes = {{640, 480, 60, formatR5G6B5}, {800, 600, 60, formatR5G6B5}};
    std::string message;
    ASSERT_TRUE(StartGame(message));
    EXPECT_EQ(solvedCount, 2);
    OpenSamplePuzzle(0);
    RollSample();
    WinRun();
    EXPECT_EQ(dialogState, DialogState::PuzzleSolved);
    ShutdownGame();
    EXPECT_EQ(ReadBytes(Home() + "/.local/share/tumbleon/score.dat"), Flags({0, 1, 2}));
    EXPECT_EQ(ReadBytes(Home() + "/.config/tumbleon/video.ini").size(), 16u);
    // The program's folder is left as it was.
    EXPECT_EQ(ReadBytes(Program() + "/score.dat"), Flags({1, 2}));
    EXPECT_FALSE(fs::exists(Program() + "/video.ini"));
}

}  // namespace
