#pragma once

#include "game/CCharacter.h"

// The worried face a belt item shows while its customer is running out of patience.
class CCharacterWorried : public CCharacter {
public:
    CCharacterWorried();
};
