#include "replication/DestinationList.h"

#include "access/Scramble.h"
#include "app/RunSettings.h"
#include "db/Error.h"
#include "replication/EventTypes.h"
#include "replication/OperatorTexts.h"
#include "replication/ReplicationSession.h"

namespace envio {

void DestinationList::connectOrigin() {
    if (session_.sendInProgress())
        throw Error(busyText("conectar"));
    Connection& origin = session_.origin();
    origin.disconnect();
    if (!companyKey_)
        throw Error("Could not convert variant of type (Null) into type (String)");
    const LoginState& login = session_.loginState();
    origin.setParameter("Database", companyLocation(login.server, *companyKey_));
    origin.setParameter("User_Name", login.user);
    origin.setParameter("password", UnscrambleText(login.scrambledPassword));
    // The stamp and the notes wait for a row someone else holds no longer than the run's writes do.
    origin.setParameter("LockTimeout", std::to_string(lockWaitSeconds()));
    origin.connect();
    // The list is read anew on every connect: another company has another list.
    StagedDataset& list = session_.destinationList();
    list.close();
    list.open();
}

void DestinationList::save() {
    if (session_.sendInProgress())
        throw Error(busyText("grabar la lista"));
    session_.destinationList().applyUpdates(0);
}

void DestinationList::discard() {
    if (session_.sendInProgress())
        throw Error(busyText("descartar los cambios de la lista", true));
    StagedDataset& list = session_.destinationList();
    list.cancel();
    list.cancelUpdates();
}

} // namespace envio
