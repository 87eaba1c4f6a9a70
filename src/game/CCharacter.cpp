#include "game/CCharacter.h"

#include <cmath>

#include "app/MAux.h"

CCharacter::CCharacter() : dispositions_(8) {}

int CCharacter::aux_dx_dy_to_direction(int dx, int dy) {
    const int row = dy < -50 ? 0 : (dy > 50 ? 6 : 3);
    const int column = dx < -100 ? 1 : (dx > 100 ? 2 : 0);
    return row + column;
}

int CCharacter::aux_d_to_x(int d, int w) { return d > 100 ? w : (d < -100 ? -w : 0); }

int CCharacter::aux_d_to_y(int d, int h) { return d > 50 ? h : (d < -50 ? -h : 0); }

void CCharacter::setDisposition(int ix, int iy, const std::string& name) {
    const int d = aux_dx_dy_to_direction(ix * 110, iy * 110);
    if (static_cast<int>(dispositions_.size()) <= d) dispositions_.resize(d + 1);
    dispositions_[d] = std::make_shared<scene::Bitmap>(MAux::getBitmapData("assets/personaggi/" + name + ".png"));
}

void CCharacter::updateDisposition(int dx, int dy, bool reposition) {
    const int d = aux_dx_dy_to_direction(dx, dy);
    const auto& picture = d < static_cast<int>(dispositions_.size()) ? dispositions_[d] : nullptr;
    // Swapping to the picture already shown would only cost a removal and an insertion.
    if (numChildren() != 1 || getChildAt(0) != picture) {
        if (numChildren() == 1) removeChildAt(0);
        if (picture) addChild(picture);
    }
    if (!reposition || !parent() || parent()->numChildren() == 0) return;
    const auto p = parent()->getChildAt(0);
    setX(aux_d_to_x(dx, static_cast<int>(std::floor(p->width() / 2))));
    setY(aux_d_to_y(dy, static_cast<int>(std::floor(p->height() / 2))) + height() / 2);
}

void CCharacter::aux_set_dispositions(const std::string& prefix) {
    const char* const suffix[] = {"_d", "_c", "_s"};
    for (int ix = -1; ix <= 1; ++ix) {
        for (int iy = -1; iy <= 1; ++iy) setDisposition(ix, iy, prefix + suffix[ix + 1]);
    }
}
