#pragma once

// The service on a loopback port for each test, on each storage engine, with
// the helpers the service tests share.

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

namespace servicetest {

inline const std::string LEVELS = "0\tbeginner\t\t0\t1.0\r\n1\tcook\t\t100\t1.2\r\n2\tchef\t\t300\t1.5\r\n";
inline const std::string INGREDIENTS = "riso\tbase\t1\t10\nsalmone\tpesce\t2\t30\n";

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

}  // namespace servicetest
