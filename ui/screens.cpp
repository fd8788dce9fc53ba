// The frame and the 2D layer of every screen: the splash, the main menu with
// its pages, the editor and play panels, the run with its result boxes, the
// target counter and the speed indicator.
#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "app/game_flow.h"
#include "app/hints.h"
#include "app/platform_hooks.h"
#include "app/texts.h"
#include "app/video_settings.h"
#include "ui/interface.h"
#include "ui/layout.h"
#include "ui/screens.h"

FrameHooks frameHooks;

constexpr uint32_t white = 0xFFFFFFFF, yellow = 0xFFFFFF00, red = 0xFFFF0000, halfWhite = 0x80FFFFFF;
constexpr int lineHeight = 24;

const std::string& WebAddressText() {
    static const std::string text = Win1250(publisherWebAddress);
    return text;
}

static float HalfWidth(int image) { return static_cast<float>(interfaceImages[image].width) / 2.0f; }
static float HalfHeight(int image) { return static_cast<float>(interfaceImages[image].height) / 2.0f; }

// A text centred on the vertical middle line (half width truncated toward zero).
static void DrawCentredText(std::string_view text, int y, int anchorY, uint32_t colour) {
    DrawText(text, -(TextWidth(text) / 2), y, 1, anchorY, colour);
}

// A text of the game's table as the font draws it.
static std::string FontText(TextId id) { return Win1250(Text(id)); }

// A box over the middle of the screen with its lines centred 30 pixels apart,
// the last on the middle line, and its bottom edge 55 pixels below it. Its
// buttons come from its layout.
static void DrawBox(float halfWidth, std::initializer_list<std::string> lines) {
    int y = -30 * static_cast<int>(lines.size() - 1);
    DrawPanel(-halfWidth, static_cast<float>(y - 5), halfWidth, 55, 1, 1);
    for (const std::string& line : lines) {
        DrawCentredText(line, y, 1, white);
        y += 30;
    }
}

std::vector<HeadingLetter> InterleaveHeading(std::string_view a, std::string_view b) {
    std::vector<HeadingLetter> letters;
    for (size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
        const char ca = i < a.size() ? a[i] : ' ', cb = i < b.size() ? b[i] : ' ';
        if (ca != ' ')
            letters.push_back({ca, 0});
        else if (cb != ' ')
            letters.push_back({cb, 1});
    }
    return letters;
}

// Two strings whose spaces leave room for each other's letters, read as one
// two-coloured word. Drawn one over the other they would line up only in a
// font whose every letter is as wide as a space; with this proportional font
// the letters share one pen instead, each in its own string's colour.
static void DrawInterleaved(std::string_view a, uint32_t colourA, std::string_view b, uint32_t colourB, int x, int y) {
    int pen = x;
    for (const HeadingLetter& letter : InterleaveHeading(a, b)) {
        const char c[2] = {letter.letter, 0};
        DrawText(c, pen, y, 1, 1, letter.from == 0 ? colourA : colourB);
        pen += TextWidth(c);
    }
}

// ---- Splash ----

static void DrawSplash() {
    const float t = splashTime;
    const int image = SplashShowsPublisher(t) ? imagePublisherLogo : imagePartnerLogo;
    // A frozen picture shows each logo whole, from its first moment to its last.
    const float fromEdge = splashLogoSeconds / 2.0f - std::fabs(t - SplashLogoMiddle(t));
    const float a = pictureFrozen ? 1.0f : std::clamp(fromEdge / splashFadeSeconds, 0.0f, 1.0f);
    const uint32_t c = static_cast<uint32_t>(a * 255.0f);
    DrawImage(image, -HalfWidth(image), -HalfHeight(image), 1, 1, c << 24 | c << 16 | c << 8 | c);
}

// ---- Main menu pages ----

