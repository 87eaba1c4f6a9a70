#include "ServiceHarness.h"

#include "AccountRules.h"
#include "ServiceRig.h"
#include "WebPages.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <vector>

using namespace pelmora::testing;
using pelmora::server::PasswordCost;
using pelmora::server::ServerConfig;

namespace {

const std::string LEVELS = "0\tbeginner\t\t0\t1.0\r\n1\tcook\t\t100\t1.2\r\n2\tchef\t\t300\t1.5\r\n";
const std::string INGREDIENTS = "riso\tbase\t1\t10\nsalmone\tpesce\t2\t30\n";

// Every service test runs on both storage engines: SQLite in a folder, and a
// fresh database of a throwaway PostgreSQL cluster shared by the suite.
class Service : public ::testing::TestWithParam<std::string> {
protected:
    static void TearDownTestSuite() { cluster_.reset(); }
    void SetUp() override {
        if (GetParam() == "postgresql") {
            if (!cluster_) cluster_ = std::make_unique<pelmora::rig::PostgresCluster>();
            static int databases = 0;
            database_ = cluster_->createDatabase("test" + std::to_string(++databases));
        }
        dir_ = makeScratchDir("server");
        writeFile(dir_ / "livelli.txt", LEVELS);
        writeFile(dir_ / "ingredienti.txt", INGREDIENTS);
        start();
    }
    void TearDown() override {
        server_.reset();
        fs::remove_all(dir_);
    }

    ServerConfig config() const {
        ServerConfig c;
        c.port = 0;
        c.dataDir = dir_ / "data";
        c.database = database_;
        c.service.latestVersion = latest_;
        c.service.levelsFile = dir_ / "livelli.txt";
        c.service.ingredientsFile = dir_ / "ingredienti.txt";
        c.service.passwordCost = PasswordCost::Minimal;
        if (tweak_) tweak_(c);
        return c;
    }
    void start() { server_ = std::make_unique<RunningServer>(config()); }
    void restart() {
        server_.reset();
        start();
    }

    GameClient connected() {
        GameClient c(server_->port());
        EXPECT_TRUE(c.handshake());
        return c;
    }

    // Registers through a fresh session and returns nothing on success.
    std::string registerUser(const std::string& name, const std::string& pass,
                             const std::string& email = "cook@example.org") {
        GameClient c = connected();
        return c.send("register", name + ";" + pass + ";" + email).value_or("<no reply>");
    }

    GameClient loggedIn(const std::string& name, const std::string& pass) {
        GameClient c = connected();
        EXPECT_EQ(c.login(name, pass), "ok");
        return c;
    }

    pelmora::server::Database& db() { return server_->server().database(); }
    // Where the engine keeps its files.
    fs::path storageDir() const { return database_.empty() ? dir_ / "data" : cluster_->dir(); }

    fs::path dir_;
    std::string latest_ = "1.0.0";
    std::function<void(ServerConfig&)> tweak_;
    std::unique_ptr<RunningServer> server_;
    std::string database_;
    static inline std::unique_ptr<pelmora::rig::PostgresCluster> cluster_;
};

}  // namespace

INSTANTIATE_TEST_SUITE_P(Engines, Service, ::testing::Values("sqlite", "postgresql"),
                         [](const auto& info) { return info.param; });

