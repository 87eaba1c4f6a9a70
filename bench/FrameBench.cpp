// Frame cost of a busy game-like stage drawn by the display layer, against raw
// SDL drawing the same textures at the same places in the same run.

#include <SDL.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <vector>

#include "platform/Fonts.h"
#include "platform/Headless.h"
#include "platform/RasterContent.h"
#include "platform/Renderer.h"
#include "platform/Display.h"

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

}  // namespace

int main() {
    scene::Headless h;
    auto& stage = h.stage();
    auto bg = gradient(800, 480, 0xE8C89A, 0x8A5A2B, 255);
    auto overlay = gradient(800, 480, 0xFFFFFF, 0xFFF0D0, 90);
    auto plate = gradient(64, 64, 0xF05030, 0xFFE0A0, 255);
    const auto layout = spriteLayout();

    stage.addChild(std::make_shared<scene::Bitmap>(bg));
    stage.addChild(std::make_shared<scene::Bitmap>(overlay));
    for (const auto& l : layout) {
        auto holder = std::make_shared<scene::Sprite>();
        auto b = std::make_shared<scene::Bitmap>(plate);
        holder->addChild(b);
        holder->setX(l.x);
        holder->setY(l.y);
        holder->setScaleX(l.scale);
        holder->setScaleY(l.scale);
        stage.addChild(holder);
    }
    std::vector<std::shared_ptr<scene::Sprite>> boxes;
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
    std::vector<std::shared_ptr<scene::TextField>> texts;
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

    // (a) the display layer
    h.step(kWarmup);
    std::vector<double> layerTimes;
    int steadyRasters = 0;
    long steadyAllocations = 0;
    for (int i = 0; i < kFrames; ++i) {
        scene::detail::Renderer::resetRasterCount();
        const long before = allocations.load();
        const auto t0 = Clock::now();
        h.step();
        const auto t1 = Clock::now();
        steadyAllocations = std::max(steadyAllocations, allocations.load() - before);
        steadyRasters = std::max(steadyRasters, scene::detail::Renderer::rasterCount());
        layerTimes.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
    }

    // (b) raw SDL: the same pictures as textures, drawn at the same places.
    SDL_Surface* target = SDL_CreateRGBSurfaceWithFormat(0, 800, 480, 32, SDL_PIXELFORMAT_ARGB8888);
    SDL_SetHint(SDL_HINT_RENDER_BATCHING, "1");
    SDL_Renderer* raw = SDL_CreateSoftwareRenderer(target);
    auto tex = [&](SDL_Surface* s) {
        SDL_Texture* t = SDL_CreateTextureFromSurface(raw, s);
        SDL_SetTextureBlendMode(t, SDL_BLENDMODE_BLEND);
        SDL_SetTextureScaleMode(t, SDL_ScaleModeLinear);
        return t;
    };
    SDL_Texture* bgTex = tex(bg->surface());
    SDL_Texture* ovTex = tex(overlay->surface());
    SDL_Texture* plateTex = tex(plate->surface());
    SDL_Surface* boxSurface = SDL_CreateRGBSurfaceWithFormat(0, 45, 20, 32, SDL_PIXELFORMAT_ARGB8888);
    SDL_FillRect(boxSurface, nullptr, 0xFFF2EAB7);
    SDL_Texture* boxTex = tex(boxSurface);
    struct TextTex {
        SDL_Texture* text;
        SDL_Texture* glow;
        SDL_FRect textRect;
        SDL_FRect glowRect;
    };
    std::vector<TextTex> textTex;
    TTF_Font* font = scene::detail::font("Arial", true, 18);
    for (const auto& t : texts) {
        SDL_Surface* s = TTF_RenderUTF8_Blended(font, t->text().c_str(), SDL_Color{0x20, 0x20, 0x20, 255});
        int px = 0, py = 0;
        auto glow = scene::detail::makeGlow(s, scene::GlowFilter(0xFFFF80, 1.0, 3, 3, 3, 3), px, py);
        const float x = static_cast<float>(t->x() + 2), y = static_cast<float>(t->y() + 2);
        textTex.push_back({tex(s), tex(glow.get()), {x, y, static_cast<float>(s->w), static_cast<float>(s->h)},
                           {x - px, y - py, static_cast<float>(glow->w), static_cast<float>(glow->h)}});
        SDL_FreeSurface(s);
    }
    auto rawFrame = [&] {
        SDL_SetRenderDrawColor(raw, 0, 0, 0, 255);
        SDL_RenderClear(raw);
        SDL_RenderCopy(raw, bgTex, nullptr, nullptr);
        SDL_RenderCopy(raw, ovTex, nullptr, nullptr);
        for (const auto& l : layout) {
            const SDL_FRect d{static_cast<float>(l.x), static_cast<float>(l.y), static_cast<float>(64 * l.scale),
                              static_cast<float>(64 * l.scale)};
            SDL_RenderCopyF(raw, plateTex, nullptr, &d);
        }
        for (const auto& b : boxes) {
            const SDL_FRect d{static_cast<float>(b->x()), static_cast<float>(b->y()), 45, 20};
            SDL_RenderCopyF(raw, boxTex, nullptr, &d);
        }
        for (const auto& t : textTex) {
            SDL_RenderCopyF(raw, t.glow, nullptr, &t.glowRect);
            SDL_RenderCopyF(raw, t.text, nullptr, &t.textRect);
        }
        SDL_RenderPresent(raw);
    };
    for (int i = 0; i < kWarmup; ++i) rawFrame();
    std::vector<double> rawTimes;
    for (int i = 0; i < kFrames; ++i) {
        const auto t0 = Clock::now();
        rawFrame();
        rawTimes.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
    }

    const double a = median(layerTimes), b = median(rawTimes);
    std::printf("display_layer_median_us=%.0f\n", a);
    std::printf("raw_sdl_median_us=%.0f\n", b);
    std::printf("text_rasterisations_per_steady_frame=%d\n", steadyRasters);
    std::printf("allocations_per_steady_frame=%ld\n", steadyAllocations);
    std::printf("frame_ratio=%.2f\n", b > 0 ? a / b : 0.0);

    SDL_DestroyRenderer(raw);
    SDL_FreeSurface(boxSurface);
    SDL_FreeSurface(target);
    return 0;
}
