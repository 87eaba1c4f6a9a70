#include "net/CNetworking.h"

#include <algorithm>

#include "app/MAux.h"
#include "app/Main.h"
#include "scramble/Protocol.h"
#include "scramble/Scramble.h"

namespace sc = pelmora::scramble;

CNetworking::Bytes CNetworking::master_key_ = [] {
    const std::string k = sc::MASTER_KEY;
    return Bytes(k.begin(), k.end());
}();
std::optional<std::string> CNetworking::session_id_;
std::optional<CNetworking::Bytes> CNetworking::session_key_;
std::optional<std::string> CNetworking::current_version_;
bool CNetworking::ignore_version_check_ = false;
std::string CNetworking::username_;
std::optional<std::string> CNetworking::password_ = std::string();
CNetworking::Caller CNetworking::pcaller_;
CNetworking::Caller CNetworking::lcaller_;
std::optional<std::pair<std::string, std::optional<std::string>>> CNetworking::login_before_;
std::vector<std::shared_ptr<CNetworking>> CNetworking::in_flight_;
std::vector<std::weak_ptr<scene::URLLoader>> CNetworking::loaders_;
std::optional<bool> CNetworking::crypt_ready_override_;

namespace {

std::string orNull(const std::optional<std::string>& s) { return s ? *s : std::string(sc::NO_SESSION_ID); }

std::string loaderData(const scene::Event& event) {
    auto* loader = dynamic_cast<scene::URLLoader*>(event.target());
    return loader ? loader->data : std::string();
}

}  // namespace

CNetworking::Caller CNetworking::Caller::of(scene::EventDispatcher* d) {
    Caller c;
    if (!d) return c;
    c.raw = d;
    c.life = d->lifeToken();
    // Hold the caller when something already owns it, so it still hears its
    // answer after leaving the stage.
    c.strong = d->weak_from_this().lock();
    return c;
}

void CNetworking::Caller::deliver(CNetworkingEvent& event) const {
    if (!raw || life.expired()) return;
    auto keep = raw->weak_from_this().lock();
    raw->dispatchEvent(event);
}

// The handshake and login replies are class-wide; their handlers hang on one
// object, as listeners are object and method pairs.
struct SessionReplyHandlers : scene::LifeTracked {
    void aux_key_gen_success(scene::Event& e);
    void aux_key_gen_error(scene::Event& e);
    void aux_logged_done(scene::Event& e);
    void aux_login_done(scene::Event& e);
    void aux_login_error(scene::Event& e);
};

namespace {
SessionReplyHandlers sessionReplies;

// Outcomes that are known before anything is sent (no session key) still
// arrive later, between frames, like every other outcome.
struct DeferredOutcomes : scene::LifeTracked {
    struct Pending {
        CNetworking::Caller caller;
        std::string type;
    };
    std::vector<Pending> pending;
    bool listening = false;
    scene::EventDispatcher ticker;

    void add(const CNetworking::Caller& caller, const std::string& type) {
        pending.push_back({caller, type});
        if (!listening) {
            ticker.addEventListener(scene::Event::ENTER_FRAME, this, &DeferredOutcomes::onFrame);
            listening = true;
        }
    }
    void onFrame(scene::Event&) {
        auto batch = std::move(pending);
        pending.clear();
        ticker.removeEventListener(scene::Event::ENTER_FRAME, this, &DeferredOutcomes::onFrame);
        listening = false;
        for (auto& p : batch) {
            CNetworkingEvent event(Value(std::string()), p.type);
            p.caller.deliver(event);
        }
    }
    void clear() {
        pending.clear();
        if (listening) ticker.removeEventListener(scene::Event::ENTER_FRAME, this, &DeferredOutcomes::onFrame);
        listening = false;
    }
};

DeferredOutcomes& deferred() {
    static DeferredOutcomes d;
    return d;
}

}  // namespace

bool CNetworking::isCryptReady() {
    if (crypt_ready_override_) return *crypt_ready_override_;
    return session_key_ && !session_key_->empty();
}

bool CNetworking::isNewer(const std::optional<std::string>& a, const std::optional<std::string>& b) {
    if (!a) return false;
    if (!b) return true;
    const std::size_t n = std::min(a->size(), b->size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>((*a)[i]), y = static_cast<unsigned char>((*b)[i]);
        if (x != y) return x > y;
    }
    return a->size() > b->size();
}

std::string CNetworking::escapeQueryValue(const std::string& text) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 0xF];
        }
    }
    return out;
}

std::optional<std::string> CNetworking::decodeReply(const std::string& body, const Bytes& key) {
    return sc::openMessage(body, key);
}

