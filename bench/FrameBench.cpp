// Frame cost of a busy game-like stage drawn by the display layer, against raw
// SDL drawing the same textures at the same places in the same run.

#include <SDL.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

#include "platform/Fonts.h"
#include "platform/Headless.h"
#include "platform/RasterContent.h"
#include "platform/Renderer.h"
#include "platform/Display.h"
#include "GameBench.h"

namespace {

std::atomic<long> allocations{0};

}  // namespace

void* operator new(std::size_t n) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kFrames = 400;
constexpr int kWarmup = 20;

struct Layout {
    double x, y, scale;
};

std::vector<Layout> spriteLayout() {
    std::vector<Layout> l;
    for (int i = 0; i < 60; ++i) l.push_back({20.0 + (i % 12) * 62.0, 90.0 + (i / 12) * 70.0, 0.6 + (i % 5) * 0.12});
    return l;
}

std::shared_ptr<scene::BitmapData> gradient(int w, int h, std::uint32_t a, std::uint32_t b, std::uint8_t alpha) {
    auto bd = std::make_shared<scene::BitmapData>(w, h, true, 0);
    SDL_Surface* s = bd->surface();
    SDL_LockSurface(s);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<Uint32*>(static_cast<Uint8*>(s->pixels) + y * s->pitch);
        for (int x = 0; x < w; ++x) {
            const double t = static_cast<double>(x + y) / (w + h);
            auto mix = [&](int sh) {
                return static_cast<Uint32>(((a >> sh) & 0xFF) * (1 - t) + ((b >> sh) & 0xFF) * t) << sh;
            };
            const bool inside = (x - w / 2) * (x - w / 2) + (y - h / 2) * (y - h / 2) < (w / 2) * (h / 2);
            row[x] = (static_cast<Uint32>(w == 64 && !inside ? 0 : alpha) << 24) | mix(16) | mix(8) | mix(0);
        }
    }
    SDL_UnlockSurface(s);
    return bd;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The busy stage: backgrounds, 60 scaled plates, 10 rounded boxes, 20 glowing texts.
struct Scene {
    std::shared_ptr<scene::BitmapData> bg = gradient(800, 480, 0xE8C89A, 0x8A5A2B, 255);
    std::shared_ptr<scene::BitmapData> overlay = gradient(800, 480, 0xFFFFFF, 0xFFF0D0, 90);
    std::shared_ptr<scene::BitmapData> plate = gradient(64, 64, 0xF05030, 0xFFE0A0, 255);
    std::vector<Layout> layout = spriteLayout();
    std::vector<std::shared_ptr<scene::Sprite>> boxes;
    std::vector<std::shared_ptr<scene::TextField>> texts;

    void build(scene::Stage& stage) {
        stage.addChild(std::make_shared<scene::Bitmap>(bg));
        stage.addChild(std::make_shared<scene::Bitmap>(overlay));
        for (const auto& l : layout) {
            auto holder = std::make_shared<scene::Sprite>();
            holder->addChild(std::make_shared<scene::Bitmap>(plate));
            holder->setX(l.x);
            holder->setY(l.y);
            holder->setScaleX(l.scale);
            holder->setScaleY(l.scale);
            stage.addChild(holder);
        }
        for (int i = 0; i < 10; ++i) {
            auto s = std::make_shared<scene::Sprite>();
            s->graphics().beginFill(0xC2BA97);
            s->graphics().drawRoundRect(0, 0, 45, 20, 8);
            s->graphics().beginFill(0xF2EAB7);
            s->graphics().drawRoundRect(1, 1, 43, 18, 8);
            s->graphics().endFill();
            s->setX(40 + i * 75);
            s->setY(440);
            stage.addChild(s);
            boxes.push_back(s);
        }
        for (int i = 0; i < 20; ++i) {
            auto t = std::make_shared<scene::TextField>();
            t->setDefaultTextFormat(scene::TextFormat("Arial", 18, 0x202020, true));
            t->setText(std::to_string(250 + i * 10) + " yen");
            t->setAutoSize(scene::TextFieldAutoSize::LEFT);
            t->setFilters({scene::GlowFilter(0xFFFF80, 1.0, 3, 3, 3, 3)});
            t->setX(20 + (i % 5) * 160);
            t->setY(10 + (i / 5) * 20);
            stage.addChild(t);
            texts.push_back(t);
        }
    }
};

struct LayerFigures {
    std::vector<double> times;
    int steadyRasters = 0;
    long steadyAllocations = 0;
};

// (a) the display layer, whole frames of the headless runner.
LayerFigures measureLayer(scene::Headless& h) {
    h.step(kWarmup);
    LayerFigures f;
    for (int i = 0; i < kFrames; ++i) {
        scene::detail::Renderer::resetRasterCount();
        const long before = allocations.load();
        const auto t0 = Clock::now();
        h.step();
        const auto t1 = Clock::now();
        f.steadyAllocations = std::max(f.steadyAllocations, allocations.load() - before);
        f.steadyRasters = std::max(f.steadyRasters, scene::detail::Renderer::rasterCount());
        f.times.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
    }
    return f;
}

