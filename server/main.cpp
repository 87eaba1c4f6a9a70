// pelmora-server: the game's online account and score service and its web site.

#include "Server.h"

#include <csignal>
#include <cstdlib>
#include <iostream>
#include <pthread.h>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr const char* USAGE =
    "usage: pelmora-server [--host 127.0.0.1] [--port 8080] [--data DIR] [--latest-version TEXT] [--levels FILE]\n"
    "                      [--ingredients FILE]\n";

bool parsePort(const std::string& text, int& port) {
    if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    port = std::stoi(text);
    return port <= 65535;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace pelmora::server;
    ServerConfig config;
    config.service = defaultServiceConfig();

    const std::vector<std::string> args(argv + 1, argv + argc);
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            std::cout << USAGE;
            return 0;
        }
        if (i + 1 >= args.size()) {
            std::cerr << "pelmora-server: " << a << ": missing value or unknown option\n" << USAGE;
            return 2;
        }
        const std::string& v = args[++i];
        if (a == "--host") config.host = v;
        else if (a == "--port") {
            if (!parsePort(v, config.port)) {
                std::cerr << "pelmora-server: bad port " << v << "\n";
                return 2;
            }
        } else if (a == "--data") config.dataDir = v;
        else if (a == "--latest-version") config.service.latestVersion = v;
        else if (a == "--levels") config.service.levelsFile = v;
        else if (a == "--ingredients") config.service.ingredientsFile = v;
        else {
            std::cerr << "pelmora-server: unknown option " << a << "\n" << USAGE;
            return 2;
        }
    }
    if (config.service.latestVersion.find(';') != std::string::npos) {
        std::cerr << "pelmora-server: the version text cannot hold \";\"\n";
        return 2;
    }

    // Signals are taken by one thread with sigwait, so stopping never runs
    // inside a signal handler.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    try {
        Server server(config);
        const int port = server.bind();
        std::cerr << "pelmora-server: serving http://" << config.host << ":" << port << "/ with data in "
                  << config.dataDir.string() << "\n";
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
