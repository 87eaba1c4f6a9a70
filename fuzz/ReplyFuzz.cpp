// The game's reading of a service reply. The first byte chooses what the rest
// is: 0, a reply body as it comes off the wire (hex of a sealed message); any
// other value, the text of a reply, sealed first so that what it says reaches
// the readers behind the seal.
#include <cstddef>
#include <cstdint>
#include <string>

#include "net/CNetworking.h"
#include "net/CServiceCommands.h"
#include "scramble/Protocol.h"

namespace sc = pelmora::scramble;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    static const CNetworking::Bytes key(sc::MASTER_KEY, sc::MASTER_KEY + std::string(sc::MASTER_KEY).size());
    std::string body(reinterpret_cast<const char*>(data + 1), size - 1);
    if (data[0] != 0) {
        if (body.size() > sc::MAX_MESSAGE_TEXT) return 0;
        body = sc::sealMessage(body, key, [] { return 0.5; });
    }
    const auto reply = CNetworking::decodeReply(body, key);
    if (!reply) return 0;
    const auto fields = sc::splitFields(*reply);
    if (fields.size() > 2) (void)CNetworking::isNewer(fields[2], std::string("1.0.0"));
    (void)CServiceCommands::parseScoreReply(*reply);
    (void)CServiceCommands::readScoreReply(*reply);
    (void)CServiceCommands::loginBalloons(*reply);
    (void)CServiceCommands::registerBalloons(*reply);
    (void)CServiceCommands::registerSucceeded(*reply);
    return 0;
}
