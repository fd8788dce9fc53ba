// The frame-time benchmark: every 2D screen drawn for a while, its 2D layer
// timed from the clear to the finished drawing (the present is left out).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <utility>
#include <vector>

#include "app/game_flow.h"
#include "ui/interface.h"
#include "ui/screens.h"

struct BenchScreen {
    const char* name;
    GameScreen screen;
    MenuPage page;
    DialogState dialog;
};

static const BenchScreen benchScreens[] = {
    {"clear only", GameScreen::Splash, MenuPage::Main, DialogState::None},
    {"splash", GameScreen::Splash, MenuPage::Main, DialogState::None},
    {"main menu", GameScreen::MainMenu, MenuPage::Main, DialogState::None},
    {"puzzle list", GameScreen::MainMenu, MenuPage::PuzzleSelect, DialogState::None},
    {"help 1", GameScreen::MainMenu, MenuPage::Help1, DialogState::None},
    {"help 2", GameScreen::MainMenu, MenuPage::Help2, DialogState::None},
    {"help 3", GameScreen::MainMenu, MenuPage::Help3, DialogState::None},
    {"help 4", GameScreen::MainMenu, MenuPage::Help4, DialogState::None},
    {"options", GameScreen::MainMenu, MenuPage::Options, DialogState::None},
    {"editor", GameScreen::Editor, MenuPage::FromEditor, DialogState::None},
    {"editor, test first", GameScreen::Editor, MenuPage::FromEditor, DialogState::TestFirst},
    {"play", GameScreen::Play, MenuPage::FromPlay, DialogState::None},
    {"run", GameScreen::Run, MenuPage::FromPlay, DialogState::None},
    {"run, custom solved", GameScreen::Run, MenuPage::FromPlay, DialogState::CustomSolved},
    {"run, test solved", GameScreen::Run, MenuPage::FromEditor, DialogState::TestSolved},
    {"run, puzzle solved", GameScreen::Run, MenuPage::FromPlay, DialogState::PuzzleSolved},
    {"run, all solved", GameScreen::Run, MenuPage::FromPlay, DialogState::AllSolved},
};

void RunFrameBenchmark(double seconds) {
    using Clock = std::chrono::steady_clock;
    levelName = "csigalepcso";
    board.goalCount = 3;
    ballsAtTarget = 1;
    currentPuzzle = 0;
    solvedFlags[1] = solvedFlags[4] = 1;
    slowFactor = pausedSlowFactor;          // the pause text stays up: the indicator is part of every frame
    splashTime = 1.5f * splashLogoSeconds;  // the middle of the publisher's logo
    // The 2D layer alone: the scene is left out, and the present is not timed.
    const FrameHooks hooks = std::exchange(frameHooks, FrameHooks{});
    std::printf("2D layer at %dx%d, milliseconds per frame (clear, 2D layer, finished)\n", screenWidth, screenHeight);
    std::printf("%-22s %8s %8s %6s %7s\n", "screen", "median", "p90", "draws", "frames");
    for (const BenchScreen& bench : benchScreens) {
        gameScreen = bench.screen;
        menuPage = bench.page;
        dialogState = bench.dialog;
        hoveredControl = -1;
        hoveredPick = PickHit{};
        const bool clearOnly = bench.name == benchScreens[0].name;
        std::vector<double> times;
        const auto end = Clock::now() + std::chrono::duration<double>(seconds);
        while (Clock::now() < end) {
            const auto start = Clock::now();
            if (clearOnly)
                ClearFrame(0xFF000000);
            else
                ComposeFrame();
            FinishDrawing();
            times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
            if (hooks.present) hooks.present();
        }
        std::sort(times.begin(), times.end());
        const double median = times.empty() ? 0.0 : times[times.size() / 2];
        const double p90 = times.empty() ? 0.0 : times[std::min(times.size() - 1, times.size() * 9 / 10)];
        std::printf("%-22s %8.2f %8.2f %6d %7zu\n", bench.name, median, p90, clearOnly ? 0 : SpriteDrawCalls(),
                    times.size());
        std::fflush(stdout);
    }
    frameHooks = hooks;
}
