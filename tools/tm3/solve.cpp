// tm3 solve: searches the ways to put the stock down and launch the balls for
// the ones that win, fewest pieces first.
//
// The search grows placements one piece at a time. A piece no ball comes near
// in a roll cannot change that roll, so after each trial only the cells within
// one cell of a ball's path are tried next (balls go on any free start cube).
// If a set of pieces wins, some order of them has each piece near the path of
// the roll with the pieces before it, so growing this way reaches every
// winning set. Each depth is a batch of trial rolls shared out among the jobs;
// the batch is sorted before and after, so the answer never depends on them.
//
// A lesson's counter-proof searches the puzzle with what it teaches taken out:
// --replace swaps a kind for a neutral one, --directions leaves the player
// only some launch directions.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <random>
#include <thread>

#include "sim/simulation.h"
#include "tools/tm3/commands.h"
#include "tools/tm3/level_text.h"
#include "tools/tm3/puzzle_rules.h"

// Placements sort by cell, so that each set of pieces has one spelling.
static bool operator<(const Placement& a, const Placement& b) {
    if (a.cell != b.cell) return a.cell < b.cell;
    if (a.kind != b.kind) return a.kind < b.kind;
    return a.direction < b.direction;
}
static bool operator==(const Placement& a, const Placement& b) {
    return a.cell == b.cell && a.kind == b.kind && a.direction == b.direction;
}

namespace {

const char solveUsage[] =
    "tm3 solve PUZZLE.tm3 [--max-pieces N] [--jobs J] [--limit K] [--ticks T] [--count-only | --figures]\n"
    "          [--walks W [--seed S]]\n"
    "          [--replace TAUGHT=NEUTRAL]... [--directions D,D...]";

struct SolveOptions {
    std::string path;
    long maxPieces = 3;
    long jobs = 1;
    long limit = 1000;
    long ticks = 10000;  // 25 s of game time for one trial; recorded wins stay within 20 s
    bool countOnly = false;
    // The puzzle's difficulty figures: the search stops after the fewest
    // pieces that win and tells that count, the wins there and the trial runs
    // it took to finish that depth.
    bool figures = false;
    long walks = 0;  // random walks down the search instead of the whole of it
    long seed = 1;
    std::vector<KindSwap> swaps;
    std::vector<int> directions{1, 2, 3, 4};  // the launch directions the player may give
};

// One trial: the directions of the puzzle's own balls that need one, and the
// pieces put down, sorted by cell so that each set has one spelling.
struct Trial {
    std::vector<int> directions;
    std::vector<Placement> pieces;
};

bool operator<(const Trial& a, const Trial& b) {
    if (a.directions != b.directions) return a.directions < b.directions;
    return std::lexicographical_compare(a.pieces.begin(), a.pieces.end(), b.pieces.begin(), b.pieces.end());
}
bool operator==(const Trial& a, const Trial& b) { return a.directions == b.directions && a.pieces == b.pieces; }

struct Found {
    Trial trial;
    long ticks = 0;
};

// What every job reads: the puzzle as prepared and its stock.
struct Search {
    Board prepared{1, 1, 1};
    std::vector<int> needDirection;  // balls of the prepared puzzle the player launches
    std::vector<int> directions;     // the launch directions tried
    long ticks = 0;
};

// A job's own boards and buffers, kept from trial to trial.
struct Worker {
    Board layout{1, 1, 1};
    Board rolled{1, 1, 1};
    BallTrail trail;
    std::vector<uint8_t> near;
    std::vector<Trial> children;
    std::vector<Found> found;
    long runs = 0;
    long fewest = -1, fewestWins = 0, fewestRuns = 0;
};

// A comma-separated list of launch direction names, each at most once.
bool ParseDirections(const std::string& text, std::vector<int>& directions) {
    directions.clear();
    size_t begin = 0;
    while (begin <= text.size()) {
        size_t end = text.find(',', begin);
        if (end == std::string::npos) end = text.size();
        const std::string word = text.substr(begin, end - begin);
        int direction = 1;
        while (direction <= 4 && word != launchDirectionNames[direction]) ++direction;
        if (direction > 4 || std::find(directions.begin(), directions.end(), direction) != directions.end())
            return false;
        directions.push_back(direction);
        begin = end + 1;
    }
    std::sort(directions.begin(), directions.end());
    return true;
}

bool ParseSolveOptions(const Tm3Args& args, SolveOptions& options, std::FILE* err) {
    struct Numeric {
        const char* name;
        long* value;
        long low, high;
    };
    const Numeric numerics[] = {{"--max-pieces", &options.maxPieces, 0, 20},
                                {"--jobs", &options.jobs, 1, 64},
                                {"--limit", &options.limit, 1, 1000000000},
                                {"--ticks", &options.ticks, 1, 100000000},
                                {"--walks", &options.walks, 0, 1000000000},
                                {"--seed", &options.seed, 0, 1000000000}};
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        const Numeric* numeric = nullptr;
        for (const Numeric& n : numerics)
            if (word == n.name) numeric = &n;
        if (numeric) {
            long value = 0;
            if (i + 1 >= args.size() || !ParseWholeNumber(args[i + 1], numeric->high, value) || value < numeric->low) {
                std::fprintf(err, "tm3: %s needs a whole number from %ld to %ld\n", word.c_str(), numeric->low,
                             numeric->high);
                return false;
            }
            *numeric->value = value;
            ++i;
        } else if (word == "--count-only") {
            options.countOnly = true;
        } else if (word == "--figures") {
            options.figures = options.countOnly = true;
            options.limit = 1000000000;
        } else if (word == "--replace") {
            KindSwap swap;
            if (i + 1 >= args.size() || !ParseKindSwap(args[i + 1], swap)) {
                std::fprintf(err,
                             "tm3: --replace needs TAUGHT=NEUTRAL of cube, corner, ramp, magnet, spike, spring, "
                             "balloon, iron, plastic, bomb (elements for elements, balls for balls)\n");
                return false;
            }
            options.swaps.push_back(swap);
            ++i;
        } else if (word == "--directions") {
            if (i + 1 >= args.size() || !ParseDirections(args[i + 1], options.directions)) {
                std::fprintf(err, "tm3: --directions needs launch directions -x +z +x -z separated by commas\n");
                return false;
            }
            ++i;
        } else if (word.size() > 1 && word[0] == '-') {
            std::fprintf(err, "tm3: unknown option '%s'; usage: %s\n", word.c_str(), solveUsage);
            return false;
        } else if (options.path.empty()) {
            options.path = word;
        } else {
            std::fprintf(err, "tm3: usage: %s\n", solveUsage);
            return false;
        }
    }
    if (options.path.empty()) std::fprintf(err, "tm3: usage: %s\n", solveUsage);
    return !options.path.empty();
}

