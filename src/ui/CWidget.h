#pragma once

#include <memory>
#include <string>

#include "platform/Display.h"

// What the text widgets, buttons and inputs share: the place below a
// container's last child, the transparent cover that takes the pointer, and
// the soft glow behind their texts.
class CWidget {
public:
    // y of a widget about to join container: below its last child, or
    // displacement from the top when there is no container or it is empty.
    static double placeBelowLastChild(const scene::DisplayObjectContainer* container, double displacement);
    // A sprite holding "assets/b.png" stretched to width by height.
    static std::shared_ptr<scene::Sprite> cover(double width, double height);
    // Gives a one-line field its layout height (its font size, which screens'
    // coordinates rely on) and lets descenders draw below that box instead
    // of being cut off.
    static void oneLine(scene::TextField& field, double height);
    // Scales a one-line caption down, centred in its box, when its text is
    // wider than width; back to full size when it fits.
    static void fitCaption(scene::TextField& field, double width, double height);
    // The text every text widget starts from: the language text under key in
    // format, width wide, with the glow; at the format's size as its one-line
    // height unless the widget wraps it.
    static std::shared_ptr<scene::TextField> caption(const std::string& key, const scene::TextFormat& format,
                                                     double width, bool oneLineHigh = true);
    // Places widget below the container's last child, at x, and gives it the
    // pointer cover over its text; the cover is returned, already a child.
    static std::shared_ptr<scene::Sprite> settle(scene::Sprite& widget, const scene::DisplayObjectContainer* container,
                                                 double displacement, double x, const scene::TextField& text);
    // The light yellow halo of captions, labels and inputs.
    static scene::GlowFilter glow() { return scene::GlowFilter(0xFFFF80, 1.0, 3, 3, 3, 3); }
};

// Removes a listener that a widget put on its container, unless the container
// is already gone. The container may be a screen still under construction, so
// it is held by its life token rather than a shared pointer.
template <class T, class E>
class ContainerListener {
public:
    ContainerListener() = default;
    ContainerListener(const ContainerListener&) = delete;
    ContainerListener& operator=(const ContainerListener&) = delete;
    ~ContainerListener() { release(); }

    void attach(scene::DisplayObjectContainer* container, const char* type, T* object, void (T::*method)(E&)) {
        release();
        container_ = container;
        life_ = container->lifeToken();
        type_ = type;
        object_ = object;
        method_ = method;
        container->addEventListener(type, object, method);
    }

    void release() {
        if (container_ && !life_.expired()) container_->removeEventListener(type_, object_, method_);
        container_ = nullptr;
    }

private:
    scene::DisplayObjectContainer* container_ = nullptr;
    std::weak_ptr<void> life_;
    const char* type_ = nullptr;
    T* object_ = nullptr;
    void (T::*method_)(E&) = nullptr;
};
