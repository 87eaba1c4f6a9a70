#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/EventDispatcher.h"
#include "platform/Geometry.h"
#include "platform/GlowFilter.h"

namespace scene {

class DisplayObjectContainer;
class Stage;
namespace detail {
class Renderer;
}

// Anything that can sit in the display list: position, scale, opacity,
// visibility, a parent, bounds, hit testing and drawing.
class DisplayObject : public EventDispatcher {
public:
    DisplayObject() { ++live_; }
    ~DisplayObject() override { --live_; }

    // Display objects alive in the process: what a finished screen leaves behind shows here.
    static std::size_t liveCount() { return live_; }

    double x() const { return x_; }
    double y() const { return y_; }
    void setX(double v) { x_ = v; }
    void setY(double v) { y_ = v; }
    double scaleX() const { return scaleX_; }
    double scaleY() const { return scaleY_; }
    void setScaleX(double v) { scaleX_ = v; }
    void setScaleY(double v) { scaleY_ = v; }

    // Displayed size in the parent's coordinates; setting it rescales the object.
    virtual double width() const;
    virtual double height() const;
    virtual void setWidth(double w);
    virtual void setHeight(double h);

    double alpha() const { return alpha_; }
    void setAlpha(double v) { alpha_ = v; }
    bool visible() const { return visible_; }
    void setVisible(bool v) { visible_ = v; }
    bool mouseEnabled() const { return mouseEnabled_; }
    void setMouseEnabled(bool v) { mouseEnabled_ = v; }
    // A suspended object and everything under it get no "enterFrame" and no
    // input until resumed (a screen waiting under a side screen).
    bool suspended() const { return suspended_; }
    void setSuspended(bool v) { suspended_ = v; }
    bool frameSuspended() const override;
    const std::string& name() const { return name_; }
    void setName(std::string n) { name_ = std::move(n); }

    const std::vector<GlowFilter>& filters() const { return filters_; }
    void setFilters(std::vector<GlowFilter> f);

    // Non-owning; null when the object is not in a container.
    DisplayObjectContainer* parent() const { return parent_; }
    // The stage this object is displayed on, or null.
    Stage* stage() const;

    // Bounds in the object's own (unscaled) coordinates.
    virtual Rect localBounds() const = 0;
    // Bounds in the parent's coordinates.
    Rect bounds() const;

    Point localToGlobal(Point p) const;
    Point globalToLocal(Point p) const;

    // Mouse events bubble from the target up to the stage.
    bool dispatchEvent(Event& event) override;

    // The deepest interactive object under a point given in this object's own
    // coordinates, or null. Bitmaps hand their hit to their container.
    virtual DisplayObject* hitTarget(double localX, double localY);
    // Whether the object's own content covers the point.
    virtual bool hitsContent(double localX, double localY) const;
    // Whether a hit on this object's content makes it the target (bitmaps do not).
    virtual bool interactive() const { return true; }

    virtual void render(detail::Renderer& renderer, const Transform& parentTransform) = 0;

    // Rasterises now what the object and its children show (texts, shapes and
    // their glows) at the current output scale, so that showing them later, or
    // showing the same content in another object, only copies pictures.
    void prepare();

protected:
    virtual void prepareContent(detail::Renderer&) {}
    // Called when the object's own content changed in a way that moves its glow.
    virtual void filtersChanged() {}

private:
    static inline std::size_t live_ = 0;
    friend class DisplayObjectContainer;

    double x_ = 0;
    double y_ = 0;
    double scaleX_ = 1;
    double scaleY_ = 1;
    double alpha_ = 1;
    bool visible_ = true;
    bool mouseEnabled_ = true;
    bool suspended_ = false;
    std::string name_;
    std::vector<GlowFilter> filters_;
    DisplayObjectContainer* parent_ = nullptr;
};

using DisplayObjectPtr = std::shared_ptr<DisplayObject>;

}  // namespace scene
