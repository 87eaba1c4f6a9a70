#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace pelmora::server {

// A value bound to a statement: NULL, an integer, text or raw bytes.
struct SqlBlob {
    std::string_view bytes;
};
using SqlParam = std::variant<std::nullptr_t, std::int64_t, std::string_view, SqlBlob>;

// One result row; a NULL column is nothing, every other column its text.
using SqlRow = std::vector<std::optional<std::string>>;

struct SqlResult {
    std::vector<SqlRow> rows;
    std::int64_t changed = 0;  // rows changed by an INSERT, UPDATE or DELETE

    std::int64_t integer(std::size_t row = 0, std::size_t col = 0) const;
    std::string text(std::size_t row = 0, std::size_t col = 0) const;
    bool isNull(std::size_t row, std::size_t col) const { return !rows.at(row).at(col); }
};

class SqlError : public std::runtime_error {
public:
    SqlError(const std::string& message, bool uniqueViolation)
        : std::runtime_error(message), uniqueViolation_(uniqueViolation) {}
    bool uniqueViolation() const { return uniqueViolation_; }

private:
    bool uniqueViolation_;
};

enum class SqlEngine { Sqlite, Postgres };

// One connection to the service's database. Statements use ?1, ?2 ...
// placeholders in both engines. Used by one thread at a time.
class SqlConnection {
public:
    virtual ~SqlConnection() = default;
    virtual SqlEngine engine() const = 0;
    // Runs one statement. Throws SqlError.
    virtual SqlResult run(const char* sql, const std::vector<SqlParam>& params = {}) = 0;
    // Runs several statements without parameters.
    virtual void script(const std::string& sql) = 0;
    // A transaction that takes the write lock at once (SQLite) or a plain one.
    virtual void begin() = 0;
    virtual void commit() = 0;
    virtual void rollback() = 0;
    // Whether a transaction is open (an error may have ended it).
    virtual bool inTransaction() const = 0;
    // False once the connection is lost; the pool then opens a new one.
    virtual bool usable() const { return true; }
};

std::unique_ptr<SqlConnection> openSqlite(const std::string& file);
// conninfo is a libpq connection string or postgresql:// address.
std::unique_ptr<SqlConnection> openPostgres(const std::string& conninfo);

}  // namespace pelmora::server
