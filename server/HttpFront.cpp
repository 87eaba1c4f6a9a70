#include "HttpFront.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

namespace pelmora::server {

namespace {

using Clock = std::chrono::steady_clock;

thread_local bool closeRequested = false;

// Waits until fd is ready for events or the time is up; false on time-out or error.
bool waitFor(int fd, short events, Clock::time_point until) {
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
        if (left <= 0) return false;
        pollfd p{fd, events, 0};
        const int rc = ::poll(&p, 1, static_cast<int>(std::min<long long>(left, 1000 * 1000)));
        if (rc > 0) return true;
        if (rc < 0 && errno != EINTR) return false;
    }
}

void addressOf(int fd, bool peer, std::string& ip, int& port) {
    sockaddr_storage addr{};
    socklen_t len = sizeof addr;
    const int rc = peer ? ::getpeername(fd, reinterpret_cast<sockaddr*>(&addr), &len)
                        : ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    ip.clear();
    port = 0;
    if (rc != 0) return;
    char text[INET6_ADDRSTRLEN] = {};
    if (addr.ss_family == AF_INET) {
        const auto* a = reinterpret_cast<const sockaddr_in*>(&addr);
        ::inet_ntop(AF_INET, &a->sin_addr, text, sizeof text);
        port = ntohs(a->sin_port);
    } else if (addr.ss_family == AF_INET6) {
        const auto* a = reinterpret_cast<const sockaddr_in6*>(&addr);
        ::inet_ntop(AF_INET6, &a->sin6_addr, text, sizeof text);
        port = ntohs(a->sin6_port);
    }
    ip = text;
}

// One connection's socket as the library reads it: buffered, and every read
// bounded by the current request's deadline and byte budget.
class ConnectionStream final : public httplib::Stream {
public:
    ConnectionStream(int fd, const HttpLimits& limits) : fd_(fd), limits_(limits) {}

    void startRequest() {
        deadline_ = Clock::now() + limits_.requestDeadline;
        received_ = end_ - pos_;
    }
    // True when a request's first byte is there (or buffered) within the time.
    bool waitForRequest(std::chrono::milliseconds within) const {
        return pos_ < end_ || waitFor(fd_, POLLIN, Clock::now() + within);
    }

    bool is_readable() const override { return pos_ < end_ || waitFor(fd_, POLLIN, deadline_); }
    // Writes are gathered and leave in one go (see flush()); the socket is
    // only waited for when the gathered bytes go out.
    bool is_writable() const override { return true; }

    ssize_t read(char* ptr, size_t size) override {
        // Whatever was written so far may be what the client waits for
        // before it sends more ("100 Continue").
        if (!out_.empty() && !flush()) return -1;
        if (pos_ < end_) {
            const std::size_t n = std::min(size, end_ - pos_);
            std::memcpy(ptr, buffer_ + pos_, n);
            pos_ += n;
            return static_cast<ssize_t>(n);
        }
        if (received_ >= limits_.maxRequestBytes || Clock::now() >= deadline_) return -1;
        // Mostly the bytes are there already (the wait for a request saw
        // them): read first, and wait only when there is nothing yet.
        ssize_t got = ::recv(fd_, buffer_, sizeof buffer_, MSG_DONTWAIT);
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
            if (!waitFor(fd_, POLLIN, deadline_)) return -1;
            got = ::recv(fd_, buffer_, sizeof buffer_, 0);
        }
        if (got <= 0) return got;
        received_ += static_cast<std::size_t>(got);
        pos_ = 0;
        end_ = static_cast<std::size_t>(got);
        return read(ptr, size);
    }

    // The library writes a reply's head and body separately; sent apart, each
    // would be a segment of its own that wakes the client. They are gathered
    // here and sent together once the reply is complete.
    ssize_t write(const char* ptr, size_t size) override {
        out_.append(ptr, size);
        if (out_.size() >= GATHER_BYTES && !flush()) return -1;
        return static_cast<ssize_t>(size);
    }

