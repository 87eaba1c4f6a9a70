#include "Server.h"

#include "WebPages.h"
#include "scramble/Protocol.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <stdexcept>
#include <thread>

namespace pelmora::server {

namespace {

bool carriesBody(const httplib::Request& req) {
    return req.has_header("Transfer-Encoding") ||
           (req.has_header("Content-Length") && req.get_header_value("Content-Length") != "0");
}

// A short name of a body for ETag: 64-bit FNV-1a.
std::string entityTag(const std::string& body) {
    std::uint64_t h = 14695981039346656037ull;
    for (unsigned char c : body) h = (h ^ c) * 1099511628211ull;
    char tag[24];
    std::snprintf(tag, sizeof tag, "\"%016llx\"", static_cast<unsigned long long>(h));
    return tag;
}

// Whether an If-None-Match header names the tag (or is "*").
bool tagMatches(const std::string& header, const std::string& tag) {
    std::size_t at = 0;
    while (at < header.size()) {
        std::size_t end = header.find(',', at);
        if (end == std::string::npos) end = header.size();
        std::string item = header.substr(at, end - at);
        item.erase(0, item.find_first_not_of(" \t"));
        item.erase(item.find_last_not_of(" \t") + 1);
        if (item.rfind("W/", 0) == 0) item.erase(0, 2);
        if (item == tag || item == "*") return true;
        at = end + 1;
    }
    return false;
}

// A page that may be kept by browsers and nginx for a few seconds, and is
// not sent again while it is unchanged.
void sendPage(const httplib::Request& req, httplib::Response& res, const WebReply& page) {
    // A status left unset becomes 200, or 206 for a range.
    if (page.status != 200) res.status = page.status;
    else {
        const std::string tag = entityTag(page.body);
        res.set_header("Cache-Control", "public, max-age=10");
        res.set_header("ETag", tag);
        if (req.has_header("If-None-Match") && tagMatches(req.get_header_value("If-None-Match"), tag)) {
            res.status = 304;
            return;
        }
    }
    res.set_content(page.body, page.contentType.c_str());
}

}  // namespace

std::filesystem::path defaultBadgesDir() { return PELMORA_DEFAULT_BADGES_DIR; }

ServiceConfig defaultServiceConfig() {
    ServiceConfig c;
    c.levelsFile = PELMORA_DEFAULT_LEVELS_FILE;
    c.ingredientsFile = PELMORA_DEFAULT_INGREDIENTS_FILE;
    return c;
}

Server::Server(ServerConfig config)
    : config_(std::move(config)),
      db_(DatabaseTarget{config_.dataDir, config_.database, config_.databaseConnections, config_.rankAnchorsFrom}),
      service_(config_.service, db_),
      leaderboard_(db_, LevelTable::fromFile(config_.service.levelsFile)),
      http_(std::make_unique<HttpFront>(config_.http)) {
    addGuards();
    addServiceRoutes();
    addPages();
}

void Server::addGuards() {
    auto& http = *http_;
    // A body announced as larger is refused before it is read.
    http.set_payload_max_length(scramble::MAX_REQUEST_BODY);

    http.set_pre_routing_handler([](const httplib::Request& req, httplib::Response& res) {
        // Only the service scripts take a body; anywhere else it is not read at all.
        const bool service = req.method == "POST" && req.path.rfind(scramble::SERVICE_DIRECTORY, 0) == 0;
        if (!service && carriesBody(req)) {
            res.status = 413;
            res.set_content("no request body here\n", "text/plain");
            HttpFront::closeAfterResponse();
            return httplib::Server::HandlerResponse::Handled;
        }
        // One range of a page is cheap; many would multiply the reply.
        if (req.ranges.size() > 1) {
            res.status = 416;
            res.set_content("one range at most\n", "text/plain");
            // The library would still cut this short body once per requested
            // range into a multipart reply; without the ranges it goes out as
            // it is. The request is the library's own, not a const object.
            const_cast<httplib::Request&>(req).ranges.clear();
            return httplib::Server::HandlerResponse::Handled;
        }
        return httplib::Server::HandlerResponse::Unhandled;
    });

    http.set_exception_handler([](const httplib::Request& req, httplib::Response& res, std::exception_ptr ep) {
        try {
            if (ep) std::rethrow_exception(ep);
        } catch (const std::exception& e) {
            std::cerr << "pelmora-server: " << req.path << ": " << e.what() << "\n";
        } catch (...) {
        }
        res.status = 500;
        res.set_content("internal error\n", "text/plain");
    });
}

void Server::addServiceRoutes() {
    auto& http = *http_;
    std::string scripts;
    for (const auto& script : scramble::serviceScripts()) {
        if (!scripts.empty()) scripts += "|";
        for (char c : script) scripts += c == '.' ? std::string("\\.") : std::string(1, c);
    }
    // The service's scripts, through a route with a content reader: the
    // library would refuse form bodies over 8 KB itself, and would read a
    // chunked body whole. Here it is counted as it arrives and cut at the
    // service's limit.
    http.Post(std::string(scramble::SERVICE_DIRECTORY) + "(" + scripts + ")",
              [this](const httplib::Request& req, httplib::Response& res, const httplib::ContentReader& reader) {
        std::string body;
        bool tooLong = false;
        const bool read = reader([&](const char* data, std::size_t size) {
            if (body.size() + size > scramble::MAX_REQUEST_BODY) {
                tooLong = true;
                return false;
            }
            body.append(data, size);
            return true;
        });
        if (!read || tooLong) {
            res.status = tooLong || res.status == 413 ? 413 : 400;
            res.set_content(res.status == 413 ? "request too long\n" : "broken request body\n", "text/plain");
            HttpFront::closeAfterResponse();
            return;
        }
        // Only the address's "?id=": the body must be nothing but "x=" and hex.
        std::string id;
        if (auto it = req.params.find("id"); it != req.params.end()) id = it->second;
        const HttpReply reply = service_.handle(req.matches[1].str(), id, body, clientAddress(req));
        res.status = reply.status;
        res.set_content(reply.body, reply.contentType.c_str());
    });
    // Any other POST: answered without reading its body.
    http.Post(".*", [](const httplib::Request&, httplib::Response& res, const httplib::ContentReader&) {
        res.status = 404;
        res.set_content("not found\n", "text/plain");
        HttpFront::closeAfterResponse();
    });
}

void Server::addPages() {
    auto page = [this](const httplib::Request& req, httplib::Response& res) {
        std::optional<std::string> pageParam;
        if (auto it = req.params.find("page"); it != req.params.end()) pageParam = it->second;
        if (auto reply = leaderboard_.answer(req.path, pageParam)) return sendPage(req, res, *reply);
        if (auto html = webPage(req.path, db_, config_.service.latestVersion)) return sendPage(req, res, {200, *html});
        sendPage(req, res, {404, notFoundPage()});
    };
    http_->Get(R"(/|/privacy/?|/condizioni/?|/pel-mora(/[a-z]*)?/?|/pel-mora/classifica\.json|/pel-mora/chef/.*)", page);
    http_->Get(".*", [](const httplib::Request& req, httplib::Response& res) { sendPage(req, res, {404, notFoundPage()}); });
    // The level badges: files, which the library answers with their own type.
    const auto badges = config_.badgesDir.empty() ? defaultBadgesDir() : config_.badgesDir;
    http_->set_mount_point(std::string(Leaderboard::BADGE_PATH, std::strlen(Leaderboard::BADGE_PATH) - 1),
                           badges.string());
    http_->set_file_request_handler([](const httplib::Request&, httplib::Response& res) {
        res.set_header("Cache-Control", "public, max-age=86400");
    });
}

Server::~Server() { stop(); }

std::string Server::clientAddress(const httplib::Request& req) const {
    if (config_.behindProxy && req.has_header("X-Real-IP")) return req.get_header_value("X-Real-IP").substr(0, 64);
    return req.remote_addr;
}

int Server::bind() {
    auto& http = *http_;
    if (config_.port == 0) {
        port_ = http.bind_to_any_port(config_.host);
        if (port_ <= 0) throw std::runtime_error("cannot listen on " + config_.host);
    } else {
        if (!http.bind_to_port(config_.host, config_.port))
            throw std::runtime_error("cannot listen on " + config_.host + ":" + std::to_string(config_.port));
        port_ = config_.port;
    }
    http.raiseBacklog();
    return port_;
}

bool Server::listen() {
    {
        std::lock_guard lock(stateMutex_);
        if (stopping_) return true;
        listening_ = true;
    }
    const bool ok = http_->listen_after_bind();
    std::lock_guard lock(stateMutex_);
    listening_ = false;
    return ok;
}

void Server::stop() {
    {
        std::lock_guard lock(stateMutex_);
        stopping_ = true;
        if (!listening_) return;
    }
    // listen() may not have reached its accept loop yet; a stop before that
    // would be lost, so wait until it runs (or has already given up).
    while (!http_->is_running()) {
        {
            std::lock_guard lock(stateMutex_);
            if (!listening_) return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    http_->closeAllConnections();
    http_->stop();
}

}  // namespace pelmora::server
