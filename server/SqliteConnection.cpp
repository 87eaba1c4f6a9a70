#include "SqlConnection.h"

#include <sqlite3.h>

#include <charconv>
#include <unordered_map>

namespace pelmora::server {

std::int64_t SqlResult::integer(std::size_t row, std::size_t col) const {
    const auto& v = rows.at(row).at(col);
    std::int64_t out = 0;
    if (v) std::from_chars(v->data(), v->data() + v->size(), out);
    return out;
}

std::string SqlResult::text(std::size_t row, std::size_t col) const { return rows.at(row).at(col).value_or(""); }

namespace {

// SQLite in WAL mode: readers never wait for the writer; writers wait for
// each other up to the busy time-out.
class SqliteConnection final : public SqlConnection {
public:
    explicit SqliteConnection(const std::string& file) {
        if (sqlite3_open_v2(file.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                            nullptr) != SQLITE_OK) {
            const std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
            sqlite3_close(db_);
            throw SqlError("cannot open " + file + ": " + message, false);
        }
        try {
            sqlite3_busy_timeout(db_, 10000);
            // Checkpoints (which wait for the disk) are the Database's
            // background work, not a cost of whichever change fills the log.
            script("PRAGMA journal_mode = WAL; PRAGMA synchronous = NORMAL; PRAGMA foreign_keys = ON;"
                   " PRAGMA wal_autocheckpoint = 0; PRAGMA journal_size_limit = 16777216;");
        } catch (...) {
            sqlite3_close(db_);
            throw;
        }
    }
    ~SqliteConnection() override {
        for (auto& [sql, stmt] : statements_) sqlite3_finalize(stmt);
        sqlite3_close(db_);
    }

    SqlEngine engine() const override { return SqlEngine::Sqlite; }

    SqlResult run(const char* sql, const std::vector<SqlParam>& params) override {
        sqlite3_stmt* stmt = prepared(sql);
        struct Reset {
            sqlite3_stmt* s;
            ~Reset() {
                sqlite3_reset(s);
                sqlite3_clear_bindings(s);
            }
        } reset{stmt};
        for (std::size_t i = 0; i < params.size(); ++i) {
            const int at = static_cast<int>(i + 1);
            int rc = SQLITE_OK;
            if (auto* n = std::get_if<std::int64_t>(&params[i])) rc = sqlite3_bind_int64(stmt, at, *n);
            else if (auto* t = std::get_if<std::string_view>(&params[i]))
                rc = sqlite3_bind_text(stmt, at, t->data(), static_cast<int>(t->size()), SQLITE_TRANSIENT);
            else if (auto* b = std::get_if<SqlBlob>(&params[i]))
                rc = sqlite3_bind_blob(stmt, at, b->bytes.data(), static_cast<int>(b->bytes.size()), SQLITE_TRANSIENT);
            else rc = sqlite3_bind_null(stmt, at);
            if (rc != SQLITE_OK) fail("bind");
        }
        SqlResult result;
        for (;;) {
            const int rc = sqlite3_step(stmt);
            if (rc == SQLITE_DONE) break;
            if (rc != SQLITE_ROW) fail("step");
            SqlRow row;
            for (int c = 0, n = sqlite3_column_count(stmt); c < n; ++c) {
                if (sqlite3_column_type(stmt, c) == SQLITE_NULL) {
                    row.emplace_back();
                } else {
                    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
                    row.emplace_back(std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(stmt, c))));
                }
            }
            result.rows.push_back(std::move(row));
        }
        result.changed = sqlite3_changes(db_);
        return result;
    }

    void script(const std::string& sql) override {
        char* error = nullptr;
        if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
            const std::string message = error ? error : sqlite3_errmsg(db_);
            sqlite3_free(error);
            throw SqlError("database: " + message, false);
        }
    }
    void begin() override { script("BEGIN IMMEDIATE"); }
    void commit() override { script("COMMIT"); }
    void rollback() override { sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr); }
    bool inTransaction() const override { return sqlite3_get_autocommit(db_) == 0; }

private:
    sqlite3_stmt* prepared(const char* sql) {
        auto it = statements_.find(sql);
        if (it != statements_.end()) return it->second;
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) != SQLITE_OK) fail("prepare");
        return statements_.emplace(sql, stmt).first->second;
    }
    [[noreturn]] void fail(const char* what) {
        const bool unique = sqlite3_extended_errcode(db_) == SQLITE_CONSTRAINT_UNIQUE ||
                            sqlite3_extended_errcode(db_) == SQLITE_CONSTRAINT_PRIMARYKEY;
        throw SqlError(std::string("database ") + what + ": " + sqlite3_errmsg(db_), unique);
    }

    sqlite3* db_ = nullptr;
    // Prepared statements by their SQL text's address (string literals).
    std::unordered_map<const char*, sqlite3_stmt*> statements_;
};

}  // namespace

std::unique_ptr<SqlConnection> openSqlite(const std::string& file) { return std::make_unique<SqliteConnection>(file); }

}  // namespace pelmora::server
