// The built-in puzzles in their fixed order, the progress file score.dat and
// the puzzle selection page.
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/edit_history.h"
#include "app/game_flow.h"
#include "app/hints.h"
#include "app/player_files.h"
#include "app/platform_hooks.h"
#include "app/texts.h"
#include "board/file_io.h"
#include "board/level_file.h"
#include "sim/effects.h"

const char* const puzzleNames[builtInPuzzleCount] = {
    "irany_a_cel", "kanyarodas", "gumilabda", "femgolyo", "bomba",
    "fem_es_bomba", "ugrato", "csigalepcso", "attores", "mindenki_a_helyen",
    "lejto", "takaritas", "sziget", "hegymaszo", "vedelem",
    "hidak", "lefolyo", "siksag", "megint_siksag", "haromszog",
    "piros_szonyeg", "balkon", "eroter", "varfal", "faltoro",
    "szimmetria", "hatastalanitas", "toronymaszo", "barikad", "T_elagazas",
    "csavar", "utjavitas", "halszalka", "valogatas", "duplacsavar",
    "csak_egy_kocka", "forditott_menet", "lyukasztas", "rugalmassag_teszt", "valasztas",
    "rabok", "s-kanyar", "helycsere", "vitorla", "rendezes",
    "hosszu_idozites", "trukkos_keresztut", "alfal", "spiral", "feketedoboz",
    "csak_korbe", "magszakadt_aramkor", "matrix", "minotaurusz", "bomba-labirintus",
    "rejtett_ugrato", "keringo", "siugras", "piheno", "stonehenge",
};

std::string PuzzlePath(int index) {
    return workDir + "/adatok/palyak_hun/" + puzzleNames[index] + ".tm3";
}

// ---- Progress file: one byte per puzzle, 1 = solved ----

// Where score.dat lives; every use of the path goes through here.
static std::string ProgressPath() { return ProgressFilePath(); }

static void CountSolved() {
    int count = 0;
    for (uint8_t flag : solvedFlags) count += flag == 1;
    solvedCount = static_cast<int8_t>(count);
}

static std::string FileName(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool ParseProgress(const uint8_t* data, size_t size, uint8_t (&flags)[builtInPuzzleCount]) {
    const size_t n = std::min(size, sizeof flags);
    for (size_t i = 0; i < n; ++i) flags[i] = data[i] == 1;
    return size == sizeof flags && std::all_of(data, data + size, [](uint8_t b) { return b <= 1; });
}

ProgressFile ReadProgress() {
    const std::string path = ProgressPath();
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 && errno == ENOENT) return ProgressFile::Missing;
    std::vector<uint8_t> bytes;
    // One byte more than a whole file, to tell a longer one.
    if (!ReadFileStart(path, sizeof solvedFlags + 1, bytes)) return ProgressFile::Unreadable;
    // Nothing in it to lose: as if there were none.
    if (bytes.empty()) return ProgressFile::Missing;
    // A damaged file still gives what it can.
    const bool whole = ParseProgress(bytes.data(), bytes.size(), solvedFlags);
    CountSolved();
    return whole ? ProgressFile::Whole : ProgressFile::Damaged;
}

// Moves a damaged or unreadable score.dat out of the way, so that no write
// replaces it; the puzzle list and stderr say where it went.
static bool PutDamagedProgressAside(ProgressFile found) {
    const std::string path = ProgressPath();
    std::string aside;
    const char* what = found == ProgressFile::Unreadable ? "unreadable" : "damaged";
    if (!MoveFileAside(path, aside)) {
        const int error = errno;
        progressFileHeld = true;
        progressNotice = Text(TextId::ProgressHeld);
        std::fprintf(stderr, "Tumbleon: the progress file %s is %s and cannot be moved aside (%s); it is left as it "
                             "is and no progress is saved over it.\n", path.c_str(), what, std::strerror(error));
        return false;
    }
    progressFileHeld = false;
    progressNotice = Text(found == ProgressFile::Unreadable ? TextId::ProgressUnreadableAside
                                                            : TextId::ProgressDamagedAside) + FileName(aside);
    std::fprintf(stderr, "Tumbleon: the progress file %s is %s; it is kept as %s, and the game goes on with the "
                         "%d solved puzzles it could read.\n", path.c_str(), what, aside.c_str(), int(solvedCount));
    return true;
}

