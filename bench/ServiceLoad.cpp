// pelmora-service-load: many game clients at once against pelmora-server on
// loopback. Each client does a handshake, logs in and sends score updates;
// the tool prints errors, login and update latencies and updates per second.
//
//   pelmora-service-load [--clients 100] [--updates 20] [--rounds 3] [--target PORT] [--accounts 1000000]
//
// Without --target it starts the service itself, in both set-ups (one process
// on SQLite; two processes on a throwaway PostgreSQL cluster behind nginx with
// deploy/nginx/pelmora.conf), runs their rounds in turns and prints their
// figures side by side. Then, in each set-up, it loads --accounts more chefs
// in one bulk insert and measures the leaderboard's pages against the home
// page (0 accounts skips that phase).

#include "BoardLoad.h"
#include "LoadClient.h"
#include "ServiceRig.h"
#include "SqlConnection.h"

#include <algorithm>
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

// A set-up's figures over its rounds: the median of each, and every error.
// The machine's speed changes from one moment to the next (three runs of
// one build gave the two set-ups' p99 ratio as 2.12, 2.08 and 1.46 when each
// set-up ran once, one after the other): rounds taken in turns meet the same
// moments, and their medians leave out the round a pause fell in.
Figures medianOf(const std::vector<Figures>& rounds) {
    Figures f = rounds.front();
    auto median = [&](double Figures::*field) {
        std::vector<double> v;
        for (const auto& r : rounds) v.push_back(r.*field);
        std::sort(v.begin(), v.end());
        return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
    };
    for (auto field : {&Figures::loginP50, &Figures::loginP99, &Figures::updateP50, &Figures::updateP99,
                       &Figures::updatesPerSecond, &Figures::firstP99, &Figures::laterP99})
        f.*field = median(field);
    f.errors = 0;
    for (const auto& r : rounds) f.errors += r.errors;
    return f;
}

// The first set-up is the yardstick: each other's update p99 is also given as
// a multiple of its, and so is each round's against the yardstick's round
// run just before it.
void print(const std::vector<std::vector<Figures>>& rounds, int clients, int updates) {
    std::vector<Figures> all;
    for (const auto& r : rounds) all.push_back(medianOf(r));
    std::printf("%d clients, each: handshake and login (%d clients at a time), then %d score updates (all clients "
                "at once); each set-up %zu times, in turns, and the median of each figure\n",
                clients, HASHING_CLIENTS, updates, rounds[0].size());
    std::printf("%-34s %7s %11s %11s %12s %12s %10s %9s %12s %12s\n", "set-up", "errors", "login p50", "login p99",
                "update p50", "update p99", "updates/s", "p99 ratio", "first p99", "later p99");
    for (const auto& f : all)
        std::printf("%-34s %7d %9.1fms %9.1fms %10.2fms %10.2fms %10.0f %8.2fx %10.2fms %10.2fms\n", f.setup.c_str(),
                    f.errors, f.loginP50, f.loginP99, f.updateP50, f.updateP99, f.updatesPerSecond,
                    all[0].updateP99 > 0 ? f.updateP99 / all[0].updateP99 : 0.0, f.firstP99, f.laterP99);
    if (all.size() > 1 && all[0].updateP99 > 0) {
        std::printf("update_p99_ratio=%.2f (%s against %s; each round's:", all[1].updateP99 / all[0].updateP99,
                    all[1].setup.c_str(), all[0].setup.c_str());
        for (std::size_t i = 0; i < rounds[1].size(); ++i)
            std::printf(" %.2f", rounds[0][i].updateP99 > 0 ? rounds[1][i].updateP99 / rounds[0][i].updateP99 : 0.0);
        std::printf(")\n");
    }
}

}  // namespace

int main(int argc, char** argv) {
    int clients = 100, updates = 20, rounds = 3, target = 0, accounts = 1000000;
    for (int i = 1; i < argc; i += 2) {
        const std::string a = argv[i];
        const int v = i + 1 < argc ? std::atoi(argv[i + 1]) : -1;
        if (a == "--clients" && v > 0 && v <= 1000) clients = v;
        else if (a == "--updates" && v > 0 && v <= 1000) updates = v;
        else if (a == "--rounds" && v > 0 && v <= 20) rounds = v;
        else if (a == "--target" && v > 0 && v < 65536) target = v;
        else if (a == "--accounts" && v >= 0 && v <= 10000000) accounts = v;
        else {
            (a == "--help" || a == "-h" ? std::cout : std::cerr) << "usage: pelmora-service-load [--clients 1-1000] [--updates 1-1000] [--rounds 1-20] [--target PORT]"
                         " [--accounts 0-10000000]\n";
            return a == "--help" || a == "-h" ? 0 : 2;
        }
    }
    try {
        std::vector<std::vector<Figures>> all;
        std::vector<BoardFigures> boards;
        constexpr int boardClients = 8, boardRounds = 150;
        if (target) {
            all.emplace_back();
            for (int r = 0; r < rounds; ++r)
                all[0].push_back(run("127.0.0.1:" + std::to_string(target), target, clients, updates));
        } else {
            namespace rig = pelmora::rig;
            const auto dir = rig::scratchDir("load");
            {
                // Both set-ups run all along; the one not being measured is idle.
                rig::ServerProcess sqlite(PELMORA_SERVER_BIN, rig::freeLoopbackPort(),
                                          {"--data", (dir / "sqlite").string()}, dir / "sqlite.log");
                rig::PostgresCluster pg;
                const std::vector<std::string> args = {"--database", pg.conninfo("pelmora"), "--behind-proxy"};
                rig::ServerProcess one(PELMORA_SERVER_BIN, rig::freeLoopbackPort(), args, dir / "one.log");
                rig::ServerProcess two(PELMORA_SERVER_BIN, rig::freeLoopbackPort(), args, dir / "two.log");
                rig::NginxFront front(PELMORA_NGINX_SITE, rig::freeLoopbackPort(), {one.port(), two.port()},
                                      dir / "nginx");
                const std::vector<std::pair<std::string, int>> setups = {
                    {"1 process, SQLite", sqlite.port()}, {"2 processes, PostgreSQL, nginx", front.port()}};
                all.resize(setups.size());
                for (int r = 0; r < rounds; ++r)
                    for (std::size_t s = 0; s < setups.size(); ++s)
                        all[s].push_back(run(setups[s].first, setups[s].second, clients, updates));
                if (accounts > 0) {
                    const double sqliteLoad =
                        loadChefs(*pelmora::server::openSqlite((dir / "sqlite" / "pelmora.sqlite").string()), accounts);
                    boards.push_back(boardRun(setups[0].first, sqlite.port(), accounts, boardClients, boardRounds));
                    boards.back().loadSeconds = sqliteLoad;
                    const double pgLoad = loadChefs(*pelmora::server::openPostgres(pg.conninfo("pelmora")), accounts);
                    boards.push_back(boardRun(setups[1].first, front.port(), accounts, boardClients, boardRounds));
                    boards.back().loadSeconds = pgLoad;
                }
            }
            std::filesystem::remove_all(dir);
        }
        print(all, clients, updates);
        if (!boards.empty()) printBoard(boards, accounts, boardClients, boardRounds);
        for (const auto& setup : all)
            for (const auto& f : setup)
                if (f.errors) return 1;
        for (const auto& f : boards)
            if (f.errors) return 1;
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "pelmora-service-load: " << e.what() << "\n";
        return 1;
    }
}
