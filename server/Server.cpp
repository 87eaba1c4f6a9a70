#include "Server.h"

#include "WebPages.h"
#include "app/scramble/Protocol.h"

#include <httplib.h>

#include <chrono>
#include <iostream>
#include <thread>
#include <stdexcept>

namespace pelmora::server {

ServiceConfig defaultServiceConfig() {
    ServiceConfig c;
    c.levelsFile = PELMORA_DEFAULT_LEVELS_FILE;
    c.ingredientsFile = PELMORA_DEFAULT_INGREDIENTS_FILE;
    return c;
}

Server::Server(ServerConfig config)
    : config_(std::move(config)),
      db_(config_.dataDir),
      service_(config_.service, db_),
      http_(std::make_unique<httplib::Server>()) {
    auto& http = *http_;
    // Bigger bodies are answered with 413 before they are read.
    http.set_payload_max_length(scramble::MAX_REQUEST_BODY);
    http.set_read_timeout(10, 0);
    http.set_write_timeout(10, 0);

    http.Post(R"(/pelmora/([A-Za-z0-9_.-]+))", [this](const httplib::Request& req, httplib::Response& res) {
        // Only the address's "?id=": the body must be nothing but "x=" and hex.
        std::string id;
        if (auto it = req.params.find("id"); it != req.params.end()) id = it->second;
        const HttpReply reply = service_.handle(req.matches[1].str(), id, req.body);
        res.status = reply.status;
        res.set_content(reply.body, reply.contentType.c_str());
    });

    auto page = [this](const httplib::Request& req, httplib::Response& res) {
        if (auto html = webPage(req.path, db_, config_.service.latestVersion)) {
            res.set_content(*html, "text/html; charset=utf-8");
        } else {
            res.status = 404;
            res.set_content(*webPage("/", db_, config_.service.latestVersion), "text/html; charset=utf-8");
        }
    };
    http.Get(R"(/|/privacy/?|/condizioni/?|/pel-mora(/[a-z]*)?/?)", page);

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

Server::~Server() { stop(); }

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
    http_->stop();
}

}  // namespace pelmora::server
