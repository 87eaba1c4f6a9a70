#include "ui/CTextButton.h"

CTextButton::CTextButton(const std::string& key, scene::DisplayObjectContainer* container, const Look& look)
    : normal_(look.normal), over_(look.over) {
    t_ = CWidget::caption(key, *normal_, 800);
    CWidget::fitCaption(*t_, 800, *normal_->size);
    if (look.passiveCaption) {
        t_->setType(scene::TextFieldType::DYNAMIC);
        t_->setMouseEnabled(false);
    }
    addChild(t_);
    s_ = CWidget::settle(*this, container, look.displacement, 0, *t_);
    // The pointer reaching any other part of the container resets the caption.
    if (container && container->numChildren() > 0) {
        containerOver_.attach(container, scene::MouseEvent::MOUSE_OVER, this, &CTextButton::listener_out);
    }

    s_->addEventListener(scene::MouseEvent::MOUSE_MOVE, this, &CTextButton::listener_over);
    s_->addEventListener(scene::MouseEvent::MOUSE_DOWN, this, &CTextButton::listener_click);
    s_->addEventListener(scene::MouseEvent::MOUSE_OUT, this, &CTextButton::listener_out);
}

CTextButton::~CTextButton() = default;

void CTextButton::disable() {
    s_->removeEventListener(scene::MouseEvent::MOUSE_DOWN, this, &CTextButton::listener_click);
    enabled_ = false;
}

void CTextButton::enable() {
    s_->addEventListener(scene::MouseEvent::MOUSE_DOWN, this, &CTextButton::listener_click);
    enabled_ = true;
}

void CTextButton::listener_over(scene::MouseEvent& event) {
    if (!enabled_) return;
    event.stopPropagation();
    t_->setTextFormat(*over_);
}

void CTextButton::listener_out(scene::MouseEvent&) { t_->setTextFormat(*normal_); }

void CTextButton::listener_click(scene::MouseEvent&) {}

void CTextButton::setWidth(double w) {
    CWidget::fitCaption(*t_, w, *normal_->size);
    s_->setWidth(w);
}
