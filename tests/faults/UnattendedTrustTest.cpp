// Runs an operator can leave to cron or a timer: two runs at once, a stop asked for by a signal, a closed
// output pipe, a journal at the file-size limit or replaced by a pipe, a note column narrower than the
// message, a password kept out of the command line and the summary monitoring reads.

#include "db/Connection.h"
#include "faults/RunnerFixture.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcessEnvironment>
#include <QSettings>
#include <QThread>
#include <csignal>
#include <map>
#include <sys/stat.h>

using namespace envio;
using namespace envio::test;

namespace {

class UnattendedTrustTest : public RunnerTest {
protected:
    // `count` events of type 1125 for 002, each copying future price list 1.
    std::vector<int> addEvents(int count) {
        std::string script;
        std::vector<int> ids;
        for (int i = 0; i < count; ++i) {
            ids.push_back(100 + i);
            script += eventInsert(EventSpec(1125, 1), ids.back()) + ";";
        }
        origin().run(script);
        return ids;
    }
    // The audit lines the runner wrote, each without its date and time (in the runner's own formats).
    std::vector<std::string> auditEntries() const {
        std::vector<std::string> entries;
        const QByteArray journal = install_.audit();
        for (const QByteArray& line : journal.split('\n')) {
            const qsizetype date = line.indexOf(',');
            const qsizetype time = line.indexOf(',', date + 1);
            if (date > 0 && time > date)
                entries.push_back(line.mid(time + 1).chopped(line.endsWith('\r') ? 1 : 0).toStdString());
        }
        return entries;
    }
    // How many audit lines name each event.
    std::map<std::string, int> auditedEvents() const {
        std::map<std::string, int> lines;
        for (const std::string& entry : auditEntries())
            if (entry.rfind("Inicio,", 0) != 0)
                ++lines[entry.substr(0, entry.find(','))];
        return lines;
    }
    std::string count(const std::string& where) {
        return origin().scalar("select count(*) from replica_eventos where " + where);
    }
};

TEST_F(UnattendedTrustTest, TwoRunsAtOnceNeverSendAnEventTwice) {
    addDestinationEntry("002", "Sucursal Norte", server());
    const std::vector<int> events = addEvents(100);

    QProcess first;
    QProcess second;
    first.start(QStringLiteral(ENVIO_RUN_BINARY), arguments(server(), "001"));
    second.start(QStringLiteral(ENVIO_RUN_BINARY), arguments(server(), "001"));
    const Outcome a = finished(first);
    const Outcome b = finished(second);

    // Either the second found the first at work and was refused, or it came after and found nothing left.
    for (const Outcome* o : {&a, &b}) {
        EXPECT_TRUE(o->code == 0 || o->code == 2) << o->code << " " << o->err.toStdString();
        if (o->code == 2) {
            EXPECT_TRUE(o->err.contains("Ya hay un env\xC3\xADo en curso")) << o->err.toStdString();
        }
    }
    EXPECT_EQ(count("rpev_fecrep is null"), "0");
    EXPECT_EQ(count("rpev_error is not null"), "0");
    const std::map<std::string, int> audited = auditedEvents();
    EXPECT_EQ(audited.size(), events.size());
    for (const auto& [id, lines] : audited)
        EXPECT_EQ(lines, 1) << "event " << id;
}

TEST_F(UnattendedTrustTest, SigtermEndsTheRunAfterTheEventInProgress) {
    // A slow link, so that the signal comes in the middle of the run.
    TcpProxy slow(3050, std::chrono::milliseconds(10));
    addDestinationEntry("002", "Sucursal Norte", slow.through(root_.path().toStdString()));
    addEvents(100);

    QProcess run;
    run.start(QStringLiteral(ENVIO_RUN_BINARY), arguments(server(), "001"));
    for (int waited = 0; auditedEvents().size() < 3 && waited < 600; ++waited)
        QThread::msleep(100);
    ASSERT_GE(auditedEvents().size(), 3u);
    ::kill(static_cast<pid_t>(run.processId()), SIGTERM);
    const Outcome o = finished(run);

    EXPECT_EQ(run.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(o.code, 128 + SIGTERM) << o.err.toStdString();
    // Every event it began is applied and stamped; the rest are wholly pending, with no note.
    const std::map<std::string, int> audited = auditedEvents();
    EXPECT_EQ(count("rpev_fecrep is not null"), std::to_string(audited.size()));
    EXPECT_NE(count("rpev_fecrep is null"), "0") << "the signal came after the run";
    for (const auto& [id, lines] : audited)
        EXPECT_EQ(
            origin().scalar(
                "select count(*) from replica_eventos where rpev_fecrep is not null and rpev_id = " + id),
            "1")
            << "event " << id;
    EXPECT_EQ(count("rpev_error is not null"), "0");
}

TEST_F(UnattendedTrustTest, AClosedOutputPipeStopsNoDestinationAndTheSummaryTellsEach) {
    TcpProxy proxy;
    addDestinationEntry("002", "Sucursal Norte", server());
    addDestinationEntry("009", "Sucursal Sur", proxy.through(root_.path().toStdString()));
    proxy.cut();
    addDestinationEntry("002", "Sucursal Norte (otra vez)", server());
    const int sent = addEvent(EventSpec(1125, 1));
    const int refused = addEvent(EventSpec(1125, 2));
    addEvent(EventSpec(1125, 1).to("009"));
    const QString summaryPath = root_.filePath(QStringLiteral("resumen.json"));

    QProcess outOfRange;
    outOfRange.start(QStringLiteral(ENVIO_RUN_BINARY),
                     QStringList{QStringLiteral("--parallel"), QStringLiteral("0")} +
                         arguments(server(), "001"));
    EXPECT_EQ(finished(outOfRange).code, 64);

    // Two lanes: the two entries of company 002 share one of them, one after the other.
    QProcess run;
    run.start(QStringLiteral(ENVIO_RUN_BINARY),
              QStringList{QStringLiteral("--summary-json"), summaryPath, QStringLiteral("--parallel"),
                          QStringLiteral("2")} +
                  arguments(server(), "001"));
    ASSERT_TRUE(run.waitForStarted());
    run.closeReadChannel(QProcess::StandardOutput);
    const Outcome o = finished(run);

    EXPECT_EQ(o.code, 0) << o.err.toStdString();
    EXPECT_EQ(state(sent), "stamped");
    EXPECT_EQ(auditEntries().size(), 6u) << "three destinations, three events read";
    QFile file(summaryPath);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QJsonObject summary = QJsonDocument::fromJson(file.readAll()).object();
    EXPECT_EQ(summary["outcome"].toString(), QStringLiteral("completed"));
    const QJsonArray destinations = summary["destinations"].toArray();
    ASSERT_EQ(destinations.size(), 3);
    const QJsonObject norte = destinations[0].toObject();
    EXPECT_EQ(norte["read"].toInt(), 2);
    EXPECT_EQ(norte["applied"].toInt(), 1);
    EXPECT_EQ(norte["failed"].toInt(), 1);
    EXPECT_EQ(norte["pending"].toInt(), 1);
    EXPECT_GE(norte["oldestPendingSeconds"].toDouble(), 0.0);
    EXPECT_TRUE(norte["lastError"].toString().contains(QStringLiteral("Lista rechazada")));
    const QJsonObject sur = destinations[1].toObject();
    EXPECT_FALSE(sur["connected"].toBool());
    EXPECT_TRUE(sur["lastError"].toString().startsWith(QStringLiteral("No se pudo entablar conexi")));
    EXPECT_EQ(state(refused), "pending");
}

TEST_F(UnattendedTrustTest, AJournalAtTheFileSizeLimitLosesWholeLinesAndTheRunGoesOn) {
    addDestinationEntry("002", "Sucursal Norte", server());
    const int event = addEvent(EventSpec(1125, 1));
    QFile audit(install_.auditPath());
    ASSERT_TRUE(audit.open(QIODevice::WriteOnly));
    audit.write(QByteArray(1000, 'x') + "\r\n");
    audit.close();

    QProcess run;
    QStringList shell{QStringLiteral("-c"), QStringLiteral("ulimit -f 1; exec \"$0\" \"$@\""),
                      QStringLiteral(ENVIO_RUN_BINARY)};
    run.start(QStringLiteral("/bin/bash"), shell + arguments(server(), "001"));
    const Outcome o = finished(run);

    EXPECT_EQ(o.code, 0) << o.err.toStdString();
    EXPECT_EQ(state(event), "stamped");
    const QByteArray journal = install_.audit();
    EXPECT_LE(journal.size(), 1024);
    EXPECT_TRUE(journal.endsWith("\r\n"));
}

TEST_F(UnattendedTrustTest, APasswordFileOthersCanReadIsRefused) {
    addDestinationEntry("002", "Sucursal Norte", server());
    const int event = addEvent(EventSpec(1125, 1));
    const QString passwordFile = root_.filePath(QStringLiteral("clave"));
    QFile file(passwordFile);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray::fromStdString(adminPassword()) + "\n");
    file.close();
    QStringList args = arguments(server(), "001");
    args[2] = QStringLiteral("-");

    ::chmod(QFile::encodeName(passwordFile).constData(), 0644);
    QProcess refused;
    refused.start(QStringLiteral(ENVIO_RUN_BINARY),
                  QStringList{QStringLiteral("--password-file"), passwordFile} + args);
    const Outcome r = finished(refused);
    EXPECT_EQ(r.code, 64);
    EXPECT_TRUE(r.err.contains("chmod 600")) << r.err.toStdString();
    EXPECT_FALSE(r.err.contains(QByteArray::fromStdString(adminPassword())));
    EXPECT_EQ(state(event), "pending");

    ::chmod(QFile::encodeName(passwordFile).constData(), 0600);
    QProcess run;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("ENVIO_PASSWORD_FILE"), passwordFile);
    run.setProcessEnvironment(environment);
    run.start(QStringLiteral(ENVIO_RUN_BINARY), args);
    const Outcome o = finished(run);
    EXPECT_EQ(o.code, 0) << o.err.toStdString();
    EXPECT_EQ(state(event), "stamped");
}

