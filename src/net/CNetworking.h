#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/Value.h"
#include "net/CNetworkingEvent.h"
#include "platform/Display.h"

// The game's client of the online service: the handshake that opens a session,
// login, and commands, each one HTTP POST whose outcome arrives later as one
// CNetworkingEvent on the object that asked.
class CNetworking : public scene::EventDispatcher {
public:
    using Bytes = std::vector<std::uint8_t>;

    static void PrepareCryptChannel(scene::EventDispatcher* caller);
    static void IgnoreCheckVersionDuringPrepareCryptChannel() { ignore_version_check_ = true; }
    static bool isCryptReady();
    static bool isLogged() { return !username_.empty(); }
    static const std::string& getUsername() { return username_; }
    static void Login(const std::string& username, const std::string& password, scene::EventDispatcher* caller);
    static void Logged(scene::EventDispatcher* caller);
    // Puts back the user held before a failed Login (nothing when none is waiting).
    static void aux_restore_login();

    // Sends one command on a new object: make it with std::make_shared, it
    // stays alive until its outcome has been delivered.
    void SendAsync(const std::string& command, const std::string& payload, scene::EventDispatcher* caller);

    // Seals the payload and starts the request; false (and nothing sent) when
    // the payload is longer than one message can carry.
    static bool send_message(const std::shared_ptr<scene::URLLoader>& loader, const std::string& script,
                             const std::string& payload, bool use_master_key = false);

    // Whether version a is newer than b: bytes compared as unsigned, the first
    // difference decides, a prefix is the smaller; absent is older than present.
    static bool isNewer(const std::optional<std::string>& a, const std::optional<std::string>& b);
    // Percent-encodes everything but letters, digits and "-._~".
    static std::string escapeQueryValue(const std::string& text);
    // The reply text of a loader's body under a key; nothing when it does not decode.
    static std::optional<std::string> decodeReply(const std::string& body, const Bytes& key);

    static Bytes master_key_;
    static std::optional<std::string> session_id_;
    static std::optional<Bytes> session_key_;
    static std::optional<std::string> current_version_;
    static bool ignore_version_check_;
    static std::string username_;
    static std::optional<std::string> password_;

    // Test seam: answer isCryptReady as given until cleared (nullopt).
    static void setCryptReadyForTests(std::optional<bool> answer) { crypt_ready_override_ = answer; }
    // Back to the state at program start (tests only).
    static void reset();

    // A caller held by plain pointer, checked for life before each delivery.
    struct Caller {
        scene::EventDispatcher* raw = nullptr;
        std::weak_ptr<void> life;
        std::shared_ptr<scene::EventDispatcher> strong;
        static Caller of(scene::EventDispatcher* d);
        bool present() const { return raw != nullptr; }
        void deliver(CNetworkingEvent& event) const;
    };

    static Caller pcaller_;
    static Caller lcaller_;
    // The user held before a Login still waiting for its reply: a request that
    // fails puts it back, so credentials the service never accepted do not stay.
    static std::optional<std::pair<std::string, std::optional<std::string>>> login_before_;
    Caller caller_;
    std::string caller_cmd_;

private:
    friend struct SessionReplyHandlers;
    void aux_send_async_done(scene::Event& event);
    void aux_send_async_error(scene::Event& event);
    void aux_finish();

    std::shared_ptr<scene::URLLoader> loader_;
    static std::vector<std::shared_ptr<CNetworking>> in_flight_;
    // Every request still in flight, so a reset can abandon them.
    static std::vector<std::weak_ptr<scene::URLLoader>> loaders_;
    static std::optional<bool> crypt_ready_override_;
};
