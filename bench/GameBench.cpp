// Figures of the real game: a 24-order game played by the robot at full speed
// on the headless stage, every frame timed, and the game screen's build timed
// against decoding the same pictures with SDL_image and making their textures.

#include "GameBench.h"

#include <SDL.h>
#include <SDL_image.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdlib>
#include <cstdio>
#include <string>
#include <vector>

#include "app/ApplicationMain.h"
#include "app/AssetPackage.h"
#include "app/MAux.h"
#include "app/Main.h"
#include "platform/Renderer.h"
#include "scramble/Package.h"
#include "screens/Screens.h"
#include "BusyFrame.h"
#include "StartBench.h"
#include "GameRobot.h"

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point t0) { return std::chrono::duration<double, std::milli>(Clock::now() - t0).count(); }

double percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<std::size_t>(p * static_cast<double>(v.size())))];
}

// The yardstick of a build: the same pictures decoded with SDL_image and made
// into textures of a software renderer, nothing else.
double rawDecodeMs(const std::vector<std::string>& names) {
    const AssetPackage package("assets.dat", pelmora::scramble::packageKey());
    std::vector<std::string> bytes;
    for (const auto& n : names) bytes.push_back(package.text(n));  // read before the clock starts
    SDL_Surface* target = SDL_CreateRGBSurfaceWithFormat(0, 800, 480, 32, SDL_PIXELFORMAT_ARGB8888);
    SDL_Renderer* r = SDL_CreateSoftwareRenderer(target);
    const auto t0 = Clock::now();
    for (const auto& b : bytes) {
        SDL_Surface* s = IMG_Load_RW(SDL_RWFromConstMem(b.data(), static_cast<int>(b.size())), 1);
        if (!s) continue;
        SDL_DestroyTexture(SDL_CreateTextureFromSurface(r, s));
        SDL_FreeSurface(s);
    }
    const double ms = msSince(t0);
    SDL_DestroyRenderer(r);
    SDL_FreeSurface(target);
    return ms;
}

struct FrameRecord {
    double us;
    double cpuUs;  // the game's own thread: what the frame cost whatever else the machine ran
    int rasters;
    int pictures;
    double yardstickCpuUs;  // the same fixed copy after every frame: the machine's speed at that moment
};

// A picture with soft edges that raw SDL blends once after every game frame:
// the same work each time, so its time follows the machine's speed alone.
struct SpeedYardstick {
    SDL_Texture* texture = nullptr;
    SpeedYardstick() {
        SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, 256, 256, 32, SDL_PIXELFORMAT_ARGB8888);
        if (!s) return;
        auto* px = static_cast<Uint32*>(s->pixels);
        for (int i = 0; i < 256 * 256; ++i) px[i] = static_cast<Uint32>((i * 7) % 256) << 24 | 0x336699;
        texture = SDL_CreateTextureFromSurface(scene::detail::Renderer::current()->sdl(), s);
        SDL_FreeSurface(s);
        if (texture) SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);
    }
    ~SpeedYardstick() {
        if (texture) SDL_DestroyTexture(texture);
    }
    double timeUs() const {
        if (!texture) return 0;
        SDL_Renderer* r = scene::detail::Renderer::current()->sdl();
        const SDL_Rect d{272, 112, 256, 256};
        timespec c0{}, c1{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &c0);
        SDL_RenderCopy(r, texture, nullptr, &d);
        SDL_RenderFlush(r);
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &c1);
        return (c1.tv_sec - c0.tv_sec) * 1e6 + (c1.tv_nsec - c0.tv_nsec) / 1e3;
    }
};

