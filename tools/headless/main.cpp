// pelmora-headless: runs the real game without a window, with scripted input,
// and saves frames as PNG.

#include <climits>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/ApplicationMain.h"
#include "app/CML.h"
#include "app/CMain.h"
#include "app/CSettings.h"
#include "app/MAux.h"
#include "app/Main.h"
#include "platform/Headless.h"
#include "screens/Screens.h"

namespace {

struct Action {
    enum Kind { Move, Click, Key, Type, Shot, Dispatch, Call, Language, FocusLost } kind;
    long frame = 0;
    double x = 0, y = 0;
    long number = 0;
    std::string text;
};

void usage() {
    std::fprintf(stderr,
                 "usage: pelmora-headless [--data DIR] [--website URL] [--seed N] [--frames N]\n"
                 "                        [--move X,Y@F] [--click X,Y@F] [--key CODE@F] [--type TEXT@F]\n"
                 "                        [--shot FILE.png@F] [--dispatch SCREEN_ID@F] [--call SCREEN_ID@F]\n"
                 "                        [--language NAME@F] [--focus-lost F] [--first-frame-clock on] ...\n"
                 "The data folder is found as the game finds it (or build/game from build/bin); --dir is --data.\n"
                 "Frames count from 0; input given for frame F arrives before it runs, a shot is taken after it is drawn.\n"
                 "--first-frame-clock on prints first_frame_clock_ns=N (CLOCK_MONOTONIC) once frame 0 is drawn.\n");
}

bool parseLong(const std::string& s, long& out) {
    if (s.empty()) return false;
    char* end = nullptr;
    out = std::strtol(s.c_str(), &end, 10);
    return end && *end == '\0';
}

// Splits "VALUE@F"; the last "@" separates, so values may contain "@".
bool splitAt(const std::string& arg, std::string& value, long& frame) {
    const auto at = arg.rfind('@');
    if (at == std::string::npos) return false;
    value = arg.substr(0, at);
    return parseLong(arg.substr(at + 1), frame) && frame >= 0;
}

bool parsePoint(const std::string& s, double& x, double& y) {
    const auto comma = s.find(',');
    if (comma == std::string::npos) return false;
    const std::string xs = s.substr(0, comma), ys = s.substr(comma + 1);
    char* end = nullptr;
    x = std::strtod(xs.c_str(), &end);
    if (xs.empty() || !end || *end) return false;
    y = std::strtod(ys.c_str(), &end);
    return !ys.empty() && end && !*end;
}

struct Options {
    std::string dir, website;
    long frames = -1;
    bool seeded = false;
    bool firstFrameClock = false;
    long seed = 0;
    std::vector<Action> actions;
};

// Reads one option's value into the options; false when the value is bad.
// unknown is set for an option this tool does not have.
bool readOption(const std::string& opt, const std::string& arg, Options& o, bool& unknown) {
    Action a{};
    std::string value;
    bool ok = true;
    if (opt == "--data" || opt == "--dir") o.dir = arg;
    else if (opt == "--website") o.website = arg;
    else if (opt == "--seed") ok = parseLong(arg, o.seed) && (o.seeded = true);
    else if (opt == "--frames") ok = parseLong(arg, o.frames) && o.frames >= 0;
    else if (opt == "--first-frame-clock") ok = (o.firstFrameClock = arg == "on");
    else if (opt == "--focus-lost") {
        a.kind = Action::FocusLost;
        ok = parseLong(arg, a.frame) && a.frame >= 0;
    }
    else if (opt == "--move" || opt == "--click") {
        a.kind = opt == "--move" ? Action::Move : Action::Click;
        ok = splitAt(arg, value, a.frame) && parsePoint(value, a.x, a.y);
    } else if (opt == "--key" || opt == "--dispatch" || opt == "--call") {
        a.kind = opt == "--key" ? Action::Key : opt == "--dispatch" ? Action::Dispatch : Action::Call;
        ok = splitAt(arg, value, a.frame) && parseLong(value, a.number);
    } else if (opt == "--type" || opt == "--shot" || opt == "--language") {
        a.kind = opt == "--type" ? Action::Type : opt == "--shot" ? Action::Shot : Action::Language;
        ok = splitAt(arg, a.text, a.frame) && !(a.kind != Action::Type && a.text.empty());
        // Shots are written relative to where the tool was started, not the game folder.
        if (ok && a.kind == Action::Shot) a.text = std::filesystem::absolute(a.text).string();
    } else {
        unknown = true;
        return false;
    }
    const bool isAction = opt != "--data" && opt != "--dir" && opt != "--website" && opt != "--seed" &&
                          opt != "--frames" && opt != "--first-frame-clock";
    if (ok && isAction) o.actions.push_back(a);
    return ok;
}

// The options of the command line; nothing, with the exit status in status, when it stops here.
std::optional<Options> parseOptions(int argc, char** argv, int& status) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string opt = argv[i];
        if (opt == "--help" || opt == "-h") {
            usage();
            status = 0;
            return std::nullopt;
        }
        status = 2;
        if (i + 1 >= argc) {
            std::fprintf(stderr, "pelmora-headless: %s needs a value\n", opt.c_str());
            usage();
            return std::nullopt;
        }
        const std::string arg = argv[++i];
        bool unknown = false;
        if (readOption(opt, arg, o, unknown)) continue;
        if (unknown) {
            std::fprintf(stderr, "pelmora-headless: unknown option %s\n", opt.c_str());
            usage();
        } else {
            std::fprintf(stderr, "pelmora-headless: bad value for %s: %s\n", opt.c_str(), arg.c_str());
        }
        return std::nullopt;
    }
    if (o.frames < 0) {
        o.frames = 1;
        for (const auto& a : o.actions) o.frames = std::max(o.frames, a.frame + 1);
    }
    return o;
}

