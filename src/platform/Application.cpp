#include "platform/Application.h"

#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>

#include "platform/CrashLog.h"
#include "platform/Event.h"
#include "platform/FrameLoop.h"
#include "platform/Renderer.h"
#include "platform/Runtime.h"
#include "platform/Stage.h"

namespace scene {

int keyCodeFromSDL(int key) {
    if (key >= SDLK_a && key <= SDLK_z) return 'A' + (key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9) return '0' + (key - SDLK_0);
    if (key >= SDLK_F1 && key <= SDLK_F12) return 112 + (key - SDLK_F1);
    switch (key) {
        case SDLK_RETURN:
        case SDLK_KP_ENTER: return Keyboard::ENTER;
        case SDLK_BACKSPACE: return Keyboard::BACKSPACE;
        case SDLK_TAB: return Keyboard::TAB;
        case SDLK_ESCAPE: return Keyboard::ESCAPE;
        case SDLK_SPACE: return Keyboard::SPACE;
        case SDLK_DELETE: return Keyboard::DELETE;
        case SDLK_LEFT: return Keyboard::LEFT;
        case SDLK_RIGHT: return Keyboard::RIGHT;
        case SDLK_UP: return Keyboard::UP;
        case SDLK_DOWN: return Keyboard::DOWN;
        case SDLK_HOME: return Keyboard::HOME;
        case SDLK_END: return Keyboard::END;
        case SDLK_LSHIFT:
        case SDLK_RSHIFT: return Keyboard::SHIFT;
        case SDLK_LCTRL:
        case SDLK_RCTRL: return 17;
        case SDLK_LALT:
        case SDLK_RALT: return 18;
        default: return 0;
    }
}

namespace {

struct WindowDeleter {
    void operator()(SDL_Window* w) const { SDL_DestroyWindow(w); }
};

struct Window {
    std::unique_ptr<SDL_Window, WindowDeleter> window;
    detail::SdlRendererPtr renderer;
    bool fullScreen = false;
    SDL_Rect windowed{};
};

bool headlessDriver(const char* driver) {
    return !driver || std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0;
}

void setIcon(SDL_Window* window, const std::string& file) {
    if (file.empty()) return;
    detail::ensureImageLibrary();
    const detail::SurfacePtr icon(IMG_Load(file.c_str()));
    if (!icon) {
        std::fprintf(stderr, "Pelmora: no window icon (%s).\n", IMG_GetError());
        return;
    }
    SDL_SetWindowIcon(window, icon.get());
}

// SDL with a real display, a window and a renderer for it; nothing (after a
// line on stderr, with SDL shut down) when any of them is missing.
std::optional<Window> openWindow(const WindowConfig& config) {
    const bool displayNamed = std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY") || std::getenv("SDL_VIDEODRIVER");
    if (!displayNamed) {
        std::fprintf(stderr, "Pelmora: no display available (DISPLAY and WAYLAND_DISPLAY are not set); "
                             "run it on a desktop, or use pelmora-headless.\n");
        return std::nullopt;
    }
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS | SDL_INIT_TIMER) != 0) {
        std::fprintf(stderr, "Pelmora: no display available (%s).\n", SDL_GetError());
        return std::nullopt;
    }
    // SDL falls back to an invisible driver when no display answers: refuse to run unseen.
    if (headlessDriver(SDL_GetCurrentVideoDriver())) {
        std::fprintf(stderr, "Pelmora: no display available (SDL picked the '%s' video driver).\n",
                     SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "none");
        SDL_Quit();
        return std::nullopt;
    }
    Uint32 flags = SDL_WINDOW_SHOWN | SDL_WINDOW_ALLOW_HIGHDPI;
    if (config.resizable) flags |= SDL_WINDOW_RESIZABLE;
    Window w;
    w.window.reset(SDL_CreateWindow(config.title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                    config.width, config.height, flags));
    if (!w.window) {
        std::fprintf(stderr, "Pelmora: cannot open a window (%s).\n", SDL_GetError());
        SDL_Quit();
        return std::nullopt;
    }
    setIcon(w.window.get(), config.icon);
    w.renderer.reset(SDL_CreateRenderer(w.window.get(), -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC));
    if (!w.renderer) {
        // Without acceleration, draw straight into the window surface.
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
        SDL_SetHint(SDL_HINT_RENDER_BATCHING, "1");
        w.renderer.reset(SDL_CreateRenderer(w.window.get(), -1, SDL_RENDERER_SOFTWARE));
    }
    if (!w.renderer) {
        std::fprintf(stderr, "Pelmora: cannot create a renderer (%s).\n", SDL_GetError());
        w.window.reset();
        SDL_Quit();
        return std::nullopt;
    }
    return w;
}

