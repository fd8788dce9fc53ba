// The player's texts, Hungarian beside English. The 2D lines must keep to the
// font's letters (no apostrophe or quotes) and to the width of their box.
#include "app/texts.h"

#include <iterator>

namespace {

struct TextRow {
    TextId id;
    const char* hungarian;
    const char* english;
};

using enum TextId;

constexpr TextRow rows[] = {
    {SolvedPuzzles, "Megoldott pályák: ", "Puzzles solved: "},
    {SolvedWithHints, ", ebből súgással: ", ", with hints: "},
    {DefaultRefreshRate, "default Hz", "default Hz"},
    {RollRefused, "Előbb adj indulási irányt minden labdának!", "First give every ball a direction to start in!"},
    {Paused, "Szünet", "Paused"},
    {Speed, "Idő:", "Speed:"},
    {TestFirst1, "Először teszteld le a feladványt!", "Test the puzzle first!"},
    // The gap before "golyónak" is a no-break space; the font draws it as a space.
    {TestFirst2, "A megadott számú\u00A0golyónak", "The given number of balls"},
    {TestFirst3, "ki kell jutnia a kijáraton!", "must get out through the exit!"},
    {Congratulations, "Gratulálunk!", "Well done!"},
    {CustomSolved, "Megfejtetted a feladványt!", "You have solved the puzzle!"},
    {RunFailed1, "Ez most nem sikerült.", "That did not work this time."},
    {RunFailed2, "Próbáld meg másképp!", "Try another way!"},
    {TestSolved1, "A rejtvény működik!", "The puzzle works!"},
    {TestSolved2, "Mentsd ki és feltöltheted az", "Save it, and you can share it on"},
    {TestSolved3, "internetre: ", "the web: "},
    {PuzzleSolved, "Megfejtetted a rejtvényt!", "You have solved the puzzle!"},
    {AllSolved1, "Megfejtetted az összes feladványt!", "You have solved every puzzle!"},
    {AllSolved2, "Látogass el a", "Visit"},
    {AllSolved3, "oldalra és tölts le a játékosok", "and download puzzles made"},
    {AllSolved4, "által szerkesztett rejtvényekből", "by other players,"},
    {AllSolved5, "vagy szerkessz és tölts fel", "or make and share"},
    {AllSolved6, "te magad!", "your own!"},

    {Help1Line1, "A játék célja az, hogy minden", "The aim of the game is to get the"},
    {Help1Line2, "feladványban kijuttasd a kijáraton", "given number of balls out through"},
    {Help1Line3, "a megadott számú labdát.", "the exit in every puzzle."},
    {Help1Line4, "A pálya mellett találhatók a", "Beside the board you find the"},
    {Help1Line5, "feladathoz szükséges eszközök:", "tools the puzzle needs:"},
    {Help1Line6, "labdák és pályaelemek.", "balls and pieces."},
    {Help1Line7, "Az egyes pályaelemeken látható", "The number shown on each piece"},
    {Help1Line8, "számok azt jelzik, hogy hány áll a", "tells how many of it you"},
    {Help1Line9, "rendelkezésedre belőlük.", "have to use."},
    {Help1Line10, "A pályaelemeket bárhova rakhatod", "You may put pieces anywhere"},
    {Help1Line11, "kivéve indítóhelyekre és tüskékre.", "except on launchers and spikes."},
    {Help1Line12, "A labdákat csak az indítóhelyekre", "Balls go on launchers only,"},
    {Help1Line13, "rakhatod, és indulási irányt kell", "and each of them needs a"},
    {Help1Line14, "megadnod nekik.", "direction to start in."},
    {Help1Line15, "A GURÍTÁS gomb megnyomása után", "When you press the ROLL button,"},
    {Help1Line16, " a labdák az általad megadott", " the balls set off in the"},
    {Help1Line17, "irányba indulnak.", "directions you gave them."},
    {Help1Line18, "Ezután a fizika törvényei szerint", "From then on they follow the laws"},
    {Help1Line19, "viselkednek. Ha akadályba ütköznek,", "of physics. When they hit something,"},
    {Help1Line20, "akkor visszapattannak, a sarkok", "they bounce back, corners turn"},
    {Help1Line21, "90 fokban elterelik őket, stb.", "them by 90 degrees, and so on."},

    {Help2Line1, "Egyes golyók sajátságosan", "Some balls behave in"},
    {Help2Line2, "viselkednek:", "their own way:"},
    {Help2Bomb, "Bomba", "Bomb"},
    {Help2Bomb1, "A bomba felrobban, ha nekiütközik", "The bomb explodes when it hits"},
    {Help2Bomb2, "valaminek, kivéve, ha egy sarokelem", "something, unless it meets the"},
    {Help2Bomb3, "lankásabb részének ütközik.", "gentler slope of a corner."},
    {Help2Iron, "Fémgolyó", "Iron ball"},
    {Help2Iron1, "A fémgolyót a mágnes vonzza, és", "The magnet pulls the iron ball and"},
    {Help2Iron2, "csapdába ejti, nehezebb és", "traps it; it is heavier and less"},
    {Help2Iron3, "rugalmatlanabb a többinél.", "bouncy than the others."},
    {Help2Balloon, "Lufi", "Balloon"},
    {Help2Balloon1, "A lufi kipukkad a tüskéken,", "The balloon bursts on spikes;"},
    {Help2Balloon2, "rugalmas és könnyű.", "it is bouncy and light."},
    {Help2PlasticDark, "P  a  z  i", "P a t c"},
    {Help2PlasticLight, "  l  s  t k", " l s i"},
    {Help2Plastic1, "Rugalmas és könnyű labda.", "A bouncy and light ball."},
    {Help2Plastic2, "Nincs semmi speciális tulajdonsága.", "There is nothing special about it."},

    {Help3Line1, "Kezelés:", "Controls:"},
    {Help3Line2, "Kattints bal egérgombbal egy labdára", "Click a ball or a piece (corner,"},
    {Help3Line3, "vagy pályaelemre (sarok, kocka vagy", "block or launcher) with the left"},
    {Help3Line4, "indítóhely) és rakd a pályára.", "mouse button and put it on the board."},
    {Help3Line5, "A labdák lerakása után megjelenik", "Once a ball is placed, 4 arrows"},
    {Help3Line6, "4 nyíl, kattints rá arra, amelyiknek", "appear: click the one pointing the"},
    {Help3Line7, "irányába akarod a labdát indítani.", "way you want the ball to start."},
    {Help3Line8, "A kameraállást a jobb egérgomb", "Hold the right mouse button down"},
    {Help3Line9, "nyomvatartásával tudod állítani.", "to move the camera."},
    {Help3Line10, "Közelíteni és távolítani", "Zoom in and out"},
    {Help3Line11, "a fel-le nyilakkal lehet.", "with the up and down arrow keys."},
    {Help3Line12, "Szerkesztő üzemmódban a pálya méretét", "In the editor, change the size of"},
    {Help3Line13, "az 1,2,5,6 gombokkal változtathatod.", "the board with the 1,2,5,6 keys."},

    {ProgressHeld, "A hibás score.dat érintetlen marad, így az eredmény nem menthető.",
     "The damaged score.dat is left as it is, so no result can be saved."},
    {ProgressUnreadableAside, "Az olvashatatlan score.dat új neve: ", "The unreadable score.dat is now named: "},
    {ProgressDamagedAside, "A hibás score.dat új neve: ", "The damaged score.dat is now named: "},
    {ProgressUnwritable, "A score.dat nem írható, így az eredmény nem menthető.",
     "score.dat cannot be written, so no result can be saved."},

    {SaveFailedTitle, "Mentés sikertelen", "Saving failed"},
    {LoadFailedTitle, "Betöltés sikertelen", "Loading failed"},
    {BadPuzzleTitle, "Hibás pálya", "Damaged puzzle"},
    {SettingNotSavedTitle, "Beállítás mentése sikertelen", "Setting not saved"},
    {ProgressNotSaved1, "A megoldott pályák listáját nem sikerült elmenteni ide:\n",
     "The list of solved puzzles could not be saved here:\n"},
    {ProgressNotSaved2,
     "\n\nEllenőrizd, hogy a mappa létezik és írható. A játék a következő megoldott pályánál újra megpróbálja.",
     "\n\nCheck that the folder exists and can be written to. The game tries again at the next solved puzzle."},
    {HintMarksNotSaved1, "A súgással megoldott pályák jelölését nem sikerült elmenteni ide:\n",
     "The marks of puzzles solved with hints could not be saved here:\n"},
    {HintMarksNotSaved2, "\n\nEllenőrizd, hogy a mappa létezik és írható.",
     "\n\nCheck that the folder exists and can be written to."},
    {VideoNotSaved1, "A megjelenítési beállítást nem sikerült elmenteni ide:\n",
     "The display setting could not be saved here:\n"},
    {VideoNotSaved2,
     "\n\nEllenőrizd, hogy a mappa létezik és írható. A játék a következő változtatásnál és kilépéskor újra "
     "megpróbálja.",
     "\n\nCheck that the folder exists and can be written to. The game tries again at the next change and when "
     "it closes."},
    {WindowNotSaved1, "A játék nem tudta megjegyezni, hogy ", "The game could not remember to run "},
    {WindowNotSavedInWindow, "ablakban", "in a window"},
    {WindowNotSavedFullScreen, "teljes képernyőn", "full screen"},
    {WindowNotSaved2, " fusson; a fájl nem írható:\n", "; the file cannot be written:\n"},
    {WindowNotSaved3, "\n\nMost így marad, de a következő indításkor a korábbi beállítás érvényes.",
     "\n\nIt stays so for now, but the next start keeps to the earlier setting."},
    {PuzzleNotLoaded1, "A(z) ", "Puzzle "},
    {PuzzleNotLoaded2, ". pálya nem tölthető be:\n", " cannot be loaded:\n"},
    {PuzzleNotLoaded3,
     "\n\nA fájl hiányzik, nem olvasható vagy sérült. Telepítsd újra a játékot, vagy fordítsd le újra "
     "(cmake --build build), ez újra elkészíti a pályákat.",
     "\n\nThe file is missing, cannot be read or is damaged. Install the game again, or build it again "
     "(cmake --build build), which makes the puzzles anew."},
    {LevelNotLoaded1, "A pályát nem sikerült betölteni innen:\n", "The level could not be loaded from here:\n"},
    {LevelNotLoaded2, "\n\nA fájl nem olvasható, vagy nem Tumbleon-pálya. A játékban semmi sem változott.",
     "\n\nThe file cannot be read, or it is not a Tumbleon level. Nothing in the game has changed."},
    {LevelNotSaved1, "A pályát nem sikerült elmenteni ide:\n", "The level could not be saved here:\n"},
    {LevelNotSaved2,
     "\n\nEllenőrizd, hogy a mappa létezik és írható. A korábbi fájl változatlan maradt.",
     "\n\nCheck that the folder exists and can be written to. The file that was there is unchanged."},
    {LoadDialogTitle, "Tumbleon - pálya betöltése", "Tumbleon - load a level"},
    {SaveDialogTitle, "Tumbleon - pálya mentése", "Tumbleon - save the level"},
};

// Every text has its row, in the order of the names.
constexpr bool RowsInOrder() {
    for (int i = 0; i < static_cast<int>(std::size(rows)); ++i)
        if (static_cast<int>(rows[i].id) != i) return false;
    return std::size(rows) == static_cast<size_t>(textCount);
}
static_assert(RowsInOrder(), "the text table must list every TextId once, in order");

Language gameLanguage = Language::Hungarian;

}  // namespace

const char* TextIn(Language language, TextId id) {
    const int i = static_cast<int>(id);
    if (i < 0 || i >= textCount) return "";
    return language == Language::English ? rows[i].english : rows[i].hungarian;
}

const char* Text(TextId id) { return TextIn(gameLanguage, id); }

Language GameLanguage() { return gameLanguage; }

void SetGameLanguage(Language language) { gameLanguage = language; }

bool LanguageFromName(const std::string& name, Language& language) {
    if (name == "hu") {
        language = Language::Hungarian;
        return true;
    }
    if (name == "en") {
        language = Language::English;
        return true;
    }
    return false;
}

Language ChooseLanguage(const char* flag, const char* lcAll, const char* lcMessages, const char* lang) {
    if (Language chosen; flag && LanguageFromName(flag, chosen)) return chosen;
    for (const char* value : {lcAll, lcMessages, lang}) {
        if (!value || !*value) continue;
        return value[0] == 'e' && value[1] == 'n' ? Language::English : Language::Hungarian;
    }
    return Language::Hungarian;
}
