#pragma once

#include "db/StagedDataset.h"

#include <vector>

namespace envio {

// The fixed field lists of the event lists and the destination list.
std::vector<FieldDef> eventListFields();       // CEventos
std::vector<FieldDef> pendingEventFields();    // CErroresenv (without the looked-up type name)
std::vector<FieldDef> destinationListFields(); // Creplicac

} // namespace envio