// Each frame's CPU time as it would be at the machine's usual speed: scaled by
// the yardstick's median over the whole game against its median around that
// frame. A frame's CPU time leaves out the time it waited for a core; a machine
// whose cores slow down for a while (a busy neighbour) still swells it.
std::vector<double> steadyTimes(const std::vector<FrameRecord>& frames) {
    constexpr std::size_t kAround = 30;
    std::vector<double> all;
    for (const auto& f : frames) all.push_back(f.yardstickCpuUs);
    if (all.empty()) return {};
    const double usual = percentile(all, 0.5);
    std::vector<double> steady;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const std::size_t from = i > kAround ? i - kAround : 0, to = std::min(frames.size(), i + kAround + 1);
        const double here = percentile(std::vector<double>(all.begin() + from, all.begin() + to), 0.5);
        steady.push_back(here > 0 ? frames[i].cpuUs * usual / here : frames[i].cpuUs);
    }
    return steady;
}

}  // namespace

void printGameFigures(const char* gameDir) {
    if (chdir(gameDir) != 0) {
        std::fprintf(stderr, "pelmora-bench: cannot enter %s\n", gameDir);
        return;
    }
    MAux::WEBSITE = "http://127.0.0.1:9";  // no service: the game plays offline
    MAux::seed(1);
    registerScreens();
    ApplicationMain::registerAssets();
    scene::Headless h;
    Main::main();
    h.step();
    printStartFigures(h.stage());
    std::fflush(stdout);
    // A player looks at the welcome screen for two seconds: its frames decode
    // the game's pictures ahead, a few milliseconds each.
    double lingerWorstUs = 0;
    for (int i = 0; i < 120; ++i) {
        const auto t0 = Clock::now();
        h.step();
        lingerWorstUs = std::max(lingerWorstUs, std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
    }

    // Three whole games timed: the machine may slow for a stretch of one, which
    // swells its p99 and not its p50, so the figures are the middle game's.
    constexpr int kTimedGames = 3;
    std::vector<std::vector<FrameRecord>> games;
    const SpeedYardstick speed;
    bool timing = false;
    BusyFrame busy;
    busy.calls().reserve(4096);
    if (const char* shot = std::getenv("PELMORA_BENCH_SHOT")) busy.shotPath = shot;
    robot::GameRobot robot(h, [&] {
        scene::detail::Renderer::resetRasterCount();
        const std::size_t pictures = MAux::decodedPictures().size();
        const auto t0 = Clock::now();
        timespec c0{}, c1{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &c0);
        h.step();
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &c1);
        const double us = std::chrono::duration<double, std::micro>(Clock::now() - t0).count();
        const double cpu = (c1.tv_sec - c0.tv_sec) * 1e6 + (c1.tv_nsec - c0.tv_nsec) / 1e3;
        if (timing) {
            games.back().push_back({us, cpu, scene::detail::Renderer::rasterCount(),
                                    static_cast<int>(MAux::decodedPictures().size() - pictures), speed.timeUs()});
        }
    });

    // The game screen built from the duration choice, the first time and again;
    // the pictures it asks for are what the yardstick decodes.
    double buildMs[2] = {0, 0};
    double rawMs = 0;
    std::vector<std::string> built;
    for (int round = 0; round < 1 + kTimedGames; ++round) {
        CMain::Dispatch(CMain::SCREEN_DURATION);
        robot.step();
        std::vector<std::string> requested;
        MAux::trackPictureRequests(&requested);
        const auto t0 = Clock::now();
        if (!robot.choose(24)) {
            std::fprintf(stderr, "pelmora-bench: no 24-order game to choose\n");
            return;
        }
        if (round < 2) buildMs[round] = msSince(t0);
        MAux::trackPictureRequests(nullptr);
        if (round == 0) {
            std::sort(requested.begin(), requested.end());
            std::unique_copy(requested.begin(), requested.end(), std::back_inserter(built));
            // Right after the build, so a noisy neighbour weighs on both alike: the middle of three.
            std::vector<double> raw;
            for (int i = 0; i < 3; ++i) raw.push_back(rawDecodeMs(built));
            rawMs = percentile(raw, 0.5);
            robot::GameRobot filler(h, [&] {
                busy.calls().clear();
                scene::detail::Renderer::record(&busy.calls());
                h.step();
                scene::detail::Renderer::record(nullptr);
            });
            if (!busy.fillAndTime(filler, h)) std::fprintf(stderr, "pelmora-bench: no busy game screen\n");
        } else {
            games.emplace_back().reserve(32768);
            timing = true;
            robot.playToEnd(60000);
            timing = false;
        }
    }

    if (games.empty()) return;
    auto p99OverP50 = [](const std::vector<FrameRecord>& g) {
        std::vector<double> us;
        for (const auto& f : g) us.push_back(f.us);
        return us.empty() ? 0.0 : percentile(us, 0.99) / percentile(us, 0.5);
    };
    std::vector<std::size_t> order(games.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return p99OverP50(games[a]) < p99OverP50(games[b]); });
    const std::vector<FrameRecord>& frames = games[order[order.size() / 2]];
    std::printf("game_frame_p99_over_p50_each=");
    for (std::size_t i = 0; i < games.size(); ++i) std::printf("%s%.2f", i ? "," : "", p99OverP50(games[i]));
    std::printf("\n");
    std::vector<double> us;
    for (const auto& f : frames) us.push_back(f.us);
    const auto worst = std::max_element(frames.begin(), frames.end(), [](auto& a, auto& b) { return a.us < b.us; });
    int rasterFrames = 0, pictureFrames = 0;
    for (const auto& g : games)
        for (const auto& f : g) rasterFrames += f.rasters > 0, pictureFrames += f.pictures > 0;
    std::printf("game_frames=%zu\n", frames.size());
    std::printf("game_busiest_frame_draw_calls=%zu\n", busy.drawCalls());
    std::printf("game_busiest_frame_us=%.0f\n", busy.gameUs());
    std::printf("raw_sdl_busiest_frame_us=%.0f\n", busy.rawUs());
    std::printf("game_frame_ratio=%.2f\n", busy.rawUs() > 0 ? busy.gameUs() / busy.rawUs() : 0.0);
    std::printf("game_frame_p50_us=%.0f\n", us.empty() ? 0.0 : percentile(us, 0.5));
    std::printf("game_frame_p99_us=%.0f\n", us.empty() ? 0.0 : percentile(us, 0.99));
    std::vector<double> cpu;
    for (const auto& f : frames) cpu.push_back(f.cpuUs);
    std::printf("game_frame_cpu_p50_us=%.0f\n", cpu.empty() ? 0.0 : percentile(cpu, 0.5));
    std::printf("game_frame_cpu_p99_us=%.0f\n", cpu.empty() ? 0.0 : percentile(cpu, 0.99));
    const std::vector<double> steady = steadyTimes(frames);
    if (!steady.empty()) {
        std::printf("game_frame_steady_cpu_p50_us=%.0f\n", percentile(steady, 0.5));
        std::printf("game_frame_steady_cpu_p99_us=%.0f\n", percentile(steady, 0.99));
    }
    if (worst != frames.end()) {
        std::printf("game_frame_worst_us=%.0f\n", worst->us);
        std::printf("game_frame_worst_rasters=%d\n", worst->rasters);
        std::printf("game_frame_worst_pictures_decoded=%d\n", worst->pictures);
    }
    std::printf("game_frames_rasterising_text=%d\n", rasterFrames);
    std::printf("game_frames_decoding_pictures=%d\n", pictureFrames);
    std::printf("game_screen_pictures=%zu\n", built.size());
    std::printf("game_screen_build_ms=%.1f\n", buildMs[0]);
    std::printf("game_screen_build_again_ms=%.1f\n", buildMs[1]);
    std::printf("raw_picture_decode_ms=%.1f\n", rawMs);
    std::printf("game_screen_build_ratio=%.2f\n", rawMs > 0 ? buildMs[0] / rawMs : 0.0);
    std::printf("welcome_frame_worst_us=%.0f\n", lingerWorstUs);
}
