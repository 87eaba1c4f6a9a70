#include "Service.h"

#include "AccountRules.h"
#include "SessionSecrets.h"
#include "scramble/Protocol.h"

#include <sodium.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iostream>
#include <iterator>
#include <stdexcept>
#include <thread>

namespace pelmora::server {

namespace sc = pelmora::scramble;

namespace {

constexpr const char* REASON_STALE_SCORE = "stale score";
constexpr const char* REASON_TOO_MANY_CRASHES = "too many crash records";

std::string hexOf(const unsigned char* data, std::size_t size) { return sc::toHex(sc::ByteView(data, size)); }

// Texts the client chooses freely, stored for people to read: printable
// ASCII (and line breaks) only, and not too long.
std::string readable(std::string_view text, std::size_t limit = 64) {
    std::string out(text.substr(0, limit));
    for (auto& c : out)
        if (!((c >= 0x20 && c < 0x7F) || c == '\n' || c == '\r' || c == '\t')) c = '?';
    return out;
}

std::string readWholeFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string failed(const char* reason) { return std::string(sc::REPLY_FAILED) + ";" + reason; }

// A decimal integer: optional "-", then 1 to 18 digits and nothing else.
std::optional<std::int64_t> parseTotal(std::string_view text) {
    const bool negative = !text.empty() && text.front() == '-';
    if (negative) text.remove_prefix(1);
    if (text.empty() || text.size() > 18) return std::nullopt;
    std::int64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + (c - '0');
    }
    return negative ? -v : v;
}

std::string joinFields(const std::vector<std::string>& fields, std::size_t from, std::size_t to) {
    std::string out;
    for (std::size_t i = from; i < to; ++i) {
        if (i > from) out += ';';
        out += fields[i];
    }
    return out;
}

std::string lowered(std::string text) {
    for (auto& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::int64_t unixNow() {
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

HttpReply badRequest(std::string message) { return {400, std::move(message) + "\n"}; }

std::ptrdiff_t hashesAtOnce() { return std::clamp<std::ptrdiff_t>(std::thread::hardware_concurrency(), 2, 16); }

}  // namespace

Service::Service(ServiceConfig config, Database& db)
    : config_(std::move(config)), db_(db), hashing_(hashesAtOnce()) {
    if (sodium_init() < 0) throw std::runtime_error("libsodium cannot start");
    const auto key = sc::parseHex(db_.setting("password-mac-key", randomHex(macKey_.size())));
    if (!key || key->size() != macKey_.size()) throw std::runtime_error("database: damaged password-mac-key setting");
    std::copy(key->begin(), key->end(), macKey_.begin());
}

HttpReply Service::handle(std::string_view script, const std::string& sessionId, std::string_view body,
                          const std::string& client) {
    try {
        if (script == sc::SCRIPT_HANDSHAKE) return handshake(body);

        static const std::vector<std::string> scripts = sc::serviceScripts();
        if (std::find(scripts.begin(), scripts.end(), script) == scripts.end()) return {404, "no such script\n"};

        const bool scoring = script == sc::commandScript(sc::COMMAND_SCORE);
        auto session = liveSession(sessionId, scoring);
        if (!session) return {403, "unknown session\n"};
        const std::string keyText = session->key;
        const sc::ByteView key = sc::bytesOf(keyText);
        const auto text = sc::openRequestBody(body, key);
        if (!text) return badRequest("undecodable request");

        std::string reply;
        if (script == sc::SCRIPT_LOGGED) {
            reply = logged(*session);
        } else if (script == sc::SCRIPT_LOGIN) {
            reply = login(*session, *text, client);
        } else {
            // Commands carry the client's user name and password in front.
            const auto fields = sc::splitFields(*text);
            if (fields.size() < 2) return badRequest("missing user fields");
            if (script == sc::commandScript(sc::COMMAND_REGISTER)) reply = registerUser(fields);
            else if (scoring) {
                auto quick = session->cached ? quickScore(*session, fields) : std::nullopt;
                if (!quick && session->cached) session = liveSession(sessionId);
                if (!session) return {403, "unknown session\n"};
                reply = quick ? *quick : score(*session, fields, client);
            }
            else if (script == sc::commandScript(sc::COMMAND_LEVELS)) reply = readWholeFile(config_.levelsFile);
            else if (script == sc::commandScript(sc::COMMAND_INGREDIENTS)) reply = readWholeFile(config_.ingredientsFile);
            else reply = crashLog(*session, fields, client);
        }
        if (reply.size() > sc::MAX_MESSAGE_TEXT) return {500, "reply too long for one message\n"};
        return {200, sc::sealMessage(reply, key, sc::systemRandom())};
    } catch (const std::exception& e) {
        std::cerr << "pelmora-server: " << script << ": " << e.what() << "\n";
        return {500, "internal error\n"};
    }
}

HttpReply Service::handshake(std::string_view body) {
    const sc::ByteView master = sc::bytesOf(sc::MASTER_KEY);
    const auto text = sc::openRequestBody(body, master);
    if (!text) return badRequest("undecodable handshake");
    if (text->rfind(sc::HANDSHAKE_TAG, 0) != 0) return badRequest("not a handshake");

    // "KGR;" platform ";" version ";" build, with the client's old session id
    // glued on. The old id is ignored: an id is no credential, and every
    // handshake starts a session with nobody logged in.
    const auto fields = sc::splitFields(*text);
    const std::int64_t now = unixNow();
    const std::string id = "s" + randomHex(12);
    const std::string key = randomKey(32);
    SessionRow s;
    s.idHash = sessionIdHash(id);
    s.keyBox = sealKey(key, id);
    s.platform = readable(fields.size() > 1 ? fields[1] : "");
    s.version = readable(fields.size() > 2 ? fields[2] : "");
    if (fields.size() > 3) {
        std::size_t digits = 0;
        while (digits < fields[3].size() && digits < 18 && fields[3][digits] >= '0' && fields[3][digits] <= '9')
            s.build = s.build * 10 + (fields[3][digits++] - '0');
    }
    s.created = s.seen = now;
    purgeNow(now);
    db_.openSession(s);

    const std::string reply = id + ";" + key + ";" + config_.latestVersion;
    return {200, sc::sealMessage(reply, master, sc::systemRandom())};
}

void Service::purgeNow(std::int64_t now) {
    // Once a minute at most (sooner when sessions expire sooner) per process.
    const std::int64_t every = std::clamp<std::int64_t>(config_.sessionIdleSeconds, 1, 60);
    std::int64_t last = lastPurge_.load();
    if (now - last < every || !lastPurge_.compare_exchange_strong(last, now)) return;
    db_.purgeSessions(now - config_.sessionIdleSeconds, now - config_.sessionLifetimeSeconds);
    db_.purgeCounters(now - 2 * 3600);
}

std::optional<Service::LiveSession> Service::liveSession(const std::string& sessionId, bool fromCache) {
    if (sessionId.empty() || sessionId.size() > 64) return std::nullopt;
    const std::string idHash = sessionIdHash(sessionId);
    const std::int64_t now = unixNow();
    auto alive = [&](const SessionRow& row) {
        return row.seen >= now - config_.sessionIdleSeconds && row.created >= now - config_.sessionLifetimeSeconds;
    };
    // Marking use costs a write: once per quarter of the idle time is precise enough.
    const std::int64_t touchEvery = std::clamp<std::int64_t>(config_.sessionIdleSeconds / 4, 1, 60);
    // A cached row's last use is at most as recent as the stored one: alive
    // by it, the session is alive (and the read that marks use comes in time).
    if (fromCache)
        if (const auto hit = sessions_.find(idHash); hit && alive(hit->row) && now - hit->row.seen < touchEvery)
            return LiveSession{hit->row, hit->key, true};
    auto row = db_.findSession(idHash);
    if (!row || !alive(*row)) return std::nullopt;
    auto key = openKey(row->keyBox, sessionId);
    if (!key) return std::nullopt;
    if (now - row->seen >= touchEvery) {
        db_.touchSession(row->idHash, now);
        row->seen = now;
    }
    if (row->user && !row->loginNonce.empty()) sessions_.keep(*row, *key);
    return LiveSession{std::move(*row), std::move(*key)};
}

std::string Service::logged(const LiveSession& session) {
    // Nobody: an empty name (and an empty password, so the client keeps a text).
    const auto& user = session.row.user;
    if (!user || session.row.tokenHash.empty()) return ";";
    // The session's token stands in for the password, which the service never keeps.
    return user->name + ";" + sessionToken(session.key, session.row.loginNonce);
}

std::string Service::login(const LiveSession& session, const std::string& text, const std::string& client) {
    const std::size_t cut = text.find(';');
    const std::string name = text.substr(0, cut);
    const std::string password = cut == std::string::npos ? "" : text.substr(cut + 1);
    const std::string& id = session.row.idHash;
    // Whatever happens, the session's login changes.
    sessions_.forget(id);

    // A failed attempt leaves the session logged out, as the client does.
    if (!validUsername(name)) {
        db_.logOut(id);
        return failed(sc::REASON_INVALID_USERNAME);
    }
    if (!validPassword(password)) {
        db_.logOut(id);
        return failed(sc::REASON_INVALID_PASSWORD);
    }
    // Too many wrong guesses get the usual answer, without looking.
    if (!guessAllowed(name, client)) {
        db_.logOut(id);
        return failed(sc::REASON_WRONG_CREDENTIALS);
    }
    const auto user = db_.findUser(name);
    if (!user || !passwordMatches(*user, password)) {
        guessFailed(name, client);
        db_.logOut(id);
        return failed(sc::REASON_WRONG_CREDENTIALS);
    }
    db_.clearCounter("login-name:" + lowered(name));
    const std::string nonce = randomHex(16);
    SessionRow row = session.row;
    row.userId = user->id;
    row.user = user;
    row.loginNonce = nonce;
    row.tokenHash = tokenHash(sessionToken(session.key, nonce));
    row.passwordMac = passwordMac(password);
    db_.logIn(id, user->id, nonce, row.tokenHash, row.passwordMac);
    // The session as now stored: the player's next score update need not read it.
    sessions_.keep(std::move(row), session.key);
    return sc::REPLY_OK;
}

bool Service::guessAllowed(const std::string& name, const std::string& client) {
    // This minute's count and last minute's, so a new minute does not wipe the slate.
    const std::int64_t now = unixNow();
    const std::int64_t slot = now - now % 60;
    auto recent = [&](const std::string& counter) {
        return db_.counter(counter, slot) + db_.counter(counter, slot - 60);
    };
    return recent("login-name:" + lowered(name)) < config_.failedLoginsPerMinute &&
           recent("login-addr:" + client) < config_.failedLoginsPerMinute;
}

void Service::guessFailed(const std::string& name, const std::string& client) {
    const std::int64_t now = unixNow();
    const std::int64_t slot = now - now % 60;
    db_.bumpCounter("login-name:" + lowered(name), slot);
    db_.bumpCounter("login-addr:" + client, slot);
}

std::string Service::registerUser(const std::vector<std::string>& fields) {
    // Fields 0 and 1 are whoever is logged in; then name, password, e-mail. A
    // password with ";" in it spreads over several fields: the e-mail is last.
    const std::size_t own = fields.size() - 2;
    const std::string name = own >= 1 ? fields[2] : "";
    const std::string email = own >= 3 ? fields.back() : "";
    const std::string password = own >= 3 ? joinFields(fields, 3, fields.size() - 1) : own == 2 ? fields[3] : "";

    if (!validUsername(name)) return failed(sc::REASON_INVALID_USERNAME);
    if (!validPassword(password)) return failed(sc::REASON_INVALID_PASSWORD);
    if (!validEmail(email)) return failed(sc::REASON_INVALID_EMAIL);
    // Checked first so a taken name costs no hashing; the insert decides races.
    if (db_.userExists(name)) return failed(sc::REASON_USERNAME_DUPLICATED);
    if (db_.addUser(name, email, hashPassword(password)) == Database::AddUser::Duplicate)
        return failed(sc::REASON_USERNAME_DUPLICATED);
    return sc::REPLY_OK;
}

std::string Service::score(const LiveSession& session, const std::vector<std::string>& fields,
                           const std::string& client) {
    const auto user = authenticate(session, fields[0], fields[1], client);
    if (!user) return failed(sc::REASON_WRONG_CREDENTIALS);
    // An empty own part asks for the totals; two numbers replace them.
    if (fields.size() == 2 || (fields.size() == 3 && fields[2].empty()))
        return std::to_string(user->px) + ";" + std::to_string(user->yen);
    if (fields.size() == 4) {
        const auto px = parseTotal(fields[2]);
        const auto yen = parseTotal(fields[3]);
        if (px && yen && *px >= 0) {
            // Experience only grows in play: lower totals come from a stale client.
            return db_.raiseTotals(user->id, *px, *yen) ? sc::REPLY_OK : failed(REASON_STALE_SCORE);
        }
    }
    return failed("invalid score");
}

std::optional<std::string> Service::quickScore(const LiveSession& session, const std::vector<std::string>& fields) {
    // New totals from the user logged in on the session, with its token or
    // password; anything else takes the usual way.
    const auto& row = session.row;
    if (fields.size() != 4 || !row.user || row.loginNonce.empty() || lowered(row.user->name) != lowered(fields[0]))
        return std::nullopt;
    const bool proven = (!row.tokenHash.empty() && sameText(tokenHash(fields[1]), row.tokenHash)) ||
                        (!row.passwordMac.empty() && sameText(passwordMac(fields[1]), row.passwordMac));
    const auto px = parseTotal(fields[2]);
    const auto yen = parseTotal(fields[3]);
    if (!proven || !px || !yen || *px < 0) return std::nullopt;
    if (db_.raiseTotals(row.user->id, *px, *yen, SessionLogin{row.idHash, row.loginNonce})) return sc::REPLY_OK;
    // Stale totals, or the login has changed since the session was read.
    sessions_.forget(row.idHash);
    return std::nullopt;
}

std::string Service::crashLog(const LiveSession& session, const std::vector<std::string>& fields,
                              const std::string& client) {
    const std::int64_t now = unixNow();
    if (db_.bumpCounter("crashes:" + client, now - now % 3600) > config_.crashRecordsPerAddressPerHour)
        return failed(REASON_TOO_MANY_CRASHES);
    CrashRecord c;
    c.address = client;
    c.userName = validUsername(fields[0]) ? fields[0] : "";
    c.platform = session.row.platform;
    c.version = session.row.version;
    c.build = session.row.build;
    c.content = joinFields(fields, 2, fields.size());
    if (c.content.size() > config_.crashRecordBytes) c.content.resize(config_.crashRecordBytes);
    db_.addCrash(c, config_.crashRecordsKept);
    return sc::REPLY_OK;
}

std::optional<UserRow> Service::authenticate(const LiveSession& session, const std::string& name,
                                             const std::string& password, const std::string& client) {
    if (name.empty() || !validUsername(name)) return std::nullopt;
    // Names compare without regard to letter case, as the database does.
    const auto& own = session.row.user;
    auto user = own && lowered(own->name) == lowered(name) ? own : db_.findUser(name);
    if (!user) return std::nullopt;
    // The user logged in on this session: the session's token or the password
    // given at login, checked cheaply.
    if (session.row.userId == user->id) {
        if (!session.row.tokenHash.empty() && sameText(tokenHash(password), session.row.tokenHash)) return user;
        if (!session.row.passwordMac.empty() && sameText(passwordMac(password), session.row.passwordMac))
            return user;
    }
    // Otherwise the password itself, which is a guess like a login.
    if (password.empty() || !guessAllowed(name, client)) return std::nullopt;
    if (!passwordMatches(*user, password)) {
        guessFailed(name, client);
        return std::nullopt;
    }
    return user;
}

bool Service::passwordMatches(const UserRow& user, const std::string& password) {
    hashing_.acquire();
    const bool ok = crypto_pwhash_str_verify(user.passwordHash.c_str(), password.data(), password.size()) == 0;
    hashing_.release();
    return ok;
}

std::string Service::passwordMac(std::string_view password) const {
    unsigned char mac[32];
    crypto_generichash(mac, sizeof mac, reinterpret_cast<const unsigned char*>(password.data()), password.size(),
                       macKey_.data(), macKey_.size());
    return hexOf(mac, sizeof mac);
}

std::string Service::hashPassword(const std::string& password) {
    const bool minimal = config_.passwordCost == PasswordCost::Minimal;
    char hash[crypto_pwhash_STRBYTES];
    hashing_.acquire();
    const int rc = crypto_pwhash_str(hash, password.data(), password.size(),
                                     minimal ? crypto_pwhash_OPSLIMIT_MIN : crypto_pwhash_OPSLIMIT_INTERACTIVE,
                                     minimal ? crypto_pwhash_MEMLIMIT_MIN : crypto_pwhash_MEMLIMIT_INTERACTIVE);
    hashing_.release();
    if (rc != 0) throw std::runtime_error("out of memory while hashing a password");
    return hash;
}

}  // namespace pelmora::server
