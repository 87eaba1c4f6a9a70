#include "ServiceHarness.h"
#include "ServiceRig.h"

#include <csignal>

using namespace pelmora::testing;

TEST(ServerProcess, StopsSoonAfterSigtermWithSlowClientsConnected) {
    const auto dir = pelmora::rig::scratchDir("sigterm");
    {
        const int port = pelmora::rig::freeLoopbackPort();
        pelmora::rig::ServerProcess server(PELMORA_SERVER_BIN, port, {"--data", (dir / "data").string()},
                                           dir / "server.log");
        Tricklers slow(port, 3);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        server.process().signal(SIGTERM);
        EXPECT_EQ(server.process().wait(std::chrono::seconds(5)), 0) << "still running 5 s after SIGTERM";
    }
    fs::remove_all(dir);
}
