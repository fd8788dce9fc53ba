// The window, its display modes and its events on SDL2.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/platform.h"

struct WindowState {
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
    std::vector<SDL_DisplayMode> sdlModes;  // parallel to the last enumeration
    bool inWindow = false;        // a window of the mode's size rather than full screen
    bool resized = false;         // the window's size changed since WindowResized was asked
    // ---- loss ----
    bool minimised = false;
    bool unfocused = false;
    bool hidden = false;          // a dialog of another program is open
    bool restorePending = false;  // the dialog is over; shown at the next event poll
    // ---- clock ----
    uint64_t startCounter = 0;
    double counterPerMs = 1.0;
    bool videoStarted = false;
    bool displayMissing = false;  // no message box can be shown either
};

static WindowState win;

// ---- Start and stop ----

bool StartPlatform(std::string& message) {
    win.startCounter = SDL_GetPerformanceCounter();
    win.counterPerMs = static_cast<double>(SDL_GetPerformanceFrequency()) / 1000.0;
    // With no display SDL falls back to its offscreen or dummy driver, which
    // shows nothing: unless asked for by name, that counts as no display.
    const char* wanted = std::getenv("SDL_VIDEODRIVER");
    // A click that opens a file dialog would leave SDL holding the pointer for
    // a hidden window; the full-screen game has no use for the capture.
    SDL_SetHint(SDL_HINT_MOUSE_AUTO_CAPTURE, "0");
    const bool started = SDL_Init(SDL_INIT_VIDEO) == 0;
    const char* driver = started ? SDL_GetCurrentVideoDriver() : nullptr;
    const bool invisible = driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0) &&
                           !(wanted && std::strcmp(wanted, driver) == 0);
    if (!started || invisible || SDL_GetNumVideoDisplays() < 1) {
        if (started) SDL_Quit();
        win.displayMissing = true;
        const std::string sdlError = SDL_GetError();
        message = "Nem található grafikus kijelző, ezért a játék nem tud elindulni.\n"
                  "Indítsd asztali környezetből, vagy állítsd be a DISPLAY változót (képernyő nélkül: "
                  "xvfb-run -a -s \"-screen 0 1024x768x24\" ./tumbleon).\n\n"
                  "No display was found, so the game cannot start. Start it from a desktop session or set "
                  "DISPLAY (without a screen: xvfb-run -a -s \"-screen 0 1024x768x24\" ./tumbleon)." +
                  (sdlError.empty() ? std::string() : "\n(SDL: " + sdlError + ")");
        return false;
    }
    win.videoStarted = true;
    return true;
}

void StopPlatform() {
    CloseGameWindow();
    if (win.videoStarted) SDL_Quit();
    win.videoStarted = false;
}

// ---- Display modes ----

uint32_t FormatCodeOfSdlFormat(uint32_t sdlFormat) {
    switch (sdlFormat) {
    case SDL_PIXELFORMAT_RGB24:
    case SDL_PIXELFORMAT_BGR24: return 20;       // 24 bits packed
    case SDL_PIXELFORMAT_ARGB8888: return 21;
    case SDL_PIXELFORMAT_RGB888: return 22;      // X8R8G8B8
    case SDL_PIXELFORMAT_RGB565: return 23;
    case SDL_PIXELFORMAT_RGB555: return 24;      // X1R5G5B5
    case SDL_PIXELFORMAT_ARGB1555: return 25;
    case SDL_PIXELFORMAT_ARGB4444: return 26;
    case SDL_PIXELFORMAT_RGB444: return 30;      // X4R4G4B4
    case SDL_PIXELFORMAT_ABGR8888: return 32;
    case SDL_PIXELFORMAT_BGR888: return 33;      // X8B8G8R8
    case SDL_PIXELFORMAT_ARGB2101010: return 35; // A2R10G10B10: the game does not draw with it
    default: return 0;
    }
}

