// Figures of the real game: a 24-order game played by the robot at full speed
// on the headless stage, every frame timed, and the game screen's build timed
// against decoding the same pictures with SDL_image and making their textures.

#include "GameBench.h"

#include <SDL.h>
#include <SDL_image.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
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
    int rasters;
    int pictures;
};

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
    h.step(3);

    std::vector<FrameRecord> frames;
    bool timing = false;
    robot::GameRobot robot(h, [&] {
        scene::detail::Renderer::resetRasterCount();
        const std::size_t pictures = MAux::decodedPictures().size();
        const auto t0 = Clock::now();
        h.step();
        const double us = std::chrono::duration<double, std::micro>(Clock::now() - t0).count();
        if (timing) {
            frames.push_back({us, scene::detail::Renderer::rasterCount(),
                              static_cast<int>(MAux::decodedPictures().size() - pictures)});
        }
    });

    // The game screen built from the duration choice, the first time and again.
    double buildMs[2] = {0, 0};
    std::vector<std::string> built;
    for (int round = 0; round < 2; ++round) {
        const auto before = MAux::decodedPictures();
        CMain::Dispatch(CMain::SCREEN_DURATION);
        robot.step();
        const auto t0 = Clock::now();
        if (!robot.choose(24)) {
            std::fprintf(stderr, "pelmora-bench: no 24-order game to choose\n");
            return;
        }
        buildMs[round] = msSince(t0);
        if (round == 0) {
            const auto after = MAux::decodedPictures();
            std::set_difference(after.begin(), after.end(), before.begin(), before.end(), std::back_inserter(built));
        } else {
            timing = true;
            robot.playToEnd(60000);
            timing = false;
        }
    }
    const double rawMs = rawDecodeMs(built);

    std::vector<double> us;
    for (const auto& f : frames) us.push_back(f.us);
    const auto worst = std::max_element(frames.begin(), frames.end(), [](auto& a, auto& b) { return a.us < b.us; });
    int rasterFrames = 0, pictureFrames = 0;
    for (const auto& f : frames) rasterFrames += f.rasters > 0, pictureFrames += f.pictures > 0;
    std::printf("game_frames=%zu\n", frames.size());
    std::printf("game_frame_p50_us=%.0f\n", us.empty() ? 0.0 : percentile(us, 0.5));
    std::printf("game_frame_p99_us=%.0f\n", us.empty() ? 0.0 : percentile(us, 0.99));
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
}