static void DrawPuzzleSelect() {
    for (int k = 0; k < puzzleRowsShown; ++k) {
        const int index = currentPuzzle + k;
        if (index < 0 || index >= builtInPuzzleCount) continue;
        DrawText(std::to_string(index + 1) + ".", puzzleNumberX, PuzzleRowY(k), 1, 1, yellow);
        uint32_t colour = hoveredControl == Id(ControlId::PuzzleRowFirst) + index ? red : white;
        // Solved puzzles show half transparent and less red.
        if (solvedFlags[index] == 1) colour -= 0x7F400000u;
        DrawText(puzzleNames[index], puzzleNameX, PuzzleRowY(k), 1, 1, colour);
        // A puzzle won with hints shown carries a mark after its name.
        if (hintedFlags[index] == 1)
            DrawText("?", puzzleNameX + TextWidth(puzzleNames[index]) + 6, PuzzleRowY(k), 1, 1, yellow);
    }
    DrawLayout(ScreenLayout());
    std::string progress = Text(TextId::SolvedPuzzles) + std::to_string(solvedCount) + "/60";
    if (const int hinted = HintedCount(); hinted > 0)
        progress += Text(TextId::SolvedWithHints) + std::to_string(hinted);
    DrawCentredText(Win1250(progress), -30, 2, white);
    // What became of a damaged progress file, above the count.
    if (!progressNotice.empty()) DrawCentredText(Win1250(progressNotice), -54, 2, yellow);
}

// Help pages 1 to 3 on the panel, one letter per row of 20 pixels from the
// page's top: a line at the panel's left edge (L) or indented (I), a ball's
// name in its colour (B bomb, F iron, U balloon), the two-coloured name of the
// plastic ball made of two texts (P), or an empty row (space). The texts follow
// one another in the text table from the page's first.
static void DrawHelpPage(TextId first, int top, const char* rows) {
    DrawImage(imagePanel, -320, -240, 1, 1, halfWhite, 645, 480);
    int text = static_cast<int>(first), y = top;
    for (const char* row = rows; *row; ++row, y += 20) {
        if (*row == ' ') continue;
        const std::string line = FontText(static_cast<TextId>(text++));
        switch (*row) {
        case 'I': DrawText(line, -260, y, 1, 1, white); break;
        case 'B': DrawText(line, -320, y, 1, 1, 0xFF404040); break;
        case 'F': DrawText(line, -320, y, 1, 1, 0xFF0000FF); break;
        case 'U': DrawText(line, -320, y, 1, 1, 0xFFFF00FF); break;
        case 'P': DrawInterleaved(line, 0xFF404040, FontText(static_cast<TextId>(text++)), 0xFFC0C0C0, -320, y); break;
        default: DrawText(line, -320, y, 1, 1, white); break;
        }
    }
}

static void DrawHelp4() {
    if (screenWidth < 750)
        DrawImage(imageHelpPicture, -320, -240, 1, 1, 0xE0FFFFFF, 0.8f, 0.8f);
    else
        DrawImage(imageHelpPicture, -HalfWidth(imageHelpPicture), -HalfHeight(imageHelpPicture), 1, 1, 0xE0FFFFFF);
}

static void DrawOptions() {
    DrawImage(imagePanel, -120, -40, 1, 1, halfWhite, 240, 160);
    if (Video().pending >= 0 && Video().pending < static_cast<int>(Video().modes.size())) {
        const DisplayMode& mode = Video().modes[static_cast<size_t>(Video().pending)];
        DrawCentredText(std::to_string(mode.width) + "x" + std::to_string(mode.height), -40, 1, yellow);
        DrawCentredText(std::to_string(FormatBits(mode.format)) + "bit", 0, 1, yellow);
        const std::string refresh = std::to_string(mode.refreshRate) + "Hz";
        DrawCentredText(mode.refreshRate == 0 ? Text(TextId::DefaultRefreshRate) : refresh, 40, 1, yellow);
    }
    DrawLayout(ScreenLayout());
}

static void DrawMainMenu() {
    switch (menuPage) {
    case MenuPage::PuzzleSelect: DrawPuzzleSelect(); break;
    case MenuPage::Help1: DrawHelpPage(TextId::Help1Line1, -240, "LLL LLLLLL LLLLL LLLLLLL"); break;
    case MenuPage::Help2: DrawHelpPage(TextId::Help2Line1, -240, "LL  BIII  FIII  UII  PII"); break;
    case MenuPage::Help3: DrawHelpPage(TextId::Help3Line1, -200, "L LLL LLL LL LL LL"); break;
    case MenuPage::Help4: DrawHelp4(); break;
    case MenuPage::Options: DrawOptions(); break;
    default: DrawLayout(ScreenLayout()); break;
    }
}

// ---- The run ----

