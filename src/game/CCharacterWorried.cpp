#include "game/CCharacterWorried.h"

CCharacterWorried::CCharacterWorried() { aux_set_dispositions("slot_in_scadenza"); }
