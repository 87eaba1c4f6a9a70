#include "platform/Application.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/Event.h"
#include "platform/Renderer.h"
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
struct RendererDeleter {
    void operator()(SDL_Renderer* r) const { SDL_DestroyRenderer(r); }
};

bool headlessDriver(const char* driver) {
    return !driver || std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0;
}

}  // namespace

int Application::run(const WindowConfig& config, const std::function<void(Stage&)>& ready) {
    const bool displayNamed = std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY") || std::getenv("SDL_VIDEODRIVER");
    if (!displayNamed) {
        std::fprintf(stderr, "Pelmora: no display available (DISPLAY and WAYLAND_DISPLAY are not set); "
                             "run it on a desktop, or use pelmora-headless.\n");
        return 1;
    }
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS | SDL_INIT_TIMER) != 0) {
        std::fprintf(stderr, "Pelmora: no display available (%s).\n", SDL_GetError());
        return 1;
    }
    // SDL falls back to an invisible driver when no display answers: refuse to run unseen.
    if (headlessDriver(SDL_GetCurrentVideoDriver())) {
        std::fprintf(stderr, "Pelmora: no display available (SDL picked the '%s' video driver).\n",
                     SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "none");
        SDL_Quit();
        return 1;
    }
    Uint32 flags = SDL_WINDOW_SHOWN | SDL_WINDOW_ALLOW_HIGHDPI;
    if (config.resizable) flags |= SDL_WINDOW_RESIZABLE;
    std::unique_ptr<SDL_Window, WindowDeleter> window(SDL_CreateWindow(
        config.title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, config.width, config.height, flags));
    if (!window) {
        std::fprintf(stderr, "Pelmora: cannot open a window (%s).\n", SDL_GetError());
        SDL_Quit();
        return 1;
    }
    std::unique_ptr<SDL_Renderer, RendererDeleter> sdlRenderer(
        SDL_CreateRenderer(window.get(), -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC));
    if (!sdlRenderer) {
        // Without acceleration, draw straight into the window surface.
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
        SDL_SetHint(SDL_HINT_RENDER_BATCHING, "1");
        sdlRenderer.reset(SDL_CreateRenderer(window.get(), -1, SDL_RENDERER_SOFTWARE));
    }
    if (!sdlRenderer) {
        std::fprintf(stderr, "Pelmora: cannot create a renderer (%s).\n", SDL_GetError());
        SDL_Quit();
        return 1;
    }
    int status = 0;
    {
        detail::Renderer renderer(sdlRenderer.get());
        auto stage = std::make_shared<Stage>(config.width, config.height);
        stage->setColor(config.background);
        SDL_StartTextInput();
        ready(*stage);

        const Uint64 freq = SDL_GetPerformanceFrequency();
        const double period = static_cast<double>(freq) / (config.frameRate > 0 ? config.frameRate : 60.0);
        double next = static_cast<double>(SDL_GetPerformanceCounter()) + period;
        bool running = true;
        while (running) {
            int ww = 0, wh = 0;
            SDL_GetWindowSize(window.get(), &ww, &wh);
            stage->setWindowSize(ww, wh);
            SDL_Event e;
            while (SDL_PollEvent(&e)) {
                switch (e.type) {
                    case SDL_QUIT: running = false; break;
                    case SDL_MOUSEMOTION: {
                        const Point p = stage->windowToStage(e.motion.x, e.motion.y);
                        stage->mouseMove(p.x, p.y);
                        break;
                    }
                    case SDL_MOUSEBUTTONDOWN:
                        if (e.button.button == SDL_BUTTON_LEFT) {
                            const Point p = stage->windowToStage(e.button.x, e.button.y);
                            stage->mouseDown(p.x, p.y, e.button.clicks);
                        }
                        break;
                    case SDL_MOUSEBUTTONUP:
                        if (e.button.button == SDL_BUTTON_LEFT) {
                            const Point p = stage->windowToStage(e.button.x, e.button.y);
                            stage->mouseUp(p.x, p.y);
                        }
                        break;
                    case SDL_KEYDOWN: {
                        const int code = keyCodeFromSDL(e.key.keysym.sym);
                        const int sym = e.key.keysym.sym;
                        stage->keyDown(code, (sym >= 32 && sym < 127) ? static_cast<unsigned>(sym) : 0u,
                                       (e.key.keysym.mod & KMOD_SHIFT) != 0);
                        break;
                    }
                    case SDL_TEXTINPUT: stage->textInput(e.text.text); break;
                    default: break;
                }
            }
            if (!running) break;
            stage->advanceFrame();
            int ow = 0, oh = 0;
            SDL_GetRendererOutputSize(sdlRenderer.get(), &ow, &oh);
            stage->renderFrame(renderer, static_cast<double>(ow) / config.width, static_cast<double>(oh) / config.height);
            SDL_RenderPresent(sdlRenderer.get());

            // Pace to the frame rate even when vsync is off or the display is faster.
            const double now = static_cast<double>(SDL_GetPerformanceCounter());
            if (now < next) {
                const double ms = (next - now) * 1000.0 / static_cast<double>(freq);
                if (ms > 1.0) SDL_Delay(static_cast<Uint32>(ms));
                next += period;
            } else {
                next = now - period * 4 > next ? now + period : next + period;
            }
        }
        SDL_StopTextInput();
        // The stage and its textures go before the renderer.
        while (stage->numChildren() > 0) stage->removeChildAt(stage->numChildren() - 1);
    }
    sdlRenderer.reset();
    window.reset();
    SDL_Quit();
    return status;
}

}  // namespace scene
