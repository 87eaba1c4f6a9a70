#include "platform/Net.h"

#include <curl/curl.h>

#include <algorithm>
#include <vector>

namespace scene {

namespace {

long connectTimeoutMs = 5000;
long totalTimeoutMs = 20000;

struct TransferSet {
    CURLM* multi = nullptr;
    std::vector<URLLoader*> loaders;

    TransferSet() {
        curl_global_init(CURL_GLOBAL_DEFAULT);
        multi = curl_multi_init();
    }
    ~TransferSet() {
        curl_multi_cleanup(multi);
        curl_global_cleanup();
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
    curl_multi_remove_handle(multi().multi, easy);
    curl_easy_cleanup(easy);
}

void URLLoader::setTimeouts(long connectMs, long totalMs) {
    connectTimeoutMs = connectMs;
    totalTimeoutMs = totalMs;
}

void URLLoader::load(const URLRequest& request) {
    close();
    auto& m = multi();
    self_ = std::static_pointer_cast<URLLoader>(weak_from_this().lock());
    m.loaders.push_back(this);
    CURL* easy = curl_easy_init();
    if (!easy) {
        startFailed_ = true;
        return;
    }
    body_ = request.data;
    buffer_.clear();
    curl_easy_setopt(easy, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, connectTimeoutMs);
    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, totalTimeoutMs);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &onData);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &buffer_);
    curl_easy_setopt(easy, CURLOPT_PRIVATE, this);
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    if (request.method == "POST") {
        curl_easy_setopt(easy, CURLOPT_POST, 1L);
        curl_easy_setopt(easy, CURLOPT_POSTFIELDS, body_.c_str());
        curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE, static_cast<long>(body_.size()));
    }
    handle_.reset(easy);
    if (curl_multi_add_handle(m.multi, easy) != CURLM_OK) {
        handle_.reset();
        startFailed_ = true;
    }
}

void URLLoader::close() {
    if (!busy()) return;
    handle_.reset();
    startFailed_ = false;
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
    curl_multi_perform(m.multi, &running);
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
    while (CURLMsg* msg = curl_multi_info_read(m.multi, &left)) {
        if (msg->msg != CURLMSG_DONE) continue;
        URLLoader* loader = nullptr;
        curl_easy_getinfo(msg->easy_handle, CURLINFO_PRIVATE, &loader);
        long code = 0;
        curl_easy_getinfo(msg->easy_handle, CURLINFO_RESPONSE_CODE, &code);
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

int pendingRequests() { return static_cast<int>(multi().loaders.size()); }

}  // namespace scene
