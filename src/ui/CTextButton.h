#pragma once

#include <memory>
#include <string>

#include "ui/CWidget.h"
#include "platform/Display.h"

// A full-width strip with a centred caption that lights up under the pointer
// and acts when the mouse button goes down. CButton and CButtonSmall differ
// only in size, gap and a few extra handlers.
class CTextButton : public scene::Sprite {
public:
    ~CTextButton() override;

    // Disabling stops presses and hover highlighting; the look stays the same.
    virtual void disable();
    virtual void enable();
    virtual void listener_over(scene::MouseEvent& event);
    virtual void listener_out(scene::MouseEvent& event);
    // What the button does; concrete buttons override it.
    virtual void listener_click(scene::MouseEvent& event);

    bool isEnabled() const { return enabled_; }

    // Narrows or widens the strip: the caption stays centred at its own size
    // instead of being squeezed, and the cover follows.
    void setWidth(double w) override;

    std::shared_ptr<scene::TextField> t_;
    std::shared_ptr<scene::Sprite> s_;
    bool enabled_ = true;

protected:
    struct Look {
        const scene::TextFormat* normal;
        const scene::TextFormat* over;
        double displacement;
        // Whether the caption is made a plain, pointer-blind label.
        bool passiveCaption;
    };
    CTextButton(const std::string& key, scene::DisplayObjectContainer* container, const Look& look);

private:
    const scene::TextFormat* normal_;
    const scene::TextFormat* over_;
    ContainerListener<CTextButton, scene::MouseEvent> containerOver_;
};
