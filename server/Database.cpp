#include "Database.h"

#include <sqlite3.h>

#include <chrono>
#include <stdexcept>
#include <string_view>
#include <unordered_map>

namespace pelmora::server {

namespace {

constexpr const char* SCHEMA = R"sql(
CREATE TABLE IF NOT EXISTS users (
    id            INTEGER PRIMARY KEY,
    name          TEXT    NOT NULL UNIQUE COLLATE NOCASE,
    email         TEXT    NOT NULL,
    password_hash TEXT    NOT NULL,
    px            INTEGER NOT NULL DEFAULT 0,
    yen           INTEGER NOT NULL DEFAULT 0,
    created       INTEGER NOT NULL,
    updated       INTEGER NOT NULL
);
CREATE INDEX IF NOT EXISTS users_by_standing ON users (px DESC, yen DESC);
CREATE TABLE IF NOT EXISTS sessions (
    id            TEXT    PRIMARY KEY,
    key           TEXT    NOT NULL,
    user_id       INTEGER REFERENCES users (id) ON DELETE SET NULL,
    token         TEXT    NOT NULL DEFAULT '',
    password_mac  TEXT    NOT NULL DEFAULT '',
    platform      TEXT    NOT NULL DEFAULT '',
    version       TEXT    NOT NULL DEFAULT '',
    build         INTEGER NOT NULL DEFAULT 0,
    created       INTEGER NOT NULL
);
CREATE TABLE IF NOT EXISTS crashes (
    id         INTEGER PRIMARY KEY,
    received   INTEGER NOT NULL,
    session_id TEXT    NOT NULL,
    user_name  TEXT    NOT NULL,
    platform   TEXT    NOT NULL,
    version    TEXT    NOT NULL,
    build      INTEGER NOT NULL,
    content    BLOB    NOT NULL
);
)sql";

std::int64_t now() {
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

}  // namespace

// A prepared statement kept for the life of the connection; reset after each use.
class Database::Statement {
public:
    Statement(Database& db, const char* sql) : db_(db.db_) {
        auto& cache = cacheFor(db);
        auto it = cache.find(sql);
        if (it == cache.end()) {
            sqlite3_stmt* stmt = nullptr;
            if (sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) != SQLITE_OK)
                fail("prepare");
            it = cache.emplace(sql, stmt).first;
        }
        stmt_ = it->second;
    }
    ~Statement() {
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
    }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& bind(int i, std::int64_t v) {
        check(sqlite3_bind_int64(stmt_, i, v));
        return *this;
    }
    Statement& bind(int i, std::string_view v) {
        check(sqlite3_bind_text(stmt_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT));
        return *this;
    }
    Statement& bindBlob(int i, std::string_view v) {
        check(sqlite3_bind_blob(stmt_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT));
        return *this;
    }
    Statement& bindNull(int i) {
        check(sqlite3_bind_null(stmt_, i));
        return *this;
    }

    // True while a row is available.
    bool step() {
        const int rc = sqlite3_step(stmt_);
        if (rc == SQLITE_ROW) return true;
        if (rc == SQLITE_DONE) return false;
        fail("step");
    }
    // Runs a change; false when it broke a UNIQUE constraint.
    bool run() {
        const int rc = sqlite3_step(stmt_);
        if (rc == SQLITE_DONE) return true;
        if (sqlite3_extended_errcode(db_) == SQLITE_CONSTRAINT_UNIQUE) return false;
        fail("step");
    }

    std::int64_t integer(int col) const { return sqlite3_column_int64(stmt_, col); }
    bool isNull(int col) const { return sqlite3_column_type(stmt_, col) == SQLITE_NULL; }
    std::string text(int col) const {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, col));
        return p ? std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, col))) : std::string();
    }

    static void finalizeAll(Database& db) {
        auto& cache = cacheFor(db);
        for (auto& [sql, stmt] : cache) sqlite3_finalize(stmt);
        cache.clear();
    }

private:
    static std::unordered_map<const char*, sqlite3_stmt*>& cacheFor(Database& db) { return db.statements_; }

    void check(int rc) {
        if (rc != SQLITE_OK) fail("bind");
    }
    [[noreturn]] void fail(const char* what) {
        throw std::runtime_error(std::string("database ") + what + ": " + sqlite3_errmsg(db_));
    }

    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
};

Database::Database(const std::filesystem::path& dir) {
    std::filesystem::create_directories(dir);
    const std::string file = (dir / "pelmora.sqlite").string();
    if (sqlite3_open_v2(file.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK) {
        const std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
        sqlite3_close(db_);
        throw std::runtime_error("cannot open " + file + ": " + message);
    }
    try {
        sqlite3_busy_timeout(db_, 5000);
        exec("PRAGMA journal_mode = WAL");
        exec("PRAGMA synchronous = NORMAL");
        exec("PRAGMA foreign_keys = ON");
        exec(SCHEMA);
    } catch (...) {
        sqlite3_close(db_);
        throw;
    }
}

Database::~Database() {
    Statement::finalizeAll(*this);
    sqlite3_close(db_);
}

void Database::exec(const char* sql) {
    char* error = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string message = error ? error : sqlite3_errmsg(db_);
        sqlite3_free(error);
        throw std::runtime_error("database: " + message);
    }
}

