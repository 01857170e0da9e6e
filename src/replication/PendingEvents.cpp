#include "replication/PendingEvents.h"

#include "app/Dialogs.h"
#include "base/AnsiCodec.h"
#include "replication/EventFields.h"
#include "replication/ReplicationSession.h"

namespace envio {

PendingEvents::PendingEvents(ReplicationSession& session)
    : session_(session), listProvider_("PErorresenv", session.pendingQuery(), true),
      typeNamesProvider_("PTipodoc", session.typeNamesQuery(), false),
      deleteProvider_("PBorrar", session.pendingDeleteQuery(), true),
      typeNames_("CTipodoc", typeNamesProvider_), list_("CErroresenv", listProvider_, pendingEventFields()),
      deleteCarrier_("CBorrar", deleteProvider_) {
    list_.addLookup(
        LookupDef{"NomTipo", 10, "Tipo doc", "RPEV_TIPO", &typeNames_, "TIDO_COD", "TIDO_NOMCORTO"});
}

void PendingEvents::open() {
    session_.errorCapture().bind({&listProvider_, &typeNamesProvider_, &deleteProvider_},
                                 {&list_, &typeNames_, &deleteCarrier_});
    list_.close();
    list_.setCommandText("select * from replica_eventos r WHERE ((rpev_tipo = 126) or (rpev_tipo = 1125) or "
                         "(rpev_tipo = 1126) or (rpev_tipo = 229) or (rpev_tipo = 2291)) and R.rpev_fecrep "
                         "IS NULL order by rpev_id");
    list_.open();
}

bool PendingEvents::deleteCurrent() {
    const std::string id = list_.isOpen() ? list_.fieldByName("RPEV_ID").AsString() : std::string();
    if (id.empty())
        return false;
    const std::string code = list_.fieldByName("RPEV_CODIGO").AsString();
    if (!dialogs().confirm(QStringLiteral("Confirm"),
                           QStringLiteral("Esta seguro de borrar el evento para el documento ") +
                               fromAnsi(code) + QStringLiteral("?")))
        return false;
    deleteCarrier_.close();
    deleteCarrier_.setCommandText("DELETE FROM REPLICA_EVENTOS WHERE RPEV_ID = " + id);
    deleteCarrier_.execute();
    list_.refresh();
    return true;
}

} // namespace envio
