#include <gtest/gtest.h>

#include <random>

#include "NetSupport.h"
#include "scramble/Protocol.h"
#include "net/CServiceCommands.h"

namespace sc = pelmora::scramble;
using nettest::Ear;
using nettest::FakeService;

namespace {

sc::Bytes keyOf(const std::string& s) { return sc::Bytes(s.begin(), s.end()); }

std::string seal(const std::string& text, const std::string& key) {
    static std::mt19937_64 rng{5};
    return sc::sealMessage(text, keyOf(key), [] { return std::uniform_real_distribution<double>(0, 1)(rng); });
}

class Channel : public testsupport::GameFixture {
protected:
    void SetUp() override {
        GameFixture::SetUp();
        CNetworking::reset();
        MAux::WEBSITE = "http://127.0.0.1:" + std::to_string(fake.port());
        Main::VERSION = "1.9";
        Main::BUILD = 7;
        ear = std::make_shared<Ear>();
        ear->listenAll({"score", "levels"});
    }
    void TearDown() override {
        CNetworking::reset();
        GameFixture::TearDown();
    }
    void handshake() {
        ear->heard.clear();
        CNetworking::PrepareCryptChannel(ear.get());
        nettest::waitFor(h(), *ear);
    }
    FakeService fake;
    std::shared_ptr<Ear> ear;
};

}  // namespace

TEST_F(Channel, HandshakesSendTheSessionIdInTheAddressAndPayload) {
    fake.reply = [](const FakeService::Request& r) {
        return seal(r.id == "null" ? "s-1;k3y;1.0" : "s-2;n3wk3y;1.0", sc::MASTER_KEY);
    };
    handshake();
    ASSERT_EQ(ear->heard.size(), 1u);
    EXPECT_EQ(ear->heard[0].type, CNetworkingEvent::READY);
    EXPECT_EQ(ear->heard[0].data, "s-1;k3y;1.0");
    EXPECT_TRUE(CNetworking::isCryptReady());
    handshake();

    const auto requests = fake.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].path, "/pelmora/ping.php");
    EXPECT_EQ(requests[0].id, "null");
    EXPECT_EQ(sc::openRequestBody(requests[0].body, keyOf(sc::MASTER_KEY)), "KGR;cpp;1.9;7null");
    EXPECT_EQ(requests[1].id, "s-1");
    EXPECT_EQ(sc::openRequestBody(requests[1].body, keyOf(sc::MASTER_KEY)), "KGR;cpp;1.9;7s-1");
    EXPECT_EQ(CNetworking::session_id_, "s-2");

    // The body is "x=" and an even number of lowercase hexadecimal digits.
    for (const auto& r : requests) {
        ASSERT_EQ(r.body.rfind("x=", 0), 0u);
        const std::string hex = r.body.substr(2);
        EXPECT_EQ(hex.size() % 2, 0u);
        EXPECT_EQ(hex.find_first_not_of("0123456789abcdef"), std::string::npos);
    }
}

TEST_F(Channel, NewerVersionsAreComparedByteByByte) {
    std::string announced = "1.10";
    fake.reply = [&](const FakeService::Request&) { return seal("s;k;" + announced, sc::MASTER_KEY); };
    handshake();
    EXPECT_EQ(ear->heard.at(0).type, CNetworkingEvent::READY);  // "1.10" sorts before "1.9"
    announced = "2.0";
    handshake();
    EXPECT_EQ(ear->heard.at(0).type, CNetworkingEvent::VERSION);
    CNetworking::IgnoreCheckVersionDuringPrepareCryptChannel();
    handshake();
    EXPECT_EQ(ear->heard.at(0).type, CNetworkingEvent::READY);

    EXPECT_FALSE(CNetworking::isNewer(std::nullopt, std::string("1.0")));
    EXPECT_TRUE(CNetworking::isNewer(std::string(""), std::nullopt));
    EXPECT_FALSE(CNetworking::isNewer(std::string("1.0"), std::string("1.0")));
    EXPECT_TRUE(CNetworking::isNewer(std::string("1.0.1"), std::string("1.0")));
    EXPECT_EQ(CNetworkingEvent::GetType("score"), "CNETWORKING_EVENT_READYscore");
}

TEST_F(Channel, AKeylessHandshakeIsReadyButNotUsable) {
    fake.reply = [](const FakeService::Request&) { return seal("only-an-id", sc::MASTER_KEY); };
    handshake();
    EXPECT_EQ(ear->heard.at(0).type, CNetworkingEvent::READY);
    EXPECT_FALSE(CNetworking::isCryptReady());
    // Nothing is sent under an empty key; the caller still hears exactly one ERROR, a frame later.
    ear->heard.clear();
    auto cmd = std::make_shared<CNetworking>();
    cmd->SendAsync("score", "", ear.get());
    EXPECT_TRUE(ear->heard.empty());
    CNetworking::Login("sakura", "secret", ear.get());
    nettest::waitFor(h(), *ear, 2);
    ASSERT_EQ(ear->heard.size(), 2u);
    EXPECT_EQ(ear->heard[0].type, CNetworkingEvent::ERROR);
    EXPECT_EQ(ear->heard[1].type, CNetworkingEvent::ERROR);
    EXPECT_EQ(fake.requests().size(), 1u);  // the handshake only
}

