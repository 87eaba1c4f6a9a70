#include "game/COrder.h"

#include "app/MAux.h"
#include "game/CTapeHost.h"

COrder::COrder(const std::string& kind, int yen, scene::DisplayObjectContainer* host) : CSlot(yen), kind_(kind) {
    yen_ = yen;
    aux_add_children(std::make_shared<scene::Bitmap>(MAux::getBitmapData("assets/ordini/" + kind + ".png")));
    addEventListener(scene::MouseEvent::MOUSE_MOVE, this, &COrder::listener_over);
    addEventListener(scene::MouseEvent::MOUSE_DOWN, this, &COrder::listener_click);
    addEventListener(scene::MouseEvent::MOUSE_OUT, this, &COrder::listener_out);
    if (host) {
        host_ = host;
        host_life_ = host->lifeToken();
        host->addEventListener(scene::MouseEvent::MOUSE_OVER, this, &COrder::listener_out);
    }
}

COrder::~COrder() { Delete(); }

void COrder::Delete() {
    removeEventListener(scene::MouseEvent::MOUSE_MOVE, this, &COrder::listener_over);
    removeEventListener(scene::MouseEvent::MOUSE_DOWN, this, &COrder::listener_click);
    removeEventListener(scene::MouseEvent::MOUSE_OUT, this, &COrder::listener_out);
    // The host may already be gone at teardown; then its listeners went with it.
    if (host_ && !host_life_.expired()) host_->removeEventListener(scene::MouseEvent::MOUSE_OVER, this, &COrder::listener_out);
    host_ = nullptr;
}

std::shared_ptr<COrder> COrder::clone() const { return std::make_shared<COrder>(kind_, yen_); }

void COrder::listener_click(scene::MouseEvent&) {
    auto* tape = parent();
    auto* host = tape ? dynamic_cast<CTapeHost*>(tape->parent()) : nullptr;
    if (!host) return;
    host->listener_order_click(std::static_pointer_cast<COrder>(shared_from_this()));
}

void COrder::listener_over(scene::MouseEvent& event) {
    MAux::mouseCursorToButton();
    event.stopPropagation();
}

void COrder::listener_out(scene::MouseEvent&) { MAux::mouseCursorToArrow(); }
