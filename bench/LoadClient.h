#pragma once

// The load tool's clients: a kept-alive HTTP connection and the game's side
// of the service protocol, with the few helpers its phases share.

#include "scramble/Protocol.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace pelmora::load {

namespace sc = pelmora::scramble;
using Clock = std::chrono::steady_clock;

// One kept-alive HTTP/1.1 connection to the service, as little as the tool
// needs: a request written in one send (as curl, which the game uses, sends
// a small one), a reply read up to its Content-Length. The tool shares the
// machine with the service; curl's own work per request (several polls, its
// parsers) took about a third of the CPU time of a run.
class KeptConnection {
public:
    explicit KeptConnection(int port) : port_(port) {}
    ~KeptConnection() { close(); }
    KeptConnection(const KeptConnection&) = delete;
    KeptConnection& operator=(const KeptConnection&) = delete;

    // The reply's status and body; nothing when the exchange failed.
    std::optional<std::pair<int, std::string>> post(const std::string& path, const std::string& body) {
        return roundTrip("POST " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                         "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
                         std::to_string(body.size()) + "\r\n\r\n" + body);
    }
    std::optional<std::pair<int, std::string>> get(const std::string& path) {
        return roundTrip("GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    }

private:
    std::optional<std::pair<int, std::string>> roundTrip(const std::string& request) {
        // A kept connection that the service closed while it was idle fails
        // before any reply arrives: then the request goes once more on a new one.
        for (int attempt = 0; attempt < 2; ++attempt) {
            const bool kept = fd_ >= 0;
            if (!kept && !open()) return std::nullopt;
            bool answered = false;
            if (auto reply = exchange(request, answered)) return reply;
            close();
            if (!kept || answered) return std::nullopt;
        }
        return std::nullopt;
    }

    bool open() {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        if (fd_ < 0) return false;
        const timeval wait{60, 0};
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
        ::setsockopt(fd_, SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait);
        const int on = 1;
        ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<std::uint16_t>(port_));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) return true;
        close();
        return false;
    }
    void close() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

    std::optional<std::pair<int, std::string>> exchange(const std::string& request, bool& answered) {
        for (std::size_t sent = 0; sent < request.size();) {
            const ssize_t n = ::send(fd_, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) return std::nullopt;
            sent += static_cast<std::size_t>(n);
        }
        std::string in;
        std::size_t headEnd = std::string::npos;
        while ((headEnd = in.find("\r\n\r\n")) == std::string::npos)
            if (!receive(in, answered) || in.size() > 64 * 1024) return std::nullopt;
        std::string head = in.substr(0, headEnd + 2);
        for (auto& c : head) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        const auto length = head.find("\r\ncontent-length:");
        if (head.rfind("http/1.1 ", 0) != 0 || length == std::string::npos ||
            head.find("\r\ntransfer-encoding:") != std::string::npos)
            return std::nullopt;
        const std::size_t size = std::strtoul(head.c_str() + length + 17, nullptr, 10);
        while (in.size() < headEnd + 4 + size)
            if (!receive(in, answered)) return std::nullopt;
        if (head.find("\r\nconnection: close") != std::string::npos) close();
        return std::pair{std::atoi(head.c_str() + 9), in.substr(headEnd + 4, size)};
    }
    bool receive(std::string& in, bool& answered) {
        char buffer[16 * 1024];
        const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
        if (n <= 0) return false;
        answered = true;
        in.append(buffer, static_cast<std::size_t>(n));
        return true;
    }

    int port_;
    int fd_ = -1;
};

// The game's side of the protocol, as plainly as possible; a client keeps
// its connection between requests, as the game's curl handle does.
class LoadClient {
public:
    explicit LoadClient(int port) : http_(port) {}

    std::optional<std::string> post(const std::string& script, const std::string& text, bool master = false) {
        // Without a session (its handshake failed) there is no key to seal with.
        if (!master && key_.empty()) return std::nullopt;
        const std::string key = master ? sc::MASTER_KEY : key_;
        const auto reply = http_.post(std::string(sc::SERVICE_DIRECTORY) + script + "?id=" + id_,
                                      sc::requestBody(text, sc::bytesOf(key), sc::systemRandom()));
        if (!reply || reply->first != 200) return std::nullopt;
        return sc::openMessage(reply->second, sc::bytesOf(key));
    }
    bool handshake() {
        const auto reply = post("ping.php", std::string(sc::HANDSHAKE_TAG) + "load;1.0.0;1" + id_, true);
        if (!reply) return false;
        const auto f = sc::splitFields(*reply);
        if (f.size() < 2) return false;
        id_ = f[0];
        key_ = f[1];
        return true;
    }
    bool login(const std::string& name, const std::string& password) {
        name_ = name;
        password_ = password;
        return post("login.php", name + ";" + password) == std::string(sc::REPLY_OK);
    }
    std::optional<std::string> send(const std::string& command, const std::string& payload) {
        return post(command + ".php", name_ + ";" + password_ + ";" + payload);
    }

private:
    KeptConnection http_;
    std::string id_ = sc::NO_SESSION_ID;
    std::string key_;
    std::string name_;
    std::string password_;
};

// The p-th quantile (0 to 1) of times in milliseconds.
inline double percentile(std::vector<double> ms, double p) {
    if (ms.empty()) return 0;
    std::sort(ms.begin(), ms.end());
    return ms[std::min(ms.size() - 1, static_cast<std::size_t>(p * static_cast<double>(ms.size())))];
}

inline double msSince(Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

}  // namespace pelmora::load
