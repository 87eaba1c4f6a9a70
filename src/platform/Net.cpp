#include "platform/Net.h"

#include <curl/curl.h>

#include <algorithm>
#include <vector>

#include "platform/SharedLibrary.h"

namespace scene {

namespace {

long connectTimeoutMs = 5000;
long totalTimeoutMs = 20000;

constexpr const char* kCurlLibrary = "libcurl.so.4";
bool curlOpened = false;

// libcurl's functions. The library loads on a thread of its own when the
// first request is made, which waits for it until the end of the frame: a
// game that never reaches the service never loads it, and the start's first
// frame does not wait for it. Null when it cannot be loaded; every request
// then fails as if the service were away.
struct Curl {
    decltype(&curl_global_init) global_init;
    decltype(&curl_global_cleanup) global_cleanup;
    decltype(&curl_multi_init) multi_init;
    decltype(&curl_multi_cleanup) multi_cleanup;
    decltype(&curl_multi_add_handle) multi_add_handle;
    decltype(&curl_multi_remove_handle) multi_remove_handle;
    decltype(&curl_multi_perform) multi_perform;
    decltype(&curl_multi_info_read) multi_info_read;
    decltype(&curl_easy_init) easy_init;
    decltype(&curl_easy_cleanup) easy_cleanup;
    decltype(&curl_easy_setopt) easy_setopt;
    decltype(&curl_easy_getinfo) easy_getinfo;
};

const Curl* curl() {
    static const Curl* const api = []() -> const Curl* {
        static detail::SharedLibrary library(kCurlLibrary, "no online service, playing offline");
        static Curl c{};
        curlOpened = true;
        library.bind(c.global_init, "curl_global_init");
        library.bind(c.global_cleanup, "curl_global_cleanup");
        library.bind(c.multi_init, "curl_multi_init");
        library.bind(c.multi_cleanup, "curl_multi_cleanup");
        library.bind(c.multi_add_handle, "curl_multi_add_handle");
        library.bind(c.multi_remove_handle, "curl_multi_remove_handle");
        library.bind(c.multi_perform, "curl_multi_perform");
        library.bind(c.multi_info_read, "curl_multi_info_read");
        library.bind(c.easy_init, "curl_easy_init");
        library.bind(c.easy_cleanup, "curl_easy_cleanup");
        library.bind(c.easy_setopt, "curl_easy_setopt");
        library.bind(c.easy_getinfo, "curl_easy_getinfo");
        return library.usable() ? &c : nullptr;
    }();
    return api;
}

// The loaders with a request in flight; curl's transfer set once a request was made.
struct TransferSet {
    CURLM* multi = nullptr;
    std::vector<URLLoader*> loaders;

