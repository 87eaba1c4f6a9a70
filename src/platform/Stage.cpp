#include "platform/Stage.h"

#include <algorithm>

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

namespace {
double fitScale(int windowWidth, int windowHeight, int stageWidth, int stageHeight) {
    return std::min(static_cast<double>(windowWidth) / stageWidth, static_cast<double>(windowHeight) / stageHeight);
}
}  // namespace

double Stage::viewScaleX() const {
    if (scaleMode_ == StageScaleMode::NO_SCALE) return 1.0;
    if (scaleMode_ == StageScaleMode::SHOW_ALL) return fitScale(windowWidth_, windowHeight_, stageWidth_, stageHeight_);
    return static_cast<double>(windowWidth_) / stageWidth_;
}

double Stage::viewScaleY() const {
    if (scaleMode_ == StageScaleMode::NO_SCALE) return 1.0;
    if (scaleMode_ == StageScaleMode::SHOW_ALL) return fitScale(windowWidth_, windowHeight_, stageWidth_, stageHeight_);
    return static_cast<double>(windowHeight_) / stageHeight_;
}

double Stage::viewOffsetX() const {
    return scaleMode_ == StageScaleMode::SHOW_ALL ? (windowWidth_ - stageWidth_ * viewScaleX()) / 2 : 0.0;
}

double Stage::viewOffsetY() const {
    return scaleMode_ == StageScaleMode::SHOW_ALL ? (windowHeight_ - stageHeight_ * viewScaleY()) / 2 : 0.0;
}

Point Stage::windowToStage(double wx, double wy) const {
    return {(wx - viewOffsetX()) / viewScaleX(), (wy - viewOffsetY()) / viewScaleY()};
}

void Stage::setFullScreen(bool v, bool notify) {
    if (v == fullScreen_) return;
    fullScreen_ = v;
    if (!notify) return;
    Event e(Event::FULL_SCREEN);
    dispatchEvent(e);
}

void Stage::deactivate() {
    Event e(Event::DEACTIVATE);
    dispatchEvent(e);
}

DisplayObject* Stage::objectUnder(double x, double y) {
    DisplayObject* t = hitTarget(x, y);
    return t ? t : this;
}

DisplayObject* Stage::updateOver(bool sendMove, std::shared_ptr<EventDispatcher>* keep) {
    if (!pointerKnown_) return nullptr;
    DisplayObject* target = objectUnder(mouseX_, mouseY_);
    auto targetRef = target->weak_from_this().lock();
    if (keep) *keep = targetRef;
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
    return target;
}

void Stage::mouseMove(double x, double y) {
    mouseX_ = x;
    mouseY_ = y;
    pointerKnown_ = true;
    updateOver(true);
}

void Stage::mouseDown(double x, double y, int clicks) {
    mouseX_ = x;
    mouseY_ = y;
    pointerKnown_ = true;
    const bool drop = dropDoubleClick_ && clicks >= 2;
    dropDoubleClick_ = false;
    if (drop) return;
    std::shared_ptr<EventDispatcher> keep;
    DisplayObject* target = updateOver(false, &keep);
    if (auto* field = dynamic_cast<TextField*>(target); field && field->type() == TextFieldType::INPUT) {
        if (auto ref = field->weak_from_this().lock()) focus_ = std::static_pointer_cast<TextField>(ref);
        const Point local = field->globalToLocal({x, y});
        field->placeCaretAt(local.x);
    } else {
        focus_.reset();
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

std::shared_ptr<TextField> Stage::activeFocus() const {
    auto field = focus_.lock();
    if (field && (field->stage() != this || field->frameSuspended())) field.reset();
    return field;
}

namespace {

void collectInputs(const DisplayObjectContainer& c, std::vector<TextField*>& out) {
    for (int i = 0; i < c.numChildren(); ++i) {
        DisplayObject* child = c.getChildAt(i).get();
        if (!child->visible() || child->suspended()) continue;
        if (auto* f = dynamic_cast<TextField*>(child); f && f->type() == TextFieldType::INPUT) out.push_back(f);
        if (auto* sub = dynamic_cast<DisplayObjectContainer*>(child)) collectInputs(*sub, out);
    }
}

}  // namespace

bool Stage::cycleFocus(bool backwards) {
    if (numChildren() == 0) return false;
    auto* top = dynamic_cast<DisplayObjectContainer*>(getChildAt(numChildren() - 1).get());
    if (!top) return false;
    std::vector<TextField*> inputs;
    collectInputs(*top, inputs);
    if (inputs.empty()) return false;
    const auto current = activeFocus();
    std::size_t next = backwards ? inputs.size() - 1 : 0;
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        if (inputs[i] != current.get()) continue;
        next = backwards ? (i + inputs.size() - 1) % inputs.size() : (i + 1) % inputs.size();
        break;
    }
    if (auto ref = inputs[next]->weak_from_this().lock()) setFocus(std::static_pointer_cast<TextField>(ref));
    return true;
}

void Stage::keyDown(int keyCode, unsigned charCode, bool shift) {
    // Tab moves between input fields; on a screen without any it is an ordinary key.
    if (keyCode == Keyboard::TAB && cycleFocus(shift)) return;
    // Only a focused field that is still on this stage and not paused takes the keys.
    auto field = activeFocus();
    if (field) field->handleKey(keyCode);
    KeyboardEvent event(KeyboardEvent::KEY_DOWN, keyCode, charCode);
    if (field) field->dispatchEvent(event);
    else dispatchEvent(event);
}

void Stage::textInput(const std::string& utf8) {
    if (auto field = activeFocus()) field->handleTextInput(utf8);
}

void Stage::enterFrame() {
    ++frames_;
    EventDispatcher::broadcastEnterFrame();
}

void Stage::renderFrame(detail::Renderer& r, double outputScaleX, double outputScaleY, double offsetX,
                        double offsetY) {
    r.setViewScale(outputScaleX, outputScaleY, offsetX, offsetY);
    r.clear(color_);
    DisplayObjectContainer::render(r, Transform{});
}

}  // namespace scene