bool CNetworking::send_message(const std::shared_ptr<scene::URLLoader>& loader, const std::string& script,
                               const std::string& payload, bool use_master_key) {
    // The session id goes into the address escaped, so no id can change the request.
    scene::URLRequest request(MAux::WEBSITE + sc::SERVICE_DIRECTORY + script + "?id=" +
                              escapeQueryValue(orNull(session_id_)));
    request.method = "POST";
    if (!use_master_key && (!session_key_ || session_key_->empty())) return false;
    const Bytes& key = use_master_key ? master_key_ : *session_key_;
    // The service's own codec, drawing from the game's random source. A text
    // too long for one message is not sent at all.
    if (payload.size() > sc::MAX_MESSAGE_TEXT) return false;
    request.data = sc::requestBody(payload, key, [] { return MAux::random(); });
    loader->load(request);
    std::erase_if(loaders_, [](const auto& w) { return w.expired(); });
    loaders_.push_back(loader);
    return true;
}

void CNetworking::PrepareCryptChannel(scene::EventDispatcher* caller) {
    pcaller_ = Caller::of(caller);
    auto loader = std::make_shared<scene::URLLoader>();
    loader->addEventListener(scene::Event::IO_ERROR, &sessionReplies, &SessionReplyHandlers::aux_key_gen_error);
    loader->addEventListener(scene::Event::COMPLETE, &sessionReplies, &SessionReplyHandlers::aux_key_gen_success);
    const std::string payload = std::string(sc::HANDSHAKE_TAG) + Main::PLATFORM + ";" + Main::VERSION + ";" +
                                std::to_string(Main::BUILD) + orNull(session_id_);
    if (!send_message(loader, sc::SCRIPT_HANDSHAKE, payload, true)) deferred().add(pcaller_, CNetworkingEvent::ERROR);
}

void SessionReplyHandlers::aux_key_gen_success(scene::Event& e) {
    const auto reply = CNetworking::decodeReply(loaderData(e), CNetworking::master_key_);
    if (!reply) {
        // An answer that does not decode is a failed handshake: the session stays as it was.
        aux_key_gen_error(e);
        return;
    }
    const auto fields = sc::splitFields(*reply);
    CNetworking::session_id_ = fields[0];
    CNetworking::session_key_ = fields.size() > 1 ? CNetworking::Bytes(fields[1].begin(), fields[1].end())
                                                  : CNetworking::Bytes{};
    CNetworking::current_version_ = fields.size() > 2 ? std::optional<std::string>(fields[2]) : std::nullopt;
    const bool newer = !CNetworking::ignore_version_check_ &&
                       CNetworking::isNewer(CNetworking::current_version_, Main::VERSION);
    CNetworkingEvent event(Value(*reply), newer ? CNetworkingEvent::VERSION : CNetworkingEvent::READY);
    CNetworking::pcaller_.deliver(event);
}

void SessionReplyHandlers::aux_key_gen_error(scene::Event&) {
    CNetworkingEvent event(Value(std::string()), CNetworkingEvent::ERROR);
    CNetworking::pcaller_.deliver(event);
}

// Login and Logged share the caller slot, the failure handler and the rule
// that nothing is sent without a session key.
static void aux_send_login_request(const std::string& script, const std::string& payload,
                                   void (SessionReplyHandlers::*done)(scene::Event&)) {
    if (!CNetworking::session_key_ || CNetworking::session_key_->empty()) {
        // Nothing can be scrambled without a session key: the request is not sent.
        CNetworking::aux_restore_login();
        deferred().add(CNetworking::lcaller_, CNetworkingEvent::ERROR);
        return;
    }
    auto loader = std::make_shared<scene::URLLoader>();
    loader->addEventListener(scene::Event::IO_ERROR, &sessionReplies, &SessionReplyHandlers::aux_login_error);
    loader->addEventListener(scene::Event::COMPLETE, &sessionReplies, done);
    if (!CNetworking::send_message(loader, script, payload)) {
        CNetworking::aux_restore_login();
        deferred().add(CNetworking::lcaller_, CNetworkingEvent::ERROR);
    }
}

void CNetworking::Logged(scene::EventDispatcher* caller) {
    lcaller_ = Caller::of(caller);
    aux_send_login_request(sc::SCRIPT_LOGGED, "", &SessionReplyHandlers::aux_logged_done);
}

