#pragma once

#include "access/LoginState.h"
#include "db/Connection.h"
#include "db/Provider.h"
#include "db/Query.h"
#include "db/StagedDataset.h"
#include "replication/ErrorCapture.h"

#include <string>
#include <vector>

namespace envio {

// The user name and password for the destination databases, read from CONFIGURACION at the start of every
// send run.
struct ReplicationCredentials {
    std::string user;
    std::string password;
};

// The database objects of the operator's main window, without the window: the three connections that live as
// long as the process, the queries and staged datasets over them, the login state and the replication
// credentials. Each object carries its runtime name ("DBEnvio", "Qcopiades", "CEventos", ...), which is what
// failures and traces name. The error capture is bound to the session's providers and staged datasets as soon
// as they exist.
class ReplicationSession {
public:
    ReplicationSession();
    ~ReplicationSession();
    ReplicationSession(const ReplicationSession&) = delete;
    ReplicationSession& operator=(const ReplicationSession&) = delete;

    Connection& origin() { return originDb_; }           // the origin company database
    Connection& destination() { return destinationDb_; } // the destination being sent to
    Connection& general() { return generalDb_; }         // the general database of the login

    Query& originReader() { return originReader_; } // origin rows of the appliers, and the stamp
    StagedDataset& events() { return events_; }     // pending events of the current destination
    StagedDataset& settingsReader() { return settingsReader_; }
    StagedDataset& destinationRows() { return destinationRows_; }
    StagedDataset& destinationList() { return destinationList_; }
    StagedDataset& companies() { return companies_; }

    // Origin queries the pending-events list reads and deletes through, with providers of its own.
    Query& pendingQuery() { return pendingQuery_; }
    Query& typeNamesQuery() { return typeNamesQuery_; }
    Query& pendingDeleteQuery() { return pendingDeleteQuery_; }

    ErrorCapture& errorCapture() { return errorCapture_; }

    LoginState& loginState() { return loginState_; }
    ReplicationCredentials& credentials() { return credentials_; }

    // Whether a send run is in progress: nothing may change the origin connection or the destination list
    // under it.
    bool sendInProgress() const { return sendInProgress_; }
    void setSendInProgress(bool on) { sendInProgress_ = on; }

private:
    Connection originDb_;
    Connection destinationDb_;
    Connection generalDb_;

    Query originReader_;
    Query errorNote_;

    Query eventsQuery_;
    Provider eventsProvider_;
    StagedDataset events_;

    Query settingsQuery_;
    Provider settingsProvider_;
    StagedDataset settingsReader_;

    Query destinationQuery_;
    Provider destinationProvider_;
    StagedDataset destinationRows_;

    Query destinationListQuery_;
    Provider destinationListProvider_;
    StagedDataset destinationList_;

    Query companiesQuery_;
    Provider companiesProvider_;
    StagedDataset companies_;

    Query pendingQuery_;
    Query typeNamesQuery_;
    Query pendingDeleteQuery_;

    ErrorCapture errorCapture_;
    LoginState loginState_;
    ReplicationCredentials credentials_;
    bool sendInProgress_ = false;
};

} // namespace envio
