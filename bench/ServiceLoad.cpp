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

#include "ServiceRig.h"
#include "SqlConnection.h"
#include "scramble/Protocol.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <barrier>
#include <cctype>
#include <cstdlib>
#include <cstdio>
#include <iostream>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

namespace sc = pelmora::scramble;
using Clock = std::chrono::steady_clock;

// One kept-alive HTTP/1.1 connection to the service, as little as the tool
// needs: a request written in one send (as curl, which the game uses, sends
// a small one), a reply read up to its Content-Length. The tool shares the
// machine with the service; curl's own work per request (several polls, its
// parsers) took about a third of the CPU time of a run.
class KeptConnection {
public:
    explicit KeptConnection(int port) : port_(port) {}
    ~KeptConnection() { close(); }
    KeptConnection(const KeptConnection&) = delete;
    KeptConnection& operator=(const KeptConnection&) = delete;

    // The reply's status and body; nothing when the exchange failed.
    std::optional<std::pair<int, std::string>> post(const std::string& path, const std::string& body) {
        return roundTrip("POST " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                         "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
                         std::to_string(body.size()) + "\r\n\r\n" + body);
    }
    std::optional<std::pair<int, std::string>> get(const std::string& path) {
        return roundTrip("GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    }

private:
    std::optional<std::pair<int, std::string>> roundTrip(const std::string& request) {
        // A kept connection that the service closed while it was idle fails
        // before any reply arrives: then the request goes once more on a new one.
        for (int attempt = 0; attempt < 2; ++attempt) {
            const bool kept = fd_ >= 0;
            if (!kept && !open()) return std::nullopt;
            bool answered = false;
            if (auto reply = exchange(request, answered)) return reply;
            close();
            if (!kept || answered) return std::nullopt;
        }
        return std::nullopt;
    }

    bool open() {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        if (fd_ < 0) return false;
        const timeval wait{60, 0};
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
        ::setsockopt(fd_, SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait);
        const int on = 1;
        ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<std::uint16_t>(port_));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) return true;
        close();
        return false;
    }
    void close() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

    std::optional<std::pair<int, std::string>> exchange(const std::string& request, bool& answered) {
        for (std::size_t sent = 0; sent < request.size();) {
            const ssize_t n = ::send(fd_, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) return std::nullopt;
            sent += static_cast<std::size_t>(n);
        }
        std::string in;
        std::size_t headEnd = std::string::npos;
        while ((headEnd = in.find("\r\n\r\n")) == std::string::npos)
            if (!receive(in, answered) || in.size() > 64 * 1024) return std::nullopt;
        std::string head = in.substr(0, headEnd + 2);
        for (auto& c : head) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        const auto length = head.find("\r\ncontent-length:");
        if (head.rfind("http/1.1 ", 0) != 0 || length == std::string::npos ||
            head.find("\r\ntransfer-encoding:") != std::string::npos)
            return std::nullopt;
        const std::size_t size = std::strtoul(head.c_str() + length + 17, nullptr, 10);
        while (in.size() < headEnd + 4 + size)
            if (!receive(in, answered)) return std::nullopt;
        if (head.find("\r\nconnection: close") != std::string::npos) close();
        return std::pair{std::atoi(head.c_str() + 9), in.substr(headEnd + 4, size)};
    }
    bool receive(std::string& in, bool& answered) {
        char buffer[16 * 1024];
        const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
        if (n <= 0) return false;
        answered = true;
        in.append(buffer, static_cast<std::size_t>(n));
        return true;
    }

    int port_;
    int fd_ = -1;
};

// The game's side of the protocol, as plainly as possible; a client keeps
// its connection between requests, as the game's curl handle does.
class LoadClient {
public:
    explicit LoadClient(int port) : http_(port) {}

    std::optional<std::string> post(const std::string& script, const std::string& text, bool master = false) {
        // Without a session (its handshake failed) there is no key to seal with.
        if (!master && key_.empty()) return std::nullopt;
        const std::string key = master ? sc::MASTER_KEY : key_;
        const auto reply = http_.post(std::string(sc::SERVICE_DIRECTORY) + script + "?id=" + id_,
                                      sc::requestBody(text, sc::bytesOf(key), sc::systemRandom()));
        if (!reply || reply->first != 200) return std::nullopt;
        return sc::openMessage(reply->second, sc::bytesOf(key));
    }
    bool handshake() {
        const auto reply = post("ping.php", std::string(sc::HANDSHAKE_TAG) + "load;1.0.0;1" + id_, true);
        if (!reply) return false;
        const auto f = sc::splitFields(*reply);
        if (f.size() < 2) return false;
        id_ = f[0];
        key_ = f[1];
        return true;
    }
    bool login(const std::string& name, const std::string& password) {
        name_ = name;
        password_ = password;
        return post("login.php", name + ";" + password) == std::string(sc::REPLY_OK);
    }
    std::optional<std::string> send(const std::string& command, const std::string& payload) {
        return post(command + ".php", name_ + ";" + password_ + ";" + payload);
    }

private:
    KeptConnection http_;
    std::string id_ = sc::NO_SESSION_ID;
    std::string key_;
    std::string name_;
    std::string password_;
};