std::vector<DisplayMode> EnumerateDisplayModes() {
    std::vector<DisplayMode> modes;
    win.sdlModes.clear();
    const int count = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode sdl{};
        if (SDL_GetDisplayMode(0, i, &sdl) != 0) continue;
        DisplayMode mode;
        mode.width = static_cast<uint32_t>(sdl.w);
        mode.height = static_cast<uint32_t>(sdl.h);
        mode.refreshRate = sdl.refresh_rate > 0 ? static_cast<uint32_t>(sdl.refresh_rate) : 0;
        mode.format = FormatCodeOfSdlFormat(sdl.format);
        modes.push_back(mode);
        win.sdlModes.push_back(sdl);
    }
    return modes;
}

// The SDL mode behind one of the game's records; SDL's closest match when the
// record did not come from the enumeration.
static bool SdlModeOf(const DisplayMode& mode, SDL_DisplayMode& sdl) {
    for (const SDL_DisplayMode& m : win.sdlModes) {
        if (static_cast<uint32_t>(m.w) == mode.width && static_cast<uint32_t>(m.h) == mode.height &&
            static_cast<uint32_t>(m.refresh_rate > 0 ? m.refresh_rate : 0) == mode.refreshRate &&
            FormatCodeOfSdlFormat(m.format) == mode.format) {
            sdl = m;
            return true;
        }
    }
    SDL_DisplayMode wanted{};
    wanted.w = static_cast<int>(mode.width);
    wanted.h = static_cast<int>(mode.height);
    wanted.refresh_rate = static_cast<int>(mode.refreshRate);
    return SDL_GetClosestDisplayMode(0, &wanted, &sdl) != nullptr;
}

// ---- The window ----

bool OpenGameWindow(const DisplayMode& mode, bool inWindow, std::string& message) {
    SDL_DisplayMode sdl{};
    if (!SdlModeOf(mode, sdl)) {
        message = "The display cannot show " + std::to_string(mode.width) + " x " + std::to_string(mode.height);
        return false;
    }
    // Without these SDL quietly hands out a compatibility context.
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    const int at = inWindow ? static_cast<int>(SDL_WINDOWPOS_CENTERED) : 0;
    win.window = SDL_CreateWindow("Tumbleon_3dx", at, at, sdl.w, sdl.h, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!win.window) {
        message = std::string("SDL_CreateWindow: ") + SDL_GetError();
        return false;
    }
    // The mode is kept for full screen; a window leaves the display's mode alone.
    SDL_SetWindowDisplayMode(win.window, &sdl);
    win.inWindow = inWindow;
    if (!inWindow && SDL_SetWindowFullscreen(win.window, SDL_WINDOW_FULLSCREEN) != 0) {
        message = std::string("SDL_SetWindowFullscreen: ") + SDL_GetError();
        CloseGameWindow();
        return false;
    }
    SDL_ShowWindow(win.window);
    win.context = SDL_GL_CreateContext(win.window);
    if (!win.context) {
        message = std::string("OpenGL 3.3 core: ") + SDL_GetError();
        CloseGameWindow();
        return false;
    }
    SDL_GL_MakeCurrent(win.window, win.context);
    SDL_GL_SetSwapInterval(1);
    win.minimised = win.unfocused = win.hidden = false;
    return true;
}

bool ApplyWindowMode(const DisplayMode& mode) {
    if (!win.window) return false;
    SDL_DisplayMode sdl{};
    if (!SdlModeOf(mode, sdl)) return false;
    // In a window only the window's size changes; the mode waits for full screen.
    if (win.inWindow) {
        if (SDL_SetWindowDisplayMode(win.window, &sdl) != 0) return false;
        SDL_SetWindowSize(win.window, sdl.w, sdl.h);
        return true;
    }
    // A full-screen window takes a new mode by leaving full screen, taking the
    // size at the top-left corner, and going full screen again.
    SDL_SetWindowFullscreen(win.window, 0);
    if (SDL_SetWindowDisplayMode(win.window, &sdl) != 0) return false;
    SDL_SetWindowSize(win.window, sdl.w, sdl.h);
    SDL_SetWindowPosition(win.window, 0, 0);
    return SDL_SetWindowFullscreen(win.window, SDL_WINDOW_FULLSCREEN) == 0;
}

