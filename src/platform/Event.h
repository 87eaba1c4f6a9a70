#pragma once

#include <memory>
#include <string>

namespace scene {

class EventDispatcher;

// An event travelling through the display list. Types are plain strings so
// callers can build their own at run time.
class Event {
public:
    static constexpr const char* ENTER_FRAME = "enterFrame";
    static constexpr const char* COMPLETE = "complete";
    static constexpr const char* IO_ERROR = "ioError";
    static constexpr const char* ADDED_TO_STAGE = "addedToStage";
    // On the stage: the window lost the keyboard focus or was minimised.
    static constexpr const char* DEACTIVATE = "deactivate";
    // On the stage: the window went to or left fullscreen.
    static constexpr const char* FULL_SCREEN = "fullScreen";

    explicit Event(std::string type, bool bubbles = false) : type_(std::move(type)), bubbles_(bubbles) {}
    virtual ~Event() = default;

    const std::string& type() const { return type_; }
    bool bubbles() const { return bubbles_; }
    EventDispatcher* target() const { return target_; }
    EventDispatcher* currentTarget() const { return currentTarget_; }

    void stopPropagation() { stopped_ = true; }
    bool propagationStopped() const { return stopped_; }

    // Set by the dispatcher while the event travels.
    void setTarget(EventDispatcher* t) { target_ = t; }
    void setCurrentTarget(EventDispatcher* t) { currentTarget_ = t; }

private:
    std::string type_;
    bool bubbles_;
    bool stopped_ = false;
    EventDispatcher* target_ = nullptr;
    EventDispatcher* currentTarget_ = nullptr;
};

class MouseEvent : public Event {
public:
    static constexpr const char* MOUSE_DOWN = "mouseDown";
    static constexpr const char* MOUSE_UP = "mouseUp";
    static constexpr const char* MOUSE_MOVE = "mouseMove";
    static constexpr const char* MOUSE_OVER = "mouseOver";
    static constexpr const char* MOUSE_OUT = "mouseOut";
    static constexpr const char* CLICK = "click";

    MouseEvent(std::string type, double stageX, double stageY)
        : Event(std::move(type), true), stageX(stageX), stageY(stageY) {}

    double stageX;
    double stageY;
    // Position in the current target's own coordinates, updated at each step of the bubbling walk.
    double localX = 0;
    double localY = 0;
};

// Flash-compatible key codes.
namespace Keyboard {
constexpr int BACKSPACE = 8;
constexpr int TAB = 9;
constexpr int ENTER = 13;
constexpr int SHIFT = 16;
constexpr int ESCAPE = 27;
constexpr int SPACE = 32;
constexpr int END = 35;
constexpr int HOME = 36;
constexpr int LEFT = 37;
constexpr int UP = 38;
constexpr int RIGHT = 39;
constexpr int DOWN = 40;
constexpr int DELETE = 46;
}  // namespace Keyboard

class KeyboardEvent : public Event {
public:
    static constexpr const char* KEY_DOWN = "keyDown";

    KeyboardEvent(std::string type, int keyCode, unsigned charCode = 0)
        : Event(std::move(type), true), keyCode(keyCode), charCode(charCode) {}

    int keyCode;
    unsigned charCode;
};

class IOErrorEvent : public Event {
public:
    IOErrorEvent(std::string type, std::string text) : Event(std::move(type)), text(std::move(text)) {}
    std::string text;
};

}  // namespace scene
