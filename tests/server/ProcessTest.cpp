#include "ServiceHarness.h"
#include "ServiceRig.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <csignal>

using namespace pelmora::testing;

TEST(ServerProcess, StopsSoonAfterSigtermWithSlowClientsConnected) {
    const auto dir = pelmora::rig::scratchDir("sigterm");
    {
        const pelmora::rig::PortReservation reserved;
        const int port = reserved.port();
        pelmora::rig::ServerProcess server(PELMORA_SERVER_BIN, port, {"--data", (dir / "data").string()},
                                           dir / "server.log");
        Tricklers slow(port, 3);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        server.process().signal(SIGTERM);
        EXPECT_EQ(server.process().wait(std::chrono::seconds(5)), 0) << "still running 5 s after SIGTERM";
    }
    fs::remove_all(dir);
}

// Killed outright mid-stream, the service keeps every score update it
// acknowledged: each player's totals after a restart are the last
// acknowledged ones, or the update that was in flight.
TEST(ServerProcess, KeepsEveryAcknowledgedUpdateWhenKilled) {
    const auto dir = pelmora::rig::scratchDir("kill");
    {
        const pelmora::rig::PortReservation reserved;
        const int port = reserved.port();
        const std::vector<std::string> args = {"--data", (dir / "data").string()};
        pelmora::rig::ServerProcess server(PELMORA_SERVER_BIN, port, args, dir / "first.log");
        constexpr int kPlayers = 4;
        std::array<std::atomic<int>, kPlayers> acknowledged{};
        std::atomic<int> stopped{0};
        std::vector<std::thread> players;
        for (int i = 0; i < kPlayers; ++i)
            players.emplace_back([&, i] {
                GameClient c(port);
                const std::string name = "player_" + std::to_string(i);
                if (c.handshake() && c.send("register", name + ";password;p@x.org") == "ok" &&
                    c.login(name, "password") == "ok")
                    for (int u = 1; c.send("score", std::to_string(u) + ";" + std::to_string(u)) == "ok"; ++u)
                        acknowledged[i] = u;
                ++stopped;
            });
        auto everyoneAt = [&](int n) {
            return std::all_of(acknowledged.begin(), acknowledged.end(), [n](const auto& a) { return a >= n; });
        };
        while (!everyoneAt(50) && stopped == 0) std::this_thread::yield();
        server.process().signal(SIGKILL);
        for (auto& t : players) t.join();
        ASSERT_TRUE(everyoneAt(50));

        pelmora::rig::ServerProcess again(PELMORA_SERVER_BIN, port, args, dir / "second.log");
        for (int i = 0; i < kPlayers; ++i) {
            GameClient c(port);
            ASSERT_TRUE(c.handshake());
            ASSERT_EQ(c.login("player_" + std::to_string(i), "password"), "ok");
            const int a = acknowledged[i];
            const auto totals = c.send("score", "").value_or("");
            EXPECT_TRUE(totals == std::to_string(a) + ";" + std::to_string(a) ||
                        totals == std::to_string(a + 1) + ";" + std::to_string(a + 1))
                << "player " << i << " acknowledged " << a << ", has " << totals;
        }
    }
    fs::remove_all(dir);
}
