#include "platform/DisplayObjectContainer.h"

#include <algorithm>

namespace scene {

DisplayObjectContainer::~DisplayObjectContainer() {
    for (auto& c : children_) c->parent_ = nullptr;
}

DisplayObjectPtr DisplayObjectContainer::addChild(const DisplayObjectPtr& child) {
    return addChildAt(child, numChildren() - (child && child->parent_ == this ? 1 : 0));
}

DisplayObjectPtr DisplayObjectContainer::addChildAt(const DisplayObjectPtr& child, int index) {
    if (!child || child.get() == this) return child;
    if (auto* asContainer = dynamic_cast<DisplayObjectContainer*>(child.get())) {
        if (asContainer->contains(this)) return child;  // would make a cycle
    }
    DisplayObjectPtr keep = child;
    if (child->parent_) child->parent_->removeChild(child.get());
    index = std::clamp(index, 0, numChildren());
    children_.insert(children_.begin() + index, keep);
    keep->parent_ = this;
    return keep;
}

DisplayObjectPtr DisplayObjectContainer::removeChild(const DisplayObjectPtr& child) { return removeChild(child.get()); }

DisplayObjectPtr DisplayObjectContainer::removeChild(DisplayObject* child) {
    const int i = getChildIndex(child);
    return i < 0 ? nullptr : removeChildAt(i);
}

DisplayObjectPtr DisplayObjectContainer::removeChildAt(int index) {
    if (index < 0 || index >= numChildren()) return nullptr;
    DisplayObjectPtr c = children_[static_cast<std::size_t>(index)];
    children_.erase(children_.begin() + index);
    c->parent_ = nullptr;
    return c;
}

DisplayObjectPtr DisplayObjectContainer::getChildAt(int index) const {
    if (index < 0 || index >= numChildren()) return nullptr;
    return children_[static_cast<std::size_t>(index)];
}

int DisplayObjectContainer::getChildIndex(const DisplayObject* child) const {
    for (std::size_t i = 0; i < children_.size(); ++i) {
        if (children_[i].get() == child) return static_cast<int>(i);
    }
    return -1;
}

bool DisplayObjectContainer::contains(const DisplayObject* object) const {
    for (const DisplayObject* o = object; o; o = o->parent()) {
        if (o == this) return true;
    }
    return false;
}

Rect DisplayObjectContainer::localBounds() const {
    Rect r = ownContentBounds();
    for (const auto& c : children_) {
        if (!c->visible()) continue;
        r = r.united(c->bounds());
    }
    return r;
}

DisplayObject* DisplayObjectContainer::hitTarget(double lx, double ly) {
    if (!visible() || suspended()) return nullptr;
    if (!mouseChildren_) return mouseEnabled() && localBounds().contains(lx, ly) ? this : nullptr;
    for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
        DisplayObject* c = it->get();
        if (!c->visible() || c->suspended() || c->scaleX() == 0 || c->scaleY() == 0) continue;
        const double cx = (lx - c->x()) / c->scaleX();
        const double cy = (ly - c->y()) / c->scaleY();
        if (dynamic_cast<DisplayObjectContainer*>(c)) {
            if (DisplayObject* t = c->hitTarget(cx, cy)) return t;
        } else if (c->hitsContent(cx, cy)) {
            // Content of a mouse-disabled leaf lets the pointer through.
            if (!c->mouseEnabled()) continue;
            if (c->interactive()) return c;
            if (mouseEnabled()) return this;
        }
    }
    if (mouseEnabled() && ownContentBounds().contains(lx, ly)) return this;
    return nullptr;
}

void DisplayObjectContainer::render(detail::Renderer& renderer, const Transform& pt) {
    if (!visible() || alpha() <= 0) return;
    Transform t{pt.tx + x() * pt.sx, pt.ty + y() * pt.sy, pt.sx * scaleX(), pt.sy * scaleY(), pt.alpha * alpha()};
    renderOwnContent(renderer, t);
    for (const auto& c : children_) c->render(renderer, t);
}

void DisplayObjectContainer::prepareContent(detail::Renderer& renderer) {
    prepareOwnContent(renderer);
    for (const auto& c : children_) c->prepareContent(renderer);
}

}  // namespace scene