// In the program's own process, over the embedded engine.
class JournalAndNoteTest : public ReplicationTest {};

TEST_F(JournalAndNoteTest, APipeNamedLikeAJournalIsPassedOver) {
    makeOrigin();
    addDestination("002", "Sucursal Norte");
    ASSERT_EQ(::mkfifo(QFile::encodeName(install_.auditPath()).constData(), 0600), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(install_.errorsPath()).constData(), 0600), 0);
    const int event = addEvent(EventSpec(1125, 1));
    connect();

    EXPECT_EQ(run(), RunOutcome::Completed);
    EXPECT_EQ(state(event), "stamped");
}

TEST_F(JournalAndNoteTest, ANoteIsCutToTheColumnTheDatabaseDeclares) {
    makeOrigin();
    origin().run("ALTER TABLE REPLICA_EVENTOS DROP RPEV_ERROR;ALTER TABLE REPLICA_EVENTOS ADD RPEV_ERROR "
                 "VARCHAR(40)");
    TestDatabase& norte = addDestination("002", "Sucursal Norte");
    norte.run("CREATE EXCEPTION REFUSED 'Lista rechazada por una regla de la sucursal que explica mucho';"
              "SET TERM ^ ;"
              "CREATE TRIGGER RECHAZO FOR PRECIOS_FUTUROS ACTIVE BEFORE INSERT AS BEGIN"
              "  IF (NEW.PRFU_NOMBRE = 'RECHAZAR') THEN EXCEPTION REFUSED;"
              "END^"
              "SET TERM ; ^");
    origin().run("INSERT INTO PRECIOS_FUTUROS VALUES (2, 'RECHAZAR', '2025-01-20', 5.5, 1, 'N', 'DEMO')");
    const int refused = addEvent(EventSpec(1125, 2));
    const int next = addEvent(EventSpec(1125, 2, std::nullopt, "D"));
    connect();

    EXPECT_EQ(run(), RunOutcome::Completed);
    EXPECT_EQ(state(refused), "pending");
    EXPECT_EQ(note(refused).size(), 40u) << note(refused);
    EXPECT_EQ(state(next), "stamped");
}