void SessionReplyHandlers::aux_logged_done(scene::Event& e) {
    const auto reply = CNetworking::decodeReply(loaderData(e), CNetworking::session_key_.value_or(CNetworking::Bytes{}));
    if (!reply) {
        aux_login_error(e);
        return;
    }
    const auto fields = sc::splitFields(*reply);
    CNetworking::login_before_.reset();
    CNetworking::username_ = fields[0];
    CNetworking::password_ = fields.size() > 1 ? std::optional<std::string>(fields[1]) : std::nullopt;
    CNetworkingEvent event(Value(*reply), CNetworkingEvent::COMPLETE);
    CNetworking::lcaller_.deliver(event);
}

void CNetworking::Login(const std::string& username, const std::string& password, scene::EventDispatcher* caller) {
    // With a Login already waiting, the user before that one is the one to restore.
    if (!login_before_) login_before_.emplace(username_, password_);
    username_ = username;
    password_ = password;
    lcaller_ = Caller::of(caller);
    aux_send_login_request(sc::SCRIPT_LOGIN, username + ";" + password, &SessionReplyHandlers::aux_login_done);
}

void SessionReplyHandlers::aux_login_done(scene::Event& e) {
    const auto reply = CNetworking::decodeReply(loaderData(e), CNetworking::session_key_.value_or(CNetworking::Bytes{}));
    if (!reply) {
        aux_login_error(e);
        return;
    }
    CNetworking::login_before_.reset();
    if (*reply != sc::REPLY_OK) {
        CNetworking::username_.clear();
        CNetworking::password_ = std::string();
    }
    CNetworkingEvent event(Value(*reply), CNetworkingEvent::COMPLETE);
    CNetworking::lcaller_.deliver(event);
}

void SessionReplyHandlers::aux_login_error(scene::Event& e) {
    auto* loader = dynamic_cast<scene::URLLoader*>(e.target());
    // A transport failure carries whatever raw data the loader has; an answer
    // that did not decode carries nothing.
    const bool transport = e.type() == scene::Event::IO_ERROR;
    CNetworking::aux_restore_login();
    CNetworkingEvent event(Value(transport && loader ? loader->data : std::string()), CNetworkingEvent::ERROR);
    CNetworking::lcaller_.deliver(event);
}

void CNetworking::aux_restore_login() {
    if (!login_before_) return;
    username_ = std::move(login_before_->first);
    password_ = std::move(login_before_->second);
    login_before_.reset();
}

void CNetworking::SendAsync(const std::string& command, const std::string& payload, scene::EventDispatcher* caller) {
    caller_ = Caller::of(caller);
    caller_cmd_ = command;
    if (!session_key_ || session_key_->empty()) {
        deferred().add(caller_, CNetworkingEvent::ERROR);
        caller_ = Caller{};
        return;
    }
    auto self = std::static_pointer_cast<CNetworking>(weak_from_this().lock());
    if (self) in_flight_.push_back(self);
    loader_ = std::make_shared<scene::URLLoader>();
    loader_->addEventListener(scene::Event::IO_ERROR, this, &CNetworking::aux_send_async_error);
    loader_->addEventListener(scene::Event::COMPLETE, this, &CNetworking::aux_send_async_done);
    if (!send_message(loader_, sc::commandScript(command), username_ + ";" + password_.value_or("") + ";" + payload)) {
        deferred().add(caller_, CNetworkingEvent::ERROR);
        aux_finish();
    }
}

void CNetworking::aux_send_async_done(scene::Event& e) {
    const auto reply = decodeReply(loaderData(e), session_key_.value_or(Bytes{}));
    if (!reply) {
        aux_send_async_error(e);
        return;
    }
    CNetworkingEvent event(Value(*reply), CNetworkingEvent::GetType(caller_cmd_));
    caller_.deliver(event);
    aux_finish();
}

void CNetworking::aux_send_async_error(scene::Event&) {
    CNetworkingEvent event(Value(std::string()), CNetworkingEvent::ERROR);
    caller_.deliver(event);
    aux_finish();
}

void CNetworking::aux_finish() {
    caller_ = Caller{};
    // Dropping the last reference may destroy this object: it is the last thing done here.
    auto self = std::find_if(in_flight_.begin(), in_flight_.end(), [this](const auto& p) { return p.get() == this; });
    if (self != in_flight_.end()) {
        auto keep = std::move(*self);
        in_flight_.erase(self);
    }
}

void CNetworking::reset() {
    session_id_.reset();
    session_key_.reset();
    current_version_.reset();
    ignore_version_check_ = false;
    username_.clear();
    password_ = std::string();
    pcaller_ = Caller{};
    lcaller_ = Caller{};
    login_before_.reset();
    for (auto& w : loaders_) {
        if (auto loader = w.lock()) loader->close();
    }
    loaders_.clear();
    in_flight_.clear();
    crypt_ready_override_.reset();
    deferred().clear();
}
