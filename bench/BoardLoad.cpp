#include "BoardLoad.h"

#include "LoadClient.h"

#include <atomic>
#include <cstdio>
#include <mutex>
#include <thread>

namespace pelmora::load {

// The home page (a page with no query) is the yardstick for the first page,
// a middle page and a chef's page, each measured the same number of times.

namespace {

// px and yen of the n-th bulk chef: spread over the range, many ties.
constexpr std::int64_t BULK_PX = 20011, BULK_YEN = 9973;

}  // namespace

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

}  // namespace pelmora::load
