#include "game/CCharacterEater.h"

#include <string>

CCharacterEater::CCharacterEater(int kind) { aux_set_dispositions("cliente_" + std::to_string(kind)); }
