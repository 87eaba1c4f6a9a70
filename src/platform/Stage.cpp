#include "platform/Stage.h"

#include "platform/Net.h"
#include "platform/Renderer.h"

namespace scene {

namespace {
Stage* currentStage = nullptr;
}

Stage::Stage(int stageWidth, int stageHeight)
    : stageWidth_(stageWidth), stageHeight_(stageHeight), windowWidth_(stageWidth), windowHeight_(stageHeight) {
    previous_ = currentStage;
    currentStage = this;
}

Stage::~Stage() {
    if (currentStage == this) currentStage = previous_;
}

Stage* Stage::current() { return currentStage; }

void Stage::setFocus(const std::shared_ptr<TextField>& field) {
    focus_ = field;
    if (field && field->type() == TextFieldType::INPUT) field->setSelection(field->length(), field->length());
}

void Stage::setWindowSize(int width, int height) {
    windowWidth_ = width > 0 ? width : stageWidth_;
    windowHeight_ = height > 0 ? height : stageHeight_;
}

double Stage::viewScaleX() const {
    return scaleMode_ == StageScaleMode::NO_SCALE ? 1.0 : static_cast<double>(windowWidth_) / stageWidth_;
}

double Stage::viewScaleY() const {
    return scaleMode_ == StageScaleMode::NO_SCALE ? 1.0 : static_cast<double>(windowHeight_) / stageHeight_;
}

Point Stage::windowToStage(double wx, double wy) const { return {wx / viewScaleX(), wy / viewScaleY()}; }

DisplayObject* Stage::objectUnder(double x, double y) {
    DisplayObject* t = hitTarget(x, y);
    return t ? t : this;
}

void Stage::updateOver(bool sendMove) {
    if (!pointerKnown_) return;
    DisplayObject* target = objectUnder(mouseX_, mouseY_);
    auto targetRef = target->weak_from_this().lock();
    auto old = over_.lock();
    const bool changed = old.get() != targetRef.get() || (!old && overRaw_ != target);
    if (changed) {
        over_ = targetRef;
        overRaw_ = target;
        if (auto* oldObject = dynamic_cast<DisplayObject*>(old.get())) {
            MouseEvent out(MouseEvent::MOUSE_OUT, mouseX_, mouseY_);
            oldObject->dispatchEvent(out);
        }
        MouseEvent over(MouseEvent::MOUSE_OVER, mouseX_, mouseY_);
        target->dispatchEvent(over);
    }
    if (sendMove) {
        MouseEvent move(MouseEvent::MOUSE_MOVE, mouseX_, mouseY_);
        target->dispatchEvent(move);
    }
}

void Stage::mouseMove(double x, double y) {
    mouseX_ = x;
    mouseY_ = y;
    pointerKnown_ = true;
    updateOver(true);
}

void Stage::mouseDown(double x, double y) {
    mouseX_ = x;
    mouseY_ = y;
    pointerKnown_ = true;
    updateOver(false);
    DisplayObject* target = objectUnder(x, y);
    auto keep = target->weak_from_this().lock();
    if (auto* field = dynamic_cast<TextField*>(target); field && field->type() == TextFieldType::INPUT) {
        if (auto ref = field->weak_from_this().lock()) focus_ = std::static_pointer_cast<TextField>(ref);
        const Point local = field->globalToLocal({x, y});
        field->placeCaretAt(local.x);
    }
    MouseEvent down(MouseEvent::MOUSE_DOWN, x, y);
    target->dispatchEvent(down);
}

void Stage::mouseUp(double x, double y) {
    mouseX_ = x;
    mouseY_ = y;
    DisplayObject* target = objectUnder(x, y);
    auto keep = target->weak_from_this().lock();
    MouseEvent up(MouseEvent::MOUSE_UP, x, y);
    target->dispatchEvent(up);
}

void Stage::keyDown(int keyCode, unsigned charCode) {
    auto field = focus_.lock();
    // Only a focused field that is still on this stage takes the keys.
    if (field && field->stage() != this) field.reset();
    if (field) field->handleKey(keyCode);
    KeyboardEvent event(KeyboardEvent::KEY_DOWN, keyCode, charCode);
    if (field) field->dispatchEvent(event);
    else dispatchEvent(event);
}

void Stage::textInput(const std::string& utf8) {
    auto field = focus_.lock();
    if (field && field->stage() == this) field->handleTextInput(utf8);
}

void Stage::advanceFrame() {
    ++frames_;
    pollNetwork();
    EventDispatcher::broadcastEnterFrame();
    updateOver(false);
}

void Stage::renderFrame(detail::Renderer& r, double outputScaleX, double outputScaleY) {
    r.setViewScale(outputScaleX, outputScaleY);
    r.clear(color_);
    DisplayObjectContainer::render(r, Transform{});
}

}  // namespace scene
