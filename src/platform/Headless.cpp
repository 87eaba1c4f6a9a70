#include "platform/Headless.h"

#include <SDL.h>
#include <SDL_image.h>

#include "platform/FrameLoop.h"
#include "platform/RasterContent.h"
#include "platform/Renderer.h"
#include "platform/Stage.h"

namespace scene {

// Destroyed in reverse order: the frame loop, then the stage and its textures
// before the renderer, and the renderer before the surface it draws into.
struct Headless::Impl {
    detail::SurfacePtr surface;
    detail::SdlRendererPtr sdl;
    std::unique_ptr<detail::Renderer> renderer;
    std::shared_ptr<Stage> stage;
    std::unique_ptr<detail::FrameLoop> loop;
};

Headless::Headless(int width, int height) : impl_(std::make_unique<Impl>()) {
    SDL_Init(0);
    impl_->surface.reset(SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888));
    SDL_SetHint(SDL_HINT_RENDER_BATCHING, "1");
    impl_->sdl.reset(SDL_CreateSoftwareRenderer(impl_->surface.get()));
    impl_->renderer = std::make_unique<detail::Renderer>(impl_->sdl.get());
    impl_->stage = std::make_shared<Stage>(width, height);
    impl_->loop = std::make_unique<detail::FrameLoop>(*impl_->stage, *impl_->renderer, 60.0,
                                                      detail::FrameLoop::Pacing::WhileRequestsInFlight);
}

Headless::~Headless() = default;

Stage& Headless::stage() { return *impl_->stage; }
std::shared_ptr<Stage> Headless::stagePtr() { return impl_->stage; }

void Headless::render() { impl_->loop->draw(); }
void Headless::onFrameDrawn(std::function<void()> f) { impl_->loop->drawn = std::move(f); }

void Headless::step(int frames) {
    for (int i = 0; i < frames; ++i) impl_->loop->runFrame();
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

void Headless::forgetKeptPictures() { impl_->renderer->memo().clear(); }

}  // namespace scene