void Database::transaction(const auto& body) {
    exec("BEGIN IMMEDIATE");
    try {
        body();
        exec("COMMIT");
    } catch (...) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

Database::AddUser Database::addUser(const std::string& name, const std::string& email,
                                    const std::string& passwordHash) {
    std::lock_guard lock(mutex_);
    bool added = false;
    transaction([&] {
        const std::int64_t t = now();
        Statement st(*this,
                     "INSERT INTO users (name, email, password_hash, created, updated) VALUES (?1, ?2, ?3, ?4, ?4)");
        added = st.bind(1, name).bind(2, email).bind(3, passwordHash).bind(4, t).run();
    });
    return added ? AddUser::Added : AddUser::Duplicate;
}

std::optional<UserRow> Database::findUser(const std::string& name) {
    std::lock_guard lock(mutex_);
    Statement st(*this, "SELECT id, name, password_hash, px, yen FROM users WHERE name = ?1");
    st.bind(1, name);
    if (!st.step()) return std::nullopt;
    return UserRow{st.integer(0), st.text(1), st.text(2), st.integer(3), st.integer(4)};
}

std::optional<UserRow> Database::findUserById(std::int64_t id) {
    std::lock_guard lock(mutex_);
    Statement st(*this, "SELECT id, name, password_hash, px, yen FROM users WHERE id = ?1");
    st.bind(1, id);
    if (!st.step()) return std::nullopt;
    return UserRow{st.integer(0), st.text(1), st.text(2), st.integer(3), st.integer(4)};
}

bool Database::userExists(const std::string& name) {
    std::lock_guard lock(mutex_);
    Statement st(*this, "SELECT 1 FROM users WHERE name = ?1");
    return st.bind(1, name).step();
}

void Database::setTotals(std::int64_t userId, std::int64_t px, std::int64_t yen) {
    std::lock_guard lock(mutex_);
    transaction([&] {
        Statement st(*this, "UPDATE users SET px = ?2, yen = ?3, updated = ?4 WHERE id = ?1");
        st.bind(1, userId).bind(2, px).bind(3, yen).bind(4, now()).run();
    });
}

std::vector<Standing> Database::leaderboard(int limit) {
    std::lock_guard lock(mutex_);
    Statement st(*this, "SELECT name, px, yen FROM users ORDER BY px DESC, yen DESC, name LIMIT ?1");
    st.bind(1, std::int64_t{limit});
    std::vector<Standing> out;
    while (st.step()) out.push_back({st.text(0), st.integer(1), st.integer(2)});
    return out;
}

void Database::openSession(const SessionRow& s, const std::string& replacing) {
    std::lock_guard lock(mutex_);
    transaction([&] {
        std::optional<std::int64_t> userId;
        std::string token, mac;
        if (!replacing.empty()) {
            Statement old(*this, "SELECT user_id, token, password_mac FROM sessions WHERE id = ?1");
            if (old.bind(1, replacing).step() && !old.isNull(0)) {
                userId = old.integer(0);
                token = old.text(1);
                mac = old.text(2);
            }
        }
        if (!replacing.empty()) {
            Statement drop(*this, "DELETE FROM sessions WHERE id = ?1");
            drop.bind(1, replacing).run();
        }
        Statement st(*this,
                     "INSERT INTO sessions (id, key, user_id, token, password_mac, platform, version, build, created)"
                     " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)");
        st.bind(1, s.id).bind(2, s.key);
        if (userId) st.bind(3, *userId);
        else st.bindNull(3);
        st.bind(4, token).bind(5, mac).bind(6, s.platform).bind(7, s.version).bind(8, s.build).bind(9, now());
        if (!st.run()) throw std::runtime_error("database: session id already in use");
    });
}

std::optional<SessionRow> Database::findSession(const std::string& id) {
    std::lock_guard lock(mutex_);
    Statement st(*this,
                 "SELECT id, key, user_id, token, password_mac, platform, version, build FROM sessions WHERE id = ?1");
    if (!st.bind(1, id).step()) return std::nullopt;
    SessionRow s;
    s.id = st.text(0);
    s.key = st.text(1);
    if (!st.isNull(2)) s.userId = st.integer(2);
    s.token = st.text(3);
    s.passwordMac = st.text(4);
    s.platform = st.text(5);
    s.version = st.text(6);
    s.build = st.integer(7);
    return s;
}

void Database::logIn(const std::string& sessionId, std::int64_t userId, const std::string& token,
                     const std::string& passwordMac) {
    std::lock_guard lock(mutex_);
    transaction([&] {
        Statement st(*this, "UPDATE sessions SET user_id = ?2, token = ?3, password_mac = ?4 WHERE id = ?1");
        st.bind(1, sessionId).bind(2, userId).bind(3, token).bind(4, passwordMac).run();
    });
}

void Database::logOut(const std::string& sessionId) {
    std::lock_guard lock(mutex_);
    transaction([&] {
        Statement st(*this, "UPDATE sessions SET user_id = NULL, token = '', password_mac = '' WHERE id = ?1");
        st.bind(1, sessionId).run();
    });
}

void Database::dropSessionsBefore(std::int64_t time) {
    std::lock_guard lock(mutex_);
    transaction([&] {
        Statement st(*this, "DELETE FROM sessions WHERE created < ?1");
        st.bind(1, time).run();
    });
}

void Database::addCrash(const CrashRecord& c) {
    std::lock_guard lock(mutex_);
    transaction([&] {
        Statement st(*this,
                     "INSERT INTO crashes (received, session_id, user_name, platform, version, build, content)"
                     " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)");
        st.bind(1, now()).bind(2, c.sessionId).bind(3, c.userName).bind(4, c.platform).bind(5, c.version);
        st.bind(6, c.build).bindBlob(7, c.content).run();
    });
}

std::int64_t Database::crashCount() {
    std::lock_guard lock(mutex_);
    Statement st(*this, "SELECT COUNT(*) FROM crashes");
    return st.step() ? st.integer(0) : 0;
}

}  // namespace pelmora::server
