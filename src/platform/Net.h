#pragma once

#include <memory>
#include <string>

#include "platform/EventDispatcher.h"

namespace scene {

struct URLRequest {
    std::string url;
    std::string method = "GET";
    std::string data;
    std::string contentType = "application/x-www-form-urlencoded";

    URLRequest() = default;
    explicit URLRequest(std::string url) : url(std::move(url)) {}
};

// Loads one address over HTTP. Completion arrives between frames as
// "complete" (any HTTP answer; data holds the body) or "ioError" (no answer:
// refused, unreachable, timed out). Create with make_shared: a loader keeps
// itself alive while its request is in flight.
class URLLoader : public EventDispatcher {
public:
    URLLoader();
    ~URLLoader() override;

    void load(const URLRequest& request);
    // Abandons the request in flight; no event follows.
    void close();

    std::string data;
    int status = 0;
    bool busy() const { return handle_ != nullptr || startFailed_ || waiting_; }

    // Time limits for new requests, in milliseconds.
    static void setTimeouts(long connectMs, long totalMs);

private:
    friend void pollNetwork();
    friend void startWaitingRequests();
    void start();
    void finish(bool ok, long httpStatus);

    // The transfer's curl handle, taken out of the transfer set and cleaned up with it.
    struct TransferDeleter {
        void operator()(void* easy) const;
    };
    std::unique_ptr<void, TransferDeleter> handle_;
    // A request that could not be started fails at the next network poll, like any other.
    bool startFailed_ = false;
    // The first request waits for the network library until the end of the frame.
    bool waiting_ = false;
    URLRequest request_;
    std::string buffer_;
    std::shared_ptr<URLLoader> self_;
};

// Moves finished transfers to their loaders' events. The frame loop calls it once a frame.
void pollNetwork();
// Starts the requests made before the network library was loaded, waiting
// for it. The frame loop calls it once a frame, after drawing.
void startWaitingRequests();
// Number of requests in flight.
int pendingRequests();

}  // namespace scene