TEST_F(Channel, GarbledRepliesAndAServiceThatIsDownGiveError) {
    const std::vector<std::string> garbage = {
        "",                                       // nothing
        "not hex at all",                         // not hexadecimal
        "0abc",                                   // filler header past the end
        seal("s;k;1.0", "the wrong key entirely")  // checksum fails under the master key
    };
    for (const auto& body : garbage) {
        fake.reply = [&](const FakeService::Request&) { return body; };
        handshake();
        ASSERT_EQ(ear->heard.size(), 1u) << body;
        EXPECT_EQ(ear->heard[0].type, CNetworkingEvent::ERROR) << body;
    }
    EXPECT_FALSE(CNetworking::session_id_.has_value());  // a failed handshake changes nothing

    fake.reply = [](const FakeService::Request& r) {
        return r.path == "/pelmora/ping.php" ? seal("s;key;1.0", sc::MASTER_KEY) : std::string("zz");
    };
    handshake();
    ear->heard.clear();
    auto cmd = std::make_shared<CNetworking>();
    cmd->SendAsync("score", "", ear.get());
    std::weak_ptr<CNetworking> weak = cmd;
    cmd.reset();  // the request keeps its object alive until the outcome
    EXPECT_FALSE(weak.expired());
    nettest::waitFor(h(), *ear);
    ASSERT_EQ(ear->heard.size(), 1u);
    EXPECT_EQ(ear->heard[0].type, CNetworkingEvent::ERROR);
    EXPECT_TRUE(weak.expired());

    MAux::WEBSITE = "http://127.0.0.1:9";  // nothing listens there
    handshake();
    ASSERT_EQ(ear->heard.size(), 1u);
    EXPECT_EQ(ear->heard[0].type, CNetworkingEvent::ERROR);
}

TEST_F(Channel, AMessageTooLongForTheCodecIsAnErrorNotARequest) {
    fake.reply = [](const FakeService::Request&) { return seal("s;key;1.0", sc::MASTER_KEY); };
    handshake();
    ear->heard.clear();
    std::make_shared<CNetworking>()->SendAsync("pml", std::string(sc::MAX_MESSAGE_TEXT, 'a'), ear.get());
    nettest::waitFor(h(), *ear);
    ASSERT_EQ(ear->heard.size(), 1u);
    EXPECT_EQ(ear->heard[0].type, CNetworkingEvent::ERROR);
    EXPECT_EQ(fake.requests().size(), 1u);  // the handshake only
}

TEST_F(Channel, AHostileSessionIdCannotChangeTheRequest) {
    fake.reply = [](const FakeService::Request&) { return seal("a&b=c d#x/../;key;1.0", sc::MASTER_KEY); };
    handshake();
    fake.reply = [](const FakeService::Request&) { return seal("12;34", "key"); };
    auto cmd = std::make_shared<CNetworking>();
    ear->heard.clear();
    cmd->SendAsync("score", "", ear.get());
    nettest::waitFor(h(), *ear);
    const auto requests = fake.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].path, "/pelmora/score.php");
    EXPECT_EQ(requests[1].id, "a&b=c d#x/../");
    // Nobody logged in: the command starts with two empty fields.
    EXPECT_EQ(sc::openRequestBody(requests[1].body, keyOf("key")), ";;");
    ASSERT_EQ(ear->heard.size(), 1u);
    EXPECT_EQ(ear->heard[0].type, CNetworkingEvent::GetType("score"));
    EXPECT_EQ(ear->heard[0].data, "12;34");
}

TEST(ServiceCommands, PayloadsAndReplies) {
    EXPECT_EQ(CServiceCommands::parseScoreReply("12;abc").px, 12);
    EXPECT_EQ(CServiceCommands::parseScoreReply("12;abc").yen, 0);
    EXPECT_EQ(CServiceCommands::parseScoreReply("").px, 0);
    EXPECT_EQ(CServiceCommands::parseScoreReply("5;-40").yen, -40);
    EXPECT_EQ(CServiceCommands::scoreUpdatePayload(120, -15), "120;-15");
    EXPECT_EQ(CServiceCommands::registerPayload("kai", "secret1", "kai@sushi.example"), "kai;secret1;kai@sushi.example");

    auto wrong = CServiceCommands::loginBalloons("failed;wrong username/password");
    ASSERT_EQ(wrong.size(), 2u);
    EXPECT_EQ(wrong[0].key, "LOGIN ERROR WRONG USERNAME");
    EXPECT_EQ(wrong[1].field, 1);
    EXPECT_EQ(CServiceCommands::loginBalloons("failed;invalid password").at(0).key, "LOGIN ERROR INVALID PASSWORD");
    EXPECT_TRUE(CServiceCommands::loginBalloons("failed;something else").empty());
    EXPECT_TRUE(CServiceCommands::loginBalloons("ok").empty());
    EXPECT_TRUE(CServiceCommands::registerBalloons("failed").empty());  // no reason: nothing to show
    EXPECT_EQ(CServiceCommands::registerBalloons("failed;invalid email").at(0).field, 2);
    EXPECT_TRUE(CServiceCommands::registerSucceeded("ok"));
    EXPECT_FALSE(CServiceCommands::registerSucceeded("okay"));
}