// The trial's board before the roll: the prepared puzzle, its balls' chosen
// directions, the pieces put down.
void Lay(const Search& search, const Trial& trial, Board& layout) {
    layout = search.prepared;
    for (size_t k = 0; k < search.needDirection.size(); ++k)
        layout.balls[search.needDirection[k]].direction = static_cast<int8_t>(trial.directions[k]);
    for (const Placement& piece : trial.pieces) ApplyPlacement(layout, piece);
}

// Marks every cell within one cell of a cell a ball passed through.
void Widen(const Board& board, const std::vector<uint8_t>& visited, std::vector<uint8_t>& near) {
    std::fill(near.begin(), near.end(), uint8_t{0});
    for (int z = 0; z < board.sizeZ; ++z)
        for (int y = 0; y < board.sizeY; ++y)
            for (int x = 0; x < board.sizeX; ++x) {
                if (!visited[static_cast<size_t>(board.Index(x, y, z))]) continue;
                for (int dz = -1; dz <= 1; ++dz)
                    for (int dy = -1; dy <= 1; ++dy)
                        for (int dx = -1; dx <= 1; ++dx)
                            if (board.Contains(x + dx, y + dy, z + dz))
                                near[static_cast<size_t>(board.Index(x + dx, y + dy, z + dz))] = 1;
            }
}

