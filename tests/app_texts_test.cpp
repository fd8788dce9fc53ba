// The game's language: how a start chooses it, the text table behind it, and
// what the player meets in English.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "app/texts.h"
#include "tests/app_fixture.h"

namespace apptest {
namespace {

constexpr Language hu = Language::Hungarian, en = Language::English;

// --lang beats the environment; of the environment LC_ALL comes first, then
// LC_MESSAGES, then LANG, and the first one set decides even when it is not
// English; everything else, and nothing at all, is Hungarian.
TEST(GameLanguage, FlagThenLocaleVariablesInOrder) {
    const struct { const char *flag, *lcAll, *lcMessages, *lang; Language expected; } cases[] = {
        {nullptr, nullptr, nullptr, nullptr, hu},
        {nullptr, "", "", "", hu},
        {nullptr, nullptr, nullptr, "en_US.UTF-8", en},
        {nullptr, nullptr, nullptr, "e", hu},
        {nullptr, nullptr, "hu_HU.UTF-8", "en_GB.UTF-8", hu},
        {nullptr, "C", "en_US.UTF-8", "en_US.UTF-8", hu},
        {nullptr, "", "en_US.UTF-8", nullptr, en},
        {"hu", "en_US.UTF-8", "en_US.UTF-8", "en_US.UTF-8", hu},
        {"en", "C", nullptr, nullptr, en},
    };
    for (const auto& c : cases) {
        const std::string name = std::string(c.flag ? c.flag : "-") + " " + (c.lcAll ? c.lcAll : "-") + " " +
                                 (c.lcMessages ? c.lcMessages : "-") + " " + (c.lang ? c.lang : "-");
        EXPECT_EQ(ChooseLanguage(c.flag, c.lcAll, c.lcMessages, c.lang), c.expected) << name;
    }
    Language named = en;
    EXPECT_TRUE(LanguageFromName("hu", named) && named == hu);
    for (const char* word : {"", "EN", "english", "en_US"}) EXPECT_FALSE(LanguageFromName(word, named)) << word;
}

// Every text has words in both languages, and an English text that merely
// repeats the Hungarian one is a text left untranslated (the units of the
// options page aside, which are the same in both).
TEST(GameLanguage, EveryTextIsWrittenInBothLanguages) {
    int same = 0;
    for (int i = 0; i < textCount; ++i) {
        const auto id = static_cast<TextId>(i);
        const std::string hungarian = TextIn(hu, id), english = TextIn(en, id);
        EXPECT_FALSE(hungarian.empty()) << i;
        EXPECT_FALSE(english.empty()) << i;
        if (hungarian == english) ++same;
    }
    EXPECT_EQ(same, 1);  // "default Hz"
    SetGameLanguage(en);
    EXPECT_STREQ(Text(TextId::Paused), "Paused");
    SetGameLanguage(hu);
    EXPECT_STREQ(Text(TextId::Paused), "Szünet");
}

// The 2D lines keep to the letters the game's font has.
TEST(GameLanguage, EnglishLinesUseOnlyTheFontsLetters) {
    const std::string letters = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz.,;:-?!&()%_/ ";
    for (int i = 0; i < static_cast<int>(TextId::ProgressHeld); ++i) {
        const std::string english = TextIn(en, static_cast<TextId>(i));
        EXPECT_EQ(english.find_first_not_of(letters), std::string::npos) << english;
    }
}

class EnglishGame : public AppTest {};

// With English chosen, a level that cannot be read is told in English, and a
// damaged progress file's notice over the puzzle list too.
TEST_F(EnglishGame, MessagesAndNoticesSpeakEnglish) {
    static std::vector<std::string> boxes;
    boxes.clear();
    platformHooks.showMessage = [](const char* title, const char* text) {
        boxes.push_back(std::string(title) + "|" + text);
    };
    SetGameLanguage(en);
    gameScreen = GameScreen::MainMenu;  // the splash over
    ClickOnMainPage(ControlId::MainEditor);
    dialogPath = Path("missing.tm3");
    Click(ControlId::EditorLoad);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "Loading failed|The level could not be loaded from here:\n" + dialogPath +
                            "\n\nThe file cannot be read, or it is not a Tumbleon level. Nothing in the game has changed.");

    // A damaged progress file met at start: the notice over the puzzle list.
    std::ofstream(Path("score.dat"), std::ios::binary) << "not a progress file";
    adapterModes = {{640, 480, 60, formatR5G6B5}};
    std::string message;
    ASSERT_TRUE(StartGame(message)) << message;
    EXPECT_EQ(progressNotice, "The damaged score.dat is now named: score.dat.bad");

    SetGameLanguage(hu);
    gameScreen = GameScreen::MainMenu;  // the splash over, on the main page of a fresh start
    menuPage = MenuPage::Main;
    ClickOnMainPage(ControlId::MainEditor);
    Click(ControlId::EditorLoad);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].rfind("Betöltés sikertelen|A pályát nem sikerült betölteni innen:\n", 0), 0u) << boxes[1];
}

}  // namespace
}  // namespace apptest
