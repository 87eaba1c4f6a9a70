#include "platform/DisplayObjectContainer.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>

#include "platform/Renderer.h"

namespace scene {

struct DisplayObjectContainer::GroupPicture {
    detail::SurfacePtr pixels;  // straight alpha, as the group draws at full opacity
    detail::SurfacePtr faded;   // the same with alpha scaled, for the texture
    detail::Texture texture;
    double scaleX = 0;  // output pixels per group unit it was drawn at
    double scaleY = 0;
    double offsetX = 0;  // its top left from the group's origin, in output pixels
    double offsetY = 0;
    int shownAlpha = -1;  // the alpha the texture now holds, 0 to 255
};

DisplayObjectContainer::DisplayObjectContainer() = default;

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
    picture_.reset();
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
    picture_.reset();
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
    if (cacheAsBitmap_ && renderPicture(renderer, t)) return;
    renderChildren(renderer, t);
}

void DisplayObjectContainer::renderChildren(detail::Renderer& renderer, const Transform& t) {
    renderOwnContent(renderer, t);
    for (const auto& c : children_) c->render(renderer, t);
}

void DisplayObjectContainer::setCacheAsBitmap(bool v) {
    cacheAsBitmap_ = v;
    picture_.reset();
}

double DisplayObjectContainer::glowReach() const {
    auto reachOf = [](const DisplayObject& o) {
        double reach = 0;
        for (const auto& f : o.filters()) {
            if (f.inner) continue;
            reach = std::max(reach, std::max(f.blurX, f.blurY) / 2 * std::clamp(f.quality, 1, 15) + 1);
        }
        return reach;
    };
    double reach = reachOf(*this);
    for (const auto& c : children_) {
        const auto* group = dynamic_cast<const DisplayObjectContainer*>(c.get());
        const double own = group ? std::max(reachOf(*c), group->glowReach()) : reachOf(*c);
        reach = std::max(reach, own * std::max(std::abs(c->scaleX()), std::abs(c->scaleY())));
    }
    return reach;
}

bool DisplayObjectContainer::renderPicture(detail::Renderer& r, const Transform& t) {
    const double vsx = r.viewScaleX(), vsy = r.viewScaleY();
    const double ksx = t.sx * vsx, ksy = t.sy * vsy;
    // The group's origin in output pixels.
    const double ox = t.tx * vsx + r.viewOffsetX(), oy = t.ty * vsy + r.viewOffsetY();
    GroupPicture* p = picture_.get();
    if (!p || p->scaleX != ksx || p->scaleY != ksy || !p->texture.valid()) {
        picture_ = std::make_unique<GroupPicture>();
        p = picture_.get();
        p->scaleX = ksx;
        p->scaleY = ksy;
        const Rect b = localBounds();
        const double m = glowReach();
        const double left = std::floor(ox + (b.x - m) * ksx), top = std::floor(oy + (b.y - m) * ksy);
        const int w = static_cast<int>(std::ceil(ox + (b.x + b.width + m) * ksx - left));
        const int h = static_cast<int>(std::ceil(oy + (b.y + b.height + m) * ksy - top));
        const Transform opaque{t.tx, t.ty, t.sx, t.sy, 1.0};
        p->pixels = r.drawApart(static_cast<int>(left), static_cast<int>(top), w, h,
                                [&] { renderChildren(r, opaque); });
        p->offsetX = left - ox;
        p->offsetY = top - oy;
        if (p->pixels) p->faded = detail::makeSurface(w, h);
        if (!p->faded || !p->texture.upload(p->pixels.get())) {
            cacheAsBitmap_ = false;  // drawn child by child from now on
            picture_.reset();
            return false;
        }
        p->shownAlpha = 255;
    }
    const int a = static_cast<int>(std::lround(std::clamp(t.alpha, 0.0, 1.0) * 255.0));
    if (a != p->shownAlpha) {
        // Faded here, once per alpha: the software renderer blends a copy
        // whose own alpha is also scaled at several times the cost of a plain one.
        SDL_Surface* from = p->pixels.get();
        SDL_Surface* to = p->faded.get();
        for (int y = 0; y < from->h; ++y) {
            const auto* src = reinterpret_cast<const Uint32*>(static_cast<const Uint8*>(from->pixels) + y * from->pitch);
            auto* dst = reinterpret_cast<Uint32*>(static_cast<Uint8*>(to->pixels) + y * to->pitch);
            for (int x = 0; x < from->w; ++x) {
                const Uint32 pa = (src[x] >> 24) * static_cast<Uint32>(a);
                dst[x] = (src[x] & 0xFFFFFFu) | (((pa + 127) / 255) << 24);
            }
        }
        p->texture.update(a == 255 ? from : to);
        p->shownAlpha = a;
    }
    const double w = p->pixels->w, h = p->pixels->h;
    r.drawTexture(p->texture, {t.tx + p->offsetX / vsx, t.ty + p->offsetY / vsy, w / vsx, h / vsy}, 1.0, nullptr,
                  0xFFFFFF, true);
    return true;
}

void DisplayObjectContainer::prepareContent(detail::Renderer& renderer) {
    prepareOwnContent(renderer);
    for (const auto& c : children_) c->prepareContent(renderer);
}

}  // namespace scene
