#pragma once

#include "replication/SendRunView.h"

#include <string>

namespace envio {

class ReplicationSession;
struct ReplicationEvent;

enum class RunOutcome {
    Completed, // every destination visited; the timer is on again
    Refused,   // no origin company, or "Conectar" not done: nothing was touched
    Ignored,   // a run was already in progress in this process
    Busy,      // another process is sending from the same installation directory: nothing was touched
    Stopped,   // a stop was asked for: the run ended after the event it was applying
};

// One send run over the whole destination list: for every destination it connects that company's database,
// reads its pending events from the origin, applies each one and stamps every event whose change reached the
// destination. A failure that abandons the run propagates to the caller; the progress panel stays shown and
// the timer off.
class SendRun {
public:
    SendRun(ReplicationSession& session, SendRunView& view) : session_(session), view_(view) {}

    RunOutcome run();

private:
    void readCredentials();
    std::string firstValue(const std::string& query);
    // False when a stop ended the walk early.
    bool sendToDestinations();
    bool sendEvents(DestinationSummary& summary);
    void stamp(const ReplicationEvent& event);

    ReplicationSession& session_;
    SendRunView& view_;
};

} // namespace envio
