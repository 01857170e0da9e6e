#pragma once

#include "db/Provider.h"
#include "db/StagedDataset.h"

namespace envio {

class ReplicationSession;

// The pending-events list of the operator without its window: the price events not replicated yet, the
// names of their types, and the deletion of one event.
//
// Both the list and the type names are read over the origin connection, and the delete runs there too:
// it removes the listed event itself, and the list opens whether or not a destination was ever connected.
class PendingEvents {
public:
    explicit PendingEvents(ReplicationSession& session);

    StagedDataset& list() { return list_; }           // CErroresenv
    StagedDataset& typeNames() { return typeNames_; } // CTipodoc

    // Binds the error capture and reads the list (the window's activation).
    void open();
    // "Borrar": asks for confirmation, deletes the current event and reads the list again, keeping the
    // ordinal position. Returns false when nothing was deleted (empty list, or the operator said no).
    bool deleteCurrent();

private:
    ReplicationSession& session_;
    Provider listProvider_;
    Provider typeNamesProvider_;
    Provider deleteProvider_;
    StagedDataset typeNames_;
    StagedDataset list_;
    StagedDataset deleteCarrier_;
};

} // namespace envio
