// pelmora-service-load: many game clients at once against pelmora-server on
// loopback. Each client does a handshake, logs in and sends score updates;
// the tool prints errors, login and update latencies and updates per second.
//
//   pelmora-service-load [--clients 100] [--updates 20] [--target PORT] [--accounts 1000000]
//
// Without --target it starts the service itself, in both set-ups (one process
// on SQLite; two processes on a throwaway PostgreSQL cluster behind nginx with
// deploy/nginx/pelmora.conf) and prints their figures side by side. Then, in
// each set-up, it loads --accounts more chefs in one bulk insert and measures
// the leaderboard's pages against the home page (0 accounts skips that phase).

#include "BoardLoad.h"
#include "LoadClient.h"
#include "ServiceRig.h"
#include "SqlConnection.h"

#include <atomic>
#include <barrier>
#include <cstdio>
#include <iostream>
#include <mutex>
#include <semaphore>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace pelmora::load;

// Clients that register or log in at the same time.
constexpr int HASHING_CLIENTS = 4;

struct Figures {
    std::string setup;
    int errors = 0;
    double loginP50 = 0, loginP99 = 0, updateP50 = 0, updateP99 = 0, updatesPerSecond = 0;
    // Each client's first update (all arrive at once, on connections the
    // service or nginx may have to open again) and the ones after it.
    double firstP99 = 0, laterP99 = 0;
};

// Registers the clients' accounts and logs every client in, then has them all
// send their score updates at once. Registering and logging in hash a
// password each (on purpose slow, and on two cores a hundred at once took
// more than nginx's 30 s): a few clients at a time do that part.
Figures run(const std::string& setup, int port, int clients, int updates) {
    static std::atomic<int> runs{0};
    const std::string prefix = "load" + std::to_string(::getpid() % 10000) + "_" + std::to_string(runs++) + "_";
    Figures f;
    f.setup = setup;
    std::mutex mutex;
    std::vector<double> logins, updateTimes, firstTimes, laterTimes;
    std::atomic<int> errors{0};
    // The clock is read as the last client arrives, not when this thread
    // next runs, which on a busy machine can be much later.
    Clock::time_point updatesStart, updatesEnd;
    std::barrier ready(clients);
    std::barrier loggedIn(clients, [&]() noexcept { updatesStart = Clock::now(); });
    std::barrier done(clients, [&]() noexcept { updatesEnd = Clock::now(); });
    std::counting_semaphore<> hashing(HASHING_CLIENTS);
    std::vector<std::thread> threads;
    for (int i = 0; i < clients; ++i) {
        threads.emplace_back([&, i] {
            const std::string name = prefix + std::to_string(i);
            hashing.acquire();
            {
                LoadClient registrar(port);
                if (!registrar.handshake() || registrar.send("register", name + ";password;l@x.org") != "ok") ++errors;
            }
            hashing.release();
            ready.arrive_and_wait();
            LoadClient c(port);
            hashing.acquire();
            const auto t0 = Clock::now();
            if (!c.handshake() || !c.login(name, "password")) ++errors;
            const double loginMs = msSince(t0);
            hashing.release();
            loggedIn.arrive_and_wait();
            std::vector<double> mine;
            for (int u = 1; u <= updates; ++u) {
                const auto t = Clock::now();
                if (c.send("score", std::to_string(u * 10) + ";" + std::to_string(u)) != "ok") ++errors;
                mine.push_back(msSince(t));
            }
            done.arrive_and_wait();
            std::lock_guard lock(mutex);
            logins.push_back(loginMs);
            updateTimes.insert(updateTimes.end(), mine.begin(), mine.end());
            firstTimes.push_back(mine.front());
            laterTimes.insert(laterTimes.end(), mine.begin() + 1, mine.end());
        });
    }
    for (auto& t : threads) t.join();
    const double seconds = std::chrono::duration<double>(updatesEnd - updatesStart).count();
    f.errors = errors;
    f.loginP50 = percentile(logins, 0.5);
    f.loginP99 = percentile(logins, 0.99);
    f.updateP50 = percentile(updateTimes, 0.5);
    f.updateP99 = percentile(updateTimes, 0.99);
    f.firstP99 = percentile(firstTimes, 0.99);
    f.laterP99 = percentile(laterTimes, 0.99);
    f.updatesPerSecond = seconds > 0 ? static_cast<double>(updateTimes.size()) / seconds : 0;
    return f;
}

