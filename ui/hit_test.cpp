// Which 2D control lies under the pointer: the same rectangles as the layouts
// of screens.cpp, tested in drawing order so that the later of two overlapping
// controls wins. Where no control is hit the scene picks.
#include "app/game_flow.h"
#include "app/video_settings.h"
#include "ui/interface.h"
#include "ui/screens.h"

bool HitImage(int mx, int my, int image, float x, float y, int anchorX, int anchorY, float scaleX, float scaleY) {
    if (image < 0 || image >= interfaceImageSlots) return false;
    const float left = AnchorX(anchorX) + x, top = AnchorY(anchorY) + y;
    const float fx = static_cast<float>(mx), fy = static_cast<float>(my);
    return left <= fx && fx < left + static_cast<float>(interfaceImages[image].width) * scaleX && top <= fy &&
           fy < top + static_cast<float>(interfaceImages[image].height) * scaleY;
}

bool HitText(int mx, int my, std::string_view text, float x, float y, int anchorX, int anchorY) {
    const float left = AnchorX(anchorX) + x, top = AnchorY(anchorY) + y;
    const float fx = static_cast<float>(mx), fy = static_cast<float>(my);
    return left <= fx && fx < left + static_cast<float>(TextWidth(text)) && top <= fy &&
           fy < top + static_cast<float>(font.glyphHeight[0]);
}

static float HalfWidth(int image) { return static_cast<float>(interfaceImages[image].width) / 2.0f; }
static int Width(int image) { return interfaceImages[image].width; }
static int Height(int image) { return interfaceImages[image].height; }

// A button whose ControlId is 10000 + its image index.
static void TryButton(int mx, int my, int image, float x, float y, int anchorX, int anchorY, float scale = 1.0f) {
    if (HitImage(mx, my, image, x, y, anchorX, anchorY, scale, scale)) hoveredControl = controlIdFirst + image;
}

static void TryWebLine(int mx, int my) {
    const std::string& text = WebAddressText();
    if (HitText(mx, my, text, static_cast<float>(-(TextWidth(text) / 2)), -30, 1, 2)) hoveredControl = Id(ControlId::WebLine);
}

static void HoverMainPage(int mx, int my) {
    TryWebLine(mx, my);
    static const int buttons[] = {1, 3, 5, 54, 7, 9};
    static const int rows[] = {-50, -5, 40, 85, 130, 175};
    for (int i = 0; i < 6; ++i) TryButton(mx, my, buttons[i], -HalfWidth(buttons[i]), static_cast<float>(rows[i]), 1, 1);
}

static void HoverPuzzleSelect(int mx, int my) {
    for (int k = 0; k < 10; ++k) {
        const int index = currentPuzzle + k;
        if (index < 0 || index >= builtInPuzzleCount) continue;
        if (HitText(mx, my, puzzleNames[index], -160, static_cast<float>(-80 + 20 * k), 1, 1))
            hoveredControl = Id(ControlId::PuzzleRowFirst) + index;
    }
    TryButton(mx, my, 35, 0, 0, 0, 0);
    // Tested whether drawn or not: the page commands check their own limits.
    TryButton(mx, my, 37, -250, -80, 1, 1);
    TryButton(mx, my, 39, -250, 87, 1, 1);
}

static void HoverOptions(int mx, int my) {
    static const int rows[] = {-35, 5, 45};
    for (int row = 0; row < 3; ++row) {
        const float y = static_cast<float>(rows[row]);
        const int minusId = Id(ControlId::ResolutionDown) + 2 * row;
        if (optionArrows[2 * row] && HitImage(mx, my, imageOptionsMinus, -HalfWidth(imageOptionsMinus) - 100, y, 1, 1))
            hoveredControl = minusId;
        if (optionArrows[2 * row + 1] && HitImage(mx, my, imageOptionsPlus, 100 - HalfWidth(imageOptionsPlus), y, 1, 1))
            hoveredControl = minusId + 1;
    }
    TryButton(mx, my, imageDialogMenu, -110, static_cast<float>((55 - Height(imageDialogMenu)) * 2), 1, 1, 2.0f);
    TryButton(mx, my, imageDialogOk, static_cast<float>((55 - Width(imageDialogOk)) * 2),
              static_cast<float>((55 - Height(imageDialogOk)) * 2), 1, 1, 2.0f);
}