void perform(const Action& a, scene::Headless& h) {
    switch (a.kind) {
        case Action::Move: h.mouseMove(a.x, a.y); break;
        case Action::Click: h.click(a.x, a.y); break;
        case Action::Key: h.keyDown(static_cast<int>(a.number)); break;
        case Action::Type: h.type(a.text); break;
        case Action::Dispatch: CMain::Dispatch(static_cast<int>(a.number)); break;
        case Action::Call: CMain::Call(static_cast<int>(a.number)); break;
        case Action::Language: CML::setLanguage(a.text); break;
        case Action::FocusLost: h.stage().deactivate(); break;
        case Action::Shot: break;
    }
}

// Runs the frames: each frame's input, the frame, then its shots. The exit status.
int run(const Options& o, scene::Headless& h) {
    if (o.firstFrameClock) {
        // For timing the start from outside: when the first frame is on screen, before any wait.
        h.onFrameDrawn([printed = false]() mutable {
            if (printed) return;
            printed = true;
            timespec now{};
            clock_gettime(CLOCK_MONOTONIC, &now);
            std::printf("first_frame_clock_ns=%lld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
            std::fflush(stdout);
        });
    }
    // The same remembered settings as the game's window.
    CSettings::load();
    Main::main();
    for (long f = 0; f < o.frames; ++f) {
        for (const auto& a : o.actions) {
            if (a.frame == f) perform(a, h);
        }
        h.step();
        for (const auto& a : o.actions) {
            if (a.frame != f || a.kind != Action::Shot) continue;
            if (!h.savePNG(a.text)) {
                std::fprintf(stderr, "pelmora-headless: cannot write %s\n", a.text.c_str());
                return 1;
            }
            std::printf("frame %ld saved to %s\n", f, a.text.c_str());
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    int status = 0;
    const auto options = parseOptions(argc, argv, status);
    if (!options) return status;
    // Beside the game's own places, the build tree's game folder seen from build/bin.
    auto beside = ApplicationMain::installedDataFolders();
    beside.push_back("../game");
    if (auto problem = ApplicationMain::useDataFolder(options->dir, beside)) {
        std::fputs(problem->c_str(), stdout);
        return 1;
    }
    if (!options->website.empty()) MAux::WEBSITE = options->website;
    if (options->seeded) MAux::seed(static_cast<std::uint64_t>(options->seed));

    registerScreens();
    ApplicationMain::registerAssets();
    scene::Headless h;
    try {
        return run(*options, h);
    } catch (const std::exception& e) {
        std::printf("Error : %s\n", e.what());
        return 1;
    }
}
