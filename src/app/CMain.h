#pragma once

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "app/CScreen.h"
#include "app/Value.h"
#include "platform/Display.h"

// What an input widget gives CMain::setFocus: the text field that takes the keys.
class CFocusable {
public:
    virtual ~CFocusable() = default;
    virtual std::shared_ptr<scene::TextField> toTextField() const = 0;
};

// Which full-screen panel is on the stage: screen changes with deferred
// removal, side screens with Call and Return, keyboard focus, a trace sink.
class CMain {
public:
    static constexpr int SCREEN_WELCOME = 0;
    static constexpr int SCREEN_GAME = 1;
    static constexpr int SCREEN_LOGIN = 2;
    static constexpr int SCREEN_REGISTER = 3;
    static constexpr int SCREEN_INSTRUCTIONS = 4;
    static constexpr int SCREEN_PRIVACY = 5;
    static constexpr int SCREEN_CREDITS = 6;
    static constexpr int SCREEN_DURATION = 7;
    static constexpr int SCREEN_GAME_OVER = 8;
    static constexpr int SCREEN_PX = 9;
    static constexpr int SCREEN_YEN = 10;
    static constexpr int SCREEN_NEW_VERSION = 11;

    using Factory = std::function<std::shared_ptr<CScreen>(const Value& params)>;
    // The screens library registers one factory per identifier at start.
    static void registerScreen(int screen, Factory factory);

    // Replaces the current screen; it and any screen waiting under a side
    // screen get Delete once.
    static void Dispatch(int screen, const Value& params = Value());
    // Shows a side screen; the current one is suspended (no frames, no input)
    // until Return puts it back on top and resumes it.
    static void Call(int screen, const Value& params = Value());
    static void Return(const Value& value = Value());
    // Shows overlay on top of the current screen, which stays visible beneath
    // it but suspended as under a side screen; Return closes the overlay.
    static void Overlay(const std::shared_ptr<CScreen>& overlay);
    static const Value& getValue() { return rvalue_; }
    static void setFocus(const std::shared_ptr<CFocusable>& input);
    static void setFocus(const std::shared_ptr<scene::TextField>& field);
    static void aux_stage();
    static void safeRemoveFromStage();
    static void timedRemoveFromStage(scene::Event& event);

    // Call-site information of a trace: its custom parameters, when any.
    struct PosInfos {
        std::optional<Value::Array> customParams;
    };
    static void trace(const Value& value, const PosInfos* info = nullptr);

    static scene::Stage* stage_;
    static std::vector<std::shared_ptr<scene::DisplayObject>> stack_;
    static Value rvalue_;
    static std::shared_ptr<scene::Sprite> removed_;
    static int timed_delay_;
    static std::shared_ptr<scene::TextField> trace_window_;

    // Back to the state at program start, screen factories kept (tests only).
    static void reset();

private:
    static std::map<int, Factory>& factories();
    // Deletes every screen on the stage but kept, schedules the clean-up and
    // adds the new screen on top.
    static void aux_show(int screen, const Value& params, const scene::DisplayObject* kept);
    // Identifiers already reported as having no factory.
    static std::set<int> unknown_screens_;
    // The screen showing beneath an overlay, kept on the stage by the clean-up.
    static std::weak_ptr<scene::DisplayObject> beneath_overlay_;
};