// Rolls one trial; a win is kept with its exact tick, a loss grows children.
void RunTrial(const Search& search, const Trial& trial, Worker& w, bool grow) {
    Lay(search, trial, w.layout);
    w.rolled = w.layout;
    std::fill(w.trail.visited.begin(), w.trail.visited.end(), uint8_t{0});
    ++w.runs;
    if (RollBoard(w.rolled, search.ticks, true, &w.trail).solved) {
        w.rolled = w.layout;
        const RollOutcome exact = RollBoard(w.rolled, search.ticks + 2000, false, nullptr);
        w.found.push_back({trial, exact.ticks});
        return;
    }
    if (!grow) return;
    Widen(w.layout, w.trail.visited, w.near);
    int left[stockSlots];
    for (int kind = 0; kind < stockSlots; ++kind) left[kind] = search.prepared.stock[kind];
    for (const Placement& piece : trial.pieces) --left[piece.kind];
    const Board& board = w.layout;
    for (int kind = 1; kind < elementKindCount; ++kind) {
        if (left[kind] <= 0) continue;
        for (int cell = 0; cell < board.cellCount; ++cell) {
            const bool ball = IsBallKind(kind);
            if (!ball && !w.near[static_cast<size_t>(cell)]) continue;
            int x, y, z;
            board.CellOf(cell, x, y, z);
            if (!CanPlaceInPlay(board, kind, x, y, z)) continue;
            auto addChild = [&](int direction) {
                Trial child = trial;
                const Placement piece{cell, kind, direction};
                child.pieces.insert(std::upper_bound(child.pieces.begin(), child.pieces.end(), piece), piece);
                w.children.push_back(std::move(child));
            };
            if (!ball)
                addChild(0);
            else
                for (int direction : search.directions) addChild(direction);
        }
    }
}

// The solution as a level in its designed form: the pieces flagged where they
// go, every ball with its direction.
Board SolutionBoard(const Search& search, const Trial& trial) {
    Board board(1, 1, 1);
    Lay(search, trial, board);
    for (int b = search.prepared.ballCount; b < board.ballCount; ++b)
        board.balls[b].lock = static_cast<int8_t>(BallLock::PlayerBall);
    return board;
}

}  // namespace

