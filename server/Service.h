#pragma once

#include "Database.h"
#include "SessionCache.h"
#include "SessionSecrets.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <semaphore>
#include <string>
#include <string_view>

namespace pelmora::server {

// How expensive a stored password hash is to compute. Tests use Minimal.
enum class PasswordCost { Interactive, Minimal };

struct ServiceConfig {
    std::string latestVersion = "1.0.0";
    std::filesystem::path levelsFile;       // served by "levels.php"; missing means an empty table
    std::filesystem::path ingredientsFile;  // served by "ingredients.php"; missing means an empty table
    PasswordCost passwordCost = PasswordCost::Interactive;

    std::int64_t sessionIdleSeconds = 24 * 3600;       // a session unused this long is gone
    std::int64_t sessionLifetimeSeconds = 30 * 24 * 3600;
    std::int64_t failedLoginsPerMinute = 10;            // per user name and per client address
    std::size_t crashRecordBytes = 64 * 1024;           // longer records are cut
    std::int64_t crashRecordsPerAddressPerHour = 10;
    std::int64_t crashRecordsKept = 10000;              // the oldest beyond this are dropped
};

struct HttpReply {
    int status = 200;
    std::string body;
    std::string contentType = "text/plain; charset=utf-8";
};

// The game's service scripts, independent of the HTTP library: decodes a
// request body, runs the command and seals the reply under the same key.
// Thread-safe; keeps nothing another service process on the same database needs.
class Service {
public:
    Service(ServiceConfig config, Database& db);

    // script is the file name under the service directory ("login.php"),
    // sessionId the value of "?id=" ("" when absent), body the raw request body,
    // client the sender's network address. A request that cannot be decoded
    // changes nothing and gets 400; an unknown or expired session 403; an
    // unknown script 404.
    HttpReply handle(std::string_view script, const std::string& sessionId, std::string_view body,
                     const std::string& client);

private:
    struct LiveSession {
        SessionRow row;
        std::string key;
        bool cached = false;  // read earlier: what it says may have changed since
    };

    HttpReply handshake(std::string_view body);
    // The session, unexpired; with fromCache, as this process read it lately when it can.
    std::optional<LiveSession> liveSession(const std::string& sessionId, bool fromCache = false);
    std::string logged(const LiveSession& session);
    std::string login(const LiveSession& session, const std::string& text, const std::string& client);
    std::string registerUser(const std::vector<std::string>& fields);
    std::string score(const LiveSession& session, const std::vector<std::string>& fields, const std::string& client);
    // A score update on a cached session by its logged-in user; nothing when
    // the session must be read anew to answer.
    std::optional<std::string> quickScore(const LiveSession& session, const std::vector<std::string>& fields);
    std::string crashLog(const LiveSession& session, const std::vector<std::string>& fields,
                         const std::string& client);

    std::optional<UserRow> authenticate(const LiveSession& session, const std::string& name,
                                        const std::string& password, const std::string& client);
    // Whether another password may be tried for this name from this address now.
    bool guessAllowed(const std::string& name, const std::string& client);
    void guessFailed(const std::string& name, const std::string& client);
    bool passwordMatches(const UserRow& user, const std::string& password);
    std::string passwordMac(std::string_view password) const;
    std::string hashPassword(const std::string& password);
    void purgeNow(std::int64_t now);

    ServiceConfig config_;
    Database& db_;
    // Shared by every process on the database, kept there.
    std::array<unsigned char, 32> macKey_{};
    // Argon2 takes much memory: only a few hashes run at once.
    std::counting_semaphore<1024> hashing_;
    std::atomic<std::int64_t> lastPurge_{0};
    SessionCache sessions_;
};

}  // namespace pelmora::server
