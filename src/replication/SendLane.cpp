#include "replication/SendLane.h"

#include "app/Dialogs.h"
#include "app/LastFailureDialogs.h"
#include "app/StopRequest.h"
#include "base/AnsiCodec.h"
#include "db/Connection.h"
#include "db/SqlLiteral.h"
#include "replication/Appliers.h"
#include "replication/EventFields.h"
#include "replication/EventTypes.h"
#include "replication/Journal.h"
#include "replication/ReplicationEvent.h"

#include <QDateTime>

namespace envio {

namespace {

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

// Passes the boxes of a destination on to the thread's, keeping the text of the last failure for its summary.
class LastFailure {
public:
    explicit LastFailure(std::string& last) : recorder_(dialogs(), last), scope_(recorder_) {}

private:
    LastFailureDialogs recorder_;
    ThreadDialogs scope_;
};

// Leaves no event current for the capture, whatever way the apply ends.
class CurrentEvent {
public:
    CurrentEvent(ErrorCapture& capture, long long id) : capture_(capture) { capture_.setCurrentEvent(id); }
    ~CurrentEvent() { capture_.setCurrentEvent(std::nullopt); }
    CurrentEvent(const CurrentEvent&) = delete;
    CurrentEvent& operator=(const CurrentEvent&) = delete;

private:
    ErrorCapture& capture_;
};

} // namespace

SendLane::SendLane(Connection& origin, Connection& destination)
    : destination_(destination), originReader_("Qcopiades", origin), errorNote_("QNotaError", origin),
      eventsQuery_("QEventos", origin), eventsProvider_("PEventos", eventsQuery_, true),
      events_("CEventos", eventsProvider_, eventListFields()), destinationQuery_("QDestino", destination),
      destinationProvider_("PDestino", destinationQuery_, true),
      destinationRows_("CDestino", destinationProvider_), capture_(errorNote_) {
    capture_.bind({&eventsProvider_, &destinationProvider_}, {&events_, &destinationRows_});
}

SendLane::~SendLane() = default;

bool SendLane::send(DestinationSummary& summary, const SendSettings& settings, LaneProgress& progress) {
    const LastFailure lastFailure(summary.lastError);
    destination_.disconnect();
    destination_.setParameter("Database", summary.location);
    destination_.setParameter("User_Name", settings.user);
    destination_.setParameter("password", settings.password);
    destination_.setParameter("LockTimeout", std::to_string(settings.lockWaitSeconds));
    try {
        destination_.connect();
    } catch (const Error&) {
        // A destination that cannot be reached is journaled below and skipped; its events stay pending.
    }
    summary.connected = destination_.isOpen();
    progress.destinationStarted(summary);

    events_.close();
    events_.setCommandText(eventQuery(summary.code, settings.noRetry));
    events_.open();
    summary.read = events_.recordCount();
    archivo_auditoria("Inicio", summary.code, std::to_string(summary.read));

    if (!destination_.isOpen()) {
        const std::string line = ansi("No se pudo entablar conexión con la BD ") + summary.location;
        archivo_errores(line);
        if (summary.lastError.empty())
            summary.lastError = line;
        events_.close();
        return true;
    }
    progress.eventsRead(summary);
    bool completed = false;
    try {
        completed = sendEvents(summary, progress);
    } catch (...) {
        events_.close();
        throw;
    }
    events_.close();
    destination_.commit();
    return completed;
}

bool SendLane::sendEvents(DestinationSummary& summary, LaneProgress& progress) {
    if (summary.read > 0) {
        // In the transaction the first event goes on with: the tables' columns are read in one go.
        destination_.startTransaction();
        destination_.preloadColumnDescriptions(appliedTables());
    }
    events_.first();
    while (!events_.eof()) {
        if (progress.shouldStop())
            return false;
        // A stop asked for from here on waits until the event is applied, stamped and journaled.
        const stop::EventInProgress inProgress;
        const ReplicationEvent event = ReplicationEvent::fromCurrentRow(events_);
        progress.eventStarted(event.summary());
        archivo_auditoria(event.idText, event.typeText, event.code);
        if (apply(event)) {
            ++summary.failed;
        } else if (event.type == ArticleEvent && event.letter != "I") {
            ++summary.passedOver;
        } else {
            stamp(event);
            ++summary.applied;
        }
        events_.next();
    }
    return true;
}

// The events of a destination are applied in one transaction of it, committed after each event and kept
// going: what the destination accepted is committed before the event is stamped, and a row it refused is
// left out by the server.
bool SendLane::apply(const ReplicationEvent& event) {
    const CurrentEvent current(capture_, event.id);
    if (!destination_.inTransaction())
        destination_.startTransaction();
    bool refused = false;
    try {
        refused = applyEvent(ApplyTarget{originReader_, destinationRows_, event});
        destination_.commitRetaining();
    } catch (...) {
        destinationRows_.close();
        try {
            destination_.rollback();
        } catch (...) {
            // The failure that abandons the event is the one to report, not the rollback's.
        }
        throw;
    }
    return refused;
}

void SendLane::stamp(const ReplicationEvent& event) {
    originReader_.close();
    originReader_.clear();
    originReader_.add(stampStatement(event.id));
    originReader_.execSQL();
}

} // namespace envio
