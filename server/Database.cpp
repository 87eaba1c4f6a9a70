#include "Database.h"

#include "Schema.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>

namespace pelmora::server {

namespace {


// The write-ahead log's size beyond which it is started over.
constexpr std::uintmax_t WAL_RESTART_BYTES = 16u << 20;

std::int64_t now() {
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

std::string fromHex(std::string_view hex) {
    auto digit = [](char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; };
    std::string out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        out += static_cast<char>(digit(hex[i]) << 4 | digit(hex[i + 1]));
    return out;
}

UserRow userOf(const SqlResult& r) {
    return UserRow{r.integer(0, 0), r.text(0, 1), r.text(0, 2), r.integer(0, 3), r.integer(0, 4)};
}

}  // namespace

Database::Database(const DatabaseTarget& target)
    : target_(target),
      engine_(target.postgres.empty() ? SqlEngine::Sqlite : SqlEngine::Postgres),
      commits_([this](const std::function<void(SqlConnection&)>& use) { use(*lease()); }),
      scores_([this](const std::vector<ScoreBatch::Raise>& raises) { return storeScores(raises); }) {
    if (target_.connections == 0) target_.connections = 1;
    if (engine_ == SqlEngine::Sqlite) {
        std::filesystem::create_directories(target_.sqliteDir);
        sqliteFile_ = (target_.sqliteDir / "pelmora.sqlite").string();
    }
    migrate();
    if (engine_ == SqlEngine::Sqlite) checkpointer_ = std::thread([this] { checkpointLoop(); });
    else openPool();
}

void Database::openPool() {
    // A PostgreSQL connection starts a server process of its own: opened on
    // demand, the first burst of requests after a start each waited for one.
    // All are opened now.
    std::vector<std::unique_ptr<SqlConnection>> opened;
    while (opened.size() + open_ < target_.connections) opened.push_back(connect());
    // An empty batch: the statement is prepared and what it reads of the
    // catalogue loaded before the first update waits for them (about 40 ms).
    storeScores({});
    std::lock_guard lock(mutex_);
    open_ += opened.size();
    for (auto& c : opened) idle_.push_back(std::move(c));
}

Database::~Database() {
    if (checkpointer_.joinable()) {
        {
            std::lock_guard lock(checkpointMutex_);
            closing_ = true;
        }
        checkpointWake_.notify_all();
        checkpointer_.join();
    }
}

void Database::checkpointLoop() {
    std::unique_lock lock(checkpointMutex_);
    while (!checkpointWake_.wait_for(lock, std::chrono::seconds(1), [&] { return closing_; })) {
        try {
            auto c = lease();
            // Passive: copies what it can without holding up readers or writers.
            c->script("PRAGMA wal_checkpoint(PASSIVE)");
            // Under steady load some change is always newer than the copy, so
            // the log never starts over: it grew by 90 MB in a 7-second burst
            // of score updates, and every page lookup in it gets slower. Past a
            // size, a restarting checkpoint holds writers back while it copies
            // the little that is left, and the next change starts the log anew.
            std::error_code ec;
            if (std::filesystem::file_size(sqliteFile_ + "-wal", ec) > WAL_RESTART_BYTES && !ec)
                c->script("PRAGMA wal_checkpoint(RESTART)");
        } catch (const std::exception&) {
            // The next round tries again.
        }
    }
    try {
        lease()->script("PRAGMA wal_checkpoint(TRUNCATE)");
    } catch (const std::exception&) {
    }
}

std::unique_ptr<SqlConnection> Database::connect() {
    return engine_ == SqlEngine::Sqlite ? openSqlite(sqliteFile_) : openPostgres(target_.postgres);
}

Database::Lease Database::lease() {
    std::unique_lock lock(mutex_);
    available_.wait(lock, [&] { return !idle_.empty() || open_ < target_.connections; });
    if (!idle_.empty()) {
        auto c = std::move(idle_.back());
        idle_.pop_back();
        return Lease(*this, std::move(c));
    }
    ++open_;
    lock.unlock();
    try {
        return Lease(*this, connect());
    } catch (...) {
        lock.lock();
        --open_;
        available_.notify_one();
        throw;
    }
}

void Database::change(const GroupCommit::Change& body, bool severalStatements) {
    if (engine_ == SqlEngine::Sqlite) return commits_.apply(body, severalStatements);
    auto c = lease();
    if (severalStatements) transaction(*c, [&] { body(*c); });
    else body(*c);
}

void Database::release(std::unique_ptr<SqlConnection> c) {
    std::lock_guard lock(mutex_);
    if (!c) return;  // taken over by another lease
    if (c->usable()) idle_.push_back(std::move(c));
    else --open_;
    available_.notify_one();
}

void Database::transaction(SqlConnection& c, const std::function<void()>& body) {
    c.begin();
    try {
        body();
        c.commit();
    } catch (...) {
        c.rollback();
        throw;
    }
}

void Database::migrate() {
    auto c = lease();
    transaction(*c, [&] {
        // One process migrates at a time; the others then find the work done.
        if (engine_ == SqlEngine::Postgres) c->run("SELECT pg_advisory_xact_lock(7406134)");
        c->script("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)");
        const auto found = c->run("SELECT MAX(version) FROM schema_version");
        const int version = found.isNull(0, 0) ? 0 : static_cast<int>(found.integer());
        if (version > SCHEMA_VERSION)
            throw std::runtime_error("the database has schema version " + std::to_string(version) +
                                     ", newer than this pelmora-server knows (" + std::to_string(SCHEMA_VERSION) +
                                     "); run a newer pelmora-server");
        for (int v = version; v < SCHEMA_VERSION; ++v)
            c->script(schemaStep(engine_, v));
        if (version != SCHEMA_VERSION) {
            c->run("DELETE FROM schema_version");
            c->run("INSERT INTO schema_version (version) VALUES (?1)", {std::int64_t{SCHEMA_VERSION}});
        }
    });
}

int Database::schemaVersion() {
    return static_cast<int>(lease()->run("SELECT MAX(version) FROM schema_version").integer());
}

Database::AddUser Database::addUser(const std::string& name, const std::string& email,
                                    const std::string& passwordHash) {
    try {
        change([&](SqlConnection& c) {
            c.run("INSERT INTO users (name, email, password_hash, created, updated) VALUES (?1, ?2, ?3, ?4, ?4)",
                  {name, email, passwordHash, now()});
        });
        ++standingsVersion_;
        return AddUser::Added;
    } catch (const SqlError& e) {
        if (e.uniqueViolation()) return AddUser::Duplicate;
        throw;
    }
}

std::optional<UserRow> Database::findUser(const std::string& name) {
    const auto r = lease()->run(sql("SELECT id, name, password_hash, px, yen FROM users WHERE name = ?1",
                                    "SELECT id, name, password_hash, px, yen FROM users WHERE lower(name) = lower(?1)"),
                                {name});
    if (r.rows.empty()) return std::nullopt;
    return userOf(r);
}

bool Database::userExists(const std::string& name) { return findUser(name).has_value(); }

bool Database::raiseTotals(std::int64_t userId, std::int64_t px, std::int64_t yen,
                           const std::optional<SessionLogin>& login) {
    if (engine_ == SqlEngine::Postgres) {
        const bool raised = scores_.apply({userId, px, yen, login ? login->idHash : "", login ? login->nonce : ""});
        if (raised) ++standingsVersion_;
        return raised;
    }
    // One statement: the comparison, the login's check and the change cannot
    // be split by another writer.
    std::int64_t changed = 0;
    change([&](SqlConnection& c) {
        if (!login) {
            changed = c.run("UPDATE users SET px = ?2, yen = ?3, updated = ?4 WHERE id = ?1 AND px <= ?2",
                            {userId, px, yen, now()})
                          .changed;
            return;
        }
        changed = c.run("UPDATE users SET px = ?2, yen = ?3, updated = ?4 WHERE id = ?1 AND px <= ?2 AND EXISTS"
                        " (SELECT 1 FROM sessions WHERE id_hash = ?5 AND user_id = ?1 AND login_nonce = ?6)",
                        {userId, px, yen, now(), login->idHash, login->nonce})
                      .changed;
    });
    if (changed == 1) ++standingsVersion_;
    return changed == 1;
}

std::vector<std::int64_t> Database::storeScores(const std::vector<ScoreBatch::Raise>& raises) {
    // Arrays as PostgreSQL writes them: {1,2,3} and {"a",NULL}. Ids and
    // nonces are hex, needing no escapes.
    std::string ids = "{", pxs = "{", yens = "{", sessions = "{", nonces = "{";
    auto add = [](std::string& array, std::string_view item, bool quoted) {
        if (array.size() > 1) array += ',';
        if (quoted) array += '"';
        array += item;
        if (quoted) array += '"';
    };
    for (const auto& r : raises) {
        const bool checked = !r.session.empty();
        add(ids, std::to_string(r.userId), false);
        add(pxs, std::to_string(r.px), false);
        add(yens, std::to_string(r.yen), false);
        add(sessions, checked ? r.session : "NULL", checked);
        add(nonces, checked ? r.nonce : "NULL", checked);
    }
    for (std::string* a : {&ids, &pxs, &yens, &sessions, &nonces}) *a += '}';
    // As raiseTotals' single statement, for each user once: the comparison,
    // the login's check and the change cannot be split by another writer.
    if (!scoreConnection_ || !scoreConnection_->usable()) scoreConnection_ = connect();
    const auto r = scoreConnection_->run("UPDATE users AS u SET px = v.px, yen = v.yen, updated = ?6"
                                         " FROM unnest(CAST(?1 AS BIGINT[]), CAST(?2 AS BIGINT[]), CAST(?3 AS BIGINT[]),"
                                         " CAST(?4 AS TEXT[]), CAST(?5 AS TEXT[])) AS v(id, px, yen, session, nonce)"
                                         " WHERE u.id = v.id AND u.px <= v.px AND (v.session IS NULL OR EXISTS"
                                         " (SELECT 1 FROM sessions AS s WHERE s.id_hash = v.session AND s.user_id = v.id"
                                         " AND s.login_nonce = v.nonce)) RETURNING u.id",
                                         {ids, pxs, yens, sessions, nonces, now()});
    std::vector<std::int64_t> changed;
    for (std::size_t i = 0; i < r.rows.size(); ++i) changed.push_back(r.integer(i));
    return changed;
}

void Database::openSession(const SessionRow& s) {
    change([&](SqlConnection& c) {
        c.run("INSERT INTO sessions (id_hash, key_box, platform, version, build, created, seen)"
              " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?6)",
              {s.idHash, s.keyBox, s.platform, s.version, s.build, s.created});
    });
}

std::optional<SessionRow> Database::findSession(const std::string& idHash) {
    // With its user: a request on a session mostly acts for that user, who
    // then needs no statement of its own.
    const auto r = lease()->run("SELECT s.id_hash, s.key_box, s.user_id, s.login_nonce, s.token_hash, s.password_mac,"
                                " s.platform, s.version, s.build, s.created, s.seen,"
                                " u.id, u.name, u.password_hash, u.px, u.yen"
                                " FROM sessions s LEFT JOIN users u ON u.id = s.user_id WHERE s.id_hash = ?1",
                                {idHash});
    if (r.rows.empty()) return std::nullopt;
    SessionRow s;
    s.idHash = r.text(0, 0);
    s.keyBox = r.text(0, 1);
    if (!r.isNull(0, 2)) s.userId = r.integer(0, 2);
    s.loginNonce = r.text(0, 3);
    s.tokenHash = r.text(0, 4);
    s.passwordMac = r.text(0, 5);
    s.platform = r.text(0, 6);
    s.version = r.text(0, 7);
    s.build = r.integer(0, 8);
    s.created = r.integer(0, 9);
    s.seen = r.integer(0, 10);
    if (!r.isNull(0, 11))
        s.user = UserRow{r.integer(0, 11), r.text(0, 12), r.text(0, 13), r.integer(0, 14), r.integer(0, 15)};
    return s;
}

void Database::touchSession(const std::string& idHash, std::int64_t time) {
    change([&](SqlConnection& c) { c.run("UPDATE sessions SET seen = ?2 WHERE id_hash = ?1", {idHash, time}); });
}

void Database::logIn(const std::string& idHash, std::int64_t userId, const std::string& loginNonce,
                     const std::string& tokenHash, const std::string& passwordMac) {
    change([&](SqlConnection& c) {
        c.run("UPDATE sessions SET user_id = ?2, login_nonce = ?3, token_hash = ?4, password_mac = ?5"
              " WHERE id_hash = ?1",
              {idHash, userId, loginNonce, tokenHash, passwordMac});
    });
}

void Database::logOut(const std::string& idHash) {
    change([&](SqlConnection& c) {
        c.run("UPDATE sessions SET user_id = NULL, login_nonce = '', token_hash = '', password_mac = ''"
              " WHERE id_hash = ?1",
              {idHash});
    });
}

std::int64_t Database::purgeSessions(std::int64_t idleBefore, std::int64_t createdBefore) {
    std::int64_t removed = 0;
    change(
        [&](SqlConnection& c) {
            removed = c.run("DELETE FROM sessions WHERE seen < ?1", {idleBefore}).changed +
                      c.run("DELETE FROM sessions WHERE created < ?1", {createdBefore}).changed;
        },
        true);
    return removed;
}

std::int64_t Database::sessionCount() { return lease()->run("SELECT COUNT(*) FROM sessions").integer(); }

void Database::addCrash(const CrashRecord& cr, std::int64_t keep) {
    change(
        [&](SqlConnection& c) {
            c.run("INSERT INTO crashes (received, address, user_name, platform, version, build, content)"
                  " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)",
                  {now(), cr.address, cr.userName, cr.platform, cr.version, cr.build, SqlBlob{cr.content}});
            c.run("DELETE FROM crashes WHERE id <= (SELECT id FROM crashes ORDER BY id DESC LIMIT 1 OFFSET ?1)",
                  {keep});
        },
        true);
}

std::int64_t Database::crashCount() { return lease()->run("SELECT COUNT(*) FROM crashes").integer(); }

std::vector<CrashRecord> Database::crashes() {
    const auto r = lease()->run(
        sql("SELECT address, user_name, platform, version, build, content FROM crashes ORDER BY id",
            "SELECT address, user_name, platform, version, build, encode(content, 'hex') FROM crashes ORDER BY id"));
    std::vector<CrashRecord> out;
    for (std::size_t i = 0; i < r.rows.size(); ++i) {
        std::string content = r.text(i, 5);
        if (engine_ == SqlEngine::Postgres) content = fromHex(content);
        out.push_back({r.text(i, 0), r.text(i, 1), r.text(i, 2), r.text(i, 3), r.integer(i, 4), std::move(content)});
    }
    return out;
}

std::int64_t Database::bumpCounter(const std::string& name, std::int64_t slot) {
    std::int64_t count = 0;
    change([&](SqlConnection& c) {
        count = c.run("INSERT INTO counters (name, slot, count) VALUES (?1, ?2, 1)"
                      " ON CONFLICT (name, slot) DO UPDATE SET count = counters.count + 1 RETURNING count",
                      {name, slot})
                    .integer();
    });
    return count;
}

std::int64_t Database::counter(const std::string& name, std::int64_t slot) {
    const auto r = lease()->run("SELECT count FROM counters WHERE name = ?1 AND slot = ?2", {name, slot});
    return r.rows.empty() ? 0 : r.integer();
}

void Database::clearCounter(const std::string& name) {
    change([&](SqlConnection& c) { c.run("DELETE FROM counters WHERE name = ?1", {name}); });
}

void Database::purgeCounters(std::int64_t slotBefore) {
    change([&](SqlConnection& c) { c.run("DELETE FROM counters WHERE slot < ?1", {slotBefore}); });
}

std::string Database::setting(const std::string& name, const std::string& valueIfAbsent) {
    change([&](SqlConnection& c) {
        c.run("INSERT INTO settings (name, value) VALUES (?1, ?2) ON CONFLICT (name) DO NOTHING", {name, valueIfAbsent});
    });
    return lease()->run("SELECT value FROM settings WHERE name = ?1", {name}).text();
}

}  // namespace pelmora::server