// The first set-up is the yardstick: each other's update p99 is also given as a multiple of its.
void print(const std::vector<Figures>& all, int clients, int updates) {
    std::printf("%d clients, each: handshake and login (%d clients at a time), then %d score updates (all clients "
                "at once)\n",
                clients, HASHING_CLIENTS, updates);
    std::printf("%-34s %7s %11s %11s %12s %12s %10s %9s %12s %12s\n", "set-up", "errors", "login p50", "login p99",
                "update p50", "update p99", "updates/s", "p99 ratio", "first p99", "later p99");
    for (const auto& f : all)
        std::printf("%-34s %7d %9.1fms %9.1fms %10.2fms %10.2fms %10.0f %8.2fx %10.2fms %10.2fms\n", f.setup.c_str(),
                    f.errors, f.loginP50, f.loginP99, f.updateP50, f.updateP99, f.updatesPerSecond,
                    all[0].updateP99 > 0 ? f.updateP99 / all[0].updateP99 : 0.0, f.firstP99, f.laterP99);
    if (all.size() > 1 && all[0].updateP99 > 0)
        std::printf("update_p99_ratio=%.2f (%s against %s)\n", all[1].updateP99 / all[0].updateP99,
                    all[1].setup.c_str(), all[0].setup.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    int clients = 100, updates = 20, target = 0, accounts = 1000000;
    for (int i = 1; i < argc; i += 2) {
        const std::string a = argv[i];
        const int v = i + 1 < argc ? std::atoi(argv[i + 1]) : -1;
        if (a == "--clients" && v > 0 && v <= 1000) clients = v;
        else if (a == "--updates" && v > 0 && v <= 1000) updates = v;
        else if (a == "--target" && v > 0 && v < 65536) target = v;
        else if (a == "--accounts" && v >= 0 && v <= 10000000) accounts = v;
        else {
            (a == "--help" || a == "-h" ? std::cout : std::cerr) << "usage: pelmora-service-load [--clients 1-1000] [--updates 1-1000] [--target PORT]"
                         " [--accounts 0-10000000]\n";
            return a == "--help" || a == "-h" ? 0 : 2;
        }
    }
    try {
        std::vector<Figures> all;
        std::vector<BoardFigures> boards;
        constexpr int boardClients = 8, boardRounds = 150;
        if (target) {
            all.push_back(run("127.0.0.1:" + std::to_string(target), target, clients, updates));
        } else {
            namespace rig = pelmora::rig;
            const auto dir = rig::scratchDir("load");
            {
                rig::ServerProcess sqlite(PELMORA_SERVER_BIN, rig::freeLoopbackPort(),
                                          {"--data", (dir / "sqlite").string()}, dir / "sqlite.log");
                all.push_back(run("1 process, SQLite", sqlite.port(), clients, updates));
                if (accounts > 0) {
                    const double load =
                        loadChefs(*pelmora::server::openSqlite((dir / "sqlite" / "pelmora.sqlite").string()), accounts);
                    boards.push_back(boardRun("1 process, SQLite", sqlite.port(), accounts, boardClients, boardRounds));
                    boards.back().loadSeconds = load;
                }
            }
            {
                rig::PostgresCluster pg;
                const std::vector<std::string> args = {"--database", pg.conninfo("pelmora"), "--behind-proxy"};
                rig::ServerProcess one(PELMORA_SERVER_BIN, rig::freeLoopbackPort(), args, dir / "one.log");
                rig::ServerProcess two(PELMORA_SERVER_BIN, rig::freeLoopbackPort(), args, dir / "two.log");
                rig::NginxFront front(PELMORA_NGINX_SITE, rig::freeLoopbackPort(), {one.port(), two.port()},
                                      dir / "nginx");
                all.push_back(run("2 processes, PostgreSQL, nginx", front.port(), clients, updates));
                if (accounts > 0) {
                    const double load = loadChefs(*pelmora::server::openPostgres(pg.conninfo("pelmora")), accounts);
                    boards.push_back(
                        boardRun("2 processes, PostgreSQL, nginx", front.port(), accounts, boardClients, boardRounds));
                    boards.back().loadSeconds = load;
                }
            }
            std::filesystem::remove_all(dir);
        }
        print(all, clients, updates);
        if (!boards.empty()) printBoard(boards, accounts, boardClients, boardRounds);
        for (const auto& f : all)
            if (f.errors) return 1;
        for (const auto& f : boards)
            if (f.errors) return 1;
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "pelmora-service-load: " << e.what() << "\n";
        return 1;
    }
}
