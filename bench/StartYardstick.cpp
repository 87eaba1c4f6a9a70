// pelmora-start-yardstick LIST: the yardstick of the game's start. What a
// plain SDL program needs to show the welcome screen: SDL and SDL_ttf set up,
// the same pictures decoded from plain files, the same texts rendered with
// the font files named, all drawn once into an off-screen picture; then, as
// pelmora-headless --first-frame-clock on, the moment that frame was drawn.
// LIST holds one line per thing: "P<TAB>picture.png" or
// "T<TAB>font.ttf<TAB>pixel size<TAB>text".

#include <SDL.h>
#include <SDL_image.h>
#include <SDL_ttf.h>

#include <cstdio>
#include <ctime>
#include <fstream>
#include <map>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: pelmora-start-yardstick LIST\n");
        return 2;
    }
    SDL_Init(0);
    TTF_Init();
    SDL_Surface* target = SDL_CreateRGBSurfaceWithFormat(0, 800, 480, 32, SDL_PIXELFORMAT_ARGB8888);
    SDL_Renderer* r = SDL_CreateSoftwareRenderer(target);
    std::map<std::string, TTF_Font*> fonts;
    std::vector<SDL_Texture*> textures;
    std::ifstream list(argv[1]);
    int failures = 0;
    for (std::string line; std::getline(list, line);) {
        SDL_Surface* s = nullptr;
        if (line.rfind("P\t", 0) == 0) {
            s = IMG_Load(line.c_str() + 2);
        } else if (line.rfind("T\t", 0) == 0) {
            const auto a = line.find('\t', 2), b = line.find('\t', a + 1);
            const std::string file = line.substr(2, a - 2), size = line.substr(a + 1, b - a - 1);
            TTF_Font*& font = fonts[file + ":" + size];
            if (!font) font = TTF_OpenFont(file.c_str(), std::stoi(size));
            if (font) s = TTF_RenderUTF8_Blended(font, line.c_str() + b + 1, SDL_Color{0x20, 0x20, 0x20, 255});
        }
        if (!s) {
            ++failures;
            continue;
        }
        textures.push_back(SDL_CreateTextureFromSurface(r, s));
        SDL_FreeSurface(s);
    }
    SDL_RenderClear(r);
    int x = 0;
    for (SDL_Texture* t : textures) {
        int w = 0, h = 0;
        SDL_QueryTexture(t, nullptr, nullptr, &w, &h);
        const SDL_Rect d{x, x, w, h};
        SDL_RenderCopy(r, t, nullptr, &d);
        x = (x + 7) % 400;
    }
    SDL_RenderPresent(r);
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    std::printf("first_frame_clock_ns=%lld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
    std::fflush(stdout);
    for (SDL_Texture* t : textures) SDL_DestroyTexture(t);
    for (auto& [key, font] : fonts) TTF_CloseFont(font);
    SDL_DestroyRenderer(r);
    SDL_FreeSurface(target);
    TTF_Quit();
    SDL_Quit();
    if (failures) std::fprintf(stderr, "pelmora-start-yardstick: %d of the list could not be made\n", failures);
    return failures ? 1 : 0;
}
