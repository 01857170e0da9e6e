#pragma once

#include "replication/SendRunView.h"

#include <string>
#include <vector>

namespace envio {

class ReplicationSession;

enum class RunOutcome {
    Completed, // every destination visited; the timer is on again
    Refused,   // no origin company, or "Conectar" not done: nothing was touched
    Ignored,   // a run was already in progress in this process
    Busy,      // another process is sending from the same installation directory: nothing was touched
    Stopped,   // a stop was asked for: the run ended after the event it was applying
};

// One send run over the whole destination list: for every destination it connects that company's database,
// reads its pending events from the origin, applies each one and stamps every event whose change reached the
// destination. Several destinations are served at once, as many as the settings file's "Paralelo" says
// (or setLanes); with one, they are served in the order of the list over the session's own attachments. A
// failure that abandons the run propagates to the caller; the progress panel stays shown and the timer off.
class SendRun {
public:
    SendRun(ReplicationSession& session, SendRunView& view) : session_(session), view_(view) {}

    // How many destinations are served at once; 0 (the default) takes the settings file's.
    void setLanes(int lanes) { lanes_ = lanes; }

    RunOutcome run();

private:
    void readCredentials();
    std::string firstValue(const std::string& query);
    std::vector<DestinationSummary> destinations();
    // False when a stop ended the walk early.
    bool sendToDestinations();

    ReplicationSession& session_;
    SendRunView& view_;
    int lanes_ = 0;
};

} // namespace envio