struct Figures {
    std::string setup;
    int errors = 0;
    double loginP50 = 0, loginP99 = 0, updateP50 = 0, updateP99 = 0, updatesPerSecond = 0;
};

double percentile(std::vector<double> ms, double p) {
    if (ms.empty()) return 0;
    std::sort(ms.begin(), ms.end());
    return ms[std::min(ms.size() - 1, static_cast<std::size_t>(p * static_cast<double>(ms.size())))];
}

double msSince(Clock::time_point t) { return std::chrono::duration<double, std::milli>(Clock::now() - t).count(); }

// Registers the clients' accounts, then has every client do a handshake and a
// login at once; updates start when all are logged in.
Figures run(const std::string& setup, int port, int clients, int updates) {
    static std::atomic<int> runs{0};
    const std::string prefix = "load" + std::to_string(::getpid() % 10000) + "_" + std::to_string(runs++) + "_";
    Figures f;
    f.setup = setup;
    std::mutex mutex;
    std::vector<double> logins, updateTimes;
    std::atomic<int> errors{0};
    // The clock is read as the last client arrives, not when this thread
    // next runs, which on a busy machine can be much later.
    Clock::time_point updatesStart, updatesEnd;
    std::barrier ready(clients);
    std::barrier loggedIn(clients, [&]() noexcept { updatesStart = Clock::now(); });
    std::barrier done(clients, [&]() noexcept { updatesEnd = Clock::now(); });
    std::vector<std::thread> threads;
    for (int i = 0; i < clients; ++i) {
        threads.emplace_back([&, i] {
            const std::string name = prefix + std::to_string(i);
            {
                LoadClient registrar(port);
                if (!registrar.handshake() || registrar.send("register", name + ";password;l@x.org") != "ok") ++errors;
            }
            ready.arrive_and_wait();
            LoadClient c(port);
            const auto t0 = Clock::now();
            if (!c.handshake() || !c.login(name, "password")) ++errors;
            const double loginMs = msSince(t0);
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
        });
    }
    for (auto& t : threads) t.join();
    const double seconds = std::chrono::duration<double>(updatesEnd - updatesStart).count();
    f.errors = errors;
    f.loginP50 = percentile(logins, 0.5);
    f.loginP99 = percentile(logins, 0.99);
    f.updateP50 = percentile(updateTimes, 0.5);
    f.updateP99 = percentile(updateTimes, 0.99);
    f.updatesPerSecond = seconds > 0 ? static_cast<double>(updateTimes.size()) / seconds : 0;
    return f;
}

void print(const std::vector<Figures>& all, int clients, int updates) {
    std::printf("%d clients, each: handshake, login, %d score updates (updates start when all are logged in)\n",
                clients, updates);
    std::printf("%-34s %7s %11s %11s %12s %12s %10s\n", "set-up", "errors", "login p50", "login p99", "update p50",
                "update p99", "updates/s");
    for (const auto& f : all)
        std::printf("%-34s %7d %9.1fms %9.1fms %10.2fms %10.2fms %10.0f\n", f.setup.c_str(), f.errors, f.loginP50,
                    f.loginP99, f.updateP50, f.updateP99, f.updatesPerSecond);
}

// The leaderboard phase: a page with no query (the home page) is the
// yardstick for the first page, a middle page and a chef's page, each
// measured the same number of times, in turns, in the same run.
struct BoardFigures {
    std::string setup;
    int errors = 0;
    double loadSeconds = 0;
    double homeP99 = 0, firstP99 = 0, middleP99 = 0, chefP99 = 0;
};

// px and yen of the n-th bulk chef: spread over the range, many ties.
constexpr std::int64_t BULK_PX = 20011, BULK_YEN = 9973;

