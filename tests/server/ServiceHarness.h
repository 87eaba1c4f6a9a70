#pragma once

// Runs pelmora-server in-process on a free loopback port and talks to it the
// way the game's client does.

#include "Server.h"
#include "scramble/Protocol.h"

#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace pelmora::testing {

namespace sc = pelmora::scramble;
namespace fs = std::filesystem;

inline fs::path makeScratchDir(const char* tag) {
    std::string templ = (fs::temp_directory_path() / (std::string("pelmora-") + tag + "-XXXXXX")).string();
    if (!mkdtemp(templ.data())) throw std::runtime_error("mkdtemp failed");
    return templ;
}

// One server instance on its own thread.
class RunningServer {
public:
    explicit RunningServer(server::ServerConfig config) : server_(std::move(config)) {
        port_ = server_.bind();
        thread_ = std::thread([this] { server_.listen(); });
    }
    ~RunningServer() {
        server_.stop();
        thread_.join();
    }
    int port() const { return port_; }
    server::Server& server() { return server_; }

private:
    server::Server server_;
    int port_ = 0;
    std::thread thread_;
};

struct Posted {
    int status = 0;  // 0 when the connection failed
    std::string body;
};

// Speaks the service protocol like the game: handshake, then session-keyed
// requests with the user's name and password in front of each command.
class GameClient {
public:
    explicit GameClient(int port) : http_("127.0.0.1", port) {
        http_.set_connection_timeout(5, 0);
        http_.set_read_timeout(20, 0);
    }

    // As a reverse proxy would report the client's address.
    void comeFrom(const std::string& address) { http_.set_default_headers({{"X-Real-IP", address}}); }

    Posted postRaw(const std::string& script, const std::string& id, const std::string& body) {
        auto res = http_.Post((std::string(sc::SERVICE_DIRECTORY) + script + "?id=" + id).c_str(), body,
                              "application/x-www-form-urlencoded");
        if (!res) return {};
        return {res->status, res->body};
    }

    // Sends text under the master key (handshake) or the session key; the reply
    // opened under the same key, or nothing when the status is not 200 or it
    // does not open.
    std::optional<std::string> post(const std::string& script, const std::string& text, bool master = false) {
        const std::string key = master ? sc::MASTER_KEY : sessionKey;
        lastStatus = 0;
        if (key.empty()) return std::nullopt;
        const Posted p = postRaw(script, sessionId, sc::requestBody(text, sc::bytesOf(key), sc::systemRandom()));
        lastStatus = p.status;
        if (p.status != 200) return std::nullopt;
        return sc::openMessage(p.body, sc::bytesOf(key));
    }

    // Returns the whole reply and adopts its session values, as the client does.
    std::optional<std::string> handshake(const std::string& version = "1.0.0\n", int build = 7) {
        auto reply = post("ping.php", std::string(sc::HANDSHAKE_TAG) + "cpp;" + version + ";" +
                                          std::to_string(build) + sessionId, true);
        if (!reply) return reply;
        const auto f = sc::splitFields(*reply);
        sessionId = f[0];
        sessionKey = f.size() > 1 ? f[1] : "";
        announcedVersion = f.size() > 2 ? f[2] : "";
        return reply;
    }

    std::optional<std::string> login(const std::string& name, const std::string& pass) {
        username = name;
        password = pass;
        auto reply = post("login.php", name + ";" + pass);
        if (reply && *reply != "ok") username = password = "";
        return reply;
    }

    std::optional<std::string> logged() {
        auto reply = post("logged.php", "");
        if (reply) {
            const auto f = sc::splitFields(*reply);
            username = f[0];
            password = f.size() > 1 ? f[1] : "null";
        }
        return reply;
    }

    std::optional<std::string> send(const std::string& command, const std::string& payload) {
        return post(command + ".php", username + ";" + password + ";" + payload);
    }

    std::string sessionId = sc::NO_SESSION_ID;
    std::string sessionKey;
    std::string announcedVersion;
    std::string username;
    std::string password;
    int lastStatus = 0;

private:
    httplib::Client http_;
};

inline int connectTo(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) ADD_FAILURE() << "cannot connect";
    return fd;
}

// Clients that send a request's headers one byte at a time, each well within
// a read time-out, for up to 8 s; notes how long each connection survived.
struct Tricklers {
    Tricklers(int port, int count) {
        for (int i = 0; i < count; ++i) {
            threads.emplace_back([this, fd = connectTo(port)] {
                const auto start = std::chrono::steady_clock::now();
                const std::string head = "POST /pelmora/ping.php HTTP/1.1\r\nHost: a\r\nX-Slow: " + std::string(99, 'z');
                for (std::size_t i = 0; std::chrono::steady_clock::now() - start < std::chrono::seconds(8); ++i) {
                    if (send(fd, &head[i % head.size()], 1, MSG_NOSIGNAL) != 1) break;
                    std::this_thread::sleep_for(std::chrono::milliseconds(200));
                }
                if (std::chrono::steady_clock::now() - start < std::chrono::seconds(8)) ++cut;
                close(fd);
            });
        }
    }
    ~Tricklers() {
        for (auto& t : threads) t.join();
    }
    std::vector<std::thread> threads;
    std::atomic<int> cut{0};
};

inline void writeFile(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

}  // namespace pelmora::testing
