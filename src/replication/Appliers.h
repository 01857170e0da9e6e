#pragma once

#include <string>
#include <vector>

namespace envio {

class Query;
class StagedDataset;
struct ReplicationEvent;

// What an applier works on: the origin query that reads the changed rows, the destination staged dataset
// that writes them, and the event.
struct ApplyTarget {
    Query& origin;
    StagedDataset& destination;
    const ReplicationEvent& event;
};

// Carries the event's change from the origin into the destination. Returns true when the destination refused
// rows (the event must stay pending). On return the origin query and the destination dataset are closed.
bool applyEvent(const ApplyTarget& target);

// The destination tables the appliers write.
const std::vector<std::string>& appliedTables();

} // namespace envio
