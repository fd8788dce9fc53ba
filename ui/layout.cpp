// The layout tables of the 2D screens, the rules that place their items, and
// the two walks over them: drawing, and the hit testing of every screen's
// controls in drawing order, so that the later of two overlapping controls
// wins. Where no control is hit the scene picks.
#include "ui/layout.h"

#include <cassert>

#include "app/game_flow.h"
#include "app/hints.h"
#include "app/video_settings.h"
#include "ui/interface.h"
#include "ui/screens.h"

constexpr uint32_t white = 0xFFFFFFFF, red = 0xFFFF0000, halfWhite = 0x80FFFFFF;

// ---- Placing ----

// A rectangle on the back buffer, pixels.
struct ItemBox {
    float left, top, width, height;
    bool Contains(int x, int y) const {
        const float fx = static_cast<float>(x), fy = static_cast<float>(y);
        return left <= fx && fx < left + width && top <= fy && fy < top + height;
    }
};

static int ItemImage(const LayoutItem& item, bool lit) {
    const int image = item.image >= 0 ? item.image : item.control - controlIdFirst;
    return lit ? image + 1 : image;
}

// How far before the point an item's place names its left (top) edge lies:
// none, half or all of its size. A text is centred to the whole pixel, its
// half width truncated.
static float EdgeShift(Edge edge, float size, bool text) {
    const int halves = static_cast<int>(edge);
    return text ? static_cast<float>(static_cast<int>(size) * halves / 2) : size * static_cast<float>(halves) / 2.0f;
}

// Where item i of a layout lies at the current screen size and image sizes.
static ItemBox PlaceItem(Layout layout, size_t i) {
    assert(i < layout.size());
    const LayoutItem& item = layout[i];
    ItemBox box{};
    if (item.text) {
        box.width = static_cast<float>(TextWidth(item.text()));
        box.height = static_cast<float>(font.glyphHeight[0]);
    } else {
        const InterfaceImage& image = interfaceImages[ItemImage(item, false)];
        box.width = static_cast<float>(image.width) * item.scale;
        box.height = static_cast<float>(image.height) * item.scale;
    }
    float originX = AnchorX(item.anchorX);
    if (item.beside == Beside::Previous) {
        assert(i > 0 && layout[i - 1].beside != Beside::Next);
        const ItemBox previous = PlaceItem(layout, i - 1);
        originX = previous.left + previous.width;
    } else if (item.beside == Beside::Next) {
        assert(i + 1 < layout.size() && layout[i + 1].beside != Beside::Previous);
        originX = PlaceItem(layout, i + 1).left;
    }
    box.left = originX + item.x - EdgeShift(item.edgeX, box.width, item.text != nullptr);
    box.top = AnchorY(item.anchorY) + item.y - EdgeShift(item.edgeY, box.height, item.text != nullptr);
    return box;
}

// Whether an item shows now: in the drawing (drawn), or else in the hit testing.
static bool ItemShows(const LayoutItem& item, bool drawn) {
    switch (item.shown) {
    case Shown::HitOnly: return !drawn;
    case Shown::OptionArrow: return Video().optionArrows[item.control - Id(ControlId::ResolutionDown)] != 0;
    case Shown::EarlierPuzzles: return !drawn || currentPuzzle > 0;
    case Shown::LaterPuzzles: return !drawn || currentPuzzle < builtInPuzzleCount - puzzleRowsShown;
    case Shown::WithHints: return HintCount() > 0;
    default: return true;
    }
}

// ---- The walks ----

void DrawLayout(Layout layout) {
    for (size_t i = 0; i < layout.size(); ++i) {
        const LayoutItem& item = layout[i];
        if (!ItemShows(item, true)) continue;
        const bool lit = item.control != noControl && hoveredControl == item.control;
        const ItemBox box = PlaceItem(layout, i);
        if (item.text) {
            DrawText(item.text(), static_cast<int>(box.left), static_cast<int>(box.top), 0, 0, lit ? red : white);
            continue;
        }
        const bool dimmed = item.tool >= 0 && editTool != static_cast<EditTool>(item.tool);
        DrawImage(ItemImage(item, lit), box.left, box.top, 0, 0, dimmed ? halfWhite : white, item.scale, item.scale);
    }
}

// ---- The tables ----

