#include "recipes/CTable.h"

#include "app/MAux.h"
#include "recipes/CRecipesHost.h"

CTable::CTable() {
    addEventListener(scene::MouseEvent::MOUSE_MOVE, this, &CTable::listener_over);
    addEventListener(scene::MouseEvent::MOUSE_DOWN, this, &CTable::listener_click);
    addEventListener(scene::MouseEvent::MOUSE_OUT, this, &CTable::listener_out);
}

void CTable::Delete() {
    removeEventListener(scene::MouseEvent::MOUSE_MOVE, this, &CTable::listener_over);
    removeEventListener(scene::MouseEvent::MOUSE_DOWN, this, &CTable::listener_click);
    removeEventListener(scene::MouseEvent::MOUSE_OUT, this, &CTable::listener_out);
}

void CTable::showPreparation(const std::shared_ptr<CPreparation>& preparation) {
    if (!preparation) return;
    if (preparation->getId() == 0) {
        if (actual_) removeChild(actual_);
        actual_ = nullptr;
        return;
    }
    if (actual_) {
        if (actual_->getId() == preparation->getId()) return;
        removeChild(actual_);
    }
    actual_ = preparation;
    actual_->setX(0);
    actual_->setY(0);
    addChild(actual_);
}

void CTable::listener_click(scene::MouseEvent&) {
    MAux::mouseCursorToArrow();
    if (auto* host = dynamic_cast<CRecipesHost*>(parent())) host->listener_reset_recipe();
}

void CTable::listener_over(scene::MouseEvent& event) {
    MAux::mouseCursorToButton();
    event.stopPropagation();
}

void CTable::listener_out(scene::MouseEvent&) { MAux::mouseCursorToArrow(); }
