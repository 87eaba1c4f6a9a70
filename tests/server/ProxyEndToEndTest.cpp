#include "ServiceHarness.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "ServiceRig.h"
#include "net/CNetworking.h"
#include "net/NetSupport.h"
#include "support/TestGame.h"

namespace rig = pelmora::rig;
using pelmora::testing::GameClient;

// nginx with the example site in front of two pelmora-server processes on one
// PostgreSQL database: the game's client, and twenty clients updating scores
// at once while one process restarts.
class ProxyEndToEnd : public testsupport::GameFixture {};

namespace {

constexpr int kClients = 20, kUpdates = 30;

struct FloodResult {
    std::vector<int> lastAck = std::vector<int>(kClients, 0);
    std::vector<std::string> finals = std::vector<std::string>(kClients);
    std::atomic<int> errors{0};
};

// Twenty clients register and log in through the front, then update their
// totals all at once; a third of the way in, restart() runs, so that it cuts
// only score updates. Each client's last acknowledged update and its totals
// read back at the end are kept.
void flood(int port, const std::function<void()>& restart, FloodResult& r) {
    std::atomic<int> acknowledged{0}, loggedIn{0}, finished{0};
    // One client at a time through the password hashing: twenty at once on a
    // busy machine can outlast a client's read time-out.
    std::mutex signingUp;
    std::vector<std::thread> clients;
    for (int i = 0; i < kClients; ++i) {
        clients.emplace_back([&, i] {
            GameClient c(port);
            const std::string name = "chef_" + std::to_string(i);
            std::unique_lock lock(signingUp);
            const bool in = c.handshake() && c.send("register", name + ";password;c@x.org") == "ok" &&
                            c.login(name, "password") == "ok";
            lock.unlock();
            ++loggedIn;  // or gave up
            if (!in) {
                ++r.errors;
                ++finished;
                return;
            }
            // The updates start together, once everyone is in.
            while (loggedIn < kClients) std::this_thread::sleep_for(std::chrono::milliseconds(1));
            for (int u = 1; u <= kUpdates; ++u) {
                if (c.send("score", std::to_string(u * 10) + ";" + std::to_string(u)) == "ok") {
                    r.lastAck[i] = u;
                    ++acknowledged;
                } else {
                    ++r.errors;
                }
            }
            r.finals[i] = c.send("score", "").value_or("<no reply>");
            ++finished;
        });
    }
    while (finished < kClients && (loggedIn < kClients || acknowledged < kClients * kUpdates / 3))
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    restart();
    for (auto& t : clients) t.join();
}

}  // namespace

TEST_F(ProxyEndToEnd, TwoProcessesBehindNginxLoseNothingAcrossARestart) {
    rig::PostgresCluster pg;
    const auto dir = dir_.path() / "rig";
    std::filesystem::create_directories(dir);
    const std::vector<std::string> args = {"--database", pg.conninfo("pelmora"), "--behind-proxy"};
    // Ports held for the whole test: none can be taken by a test running beside this one.
    const rig::PortReservation ports[3];
    rig::ServerProcess one(PELMORA_SERVER_BIN, ports[0].port(), args, dir / "one.log");
    rig::ServerProcess two(PELMORA_SERVER_BIN, ports[1].port(), args, dir / "two.log");
    rig::NginxFront front(PELMORA_NGINX_SITE, ports[2].port(), {one.port(), two.port()}, dir / "nginx");

    // The game's own client; its requests alternate between the processes.
    CNetworking::reset();
    MAux::WEBSITE = "http://127.0.0.1:" + std::to_string(front.port());
    Main::VERSION = "1.0.0";
    auto ear = std::make_shared<nettest::Ear>();
    ear->listenAll({"register", "score"});
    std::string lastData;
    auto await = [&] {
        for (int i = 0; i < 3000 && ear->heard.empty(); ++i) {
            h().step();
            std::this_thread::sleep_for(std::chrono::milliseconds(3));
        }
        if (!ear->heard.empty()) lastData = ear->heard.front().data;
        std::string heard = (ear->heard.empty() ? std::string() : ear->heard.front().type) + " " + lastData;
        ear->heard.clear();
        return heard;
    };
    CNetworking::PrepareCryptChannel(ear.get());
    EXPECT_EQ(await().rfind(std::string(CNetworkingEvent::READY) + " ", 0), 0u);
    std::make_shared<CNetworking>()->SendAsync("register", "Game_Chef;password;g@x.org", ear.get());
    EXPECT_EQ(await(), CNetworkingEvent::GetType("register") + " ok");
    CNetworking::Login("Game_Chef", "password", ear.get());
    EXPECT_EQ(await(), std::string(CNetworkingEvent::COMPLETE) + " ok");
    for (const char* totals : {"10;1", "20;2", "30;3"}) {
        std::make_shared<CNetworking>()->SendAsync("score", totals, ear.get());
        EXPECT_EQ(await(), CNetworkingEvent::GetType("score") + " ok");
    }

    FloodResult r;
    flood(front.port(), [&] { one.restart(); }, r);
    const auto& lastAck = r.lastAck;
    const auto& finals = r.finals;
    const int errors = r.errors;

    // Nothing acknowledged is lost; a request cut by the restart was never acknowledged.
    for (int i = 0; i < kClients; ++i)
        EXPECT_EQ(finals[i], std::to_string(lastAck[i] * 10) + ";" + std::to_string(lastAck[i])) << "client " << i;
    EXPECT_LE(errors, kClients) << "requests failed across the restart";

    // The game's client carries on with the restarted pair.
    std::make_shared<CNetworking>()->SendAsync("score", "", ear.get());
    EXPECT_EQ(await(), CNetworkingEvent::GetType("score") + " 30;3");
    CNetworking::reset();
}
