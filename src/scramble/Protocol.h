#pragma once

#include "scramble/Scramble.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What the game's service client and pelmora-server agree on: keys, paths,
// reply texts and the coding of a message on the wire.
namespace pelmora::scramble {

// Key of the handshake ("ping.php") in both directions. Every other request
// and reply uses the session key that the handshake hands out.
inline constexpr const char* MASTER_KEY = "l3v9ce94a1500r61ilbs8j1dppddu87s12ew";

// Scripts live under this path; the session id follows as "?id=".
inline constexpr const char* SERVICE_DIRECTORY = "/pelmora/";
// Stands for a session id the client does not have yet.
inline constexpr const char* NO_SESSION_ID = "null";
// The handshake payload starts with this.
inline constexpr const char* HANDSHAKE_TAG = "KGR;";
// The request body is this followed by the sealed message.
inline constexpr const char* BODY_PREFIX = "x=";
// Larger request bodies are refused by the service.
inline constexpr std::size_t MAX_REQUEST_BODY = 1u << 20;
// Longest text that fits one message: the padding's length field has 16 bits
// and the scrambled block adds 3 bytes.
inline constexpr std::size_t MAX_MESSAGE_TEXT = MAX_PADDED_DATA - 3;

// The scripts of the service: the handshake, the session's user, the login,
// and one per command, named after it with SCRIPT_SUFFIX.
inline constexpr const char* SCRIPT_HANDSHAKE = "ping.php";
inline constexpr const char* SCRIPT_LOGGED = "logged.php";
inline constexpr const char* SCRIPT_LOGIN = "login.php";
inline constexpr const char* SCRIPT_SUFFIX = ".php";
inline constexpr const char* COMMAND_PML = "pml";
inline constexpr const char* COMMAND_INGREDIENTS = "ingredients";
inline constexpr const char* COMMAND_LEVELS = "levels";
inline constexpr const char* COMMAND_SCORE = "score";
inline constexpr const char* COMMAND_REGISTER = "register";
inline constexpr const char* COMMANDS[] = {COMMAND_PML, COMMAND_INGREDIENTS, COMMAND_LEVELS, COMMAND_SCORE,
                                           COMMAND_REGISTER};
// The script of a command.
inline std::string commandScript(std::string_view command) { return std::string(command) + SCRIPT_SUFFIX; }
// Every script the service answers, the handshake first.
std::vector<std::string> serviceScripts();

// The longest user name, password (in characters) and e-mail address (in
// bytes) the service accepts.
inline constexpr int MAX_USERNAME_CHARS = 20;
inline constexpr int MAX_PASSWORD_CHARS = 128;
inline constexpr int MAX_EMAIL_BYTES = 254;

inline constexpr const char* REPLY_OK = "ok";
inline constexpr const char* REPLY_FAILED = "failed";
inline constexpr const char* REASON_WRONG_CREDENTIALS = "wrong username/password";
inline constexpr const char* REASON_INVALID_USERNAME = "invalid username";
inline constexpr const char* REASON_INVALID_PASSWORD = "invalid password";
inline constexpr const char* REASON_INVALID_EMAIL = "invalid email";
inline constexpr const char* REASON_USERNAME_DUPLICATED = "username duplicated";

// Lowercase hex of the padded, scrambled text. Throws std::invalid_argument for
// an empty key and std::length_error for a text over MAX_MESSAGE_TEXT bytes.
std::string sealMessage(std::string_view text, ByteView key, const RandomFn& random);

// The text of a sealed message; nothing when the hex is malformed, the padding
// header is inconsistent, the key is empty or the checksum fails.
std::optional<std::string> openMessage(std::string_view hex, ByteView key);

// A whole request body: BODY_PREFIX followed by the sealed text.
std::string requestBody(std::string_view text, ByteView key, const RandomFn& random);

// The text of a request body; nothing unless the body is exactly BODY_PREFIX
// followed by a message that opens under the key.
std::optional<std::string> openRequestBody(std::string_view body, ByteView key);

// Splits at every ";"; empty fields stay, and "" gives one empty field.
std::vector<std::string> splitFields(std::string_view text);

}  // namespace pelmora::scramble
