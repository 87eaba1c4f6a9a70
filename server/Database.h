#pragma once

#include "GroupCommit.h"
#include "ScoreBatch.h"
#include "SqlConnection.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace pelmora::server {

struct UserRow {
    std::int64_t id = 0;
    std::string name;
    std::string passwordHash;
    std::int64_t px = 0;
    std::int64_t yen = 0;
};

// A session as stored: neither its id nor its key nor its token in clear.
struct SessionRow {
    std::string idHash;       // hash of the session id the client holds
    std::string keyBox;       // the session key, sealed under a key derived from the id
    std::optional<std::int64_t> userId;
    std::string loginNonce;   // the session's token is derived from it and the session key
    std::string tokenHash;    // hash of that token; empty while nobody is logged in
    std::string passwordMac;  // keyed hash of the password given at login
    std::string platform;
    std::string version;
    std::int64_t build = 0;
    std::int64_t created = 0;  // seconds since the epoch
    std::int64_t seen = 0;     // last request, seconds since the epoch
    std::optional<UserRow> user;  // the logged-in user, read with the session
};

// The login a change depends on: the session (by id hash) and the nonce of
// the login it holds.
struct SessionLogin {
    std::string idHash;
    std::string nonce;
};

struct Standing {
    std::string name;
    std::int64_t px = 0;
    std::int64_t yen = 0;
    std::int64_t rank = 0;  // 1 + the chefs with more experience, or as much and more yen
};

struct CrashRecord {
    std::string address;  // the client's network address
    std::string userName;  // as sent, not checked
    std::string platform;
    std::string version;
    std::int64_t build = 0;
    std::string content;
};

// Where the service keeps its data: a SQLite file in a folder (the default)
// or a PostgreSQL database that several service processes share.
struct DatabaseTarget {
    std::filesystem::path sqliteDir = "var";
    std::string postgres;  // a libpq connection string; when set, used instead of SQLite
    std::size_t connections = 8;
    // From this many chefs on, pages and ranks start from anchors: every
    // 50th standing with its rank, taken from the index at most every 10 s.
    std::int64_t rankAnchorsFrom = 20000;
};

// The newest schema this program knows.
inline constexpr int SCHEMA_VERSION = 3;

// The service's storage: users with their totals, sessions, crash records,
// counters and settings, in either engine. Every operation is one statement
// or one transaction, so several threads and several processes may use the
// same database at once. Connections are pooled; on SQLite, changes made at
// the same time are committed together (GroupCommit).
class Database {
public:
    // Opens the database and brings its schema up to date. Throws
    // std::runtime_error when that fails or the schema is newer than this program.
    explicit Database(const DatabaseTarget& target);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    SqlEngine engine() const { return engine_; }
    int schemaVersion();

    enum class AddUser { Added, Duplicate };
    AddUser addUser(const std::string& name, const std::string& email, const std::string& passwordHash);
    // Names compare without regard to ASCII letter case.
    std::optional<UserRow> findUser(const std::string& name);
    bool userExists(const std::string& name);
    // Stores new totals unless they have fewer experience points than the
    // stored ones (experience never decreases in play); false when refused.
    // With a login, also refused unless the session still holds that login
    // of that user (checked in the same statement).
    bool raiseTotals(std::int64_t userId, std::int64_t px, std::int64_t yen,
                     const std::optional<SessionLogin>& login = std::nullopt);
    // Best players first: most experience points, then most yen, then name.
    std::vector<Standing> leaderboard(int limit);
    // count standings from the offset-th (from 0) on, in that order, each with its rank.
    std::vector<Standing> standings(std::int64_t offset, int count);
    // A chef's standing by name (any letter case); nothing for an unknown name.
    std::optional<Standing> standing(const std::string& name);
    // The number of chefs, counted at most once every 10 seconds.
    std::int64_t chefCount();
    // Counts this process's changes to the chefs (a new one, raised totals):
    // what was read of the standings at one count may be stale at the next.
    std::uint64_t standingsVersion() const { return standingsVersion_.load(); }

    void openSession(const SessionRow& session);
    std::optional<SessionRow> findSession(const std::string& idHash);
    void touchSession(const std::string& idHash, std::int64_t now);
    void logIn(const std::string& idHash, std::int64_t userId, const std::string& loginNonce,
               const std::string& tokenHash, const std::string& passwordMac);
    void logOut(const std::string& idHash);
    // Removes sessions idle since before idleBefore or created before createdBefore.
    std::int64_t purgeSessions(std::int64_t idleBefore, std::int64_t createdBefore);
    std::int64_t sessionCount();

