#pragma once

#include <memory>
#include <vector>

#include "platform/DisplayObject.h"

namespace scene {

// A display object that owns an ordered list of children; index 0 is drawn first.
class DisplayObjectContainer : public DisplayObject {
public:
    DisplayObjectContainer();
    ~DisplayObjectContainer() override;

    // Adding a child that already has a parent first removes it from there.
    DisplayObjectPtr addChild(const DisplayObjectPtr& child);
    DisplayObjectPtr addChildAt(const DisplayObjectPtr& child, int index);
    // Both return the removed child (null when it was not a child).
    DisplayObjectPtr removeChild(const DisplayObjectPtr& child);
    DisplayObjectPtr removeChild(DisplayObject* child);
    DisplayObjectPtr removeChildAt(int index);
    DisplayObjectPtr getChildAt(int index) const;
    int getChildIndex(const DisplayObject* child) const;
    int numChildren() const { return static_cast<int>(children_.size()); }
    // True for the container itself and everything below it.
    bool contains(const DisplayObject* object) const;

    // With mouseChildren off, a hit on a child makes this container the target
    // (or, when it is not mouse-enabled either, lets the pointer through).
    bool mouseChildren() const { return mouseChildren_; }
    void setMouseChildren(bool v) { mouseChildren_ = v; }

    // Drawn once into one picture, which is then copied and faded as a whole
    // by the group's alpha: for a group that stays as it is while it fades
    // (an order panel), so a fade costs one plain copy a frame. Changes below
    // the group show only once a child is added or removed here, the output
    // scale changes or the flag is set again.
    bool cacheAsBitmap() const { return cacheAsBitmap_; }
    void setCacheAsBitmap(bool v);

    Rect localBounds() const override;
    DisplayObject* hitTarget(double localX, double localY) override;
    void render(detail::Renderer& renderer, const Transform& parentTransform) override;

protected:
    // Drawn beneath the children (a sprite's graphics).
    virtual void renderOwnContent(detail::Renderer&, const Transform&) {}
    void prepareContent(detail::Renderer& renderer) override;
    virtual void prepareOwnContent(detail::Renderer&) {}
    virtual Rect ownContentBounds() const { return {}; }

private:
    struct GroupPicture;
    void renderChildren(detail::Renderer& renderer, const Transform& t);
    // Draws the group from its one picture; false when that cannot be made.
    bool renderPicture(detail::Renderer& renderer, const Transform& t);
    // How far glows below the group reach past its bounds, in its own units.
    double glowReach() const;

    std::vector<DisplayObjectPtr> children_;
    bool mouseChildren_ = true;
    bool cacheAsBitmap_ = false;
    std::unique_ptr<GroupPicture> picture_;
};

}  // namespace scene
