#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "scramble/Protocol.h"

// The texts of the service commands: payloads the screens send and what
// their replies mean. Fields are joined by ";" with no escaping.
class CServiceCommands {
public:
    static constexpr const char* PML = pelmora::scramble::COMMAND_PML;
    static constexpr const char* INGREDIENTS = pelmora::scramble::COMMAND_INGREDIENTS;
    static constexpr const char* LEVELS = pelmora::scramble::COMMAND_LEVELS;
    static constexpr const char* SCORE = pelmora::scramble::COMMAND_SCORE;
    static constexpr const char* REGISTER = pelmora::scramble::COMMAND_REGISTER;

    struct Totals {
        std::int64_t px = 0;
        std::int64_t yen = 0;
    };
    // "px;yen"; a missing field or one that is not a number counts as 0.
    static Totals parseScoreReply(const std::string& reply);
    // The totals of a retrieval reply, or nothing when its first field holds no
    // number (such as a "failed;..." answer): that is a failed retrieval, not 0 and 0.
    static std::optional<Totals> readScoreReply(const std::string& reply);
    static std::string scoreUpdatePayload(std::int64_t px, std::int64_t yen);
    static std::string registerPayload(const std::string& username, const std::string& password,
                                       const std::string& email);

    // An error balloon: which field (0 user name, 1 password, 2 e-mail) shows which text key.
    struct Balloon {
        int field;
        std::string key;
    };
    // What a login reply means for the form: nothing for "ok" or an unknown answer.
    static std::vector<Balloon> loginBalloons(const std::string& reply);
    static bool loginSucceeded(const std::string& reply) { return reply == "ok"; }
    static std::vector<Balloon> registerBalloons(const std::string& reply);
    static bool registerSucceeded(const std::string& reply);
};
