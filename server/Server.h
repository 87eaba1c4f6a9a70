#pragma once

#include "Service.h"

#include <filesystem>
#include <memory>
#include <mutex>
#include <string>

namespace httplib {
class Server;
}

namespace pelmora::server {

struct ServerConfig {
    std::string host = "127.0.0.1";
    int port = 8080;  // 0 picks a free port
    std::filesystem::path dataDir = "var";
    ServiceConfig service;
};

// The defaults the build knows: the repository's levels and ingredients tables.
ServiceConfig defaultServiceConfig();

// pelmora-server: the service scripts under "/pelmora/" and the web pages, over HTTP.
class Server {
public:
    // Opens the database under config.dataDir; throws std::runtime_error on failure.
    explicit Server(ServerConfig config);
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // Binds the listening socket and returns the port; throws when it cannot.
    // Connections made after this wait until listen() accepts them.
    int bind();
    // Serves until stop(); call bind() first. Returns false if serving failed.
    // Returns at once when stop() came first.
    bool listen();
    // Safe from any thread; listen() returns soon after.
    void stop();

    int port() const { return port_; }
    // The server's storage, for inspection by tools and tests.
    Database& database() { return db_; }

private:
    ServerConfig config_;
    Database db_;
    Service service_;
    std::unique_ptr<httplib::Server> http_;
    int port_ = 0;
    std::mutex stateMutex_;
    bool listening_ = false;
    bool stopping_ = false;
};

}  // namespace pelmora::server
