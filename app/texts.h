// The player's texts in Hungarian and English: one row per text, both
// languages side by side, so that no drawing or message code holds words of
// its own. Texts are UTF-8; the 2D layer converts them for its font.
#pragma once

#include <string>

enum class Language { Hungarian, English };

enum class TextId {
    // The puzzle list and the options page
    SolvedPuzzles,
    SolvedWithHints,
    DefaultRefreshRate,
    // The play and editor screens
    RollRefused,
    Paused,
    Speed,
    // The editor's box before a save
    TestFirst1,
    TestFirst2,
    TestFirst3,
    // The result boxes
    Congratulations,
    CustomSolved,
    RunFailed1,
    RunFailed2,
    TestSolved1,
    TestSolved2,
    TestSolved3,
    PuzzleSolved,
    AllSolved1,
    AllSolved2,
    AllSolved3,
    AllSolved4,
    AllSolved5,
    AllSolved6,
    // Help page 1: the aim and the pieces
    Help1Line1, Help1Line2, Help1Line3, Help1Line4, Help1Line5, Help1Line6, Help1Line7,
    Help1Line8, Help1Line9, Help1Line10, Help1Line11, Help1Line12, Help1Line13, Help1Line14,
    Help1Line15, Help1Line16, Help1Line17, Help1Line18, Help1Line19, Help1Line20, Help1Line21,
    // Help page 2: the balls; the plastic ball's name is two strings whose
    // spaces leave room for each other's letters
    Help2Line1, Help2Line2, Help2Bomb, Help2Bomb1, Help2Bomb2, Help2Bomb3, Help2Iron, Help2Iron1,
    Help2Iron2, Help2Iron3, Help2Balloon, Help2Balloon1, Help2Balloon2, Help2PlasticDark,
    Help2PlasticLight, Help2Plastic1, Help2Plastic2,
    // Help page 3: the controls
    Help3Line1, Help3Line2, Help3Line3, Help3Line4, Help3Line5, Help3Line6, Help3Line7,
    Help3Line8, Help3Line9, Help3Line10, Help3Line11, Help3Line12, Help3Line13,
    // Notices over the puzzle list about the progress file
    ProgressHeld,
    ProgressUnreadableAside,
    ProgressDamagedAside,
    ProgressUnwritable,
    // Message boxes: titles, then texts around a path
    SaveFailedTitle,
    LoadFailedTitle,
    BadPuzzleTitle,
    SettingNotSavedTitle,
    ProgressNotSaved1,
    ProgressNotSaved2,
    HintMarksNotSaved1,
    HintMarksNotSaved2,
    VideoNotSaved1,
    VideoNotSaved2,
    WindowNotSaved1,
    WindowNotSavedInWindow,
    WindowNotSavedFullScreen,
    WindowNotSaved2,
    WindowNotSaved3,
    PuzzleNotLoaded1,
    PuzzleNotLoaded2,
    PuzzleNotLoaded3,
    LevelNotLoaded1,
    LevelNotLoaded2,
    LevelNotSaved1,
    LevelNotSaved2,
    // The level file dialog's titles
    LoadDialogTitle,
    SaveDialogTitle,
    Count
};

constexpr int textCount = static_cast<int>(TextId::Count);

// The text in the game's language, and in a given one.
const char* Text(TextId id);
const char* TextIn(Language language, TextId id);

Language GameLanguage();
void SetGameLanguage(Language language);

// "hu" or "en" as the command line names a language; false for any other word.
bool LanguageFromName(const std::string& name, Language& language);
// The language of a start: the command line's choice when given (flag not
// null), else the first of LC_ALL, LC_MESSAGES and LANG that is set and not
// empty (null or "" for unset): English when it begins with "en", Hungarian
// for everything else and when none is set.
Language ChooseLanguage(const char* flag, const char* lcAll, const char* lcMessages, const char* lang);