    // The transfer set, made (with libcurl loaded) on first need; null without libcurl.
    CURLM* open() {
        if (!multi && curl() && curl()->global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK) {
            multi = curl()->multi_init();
            if (!multi) curl()->global_cleanup();
        }
        return multi;
    }
    ~TransferSet() {
        if (!multi) return;
        curl()->multi_cleanup(multi);
        curl()->global_cleanup();
    }
};

TransferSet& multi() {
    static TransferSet m;
    return m;
}

size_t onData(char* ptr, size_t size, size_t nmemb, void* user) {
    auto* buffer = static_cast<std::string*>(user);
    buffer->append(ptr, size * nmemb);
    return size * nmemb;
}

}  // namespace

URLLoader::URLLoader() = default;

URLLoader::~URLLoader() { close(); }

void URLLoader::TransferDeleter::operator()(void* easy) const {
    curl()->multi_remove_handle(multi().multi, easy);
    curl()->easy_cleanup(easy);
}

void URLLoader::setTimeouts(long connectMs, long totalMs) {
    connectTimeoutMs = connectMs;
    totalTimeoutMs = totalMs;
}

void URLLoader::load(const URLRequest& request) {
    close();
    self_ = std::static_pointer_cast<URLLoader>(weak_from_this().lock());
    multi().loaders.push_back(this);
    request_ = request;
    buffer_.clear();
    if (curlOpened) {
        start();
        return;
    }
    // The first request: libcurl loads on a thread of its own, and the
    // request starts once the frame has been drawn.
    detail::SharedLibrary::preload(kCurlLibrary);
    waiting_ = true;
}

void URLLoader::start() {
    waiting_ = false;
    auto& m = multi();
    CURL* easy = m.open() ? curl()->easy_init() : nullptr;
    if (!easy) {
        startFailed_ = true;
        return;
    }
    const auto setopt = curl()->easy_setopt;
    setopt(easy, CURLOPT_URL, request_.url.c_str());
    setopt(easy, CURLOPT_NOSIGNAL, 1L);
    setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, connectTimeoutMs);
    setopt(easy, CURLOPT_TIMEOUT_MS, totalTimeoutMs);
    setopt(easy, CURLOPT_WRITEFUNCTION, &onData);
    setopt(easy, CURLOPT_WRITEDATA, &buffer_);
    setopt(easy, CURLOPT_PRIVATE, this);
    setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    if (request_.method == "POST") {
        setopt(easy, CURLOPT_POST, 1L);
        setopt(easy, CURLOPT_POSTFIELDS, request_.data.c_str());
        setopt(easy, CURLOPT_POSTFIELDSIZE, static_cast<long>(request_.data.size()));
    }
    handle_.reset(easy);
    if (curl()->multi_add_handle(m.multi, easy) != CURLM_OK) {
        handle_.reset();
        startFailed_ = true;
    }
}

void URLLoader::close() {
    if (!busy()) return;
    handle_.reset();
    startFailed_ = false;
    waiting_ = false;
    std::erase(multi().loaders, this);
    // Dropping the self-reference may destroy this object: do it last.
    auto release = std::move(self_);
}

void URLLoader::finish(bool ok, long httpStatus) {
    auto keep = std::move(self_);
    handle_.reset();
    startFailed_ = false;
    std::erase(multi().loaders, this);
    status = static_cast<int>(httpStatus);
    if (ok) {
        data = std::move(buffer_);
        Event e(Event::COMPLETE);
        dispatchEvent(e);
    } else {
        data.clear();
        IOErrorEvent e(Event::IO_ERROR, "Error #2032: Stream Error");
        dispatchEvent(e);
    }
}

void pollNetwork() {
    auto& m = multi();
    if (m.loaders.empty()) return;
    int running = 0;
    if (m.multi) curl()->multi_perform(m.multi, &running);
    // Collect first: a handler may start, close or destroy other loaders.
    struct Done {
        URLLoader* loader;
        void* handle;
        bool ok;
        long code;
    };
    static std::vector<Done> done;
    done.clear();
    int left = 0;
    while (CURLMsg* msg = m.multi ? curl()->multi_info_read(m.multi, &left) : nullptr) {
        if (msg->msg != CURLMSG_DONE) continue;
        URLLoader* loader = nullptr;
        curl()->easy_getinfo(msg->easy_handle, CURLINFO_PRIVATE, &loader);
        long code = 0;
        curl()->easy_getinfo(msg->easy_handle, CURLINFO_RESPONSE_CODE, &code);
        done.push_back({loader, msg->easy_handle, msg->data.result == CURLE_OK, code});
    }
    for (URLLoader* loader : m.loaders) {
        if (loader->startFailed_) done.push_back({loader, nullptr, false, 0});
    }
    const std::vector<Done> batch = done;
    for (const auto& d : batch) {
        const bool stillLoading = std::find(m.loaders.begin(), m.loaders.end(), d.loader) != m.loaders.end();
        if (stillLoading && d.loader->handle_.get() == d.handle) d.loader->finish(d.ok, d.code);
    }
}

void startWaitingRequests() {
    // A start that fails is reported at the next poll; starting dispatches nothing.
    for (URLLoader* loader : multi().loaders) {
        if (loader->waiting_) loader->start();
    }
}

int pendingRequests() { return static_cast<int>(multi().loaders.size()); }

}  // namespace scene
