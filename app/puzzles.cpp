// The built-in puzzles in their fixed order, the progress file score.dat and
// the puzzle selection page.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "app/game_flow.h"
#include "app/platform_hooks.h"
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

static std::string ProgressPath() { return workDir + "/score.dat"; }

static void CountSolved() {
    int count = 0;
    for (uint8_t flag : solvedFlags) count += flag == 1;
    solvedCount = static_cast<int8_t>(count);
}

bool ParseProgress(const uint8_t* data, size_t size, uint8_t (&flags)[builtInPuzzleCount]) {
    if (size == 0) return false;
    // Only the first 60 bytes count; a shorter file fills only the first flags.
    std::memcpy(flags, data, std::min(size, sizeof flags));
    return true;
}

bool ReadProgress() {
    std::vector<uint8_t> bytes;
    if (!ReadFileStart(ProgressPath(), sizeof solvedFlags, bytes) ||
        !ParseProgress(bytes.data(), bytes.size(), solvedFlags))
        return false;
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

// Reads puzzle i into the board and prepares it. A file that cannot be read
// changes nothing: the player is told which file it is and stays where he was.
static bool LoadPuzzle(int index) {
    const std::string path = PuzzlePath(index);
    if (!ReadLevelFile(path, true, board, camera, levelName)) {
        const std::string text = "A(z) " + std::to_string(index + 1) + ". pálya nem tölthető be:\n" + path +
                                 "\n\nA fájl hiányzik, nem olvasható vagy sérült. Telepítsd újra a játékot, "
                                 "vagy fordítsd le újra (cmake --build build), ez újra elkészíti a pályákat.";
        if (platformHooks.showMessage) platformHooks.showMessage("Hibás pálya", text.c_str());
        return false;
    }
    levelName = puzzleNames[index];
    currentPuzzle = index;
    loadedBoard.CopyFrom(board);
    board.PrepareForPlay();
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
    PlaceElement(0, editTool, PlacePass::Preview);
}
