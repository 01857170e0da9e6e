#pragma once

#include "db/Provider.h"
#include "db/Query.h"
#include "db/StagedDataset.h"
#include "replication/ErrorCapture.h"
#include "replication/SendRunView.h"

#include <string>

namespace envio {

class Connection;
struct ReplicationEvent;

// What a send run gives every destination it serves.
struct SendSettings {
    std::string user;     // the replication user of the destinations
    std::string password; // and its password
    int lockWaitSeconds = 60;
    bool noRetry = false; // leave events that already failed
};

// How a lane tells its run what it is doing; called on the lane's own thread.
class LaneProgress {
public:
    virtual ~LaneProgress() = default;
    // The destination's attachment was tried; `destination.connected` tells how it went.
    virtual void destinationStarted(const DestinationSummary& destination) = 0;
    // The pending events of a connected destination were read (`destination.read`).
    virtual void eventsRead(const DestinationSummary& destination) = 0;
    // An event is about to be applied; `summary` is what the window shows of it.
    virtual void eventStarted(const std::string& summary) = 0;
    // Whether the run must end before the next event: a stop was asked for, or another lane failed.
    virtual bool shouldStop() = 0;
};

// The database objects that serve one destination after another in a send run: the origin reader that
// also stamps, the event list, the destination rows and an error capture of their own, over an attachment
// to the origin and one to the destination. Each event is applied in one transaction of the destination.
class SendLane {
public:
    SendLane(Connection& origin, Connection& destination);
    ~SendLane();
    SendLane(const SendLane&) = delete;
    SendLane& operator=(const SendLane&) = delete;

    // Sends the pending events of `destination` (code, name and location given) and fills in the rest of
    // its summary. False when the run must end before the destination's last event.
    bool send(DestinationSummary& destination, const SendSettings& settings, LaneProgress& progress);

private:
    bool sendEvents(DestinationSummary& destination, LaneProgress& progress);
    bool apply(const ReplicationEvent& event);
    void stamp(const ReplicationEvent& event);

    Connection& destination_;
    Query originReader_;
    Query errorNote_;
    Query eventsQuery_;
    Provider eventsProvider_;
    StagedDataset events_;
    Query destinationQuery_;
    Provider destinationProvider_;
    StagedDataset destinationRows_;
    ErrorCapture capture_;
};

} // namespace envio