struct TextureDeleter {
    void operator()(SDL_Texture* t) const { SDL_DestroyTexture(t); }
};
using TexturePtr = std::unique_ptr<SDL_Texture, TextureDeleter>;

// (b) raw SDL: the same pictures as textures, drawn at the same places.
class RawYardstick {
public:
    explicit RawYardstick(const Scene& scene) : scene_(scene) {
        target_ = scene::detail::makeSurface(800, 480);
        SDL_SetHint(SDL_HINT_RENDER_BATCHING, "1");
        raw_.reset(SDL_CreateSoftwareRenderer(target_.get()));
        bg_ = texture(scene.bg->surface());
        overlay_ = texture(scene.overlay->surface());
        plate_ = texture(scene.plate->surface());
        auto box = scene::detail::makeSurface(45, 20);
        SDL_FillRect(box.get(), nullptr, 0xFFF2EAB7);
        box_ = texture(box.get());
        TTF_Font* font = scene::detail::font("Arial", true, 18);
        for (const auto& t : scene.texts) {
            scene::detail::SurfacePtr s(TTF_RenderUTF8_Blended(font, t->text().c_str(), SDL_Color{0x20, 0x20, 0x20, 255}));
            int px = 0, py = 0;
            auto glow = scene::detail::makeGlow(s.get(), scene::GlowFilter(0xFFFF80, 1.0, 3, 3, 3, 3), px, py);
            const float x = static_cast<float>(t->x() + 2), y = static_cast<float>(t->y() + 2);
            texts_.push_back({texture(s.get()), texture(glow.get()),
                              {x, y, static_cast<float>(s->w), static_cast<float>(s->h)},
                              {x - px, y - py, static_cast<float>(glow->w), static_cast<float>(glow->h)}});
        }
    }

    void frame() {
        SDL_Renderer* r = raw_.get();
        SDL_SetRenderDrawColor(r, 0, 0, 0, 255);
        SDL_RenderClear(r);
        SDL_RenderCopy(r, bg_.get(), nullptr, nullptr);
        SDL_RenderCopy(r, overlay_.get(), nullptr, nullptr);
        for (const auto& l : scene_.layout) {
            const SDL_FRect d{static_cast<float>(l.x), static_cast<float>(l.y), static_cast<float>(64 * l.scale),
                              static_cast<float>(64 * l.scale)};
            SDL_RenderCopyF(r, plate_.get(), nullptr, &d);
        }
        for (const auto& b : scene_.boxes) {
            const SDL_FRect d{static_cast<float>(b->x()), static_cast<float>(b->y()), 45, 20};
            SDL_RenderCopyF(r, box_.get(), nullptr, &d);
        }
        for (const auto& t : texts_) {
            SDL_RenderCopyF(r, t.glow.get(), nullptr, &t.glowRect);
            SDL_RenderCopyF(r, t.text.get(), nullptr, &t.textRect);
        }
        SDL_RenderPresent(r);
    }

    std::vector<double> measure() {
        for (int i = 0; i < kWarmup; ++i) frame();
        std::vector<double> times;
        for (int i = 0; i < kFrames; ++i) {
            const auto t0 = Clock::now();
            frame();
            times.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
        }
        return times;
    }

private:
    struct TextTextures {
        TexturePtr text;
        TexturePtr glow;
        SDL_FRect textRect;
        SDL_FRect glowRect;
    };

    TexturePtr texture(SDL_Surface* s) {
        TexturePtr t(SDL_CreateTextureFromSurface(raw_.get(), s));
        SDL_SetTextureBlendMode(t.get(), SDL_BLENDMODE_BLEND);
        SDL_SetTextureScaleMode(t.get(), SDL_ScaleModeLinear);
        return t;
    }

    const Scene& scene_;
    // Declared first, destroyed last: the textures go before their renderer,
    // the renderer before its surface.
    scene::detail::SurfacePtr target_;
    scene::detail::SdlRendererPtr raw_;
    TexturePtr bg_, overlay_, plate_, box_;
    std::vector<TextTextures> texts_;
};

}  // namespace

// The synthetic stage's figures, then the real game's (from the game folder
// given, or the build's).
int main(int argc, char** argv) {
    {
        scene::Headless h;
        Scene scene;
        scene.build(h.stage());
        const LayerFigures layer = measureLayer(h);
        const std::vector<double> raw = RawYardstick(scene).measure();

        const double a = median(layer.times), b = median(raw);
        std::printf("display_layer_median_us=%.0f\n", a);
        std::printf("raw_sdl_median_us=%.0f\n", b);
        std::printf("text_rasterisations_per_steady_frame=%d\n", layer.steadyRasters);
        std::printf("allocations_per_steady_frame=%ld\n", layer.steadyAllocations);
        std::printf("frame_ratio=%.2f\n", b > 0 ? a / b : 0.0);
        std::fflush(stdout);
    }
    printGameFigures(argc > 1 ? argv[1] : PELMORA_GAME_DIR);
    return 0;
}
