// The built-in puzzles in their fixed order, the progress file score.dat and
// the puzzle selection page.
#include <algorithm>
#include <cstring>
#include <vector>

#include "app/game_flow.h"
#include "app/player_files.h"
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

static std::string ProgressPath() { return ProgressFilePath(); }

static void CountSolved() {
    int count = 0;
    for (uint8_t flag : solvedFlags) count += flag == 1;
    solvedCount = static_cast<int8_t>(count);
}

bool ReadProgress() {
    std::vector<uint8_t> bytes;
    // Only the first 60 bytes count, whatever follows them.
    if (!ReadFileStart(ProgressPath(), sizeof solvedFlags, bytes) || bytes.empty()) return false;
    // A shorter file fills only the first flags; the others keep their value.
    std::memcpy(solvedFlags, bytes.data(), std::min(bytes.size(), sizeof solvedFlags));
    CountSolved();
    return true;
}

bool WriteProgress() {
    return WriteFileAtomically(ProgressPath(), solvedFlags, sizeof solvedFlags);
}

void StartProgress() {
    std::memset(solvedFlags, 0, sizeof solvedFlags);
    solvedCount = 0;
    if (!ReadProgress()) WriteProgress();
}

// ---- Starting a puzzle ----

// Reads puzzle i into the board and prepares it; a missing file leaves the
// board as it was, which is then played under the puzzle's name.
static void LoadPuzzle(int index) {
    ReadLevelFile(PuzzlePath(index), true, board, camera, levelName);
    levelName = puzzleNames[index];
    currentPuzzle = index;
    loadedBoard.CopyFrom(board);
    board.PrepareForPlay();
}

void StartPuzzle(int index) {
    if (index < 0 || index >= builtInPuzzleCount) return;
    ClearDebris();
    LoadPuzzle(index);
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
    ClearDebris();
    int i = currentPuzzle < 0 ? 0 : currentPuzzle;
    // Walks on from the puzzle just solved, wrapping past the last one.
    while (solvedFlags[i % builtInPuzzleCount] == 1 && i <= 2 * builtInPuzzleCount) ++i;
    LoadPuzzle(i % builtInPuzzleCount);
    OpenPreparedPuzzle();
}

void OpenPreparedPuzzle() {
    ballsAtTarget = 0;
    menuPage = MenuPage::FromPlay;
    gameScreen = GameScreen::Play;
    editTool = EditTool::Build;
    heldKind = 0;
    PlaceElement(0, editTool, PlacePass::Preview);
}
