// Which 2D control lies under the pointer: the layouts of layout.h, tested in
// drawing order so that the later of two overlapping controls wins. Where no
// control is hit the scene picks.
#include "app/game_flow.h"
#include "ui/interface.h"
#include "ui/layout.h"
#include "ui/screens.h"

// The control of a layout under the pointer, where there is one.
static void HoverLayout(Layout layout, int mx, int my) {
    if (const int hit = HitLayout(layout, mx, my); hit != noControl) hoveredControl = hit;
}

static void HoverPuzzleRows(int mx, int my) {
    for (int k = 0; k < puzzleRowsShown; ++k) {
        const int index = currentPuzzle + k;
        if (index < 0 || index >= builtInPuzzleCount) continue;
        if (HitText(mx, my, puzzleNames[index], puzzleNameX, static_cast<float>(PuzzleRowY(k)), 1, 1))
            hoveredControl = Id(ControlId::PuzzleRowFirst) + index;
    }
}

void UpdateHover() {
    hoveredControl = -1;
    hoveredPick = PickHit{};
    const int mx = static_cast<int>(pointerX), my = static_cast<int>(pointerY);
    switch (gameScreen) {
    case GameScreen::MainMenu:
        switch (menuPage) {
        case MenuPage::Main:
            HoverLayout(mainPageLayout, mx, my);
            HoverLayout(webLineLayout, mx, my);
            break;
        case MenuPage::PuzzleSelect:
            HoverPuzzleRows(mx, my);
            HoverLayout(puzzleSelectLayout, mx, my);
            break;
        case MenuPage::Help1:
        case MenuPage::Help2:
        case MenuPage::Help3:
        case MenuPage::Help4: hoveredControl = Id(ControlId::HelpPage); return;
        case MenuPage::Options: HoverLayout(optionsLayout, mx, my); break;
        default: break;
        }
        return;  // the menu's board is never picked
    case GameScreen::Editor:
        HoverLayout(webLineLayout, mx, my);
        // The box asking for a test first keeps the rest of the editor, the board included, out of reach.
        if (dialogState == DialogState::TestFirst) {
            HoverLayout(testFirstBoxLayout, mx, my);
            return;
        }
        HoverLayout(editorLayout, mx, my);
        break;
    case GameScreen::Play: HoverLayout(playLayout, mx, my); break;
    case GameScreen::Run:
        HoverLayout(RunLayout(dialogState), mx, my);
        return;  // nothing is picked during a run
    default: return;
    }
    if (hoveredControl == -1 && frameHooks.pickScene) frameHooks.pickScene();
}
