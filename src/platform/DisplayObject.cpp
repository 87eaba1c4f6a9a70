#include "platform/DisplayObject.h"

#include <array>

#include "platform/DisplayObjectContainer.h"
#include "platform/Renderer.h"
#include "platform/Stage.h"

namespace scene {

void DisplayObject::prepare() {
    if (detail::Renderer* r = detail::Renderer::current()) prepareContent(*r);
}

double DisplayObject::width() const { return localBounds().width * scaleX_; }
double DisplayObject::height() const { return localBounds().height * scaleY_; }

void DisplayObject::setWidth(double w) {
    const double natural = localBounds().width;
    if (natural > 0) scaleX_ = w / natural;
}

void DisplayObject::setHeight(double h) {
    const double natural = localBounds().height;
    if (natural > 0) scaleY_ = h / natural;
}

void DisplayObject::setFilters(std::vector<GlowFilter> f) {
    if (f == filters_) return;
    filters_ = std::move(f);
    filtersChanged();
}

Stage* DisplayObject::stage() const {
    const DisplayObject* o = this;
    while (o->parent_) o = o->parent_;
    return dynamic_cast<Stage*>(const_cast<DisplayObject*>(o));
}

bool DisplayObject::frameSuspended() const {
    for (const DisplayObject* o = this; o; o = o->parent_) {
        if (o->suspended_) return true;
    }
    return false;
}

Rect DisplayObject::bounds() const {
    const Rect r = localBounds();
    return {x_ + r.x * scaleX_, y_ + r.y * scaleY_, r.width * scaleX_, r.height * scaleY_};
}

Point DisplayObject::localToGlobal(Point p) const {
    for (const DisplayObject* o = this; o && !dynamic_cast<const Stage*>(o); o = o->parent_) {
        p = {o->x_ + p.x * o->scaleX_, o->y_ + p.y * o->scaleY_};
    }
    return p;
}

Point DisplayObject::globalToLocal(Point p) const {
    std::array<const DisplayObject*, 64> chain{};
    std::size_t n = 0;
    for (const DisplayObject* o = this; o && !dynamic_cast<const Stage*>(o) && n < chain.size(); o = o->parent_) {
        chain[n++] = o;
    }
    while (n > 0) {
        const DisplayObject* o = chain[--n];
        p = {(p.x - o->x_) / (o->scaleX_ != 0 ? o->scaleX_ : 1), (p.y - o->y_) / (o->scaleY_ != 0 ? o->scaleY_ : 1)};
    }
    return p;
}

bool DisplayObject::dispatchEvent(Event& event) {
    if (!event.target()) event.setTarget(this);
    if (!event.bubbles()) {
        notifyListeners(event);
        return !event.propagationStopped();
    }
    // Build the whole path first, holding every node, so a handler that
    // detaches something cannot cut the walk short or free a node under it.
    constexpr std::size_t kMaxDepth = 64;
    std::array<std::shared_ptr<EventDispatcher>, kMaxDepth> path{};
    std::array<DisplayObject*, kMaxDepth> raw{};
    std::size_t n = 0;
    for (DisplayObject* o = this; o && n < kMaxDepth; o = o->parent_) {
        path[n] = o->weak_from_this().lock();
        raw[n] = o;
        ++n;
    }
    auto* mouse = dynamic_cast<MouseEvent*>(&event);
    for (std::size_t i = 0; i < n; ++i) {
        if (mouse) {
            const Point local = raw[i]->globalToLocal({mouse->stageX, mouse->stageY});
            mouse->localX = local.x;
            mouse->localY = local.y;
        }
        raw[i]->notifyListeners(event);
        if (event.propagationStopped()) break;
    }
    return !event.propagationStopped();
}

bool DisplayObject::hitsContent(double lx, double ly) const { return localBounds().contains(lx, ly); }

DisplayObject* DisplayObject::hitTarget(double lx, double ly) {
    if (!visible_ || !mouseEnabled_ || suspended_) return nullptr;
    return hitsContent(lx, ly) ? this : nullptr;
}

}  // namespace scene
