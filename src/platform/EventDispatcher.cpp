#include "platform/EventDispatcher.h"

#include <algorithm>

namespace scene {

namespace {

// Process-wide list of enterFrame registrations, in the order they were made.
struct FrameEntry {
    EventDispatcher* dispatcher;
    std::uint64_t serial;
    bool dead;
};

struct FrameRegistry {
    std::vector<FrameEntry> entries;
    int broadcasting = 0;
    bool needsCompact = false;

    void compact() {
        if (broadcasting > 0 || !needsCompact) return;
        entries.erase(std::remove_if(entries.begin(), entries.end(), [](const FrameEntry& e) { return e.dead; }),
                      entries.end());
        needsCompact = false;
    }
    void kill(std::uint64_t serial) {
        for (auto& e : entries) {
            if (e.serial == serial) {
                e.dead = true;
                needsCompact = true;
            }
        }
        compact();
    }
};

// Never destroyed: display objects held by statics (the screen manager's
// parked and remembered screens) unregister from it at program exit, after
// every function-local static would be gone.
FrameRegistry& frameRegistry() {
    static FrameRegistry* registry = new FrameRegistry;
    return *registry;
}

std::uint64_t nextSerial = 1;

}  // namespace

EventDispatcher::~EventDispatcher() {
    auto& reg = frameRegistry();
    bool any = false;
    for (auto& e : reg.entries) {
        if (e.dispatcher == this && !e.dead) {
            e.dead = true;
            any = true;
        }
    }
    if (any) {
        reg.needsCompact = true;
        reg.compact();
    }
}

std::weak_ptr<void> LifeTracked::lifeToken() {
    if (!life_) life_ = std::make_shared<char>(0);
    return life_;
}

void EventDispatcher::addListener(const std::string& type, const Handler& handler) {
    for (const auto& l : listeners_) {
        if (!l.removed && l.type == type && l.handler.sameAs(handler)) return;
    }
    Listener l;
    l.type = type;
    l.handler = handler;
    l.serial = nextSerial++;
    listeners_.push_back(std::move(l));
    if (type == Event::ENTER_FRAME) {
        frameRegistry().entries.push_back({this, listeners_.back().serial, false});
    }
}

void EventDispatcher::removeListener(const std::string& type, const Handler& handler) {
    for (auto& l : listeners_) {
        if (!l.removed && l.type == type && l.handler.sameAs(handler)) {
            l.removed = true;
            needsCompact_ = true;
            if (type == Event::ENTER_FRAME) frameRegistry().kill(l.serial);
        }
    }
    compact();
}

bool EventDispatcher::hasEventListener(const std::string& type) const {
    return std::any_of(listeners_.begin(), listeners_.end(),
                       [&](const Listener& l) { return !l.removed && l.type == type; });
}

void EventDispatcher::compact() {
    if (dispatching_ > 0 || !needsCompact_) return;
    listeners_.erase(std::remove_if(listeners_.begin(), listeners_.end(), [](const Listener& l) { return l.removed; }),
                     listeners_.end());
    needsCompact_ = false;
}

bool EventDispatcher::dropIfDead(Listener& l) {
    if (!l.handler.life.expired()) return false;
    l.removed = true;
    needsCompact_ = true;
    if (l.type == Event::ENTER_FRAME) frameRegistry().kill(l.serial);
    return true;
}

void EventDispatcher::notifyListeners(Event& event) {
    // Keep this object alive while its handlers run, even if one of them drops
    // the last outside reference to it.
    auto keep = weak_from_this().lock();
    const std::size_t count = listeners_.size();
    ++dispatching_;
    for (std::size_t i = 0; i < count && i < listeners_.size(); ++i) {
        if (listeners_[i].removed || listeners_[i].type != event.type()) continue;
        if (dropIfDead(listeners_[i])) continue;
        const Handler h = listeners_[i].handler;  // the vector may grow during the call
        event.setCurrentTarget(this);
        h.thunk(h.object, h.method, event);
    }
    --dispatching_;
    compact();
}

bool EventDispatcher::callSerial(std::uint64_t serial, Event& event) {
    for (std::size_t i = 0; i < listeners_.size(); ++i) {
        if (listeners_[i].serial != serial) continue;
        if (listeners_[i].removed) return false;
        if (dropIfDead(listeners_[i])) {
            compact();
            return false;
        }
        // A paused listener keeps its place and is called again once resumed.
        if (listeners_[i].handler.owner->frameSuspended()) return true;
        auto keep = weak_from_this().lock();
        const Handler h = listeners_[i].handler;
        ++dispatching_;
        event.setTarget(this);
        event.setCurrentTarget(this);
        h.thunk(h.object, h.method, event);
        --dispatching_;
        compact();
        return true;
    }
    return false;
}

bool EventDispatcher::dispatchEvent(Event& event) {
    if (!event.target()) event.setTarget(this);
    notifyListeners(event);
    return !event.propagationStopped();
}

std::size_t EventDispatcher::frameListenerCount() {
    auto& reg = frameRegistry();
    return static_cast<std::size_t>(
        std::count_if(reg.entries.begin(), reg.entries.end(), [](const FrameEntry& e) { return !e.dead; }));
}

void EventDispatcher::broadcastEnterFrame() {
    auto& reg = frameRegistry();
    Event event(Event::ENTER_FRAME);
    const std::size_t count = reg.entries.size();
    ++reg.broadcasting;
    for (std::size_t i = 0; i < count && i < reg.entries.size(); ++i) {
        if (reg.entries[i].dead) continue;
        EventDispatcher* d = reg.entries[i].dispatcher;
        const std::uint64_t serial = reg.entries[i].serial;
        if (d->frameSuspended()) continue;
        // Registrations are dropped in the destructor, so the pointer is valid;
        // the object is also held for the call when a shared_ptr owns it.
        auto keep = d->weak_from_this().lock();
        d->callSerial(serial, event);
    }
    --reg.broadcasting;
    reg.compact();
}

}  // namespace scene
