#include "Schema.h"

#include <iterator>

#include "Database.h"

namespace pelmora::server {

namespace {

// Each step takes the schema from the version before it to its own number.
// Version 1 is the layout of the first service, so its files are migrated too.
const char* const SQLITE_FIRST = R"sql(
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

const char* const POSTGRES_FIRST = R"sql(
CREATE TABLE users (
    id            BIGSERIAL PRIMARY KEY,
    name          TEXT   NOT NULL,
    email         TEXT   NOT NULL,
    password_hash TEXT   NOT NULL,
    px            BIGINT NOT NULL DEFAULT 0,
    yen           BIGINT NOT NULL DEFAULT 0,
    created       BIGINT NOT NULL,
    updated       BIGINT NOT NULL
);
CREATE UNIQUE INDEX users_by_name ON users (lower(name));
CREATE INDEX users_by_standing ON users (px DESC, yen DESC);
CREATE TABLE sessions (
    id            TEXT   PRIMARY KEY,
    key           TEXT   NOT NULL,
    user_id       BIGINT REFERENCES users (id) ON DELETE SET NULL,
    token         TEXT   NOT NULL DEFAULT '',
    password_mac  TEXT   NOT NULL DEFAULT '',
    platform      TEXT   NOT NULL DEFAULT '',
    version       TEXT   NOT NULL DEFAULT '',
    build         BIGINT NOT NULL DEFAULT 0,
    created       BIGINT NOT NULL
);
CREATE TABLE crashes (
    id         BIGSERIAL PRIMARY KEY,
    received   BIGINT NOT NULL,
    session_id TEXT   NOT NULL,
    user_name  TEXT   NOT NULL,
    platform   TEXT   NOT NULL,
    version    TEXT   NOT NULL,
    build      BIGINT NOT NULL,
    content    BYTEA  NOT NULL
);
)sql";

// Sessions keep no id, key or token in clear (the old ones cannot be
// converted and are dropped); crash records keep the sender's address
// instead of its session; rate-limit counters and shared settings.
// BIGINT has integer affinity in SQLite, so one text serves both engines.
const char* const SHARED_STEPS[] = {R"sql(
DROP TABLE sessions;
CREATE TABLE sessions (
    id_hash       TEXT   PRIMARY KEY,
    key_box       TEXT   NOT NULL,
    user_id       BIGINT REFERENCES users (id) ON DELETE SET NULL,
    login_nonce   TEXT   NOT NULL DEFAULT '',
    token_hash    TEXT   NOT NULL DEFAULT '',
    password_mac  TEXT   NOT NULL DEFAULT '',
    platform      TEXT   NOT NULL DEFAULT '',
    version       TEXT   NOT NULL DEFAULT '',
    build         BIGINT NOT NULL DEFAULT 0,
    created       BIGINT NOT NULL,
    seen          BIGINT NOT NULL
);
CREATE INDEX sessions_by_seen ON sessions (seen);
CREATE INDEX sessions_by_created ON sessions (created);
ALTER TABLE crashes DROP COLUMN session_id;
ALTER TABLE crashes ADD COLUMN address TEXT NOT NULL DEFAULT '';
CREATE TABLE counters (
    name  TEXT   NOT NULL,
    slot  BIGINT NOT NULL,
    count BIGINT NOT NULL,
    PRIMARY KEY (name, slot)
);
CREATE TABLE settings (
    name  TEXT PRIMARY KEY,
    value TEXT NOT NULL
);
)sql",
// The ranking's order in full (names break ties), so that a page is read
// from the index in order and a rank is one count over a range of it.
R"sql(
DROP INDEX IF EXISTS users_by_standing;
CREATE INDEX users_by_rank ON users (px DESC, yen DESC, name);
)sql"};

static_assert(std::size(SHARED_STEPS) + 1 == SCHEMA_VERSION);

}  // namespace

const char* schemaStep(SqlEngine engine, int step) {
    if (step == 0) return engine == SqlEngine::Sqlite ? SQLITE_FIRST : POSTGRES_FIRST;
    return SHARED_STEPS[step - 1];
}

}  // namespace pelmora::server
