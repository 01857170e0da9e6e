#pragma once
// Moved to the database layer, which needs it for connection parameters.
#include "db/AnsiCodec.h"
