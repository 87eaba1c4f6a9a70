#pragma once

#include "SqlConnection.h"

namespace pelmora::server {

// The script that takes a database of the engine from schema version step to
// step + 1 (0 <= step < SCHEMA_VERSION).
const char* schemaStep(SqlEngine engine, int step);

}  // namespace pelmora::server
