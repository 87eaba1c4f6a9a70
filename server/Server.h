#pragma once

#include "HttpFront.h"
#include "Leaderboard.h"
#include "Service.h"

#include <filesystem>
#include <memory>
#include <mutex>
#include <string>

namespace pelmora::server {

struct ServerConfig {
    std::string host = "127.0.0.1";
    int port = 8080;  // 0 picks a free port
    std::filesystem::path dataDir = "var";  // the SQLite database's folder
    std::string database;  // a PostgreSQL connection string; when set, used instead of dataDir
    std::size_t databaseConnections = 8;
    std::int64_t rankAnchorsFrom = DatabaseTarget{}.rankAnchorsFrom;
    // Take the client's address from the X-Real-IP header, as a reverse proxy
    // in front of the service sets it. Only for a service that nobody reaches directly.
    bool behindProxy = false;
    HttpLimits http;
    ServiceConfig service;
    // The level badges of the leaderboard, one PNG per level ("0.png" ...).
    std::filesystem::path badgesDir;
};

// The defaults the build knows: the repository's levels and ingredients tables.
ServiceConfig defaultServiceConfig();
// The badges the build draws.
std::filesystem::path defaultBadgesDir();

// pelmora-server: the service scripts under "/pelmora/" and the web pages, over HTTP.
class Server {
public:
    // Opens the database; throws std::runtime_error on failure.
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
    // Safe from any thread; closes every connection, and listen() returns soon after.
    void stop();

    int port() const { return port_; }
    // Serves one connected socket (any stream socket) as listen() serves an
    // accepted connection, then closes it; no bind() needed.
    bool serveConnection(int socket) { return http_->serveConnection(socket); }
    // The server's storage, for inspection by tools and tests.
    Database& database() { return db_; }

private:
    std::string clientAddress(const httplib::Request& req) const;
    // The guards every request passes first, then the service scripts, the
    // web pages and the answer to an exception.
    void addGuards();
    void addServiceRoutes();
    void addPages();

    ServerConfig config_;
    Database db_;
    Service service_;
    Leaderboard leaderboard_;
    std::unique_ptr<HttpFront> http_;
    int port_ = 0;
    std::mutex stateMutex_;
    bool listening_ = false;
    bool stopping_ = false;
};

}  // namespace pelmora::server
