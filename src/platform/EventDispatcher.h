#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/Event.h"

namespace scene {

// Base of every object that may listen for events. Its life token expires when
// the object is destroyed, so a dispatcher that outlives a listener's object
// never calls it and drops it instead.
class LifeTracked {
public:
    LifeTracked() = default;
    LifeTracked(const LifeTracked&) = delete;
    LifeTracked& operator=(const LifeTracked&) = delete;
    virtual ~LifeTracked() = default;

    // Expires when this object is destroyed. Usable from a constructor, before
    // any shared_ptr owns the object.
    std::weak_ptr<void> lifeToken();

    // Whether the object is paused: it then gets no "enterFrame" (a display
    // object under a suspended screen).
    virtual bool frameSuspended() const { return false; }

private:
    std::shared_ptr<char> life_;
};

// Something that events can be sent to. A listener is an object and one of its
// member functions; the same pair removes it again. Safe to change during
// dispatch: a listener removed during a dispatch is not called afterwards, one
// added is called from the next dispatch on. A listener whose object has been
// destroyed is never called, whatever object it was registered on.
class EventDispatcher : public LifeTracked, public std::enable_shared_from_this<EventDispatcher> {
public:
    EventDispatcher() = default;
    ~EventDispatcher() override;

    template <class T, class E>
    void addEventListener(const std::string& type, T* object, void (T::*method)(E&)) {
        addListener(type, makeListener(object, method));
    }

    template <class T, class E>
    void removeEventListener(const std::string& type, T* object, void (T::*method)(E&)) {
        removeListener(type, makeListener(object, method));
    }

    bool hasEventListener(const std::string& type) const;

    // Sends the event to this object's listeners (and, for display objects that
    // bubble, up the tree). Returns false when a handler stopped propagation.
    virtual bool dispatchEvent(Event& event);

    // Calls this object's listeners for the event as its current target.
    void notifyListeners(Event& event);

    // Number of enterFrame listeners registered process-wide; for tests.
    static std::size_t frameListenerCount();
    // Sends "enterFrame" to every object listening for it, in the order the
    // listeners were added, whether or not the objects are on a stage.
    static void broadcastEnterFrame();

private:
    using MethodBytes = std::array<unsigned char, 2 * sizeof(void*)>;
    using Thunk = void (*)(void* object, const MethodBytes& method, Event& event);

    struct Handler {
        void* object = nullptr;
        const LifeTracked* owner = nullptr;
        std::weak_ptr<void> life;
        Thunk thunk = nullptr;
        MethodBytes method{};
        bool sameAs(const Handler& o) const {
            return object == o.object && thunk == o.thunk && method == o.method;
        }
    };

    struct Listener {
        std::string type;
        Handler handler;
        std::uint64_t serial = 0;
        bool removed = false;
    };

    template <class T, class E>
    static void invoke(void* object, const MethodBytes& bytes, Event& event) {
        void (T::*method)(E&);
        std::memcpy(&method, bytes.data(), sizeof method);
        if constexpr (std::is_same_v<E, Event>) {
            (static_cast<T*>(object)->*method)(event);
        } else if (auto* typed = dynamic_cast<E*>(&event)) {
            (static_cast<T*>(object)->*method)(*typed);
        }
    }

    template <class T, class E>
    static Handler makeListener(T* object, void (T::*method)(E&)) {
        static_assert(sizeof method <= sizeof(MethodBytes), "member function pointer too large");
        static_assert(std::is_base_of_v<Event, E>, "listeners take an Event or a subclass");
        static_assert(std::is_base_of_v<LifeTracked, T>, "listener objects derive from LifeTracked");
        Handler h;
        h.object = static_cast<void*>(object);
        h.owner = object;
        h.life = object->lifeToken();
        h.thunk = &invoke<T, E>;
        std::memcpy(h.method.data(), &method, sizeof method);
        return h;
    }

    void addListener(const std::string& type, const Handler& handler);
    void removeListener(const std::string& type, const Handler& handler);
    bool callSerial(std::uint64_t serial, Event& event);
    // Marks a listener whose object died as removed; true when it did.
    bool dropIfDead(Listener& listener);
    void compact();

    std::vector<Listener> listeners_;
    int dispatching_ = 0;
    bool needsCompact_ = false;
};

}  // namespace scene
