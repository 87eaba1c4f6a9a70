#include <gtest/gtest.h>

#include <fstream>
#include <thread>

#include "NetSupport.h"
#include "Server.h"
#include "net/CServiceCommands.h"

using nettest::Ear;

namespace {

// The game's client against the real service, in-process on a loopback port.
class ServiceFlow : public testsupport::GameFixture {
protected:
    void SetUp() override {
        GameFixture::SetUp();
        CNetworking::reset();
        std::ofstream(data_.path() / "livelli.txt") << "0\t0\t1\r\n1\t100\t1.2\r\n";
        pelmora::server::ServerConfig config;
        config.port = 0;
        config.dataDir = data_.path() / "db";
        config.service.latestVersion = "1.0.0";
        config.service.levelsFile = data_.path() / "livelli.txt";
        config.service.passwordCost = pelmora::server::PasswordCost::Minimal;
        server_ = std::make_unique<pelmora::server::Server>(config);
        const int port = server_->bind();
        thread_ = std::thread([this] { server_->listen(); });
        MAux::WEBSITE = "http://127.0.0.1:" + std::to_string(port);
        Main::VERSION = "1.0.0";
        ear = std::make_shared<Ear>();
        ear->listenAll({"register", "score", "levels", "pml", "ingredients"});
    }
    void TearDown() override {
        CNetworking::reset();
        server_->stop();
        thread_.join();
        server_.reset();
        GameFixture::TearDown();
    }
    // Runs one request and returns what the caller heard.
    Ear::Heard once(const std::function<void()>& send) {
        ear->heard.clear();
        send();
        nettest::waitFor(h(), *ear);
        EXPECT_EQ(ear->heard.size(), 1u) << "exactly one outcome per request";
        return ear->heard.empty() ? Ear::Heard{} : ear->heard.back();
    }
    Ear::Heard command(const std::string& name, const std::string& payload) {
        return once([&] { std::make_shared<CNetworking>()->SendAsync(name, payload, ear.get()); });
    }

    testsupport::TempDir data_;
    std::unique_ptr<pelmora::server::Server> server_;
    std::thread thread_;
    std::shared_ptr<Ear> ear;
};

}  // namespace

TEST_F(ServiceFlow, AccountsLoginAndScores) {
    auto ready = once([&] { CNetworking::PrepareCryptChannel(ear.get()); });
    ASSERT_EQ(ready.type, CNetworkingEvent::READY);
    ASSERT_TRUE(CNetworking::isCryptReady());

    auto nobody = once([&] { CNetworking::Logged(ear.get()); });
    EXPECT_EQ(nobody.type, CNetworkingEvent::COMPLETE);
    EXPECT_FALSE(CNetworking::isLogged());

    // Registration and its reasons.
    EXPECT_EQ(command("register", CServiceCommands::registerPayload("kai_7", "secret1", "kai@sushi.example")).data, "ok");
    const auto dup = command("register", CServiceCommands::registerPayload("kai_7", "secret1", "kai@sushi.example"));
    EXPECT_EQ(CServiceCommands::registerBalloons(dup.data).at(0).key, "REGISTER ERROR USERNAME DUPLICATED");
    EXPECT_EQ(CServiceCommands::registerBalloons(command("register", "k;secret1;k@s.example").data).at(0).key,
              "REGISTER ERROR INVALID USERNAME");
    EXPECT_EQ(CServiceCommands::registerBalloons(command("register", "kenji;abc;k@s.example").data).at(0).key,
              "REGISTER ERROR INVALID PASSWORD");
    EXPECT_EQ(CServiceCommands::registerBalloons(command("register", "kenji;secret1;no-at-sign").data).at(0).key,
              "REGISTER ERROR INVALID EMAIL");

    // Login failures empty the stored user; the event carries the whole reply.
    auto wrong = once([&] { CNetworking::Login("kai_7", "not-it", ear.get()); });
    EXPECT_EQ(wrong.type, CNetworkingEvent::COMPLETE);
    EXPECT_EQ(wrong.data, "failed;wrong username/password");
    EXPECT_FALSE(CNetworking::isLogged());
    EXPECT_EQ(CServiceCommands::loginBalloons(once([&] { CNetworking::Login("k", "secret1", ear.get()); }).data).at(0).key,
              "LOGIN ERROR INVALID USERNAME");
    EXPECT_EQ(CServiceCommands::loginBalloons(once([&] { CNetworking::Login("kai_7", "abc", ear.get()); }).data).at(0).key,
              "LOGIN ERROR INVALID PASSWORD");
    EXPECT_FALSE(CNetworking::isLogged());
    auto ok = once([&] { CNetworking::Login("kai_7", "secret1", ear.get()); });
    EXPECT_EQ(ok.data, "ok");
    EXPECT_TRUE(CNetworking::isLogged());
    EXPECT_EQ(CNetworking::getUsername(), "kai_7");

    // Totals start at zero, are updated, and read back.
    auto start = CServiceCommands::parseScoreReply(command("score", "").data);
    EXPECT_EQ(start.px, 0);
    EXPECT_EQ(start.yen, 0);
    command("score", CServiceCommands::scoreUpdatePayload(120, 350));
    auto after = CServiceCommands::parseScoreReply(command("score", "").data);
    EXPECT_EQ(after.px, 120);
    EXPECT_EQ(after.yen, 350);

    // The session remembers the user: a new run's "logged" adopts it and its token works for commands.
    CNetworking::username_.clear();
    CNetworking::password_ = std::string();
    auto logged = once([&] { CNetworking::Logged(ear.get()); });
    EXPECT_EQ(logged.type, CNetworkingEvent::COMPLETE);
    EXPECT_EQ(CNetworking::getUsername(), "kai_7");
    EXPECT_NE(CNetworking::password_.value_or(""), "secret1");  // a token, never the password
    EXPECT_EQ(CServiceCommands::parseScoreReply(command("score", "").data).px, 120);

    const auto levels = command("levels", "");
    EXPECT_EQ(levels.type, CNetworkingEvent::GetType("levels"));
    EXPECT_EQ(levels.data, "0\t0\t1\r\n1\t100\t1.2\r\n");
    EXPECT_EQ(command("pml", "Exception: b at 0000000000401000 x@1:0 0 record in stack: \n").type,
              CNetworkingEvent::GetType("pml"));
    EXPECT_EQ(command("ingredients", "").type, CNetworkingEvent::GetType("ingredients"));
}

TEST_F(ServiceFlow, ASecondHandshakeGivesAUsableSession) {
    once([&] { CNetworking::PrepareCryptChannel(ear.get()); });
    const auto firstKey = CNetworking::session_key_;
    const auto again = once([&] { CNetworking::PrepareCryptChannel(ear.get()); });
    EXPECT_EQ(again.type, CNetworkingEvent::READY);
    ASSERT_TRUE(CNetworking::isCryptReady());
    EXPECT_NE(CNetworking::session_key_, firstKey);
    EXPECT_EQ(command("score", "").type, CNetworkingEvent::GetType("score"));
}