// Adds accounts chefs "bulk1" ... in one statement, then lets the engine
// know the table's new size.
double loadChefs(pelmora::server::SqlConnection& c, int accounts) {
    const auto t = Clock::now();
    const bool postgres = c.engine() == pelmora::server::SqlEngine::Postgres;
    const std::string values = "SELECT 'bulk' || i, 'bulk@example.org', '-', (i * 7919) % " +
                               std::to_string(BULK_PX) + ", (i * 104729) % " + std::to_string(BULK_YEN) + ", 0, 0";
    const std::string insert = "INSERT INTO users (name, email, password_hash, px, yen, created, updated) ";
    if (postgres) {
        c.script(insert + values + " FROM generate_series(CAST(1 AS BIGINT), " + std::to_string(accounts) + ") AS i");
        c.script("VACUUM ANALYZE users");
    } else {
        c.script("BEGIN; " + insert + "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
                 std::to_string(accounts) + ") " + values + " FROM n; COMMIT; ANALYZE");
    }
    return std::chrono::duration<double>(Clock::now() - t).count();
}

BoardFigures boardRun(const std::string& setup, int port, int accounts, int clients, int rounds) {
    // A chef in the middle of the ranking: half the range of experience.
    int middleChef = 1;
    while ((static_cast<std::int64_t>(middleChef) * 7919) % BULK_PX != BULK_PX / 2 && middleChef < accounts) ++middleChef;
    const std::vector<std::string> paths = {"/", "/pel-mora/classifica",
                                            "/pel-mora/classifica?page=" + std::to_string(accounts / 100 + 1),
                                            "/pel-mora/chef/bulk" + std::to_string(middleChef)};
    BoardFigures f;
    f.setup = setup;
    std::mutex mutex;
    std::vector<std::vector<double>> times(paths.size());
    std::atomic<int> errors{0};
    {
        // The first look at a large board takes its anchors: not a visit to
        // measure. Each path twice, one request apart, so that behind nginx
        // both processes have taken theirs.
        KeptConnection warm(port);
        for (int twice = 0; twice < 2; ++twice) {
            for (const auto& p : paths)
                if (auto r = warm.get(p); !r || r->first != 200) ++errors;
            warm.get("/");
        }
    }
    std::vector<std::thread> threads;
    for (int i = 0; i < clients; ++i) {
        threads.emplace_back([&, i] {
            KeptConnection c(port);
            std::vector<std::vector<double>> mine(paths.size());
            for (int r = 0; r < rounds; ++r) {
                for (std::size_t k = 0; k < paths.size(); ++k) {
                    const std::size_t which = (k + static_cast<std::size_t>(i + r)) % paths.size();
                    const auto t = Clock::now();
                    const auto reply = c.get(paths[which]);
                    mine[which].push_back(msSince(t));
                    if (!reply || reply->first != 200) ++errors;
                }
            }
            std::lock_guard lock(mutex);
            for (std::size_t k = 0; k < paths.size(); ++k) times[k].insert(times[k].end(), mine[k].begin(), mine[k].end());
        });
    }
    for (auto& t : threads) t.join();
    f.errors = errors;
    f.homeP99 = percentile(times[0], 0.99);
    f.firstP99 = percentile(times[1], 0.99);
    f.middleP99 = percentile(times[2], 0.99);
    f.chefP99 = percentile(times[3], 0.99);
    return f;
}

void printBoard(const std::vector<BoardFigures>& all, int accounts, int clients, int rounds) {
    std::printf("\nleaderboard: %d bulk chefs more; %d clients, each %d rounds of home page, first page, middle page "
                "and chef page (p99, and its ratio to the home page's)\n",
                accounts, clients, rounds);
    std::printf("%-34s %7s %8s %9s %17s %17s %17s\n", "set-up", "errors", "load", "home p99", "first page p99",
                "middle page p99", "chef page p99");
    for (const auto& f : all) {
        auto ratio = [&](double v) { return f.homeP99 > 0 ? v / f.homeP99 : 0; };
        std::printf("%-34s %7d %7.1fs %7.2fms %8.2fms x%5.1f %8.2fms x%5.1f %8.2fms x%5.1f\n", f.setup.c_str(),
                    f.errors, f.loadSeconds, f.homeP99, f.firstP99, ratio(f.firstP99), f.middleP99,
                    ratio(f.middleP99), f.chefP99, ratio(f.chefP99));
    }
}

}  // namespace

int main(int argc, char** argv) {
    int clients = 100, updates = 20, target = 0, accounts = 1000000;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string a = argv[i];
        const int v = std::atoi(argv[i + 1]);
        if (a == "--clients" && v > 0 && v <= 1000) clients = v;
        else if (a == "--updates" && v > 0 && v <= 1000) updates = v;
        else if (a == "--target" && v > 0 && v < 65536) target = v;
        else if (a == "--accounts" && v >= 0 && v <= 10000000) accounts = v;
        else {
            std::cerr << "usage: pelmora-service-load [--clients 1-1000] [--updates 1-1000] [--target PORT]"
                         " [--accounts 0-10000000]\n";
            return 2;
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
