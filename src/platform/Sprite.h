#pragma once

#include "platform/DisplayObjectContainer.h"
#include "platform/Graphics.h"

namespace scene {

// A container with its own vector drawing beneath its children.
class Sprite : public DisplayObjectContainer {
public:
    Graphics& graphics() { return graphics_; }

protected:
    void renderOwnContent(detail::Renderer& r, const Transform& t) override { graphics_.render(r, t, filters()); }
    Rect ownContentBounds() const override { return graphics_.bounds(); }
    void prepareOwnContent(detail::Renderer& r) override { graphics_.prepare(r, filters()); }

private:
    Graphics graphics_;
};

using SpritePtr = std::shared_ptr<Sprite>;

}  // namespace scene
