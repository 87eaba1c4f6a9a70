#pragma once

#include <memory>
#include <string>

#include "game/CSlot.h"
#include "recipes/CRecipePlate.h"

// A prepared plate: on the belt, as the recipe tree's template of a recipe,
// or as the order panel's picture. Immortal until given a life time.
class CPlate : public CSlot, public CRecipePlate {
public:
    CPlate(const std::string& kind, int yen = 0);

    // A new plate of the same kind and current price, with a fresh life.
    virtual std::shared_ptr<CPlate> clone() const;
};