// A button centred on the vertical middle line.
static constexpr LayoutItem Centred(ControlId id, float y) {
    return {.control = Id(id), .y = y, .edgeX = Edge::Middle};
}
// A button down the left edge, 10 pixels in.
static constexpr LayoutItem LeftColumn(ControlId id, float y) {
    return {.control = Id(id), .x = 10, .y = y, .anchorX = 0, .anchorY = 0};
}
// A button down the right edge, 10 pixels in.
static constexpr LayoutItem RightColumn(ControlId id, float y, Shown shown = Shown::Always) {
    return {.control = Id(id), .x = -10, .y = y, .anchorX = 2, .anchorY = 0, .edgeX = Edge::End, .shown = shown};
}
// The editor's button of a tool, dimmed while another tool is chosen.
static constexpr LayoutItem ToolButton(ControlId id, float y, EditTool tool) {
    LayoutItem item = RightColumn(id, y);
    item.tool = static_cast<int8_t>(tool);
    return item;
}
// One of a result box's buttons, on one line below its texts.
static constexpr LayoutItem BoxButton(ControlId id, float x, Edge edgeX, Beside beside = Beside::Anchor) {
    return {.control = Id(id), .x = x, .y = 30, .edgeX = edgeX, .beside = beside};
}
// One row's minus or plus on the options page, either side of the row's value.
static constexpr LayoutItem OptionArrow(ControlId id, int image, float x, float y) {
    return {.control = Id(id), .image = image, .x = x, .y = y, .edgeX = Edge::Middle, .shown = Shown::OptionArrow};
}

// The game's title over the main menu's pages.
static constexpr LayoutItem Title() { return {.image = imageTitle, .y = -180, .edgeX = Edge::Middle}; }
// The publisher's web address, 30 pixels above the bottom edge.
static constexpr LayoutItem WebLine() {
    return {.control = Id(ControlId::WebLine), .text = WebAddressText, .y = -30, .anchorY = 2, .edgeX = Edge::Middle};
}

static const LayoutItem mainPage[] = {
    Title(),
    Centred(ControlId::MainStart, -50),
    Centred(ControlId::MainLoad, -5),
    Centred(ControlId::MainEditor, 40),
    Centred(ControlId::MainOptions, 85),
    Centred(ControlId::MainHelp, 130),
    Centred(ControlId::MainExit, 175),
    WebLine(),
};

static const LayoutItem webLine[] = {WebLine()};

static const LayoutItem puzzleSelect[] = {
    Title(),
    {.control = Id(ControlId::SelectBack), .anchorX = 0, .anchorY = 0},
    {.control = Id(ControlId::SelectPageUp), .x = -250, .y = -80, .shown = Shown::EarlierPuzzles},
    {.control = Id(ControlId::SelectPageDown), .x = -250, .y = 87, .shown = Shown::LaterPuzzles},
};

// The three rows' arrows; the menu and OK buttons at twice their size, their
// bottoms level below the rows.
static const LayoutItem options[] = {
    OptionArrow(ControlId::ResolutionDown, imageOptionsMinus, -100, -35),
    OptionArrow(ControlId::ResolutionUp, imageOptionsPlus, 100, -35),
    OptionArrow(ControlId::DepthDown, imageOptionsMinus, -100, 5),
    OptionArrow(ControlId::DepthUp, imageOptionsPlus, 100, 5),
    OptionArrow(ControlId::RefreshDown, imageOptionsMinus, -100, 45),
    OptionArrow(ControlId::RefreshUp, imageOptionsPlus, 100, 45),
    {.control = Id(ControlId::DialogMenu), .x = -110, .y = 110, .edgeY = Edge::End, .scale = 2.0f},
    {.control = Id(ControlId::DialogOk), .x = 110, .y = 110, .edgeX = Edge::End, .edgeY = Edge::End, .scale = 2.0f},
};

// The web address, the file buttons down the left edge with the goal count's
// caption and buttons after them; the roll button and the tools down the
// right edge.
static const LayoutItem editor[] = {
    WebLine(),
    LeftColumn(ControlId::Exit, 10),
    LeftColumn(ControlId::Reset, 35),
    LeftColumn(ControlId::EditorLoad, 60),
    LeftColumn(ControlId::EditorSave, 85),
    {.image = imageGoalCaption, .x = 10, .y = 110, .anchorX = 0, .anchorY = 0},
    {.control = Id(ControlId::GoalUp), .y = 110, .anchorX = 0, .anchorY = 0, .beside = Beside::Previous},
    {.control = Id(ControlId::GoalDown), .x = 2, .y = 110, .anchorX = 0, .anchorY = 0, .beside = Beside::Previous},
    RightColumn(ControlId::Roll, 10),
    ToolButton(ControlId::ToolBuild, 50, EditTool::Build),
    ToolButton(ControlId::ToolSwap, 75, EditTool::Swap),
    ToolButton(ControlId::ToolDelete, 100, EditTool::Delete),
    ToolButton(ControlId::ToolStock, 125, EditTool::Stock),
};

