#include "net/CServiceCommands.h"

#include "app/Value.h"
#include "scramble/Protocol.h"

namespace sc = pelmora::scramble;

namespace {

std::int64_t number(const std::vector<std::string>& fields, std::size_t i) {
    if (i >= fields.size()) return 0;
    return Value::parseInt(fields[i]);
}

// The reason after "failed", or empty when the reply is no failure.
std::string reason(const std::string& reply) {
    const auto fields = sc::splitFields(reply);
    if (fields[0] != sc::REPLY_FAILED || fields.size() < 2) return {};
    return fields[1];
}

}  // namespace

CServiceCommands::Totals CServiceCommands::parseScoreReply(const std::string& reply) {
    const auto fields = sc::splitFields(reply);
    return {number(fields, 0), number(fields, 1)};
}

std::optional<CServiceCommands::Totals> CServiceCommands::readScoreReply(const std::string& reply) {
    const auto fields = sc::splitFields(reply);
    bool digits = false;
    const std::int64_t px = Value::parseInt(fields[0], &digits);
    if (!digits) return std::nullopt;
    return Totals{px, number(fields, 1)};
}

std::string CServiceCommands::scoreUpdatePayload(std::int64_t px, std::int64_t yen) {
    return std::to_string(px) + ";" + std::to_string(yen);
}

std::string CServiceCommands::registerPayload(const std::string& username, const std::string& password,
                                              const std::string& email) {
    return username + ";" + password + ";" + email;
}

std::vector<CServiceCommands::Balloon> CServiceCommands::loginBalloons(const std::string& reply) {
    const std::string why = reason(reply);
    if (why == sc::REASON_WRONG_CREDENTIALS) {
        return {{0, "LOGIN ERROR WRONG USERNAME"}, {1, "LOGIN ERROR WRONG PASSWORD"}};
    }
    if (why == sc::REASON_INVALID_USERNAME) return {{0, "LOGIN ERROR INVALID USERNAME"}};
    if (why == sc::REASON_INVALID_PASSWORD) return {{1, "LOGIN ERROR INVALID PASSWORD"}};
    return {};
}

bool CServiceCommands::registerSucceeded(const std::string& reply) {
    return sc::splitFields(reply)[0] == sc::REPLY_OK;
}

std::vector<CServiceCommands::Balloon> CServiceCommands::registerBalloons(const std::string& reply) {
    const std::string why = reason(reply);
    if (why == sc::REASON_USERNAME_DUPLICATED) return {{0, "REGISTER ERROR USERNAME DUPLICATED"}};
    if (why == sc::REASON_INVALID_USERNAME) return {{0, "REGISTER ERROR INVALID USERNAME"}};
    if (why == sc::REASON_INVALID_PASSWORD) return {{1, "REGISTER ERROR INVALID PASSWORD"}};
    if (why == sc::REASON_INVALID_EMAIL) return {{2, "REGISTER ERROR INVALID EMAIL"}};
    return {};
}