    // Stores a crash record and then drops the oldest beyond keep records.
    void addCrash(const CrashRecord& crash, std::int64_t keep);
    std::int64_t crashCount();
    std::vector<CrashRecord> crashes();

    // Counters by name and time slot (rate limits): adds one and returns the new count.
    std::int64_t bumpCounter(const std::string& name, std::int64_t slot);
    std::int64_t counter(const std::string& name, std::int64_t slot);
    void clearCounter(const std::string& name);
    void purgeCounters(std::int64_t slotBefore);

    // A setting's value; the first caller anywhere stores valueIfAbsent.
    std::string setting(const std::string& name, const std::string& valueIfAbsent);

private:
    class Lease;
    Lease lease();
    // Runs a change: on SQLite in a transaction shared with the changes other
    // threads make at the same time, on PostgreSQL on a connection of its own.
    // A change of several statements takes effect whole or not at all.
    void change(const GroupCommit::Change& body, bool severalStatements = false);
    void release(std::unique_ptr<SqlConnection> c);
    std::unique_ptr<SqlConnection> connect();
    void openPool();
    void migrate();
    void transaction(SqlConnection& c, const std::function<void()>& body);
    // The engine's spelling of a statement that differs between them.
    const char* sql(const char* sqlite, const char* postgres) const {
        return engine_ == SqlEngine::Sqlite ? sqlite : postgres;
    }
    std::int64_t rankOf(SqlConnection& c, std::int64_t px, std::int64_t yen);
    // Every ANCHOR_STEP-th standing (from the first), with its place from 1 and its rank.
    struct Anchor {
        std::int64_t place = 0;
        std::int64_t rank = 0;
        std::int64_t px = 0;
        std::int64_t yen = 0;
        std::string name;
    };
    using Anchors = std::vector<Anchor>;
    static constexpr std::int64_t ANCHOR_STEP = 50;
    // The anchors, taken again when older than 10 s; nothing for a small table.
    std::shared_ptr<const Anchors> anchors();
    std::int64_t rankNear(SqlConnection& c, const Anchors& anchors, std::int64_t px, std::int64_t yen);
    std::mutex anchorsMutex_;
    std::mutex anchorsTaking_;
    std::shared_ptr<const Anchors> anchors_;
    std::chrono::steady_clock::time_point anchorsTaken_;
    std::mutex countMutex_;
    std::int64_t chefCount_ = -1;
    std::chrono::steady_clock::time_point chefCounted_;

    DatabaseTarget target_;
    SqlEngine engine_;
    std::string sqliteFile_;
    std::mutex mutex_;
    std::condition_variable available_;
    std::vector<std::unique_ptr<SqlConnection>> idle_;
    std::size_t open_ = 0;
    // SQLite lets one writer in at a time (and makes the others sleep and
    // retry, in steps of up to 100 ms): this process's writers meet here.
    GroupCommit commits_;
    // On PostgreSQL, score updates made at the same time go in one statement.
    ScoreBatch scores_;
    std::vector<std::int64_t> storeScores(const std::vector<ScoreBatch::Raise>& raises);
    // The connection score batches go out on, used by one batch at a time:
    // taken from the pool, a batch's leader queued behind the readers of a
    // burst (each request's session) while every update waited for it.
    std::unique_ptr<SqlConnection> scoreConnection_;
    std::atomic<std::uint64_t> standingsVersion_{0};
    // Copies SQLite's write-ahead log into the database file once a second.
    void checkpointLoop();
    std::mutex checkpointMutex_;
    std::condition_variable checkpointWake_;
    bool closing_ = false;
    std::thread checkpointer_;
};

// A pooled connection, handed back when the lease ends.
class Database::Lease {
public:
    Lease(Database& db, std::unique_ptr<SqlConnection> c) : db_(db), c_(std::move(c)) {}
    ~Lease() { db_.release(std::move(c_)); }
    Lease(const Lease&) = delete;
    Lease& operator=(const Lease&) = delete;
    SqlConnection* operator->() { return c_.get(); }
    SqlConnection& operator*() { return *c_; }

private:
    Database& db_;
    std::unique_ptr<SqlConnection> c_;
};

}  // namespace pelmora::server