TEST_P(Service, HandshakeHandsOutASessionUnderTheMasterKey) {
    GameClient c(server_->port());
    const auto reply = c.handshake("1.0.0\n", 42);
    ASSERT_TRUE(reply);
    const auto f = pelmora::scramble::splitFields(*reply);
    ASSERT_EQ(f.size(), 3u);
    EXPECT_FALSE(f[0].empty());
    EXPECT_NE(f[0], "null");
    EXPECT_GE(f[1].size(), 16u);
    EXPECT_EQ(f[1].find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789"), std::string::npos);
    EXPECT_EQ(f[2], "1.0.0");

    const auto session = db().findSession(pelmora::server::sessionIdHash(c.sessionId));
    ASSERT_TRUE(session);
    EXPECT_EQ(session->platform, "cpp");
    EXPECT_EQ(session->version, "1.0.0\n");
    EXPECT_EQ(session->build, 42);

    // Session-keyed requests now work; the next handshake opens another session.
    EXPECT_EQ(c.logged(), ";");
    const std::string first = c.sessionId;
    ASSERT_TRUE(c.handshake());
    EXPECT_NE(c.sessionId, first);
    EXPECT_EQ(c.logged(), ";");
    GameClient wrongKey(server_->port());
    wrongKey.sessionId = first;
    wrongKey.sessionKey = c.sessionKey;
    EXPECT_FALSE(wrongKey.send("score", ""));
    EXPECT_EQ(wrongKey.lastStatus, 400);
}

TEST_P(Service, HandshakeAnnouncesTheConfiguredVersion) {
    latest_ = "2.0";
    restart();
    GameClient c(server_->port());
    ASSERT_TRUE(c.handshake());
    EXPECT_EQ(c.announcedVersion, "2.0");
}

TEST_P(Service, HandshakeMustBeTaggedAndUnderTheMasterKey) {
    GameClient c(server_->port());
    EXPECT_FALSE(c.post("ping.php", "HELLO;cpp;1.0.0;7null", true));
    EXPECT_EQ(c.lastStatus, 400);
    c.sessionKey = "not-the-master-key";
    EXPECT_FALSE(c.post("ping.php", "KGR;cpp;1.0.0;7null"));
    EXPECT_EQ(c.lastStatus, 400);
}

TEST_P(Service, LoginSucceedsOrNamesTheReason) {
    ASSERT_EQ(registerUser("Maki_Chef", "sashimi42"), "ok");
    GameClient c = connected();
    EXPECT_EQ(c.login("ab", "sashimi42"), "failed;invalid username");
    EXPECT_EQ(c.login("maki chef", "sashimi42"), "failed;invalid username");
    EXPECT_EQ(c.login("Maki_Chef", "short"), "failed;invalid password");
    EXPECT_EQ(c.login("Maki_Chef", ""), "failed;invalid password");
    EXPECT_EQ(c.login("Maki_Chef", "sashimi43"), "failed;wrong username/password");
    EXPECT_EQ(c.login("Nobody_Here", "sashimi42"), "failed;wrong username/password");
    EXPECT_EQ(c.login("Maki_Chef", "sashimi42"), "ok");
    EXPECT_EQ(c.login("maki_chef", "sashimi42"), "ok");
}

TEST_P(Service, LoggedReportsNobodyOrTheUserWithASessionToken) {
    ASSERT_EQ(registerUser("Nigiri", "wasabi99"), "ok");
    GameClient c = connected();
    EXPECT_EQ(c.logged(), ";");
    EXPECT_EQ(c.username, "");

    ASSERT_EQ(c.login("Nigiri", "wasabi99"), "ok");
    const auto reply = c.logged();
    ASSERT_TRUE(reply);
    const auto f = pelmora::scramble::splitFields(*reply);
    ASSERT_EQ(f.size(), 2u);
    EXPECT_EQ(f[0], "Nigiri");
    EXPECT_NE(f[1], "wasabi99");
    EXPECT_FALSE(f[1].empty());

    // The client now sends the token in place of the password, and it works.
    EXPECT_EQ(c.password, f[1]);
    EXPECT_EQ(c.send("score", ""), "0;0");
    EXPECT_EQ(c.send("score", "5;6"), "ok");

    // The token belongs to that session only.
    GameClient other = connected();
    other.username = "Nigiri";
    other.password = f[1];
    EXPECT_EQ(other.send("score", ""), "failed;wrong username/password");

    // A failed login logs the session out.
    EXPECT_EQ(c.login("Nigiri", "wrong-one"), "failed;wrong username/password");
    EXPECT_EQ(c.logged(), ";");
}

TEST_P(Service, RegisterChecksEachFieldAndDuplicates) {
    EXPECT_EQ(registerUser("Ebi-Tempura_1", "gohan!", "ebi@sushi.example"), "ok");
    EXPECT_EQ(registerUser("Ebi-Tempura_1", "another1"), "failed;username duplicated");
    EXPECT_EQ(registerUser("EBI-TEMPURA_1", "another1"), "failed;username duplicated");

    for (const char* name : {"ab", "", "abcdefghijklmnopqrstu", "sushi bar", "sushi!bar", "tōro", "a.b.c"})
        EXPECT_EQ(registerUser(name, "goodpass"), "failed;invalid username") << name;
    EXPECT_EQ(registerUser("abc", "goodpass"), "ok");
    EXPECT_EQ(registerUser("abcdefghijklmnopqrst", "goodpass"), "ok");

    for (const char* pass : {"", "12345", "semi;colon", "tab\there"})
        EXPECT_EQ(registerUser("Passer", pass), "failed;invalid password") << pass;
    EXPECT_EQ(registerUser("Passer", "àèìòùé"), "ok");  // six characters, twelve bytes

    const std::string longEmail = "a@" + std::string(248, 'b') + ".org";  // 254 bytes
    for (const std::string& email : {std::string(""), std::string("no-at.example"), std::string("two@@x.org"),
                                     std::string("a@b@c.org"), std::string("a@nodot"), std::string("@x.org"),
                                     std::string("a@.org"), std::string("a@x."), std::string("a b@x.org"),
                                     "x" + longEmail})
        EXPECT_EQ(registerUser("Mailer", "goodpass", email), "failed;invalid email") << email;
    EXPECT_EQ(registerUser("Mailer", "goodpass", longEmail), "ok");

    // Name errors win over password errors, password errors over e-mail errors.
    EXPECT_EQ(registerUser("x", "bad", "bad"), "failed;invalid username");
    EXPECT_EQ(registerUser("Fine_Name", "bad", "bad"), "failed;invalid password");

    // A logged-in user registering someone else: five fields reach the service.
    GameClient c = loggedIn("abc", "goodpass");
    EXPECT_EQ(c.send("register", "Second_Cook;goodpass;two@example.org"), "ok");
    EXPECT_EQ(loggedIn("Second_Cook", "goodpass").username, "Second_Cook");
}

TEST_P(Service, ScoreIsReadAndReplacedForTheAuthenticatedUser) {
    ASSERT_EQ(registerUser("Uramaki", "avocado1"), "ok");
    ASSERT_EQ(registerUser("Temaki", "avocado2"), "ok");
    GameClient c = loggedIn("Uramaki", "avocado1");
    EXPECT_EQ(c.send("score", ""), "0;0");
    EXPECT_EQ(c.send("score", "120;-35"), "ok");
    EXPECT_EQ(c.send("score", ""), "120;-35");

    for (const char* bad : {"12", "12;x", "x;12", "1.5;2", "-1;3", "1;2;3", "99999999999999999999;1", ";"})
        EXPECT_EQ(c.send("score", bad), "failed;invalid score") << bad;
    EXPECT_EQ(c.send("score", ""), "120;-35");

    // The password also works from a session that never logged in.
    GameClient fresh = connected();
    fresh.username = "Uramaki";
    fresh.password = "avocado1";
    EXPECT_EQ(fresh.send("score", ""), "120;-35");
    fresh.password = "avocado2";
    EXPECT_EQ(fresh.send("score", ""), "failed;wrong username/password");
    EXPECT_EQ(fresh.send("score", "999;999"), "failed;wrong username/password");
    fresh.username = fresh.password = "";
    EXPECT_EQ(fresh.send("score", ""), "failed;wrong username/password");

    EXPECT_EQ(loggedIn("Temaki", "avocado2").send("score", ""), "0;0");
    EXPECT_EQ(c.send("score", ""), "120;-35");
}

TEST_P(Service, LevelsIngredientsAndCrashRecords) {
    GameClient c = connected();
    EXPECT_EQ(c.send("levels", ""), LEVELS);
    EXPECT_EQ(c.send("ingredients", ""), INGREDIENTS);

    EXPECT_EQ(db().crashCount(), 0);
    const std::string record = "crash at 0x1234;module pelmora\r\nframe 1\r\n";
    EXPECT_EQ(c.send("pml", record), "ok");
    EXPECT_EQ(db().crashCount(), 1);

    fs::remove(dir_ / "livelli.txt");
    EXPECT_EQ(c.send("levels", ""), "");
}

TEST_P(Service, MalformedRequestsAreRejectedWithoutEffect) {
    ASSERT_EQ(registerUser("Inari", "tofu-pocket"), "ok");
    GameClient c = loggedIn("Inari", "tofu-pocket");
    ASSERT_EQ(c.send("score", "10;20"), "ok");
    const auto key = pelmora::scramble::bytesOf(c.sessionKey);
    auto rnd = pelmora::scramble::systemRandom();
    const std::string update = "Inari;tofu-pocket;999;999";
    const std::string sealed = pelmora::scramble::sealMessage(update, key, rnd);

    auto expectStatus = [&](const std::string& script, const std::string& id, const std::string& body, int status) {
        EXPECT_EQ(c.postRaw(script, id, body).status, status) << script << " " << body.substr(0, 40);
    };
    expectStatus("score.php", c.sessionId, sealed, 400);                        // no "x="
    expectStatus("score.php", c.sessionId, "y=" + sealed, 400);                 // wrong field
    expectStatus("score.php", c.sessionId, "x=" + sealed + "0", 400);           // odd number of digits
    expectStatus("score.php", c.sessionId, "x=" + sealed.substr(0, 10) + "zz" + sealed.substr(12), 400);
    expectStatus("score.php", c.sessionId, "x=" + sealed + "&id=" + c.sessionId, 400);
    expectStatus("score.php", c.sessionId, "x=", 400);

    // Header pointing past the end: claim a longer payload than the block holds.
    auto padded = *pelmora::scramble::parseHex(sealed);
    auto longer = padded;
    longer[2] = 0xFF;
    expectStatus("score.php", c.sessionId, "x=" + pelmora::scramble::toHex(longer), 400);
    // Checksum failure: damage the last scrambled data byte.
    auto damaged = padded;
    const std::size_t dataEnd = padded[0] + (padded[1] | padded[2] << 8);
    damaged[dataEnd - 3] ^= 0x01;
    expectStatus("score.php", c.sessionId, "x=" + pelmora::scramble::toHex(damaged), 400);
    // Sealed under another session's key.
    GameClient other = connected();
    expectStatus("score.php", c.sessionId,
                 pelmora::scramble::requestBody(update, pelmora::scramble::bytesOf(other.sessionKey), rnd), 400);
    // Unknown or missing session.
    expectStatus("score.php", "s0000", "x=" + sealed, 403);
    expectStatus("score.php", "null", "x=" + sealed, 403);
    expectStatus("score.php", "", "x=" + sealed, 403);
    // Unknown script.
    expectStatus("scores.php", c.sessionId, "x=" + sealed, 404);
    // Over 1 MiB.
    expectStatus("score.php", c.sessionId, "x=" + std::string(pelmora::scramble::MAX_REQUEST_BODY, '0'), 413);
    expectStatus("ping.php", "null", "x=" + std::string(pelmora::scramble::MAX_REQUEST_BODY, '0'), 413);
    // A register that does not decode creates nobody.
    // A register cut off inside its data creates nobody.
    auto reg = *pelmora::scramble::parseHex(pelmora::scramble::sealMessage(";;Ghost_User;goodpass;g@x.org", key, rnd));
    const std::size_t regEnd = reg[0] + (reg[1] | reg[2] << 8);
    reg.resize(regEnd - 1);
    expectStatus("register.php", c.sessionId, "x=" + pelmora::scramble::toHex(reg), 400);

    EXPECT_EQ(c.send("score", ""), "10;20");
    EXPECT_FALSE(db().userExists("Ghost_User"));
    EXPECT_EQ(c.send("score", "11;21"), "ok");  // still serving
    EXPECT_EQ(c.send("score", ""), "11;21");
}

TEST_P(Service, ConcurrentScoreUpdatesFromSeveralClients) {
    constexpr int kPlayers = 4;
    constexpr int kUpdates = 12;
    for (int p = 0; p < kPlayers; ++p) ASSERT_EQ(registerUser("player" + std::to_string(p), "password"), "ok");
    ASSERT_EQ(registerUser("shared", "password"), "ok");

    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int p = 0; p < kPlayers; ++p) {
        threads.emplace_back([&, p] {
            GameClient own(server_->port());
            GameClient shared(server_->port());
            if (!own.handshake() || own.login("player" + std::to_string(p), "password") != "ok" ||
                !shared.handshake() || shared.login("shared", "password") != "ok") {
                ++failures;
                return;
            }
            for (int i = 1; i <= kUpdates; ++i) {
                if (own.send("score", std::to_string(p * 1000 + i) + ";" + std::to_string(i)) != "ok") ++failures;
                const auto reply = shared.send("score", std::to_string(p * 1000 + i) + ";" + std::to_string(-i));
                if (reply != "ok" && reply != "failed;stale score") ++failures;
            }
        });
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(failures.load(), 0);

    for (int p = 0; p < kPlayers; ++p) {
        const auto user = db().findUser("player" + std::to_string(p));
        ASSERT_TRUE(user);
        EXPECT_EQ(user->px, p * 1000 + kUpdates);
        EXPECT_EQ(user->yen, kUpdates);
    }
    // The shared account ends with the highest write, whole: lower ones are refused.
    const auto shared = db().findUser("shared");
    ASSERT_TRUE(shared);
    EXPECT_EQ(shared->px, (kPlayers - 1) * 1000 + kUpdates);
    EXPECT_EQ(shared->yen, -kUpdates);
}

// A process keeps the sessions it has seen; another process on the same
// database may change a session's login meanwhile. The first must then
// refuse the old token, and store nothing.
TEST_P(Service, ALoginChangedByAnotherProcessEndsTheOldToken) {
    ASSERT_EQ(registerUser("Tekka", "tuna-roll"), "ok");
    ASSERT_EQ(registerUser("Futomaki", "big-roll"), "ok");
    RunningServer other(config());
    for (const bool relogin : {true, false}) {
        GameClient here = loggedIn("Tekka", "tuna-roll");
        ASSERT_TRUE(here.logged());
        ASSERT_EQ(here.send("score", relogin ? "10;1" : "20;2"), "ok");
        EXPECT_EQ(here.send("score", "5;1"), "failed;stale score");
        GameClient there(other.port());
        there.sessionId = here.sessionId;
        there.sessionKey = here.sessionKey;
        // Logged in as someone else, or logged out by a failed login.
        EXPECT_EQ(there.login("Futomaki", relogin ? "big-roll" : "wrong-one"),
                  relogin ? "ok" : "failed;wrong username/password");
        EXPECT_EQ(here.send("score", "99;9"), "failed;wrong username/password");
    }
    EXPECT_EQ(db().findUser("Tekka")->px, 20);
    EXPECT_EQ(db().findUser("Futomaki")->px, 0);
}

TEST_P(Service, UsersTotalsAndSessionsSurviveARestart) {
    ASSERT_EQ(registerUser("Kappa", "cucumber"), "ok");
    GameClient c = loggedIn("Kappa", "cucumber");
    ASSERT_TRUE(c.logged());
    ASSERT_EQ(c.send("score", "300;150"), "ok");
    ASSERT_EQ(c.send("pml", "old crash"), "ok");

    restart();
    GameClient resumed(server_->port());  // the same client's session values, new connection
    resumed.sessionId = c.sessionId;
    resumed.sessionKey = c.sessionKey;
    resumed.username = c.username;
    resumed.password = c.password;
    EXPECT_EQ(resumed.send("score", ""), "300;150");  // the token is still bound to the session
    EXPECT_EQ(db().crashCount(), 1);
    GameClient again = connected();
    EXPECT_EQ(again.login("Kappa", "cucumber"), "ok");
    EXPECT_EQ(again.send("score", ""), "300;150");
    EXPECT_EQ(registerUser("Kappa", "cucumber"), "failed;username duplicated");
}

TEST_P(Service, WebPagesAndLeaderboard) {
    ASSERT_EQ(registerUser("Top_Chef", "password1"), "ok");
    ASSERT_EQ(registerUser("Second", "password2"), "ok");
    ASSERT_EQ(loggedIn("Top_Chef", "password1").send("score", "900;5"), "ok");
    ASSERT_EQ(loggedIn("Second", "password2").send("score", "400;50"), "ok");

    httplib::Client http("127.0.0.1", server_->port());
    for (const char* path : {"/", "/privacy", "/condizioni", "/pel-mora", "/pel-mora/istruzioni",
                             "/pel-mora/mercato", "/pel-mora/classifica"}) {
        auto res = http.Get(path);
        ASSERT_TRUE(res) << path;
        EXPECT_EQ(res->status, 200) << path;
        EXPECT_NE(res->get_header_value("Content-Type").find("text/html"), std::string::npos) << path;
        EXPECT_NE(res->body.find("</html>"), std::string::npos) << path;
    }
    auto home = http.Get("/");
    EXPECT_NE(home->body.find("href=\"/pel-mora/classifica\""), std::string::npos);
    auto board = http.Get("/pel-mora/classifica");
    const auto top = board->body.find("Top_Chef");
    const auto second = board->body.find("Second");
    ASSERT_NE(top, std::string::npos);
    ASSERT_NE(second, std::string::npos);
    EXPECT_LT(top, second);
    EXPECT_NE(board->body.find("900"), std::string::npos);
    // The page is kept a few seconds, but not past a change of the standings.
    ASSERT_EQ(loggedIn("Second", "password2").send("score", "1200;50"), "ok");
    board = http.Get("/pel-mora/classifica");
    EXPECT_LT(board->body.find("Second"), board->body.find("Top_Chef"));

    auto missing = http.Get("/pel-mora/nothing-here");
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->status, 404);
    EXPECT_NE(missing->body.find("Not found - Pelmora"), std::string::npos);
    EXPECT_EQ(pelmora::server::escapeHtml("<a href=\"x\">&'"), "&lt;a href=&quot;x&quot;&gt;&amp;&#39;");
}

