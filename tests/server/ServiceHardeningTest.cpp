// What a hostile or just busy internet sends the service: slow and many
// clients, oversized bodies and ranges, stolen session ids, floods of crash
// records and guesses, stale totals, a newer database.

#include "ServiceFixture.h"

using servicetest::Service;

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
    auto many = http.Get("/", {{"Range", "bytes=0-0,1-1,2-2,3-3"}});
    ASSERT_TRUE(many);
    EXPECT_EQ(many->status, 416);
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
