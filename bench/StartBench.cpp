#include "StartBench.h"

#include <spawn.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <ctime>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/AssetPackage.h"
#include "app/MAux.h"
#include "platform/Fonts.h"
#include "platform/Stage.h"
#include "platform/TextField.h"
#include "platform/TextSupport.h"
#include "scramble/Package.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
// Each start is some 60 ms, so many cost little; a busy neighbour's slow
// moment weighs on a few pairs, not on the median.
constexpr int kRuns = 21;

// The texts the frame shows: fields visible and not fully transparent.
void listTexts(const scene::DisplayObjectContainer& c, std::ofstream& out) {
    for (int i = 0; i < c.numChildren(); ++i) {
        const auto child = c.getChildAt(i);
        if (!child->visible() || child->alpha() <= 0) continue;
        if (auto t = std::dynamic_pointer_cast<scene::TextField>(child)) {
            const auto f = t->getTextFormat();
            const std::string path = scene::detail::fontPath(f.font.value_or("Arial"), f.bold.value_or(false));
            std::string text = t->text();
            std::replace(text.begin(), text.end(), '\n', ' ');
            if (!text.empty() && !path.empty()) {
                out << "T\t" << path << '\t' << scene::detail::fontPixels(f.size.value_or(12)) << '\t' << text << '\n';
            }
        } else if (auto inner = std::dynamic_pointer_cast<scene::DisplayObjectContainer>(child)) {
            listTexts(*inner, out);
        }
    }
}

std::int64_t monotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

// From the spawn of a program to the first frame it reports drawn
// ("first_frame_clock_ns=N" on its output), in ms; negative when it failed.
double startMs(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    int out[2];
    if (pipe(out) != 0) return -1;
    posix_spawn_file_actions_t io;
    posix_spawn_file_actions_init(&io);
    posix_spawn_file_actions_adddup2(&io, out[1], 1);
    posix_spawn_file_actions_addclose(&io, out[0]);
    posix_spawn_file_actions_addopen(&io, 2, "/dev/null", O_WRONLY, 0);
    const std::int64_t t0 = monotonicNs();
    pid_t pid = 0;
    const bool spawned = posix_spawn(&pid, argv[0], &io, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&io);
    close(out[1]);
    std::string text;
    char buffer[512];
    for (ssize_t n; spawned && (n = read(out[0], buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<std::size_t>(n));
    close(out[0]);
    int status = 0;
    if (!spawned || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
    const auto at = text.find("first_frame_clock_ns=");
    if (at == std::string::npos) return -1;
    return static_cast<double>(std::stoll(text.substr(at + 21)) - t0) / 1e6;
}

}  // namespace

void printStartFigures(const scene::Stage& welcome) {
    const fs::path bin = fs::read_symlink("/proc/self/exe").parent_path();
    const fs::path work = fs::temp_directory_path() / ("pelmora-start-" + std::to_string(::getpid()));
    fs::create_directories(work);
    {
        // The welcome screen's pictures as plain files, and its texts.
        const AssetPackage package("assets.dat", pelmora::scramble::packageKey());
        std::ofstream list(work / "list.txt");
        int n = 0;
        for (const auto& name : MAux::decodedPictures()) {
            const fs::path file = work / (std::to_string(n++) + fs::path(name).extension().string());
            std::ofstream(file, std::ios::binary) << package.text(name);
            list << "P\t" << file.string() << '\n';
        }
        listTexts(welcome, list);
    }
    const std::vector<std::string> game = {(bin / "pelmora-headless").string(), "--data", fs::current_path().string(),
                                           "--website", "http://127.0.0.1:9", "--frames", "1",
                                           "--first-frame-clock", "on"};
    const std::vector<std::string> raw = {(bin / "pelmora-start-yardstick").string(), (work / "list.txt").string()};
    // The game and the yardstick in turns: the ratio is the median of each
    // pair's, two starts a moment apart that met the same machine.
    std::vector<double> gameMs, rawMs, ratios;
    for (int i = 0; i < kRuns; ++i) {
        gameMs.push_back(startMs(game));
        rawMs.push_back(startMs(raw));
        ratios.push_back(rawMs.back() > 0 ? gameMs.back() / rawMs.back() : 0.0);
    }
    fs::remove_all(work);
    std::sort(gameMs.begin(), gameMs.end());
    std::sort(rawMs.begin(), rawMs.end());
    std::sort(ratios.begin(), ratios.end());
    if (gameMs.front() < 0 || rawMs.front() <= 0) {
        std::fprintf(stderr, "pelmora-bench: a start run failed\n");
        return;
    }
    std::printf("start_to_first_frame_ms=%.1f\n", gameMs[kRuns / 2]);
    std::printf("raw_start_ms=%.1f\n", rawMs[kRuns / 2]);
    std::printf("start_ratio=%.2f\n", ratios[kRuns / 2]);
}