// 110 chefs on three pages, three of them tied across the first page's end,
// and one name full of markup on the last page.
TEST_P(Service, LeaderboardPagesChefPagesAndJson) {
    for (int i = 0; i < 110; ++i) {
        char name[8];
        std::snprintf(name, sizeof name, "c%03d", i);
        ASSERT_EQ(db().addUser(name, "e@x.org", "-"), pelmora::server::Database::AddUser::Added);
        ASSERT_TRUE(db().raiseTotals(db().findUser(name)->id, i >= 49 && i <= 51 ? 1510 : 2000 - 10 * i, 7));
    }
    const std::string odd = "a b/<i>&\"";
    db().addUser(odd, "e@x.org", "-");
    db().raiseTotals(db().findUser(odd)->id, 150, 0);

    // Once with exact counts, once from anchors (as for a large table).
    for (const bool anchored : {false, true}) {
        SCOPED_TRACE(anchored ? "from anchors" : "exact");
        if (anchored) {
            tweak_ = [](ServerConfig& c) { c.rankAnchorsFrom = 0; };
            restart();
        }
        httplib::Client http("127.0.0.1", server_->port());
        auto get = [&](const std::string& path, const httplib::Headers& headers = {}) {
            auto res = http.Get(path, headers);
            EXPECT_TRUE(res) << path;
            return res ? *res : httplib::Response{};
        };
        const auto first = get("/pel-mora/classifica");
        EXPECT_EQ(first.status, 200);
        EXPECT_NE(first.body.find("111 chefs"), std::string::npos);
        EXPECT_NE(first.body.find("Page 1 of 3"), std::string::npos);
        EXPECT_EQ(first.body.find("rel=\"prev\""), std::string::npos);
        EXPECT_NE(first.body.find("rel=\"next\" class=\"next\" href=\"/pel-mora/classifica?page=2\""), std::string::npos);
        EXPECT_NE(first.body.find("<td class=\"num rank\">50</td><td class=\"badge\"><img src=\"/pel-mora/livelli/2.png\""),
                  std::string::npos);
        EXPECT_NE(first.body.find("<a href=\"/pel-mora/chef/c049\">c049</a><small>level 2, chef</small>"), std::string::npos);

        // Page 2 goes on where page 1 ended: the tie keeps rank 50, then 53.
        const auto second = get("/pel-mora/classifica.json?page=2");
        EXPECT_EQ(second.get_header_value("Content-Type"), "application/json");
        const std::string head = "{\"page\":2,\"pages\":3,\"total\":111,\"chefs\":[{\"rank\":50,\"name\":\"c050\","
                                 "\"px\":1510,\"yen\":7,\"level\":2},{\"rank\":50,\"name\":\"c051\"";
        EXPECT_EQ(second.body.substr(0, head.size()), head);
        EXPECT_NE(second.body.find("{\"rank\":53,\"name\":\"c052\",\"px\":1480"), std::string::npos);
        const auto last = get("/pel-mora/classifica?page=3");
        EXPECT_NE(last.body.find("rel=\"prev\" href=\"/pel-mora/classifica?page=2\""), std::string::npos);
        EXPECT_EQ(last.body.find("rel=\"next\""), std::string::npos);
        EXPECT_NE(last.body.find("<a href=\"/pel-mora/chef/a%20b%2F%3Ci%3E%26%22\">a b/&lt;i&gt;&amp;&quot;</a>"),
                  std::string::npos);
        for (const char* bad : {"?page=4", "?page=0", "?page=-1", "?page=x", "?page=", "?page=01", ".json?page=9"}) {
            const auto res = get(std::string("/pel-mora/classifica") + bad);
            EXPECT_EQ(res.status, 404) << bad;
            EXPECT_NE(res.body.find(std::string(bad).find("json") == std::string::npos ? "Not found - Pelmora" : "error"),
                      std::string::npos) << bad;
        }

        const auto chef = get("/pel-mora/chef/a%20b%2F%3Ci%3E%26%22");
        EXPECT_EQ(chef.status, 200);
        for (const char* shown : {"<h2>a b/&lt;i&gt;&amp;&quot;</h2>", "<dt>Rank</dt><dd>111</dd>", "<dd>150 px</dd>",
                                  "<dd>0 &yen;</dd>", "<dd>level 1, cook</dd>", "<dd>150 px to level 2, chef</dd>",
                                  "href=\"/pel-mora/classifica?page=3\""})
            EXPECT_NE(chef.body.find(shown), std::string::npos) << shown;
        EXPECT_EQ(chef.body.find("<i>"), std::string::npos);
        EXPECT_NE(get("/pel-mora/chef/C000").body.find("the highest level reached"), std::string::npos);
        EXPECT_EQ(get("/pel-mora/chef/c051.json").body, "{\"rank\":50,\"name\":\"c051\",\"px\":1510,\"yen\":7,\"level\":2}\n");
        EXPECT_EQ(get("/pel-mora/chef/nobody").status, 404);
        EXPECT_EQ(get("/pel-mora/chef/nobody.json").status, 404);

        // Cached for ten seconds; an unchanged page is not sent again.
        EXPECT_EQ(chef.get_header_value("Cache-Control"), "public, max-age=10");
        const std::string tag = first.get_header_value("ETag");
        ASSERT_FALSE(tag.empty());
        const auto again = get("/pel-mora/classifica", {{"If-None-Match", "\"other\", " + tag}});
        EXPECT_EQ(again.status, 304);
        EXPECT_TRUE(again.body.empty());
        EXPECT_EQ(get("/pel-mora/classifica?page=2", {{"If-None-Match", tag}}).status, 200);
    }

    // The rank's count is a range of the ranking index, not a pass over the table.
    auto c = database_.empty() ? pelmora::server::openSqlite((dir_ / "data" / "pelmora.sqlite").string())
                               : pelmora::server::openPostgres(database_);
    if (!database_.empty()) c->run("SET enable_seqscan = off");
    const std::string count = "SELECT (SELECT COUNT(*) FROM users WHERE px > 5) + "
                              "(SELECT COUNT(*) FROM users WHERE px = 5 AND yen > 1)";
    const auto plan = c->run(((database_.empty() ? "EXPLAIN QUERY PLAN " : "EXPLAIN ") + count).c_str());
    std::string planText;
    for (const auto& row : plan.rows)
        for (const auto& col : row) planText += col.value_or("") + " ";
    EXPECT_NE(planText.find("users_by_rank"), std::string::npos) << planText;
}