    // Sends what was gathered; false when the client does not take it in time.
    bool flush() {
        std::size_t sent = 0;
        while (sent < out_.size()) {
            const ssize_t n = ::send(fd_, out_.data() + sent, out_.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n > 0) {
                sent += static_cast<std::size_t>(n);
            } else if (n == 0 || (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK) ||
                       !waitFor(fd_, POLLOUT, Clock::now() + limits_.writeTimeout)) {
                break;
            }
        }
        const bool all = sent == out_.size();
        out_.clear();
        return all;
    }

    // Asked for on every request; a connection's addresses never change.
    void get_remote_ip_and_port(std::string& ip, int& port) const override { remote_.get(fd_, true, ip, port); }
    void get_local_ip_and_port(std::string& ip, int& port) const override { local_.get(fd_, false, ip, port); }
    socket_t socket() const override { return fd_; }

private:
    int fd_;
    const HttpLimits& limits_;
    Clock::time_point deadline_ = Clock::now();
    std::size_t received_ = 0;
    char buffer_[4096];
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    static constexpr std::size_t GATHER_BYTES = 64 * 1024;
    std::string out_;

    struct Address {
        void get(int fd, bool peer, std::string& ip, int& port) {
            if (!known) {
                addressOf(fd, peer, this->ip, this->port);
                known = true;
            }
            ip = this->ip;
            port = this->port;
        }
        bool known = false;
        std::string ip;
        int port = 0;
    };
    mutable Address remote_, local_;
};

}  // namespace

HttpFront::HttpFront(HttpLimits limits) : limits_(limits) {
    const std::size_t workers = std::max<std::size_t>(1, limits_.workers);
    new_task_queue = [workers] { return new httplib::ThreadPool(workers); };
}

void HttpFront::raiseBacklog() {
    const socket_t sock = svr_sock_;
    if (sock != INVALID_SOCKET) ::listen(sock, limits_.backlog);
}

void HttpFront::closeAllConnections(std::chrono::milliseconds grace) {
    // Entries leave the sets before their socket is closed, so every one is
    // still open. Only the reading side is shut: a request being handled
    // still gets its answer.
    std::unique_lock lock(mutex_);
    closing_ = true;
    for (socket_t s : open_)
        if (!busy_.count(s)) ::shutdown(s, SHUT_RD);
    changed_.wait_for(lock, grace, [&] { return busy_.empty(); });
    for (socket_t s : open_) ::shutdown(s, SHUT_RD);
}

void HttpFront::setBusy(socket_t sock, bool busy) {
    std::lock_guard lock(mutex_);
    if (busy) {
        busy_.insert(sock);
    } else {
        busy_.erase(sock);
        changed_.notify_all();
    }
}

void HttpFront::closeAfterResponse() { closeRequested = true; }

bool HttpFront::process_and_close_socket(socket_t sock) {
    bool ok = true;
    bool admitted = false;
    {
        std::lock_guard lock(mutex_);
        if (!closing_) admitted = open_.insert(sock).second;
    }
    if (admitted) {
        // A long reply goes out in more than one write; without this the
        // last waits for the client's delayed acknowledgement of the others.
        const int on = 1;
        ::setsockopt(sock, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        ConnectionStream stream(sock, limits_);
        for (std::size_t left = limits_.requestsPerConnection; left > 0; --left) {
            const bool first = left == limits_.requestsPerConnection;
            if (!stream.waitForRequest(first ? limits_.requestDeadline : limits_.keepAliveIdle)) break;
            {
                std::lock_guard lock(mutex_);
                if (closing_) break;
                busy_.insert(sock);
            }
            stream.startRequest();
            closeRequested = false;
            bool closed = false;
            ok = process_request(stream, left == 1, closed, nullptr);
            ok = stream.flush() && ok;
            setBusy(sock, false);
            if (!ok || closed || closeRequested) break;
        }
        std::lock_guard lock(mutex_);
        open_.erase(sock);
        busy_.erase(sock);
        changed_.notify_all();
    }
    ::shutdown(sock, SHUT_RDWR);
    ::close(sock);
    return ok;
}

}  // namespace pelmora::server
