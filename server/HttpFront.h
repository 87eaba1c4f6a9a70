#pragma once

#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <set>

namespace pelmora::server {

// What one connection may cost.
struct HttpLimits {
    std::size_t workers = 128;  // requests served at once; more connections wait in the queue
    int backlog = 1024;         // connections the kernel holds before they are accepted
    // A whole request (request line, headers and body) must arrive within this.
    std::chrono::milliseconds requestDeadline{10000};
    // How long an idle kept-alive connection may wait for its next request.
    std::chrono::milliseconds keepAliveIdle{2000};
    std::chrono::milliseconds writeTimeout{10000};
    // Request line, headers and body of one request together.
    std::size_t maxRequestBytes = (1u << 20) + 64 * 1024;
    std::size_t requestsPerConnection = 100;
};

// cpp-httplib's server with limits a public service needs: a listen backlog
// for bursts, a deadline and a byte budget for each whole request (not only
// for each read), a chosen number of workers, and a stop that closes every
// open connection so that slow clients cannot hold it up.
class HttpFront : public httplib::Server {
public:
    explicit HttpFront(HttpLimits limits);

    // Call after binding: the library listens with a backlog of 5.
    void raiseBacklog();
    // Refuses new connections and ends the open ones: idle ones at once, and
    // those in the middle of a request after it is answered or after the
    // grace time, whichever comes first. Call before stop().
    void closeAllConnections(std::chrono::milliseconds grace = std::chrono::milliseconds(1500));
    // From a handler: close the connection once this response is written
    // (the request's body may not have been read).
    static void closeAfterResponse();
    // Serves one connected socket exactly as an accepted connection, then closes it.
    bool serveConnection(socket_t sock) { return process_and_close_socket(sock); }

private:
    bool process_and_close_socket(socket_t sock) override;

    HttpLimits limits_;
    void setBusy(socket_t sock, bool busy);

    std::mutex mutex_;
    std::condition_variable changed_;
    std::set<socket_t> open_;
    std::set<socket_t> busy_;  // in the middle of a request
    bool closing_ = false;
};

}  // namespace pelmora::server