int Tm3Solve(const Tm3Args& args, std::FILE* out, std::FILE* err, SolveReport* report) {
    SolveOptions options;
    if (!ParseSolveOptions(args, options, err)) return 2;
    LevelData puzzle;
    if (!LoadForInspection(options.path, puzzle, err)) return 2;
    for (const KindSwap& swap : options.swaps) SwapKinds(puzzle.board, swap);
    BuildCollisionShapes();
    const auto start = std::chrono::steady_clock::now();

    Search search;
    search.prepared.CopyFrom(puzzle.board);
    search.prepared.PrepareForPlay();
    search.ticks = options.ticks;
    search.directions = options.directions;
    bool launchable = true;
    for (int b = 0; b < search.prepared.ballCount; ++b) {
        const Ball& ball = search.prepared.balls[b];
        if (ball.lock == static_cast<int8_t>(BallLock::FixedBall))
            launchable = launchable && ball.direction >= 1 && ball.direction <= 4;
        else
            search.needDirection.push_back(b);
    }

    // Depth 0: every choice of direction for the puzzle's own balls.
    std::vector<Trial> batch;
    if (launchable) {
        batch.push_back({});
        for (size_t k = 0; k < search.needDirection.size(); ++k) {
            std::vector<Trial> next;
            for (const Trial& t : batch)
                for (int d : search.directions) {
                    next.push_back(t);
                    next.back().directions.push_back(d);
                }
            batch.swap(next);
        }
    }

    const unsigned jobs = static_cast<unsigned>(options.jobs);
    std::vector<Worker> workers(jobs);
    for (Worker& w : workers) {
        w.trail.visited.assign(static_cast<size_t>(search.prepared.cellCount), 0);
        w.near.assign(static_cast<size_t>(search.prepared.cellCount), 0);
    }
    std::vector<Found> found;
    long runs = 0;
    long fewest = -1, fewestWins = 0, fewestRuns = 0;
    if (options.walks > 0 && !batch.empty()) {
        // A designer's sampling of deep placements: each walk takes a random
        // child after each trial until it wins or runs out of pieces.
        std::atomic<long> nextWalk{0};
        auto walk = [&](Worker& w) {
            for (long i = nextWalk++; i < options.walks; i = nextWalk++) {
                std::mt19937 random(static_cast<uint32_t>(options.seed * 1000003 + i));
                Trial trial = batch[random() % batch.size()];
                for (long depth = 0; depth <= options.maxPieces; ++depth) {
                    w.children.clear();
                    const size_t before = w.found.size();
                    RunTrial(search, trial, w, depth < options.maxPieces);
                    if (w.found.size() > before || w.children.empty()) break;
                    trial = w.children[random() % w.children.size()];
                }
                w.children.clear();
            }
        };
        std::vector<std::thread> threads;
        for (unsigned j = 1; j < jobs; ++j) threads.emplace_back(walk, std::ref(workers[j]));
        walk(workers[0]);
        for (std::thread& t : threads) t.join();
        for (Worker& w : workers) {
            found.insert(found.end(), w.found.begin(), w.found.end());
            runs += w.runs;
        }
        std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
            if (a.trial.pieces.size() != b.trial.pieces.size()) return a.trial.pieces.size() < b.trial.pieces.size();
            return a.ticks != b.ticks ? a.ticks < b.ticks : a.trial < b.trial;
        });
        found.erase(std::unique(found.begin(), found.end(),
                                [](const Found& a, const Found& b) { return a.trial == b.trial; }),
                    found.end());
        batch.clear();
    }
    for (long depth = 0; depth <= options.maxPieces && !batch.empty(); ++depth) {
        const bool grow = depth < options.maxPieces;
        std::atomic<size_t> nextTrial{0};
        auto work = [&](Worker& w) {
            for (size_t i = nextTrial++; i < batch.size(); i = nextTrial++) RunTrial(search, batch[i], w, grow);
        };
        std::vector<std::thread> threads;
        for (unsigned j = 1; j < jobs; ++j) threads.emplace_back(work, std::ref(workers[j]));
        work(workers[0]);
        for (std::thread& t : threads) t.join();

        std::vector<Found> level;
        batch.clear();
        for (Worker& w : workers) {
            level.insert(level.end(), w.found.begin(), w.found.end());
            batch.insert(batch.end(), std::make_move_iterator(w.children.begin()),
                         std::make_move_iterator(w.children.end()));
            w.found.clear();
            w.children.clear();
            runs += w.runs;
            w.runs = 0;
        }
        // Cheaper first: within a depth, the shorter runs.
        std::sort(level.begin(), level.end(), [](const Found& a, const Found& b) {
            return a.ticks != b.ticks ? a.ticks < b.ticks : a.trial < b.trial;
        });
        found.insert(found.end(), level.begin(), level.end());
        if (options.figures && !level.empty()) {
            fewest = depth;
            fewestWins = static_cast<long>(level.size());
            fewestRuns = runs;
            break;
        }
        if (static_cast<long>(found.size()) >= options.limit) break;
        std::sort(batch.begin(), batch.end());
        batch.erase(std::unique(batch.begin(), batch.end()), batch.end());
    }
    if (static_cast<long>(found.size()) > options.limit) found.resize(static_cast<size_t>(options.limit));

    if (!options.countOnly) {
        for (size_t i = 0; i < found.size(); ++i) {
            LevelData level;
            level.board = SolutionBoard(search, found[i].trial);
            level.camera = puzzle.camera;
            level.hasView = puzzle.hasView;
            std::fprintf(out, "# solution %zu: %zu pieces, solved at tick %ld\n", i + 1, found[i].trial.pieces.size(),
                         found[i].ticks);
            std::fputs(DumpLevel(level).c_str(), out);
            std::fputs("\n", out);
        }
    }
    if (options.figures) {
        if (fewest < 0)
            std::fprintf(out, "fewest none runs %ld\n", runs);
        else
            std::fprintf(out, "fewest %ld wins %ld runs %ld\n", fewest, fewestWins, fewestRuns);
    } else {
        std::fprintf(out, "solutions %zu\n", found.size());
    }
    if (report) *report = {runs, static_cast<long>(found.size())};
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::fprintf(err, "tm3: %ld trial runs in %.2f s (%.0f runs/s, %u jobs)\n", runs, seconds,
                 seconds > 0.0 ? static_cast<double>(runs) / seconds : 0.0, jobs);
    return 0;
}
