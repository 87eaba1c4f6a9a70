#include "app/CMain.h"

#include <cstdio>

scene::Stage* CMain::stage_ = nullptr;
std::vector<std::shared_ptr<scene::DisplayObject>> CMain::stack_;
Value CMain::rvalue_;
std::shared_ptr<scene::Sprite> CMain::removed_ = std::make_shared<scene::Sprite>();
int CMain::timed_delay_ = 0;
std::set<int> CMain::unknown_screens_;
std::weak_ptr<scene::DisplayObject> CMain::beneath_overlay_;
std::shared_ptr<scene::TextField> CMain::trace_window_;

namespace {

// Removes the screens a Dispatch left behind, a frame later. The removal is a
// static function; this object carries it as a frame listener.
struct RemovedScreenSweeper : scene::LifeTracked {
    void onFrame(scene::Event& e) { CMain::timedRemoveFromStage(e); }
};
RemovedScreenSweeper sweeper;

}  // namespace

std::map<int, CMain::Factory>& CMain::factories() {
    static std::map<int, Factory> f;
    return f;
}

void CMain::registerScreen(int screen, Factory factory) { factories()[screen] = std::move(factory); }

void CMain::aux_stage() {
    if (stage_) return;
    stage_ = scene::Stage::current();
    if (!stage_) return;
    // The 800 by 480 picture keeps its shape in any window, between bars.
    stage_->setScaleMode(scene::StageScaleMode::SHOW_ALL);
    stage_->setAlign(scene::StageAlign::TOP_LEFT);
}

void CMain::Dispatch(int screen, const Value& params) {
    aux_stage();
    if (!stage_) return;
    // Screens waiting under side screens are given up as well.
    for (auto& waiting : stack_) {
        if (auto s = std::dynamic_pointer_cast<CScreen>(waiting)) s->deleteOnce();
    }
    stack_.clear();
    beneath_overlay_.reset();
    aux_show(screen, params, nullptr);
}

void CMain::aux_show(int screen, const Value& params, const scene::DisplayObject* kept) {
    const int n = stage_->numChildren();
    for (int i = 0; i < n; ++i) {
        auto child = stage_->getChildAt(i);
        if (child.get() == kept) continue;
        if (auto s = std::dynamic_pointer_cast<CScreen>(child)) s->deleteOnce();
    }
    safeRemoveFromStage();
    // Keys never reach a field of a screen that left, and the second press of
    // a double-click never reaches the screen the first one opened.
    stage_->setFocus(nullptr);
    stage_->dropNextDoubleClick();
    auto it = factories().find(screen);
    if (it == factories().end()) {
        if (unknown_screens_.insert(screen).second) {
            std::fprintf(stderr, "Pelmora: no screen is registered for identifier %d\n", screen);
        }
        return;
    }
    if (auto created = it->second(params)) stage_->addChild(created);
}

void CMain::safeRemoveFromStage() {
    timed_delay_ = 1;
    stage_->addEventListener(scene::Event::ENTER_FRAME, &sweeper, &RemovedScreenSweeper::onFrame);
}

void CMain::timedRemoveFromStage(scene::Event&) {
    --timed_delay_;
    if (timed_delay_ > 0) return;
    if (!stage_) return;
    stage_->removeEventListener(scene::Event::ENTER_FRAME, &sweeper, &RemovedScreenSweeper::onFrame);
    while (removed_->numChildren() > 0) removed_->removeChildAt(removed_->numChildren() - 1);
    const auto beneath = beneath_overlay_.lock();
    int index = 0;
    while (stage_->numChildren() > index + 1) {
        if (stage_->getChildAt(index) == beneath) {
            ++index;
            continue;
        }
        removed_->addChild(stage_->removeChildAt(index));
    }
}

namespace {

// Remembers the current screen (the stage's topmost child) and suspends it; null when there is none.
std::shared_ptr<scene::DisplayObject> suspendCurrent(scene::Stage& stage,
                                                     std::vector<std::shared_ptr<scene::DisplayObject>>& stack) {
    const int n = stage.numChildren();
    auto current = n > 0 ? stage.getChildAt(n - 1) : nullptr;
    if (current) {
        stack.push_back(current);
        current->setSuspended(true);
        if (auto s = std::dynamic_pointer_cast<CScreen>(current)) s->suspend();
    }
    return current;
}

}  // namespace

void CMain::Overlay(const std::shared_ptr<CScreen>& overlay) {
    aux_stage();
    if (!stage_ || !overlay) return;
    auto current = suspendCurrent(*stage_, stack_);
    beneath_overlay_ = current;
    stage_->setFocus(nullptr);
    stage_->addChild(overlay);
}

void CMain::Call(int screen, const Value& params) {
    aux_stage();
    if (!stage_) return;
    // The topmost child is the current screen, also in the frame of a change.
    auto current = suspendCurrent(*stage_, stack_);
    aux_show(screen, params, current.get());
}

void CMain::Return(const Value& value) {
    aux_stage();
    if (!stage_) return;
    safeRemoveFromStage();
    if (!value.isNull()) rvalue_ = value;
    // With nothing remembered there is nothing to bring back.
    if (stack_.empty()) return;
    auto back = stack_.back();
    stack_.pop_back();
    beneath_overlay_.reset();
    stage_->setFocus(nullptr);
    stage_->dropNextDoubleClick();
    stage_->addChild(back);
    back->setSuspended(false);
    if (auto s = std::dynamic_pointer_cast<CScreen>(back)) s->resume();
}

void CMain::setFocus(const std::shared_ptr<CFocusable>& input) {
    if (input) setFocus(input->toTextField());
}

void CMain::setFocus(const std::shared_ptr<scene::TextField>& field) {
    if (!stage_ || !field) return;
    stage_->setFocus(field);
}

void CMain::trace(const Value& value, const PosInfos* info) {
    std::string level;
    if (info && info->customParams) {
        level = "log";
        if (!info->customParams->empty()) {
            const std::string first = info->customParams->front().text();
            if (first == "warn" || first == "info" || first == "debug" || first == "error") level = first;
        }
    }
    if (!trace_window_) trace_window_ = std::make_shared<scene::TextField>();
    trace_window_->setText(trace_window_->text() + "[" + level + "]" + value.text());
}

void CMain::reset() {
    if (stage_) {
        stage_->removeEventListener(scene::Event::ENTER_FRAME, &sweeper, &RemovedScreenSweeper::onFrame);
        stage_->setFocus(nullptr);
    }
    stage_ = nullptr;
    stack_.clear();
    rvalue_ = Value();
    removed_ = std::make_shared<scene::Sprite>();
    timed_delay_ = 0;
    trace_window_.reset();
    unknown_screens_.clear();
    beneath_overlay_.reset();
}