static void DrawRun() {
    using enum TextId;
    const std::string congratulations = FontText(Congratulations);
    switch (dialogState) {
    case DialogState::CustomSolved: DrawBox(230, {congratulations, FontText(CustomSolved)}); break;
    case DialogState::RunFailed: DrawBox(230, {FontText(RunFailed1), FontText(RunFailed2)}); break;
    case DialogState::TestSolved:
        DrawBox(320, {FontText(TestSolved1), FontText(TestSolved2), FontText(TestSolved3) + WebAddressText()});
        break;
    case DialogState::PuzzleSolved: DrawBox(230, {congratulations, FontText(PuzzleSolved)}); break;
    case DialogState::AllSolved:
        DrawBox(310, {congratulations, FontText(AllSolved1), FontText(AllSolved2), WebAddressText(),
                      FontText(AllSolved3), FontText(AllSolved4), FontText(AllSolved5), FontText(AllSolved6)});
        break;
    default: break;
    }
    DrawLayout(ScreenLayout());
}

// ---- Target counter and speed indicator ----

// The rings of the balls still needed and arrived, with the caption before
// them in a batch of its own.
static void DrawTargetCounter() {
    const int n = board.goalCount, arrived = ballsAtTarget;
    const float half43 = HalfWidth(imageGoalCaption);
    SpriteBegin();
    for (int i = 0; i < n; ++i)
        DrawImage(i < arrived ? imageFilledRing : imageEmptyRing, static_cast<float>((2 * i - n) * 8) + half43,
                  lineHeight + 10, 1, 0, white);
    SpriteEnd();
    DrawImage(imageGoalCaption, -HalfWidth(imageGoalCaption) - 8.0f * n, lineHeight + 7, 1, 0, white);
}

// After a change of speed the new factor shows for a second, fading out.
static void DrawSpeedIndicator() {
    const float s = slowFactor;
    if (ClockPaused()) {
        const std::string text = FontText(TextId::Paused);
        DrawText(text, -TextWidth(text), -20, 2, 2, 0xC08080FF);
        return;
    }
    const double elapsed = ClockMilliseconds() - static_cast<double>(speedChangeTime);
    if (!(elapsed < 1000.0) || s == 0.0f) return;
    const uint32_t alpha =
        pictureFrozen ? 255u : static_cast<uint32_t>(std::clamp((1000.0 - elapsed) * 0.255, 0.0, 255.0));
    uint32_t colour = 0x0080FF80;
    for (float f = 2.5f; s > f; f *= 2.0f) colour -= 0x17E8;     // slower: bluer
    for (float f = 2.5f; s < f; f /= 2.0f) colour += 0x3EC100;   // faster: redder
    colour = (colour & 0x00FFFFFF) | alpha << 24;
    const std::string factor =
        s > 2.5f ? "/" + std::to_string(static_cast<int>(s * 0.4f)) : "x" + std::to_string(static_cast<int>(2.5f / s));
    const std::string text = FontText(TextId::Speed) + factor;
    DrawText(text, -TextWidth(text), -20, 2, 2, colour);
}

// ---- The frame ----

// The 2D layer of the current screen with the speed indicator, inside one
// sprite batch.
static void DrawInterfaceLayer() {
    SpriteBegin();
    if (gameScreen == GameScreen::MainMenu) {
        DrawMainMenu();
    } else {
        const bool preparing = gameScreen == GameScreen::Editor || gameScreen == GameScreen::Play;
        DrawCentredText(Win1250(levelName), 10, 0, white);
        if (preparing) DrawLayout(ScreenLayout());
        if (gameScreen == GameScreen::Editor && dialogState == DialogState::TestFirst) {
            DrawBox(290, {FontText(TextId::TestFirst1), FontText(TextId::TestFirst2), FontText(TextId::TestFirst3)});
            DrawLayout(testFirstBoxLayout);
        }
        if (preparing && RollRefusalShowing()) DrawCentredText(FontText(TextId::RollRefused), 64, 0, yellow);
        if (gameScreen == GameScreen::Run) DrawRun();
    }
    DrawSpeedIndicator();
    SpriteEnd();
}

void ComposeFrame() {
    ClearFrame(0xFF000000);
    if (gameScreen == GameScreen::Splash) {
        SpriteBegin();
        DrawSplash();
        SpriteEnd();
        return;
    }
    ReleaseSplashImages();  // the splash never comes back
    if (frameHooks.stepScene) frameHooks.stepScene(gameScreen == GameScreen::Run ? ticksSinceFrame : 0);
    ticksSinceFrame = 0;
    if (frameHooks.drawScene) frameHooks.drawScene();
    if (gameScreen != GameScreen::MainMenu) DrawTargetCounter();
    DrawInterfaceLayer();
}

void RenderFrame() {
    ComposeFrame();
    if (frameHooks.present) frameHooks.present();
}
