#include "GroupCommit.h"
#include "ServiceHarness.h"

#include <atomic>
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
