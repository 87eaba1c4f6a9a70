// A whole HTTP request of any bytes, served by pelmora-server's own front and
// routes on a socket pair, against a throwaway SQLite database.
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "Server.h"

namespace {

// The service and its database folder for the whole run.
struct Rig {
    // In memory when the system offers it: every handshake commits a session.
    std::filesystem::path dir = (std::filesystem::is_directory("/dev/shm") ? std::filesystem::path("/dev/shm")
                                                                            : std::filesystem::temp_directory_path()) /
                                ("pelmora-fuzz-service-" + std::to_string(::getpid()));
    std::unique_ptr<pelmora::server::Server> server;

    Rig() {
        std::filesystem::remove_all(dir);
        pelmora::server::ServerConfig config;
        config.dataDir = dir;
        config.service = pelmora::server::defaultServiceConfig();
        config.service.passwordCost = pelmora::server::PasswordCost::Minimal;
        config.http.requestDeadline = std::chrono::milliseconds(500);
        server = std::make_unique<pelmora::server::Server>(config);
    }
    ~Rig() {
        server.reset();
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
};

pelmora::server::Server& server() {
    static Rig rig;
    return *rig.server;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto& service = server();
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, pair) != 0) return 0;
    // The client writes the request and reads whatever comes back, so neither
    // side can fill a socket buffer the other never drains.
    std::thread client([&] {
        std::size_t sent = 0;
        while (sent < size) {
            const ssize_t n = ::send(pair[1], data + sent, size - sent, MSG_NOSIGNAL);
            if (n <= 0) break;
            sent += static_cast<std::size_t>(n);
        }
        ::shutdown(pair[1], SHUT_WR);
        char sink[4096];
        while (::recv(pair[1], sink, sizeof sink, 0) > 0) {
        }
    });
    service.serveConnection(pair[0]);
    client.join();
    ::close(pair[1]);
    return 0;
}
