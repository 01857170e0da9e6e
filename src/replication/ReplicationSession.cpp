#include "replication/ReplicationSession.h"

#include "replication/EventFields.h"

namespace envio {

ReplicationSession::ReplicationSession()
    : originDb_("DBEnvio", storedOriginParameters()), destinationDb_("DBCia", storedDestinationParameters()),
      generalDb_("DbGeneraldes", storedGeneralParameters(), Connection::ErrorStyle::General),
      originReader_("Qcopiades", originDb_), errorNote_("QNotaError", originDb_),
      eventsQuery_("QEventos", originDb_), eventsProvider_("PEventos", eventsQuery_, true),
      events_("CEventos", eventsProvider_, eventListFields()), settingsQuery_("QBorrar", originDb_),
      settingsProvider_("PBorrar", settingsQuery_, true), settingsReader_("CBorrar", settingsProvider_),
      destinationQuery_("QDestino", destinationDb_),
      destinationProvider_("PDestino", destinationQuery_, true),
      destinationRows_("CDestino", destinationProvider_), destinationListQuery_("TReplicac", originDb_),
      destinationListProvider_("PReplicaconta", destinationListQuery_, false),
      destinationList_("Creplicac", destinationListProvider_, destinationListFields()),
      companiesQuery_("QCompaniades", generalDb_), companiesProvider_("PCompaniades", companiesQuery_, false),
      companies_("TCompaniades", companiesProvider_), pendingQuery_("QErroresenv", originDb_),
      typeNamesQuery_("TTipodoc", originDb_), pendingDeleteQuery_("QBorraori", originDb_),
      errorCapture_(errorNote_) {
    eventsQuery_.add(
        "select * from replica_eventos where rpev_fecrep is null order by rpev_fecreg, rpev_horareg");
    destinationListQuery_.add("SELECT * FROM REPLICA_PRECIOS");
    companiesQuery_.add("select * from COMPANIA");
    pendingQuery_.add("select * from replica_eventos r WHERE R.rpev_fecrep IS NULL and r.rpev_error is null "
                      "order by rpev_id");
    typeNamesQuery_.add(" select * from TIPO_DOCUMENTO");
    errorCapture_.bind(
        {&eventsProvider_, &settingsProvider_, &destinationProvider_, &destinationListProvider_},
        {&events_, &settingsReader_, &destinationRows_, &destinationList_});
}

ReplicationSession::~ReplicationSession() = default;

} // namespace envio