TEST_F(JournalAndNoteTest, ARowHeldByAnotherTransactionFailsItsEventWhenTheWaitRunsOut) {
    makeOrigin();
    TestDatabase& norte = addDestination("002", "Sucursal Norte");
    origin().run("INSERT INTO PRECIOS_FUTUROS VALUES (1, 'LISTA 1', '2025-01-20', 5.5, 1, 'N', 'DEMO')");
    norte.run("INSERT INTO PRECIOS_FUTUROS VALUES (1, 'LISTA VIEJA', '2025-01-20', 5.5, 1, 'N', 'DEMO')");
    QSettings(install_.settingsFile(), QSettings::IniFormat).setValue(QStringLiteral("EsperaBloqueo"), 1);
    const int held = addEvent(EventSpec(1125, 1));
    const int next = addEvent(EventSpec(1125, 2, std::nullopt, "D"));
    Connection holder("Ocupado", ParameterList({"user_name=SYSDBA", "password=" + adminPassword()}));
    holder.setParameter("Database", norte.location());
    holder.connect();
    holder.startTransaction();
    holder.execute("UPDATE PRECIOS_FUTUROS SET PRFU_NOMBRE = 'OCUPADA' WHERE PRFU_ID = 1");
    connect();

    EXPECT_EQ(run(), RunOutcome::Completed);
    EXPECT_EQ(state(held), "pending");
    EXPECT_NE(note(held).find("update conflicts with concurrent update"), std::string::npos) << note(held);
    EXPECT_EQ(state(next), "stamped");
    holder.rollback();
}

} // namespace
