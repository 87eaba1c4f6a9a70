#include "GroupCommit.h"
#include "ScoreBatch.h"
#include "ServiceHarness.h"

#include <atomic>
#include <map>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

using namespace pelmora::server;

// Four changes queue behind a commit under way and go into the next
// transaction together: a duplicate key fails alone, a change of two
// statements whose second fails leaves nothing, the others are kept.
TEST(GroupCommit, ChangesCommittedTogetherKeepTheirOwnOutcomes) {
    const auto dir = pelmora::testing::makeScratchDir("group");
    {
        auto db = openSqlite((dir / "t.sqlite").string());
        db->script("CREATE TABLE t (k TEXT PRIMARY KEY)");
        GroupCommit commits([&](const std::function<void(SqlConnection&)>& use) { use(*db); });

        std::atomic<bool> leading{false};
        std::thread leader([&] {
            commits.apply(
                [&](SqlConnection& c) {
                    c.run("INSERT INTO t VALUES ('first')");
                    leading = true;
                    while (commits.waiting() < 4) std::this_thread::yield();
                },
                false);
        });
        while (!leading) std::this_thread::yield();

        enum Outcome { Kept, Refused, Failed };
        const std::vector<std::vector<const char*>> changes = {
            {"INSERT INTO t VALUES ('a')"},
            {"INSERT INTO t VALUES ('first')"},
            {"INSERT INTO t VALUES ('b')", "INSERT INTO t VALUES ('first')"},
            {"INSERT INTO t VALUES ('c')"}};
        std::vector<Outcome> outcomes(changes.size(), Failed);
        std::vector<std::thread> threads;
        for (std::size_t i = 0; i < changes.size(); ++i)
            threads.emplace_back([&, i] {
                try {
                    commits.apply([&](SqlConnection& c) { for (const char* sql : changes[i]) c.run(sql); },
                                  changes[i].size() > 1);
                    outcomes[i] = Kept;
                } catch (const SqlError& e) {
                    if (e.uniqueViolation()) outcomes[i] = Refused;
                }
            });
        for (auto& t : threads) t.join();
        leader.join();

        EXPECT_EQ(outcomes, (std::vector<Outcome>{Kept, Refused, Refused, Kept}));
        const auto rows = db->run("SELECT group_concat(k, ',') FROM (SELECT k FROM t ORDER BY k)");
        EXPECT_EQ(rows.text(), "a,c,first");
        EXPECT_FALSE(db->inTransaction());
    }
    std::filesystem::remove_all(dir);
}

// Raises queued behind a batch under way go out together, a user at most
// once per batch (the second raise of a user waits for the next one); each
// caller learns its own outcome, and a failed batch's error reaches all its callers.
TEST(ScoreBatch, QueuedRaisesGoTogetherOncePerUser) {
    std::mutex mutex;
    std::vector<std::vector<std::int64_t>> batches;
    std::map<std::int64_t, std::int64_t> stored;  // user: px
    std::atomic<bool> leading{false};
    ScoreBatch* self = nullptr;
    ScoreBatch scores([&](const std::vector<ScoreBatch::Raise>& raises) {
        if (!leading.exchange(true))
            while (self->waiting() < 5) std::this_thread::yield();
        std::lock_guard lock(mutex);
        batches.emplace_back();
        std::vector<std::int64_t> changed;
        for (const auto& r : raises) {
            if (r.userId == 99) throw std::runtime_error("lost connection");
            batches.back().push_back(r.userId);
            if (r.px >= stored[r.userId]) changed.push_back(r.userId);
            stored[r.userId] = std::max(stored[r.userId], r.px);
        }
        return changed;
    });
    self = &scores;
    std::thread leader([&] { EXPECT_TRUE(scores.apply({1, 10, 0})); });
    while (!leading) std::this_thread::yield();
    const std::vector<ScoreBatch::Raise> raises = {{2, 50, 0}, {3, 5, 0}, {2, 40, 0}, {2, 60, 0}, {4, 1, 0}};
    std::vector<int> outcomes(raises.size(), -1);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < raises.size(); ++i) {
        threads.emplace_back([&, i] { outcomes[i] = scores.apply(raises[i]); });
        // In this order; once the last is queued the first batch ends and the queue drains.
        while (i + 1 < raises.size() && scores.waiting() < i + 1) std::this_thread::yield();
    }
    for (auto& t : threads) t.join();
    leader.join();
    EXPECT_EQ(batches, (std::vector<std::vector<std::int64_t>>{{1}, {2, 3, 4}, {2}, {2}}));
    EXPECT_EQ(outcomes, (std::vector<int>{1, 1, 0, 1, 1}));
    EXPECT_EQ(stored[2], 60);
    EXPECT_THROW(scores.apply({99, 1, 0}), std::runtime_error);
}