bool WriteProgress() {
    // A damaged file in the way is never written over: each write first tries
    // again to move it aside.
    if (progressFileHeld && !PutDamagedProgressAside(ProgressFile::Damaged)) return false;
    return WriteFileAtomically(ProgressPath(), solvedFlags, sizeof solvedFlags);
}

void SaveProgressAfterWin() {
    if (WriteProgress()) return;
    TellSaveFailure(Text(TextId::ProgressNotSaved1) + ProgressPath() + Text(TextId::ProgressNotSaved2));
}

void StartProgress() {
    std::memset(solvedFlags, 0, sizeof solvedFlags);
    solvedCount = 0;
    progressNotice.clear();
    progressFileHeld = false;
    RemoveWriteLeftovers(ProgressPath());
    const ProgressFile found = ReadProgress();
    if (found == ProgressFile::Whole) return;
    // A damaged file goes aside first; what it gave is written in its place.
    if (found != ProgressFile::Missing && !PutDamagedProgressAside(found)) return;
    if (WriteProgress()) return;
    const int error = errno;
    // Nothing is lost yet: the list says so, and the next win tries again.
    if (progressNotice.empty()) progressNotice = Text(TextId::ProgressUnwritable);
    std::fprintf(stderr, "Tumbleon: the progress file %s cannot be written (%s); solved puzzles are not kept.\n",
                 ProgressPath().c_str(), std::strerror(error));
}

// ---- Starting a puzzle ----

// Reads puzzle i into the board and prepares it. A file that cannot be read
// changes nothing: the player is told which file it is and stays where he was.
static bool LoadPuzzle(int index) {
    const std::string path = PuzzlePath(index);
    if (!ReadLevelFile(path, true, board, camera, levelName)) {
        const std::string text = Text(TextId::PuzzleNotLoaded1) + std::to_string(index + 1) +
                                 Text(TextId::PuzzleNotLoaded2) + path + Text(TextId::PuzzleNotLoaded3);
        if (platformHooks.showMessage) platformHooks.showMessage(Text(TextId::BadPuzzleTitle), text.c_str());
        return false;
    }
    levelName = puzzleNames[index];
    currentPuzzle = index;
    loadedBoard.CopyFrom(board);
    board.PrepareForPlay();
    LoadHints(index);
    return true;
}

void StartPuzzle(int index) {
    if (index < 0 || index >= builtInPuzzleCount) return;
    if (!LoadPuzzle(index)) return;
    ClearDebris();
    OpenPreparedPuzzle();
}

void PreviousPuzzlePage() {
    currentPuzzle -= 10;
    if (currentPuzzle < 0) {
        currentPuzzle = 0;
        return;
    }
    PlaySoundEffect(SoundEffectId::Button);
}

void NextPuzzlePage() {
    currentPuzzle += 10;
    if (currentPuzzle + 10 > builtInPuzzleCount) {
        currentPuzzle = builtInPuzzleCount - 10;
        return;
    }
    PlaySoundEffect(SoundEffectId::Button);
}

void StartNextUnsolvedPuzzle() {
    PlaySoundEffect(SoundEffectId::Button);
    int i = currentPuzzle < 0 ? 0 : currentPuzzle;
    // Walks on from the puzzle just solved, wrapping past the last one.
    while (solvedFlags[i % builtInPuzzleCount] == 1 && i <= 2 * builtInPuzzleCount) ++i;
    // A puzzle that cannot be read leaves the result box up over the run's
    // last picture, debris and all, its menu button the way on.
    if (!LoadPuzzle(i % builtInPuzzleCount)) return;
    ClearDebris();
    OpenPreparedPuzzle();
}

void OpenPreparedPuzzle() {
    ballsAtTarget = 0;
    menuPage = MenuPage::FromPlay;
    gameScreen = GameScreen::Play;
    editTool = EditTool::Build;
    heldKind = 0;
    ClearEditHistory();
    PlaceElement(0, editTool, PlacePass::Preview);
}
