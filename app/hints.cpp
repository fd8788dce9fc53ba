#include "app/hints.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "app/game_flow.h"
#include "app/platform_hooks.h"
#include "app/player_files.h"
#include "app/texts.h"
#include "board/file_io.h"
#include "board/level_file.h"
#include "sim/collision.h"

uint8_t hintedFlags[builtInPuzzleCount] = {};

namespace {

struct Hints {
    std::vector<HintStep> steps;  // the whole solution
    std::vector<HintStep> shown;  // its first steps, shown
};

Hints hints;

int CellOfBall(const Board& b, const Ball& ball) {
    const CellCoord c = NearestCell(ball.position);
    return b.Contains(c.x, c.y, c.z) ? b.Index(c.x, c.y, c.z) : -1;
}

}  // namespace

std::vector<HintStep> HintStepsOf(const Board& prepared, const Board& solution) {
    std::vector<HintStep> steps;
    if (prepared.sizeX != solution.sizeX || prepared.sizeY != solution.sizeY || prepared.sizeZ != solution.sizeZ)
        return steps;
    // 1. The player's pieces, lowest layer first: each rests on what came before.
    for (int y = 0; y < solution.sizeY; ++y)
        for (int z = 0; z < solution.sizeZ; ++z)
            for (int x = 0; x < solution.sizeX; ++x) {
                const int cell = solution.Index(x, y, z);
                const int value = solution.cells[static_cast<size_t>(cell)];
                if (value > cellPlayerPiece && prepared.cells[static_cast<size_t>(cell)] == kindEmpty)
                    steps.push_back({HintStep::What::Piece, cell, value - cellPlayerPiece, {}, 0});
            }
    // 2. The player's balls, then 3. every direction the player chooses.
    for (int i = 0; i < solution.ballCount; ++i) {
        const Ball& ball = solution.balls[i];
        if (ball.lock == static_cast<int8_t>(BallLock::PlayerBall))
            steps.push_back({HintStep::What::Ball, CellOfBall(solution, ball), ball.kind, {}, 0});
    }
    for (int i = 0; i < solution.ballCount; ++i) {
        const Ball& ball = solution.balls[i];
        if (ball.lock != static_cast<int8_t>(BallLock::FixedBall) && ball.direction >= 1 && ball.direction <= 4)
            steps.push_back({HintStep::What::Arrow, -1, 0, ball.position, ball.direction});
    }
    return steps;
}

void LoadHints(int puzzleIndex) {
    ForgetHints();
    if (puzzleIndex < 0 || puzzleIndex >= builtInPuzzleCount) return;
    const std::string path = workDir + "/adatok/megoldasok/" + puzzleNames[puzzleIndex] + ".tm3";
    Board solution;
    OrbitCamera unusedView;
    std::string unusedName;
    if (!ReadLevelFile(path, false, solution, unusedView, unusedName)) {
        std::fprintf(stderr, "Tumbleon: the hints of %s cannot be read from %s; the puzzle has none.\n",
                     puzzleNames[puzzleIndex], path.c_str());
        return;
    }
    hints.steps = HintStepsOf(board, solution);
}

void ForgetHints() { hints = Hints{}; }

bool ShowNextHint() {
    if (hints.shown.size() >= hints.steps.size()) return false;
    hints.shown.push_back(hints.steps[hints.shown.size()]);
    return true;
}

int HintsShown() { return static_cast<int>(hints.shown.size()); }
int HintCount() { return static_cast<int>(hints.steps.size()); }
const std::vector<HintStep>& HintSteps() { return hints.shown; }

int HintBall(const HintStep& step) {
    for (int i = 0; i < board.ballCount; ++i) {
        const Vec3 p = board.balls[i].position;
        if (p.x == step.ballPosition.x && p.y == step.ballPosition.y && p.z == step.ballPosition.z) return i;
    }
    return -1;
}

// ---- Puzzles won with hints ----

std::string HintMarksPath() {
    const std::string progress = ProgressFilePath();
    const size_t slash = progress.find_last_of('/');
    return (slash == std::string::npos ? std::string() : progress.substr(0, slash + 1)) + "hints.dat";
}

int HintedCount() {
    return static_cast<int>(std::count(std::begin(hintedFlags), std::end(hintedFlags), uint8_t{1}));
}

void StartHintMarks() {
    std::fill(std::begin(hintedFlags), std::end(hintedFlags), uint8_t{0});
    const std::string path = HintMarksPath();
    RemoveWriteLeftovers(path);
    std::vector<uint8_t> bytes;
    if (!ReadFileStart(path, sizeof hintedFlags + 1, bytes) || bytes.empty()) return;  // none yet
    if (ParseProgress(bytes.data(), bytes.size(), hintedFlags)) return;
    // A damaged file gives what it can and goes aside, so no write replaces it.
    std::string aside;
    if (MoveFileAside(path, aside))
        std::fprintf(stderr, "Tumbleon: the hint marks %s are damaged; they are kept as %s.\n", path.c_str(),
                     aside.c_str());
    else
        std::fprintf(stderr, "Tumbleon: the hint marks %s are damaged and cannot be moved aside (%s).\n",
                     path.c_str(), std::strerror(errno));
}

void MarkWinHints(int puzzleIndex) {
    if (puzzleIndex < 0 || puzzleIndex >= builtInPuzzleCount) return;
    const uint8_t mark = HintsShown() > 0 ? 1 : 0;
    if (hintedFlags[puzzleIndex] == mark) return;
    hintedFlags[puzzleIndex] = mark;
    if (WriteFileAtomically(HintMarksPath(), hintedFlags, sizeof hintedFlags)) return;
    TellSaveFailure(Text(TextId::HintMarksNotSaved1) + HintMarksPath() + Text(TextId::HintMarksNotSaved2));
}
