#pragma once

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace pelmora::server {

struct UserRow {
    std::int64_t id = 0;
    std::string name;
    std::string passwordHash;
    std::int64_t px = 0;
    std::int64_t yen = 0;
};

struct SessionRow {
    std::string id;
    std::string key;
    std::optional<std::int64_t> userId;
    std::string token;        // empty while nobody is logged in
    std::string passwordMac;  // keyed hash of the password given at login
    std::string platform;
    std::string version;
    std::int64_t build = 0;
};

struct Standing {
    std::string name;
    std::int64_t px = 0;
    std::int64_t yen = 0;
};

struct CrashRecord {
    std::string sessionId;
    std::string userName;  // as sent, not checked
    std::string platform;
    std::string version;
    std::int64_t build = 0;
    std::string content;
};

// The service's storage: users with their totals, sessions and crash records,
// in one SQLite file (WAL). Every change runs in its own transaction. Safe to
// use from several threads: calls are serialised on one connection.
class Database {
public:
    // Opens or creates "pelmora.sqlite" in dir (created if needed).
    // Throws std::runtime_error when that fails.
    explicit Database(const std::filesystem::path& dir);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    enum class AddUser { Added, Duplicate };
    AddUser addUser(const std::string& name, const std::string& email, const std::string& passwordHash);
    // Names compare without regard to ASCII letter case.
    std::optional<UserRow> findUser(const std::string& name);
    std::optional<UserRow> findUserById(std::int64_t id);
    bool userExists(const std::string& name);
    void setTotals(std::int64_t userId, std::int64_t px, std::int64_t yen);
    // Best players first: most experience points, then most yen, then name.
    std::vector<Standing> leaderboard(int limit);

    // Stores a new session. When replacing names an existing session, the
    // new one takes over its login and the old one is removed, atomically.
    void openSession(const SessionRow& session, const std::string& replacing);
    std::optional<SessionRow> findSession(const std::string& id);
    void logIn(const std::string& sessionId, std::int64_t userId, const std::string& token,
               const std::string& passwordMac);
    void logOut(const std::string& sessionId);
    // Removes sessions created before the given time (seconds since the epoch).
    void dropSessionsBefore(std::int64_t time);

    void addCrash(const CrashRecord& crash);
    std::int64_t crashCount();

private:
    class Statement;
    void exec(const char* sql);
    void transaction(const auto& body);

    std::mutex mutex_;
    sqlite3* db_ = nullptr;
    // Prepared statements by their SQL text's address (string literals).
    std::unordered_map<const char*, sqlite3_stmt*> statements_;
};

}  // namespace pelmora::server
