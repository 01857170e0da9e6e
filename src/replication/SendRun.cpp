#include "replication/SendRun.h"

#include "app/Dialogs.h"
#include "app/RunLock.h"
#include "app/RunSettings.h"
#include "app/StopRequest.h"
#include "base/AnsiCodec.h"
#include "replication/EventTypes.h"
#include "replication/OperatorTexts.h"
#include "replication/ParallelSend.h"
#include "replication/ReplicationSession.h"
#include "replication/SendLane.h"

namespace envio {

namespace {

const char* const kUserQuery = "select CONF_VALOR from CONFIGURACION where CONF_MODULO = 'INVENTARIO' and "
                               "CONF_CATEGORIA = 'ARTICULOS' and CONF_PROPIEDAD = 'NOMBRE DE USUARIO PARA "
                               "REPLICACION DE ARTICULOS'";
const char* const kPasswordQuery =
    "select CONF_VALOR from CONFIGURACION where CONF_MODULO = 'INVENTARIO' and "
    "CONF_CATEGORIA = 'ARTICULOS' and CONF_PROPIEDAD = 'CLAVE DE USUARIO PARA "
    "REPLICACION DE ARTICULOS'";

// The progress of a run that serves one destination after another, shown as it happens.
class SerialProgress : public LaneProgress {
public:
    explicit SerialProgress(SendRunView& view) : view_(view) {}

    void destinationStarted(const DestinationSummary& d) override {
        view_.setProgressCaption(transmittingCaption(fromAnsi(d.name)));
        view_.destinationStarted(d);
    }
    void eventsRead(const DestinationSummary& d) override { view_.setProgressRange(d.read); }
    void eventStarted(const std::string& summary) override {
        view_.setEventSummary(summary);
        view_.processMessages();
        view_.stepProgress();
    }
    bool shouldStop() override { return stop::requested(); }

private:
    SendRunView& view_;
};

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

std::vector<DestinationSummary> SendRun::destinations() {
    std::vector<DestinationSummary> all;
    StagedDataset& list = session_.destinationList();
    list.first();
    while (!list.eof()) {
        DestinationSummary d;
        d.code = list.fieldByName("RPPR_COD").AsString();
        d.name = list.fieldByName("RPPR_NOMBRE").AsString();
        d.location = companyLocation(list.fieldByName("RPPR_SERVIDOR").AsString(), d.code);
        d.position = static_cast<int>(all.size());
        all.push_back(std::move(d));
        list.next();
    }
    return all;
}

bool SendRun::sendToDestinations() {
    std::vector<DestinationSummary> all = destinations();
    SendSettings settings;
    settings.user = session_.credentials().user;
    settings.password = session_.credentials().password;
    settings.lockWaitSeconds = lockWaitSeconds();
    settings.noRetry = view_.noRetryErrors();
    const int lanes = lanes_ > 0 ? lanes_ : sendLanes();
    if (lanes > 1 && all.size() > 1)
        return ParallelSend(session_.origin().parameters(), session_.destination().parameters(), view_, lanes)
            .run(all, settings);

    // One destination after another over the session's own attachments, in the order of the list.
    SendLane lane(session_.origin(), session_.destination());
    SerialProgress progress(view_);
    for (DestinationSummary& d : all) {
        if (stop::requested())
            return false;
        const bool completed = lane.send(d, settings, progress);
        view_.destinationDone(d);
        if (!completed)
            return false;
    }
    return true;
}

} // namespace envio
