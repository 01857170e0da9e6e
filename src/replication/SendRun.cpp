#include "replication/SendRun.h"

#include "app/Dialogs.h"
#include "app/RunLock.h"
#include "app/RunSettings.h"
#include "app/StopRequest.h"
#include "base/AnsiCodec.h"
#include "db/SqlLiteral.h"
#include "replication/Appliers.h"
#include "replication/EventTypes.h"
#include "replication/Journal.h"
#include "replication/OperatorTexts.h"
#include "replication/ReplicationEvent.h"
#include "replication/ReplicationSession.h"

#include <QDateTime>

namespace envio {

namespace {

const char* const kUserQuery = "select CONF_VALOR from CONFIGURACION where CONF_MODULO = 'INVENTARIO' and "
                               "CONF_CATEGORIA = 'ARTICULOS' and CONF_PROPIEDAD = 'NOMBRE DE USUARIO PARA "
                               "REPLICACION DE ARTICULOS'";
const char* const kPasswordQuery =
    "select CONF_VALOR from CONFIGURACION where CONF_MODULO = 'INVENTARIO' and "
    "CONF_CATEGORIA = 'ARTICULOS' and CONF_PROPIEDAD = 'CLAVE DE USUARIO PARA "
    "REPLICACION DE ARTICULOS'";

// Type 101 is read only with the letter "I": article events with another letter stay pending untouched,
// and they must not fill the reading and starve the destination's later events.
std::string eventQuery(const std::string& code, bool noRetry) {
    return "select first 100 * from replica_eventos where rpev_fecrep is null and ((rpev_tipo = 101 and "
           "rpev_oper "
           "= 'I') or (rpev_tipo = 126) or (rpev_tipo = 1125) or (rpev_tipo = 1126) or (rpev_tipo = 229) or "
           "(rpev_tipo = 2291)) and rpev_compania = " +
           sqlTextLiteral(code) + (noRetry ? " AND RPEV_ERROR IS NULL" : "") +
           " order by rpev_fecreg, rpev_horareg";
}

// The stamp is written in ISO form from one clock reading: the database reads it the same way whatever the
// regional formats of the user running the program.
std::string stampStatement(long long eventId) {
    const QDateTime now = QDateTime::currentDateTime();
    return "UPDATE REPLICA_EVENTOS SET RPEV_FECREP = '" + now.date().toString(Qt::ISODate).toStdString() +
           "', RPEV_HORAREP = '" + now.time().toString(QStringLiteral("HH:mm:ss")).toStdString() +
           "' where RPEV_ID = " + std::to_string(eventId);
}

// Marks the session busy for the life of the run, and leaves no event current for the error capture after it.
class InProgress {
public:
    explicit InProgress(ReplicationSession& session) : session_(session) { session_.setSendInProgress(true); }
    ~InProgress() {
        session_.setSendInProgress(false);
        session_.errorCapture().setCurrentEvent(std::nullopt);
    }
    InProgress(const InProgress&) = delete;
    InProgress& operator=(const InProgress&) = delete;

private:
    ReplicationSession& session_;
};

} // namespace

RunOutcome SendRun::run() {
    // Runs never overlap: a click or a tick that arrives while the window's messages are processed during a
    // run is ignored.
    if (session_.sendInProgress())
        return RunOutcome::Ignored;
    // One run per installation directory across processes; the timer keeps going, so a timed run tries again.
    const RunLock lock;
    if (!lock.taken())
        return RunOutcome::Busy;
    InProgress busy(session_);
    view_.setTimerEnabled(false);
    if (view_.originCompanyText().isEmpty()) {
        dialogs().message(fromAnsi(noOriginText()));
        return RunOutcome::Refused;
    }
    if (!session_.origin().isOpen() || !session_.destinationList().isOpen()) {
        dialogs().message(fromAnsi(notConnectedText()));
        return RunOutcome::Refused;
    }
    view_.setProgressVisible(true);
    readCredentials();
    if (!sendToDestinations()) {
        view_.setProgressVisible(false);
        return RunOutcome::Stopped;
    }
    view_.setProgressVisible(false);
    view_.setTimerEnabled(true);
    return RunOutcome::Completed;
}

std::string SendRun::firstValue(const std::string& query) {
    StagedDataset& reader = session_.settingsReader();
    reader.close();
    reader.setCommandText(query);
    reader.open();
    std::string value = reader.isEmpty() ? std::string() : reader.field(0).AsString();
    reader.close();
    return value;
}

void SendRun::readCredentials() {
    ReplicationCredentials& credentials = session_.credentials();
    credentials.user = firstValue(kUserQuery);
    credentials.password = firstValue(kPasswordQuery);
    session_.settingsReader().close();
}

bool SendRun::sendToDestinations() {
    StagedDataset& list = session_.destinationList();
    Connection& destination = session_.destination();
    StagedDataset& events = session_.events();
    list.first();
    while (!list.eof()) {
        if (stop::requested())
            return false;
        DestinationSummary summary;
        summary.code = list.fieldByName("RPPR_COD").AsString();
        summary.name = list.fieldByName("RPPR_NOMBRE").AsString();
        summary.location = companyLocation(list.fieldByName("RPPR_SERVIDOR").AsString(), summary.code);

        destination.disconnect();
        destination.setParameter("Database", summary.location);
        destination.setParameter("User_Name", session_.credentials().user);
        destination.setParameter("password", session_.credentials().password);
        destination.setParameter("LockTimeout", std::to_string(lockWaitSeconds()));
        try {
            destination.connect();
        } catch (const Error&) {
            // A destination that cannot be reached is journaled below and skipped; its events stay pending.
        }
        summary.connected = destination.isOpen();

        view_.setProgressCaption(QStringLiteral("Transmitiendo informaci\u00f3n de ") +
                                 fromAnsi(summary.name));

        events.close();
        events.setCommandText(eventQuery(summary.code, view_.noRetryErrors()));
        events.open();
        summary.read = events.recordCount();
        archivo_auditoria("Inicio", summary.code, std::to_string(summary.read));

        if (destination.isOpen()) {
            const bool completed = sendEvents(summary);
            events.close();
            if (!completed) {
                view_.destinationDone(summary);
                return false;
            }
        } else {
            archivo_errores(ansi("No se pudo entablar conexión con la BD ") + summary.location);
        }
        view_.destinationDone(summary);
        list.next();
    }
    return true;
}

bool SendRun::sendEvents(DestinationSummary& summary) {
    StagedDataset& events = session_.events();
    ErrorCapture& capture = session_.errorCapture();
    view_.setProgressRange(summary.read);
    events.first();
    while (!events.eof()) {
        if (stop::requested())
            return false;
        // A stop asked for from here on waits until the event is applied, stamped and journaled.
        const stop::EventInProgress inProgress;
        const ReplicationEvent event = ReplicationEvent::fromCurrentRow(events);
        view_.setEventSummary(event.summary());
        view_.processMessages();
        archivo_auditoria(event.idText, event.typeText, event.code);
        view_.stepProgress();
        capture.setCurrentEvent(event.id);
        const bool failed =
            applyEvent(ApplyTarget{session_.originReader(), session_.destinationRows(), event});
        if (failed) {
            ++summary.failed;
        } else if (event.type == ArticleEvent && event.letter != "I") {
            ++summary.passedOver;
        } else {
            stamp(event);
            ++summary.applied;
        }
        capture.setCurrentEvent(std::nullopt);
        events.next();
    }
    return true;
}

void SendRun::stamp(const ReplicationEvent& event) {
    Query& stamp = session_.originReader();
    stamp.close();
    stamp.clear();
    stamp.add(stampStatement(event.id));
    stamp.execSQL();
}

} // namespace envio
