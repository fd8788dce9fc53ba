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

TEST_F(AppProgress, ReadingTakesTheFirstSixtyBytesAndOnlyOneCountsAsSolved) {
    struct Case {
        std::vector<uint8_t> file;
        int solved;
    };
    std::vector<uint8_t> mixed(60, 0);
    mixed[0] = mixed[2] = 1;
    mixed[1] = 2;  // not a 1: unsolved
    const Case cases[] = {
        {mixed, 2},
        {{1, 1, 0, 1}, 4},                      // a short file fills the first flags; flag 10 stays
        {std::vector<uint8_t>(200000, 1), 60},  // a longer one gives its first 60 bytes
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.size());
        std::fill(std::begin(solvedFlags), std::end(solvedFlags), uint8_t{0});
        solvedFlags[10] = 1;
        WriteScore(c.file);
        ASSERT_EQ(chmod(Path("score.dat").c_str(), 0444), 0);  // read-only is fine for reading
        ASSERT_TRUE(ReadProgress());
        EXPECT_EQ(solvedCount, c.solved);
        ASSERT_EQ(chmod(Path("score.dat").c_str(), 0644), 0);
    }
}

TEST_F(AppProgress, StartUpKeepsARecordOrWritesAFreshOne) {
    StartProgress();  // no file
    EXPECT_EQ(Score(), std::vector<uint8_t>(60, 0));
    WriteScore({});  // an empty one
    solvedFlags[5] = 1;
    StartProgress();
    EXPECT_EQ(solvedCount, 0);
    EXPECT_EQ(Score(), std::vector<uint8_t>(60, 0));
    std::vector<uint8_t> bytes(60, 0);
    bytes[59] = 1;
    WriteScore(bytes);
    StartProgress();
    EXPECT_EQ(solvedCount, 1);
    EXPECT_EQ(Score(), bytes);
    std::filesystem::remove(Path("score.dat"));
    std::filesystem::create_directory(Path("score.dat"));  // a folder in its place
    StartProgress();
    EXPECT_EQ(solvedCount, 0);
}

TEST_F(AppProgress, AWriteReplacesTheWholeFileOrLeavesItAlone) {
    WriteScore(std::vector<uint8_t>(80, 7));
    solvedFlags[2] = 1;
    ASSERT_TRUE(WriteProgress());
    std::vector<uint8_t> expected(60, 0);
    expected[2] = 1;
    EXPECT_EQ(Score(), expected);
    EXPECT_FALSE(std::filesystem::exists(Path("score.dat.tmp")));
    // The temporary file's place is taken, so the write cannot even begin.
    std::filesystem::create_directory(Path("score.dat.tmp"));
    solvedFlags[1] = 1;
    EXPECT_FALSE(WriteProgress());
    EXPECT_EQ(Score(), expected);
    workDir = Path("missing");
    EXPECT_FALSE(WriteProgress());
    EXPECT_FALSE(std::filesystem::exists(Path("missing")));
}

}  // namespace
