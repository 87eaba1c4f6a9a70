// pelmora-server: the game's online account and score service and its web site.

#include "Server.h"

#include <csignal>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <pthread.h>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr const char* USAGE =
    "usage: pelmora-server [--host 127.0.0.1] [--port 8080] [--data DIR | --database postgresql://...]\n"
    "                      [--workers N] [--connections N] [--behind-proxy] [--latest-version TEXT]\n"
    "                      [--levels FILE] [--ingredients FILE] [--badges DIR]\n"
    "Without --data or --database, the environment variable PELMORA_DATABASE names the\n"
    "PostgreSQL database when it is set; otherwise the data is kept in SQLite under var/.\n";

bool parseCount(const std::string& text, int& value, int most) {
    if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    value = std::stoi(text);
    return value <= most;
}

using pelmora::server::ServerConfig;

// Reads one option that takes a value; false (after saying why) when it is bad or unknown.
bool readOption(const std::string& a, const std::string& v, ServerConfig& config, bool& storageGiven) {
    if (a == "--host") config.host = v;
    else if (a == "--port") {
        if (!parseCount(v, config.port, 65535)) {
            std::cerr << "pelmora-server: bad port " << v << "\n";
            return false;
        }
    } else if (a == "--workers" || a == "--connections") {
        int n = 0;
        if (!parseCount(v, n, 4096) || n < 1) {
            std::cerr << "pelmora-server: bad count " << v << " for " << a << "\n";
            return false;
        }
        (a == "--workers" ? config.http.workers : config.databaseConnections) = static_cast<std::size_t>(n);
    } else if (a == "--data") {
        config.dataDir = v;
        config.database.clear();
        storageGiven = true;
    } else if (a == "--database") {
        config.database = v;
        storageGiven = true;
    } else if (a == "--latest-version") config.service.latestVersion = v;
    else if (a == "--levels") config.service.levelsFile = v;
    else if (a == "--ingredients") config.service.ingredientsFile = v;
    else if (a == "--badges") config.badgesDir = v;
    else {
        std::cerr << "pelmora-server: unknown option " << a << "\n" << USAGE;
        return false;
    }
    return true;
}

// The configuration of the command line; nothing, with the exit status in status, when it stops here.
std::optional<ServerConfig> parseArguments(const std::vector<std::string>& args, int& status) {
    ServerConfig config;
    config.service = pelmora::server::defaultServiceConfig();
    bool storageGiven = false;
    status = 2;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            std::cout << USAGE;
            status = 0;
            return std::nullopt;
        }
        if (a == "--behind-proxy") {
            config.behindProxy = true;
            continue;
        }
        if (i + 1 >= args.size()) {
            std::cerr << "pelmora-server: " << a << ": missing value or unknown option\n" << USAGE;
            return std::nullopt;
        }
        if (!readOption(a, args[++i], config, storageGiven)) return std::nullopt;
    }
    if (config.database.empty() && !storageGiven) {
        if (const char* env = std::getenv("PELMORA_DATABASE"); env && *env) config.database = env;
    }
    if (config.service.latestVersion.find(';') != std::string::npos) {
        std::cerr << "pelmora-server: the version text cannot hold \";\"\n";
        return std::nullopt;
    }
    return config;
}

}  // namespace

int main(int argc, char** argv) {
    int status = 0;
    const auto parsed = parseArguments(std::vector<std::string>(argv + 1, argv + argc), status);
    if (!parsed) return status;
    const ServerConfig& config = *parsed;

    // Signals are taken by one thread with sigwait, so stopping never runs
    // inside a signal handler.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    try {
        pelmora::server::Server server(config);
        const int port = server.bind();
        std::cerr << "pelmora-server: serving http://" << config.host << ":" << port << "/ with data in "
                  << (config.database.empty() ? config.dataDir.string() : std::string("PostgreSQL")) << "\n";
        std::thread waiter([&] {
            int sig = 0;
            sigwait(&signals, &sig);
            server.stop();
        });
        const bool ok = server.listen();
        // Wake the waiter if listening ended for another reason.
        pthread_kill(waiter.native_handle(), SIGTERM);
        waiter.join();
        return ok ? 0 : 1;
    } catch (const std::exception& e) {
        std::cerr << "pelmora-server: " << e.what() << "\n";
        return 1;
    }
}