TEST(AccountRules, Boundaries) {
    using namespace pelmora::server;
    EXPECT_FALSE(validUsername("ab"));
    EXPECT_TRUE(validUsername("a-_"));
    EXPECT_TRUE(validUsername(std::string(20, 'z')));
    EXPECT_FALSE(validUsername(std::string(21, 'z')));
    EXPECT_FALSE(validPassword("12345"));
    EXPECT_TRUE(validPassword("123456"));
    EXPECT_TRUE(validPassword(std::string(128, 'p')));
    EXPECT_FALSE(validPassword(std::string(129, 'p')));
    EXPECT_FALSE(validPassword("ééééé"));  // five characters in ten bytes
    EXPECT_TRUE(validEmail("a@b.c"));
    EXPECT_FALSE(validEmail("a@b.c;d"));
}

TEST(ServerDefaults, ServeTheRepositoryTables) {
    const fs::path source = PELMORA_TEST_SOURCE_DIR;
    const auto config = pelmora::server::defaultServiceConfig();
    EXPECT_EQ(fs::weakly_canonical(config.levelsFile), fs::weakly_canonical(source / "assets/livelli.txt"));
    EXPECT_EQ(fs::weakly_canonical(config.ingredientsFile),
              fs::weakly_canonical(source / "assets/ingredienti/ingredienti.txt"));
    EXPECT_EQ(config.latestVersion, "1.0.0");
    EXPECT_EQ(config.passwordCost, pelmora::server::PasswordCost::Interactive);
}


