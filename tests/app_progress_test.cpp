// The progress file score.dat: which built-in puzzles the player has solved.
#include <filesystem>
#include <sys/stat.h>

#include "app_fixture.h"

namespace {

using apptest::AppTest;

class AppProgress : public AppTest {
protected:
    void WriteScore(const std::vector<uint8_t>& bytes) const {
        ASSERT_TRUE(WriteFileAtomically(Path("score.dat"), bytes.data(), bytes.size()));
    }
    std::vector<uint8_t> Score() const {
        std::vector<uint8_t> bytes;
        ReadWholeFile(Path("score.dat"), 1 << 20, bytes);
        return bytes;
    }
};

TEST_F(AppProgress, OnlyTheValueOneCountsAsSolved) {
    std::vector<uint8_t> bytes(60, 0);
    bytes[0] = 1;
    bytes[1] = 2;
    bytes[2] = 1;
    WriteScore(bytes);
    ASSERT_TRUE(ReadProgress());
    EXPECT_EQ(solvedCount, 2);
    EXPECT_EQ(solvedFlags[1], 2);
}

TEST_F(AppProgress, AReadOnlyFileStillCounts) {
    std::vector<uint8_t> bytes(60, 1);
    WriteScore(bytes);
    ASSERT_EQ(chmod(Path("score.dat").c_str(), 0444), 0);
    ASSERT_TRUE(ReadProgress());
    EXPECT_EQ(solvedCount, 60);
}

TEST_F(AppProgress, AShortFileFillsTheFirstPuzzles) {
    WriteScore({1, 1, 0, 1});
    solvedFlags[10] = 1;  // set before: untouched by a short file
    ASSERT_TRUE(ReadProgress());
    EXPECT_EQ(solvedFlags[3], 1);
    EXPECT_EQ(solvedCount, 4);
}

TEST_F(AppProgress, ALongerFileGivesItsFirstSixtyBytes) {
    WriteScore(std::vector<uint8_t>(200000, 1));
    ASSERT_TRUE(ReadProgress());
    EXPECT_EQ(solvedCount, 60);
}

TEST_F(AppProgress, NoFileOrAnEmptyOneStartsAFreshRecord) {
    StartProgress();
    EXPECT_EQ(Score(), std::vector<uint8_t>(60, 0));
    WriteScore({});
    EXPECT_FALSE(ReadProgress());
    solvedFlags[5] = 1;
    StartProgress();
    EXPECT_EQ(solvedCount, 0);
    EXPECT_EQ(Score(), std::vector<uint8_t>(60, 0));
}

TEST_F(AppProgress, StartUpKeepsAnExistingRecord) {
    std::vector<uint8_t> bytes(60, 0);
    bytes[59] = 1;
    WriteScore(bytes);
    StartProgress();
    EXPECT_EQ(solvedCount, 1);
    EXPECT_EQ(Score(), bytes);
}

TEST_F(AppProgress, AFolderWhereNothingCanBeWrittenKeepsTheOldFile) {
    std::vector<uint8_t> bytes(60, 0);
    bytes[0] = 1;
    WriteScore(bytes);
    // The temporary file's place is taken, so the write cannot even begin.
    std::filesystem::create_directory(Path("score.dat.tmp"));
    solvedFlags[1] = 1;
    EXPECT_FALSE(WriteProgress());
    EXPECT_EQ(Score(), bytes);
    workDir = Path("missing");
    EXPECT_FALSE(WriteProgress());
    EXPECT_FALSE(std::filesystem::exists(Path("missing")));
}

TEST_F(AppProgress, AWriteReplacesTheWholeFile) {
    WriteScore(std::vector<uint8_t>(80, 7));
    solvedFlags[2] = 1;
    ASSERT_TRUE(WriteProgress());
    std::vector<uint8_t> expected(60, 0);
    expected[2] = 1;
    EXPECT_EQ(Score(), expected);
    EXPECT_FALSE(std::filesystem::exists(Path("score.dat.tmp")));
}

TEST_F(AppProgress, AFolderInPlaceOfTheFileIsNoProgress) {
    std::filesystem::create_directory(Path("score.dat"));
    EXPECT_FALSE(ReadProgress());
    StartProgress();  // and start-up survives it
    EXPECT_EQ(solvedCount, 0);
}

}  // namespace
