#pragma once

#include "game/CCharacter.h"

// A customer, in one of four looks (kind 1 to 4), shown while a plate is eaten.
class CCharacterEater : public CCharacter {
public:
    explicit CCharacterEater(int kind);
};
