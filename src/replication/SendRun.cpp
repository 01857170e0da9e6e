#include "app/Dialogs.h"
#include "base/AnsiCodec.h"
#include "replication/Appliers.h"
#include "replication/EventTypes.h"
#include "replication/Journal.h"
#include "replication/Principal.h"

#include <QDateTime>

namespace envio {

namespace {

const char* const kUserQuery = "select CONF_VALOR from CONFIGURACION where CONF_MODULO = 'INVENTARIO' and "
                               "CONF_CATEGORIA = 'ARTICULOS' and CONF_PROPIEDAD = 'NOMBRE DE USUARIO PARA "
                               "REPLICACION DE ARTICULOS'";
const char* const kPasswordQuery = "select CONF_VALOR from CONFIGURACION where CONF_MODULO = 'INVENTARIO' and "
                                   "CONF_CATEGORIA = 'ARTICULOS' and CONF_PROPIEDAD = 'CLAVE DE USUARIO PARA "
                                   "REPLICACION DE ARTICULOS'";

// Type 101 is read only with the letter "I": article events with another letter stay pending untouched,
// and they must not fill the reading and starve the destination's later events.
std::string eventQuery(const std::string& code, bool noRetry) {
    return "select first 100 * from replica_eventos where rpev_fecrep is null and ((rpev_tipo = 101 and rpev_oper "
           "= 'I') or (rpev_tipo = 126) or (rpev_tipo = 1125) or (rpev_tipo = 1126) or (rpev_tipo = 229) or "
           "(rpev_tipo = 2291)) and rpev_compania = " +
           sqlTextLiteral(code) + (noRetry ? " AND RPEV_ERROR IS NULL" : "") + " order by rpev_fecreg, rpev_horareg";
}

// The stamp is written in ISO form from one clock reading: the database reads it the same way whatever the
// regional formats of the user running the program.
std::string stampStatement(long long eventId) {
    const QDateTime now = QDateTime::currentDateTime();
    return "UPDATE REPLICA_EVENTOS SET RPEV_FECREP = '" + now.date().toString(Qt::ISODate).toStdString() +
           "', RPEV_HORAREP = '" + now.time().toString(QStringLiteral("HH:mm:ss")).toStdString() +
           "' where RPEV_ID = " + std::to_string(eventId);
}

struct RunningFlag {
    bool& flag;
    std::optional<long long>& event;
    explicit RunningFlag(bool& f, std::optional<long long>& e) : flag(f), event(e) { flag = true; }
    ~RunningFlag() {
        flag = false;
        event.reset();
    }
};

} // namespace

std::string Principal::firstValue(const std::string& query) {
    CBorrar.close();
    CBorrar.setCommandText(query);
    CBorrar.open();
    std::string value = CBorrar.isEmpty() ? std::string() : CBorrar.field(0).AsString();
    CBorrar.close();
    return value;
}

Principal::RunOutcome Principal::SendRun(SendRunView& view) {
    // Runs never overlap: a click or a tick that arrives while the window's messages are processed during a
    // run is ignored.
    if (running_)
        return RunOutcome::Ignored;
    RunningFlag guard(running_, currentEvent_);
    view.setTimerEnabled(false);
    if (view.originCompanyText().isEmpty()) {
        dialogs().message(fromAnsi(noOriginText()));
        return RunOutcome::Refused;
    }
    if (!DBEnvio.isOpen() || !Creplicac.isOpen()) {
        dialogs().message(fromAnsi(notConnectedText()));
        return RunOutcome::Refused;
    }
    view.setProgressVisible(true);
    credentials.user = firstValue(kUserQuery);
    credentials.password = firstValue(kPasswordQuery);
    CBorrar.close();
    runDestinations(view);
    view.setProgressVisible(false);
    view.setTimerEnabled(true);
    return RunOutcome::Completed;
}

void Principal::runDestinations(SendRunView& view) {
    Creplicac.first();
    while (!Creplicac.eof()) {
        DestinationSummary summary;
        summary.code = Creplicac.fieldByName("RPPR_COD").AsString();
        summary.name = Creplicac.fieldByName("RPPR_NOMBRE").AsString();
        summary.location = companyLocation(Creplicac.fieldByName("RPPR_SERVIDOR").AsString(), summary.code);

        DBCia.disconnect();
        DBCia.setParameter("Database", summary.location);
        DBCia.setParameter("User_Name", credentials.user);
        DBCia.setParameter("password", credentials.password);
        try {
            DBCia.connect();
        } catch (const Error&) {
            // A destination that cannot be reached is journaled below and skipped; its events stay pending.
        }
        summary.connected = DBCia.isOpen();

        view.setProgressCaption(QStringLiteral("Transmitiendo informaci\u00f3n de ") + fromAnsi(summary.name));

        CEventos.close();
        CEventos.setCommandText(eventQuery(summary.code, view.noRetryErrors()));
        CEventos.open();
        summary.read = CEventos.recordCount();
        archivo_auditoria("Inicio", summary.code, std::to_string(summary.read));

        if (DBCia.isOpen()) {
            view.setProgressRange(summary.read);
            CEventos.first();
            while (!CEventos.eof()) {
                const long long id = CEventos.fieldByName("RPEV_ID").AsInteger();
                const long long type = CEventos.fieldByName("RPEV_TIPO").AsInteger();
                const std::string letter = CEventos.fieldByName("RPEV_OPER").AsString();
                view.setEventSummary(CEventos.fieldByName("RPEV_TIPO").AsString() + "," + letter + "," +
                                     CEventos.fieldByName("RPEV_PREF").AsString() +
                                     CEventos.fieldByName("RPEV_NUMERO").AsString() + "," +
                                     CEventos.fieldByName("RPEV_CODIGO").AsString());
                view.processMessages();
                archivo_auditoria(CEventos.fieldByName("RPEV_ID").AsString(),
                                  CEventos.fieldByName("RPEV_TIPO").AsString(),
                                  CEventos.fieldByName("RPEV_CODIGO").AsString());
                view.stepProgress();
                currentEvent_ = id;
                const bool failed = applyEvent(*this, type);
                if (failed) {
                    ++summary.failed;
                } else if (type == ArticleEvent && letter != "I") {
                    ++summary.passedOver;
                } else {
                    Qcopiades.close();
                    Qcopiades.clear();
                    Qcopiades.add(stampStatement(id));
                    Qcopiades.execSQL();
                    ++summary.applied;
                }
                currentEvent_.reset();
                CEventos.next();
            }
            CEventos.close();
        } else {
            archivo_errores(ansi("No se pudo entablar conexión con la BD ") + summary.location);
        }
        view.destinationDone(summary);
        Creplicac.next();
    }
}

} // namespace envio
