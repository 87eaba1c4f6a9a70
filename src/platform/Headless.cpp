#include "platform/Headless.h"

#include <SDL.h>
#include <SDL_image.h>

#include "platform/Net.h"
#include "platform/Renderer.h"
#include "platform/Stage.h"

namespace scene {

struct Headless::Impl {
    detail::SurfacePtr surface;
    SDL_Renderer* sdl = nullptr;
    std::unique_ptr<detail::Renderer> renderer;
    std::shared_ptr<Stage> stage;
    int width = 800;
    int height = 480;
    Uint64 lastFrame = 0;
};

Headless::Headless(int width, int height) : impl_(new Impl) {
    SDL_Init(0);
    impl_->width = width;
    impl_->height = height;
    impl_->surface.reset(SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888));
    SDL_SetHint(SDL_HINT_RENDER_BATCHING, "1");
    impl_->sdl = SDL_CreateSoftwareRenderer(impl_->surface.get());
    impl_->renderer = std::make_unique<detail::Renderer>(impl_->sdl);
    impl_->stage = std::make_shared<Stage>(width, height);
}

Headless::~Headless() {
    impl_->stage.reset();
    impl_->renderer.reset();
    if (impl_->sdl) SDL_DestroyRenderer(impl_->sdl);
}

Stage& Headless::stage() { return *impl_->stage; }
std::shared_ptr<Stage> Headless::stagePtr() { return impl_->stage; }

void Headless::render() {
    impl_->stage->renderFrame(*impl_->renderer, 1.0, 1.0);
    SDL_RenderPresent(impl_->sdl);
}

void Headless::step(int frames) {
    for (int i = 0; i < frames; ++i) {
        // Frames run as fast as they can, except while requests are in flight:
        // then each frame takes its real 1/60 s, so replies arrive after as many
        // frames as they would in the window.
        if (pendingRequests() > 0) {
            const Uint64 now = SDL_GetPerformanceCounter();
            const Uint64 frame = SDL_GetPerformanceFrequency() / 60;
            if (impl_->lastFrame != 0 && now - impl_->lastFrame < frame) {
                SDL_Delay(static_cast<Uint32>((frame - (now - impl_->lastFrame)) * 1000 / SDL_GetPerformanceFrequency()));
            }
        }
        impl_->lastFrame = SDL_GetPerformanceCounter();
        impl_->stage->advanceFrame();
        render();
    }
}

void Headless::mouseMove(double x, double y) { impl_->stage->mouseMove(x, y); }
void Headless::mouseDown(double x, double y) { impl_->stage->mouseDown(x, y); }
void Headless::mouseUp(double x, double y) { impl_->stage->mouseUp(x, y); }

void Headless::click(double x, double y) {
    mouseMove(x, y);
    mouseDown(x, y);
    mouseUp(x, y);
}

void Headless::keyDown(int keyCode, unsigned charCode) { impl_->stage->keyDown(keyCode, charCode); }
void Headless::type(const std::string& utf8) { impl_->stage->textInput(utf8); }

std::uint32_t Headless::pixel(int x, int y) const {
    SDL_Surface* s = impl_->surface.get();
    if (!s || x < 0 || y < 0 || x >= s->w || y >= s->h) return 0;
    const auto* row = reinterpret_cast<const Uint32*>(static_cast<const Uint8*>(s->pixels) + y * s->pitch);
    return row[x] & 0xFFFFFF;
}

bool Headless::savePNG(const std::string& path) const { return IMG_SavePNG(impl_->surface.get(), path.c_str()) == 0; }

}  // namespace scene
