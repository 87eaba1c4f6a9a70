#include "app/Main.h"

#include "app/CMain.h"
#include "app/MAux.h"
#include "platform/Display.h"

const char* const Main::PLATFORM = "cpp";
std::string Main::VERSION;
std::int64_t Main::BUILD = 0;
std::string Main::CRASH_LOG;

void Main::set_error_mode() {
    // The folder is made by the logger when a fault needs it: a run without a crash leaves no trace.
    const std::string state = scene::userStateHome();
    CRASH_LOG = state.empty() ? std::string() : state + "/pelmora/Pelmora.pml";
    scene::installCrashLogger(CRASH_LOG.c_str());
}

void Main::main() {
    set_error_mode();
    VERSION = MAux::getText("assets/version.txt");
    bool ok = false;
    BUILD = Value::parseInt(MAux::getText("assets/build.txt"), &ok);
    if (!ok) BUILD = 0;
    CMain::Dispatch(CMain::SCREEN_WELCOME, Value());
}

void Main::reset() {
    VERSION.clear();
    BUILD = 0;
    CRASH_LOG.clear();
}