TEST_P(Service, TricklingClientsAreCutAtTheRequestDeadline) {
    tweak_ = [](ServerConfig& c) {
        c.http.workers = 2;
        c.http.requestDeadline = std::chrono::milliseconds(1000);
    };
    restart();
    {
        Tricklers slow(server_->port(), 4);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        EXPECT_TRUE(connected().logged());  // answered once the deadline freed a worker
    }
}

TEST_P(Service, HundredClientsAtOnceAreAllAnswered) {
    std::atomic<int> answered{0};
    std::atomic<bool> go{false};
    std::vector<std::thread> clients;
    for (int i = 0; i < 100; ++i)
        clients.emplace_back([&] {
            GameClient c(server_->port());
            while (!go) std::this_thread::yield();
            if (c.handshake()) ++answered;
        });
    go = true;
    for (auto& t : clients) t.join();
    EXPECT_EQ(answered, 100);
}

TEST_P(Service, BodiesAndRangesCostNoMoreThanTheirLimit) {
    // A chunked body is cut at the limit, not read whole.
    const int fd = connectTo(server_->port());
    std::string out = "POST /pelmora/pml.php?id=x HTTP/1.1\r\nHost: a\r\nTransfer-Encoding: chunked\r\n\r\n";
    std::size_t sent = 0;
    const std::string chunk = "10000\r\n" + std::string(0x10000, '0') + "\r\n";
    while (sent < (64u << 20) && send(fd, out.data(), out.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(out.size())) {
        sent += out.size();
        out = chunk;
    }
    close(fd);
    EXPECT_LT(sent, 32u << 20);

    httplib::Client http("127.0.0.1", server_->port());
    std::string ranges = "bytes=0-0";
    for (int i = 1; i < 500; ++i) ranges += "," + std::to_string(i) + "-" + std::to_string(i);
    auto many = http.Get("/", {{"Range", ranges}});
    ASSERT_TRUE(many);
    EXPECT_EQ(many->status, 416);
    EXPECT_EQ(many->body, "one range at most\n");  // once, not once per range
    auto one = http.Get("/", {{"Range", "bytes=0-9"}});
    ASSERT_TRUE(one);
    EXPECT_EQ(one->status, 206);
    EXPECT_EQ(one->body.size(), 10u);
    auto bodyOnPage = http.Post("/", std::string(100, 'b'), "text/plain");
    ASSERT_TRUE(bodyOnPage);
    EXPECT_EQ(bodyOnPage->status, 413);
}

TEST_P(Service, ASessionIdIsNoCredential) {
    ASSERT_EQ(registerUser("Owner", "sakura-77"), "ok");
    GameClient owner = loggedIn("Owner", "sakura-77");
    ASSERT_TRUE(owner.logged());
    const std::string token = owner.password;
    GameClient thief(server_->port());
    thief.sessionId = owner.sessionId;  // in the address and glued to the handshake
    ASSERT_TRUE(thief.handshake());
    EXPECT_EQ(thief.logged(), ";");
    EXPECT_EQ(owner.logged(), "Owner;" + token);  // and the owner is still logged in

    // Nothing in the database files gives a session away.
    for (const auto& file : fs::recursive_directory_iterator(storageDir())) {
        if (!file.is_regular_file()) continue;
        std::ifstream in(file.path(), std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        for (const std::string& secret : {owner.sessionId, owner.sessionKey, token})
            EXPECT_EQ(bytes.find(secret), std::string::npos) << file.path() << " holds " << secret;
    }
}

TEST_P(Service, IdleSessionsExpireAndArePurged) {
    tweak_ = [](ServerConfig& c) { c.service.sessionIdleSeconds = 1; };
    restart();
    GameClient c = connected();
    EXPECT_TRUE(c.send("levels", ""));
    std::this_thread::sleep_for(std::chrono::milliseconds(2500));
    EXPECT_FALSE(c.send("levels", ""));
    EXPECT_EQ(c.lastStatus, 403);
    connected();
    EXPECT_FALSE(db().findSession(pelmora::server::sessionIdHash(c.sessionId)));

    // Kept busy, a session still ends when its lifetime is over.
    tweak_ = [](ServerConfig& c) { c.service.sessionLifetimeSeconds = 2; };
    restart();
    GameClient busy = connected();
    int answered = 0;
    for (int i = 0; i < 12 && busy.send("levels", ""); ++i, ++answered)
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
    EXPECT_GE(answered, 3);
    EXPECT_LT(answered, 12);
    EXPECT_EQ(busy.lastStatus, 403);
}

TEST_P(Service, CrashRecordsAreCappedInSizeRateAndNumber) {
    tweak_ = [](ServerConfig& c) {
        c.service.crashRecordBytes = 1000;
        c.service.crashRecordsPerAddressPerHour = 3;
        c.service.crashRecordsKept = 2;
    };
    restart();
    GameClient c = connected();
    for (char mark : {'a', 'b', 'c'}) EXPECT_EQ(c.send("pml", std::string(1500, mark)), "ok");
    EXPECT_EQ(c.send("pml", "one more"), "failed;too many crash records");
    const auto kept = db().crashes();
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept[0].content, std::string(1000, 'b'));
    EXPECT_EQ(kept[1].content, std::string(1000, 'c'));
    EXPECT_EQ(kept[1].address, "127.0.0.1");
}

TEST_P(Service, ExperienceIsNeverLowered) {
    ASSERT_EQ(registerUser("Stale", "tamago-1"), "ok");
    GameClient fresh = loggedIn("Stale", "tamago-1");
    GameClient stale = loggedIn("Stale", "tamago-1");
    EXPECT_EQ(fresh.send("score", "100;5"), "ok");
    EXPECT_EQ(stale.send("score", "0;0"), "failed;stale score");
    EXPECT_EQ(stale.send("score", "100;1"), "ok");  // yen may fall
    EXPECT_EQ(fresh.send("score", ""), "100;1");
}

TEST_P(Service, FailedLoginsAreLimitedPerNameAndPerAddress) {
    tweak_ = [](ServerConfig& c) {
        c.behindProxy = true;
        c.service.failedLoginsPerMinute = 3;
    };
    restart();
    for (const char* name : {"Alice", "Bob", "Carol"}) ASSERT_EQ(registerUser(name, "right-one"), "ok");
    auto tryLogin = [&](const std::string& from, const std::string& name, const std::string& pass) {
        GameClient c(server_->port());
        c.comeFrom(from);
        EXPECT_TRUE(c.handshake());
        return c.login(name, pass).value_or("<no reply>");
    };
    const std::string wrong = "failed;wrong username/password";
    EXPECT_EQ(tryLogin("10.0.0.1", "Alice", "guess-1"), wrong);
    EXPECT_EQ(tryLogin("10.0.0.1", "Alice", "guess-2"), wrong);
    EXPECT_EQ(tryLogin("10.0.0.1", "Alice", "right-one"), "ok");  // resets Alice's count
    EXPECT_EQ(tryLogin("10.0.0.2", "alice", "guess-3"), wrong);
    EXPECT_EQ(tryLogin("10.0.0.2", "Alice", "guess-4"), wrong);
    EXPECT_EQ(tryLogin("10.0.0.3", "Alice", "right-one"), "ok");
    for (const char* guess : {"guess-5", "guess-6", "guess-7"}) EXPECT_EQ(tryLogin("10.0.0.4", "Alice", guess), wrong);
    EXPECT_EQ(tryLogin("10.0.0.7", "Alice", "right-one"), wrong);  // three failures for the name

    for (const char* guess : {"guess-8", "guess-9", "guess-0"}) EXPECT_EQ(tryLogin("10.0.0.5", "Bob", guess), wrong);
    EXPECT_EQ(tryLogin("10.0.0.5", "Carol", "right-one"), wrong);  // three failures from the address
    EXPECT_EQ(tryLogin("10.0.0.6", "Carol", "right-one"), "ok");
}

TEST_P(Service, ADatabaseNewerThanTheProgramIsRefused) {
    EXPECT_EQ(db().schemaVersion(), pelmora::server::SCHEMA_VERSION);
    server_.reset();
    {
        auto c = database_.empty() ? pelmora::server::openSqlite((dir_ / "data" / "pelmora.sqlite").string())
                                   : pelmora::server::openPostgres(database_);
        c->run("UPDATE schema_version SET version = 99");
    }
    try {
        start();
        ADD_FAILURE() << "a newer schema was accepted";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("schema version 99, newer than"), std::string::npos) << e.what();
    }
}
