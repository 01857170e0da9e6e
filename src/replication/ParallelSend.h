#pragma once

#include "db/ParameterList.h"
#include "replication/SendLane.h"
#include "replication/SendRunView.h"

#include <vector>

namespace envio {

// Serves the destinations of a send run several at a time, each lane on a thread of its own with its own
// attachments to the origin and to the destination it is serving. Each destination's events go in their
// order, and its journal lines are written together when it is done. Whatever touches the window or the
// operator (the progress panel, the boxes of the error capture) runs on the calling thread; a lane that shows
// a box waits for it while the others go on.
class ParallelSend {
public:
    // The lanes attach with copies of these parameter lists.
    ParallelSend(ParameterList origin, ParameterList destination, SendRunView& view, int lanes);

    // Sends to every destination of `destinations` (code, name, location and position given). False when a
    // stop ended the run early. A failure that abandons a lane ends the others before their next event and
    // is raised here once every lane has ended.
    bool run(std::vector<DestinationSummary>& destinations, const SendSettings& settings);

private:
    ParameterList origin_;
    ParameterList destination_;
    SendRunView& view_;
    int lanes_;
};

} // namespace envio
