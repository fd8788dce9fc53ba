// The layout tables of the 2D screens and the rules that place their items.
#include "ui/layout.h"

#include <cassert>

#include "app/video_settings.h"
#include "ui/interface.h"
#include "ui/screens.h"

// ---- Placing ----

bool ItemBox::Contains(int x, int y) const {
    const float fx = static_cast<float>(x), fy = static_cast<float>(y);
    return left <= fx && fx < left + width && top <= fy && fy < top + height;
}

ItemBox TextBox(std::string_view text, float x, float y, int anchorX, int anchorY) {
    return {AnchorX(anchorX) + x, AnchorY(anchorY) + y, static_cast<float>(TextWidth(text)),
            static_cast<float>(font.glyphHeight[0])};
}

int ItemImage(const LayoutItem& item, bool lit) {
    const int image = item.image >= 0 ? item.image : item.control - controlIdFirst;
    return lit ? image + 1 : image;
}

// How far before the point an item's place names its left (top) edge lies. A
// text is centred to the whole pixel, its half width truncated.
static float EdgeShift(Edge edge, float size, bool text) {
    switch (edge) {
    case Edge::Middle: return text ? static_cast<float>(static_cast<int>(size) / 2) : size / 2.0f;
    case Edge::End: return size;
    default: return 0.0f;
    }
}