bool ShowGameWindowAs(bool inWindow, const DisplayMode& mode) {
    if (!win.window) return false;
    SDL_DisplayMode sdl{};
    if (!SdlModeOf(mode, sdl)) return false;
    if (inWindow) {
        // Leaving full screen gives the display its own mode back.
        if (SDL_SetWindowFullscreen(win.window, 0) != 0) return false;
        SDL_SetWindowSize(win.window, sdl.w, sdl.h);
        SDL_SetWindowPosition(win.window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    } else {
        if (SDL_SetWindowDisplayMode(win.window, &sdl) != 0) return false;
        SDL_SetWindowPosition(win.window, 0, 0);
        if (SDL_SetWindowFullscreen(win.window, SDL_WINDOW_FULLSCREEN) != 0) {
            SDL_SetWindowPosition(win.window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
            return false;
        }
    }
    win.inWindow = inWindow;
    win.unfocused = false;  // a window keeps drawing without the focus; full screen learns it anew
    SDL_RaiseWindow(win.window);
    return true;
}

bool WindowIsFullScreen() {
    return win.window && (SDL_GetWindowFlags(win.window) & SDL_WINDOW_FULLSCREEN) != 0;
}

bool WindowResized() {
    const bool resized = win.resized;
    win.resized = false;
    return resized;
}

void CloseGameWindow() {
    if (win.context) SDL_GL_DeleteContext(win.context);
    if (win.window) SDL_DestroyWindow(win.window);
    win.context = nullptr;
    win.window = nullptr;
}

void PresentWindow() {
    if (win.window) SDL_GL_SwapWindow(win.window);
}

bool WindowLost() {
    if (!win.window) return true;
    const uint32_t flags = SDL_GetWindowFlags(win.window);
    // A window without the focus is still on the screen and is drawn on.
    return win.hidden || win.minimised || (win.unfocused && !win.inWindow) || (flags & SDL_WINDOW_MINIMIZED);
}

void WindowSize(int& width, int& height) {
    width = height = 0;
    if (win.window) SDL_GL_GetDrawableSize(win.window, &width, &height);
}

// Brings the window back after the other program's dialog or box.
static void RestoreHiddenWindow() {
    win.restorePending = false;
    SDL_ShowWindow(win.window);
    if (!win.inWindow) {
        SDL_SetWindowPosition(win.window, 0, 0);
        SDL_SetWindowFullscreen(win.window, SDL_WINDOW_FULLSCREEN);
    }
    SDL_RaiseWindow(win.window);
    // What the window went through while the other program had the screen is
    // over: it takes the keyboard back and starts afresh.
    SDL_PumpEvents();
    SDL_FlushEvent(SDL_WINDOWEVENT);
    SDL_SetWindowInputFocus(win.window);
    win.hidden = false;
    win.minimised = false;
    win.unfocused = false;
}

void SetWindowHidden(bool hidden) {
    if (!win.window) return;
    if (!hidden) {
        // Shown again once the game is back in its loop: a message box that
        // follows a file dialog at once finds the window still out of the way
        // (toggling full screen off and on in a row loses the pointer's events).
        win.restorePending = true;
        return;
    }
    if (win.hidden) {
        win.restorePending = false;
        return;
    }
    // An SDL full-screen window keeps the keyboard: the dialog would get none.
    win.hidden = true;
    SDL_SetWindowFullscreen(win.window, 0);
    SDL_HideWindow(win.window);
}

// ---- Events ----

int GameKeyCode(int32_t key) {
    switch (key) {
    case SDLK_ESCAPE: return 0x1B;
    case SDLK_LEFT: return 0x25;
    case SDLK_UP: return 0x26;
    case SDLK_RIGHT: return 0x27;
    case SDLK_DOWN: return 0x28;
    case SDLK_KP_PLUS: return 0x6B;
    case SDLK_KP_MINUS: return 0x6D;
    case SDLK_RETURN: return 0x0D;
    case SDLK_SPACE: return 0x20;
    case SDLK_F11: return 0x7A;
    default: break;
    }
    if (key >= SDLK_0 && key <= SDLK_9) return static_cast<int>(key);
    if (key >= SDLK_a && key <= SDLK_z) return static_cast<int>(key - SDLK_a + 'A');
    // Shift, the function keys, the keypad's others...: every key skips the splash.
    return static_cast<int>(KeyCode::Other);
}

static void NoteWindowEvent(const SDL_WindowEvent& event) {
    switch (event.event) {
    case SDL_WINDOWEVENT_MINIMIZED: win.minimised = true; break;
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_MAXIMIZED: win.minimised = false; break;
    case SDL_WINDOWEVENT_FOCUS_LOST: win.unfocused = true; break;
    case SDL_WINDOWEVENT_FOCUS_GAINED: win.unfocused = false; break;
    case SDL_WINDOWEVENT_SIZE_CHANGED: win.resized = true; break;
    default: break;
    }
}

bool NextWindowMessage(Message& message) {
    if (win.restorePending) RestoreHiddenWindow();
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        switch (event.type) {
        case SDL_QUIT: message = Message{}; message.type = MessageType::Destroy; return true;
        case SDL_WINDOWEVENT:
            NoteWindowEvent(event.window);
            if (event.window.event == SDL_WINDOWEVENT_EXPOSED) {
                message = Message{};
                message.type = MessageType::Paint;
                return true;
            }
            break;
        case SDL_MOUSEMOTION:
            message = Message::Mouse(MessageType::MouseMove, event.motion.x, event.motion.y);
            return true;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            const bool down = event.type == SDL_MOUSEBUTTONDOWN;
            MessageType type;
            if (event.button.button == SDL_BUTTON_LEFT)
                type = down ? MessageType::LeftButtonDown : MessageType::LeftButtonUp;
            else if (event.button.button == SDL_BUTTON_RIGHT)
                type = down ? MessageType::RightButtonDown : MessageType::RightButtonUp;
            else
                break;
            message = Message::Mouse(type, event.button.x, event.button.y);
            return true;
        }
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            const int key = GameKeyCode(event.key.keysym.sym);
            message = Message{};
            message.type = event.type == SDL_KEYDOWN ? MessageType::KeyDown : MessageType::KeyUp;
            message.key = key;
            message.wasDown = event.key.repeat != 0;
            message.alt = (event.key.keysym.mod & KMOD_ALT) != 0;
            message.ctrl = (event.key.keysym.mod & KMOD_CTRL) != 0;
            message.shift = (event.key.keysym.mod & KMOD_SHIFT) != 0;
            return true;
        }
        default: break;
        }
    }
    return false;
}

// ---- Clock ----

double PlatformClockMilliseconds() {
    return static_cast<double>(SDL_GetPerformanceCounter() - win.startCounter) / win.counterPerMs;
}

void PlatformSleepMilliseconds(int ms) { SDL_Delay(static_cast<uint32_t>(ms)); }

// ---- Message box ----

void ShowFailure(const std::string& title, const std::string& text) {
    std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
    std::fflush(stderr);
    // A box over the full-screen window would sit behind it, out of reach:
    // the window steps aside while the box is up.
    if (win.displayMissing) return;
    const bool overWindow = win.window && !win.hidden;
    if (overWindow) SetWindowHidden(true);
    // Works without a parent window, and fails quietly where there is no display.
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title.c_str(), text.c_str(), nullptr);
    if (overWindow) SetWindowHidden(false);
}