// A puzzle being prepared: leave, start again and roll. The tool buttons are
// not drawn here, but their rectangles are live.
static const LayoutItem play[] = {
    LeftColumn(ControlId::Exit, 10),
    LeftColumn(ControlId::Reset, 35),
    {.control = Id(ControlId::Hint), .x = 2, .y = 35, .anchorX = 0, .anchorY = 0, .beside = Beside::Previous,
     .shown = Shown::WithHints},
    RightColumn(ControlId::Roll, 10),
    RightColumn(ControlId::ToolBuild, 50, Shown::HitOnly),
    RightColumn(ControlId::ToolSwap, 75, Shown::HitOnly),
    RightColumn(ControlId::ToolDelete, 100, Shown::HitOnly),
};

static const LayoutItem run[] = {RightColumn(ControlId::Stop, 10)};

static const LayoutItem menuAgainBox[] = {
    BoxButton(ControlId::DialogMenu, -2, Edge::End),
    BoxButton(ControlId::DialogRetry, 0, Edge::Start),
};
static const LayoutItem okBox[] = {BoxButton(ControlId::DialogOk, 0, Edge::Middle)};
static const LayoutItem puzzleSolvedBox[] = {
    BoxButton(ControlId::DialogMenu, -2, Edge::End, Beside::Next),
    BoxButton(ControlId::DialogRetry, 0, Edge::Middle),
    BoxButton(ControlId::DialogNext, 2, Edge::Start, Beside::Previous),
};
static const LayoutItem allSolvedBox[] = {BoxButton(ControlId::DialogMenu, 0, Edge::Middle)};

const Layout testFirstBoxLayout = okBox;

Layout ScreenLayout() {
    switch (gameScreen) {
    case GameScreen::MainMenu:
        switch (menuPage) {
        case MenuPage::Main: return mainPage;
        case MenuPage::PuzzleSelect: return puzzleSelect;
        case MenuPage::Options: return options;
        default: return {};
        }
    case GameScreen::Editor: return editor;
    case GameScreen::Play: return play;
    case GameScreen::Run: break;
    default: return {};
    }
    switch (dialogState) {
    case DialogState::CustomSolved:
    case DialogState::RunFailed: return menuAgainBox;
    case DialogState::TestSolved: return okBox;
    case DialogState::PuzzleSolved: return puzzleSolvedBox;
    case DialogState::AllSolved: return allSolvedBox;
    default: return run;
    }
}

// ---- Hit testing ----

// The control of a layout under the pointer, where there is one.
static void HoverLayout(Layout layout, int mx, int my) {
    for (size_t i = 0; i < layout.size(); ++i)
        if (layout[i].control != noControl && ItemShows(layout[i], false) && PlaceItem(layout, i).Contains(mx, my))
            hoveredControl = layout[i].control;
}

static void HoverPuzzleRows(int mx, int my) {
    for (int k = 0; k < puzzleRowsShown; ++k) {
        const int index = currentPuzzle + k;
        if (index < 0 || index >= builtInPuzzleCount) continue;
        const ItemBox name{AnchorX(1) + puzzleNameX, AnchorY(1) + static_cast<float>(PuzzleRowY(k)),
                           static_cast<float>(TextWidth(puzzleNames[index])), static_cast<float>(font.glyphHeight[0])};
        if (name.Contains(mx, my)) hoveredControl = Id(ControlId::PuzzleRowFirst) + index;
    }
}

void UpdateHover() {
    hoveredControl = -1;
    hoveredPick = PickHit{};
    const int mx = static_cast<int>(pointerX), my = static_cast<int>(pointerY);
    const bool menu = gameScreen == GameScreen::MainMenu, editing = gameScreen == GameScreen::Editor;
    if (menu && menuPage >= MenuPage::Help1 && menuPage <= MenuPage::Help4) {
        hoveredControl = Id(ControlId::HelpPage);
        return;
    }
    if (menu && menuPage == MenuPage::PuzzleSelect) HoverPuzzleRows(mx, my);
    // The box asking for a test first keeps the rest of the editor, the board
    // included, out of reach.
    const bool testFirst = editing && dialogState == DialogState::TestFirst;
    if (testFirst) HoverLayout(webLine, mx, my);
    HoverLayout(testFirst ? okBox : ScreenLayout(), mx, my);
    // The menu's board is never picked, nor anything during a run.
    if ((gameScreen == GameScreen::Play || (editing && !testFirst)) && hoveredControl == -1 && frameHooks.pickScene)
        frameHooks.pickScene();
}
