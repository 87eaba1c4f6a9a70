#include "game/CPlate.h"

#include "app/MAux.h"

CPlate::CPlate(const std::string& kind, int yen) : CSlot(yen), CRecipePlate(kind) {
    lifespan_ = -1;
    aux_add_children(std::make_shared<scene::Bitmap>(MAux::getBitmapData("assets/piatti/" + kind + ".png")));
}

std::shared_ptr<CPlate> CPlate::clone() const { return std::make_shared<CPlate>(getKind(), yen_); }
