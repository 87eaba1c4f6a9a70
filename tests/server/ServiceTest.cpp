// The service scripts, web pages and storage as the game and a browser use them.

#include "ServiceFixture.h"

using servicetest::Service;
using servicetest::INGREDIENTS;
using servicetest::LEVELS;

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

    auto missing = http.Get("/pel-mora/nothing-here");
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->status, 404);
    EXPECT_EQ(pelmora::server::escapeHtml("<a href=\"x\">&'"), "&lt;a href=&quot;x&quot;&gt;&amp;&#39;");
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
