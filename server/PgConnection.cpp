#include "SqlConnection.h"

#include <libpq-fe.h>

#include <cstdlib>
#include <string>
#include <unordered_map>

namespace pelmora::server {

namespace {

// PostgreSQL through libpq. Parameters go as text, raw bytes as binary;
// results come back as text. A statement is parsed and planned once per
// connection (prepared on its first run): a score update's few statements
// then cost the database little more than their round trips.
class PgConnection final : public SqlConnection {
public:
    explicit PgConnection(const std::string& conninfo) : conn_(PQconnectdb(conninfo.c_str())) {
        if (!conn_ || PQstatus(conn_) != CONNECTION_OK) {
            const std::string message = conn_ ? PQerrorMessage(conn_) : "out of memory";
            PQfinish(conn_);
            throw SqlError("cannot connect to PostgreSQL: " + trimmed(message), false);
        }
        // Notices ("relation already exists, skipping") are not errors.
        PQsetNoticeProcessor(conn_, [](void*, const char*) {}, nullptr);
    }
    ~PgConnection() override { PQfinish(conn_); }

    SqlEngine engine() const override { return SqlEngine::Postgres; }

    SqlResult run(const char* sql, const std::vector<SqlParam>& params) override {
        std::vector<std::string> texts(params.size());
        std::vector<const char*> values(params.size(), nullptr);
        std::vector<int> lengths(params.size(), 0);
        std::vector<int> formats(params.size(), 0);
        for (std::size_t i = 0; i < params.size(); ++i) {
            if (auto* n = std::get_if<std::int64_t>(&params[i])) {
                texts[i] = std::to_string(*n);
                values[i] = texts[i].c_str();
            } else if (auto* t = std::get_if<std::string_view>(&params[i])) {
                texts[i] = std::string(*t);
                values[i] = texts[i].c_str();
            } else if (auto* b = std::get_if<SqlBlob>(&params[i])) {
                values[i] = b->bytes.data();
                lengths[i] = static_cast<int>(b->bytes.size());
                formats[i] = 1;
            }
        }
        const int count = static_cast<int>(params.size());
        const Statement& statement = prepared(sql, count);
        Result r(statement.name.empty()
                     ? PQexecParams(conn_, statement.text.c_str(), count, nullptr, values.data(), lengths.data(),
                                    formats.data(), 0)
                     : PQexecPrepared(conn_, statement.name.c_str(), count, values.data(), lengths.data(),
                                      formats.data(), 0));
        check(r.get());
        SqlResult out;
        const int rows = PQntuples(r.get());
        const int cols = PQnfields(r.get());
        out.rows.reserve(static_cast<std::size_t>(rows));
        for (int i = 0; i < rows; ++i) {
            SqlRow row;
            for (int c = 0; c < cols; ++c) {
                if (PQgetisnull(r.get(), i, c)) row.emplace_back();
                else row.emplace_back(std::string(PQgetvalue(r.get(), i, c),
                                                  static_cast<std::size_t>(PQgetlength(r.get(), i, c))));
            }
            out.rows.push_back(std::move(row));
        }
        out.changed = std::atoll(PQcmdTuples(r.get()));
        return out;
    }

    void script(const std::string& sql) override {
        Result r(PQexec(conn_, sql.c_str()));
        check(r.get());
    }
    void begin() override { script("BEGIN"); }
    void commit() override { script("COMMIT"); }
    void rollback() override { Result r(PQexec(conn_, "ROLLBACK")); }
    bool inTransaction() const override {
        const auto status = PQtransactionStatus(conn_);
        return status == PQTRANS_INTRANS || status == PQTRANS_INERROR;
    }
    bool usable() const override {
        return PQstatus(conn_) == CONNECTION_OK && PQtransactionStatus(conn_) == PQTRANS_IDLE;
    }

private:
    struct Result {
        explicit Result(PGresult* r) : r_(r) {}
        ~Result() { PQclear(r_); }
        Result(const Result&) = delete;
        Result& operator=(const Result&) = delete;
        PGresult* get() const { return r_; }
        PGresult* r_;
    };

    static std::string trimmed(std::string s) {
        while (!s.empty() && (s.back() == '\n' || s.back() == ' ')) s.pop_back();
        return s;
    }

    void check(PGresult* r) {
        const auto status = r ? PQresultStatus(r) : PGRES_FATAL_ERROR;
        if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) return;
        const char* state = r ? PQresultErrorField(r, PG_DIAG_SQLSTATE) : nullptr;
        const std::string message = r ? PQresultErrorMessage(r) : PQerrorMessage(conn_);
        throw SqlError("database: " + trimmed(message), state && std::string(state) == "23505");
    }

    struct Statement {
        std::string text;  // with PostgreSQL's $1 placeholders in place of ?1
        std::string name;  // of the prepared statement; empty: parsed on every run
    };

    // Statements a connection keeps prepared; any more run unprepared.
    static constexpr std::size_t MOST_PREPARED = 100;

    // The statement as PostgreSQL spells it, prepared on its first run.
    const Statement& prepared(const char* sql, int paramCount) {
        auto it = statements_.find(sql);
        if (it != statements_.end()) return it->second;
        Statement s{sql, {}};
        for (std::size_t i = 0; i + 1 < s.text.size(); ++i)
            if (s.text[i] == '?' && s.text[i + 1] >= '0' && s.text[i + 1] <= '9') s.text[i] = '$';
        if (statements_.size() < MOST_PREPARED) {
            std::string name = std::to_string(statements_.size());
            name.insert(name.begin(), 'p');
            Result r(PQprepare(conn_, name.c_str(), s.text.c_str(), paramCount, nullptr));
            check(r.get());
            s.name = name;
        }
        return statements_.emplace(sql, std::move(s)).first->second;
    }

    PGconn* conn_;
    // By text: the same words from another place are the same statement.
    std::unordered_map<std::string, Statement> statements_;
};

}  // namespace

std::unique_ptr<SqlConnection> openPostgres(const std::string& conninfo) {
    return std::make_unique<PgConnection>(conninfo);
}

}  // namespace pelmora::server
