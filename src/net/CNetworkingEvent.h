#pragma once

#include <string>

#include "app/Value.h"
#include "platform/Display.h"

// The outcome of a request to the online service, dispatched on its caller.
class CNetworkingEvent : public scene::Event {
public:
    static constexpr const char* READY = "CNETWORKING_EVENT_READY";
    static constexpr const char* COMPLETE = "CNETWORKING_EVENT_COMPLETE";
    static constexpr const char* ERROR = "CNETWORKING_EVENT_ERROR";
    static constexpr const char* VERSION = "CNETWORKING_EVENT_VERSION";

    explicit CNetworkingEvent(Value data, const std::string& type = COMPLETE, bool bubbles = false,
                              bool cancelable = false)
        : scene::Event(type, bubbles), data_(std::move(data)) {
        (void)cancelable;
    }

    // The reply type of a command: READY followed directly by the command name.
    static std::string GetType(const std::string& command) { return std::string(READY) + command; }
    std::string getData() const { return data_.isNull() ? std::string() : data_.text(); }

    Value data_;
};
