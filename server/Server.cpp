#include "Server.h"

#include "WebPages.h"
#include "scramble/Protocol.h"

#include <chrono>
#include <iostream>
#include <stdexcept>
#include <thread>

namespace pelmora::server {

namespace {

bool carriesBody(const httplib::Request& req) {
    return req.has_header("Transfer-Encoding") ||
           (req.has_header("Content-Length") && req.get_header_value("Content-Length") != "0");
}

}  // namespace

ServiceConfig defaultServiceConfig() {
    ServiceConfig c;
    c.levelsFile = PELMORA_DEFAULT_LEVELS_FILE;
    c.ingredientsFile = PELMORA_DEFAULT_INGREDIENTS_FILE;
    return c;
}

Server::Server(ServerConfig config)
    : config_(std::move(config)),
      db_(DatabaseTarget{config_.dataDir, config_.database, config_.databaseConnections}),
      service_(config_.service, db_),
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
        if (auto html = webPage(req.path, db_, config_.service.latestVersion)) {
            res.set_content(*html, "text/html; charset=utf-8");
        } else {
            res.status = 404;
            res.set_content(*webPage("/", db_, config_.service.latestVersion), "text/html; charset=utf-8");
        }
    };
    http_->Get(R"(/|/privacy/?|/condizioni/?|/pel-mora(/[a-z]*)?/?)", page);
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
