#include "Server.h"
#include "net/CNetworking.h"
#include "net/NetSupport.h"
#include "support/TestGame.h"

#include <thread>

// The game's own client sends its crash log as one form-encoded body.
class ClientCrashLog : public testsupport::GameFixture {};

TEST_F(ClientCrashLog, LargeLogsReachTheService) {
    CNetworking::reset();
    pelmora::server::ServerConfig config;
    config.port = 0;
    config.dataDir = dir_.path() / "db";
    Main::VERSION = config.service.latestVersion;
    pelmora::server::Server server(config);
    MAux::WEBSITE = "http://127.0.0.1:" + std::to_string(server.bind());
    std::thread serving([&] { server.listen(); });

    auto ear = std::make_shared<nettest::Ear>();
    for (const char* t : {CNetworkingEvent::READY, CNetworkingEvent::VERSION, CNetworkingEvent::ERROR}) ear->listen(t);
    ear->listen(CNetworkingEvent::GetType("pml"));
    std::string data;
    auto await = [&] {
        for (int i = 0; i < 2000 && ear->heard.empty(); ++i) {
            h().step();
            std::this_thread::sleep_for(std::chrono::milliseconds(3));
        }
        if (ear->heard.empty()) return std::string();
        const auto got = ear->heard.front();
        ear->heard.clear();
        data = got.data;
        return got.type;
    };
    CNetworking::PrepareCryptChannel(ear.get());
    EXPECT_EQ(await(), CNetworkingEvent::READY);

    for (std::size_t size : {20u * 1024, 58u * 1024}) {
        std::string log;
        while (log.size() < size) log += "Exception: b at 0000000000401000 pelmora@1:" + std::to_string(log.size()) + "\n";
        log.resize(size);
        std::make_shared<CNetworking>()->SendAsync("pml", log, ear.get());
        EXPECT_EQ(await(), CNetworkingEvent::GetType("pml")) << size;
        EXPECT_EQ(data, "ok") << size;
        const auto stored = server.database().crashes();
        ASSERT_FALSE(stored.empty());
        EXPECT_EQ(stored.back().content, log);
    }
    CNetworking::reset();
    server.stop();
    serving.join();
}
