#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/DisplayObjectContainer.h"
#include "platform/TextField.h"

namespace scene {

namespace StageScaleMode {
inline constexpr const char* EXACT_FIT = "exactFit";
inline constexpr const char* NO_SCALE = "noScale";
inline constexpr const char* SHOW_ALL = "showAll";
}  // namespace StageScaleMode

namespace StageAlign {
inline constexpr const char* TOP_LEFT = "TL";
}  // namespace StageAlign

// The root of the display list: a fixed logical size, the keyboard focus, and
// the routing of pointer and keyboard input to the objects under them.
class Stage : public DisplayObjectContainer {
public:
    Stage(int stageWidth = 800, int stageHeight = 480);
    ~Stage() override;

    // The stage the running game draws on (the window's or the headless runner's).
    static Stage* current();

    int stageWidth() const { return stageWidth_; }
    int stageHeight() const { return stageHeight_; }
    const std::string& scaleMode() const { return scaleMode_; }
    void setScaleMode(const std::string& m) { scaleMode_ = m; }
    const std::string& align() const { return align_; }
    void setAlign(const std::string& a) { align_ = a; }
    std::uint32_t color() const { return color_; }
    void setColor(std::uint32_t c) { color_ = c & 0xFFFFFF; }

    // The object that receives "keyDown" and, for an input field, typed text.
    std::shared_ptr<TextField> focus() const { return focus_.lock(); }
    void setFocus(const std::shared_ptr<TextField>& field);

    // Window size the content is scaled to; maps window points back to the stage.
    // In SHOW_ALL the content keeps its aspect ratio, centred between bars.
    void setWindowSize(int width, int height);
    Point windowToStage(double wx, double wy) const;
    double viewScaleX() const;
    double viewScaleY() const;
    // Where the stage's top-left corner lands in the window.
    double viewOffsetX() const;
    double viewOffsetY() const;

    // Whether the window covers the screen. The shell applies a change at the
    // next frame; set it from the shell with notify to tell the stage's
    // "fullScreen" listeners.
    bool fullScreen() const { return fullScreen_; }
    void setFullScreen(bool v, bool notify = false);
    // The window lost the keyboard focus or was minimised: "deactivate" on the stage.
    void deactivate();

    // Input, in stage coordinates.
    void mouseMove(double x, double y);
    // clicks: 1 for a single press, 2 for the second press of a double-click.
    void mouseDown(double x, double y, int clicks = 1);
    void mouseUp(double x, double y);
    // Tab and Shift+Tab move the focus between input fields instead.
    void keyDown(int keyCode, unsigned charCode = 0, bool shift = false);
    void textInput(const std::string& utf8);

    // The frame's "enterFrame" broadcast; the shell's frame loop runs it after
    // the network completions.
    void enterFrame();
    // Over and out for what moved under a pointer that stood still.
    void recheckPointer() { updateOver(false); }
    std::uint64_t frameCount() const { return frames_; }

    double mouseX() const { return mouseX_; }
    double mouseY() const { return mouseY_; }

    // The second press of a double-click that follows is dropped: called when a
    // new screen appears, so that press never reaches what the first one opened.
    void dropNextDoubleClick() { dropDoubleClick_ = true; }

    // The interactive object under a stage point (the stage itself when nothing else).
    DisplayObject* objectUnder(double x, double y);

    // Draws the whole tree, scaled by the given output scale and moved by the offset (output pixels).
    void renderFrame(detail::Renderer& renderer, double outputScaleX, double outputScaleY, double offsetX = 0,
                     double offsetY = 0);

private:
    // Hit-tests the pointer once and sends over, out and (when asked) move;
    // the object under the pointer, or nothing while the pointer is unknown.
    // keep, when given, holds that object alive through what the events did.
    DisplayObject* updateOver(bool sendMove, std::shared_ptr<EventDispatcher>* keep = nullptr);
    // The focused field, when it may take keys: on this stage and not suspended.
    std::shared_ptr<TextField> activeFocus() const;
    // Moves the focus to the next (or previous) input field of the topmost
    // child, in the order the fields were added.
    // False when that child has no input field at all.
    bool cycleFocus(bool backwards);

    int stageWidth_;
    int stageHeight_;
    int windowWidth_;
    int windowHeight_;
    std::string scaleMode_ = StageScaleMode::EXACT_FIT;
    std::string align_ = StageAlign::TOP_LEFT;
    std::uint32_t color_ = 0;
    std::weak_ptr<TextField> focus_;
    std::weak_ptr<EventDispatcher> over_;
    DisplayObject* overRaw_ = nullptr;
    double mouseX_ = -1;
    double mouseY_ = -1;
    bool pointerKnown_ = false;
    bool dropDoubleClick_ = false;
    bool fullScreen_ = false;
    std::uint64_t frames_ = 0;
    Stage* previous_ = nullptr;
};

using StagePtr = std::shared_ptr<Stage>;

}  // namespace scene
