#pragma once

#include "Database.h"

#include <array>
#include <filesystem>
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
};

struct HttpReply {
    int status = 200;
    std::string body;
    std::string contentType = "text/plain; charset=utf-8";
};

// The game's service scripts, independent of the HTTP library: decodes a
// request body, runs the command and seals the reply under the same key.
// Thread-safe.
class Service {
public:
    Service(ServiceConfig config, Database& db);

    // script is the file name under the service directory ("login.php"),
    // sessionId the value of "?id=" ("" when absent), body the raw request body.
    // A request that cannot be decoded changes nothing and gets 400; an unknown
    // session 403; an unknown script 404.
    HttpReply handle(std::string_view script, const std::string& sessionId, std::string_view body);

private:
    HttpReply handshake(const std::string& oldId, std::string_view body);
    std::string logged(const SessionRow& session);
    std::string login(const SessionRow& session, const std::string& text);
    std::string registerUser(const std::vector<std::string>& fields);
    std::string score(const SessionRow& session, const std::vector<std::string>& fields);
    std::string crashLog(const SessionRow& session, const std::vector<std::string>& fields);

    std::optional<UserRow> authenticate(const SessionRow& session, const std::string& name,
                                        const std::string& password);
    std::string passwordMac(std::string_view password) const;
    std::string hashPassword(const std::string& password) const;

    ServiceConfig config_;
    Database& db_;
    std::array<unsigned char, 32> macKey_{};
};

}  // namespace pelmora::server
