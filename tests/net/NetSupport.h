#pragma once

#include <httplib.h>

#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "net/CNetworking.h"
#include "support/TestGame.h"

namespace nettest {

// Hears the outcome events of the service client.
class Ear : public scene::EventDispatcher {
public:
    struct Heard {
        std::string type;
        std::string data;
    };
    std::vector<Heard> heard;

    void listen(const std::string& type) { addEventListener(type, this, &Ear::onEvent); }
    void listenAll(const std::vector<std::string>& commands = {}) {
        for (const char* t : {CNetworkingEvent::READY, CNetworkingEvent::VERSION, CNetworkingEvent::ERROR,
                              CNetworkingEvent::COMPLETE}) {
            listen(t);
        }
        for (const auto& c : commands) listen(CNetworkingEvent::GetType(c));
    }
    void onEvent(scene::Event& e) {
        auto& n = static_cast<CNetworkingEvent&>(e);
        heard.push_back({n.type(), n.getData()});
    }
};

// Steps frames until the ear has heard count events or a few seconds pass.
inline void waitFor(scene::Headless& h, const Ear& ear, std::size_t count = 1) {
    for (int i = 0; i < 1000 && ear.heard.size() < count; ++i) {
        h.step();
        std::this_thread::sleep_for(std::chrono::milliseconds(3));
    }
    h.step(2);  // and a little more, so a second outcome would show
}

// A stand-in service that records requests and answers with a scripted body.
class FakeService {
public:
    struct Request {
        std::string path;
        std::string id;
        std::string body;
    };
    std::function<std::string(const Request&)> reply = [](const Request&) { return std::string(); };

    FakeService() {
        server_.set_keep_alive_max_count(1);
        server_.Post(R"(/pelmora/(.*))", [this](const httplib::Request& req, httplib::Response& res) {
            Request r{req.path, req.has_param("id") ? req.get_param_value("id") : "<none>", req.body};
            std::string body;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                requests_.push_back(r);
                body = reply(r);
            }
            res.set_content(body, "text/plain");
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ~FakeService() {
        server_.stop();
        thread_.join();
    }
    int port() const { return port_; }
    std::vector<Request> requests() {
        std::lock_guard<std::mutex> lock(mutex_);
        return requests_;
    }

private:
    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
    std::mutex mutex_;
    std::vector<Request> requests_;
};

}  // namespace nettest
