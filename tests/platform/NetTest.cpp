#include <gtest/gtest.h>
#include <httplib.h>

#include <chrono>
#include <thread>

#include "platform/Headless.h"
#include "platform/Display.h"

using namespace scene;

namespace {

class Outcome : public LifeTracked {
public:
    std::string kind;
    void complete(Event&) { kind = "complete"; }
    void ioError(Event&) { kind = "ioError"; }
};

// A loader whose outcome lands in o.
std::shared_ptr<URLLoader> loaderFor(Outcome& o) {
    auto loader = std::make_shared<URLLoader>();
    loader->addEventListener(Event::COMPLETE, &o, &Outcome::complete);
    loader->addEventListener(Event::IO_ERROR, &o, &Outcome::ioError);
    return loader;
}

URLRequest post(int port, const std::string& path, const std::string& body = "") {
    URLRequest req("http://127.0.0.1:" + std::to_string(port) + path);
    req.method = "POST";
    req.data = body;
    return req;
}

// Steps frames until the loader reports, up to a few seconds.
void waitFor(Headless& h, Outcome& o) {
    for (int i = 0; i < 600 && o.kind.empty(); ++i) {
        h.step();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

}  // namespace

TEST(Net, LoaderCompletesAgainstALoopbackServerAndFailsOnAClosedPort) {
    httplib::Server server;
    server.Post("/echo", [](const httplib::Request& req, httplib::Response& res) {
        res.set_content("got " + req.body, "text/plain");
    });
    server.set_keep_alive_max_count(1);
    server.Post("/missing", [](const httplib::Request&, httplib::Response& res) { res.status = 404; });
    const int port = server.bind_to_any_port("127.0.0.1");
    std::thread thread([&] { server.listen_after_bind(); });
    while (!server.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(2));

    Headless h;
    {
        Outcome o;
        auto loader = loaderFor(o);
        loader->load(post(port, "/echo", "x=abc"));
        waitFor(h, o);
        EXPECT_EQ(o.kind, "complete");
        EXPECT_EQ(loader->data, "got x=abc");
        EXPECT_EQ(loader->status, 200);
    }
    {
        // Any HTTP answer is a completion, even an error status.
        Outcome o;
        auto loader = loaderFor(o);
        loader->load(post(port, "/missing"));
        waitFor(h, o);
        EXPECT_EQ(o.kind, "complete");
        EXPECT_EQ(loader->status, 404);
    }
    server.stop();
    thread.join();
    {
        // The same port, now closed: no answer at all.
        Outcome o;
        auto loader = loaderFor(o);
        loader->load(post(port, "/echo"));
        waitFor(h, o);
        EXPECT_EQ(o.kind, "ioError");
        EXPECT_EQ(pendingRequests(), 0);
    }
}

TEST(Net, AnAbandonedLoaderIsReleasedWithoutAnEvent) {
    Headless h;
    std::weak_ptr<URLLoader> weak;
    Outcome o;
    {
        auto loader = std::make_shared<URLLoader>();
        loader->addEventListener(Event::IO_ERROR, &o, &Outcome::ioError);
        URLRequest req("http://127.0.0.1:9/nothing");
        loader->load(req);
        weak = loader;
    }
    EXPECT_FALSE(weak.expired());  // held by its request in flight
    weak.lock()->close();
    EXPECT_TRUE(weak.expired());
    h.step(3);
    EXPECT_EQ(o.kind, "");
}