void deliverEvent(Stage& stage, const SDL_Event& e) {
    switch (e.type) {
        case SDL_MOUSEMOTION: {
            const Point p = stage.windowToStage(e.motion.x, e.motion.y);
            stage.mouseMove(p.x, p.y);
            break;
        }
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            if (e.button.button != SDL_BUTTON_LEFT) break;
            const Point p = stage.windowToStage(e.button.x, e.button.y);
            if (e.type == SDL_MOUSEBUTTONDOWN) stage.mouseDown(p.x, p.y, e.button.clicks);
            else stage.mouseUp(p.x, p.y);
            break;
        }
        case SDL_KEYDOWN: {
            const int sym = e.key.keysym.sym;
            const bool altEnter = (sym == SDLK_RETURN || sym == SDLK_KP_ENTER) && (e.key.keysym.mod & KMOD_ALT);
            if (sym == SDLK_F11 || altEnter) {
                if (!e.key.repeat) stage.setFullScreen(!stage.fullScreen(), true);
                break;
            }
            stage.keyDown(keyCodeFromSDL(sym), (sym >= 32 && sym < 127) ? static_cast<unsigned>(sym) : 0u,
                          (e.key.keysym.mod & KMOD_SHIFT) != 0);
            break;
        }
        case SDL_TEXTINPUT: stage.textInput(e.text.text); break;
        case SDL_WINDOWEVENT:
            if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST || e.window.event == SDL_WINDOWEVENT_MINIMIZED) {
                stage.deactivate();
            }
            break;
        default: break;
    }
}

// Fullscreen at the desktop's resolution, with no mode change: the window,
// without borders, covers its display; leaving it gives back the window's
// place and size. (SDL's own desktop fullscreen leaves the window small and
// centred when no window manager answers.)
void applyFullScreen(const Stage& stage, Window& w) {
    if (w.fullScreen == stage.fullScreen()) return;
    SDL_Window* win = w.window.get();
    if (stage.fullScreen()) {
        SDL_Rect bounds;
        if (SDL_GetDisplayBounds(std::max(0, SDL_GetWindowDisplayIndex(win)), &bounds) != 0) {
            std::fprintf(stderr, "Pelmora: cannot go fullscreen (%s).\n", SDL_GetError());
            return;
        }
        SDL_GetWindowPosition(win, &w.windowed.x, &w.windowed.y);
        SDL_GetWindowSize(win, &w.windowed.w, &w.windowed.h);
        SDL_SetWindowBordered(win, SDL_FALSE);
        SDL_SetWindowPosition(win, bounds.x, bounds.y);
        SDL_SetWindowSize(win, bounds.w, bounds.h);
        SDL_RaiseWindow(win);
    } else {
        SDL_SetWindowBordered(win, SDL_TRUE);
        SDL_SetWindowSize(win, w.windowed.w, w.windowed.h);
        SDL_SetWindowPosition(win, w.windowed.x, w.windowed.y);
    }
    w.fullScreen = stage.fullScreen();
}

// The frame's input: the window's size, then every waiting event. False once the window is closed.
bool deliverInput(Stage& stage, Window& w) {
    applyFullScreen(stage, w);
    SDL_Window* window = w.window.get();
    int ww = 0, wh = 0;
    SDL_GetWindowSize(window, &ww, &wh);
    stage.setWindowSize(ww, wh);
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        if (e.type == SDL_QUIT) return false;
        deliverEvent(stage, e);
    }
    return true;
}

}  // namespace

int Application::run(const WindowConfig& config, const std::function<void(Stage&)>& ready) {
    auto window = openWindow(config);
    if (!window) return 1;
    {
        detail::Renderer renderer(window->renderer.get());
        auto stage = std::make_shared<Stage>(config.width, config.height);
        stage->setColor(config.background);
        SDL_StartTextInput();
        ready(*stage);
        // SDL loads its video and audio back-ends on demand: let the crash
        // logger see them.
        refreshCrashModules();

        detail::FrameLoop loop(*stage, renderer, config.frameRate, detail::FrameLoop::Pacing::RealTime);
        while (deliverInput(*stage, *window)) {
            // The stage maps window points; the renderer may have more pixels than the window has points.
            int ww = 0, wh = 0, ow = 0, oh = 0;
            SDL_GetWindowSize(window->window.get(), &ww, &wh);
            SDL_GetRendererOutputSize(window->renderer.get(), &ow, &oh);
            const double kx = ww > 0 ? static_cast<double>(ow) / ww : 1.0;
            const double ky = wh > 0 ? static_cast<double>(oh) / wh : 1.0;
            loop.runFrame(stage->viewScaleX() * kx, stage->viewScaleY() * ky, stage->viewOffsetX() * kx,
                          stage->viewOffsetY() * ky);
        }
        SDL_StopTextInput();
        // The stage and its textures go before the renderer.
        while (stage->numChildren() > 0) stage->removeChildAt(stage->numChildren() - 1);
    }
    window.reset();
    SDL_Quit();
    return 0;
}

}  // namespace scene