ItemBox PlaceItem(Layout layout, size_t i) {
    assert(i < layout.size());
    const LayoutItem& item = layout[i];
    ItemBox box{};
    if (item.text) {
        box = TextBox(item.text(), 0.0f, 0.0f, 0, 0);
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

bool ItemDrawn(const LayoutItem& item) {
    switch (item.shown) {
    case Shown::HitOnly: return false;
    case Shown::EarlierPuzzles: return currentPuzzle > 0;
    case Shown::LaterPuzzles: return currentPuzzle < builtInPuzzleCount - puzzleRowsShown;
    default: return ItemLive(item);
    }
}

bool ItemLive(const LayoutItem& item) {
    if (item.shown != Shown::OptionArrow) return true;
    return optionArrows[item.control - Id(ControlId::ResolutionDown)] != 0;
}

uint32_t ItemColour(const LayoutItem& item) {
    if (item.tool < 0 || editTool == static_cast<EditTool>(item.tool)) return 0xFFFFFFFF;
    return 0x80FFFFFF;
}

// ---- The tables ----

static const LayoutItem mainPage[] = {
    {.control = Id(ControlId::MainStart), .y = -50, .edgeX = Edge::Middle},
    {.control = Id(ControlId::MainLoad), .y = -5, .edgeX = Edge::Middle},
    {.control = Id(ControlId::MainEditor), .y = 40, .edgeX = Edge::Middle},
    {.control = Id(ControlId::MainOptions), .y = 85, .edgeX = Edge::Middle},
    {.control = Id(ControlId::MainHelp), .y = 130, .edgeX = Edge::Middle},
    {.control = Id(ControlId::MainExit), .y = 175, .edgeX = Edge::Middle},
};

static const LayoutItem webLine[] = {
    {.control = Id(ControlId::WebLine), .text = WebAddressText, .y = -30, .anchorY = 2, .edgeX = Edge::Middle},
};

static const LayoutItem puzzleSelect[] = {
    {.control = Id(ControlId::SelectBack), .anchorX = 0, .anchorY = 0},
    {.control = Id(ControlId::SelectPageUp), .x = -250, .y = -80, .shown = Shown::EarlierPuzzles},
    {.control = Id(ControlId::SelectPageDown), .x = -250, .y = 87, .shown = Shown::LaterPuzzles},
};

// One row's minus or plus, either side of the row's value.
static constexpr LayoutItem OptionArrow(ControlId id, int image, float x, float y) {
    return {.control = Id(id), .image = image, .x = x, .y = y, .edgeX = Edge::Middle, .shown = Shown::OptionArrow};
}

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

// The editor's file buttons down the left edge with the goal count's caption
// and buttons after them, the roll button and the tools down the right edge.
static const LayoutItem editor[] = {
    {.control = Id(ControlId::Exit), .x = 10, .y = 10, .anchorX = 0, .anchorY = 0},
    {.control = Id(ControlId::Reset), .x = 10, .y = 35, .anchorX = 0, .anchorY = 0},
    {.control = Id(ControlId::EditorLoad), .x = 10, .y = 60, .anchorX = 0, .anchorY = 0},
    {.control = Id(ControlId::EditorSave), .x = 10, .y = 85, .anchorX = 0, .anchorY = 0},
    {.image = imageGoalCaption, .x = 10, .y = 110, .anchorX = 0, .anchorY = 0},
    {.control = Id(ControlId::GoalUp), .y = 110, .anchorX = 0, .anchorY = 0, .beside = Beside::Previous},
    {.control = Id(ControlId::GoalDown), .x = 2, .y = 110, .anchorX = 0, .anchorY = 0, .beside = Beside::Previous},
    {.control = Id(ControlId::Roll), .x = -10, .y = 10, .anchorX = 2, .anchorY = 0, .edgeX = Edge::End},
    {.control = Id(ControlId::ToolBuild), .x = -10, .y = 50, .anchorX = 2, .anchorY = 0, .edgeX = Edge::End,
     .tool = static_cast<int8_t>(EditTool::Build)},
    {.control = Id(ControlId::ToolSwap), .x = -10, .y = 75, .anchorX = 2, .anchorY = 0, .edgeX = Edge::End,
     .tool = static_cast<int8_t>(EditTool::Swap)},
    {.control = Id(ControlId::ToolDelete), .x = -10, .y = 100, .anchorX = 2, .anchorY = 0, .edgeX = Edge::End,
     .tool = static_cast<int8_t>(EditTool::Delete)},
    {.control = Id(ControlId::ToolStock), .x = -10, .y = 125, .anchorX = 2, .anchorY = 0, .edgeX = Edge::End,
     .tool = static_cast<int8_t>(EditTool::Stock)},
};

// A puzzle being prepared: leave, start again and roll. The tool buttons are
// not drawn here, but their rectangles are live.
static const LayoutItem play[] = {
    {.control = Id(ControlId::Exit), .x = 10, .y = 10, .anchorX = 0, .anchorY = 0},
    {.control = Id(ControlId::Reset), .x = 10, .y = 35, .anchorX = 0, .anchorY = 0},
    {.control = Id(ControlId::Roll), .x = -10, .y = 10, .anchorX = 2, .anchorY = 0, .edgeX = Edge::End},
    {.control = Id(ControlId::ToolBuild), .x = -10, .y = 50, .anchorX = 2, .anchorY = 0, .edgeX = Edge::End,
     .shown = Shown::HitOnly},
    {.control = Id(ControlId::ToolSwap), .x = -10, .y = 75, .anchorX = 2, .anchorY = 0, .edgeX = Edge::End,
     .shown = Shown::HitOnly},
    {.control = Id(ControlId::ToolDelete), .x = -10, .y = 100, .anchorX = 2, .anchorY = 0, .edgeX = Edge::End,
     .shown = Shown::HitOnly},
};

static const LayoutItem run[] = {
    {.control = Id(ControlId::Stop), .x = -10, .y = 10, .anchorX = 2, .anchorY = 0, .edgeX = Edge::End},
};

// The result boxes' buttons, on one line below their texts.
static const LayoutItem menuAgainBox[] = {
    {.control = Id(ControlId::DialogMenu), .x = -2, .y = 30, .edgeX = Edge::End},
    {.control = Id(ControlId::DialogRetry), .y = 30},
};
static const LayoutItem okBox[] = {
    {.control = Id(ControlId::DialogOk), .y = 30, .edgeX = Edge::Middle},
};
static const LayoutItem puzzleSolvedBox[] = {
    {.control = Id(ControlId::DialogMenu), .x = -2, .y = 30, .edgeX = Edge::End, .beside = Beside::Next},
    {.control = Id(ControlId::DialogRetry), .y = 30, .edgeX = Edge::Middle},
    {.control = Id(ControlId::DialogNext), .x = 2, .y = 30, .beside = Beside::Previous},
};
static const LayoutItem allSolvedBox[] = {
    {.control = Id(ControlId::DialogMenu), .y = 30, .edgeX = Edge::Middle},
};

const Layout mainPageLayout = mainPage;
const Layout webLineLayout = webLine;
const Layout puzzleSelectLayout = puzzleSelect;
const Layout optionsLayout = options;
const Layout editorLayout = editor;
const Layout playLayout = play;
const Layout testFirstBoxLayout = okBox;

Layout RunLayout(DialogState dialog) {
    switch (dialog) {
    case DialogState::CustomSolved:
    case DialogState::RunFailed: return menuAgainBox;
    case DialogState::TestSolved: return okBox;
    case DialogState::PuzzleSolved: return puzzleSolvedBox;
    case DialogState::AllSolved: return allSolvedBox;
    default: return run;
    }
}
