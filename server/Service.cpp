#include "Service.h"

#include "AccountRules.h"
#include "app/scramble/Protocol.h"

#include <sodium.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iostream>
#include <iterator>
#include <stdexcept>

namespace pelmora::server {

namespace sc = pelmora::scramble;

namespace {

constexpr std::int64_t SESSION_LIFETIME_SECONDS = 30 * 24 * 3600;

std::string randomHex(std::size_t bytes) {
    std::string raw(bytes, '\0');
    randombytes_buf(raw.data(), raw.size());
    return sc::toHex(sc::bytesOf(raw));
}

// Session keys travel as a field of a ";"-separated reply: letters and digits only.
std::string randomKey(std::size_t length) {
    static constexpr char alphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string key(length, '0');
    for (auto& c : key) c = alphabet[randombytes_uniform(sizeof alphabet - 1)];
    return key;
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

std::int64_t unixNow() {
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

HttpReply badRequest(std::string message) { return {400, std::move(message) + "\n"}; }

}  // namespace

Service::Service(ServiceConfig config, Database& db) : config_(std::move(config)), db_(db) {
    if (sodium_init() < 0) throw std::runtime_error("libsodium cannot start");
    randombytes_buf(macKey_.data(), macKey_.size());
}

HttpReply Service::handle(std::string_view script, const std::string& sessionId, std::string_view body) {
    try {
        if (script == "ping.php") return handshake(sessionId, body);

        static constexpr std::string_view scripts[] = {"logged.php", "login.php",       "register.php", "score.php",
                                                       "levels.php", "ingredients.php", "pml.php"};
        if (std::find(std::begin(scripts), std::end(scripts), script) == std::end(scripts))
            return {404, "no such script\n"};

        const auto session = db_.findSession(sessionId);
        if (!session) return {403, "unknown session\n"};
        const sc::ByteView key = sc::bytesOf(session->key);
        const auto text = sc::openRequestBody(body, key);
        if (!text) return badRequest("undecodable request");

        std::string reply;
        if (script == "logged.php") {
            reply = logged(*session);
        } else if (script == "login.php") {
            reply = login(*session, *text);
        } else {
            // Commands carry the client's user name and password in front.
            const auto fields = sc::splitFields(*text);
            if (fields.size() < 2) return badRequest("missing user fields");
            if (script == "register.php") reply = registerUser(fields);
            else if (script == "score.php") reply = score(*session, fields);
            else if (script == "levels.php") reply = readWholeFile(config_.levelsFile);
            else if (script == "ingredients.php") reply = readWholeFile(config_.ingredientsFile);
            else reply = crashLog(*session, fields);
        }
        if (reply.size() > sc::MAX_MESSAGE_TEXT) return {500, "reply too long for one message\n"};
        return {200, sc::sealMessage(reply, key, sc::systemRandom())};
    } catch (const std::exception& e) {
        std::cerr << "pelmora-server: " << script << ": " << e.what() << "\n";
        return {500, "internal error\n"};
    }
}

HttpReply Service::handshake(const std::string& oldId, std::string_view body) {
    const sc::ByteView master = sc::bytesOf(sc::MASTER_KEY);
    const auto text = sc::openRequestBody(body, master);
    if (!text) return badRequest("undecodable handshake");
    if (text->rfind(sc::HANDSHAKE_TAG, 0) != 0) return badRequest("not a handshake");

    // "KGR;" platform ";" version ";" build, with the old session id glued on.
    const auto fields = sc::splitFields(*text);
    SessionRow s;
    s.id = "s" + randomHex(12);
    s.key = randomKey(32);
    s.platform = fields.size() > 1 ? fields[1] : "";
    s.version = fields.size() > 2 ? fields[2] : "";
    if (fields.size() > 3) {
        std::size_t digits = 0;
        while (digits < fields[3].size() && digits < 18 && fields[3][digits] >= '0' && fields[3][digits] <= '9')
            s.build = s.build * 10 + (fields[3][digits++] - '0');
    }

    db_.dropSessionsBefore(unixNow() - SESSION_LIFETIME_SECONDS);
    // A client that handshakes again keeps whoever was logged in on its old session.
    const bool known = oldId != sc::NO_SESSION_ID && !oldId.empty();
    db_.openSession(s, known ? oldId : std::string());

    const std::string reply = s.id + ";" + s.key + ";" + config_.latestVersion;
    return {200, sc::sealMessage(reply, master, sc::systemRandom())};
}

std::string Service::logged(const SessionRow& session) {
    // Nobody: an empty name (and an empty password, so the client keeps a text).
    if (!session.userId || session.token.empty()) return ";";
    const auto user = db_.findUserById(*session.userId);
    if (!user) return ";";
    // The session's token stands in for the password, which the service never keeps.
    return user->name + ";" + session.token;
}

std::string Service::login(const SessionRow& session, const std::string& text) {
    const std::size_t cut = text.find(';');
    const std::string name = text.substr(0, cut);
    const std::string password = cut == std::string::npos ? "" : text.substr(cut + 1);

    // A failed attempt leaves the session logged out, as the client does.
    if (!validUsername(name)) {
        db_.logOut(session.id);
        return failed(sc::REASON_INVALID_USERNAME);
    }
    if (!validPassword(password)) {
        db_.logOut(session.id);
        return failed(sc::REASON_INVALID_PASSWORD);
    }
    const auto user = db_.findUser(name);
    if (!user || crypto_pwhash_str_verify(user->passwordHash.c_str(), password.data(), password.size()) != 0) {
        db_.logOut(session.id);
        return failed(sc::REASON_WRONG_CREDENTIALS);
    }
    db_.logIn(session.id, user->id, "t" + randomHex(16), passwordMac(password));
    return sc::REPLY_OK;
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

std::string Service::score(const SessionRow& session, const std::vector<std::string>& fields) {
    const auto user = authenticate(session, fields[0], fields[1]);
    if (!user) return failed(sc::REASON_WRONG_CREDENTIALS);
    // An empty own part asks for the totals; two numbers replace them.
    if (fields.size() == 2 || (fields.size() == 3 && fields[2].empty()))
        return std::to_string(user->px) + ";" + std::to_string(user->yen);
    if (fields.size() == 4) {
        const auto px = parseTotal(fields[2]);
        const auto yen = parseTotal(fields[3]);
        if (px && yen && *px >= 0) {
            db_.setTotals(user->id, *px, *yen);
            return sc::REPLY_OK;
        }
    }
    return failed("invalid score");
}

std::string Service::crashLog(const SessionRow& session, const std::vector<std::string>& fields) {
    CrashRecord c;
    c.sessionId = session.id;
    c.userName = fields[0];
    c.platform = session.platform;
    c.version = session.version;
    c.build = session.build;
    c.content = joinFields(fields, 2, fields.size());
    db_.addCrash(c);
    return sc::REPLY_OK;
}

std::optional<UserRow> Service::authenticate(const SessionRow& session, const std::string& name,
                                             const std::string& password) {
    if (name.empty() || !validUsername(name)) return std::nullopt;
    auto user = db_.findUser(name);
    if (!user) return std::nullopt;
    // The user logged in on this session: the session's token or the password
    // given at login, checked cheaply.
    if (session.userId == user->id) {
        if (!session.token.empty() && password.size() == session.token.size() &&
            sodium_memcmp(password.data(), session.token.data(), password.size()) == 0)
            return user;
        const std::string mac = passwordMac(password);
        if (!session.passwordMac.empty() && mac.size() == session.passwordMac.size() &&
            sodium_memcmp(mac.data(), session.passwordMac.data(), mac.size()) == 0)
            return user;
    }
    if (password.empty()) return std::nullopt;
    if (crypto_pwhash_str_verify(user->passwordHash.c_str(), password.data(), password.size()) != 0)
        return std::nullopt;
    return user;
}

std::string Service::passwordMac(std::string_view password) const {
    unsigned char mac[32];
    crypto_generichash(mac, sizeof mac, reinterpret_cast<const unsigned char*>(password.data()), password.size(),
                       macKey_.data(), macKey_.size());
    return sc::toHex(sc::ByteView(mac, sizeof mac));
}

std::string Service::hashPassword(const std::string& password) const {
    const bool minimal = config_.passwordCost == PasswordCost::Minimal;
    char hash[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(hash, password.data(), password.size(),
                          minimal ? crypto_pwhash_OPSLIMIT_MIN : crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          minimal ? crypto_pwhash_MEMLIMIT_MIN : crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0)
        throw std::runtime_error("out of memory while hashing a password");
    return hash;
}

}  // namespace pelmora::server
