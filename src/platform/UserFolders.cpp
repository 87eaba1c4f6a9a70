#include "platform/UserFolders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace scene {

namespace {

std::string homeFolder() {
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return home;
    // No usable HOME: the account's own folder.
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir && pw->pw_dir[0] == '/') return pw->pw_dir;
    return {};
}

std::string baseFolder(const char* variable, const char* underHome) {
    const char* value = std::getenv(variable);
    if (value && value[0] == '/') return value;
    const std::string home = homeFolder();
    return home.empty() ? std::string() : home + "/" + underHome;
}

}  // namespace

std::string userStateHome() { return baseFolder("XDG_STATE_HOME", ".local/state"); }

std::string userConfigHome() { return baseFolder("XDG_CONFIG_HOME", ".config"); }

bool makeFolders(const std::string& path) {
    if (path.empty()) return false;
    for (std::size_t at = path.find('/', 1);; at = path.find('/', at + 1)) {
        const std::string part = path.substr(0, at);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
        if (at == std::string::npos) break;
    }
    struct stat st{};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace scene