// The right-hand column of the editor and play screens.
static void HoverRightColumn(int mx, int my, bool withStock) {
    TryButton(mx, my, 11, static_cast<float>(-10 - Width(11)), 10, 2, 0);
    TryButton(mx, my, 25, static_cast<float>(-10 - Width(25)), 50, 2, 0);
    TryButton(mx, my, 27, static_cast<float>(-10 - Width(27)), 75, 2, 0);
    TryButton(mx, my, 29, static_cast<float>(-10 - Width(29)), 100, 2, 0);
    if (withStock) TryButton(mx, my, 31, static_cast<float>(-10 - Width(31)), 125, 2, 0);
}

// False when the screen's test ends the search (a modal box).
static bool HoverEditor(int mx, int my) {
    TryWebLine(mx, my);
    if (dialogState == DialogState::TestFirst) {
        TryButton(mx, my, imageDialogOk, -HalfWidth(imageDialogOk), 30, 1, 1);
        return false;
    }
    TryButton(mx, my, 13, 10, 10, 0, 0);
    TryButton(mx, my, 15, 10, 35, 0, 0);
    TryButton(mx, my, 17, 10, 60, 0, 0);
    TryButton(mx, my, 19, 10, 85, 0, 0);
    TryButton(mx, my, 21, static_cast<float>(Width(imageGoalCaption) + 10), 110, 0, 0);
    TryButton(mx, my, 23, static_cast<float>(Width(imageGoalCaption) + Width(21) + 12), 110, 0, 0);
    HoverRightColumn(mx, my, true);
    return true;
}

static void HoverPlay(int mx, int my) {
    TryButton(mx, my, 13, 10, 10, 0, 0);
    TryButton(mx, my, 15, 10, 35, 0, 0);
    // The tool buttons are not drawn here, but their rectangles are live.
    HoverRightColumn(mx, my, false);
}

static void HoverRun(int mx, int my) {
    switch (dialogState) {
    case DialogState::CustomSolved:
    case DialogState::RunFailed:
        TryButton(mx, my, imageDialogMenu, static_cast<float>(-2 - Width(imageDialogMenu)), 30, 1, 1);
        TryButton(mx, my, imageDialogAgain, 0, 30, 1, 1);
        break;
    case DialogState::TestSolved: TryButton(mx, my, imageDialogOk, -HalfWidth(imageDialogOk), 30, 1, 1); break;
    case DialogState::PuzzleSolved:
        TryButton(mx, my, imageDialogMenu, -HalfWidth(imageDialogAgain) - static_cast<float>(Width(imageDialogMenu)) - 2,
                  30, 1, 1);
        TryButton(mx, my, imageDialogAgain, -HalfWidth(imageDialogAgain), 30, 1, 1);
        TryButton(mx, my, imageDialogNext, HalfWidth(imageDialogAgain) + 2, 30, 1, 1);
        break;
    case DialogState::AllSolved: TryButton(mx, my, imageDialogMenu, -HalfWidth(imageDialogMenu), 30, 1, 1); break;
    default: TryButton(mx, my, 33, static_cast<float>(-10 - Width(33)), 10, 2, 0); break;
    }
}

void UpdateHover() {
    hoveredControl = -1;
    hoveredPick = PickHit{};
    const int mx = static_cast<int>(pointerX), my = static_cast<int>(pointerY);
    switch (gameScreen) {
    case GameScreen::MainMenu:
        switch (menuPage) {
        case MenuPage::Main: HoverMainPage(mx, my); break;
        case MenuPage::PuzzleSelect: HoverPuzzleSelect(mx, my); break;
        case MenuPage::Help1:
        case MenuPage::Help2:
        case MenuPage::Help3:
        case MenuPage::Help4: hoveredControl = Id(ControlId::HelpPage); return;
        case MenuPage::Options: HoverOptions(mx, my); break;
        default: break;
        }
        return;  // the menu's board is never picked
    case GameScreen::Editor:
        if (!HoverEditor(mx, my)) return;
        break;
    case GameScreen::Play: HoverPlay(mx, my); break;
    case GameScreen::Run: HoverRun(mx, my); return;  // nothing is picked during a run
    default: return;
    }
    if (hoveredControl == -1 && frameHooks.pickScene) frameHooks.pickScene();
}
