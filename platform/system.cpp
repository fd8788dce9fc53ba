// Cursors and icon pictures, child processes, the level file dialog and the
// web page.
#include <SDL.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/texts.h"
#include "gfx/tga.h"
#include "platform/platform.h"

extern char** environ;

// The cursors by the game's numbers; the arrow's tip is pixel (1, 1) of each.
struct CursorPicture {
    CursorId id;
    const char* file;
};

static const CursorPicture cursorPictures[] = {
    {CursorId::Pointer, "kurzor_nyil.tga"},   // nothing held
    {CursorId::Ball, "kurzor_golyo.tga"},     // a ball is held
    {CursorId::Block, "kurzor_kocka.tga"},    // a block is held
    {CursorId::Corner, "kurzor_sarok.tga"},   // a corner is held
    {CursorId::Ramp, "kurzor_emelkedo.tga"},  // a ramp is held
};
constexpr int cursorHotX = 1, cursorHotY = 1;
constexpr int cursorCount = 5;
static const char* const iconFile = "ikon_nagy.tga";  // 64 x 64; the desktop scales it down

struct SystemState {
    SDL_Cursor* cursors[cursorCount] = {};
    int shownCursor = -1;
    std::vector<pid_t> browsers;  // started without waiting; reaped later
};

static SystemState sys;

// ---- Cursors and icon ----

// A TGA picture as an SDL surface that owns a copy of its pixels; null, said
// on stderr, when the file cannot be read.
static SDL_Surface* ReadSurface(const std::string& path) {
    Pixels pixels;
    std::string error;
    if (!ReadTgaFile(path, pixels, error)) {
        std::fprintf(stderr, "Tumbleon: the picture %s cannot be loaded (%s); the system's own stands in.\n",
                     path.c_str(), error.c_str());
        return nullptr;
    }
    const int w = pixels.width, h = pixels.height;
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_RGBA32);
    if (surface) {
        for (int y = 0; y < h; ++y)
            std::memcpy(static_cast<uint8_t*>(surface->pixels) + y * surface->pitch,
                        pixels.rgba.data() + static_cast<size_t>(y) * static_cast<size_t>(w) * 4,
                        static_cast<size_t>(w) * 4);
    }
    return surface;
}

void LoadCursorsAndIcon(const std::string& folder) {
    for (int i = 0; i < cursorCount; ++i) {
        SDL_Surface* surface = ReadSurface(folder + cursorPictures[i].file);
        if (!surface) continue;
        sys.cursors[i] = SDL_CreateColorCursor(surface, cursorHotX, cursorHotY);
        SDL_FreeSurface(surface);
    }
    if (SDL_Surface* icon = ReadSurface(folder + iconFile)) {
        SDL_Window* window = SDL_GL_GetCurrentWindow();
        if (window) SDL_SetWindowIcon(window, icon);
        SDL_FreeSurface(icon);
    }
}

void ShowGameCursor(CursorId cursor) {
    for (int i = 0; i < cursorCount; ++i) {
        if (cursorPictures[i].id != cursor) continue;
        if (sys.shownCursor == i) return;
        sys.shownCursor = i;
        SDL_SetCursor(sys.cursors[i] ? sys.cursors[i] : SDL_GetDefaultCursor());
        return;
    }
}

// ---- Child processes ----

static void ReapBrowsers() {
    for (size_t i = 0; i < sys.browsers.size();) {
        if (waitpid(sys.browsers[i], nullptr, WNOHANG) != 0)
            sys.browsers.erase(sys.browsers.begin() + static_cast<long>(i));
        else
            ++i;
    }
}

int RunChildProcess(const std::vector<std::string>& arguments, bool waitForIt, std::string* output) {
    if (arguments.empty()) return -1;
    std::vector<char*> argv;
    for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    int pipeEnds[2] = {-1, -1};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (output) {
        if (pipe2(pipeEnds, O_CLOEXEC) != 0) {
            posix_spawn_file_actions_destroy(&actions);
            return -1;
        }
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    }
    pid_t pid = 0;
    // A path search, no shell: nothing in the arguments is ever interpreted.
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (output) close(pipeEnds[1]);
    if (spawned != 0) {
        if (output) close(pipeEnds[0]);
        return -1;
    }
    if (output) {
        char buffer[4096];
        for (;;) {
            const ssize_t n = read(pipeEnds[0], buffer, sizeof buffer);
            if (n > 0) {
                output->append(buffer, static_cast<size_t>(n));
            } else if (n < 0 && errno == EINTR) {
                continue;
            } else {
                break;
            }
        }
        close(pipeEnds[0]);
    }
    if (!waitForIt) {
        sys.browsers.push_back(pid);
        return 0;
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    // posix_spawnp reports a missing program as exit status 127 of the child.
    if (WIFEXITED(status)) return WEXITSTATUS(status) == 127 ? -1 : WEXITSTATUS(status);
    return -1;
}

// True when the program can be found on the PATH.
static bool ProgramOnPath(const char* name) {
    const char* path = std::getenv("PATH");
    if (!path) return false;
    std::string folders(path);
    size_t start = 0;
    while (start <= folders.size()) {
        size_t end = folders.find(':', start);
        if (end == std::string::npos) end = folders.size();
        const std::string folder = end > start ? folders.substr(start, end - start) : ".";
        if (access((folder + "/" + name).c_str(), X_OK) == 0) return true;
        start = end + 1;
    }
    return false;
}

// ---- Level file dialog ----

bool ChooseLevelFileWithDialog(bool open, std::string& path) {
    if (!ProgramOnPath("zenity")) {
        ShowFailure("Tumbleon",
                    "A pályák betöltéséhez és mentéséhez a zenity program kell, de nincs telepítve. "
                    "Telepítsd (sudo apt-get install zenity), és próbáld újra.\n\n"
                    "Loading and saving levels needs the zenity program, which is not installed. "
                    "Install it (sudo apt-get install zenity) and try again.");
        return false;
    }
    std::vector<std::string> arguments = {"zenity", "--file-selection",
                                          std::string("--title=") +
                                              Text(open ? TextId::LoadDialogTitle : TextId::SaveDialogTitle),
                                          "--file-filter=Saved Tumbleon Level | *.tm3",
                                          "--file-filter=* | *"};
    if (!open) {
        arguments.push_back("--save");
        arguments.push_back("--confirm-overwrite");
    }
    SetWindowHidden(true);
    std::string chosen;
    const int status = RunChildProcess(arguments, true, &chosen);
    SetWindowHidden(false);
    while (!chosen.empty() && (chosen.back() == '\n' || chosen.back() == '\r')) chosen.pop_back();
    if (status != 0 || chosen.empty()) return false;
    // Saving adds the level extension when the name has none.
    if (!open) {
        const size_t slash = chosen.find_last_of('/');
        const std::string name = slash == std::string::npos ? chosen : chosen.substr(slash + 1);
        if (name.find('.') == std::string::npos) chosen += ".tm3";
    }
    path = chosen;
    return true;
}

// ---- Web page ----

void OpenWebPageInBrowser(const char* address) {
    ReapBrowsers();
    if (!ProgramOnPath("xdg-open") || RunChildProcess({"xdg-open", address}, false, nullptr) != 0) {
        ShowFailure("Tumbleon", std::string("A weboldal megnyitásához az xdg-open program kell "
                                            "(sudo apt-get install xdg-utils). A cím: ") +
                                    address + "\n\nOpening the web page needs xdg-open (sudo apt-get install "
                                              "xdg-utils). The address: " + address);
    }
}
