#include "replication/PendingEvents.h"

#include "app/Dialogs.h"
#include "base/AnsiCodec.h"
#include "replication/EventFields.h"
#include "replication/Principal.h"

namespace envio {

PendingEvents::PendingEvents(Principal& principal)
    : PErorresenv("PErorresenv", principal.QErroresenv, true), PTipodoc("PTipodoc", principal.TTipodoc, false),
      PBorrar("PBorrar", principal.QBorraori, true), CTipodoc("CTipodoc", PTipodoc),
      CErroresenv("CErroresenv", PErorresenv, pendingEventFields()), CBorrar("CBorrar", PBorrar),
      principal_(principal) {
    CErroresenv.addLookup(LookupDef{"NomTipo", 10, "Tipo doc", "RPEV_TIPO", &CTipodoc, "TIDO_COD", "TIDO_NOMCORTO"});
}

void PendingEvents::open() {
    principal_.ConfigurarProviders({&PErorresenv, &PTipodoc, &PBorrar}, {&CErroresenv, &CTipodoc, &CBorrar});
    CErroresenv.close();
    CErroresenv.setCommandText("select * from replica_eventos r WHERE ((rpev_tipo = 126) or (rpev_tipo = 1125) or "
                               "(rpev_tipo = 1126) or (rpev_tipo = 229) or (rpev_tipo = 2291)) and R.rpev_fecrep "
                               "IS NULL order by rpev_id");
    CErroresenv.open();
}

bool PendingEvents::deleteCurrent() {
    const std::string id = CErroresenv.isOpen() ? CErroresenv.fieldByName("RPEV_ID").AsString() : std::string();
    if (id.empty())
        return false;
    const std::string code = CErroresenv.fieldByName("RPEV_CODIGO").AsString();
    if (!dialogs().confirm(QStringLiteral("Confirm"),
                           QStringLiteral("Esta seguro de borrar el evento para el documento ") + fromAnsi(code) +
                               QStringLiteral("?")))
        return false;
    CBorrar.close();
    CBorrar.setCommandText("DELETE FROM REPLICA_EVENTOS WHERE RPEV_ID = " + id);
    CBorrar.execute();
    CErroresenv.refresh();
    return true;
}

} // namespace envio
