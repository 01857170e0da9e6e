// Send runs over real origin and destination databases: the walk over the destination list, the reading of
// pending events, the stamp, the journals, the progress panel and the timer, and the runs that must not
// start.

#include "ReplicationFixture.h"
#include "db/Error.h"
#include "replication/OperatorTexts.h"

#include <QDate>
#include <QFileInfo>

using namespace envio;
using namespace envio::test;

namespace {

class SendRunTest : public ReplicationTest {};

// A location on the server route to a port nobody listens on.
const std::string kUnreachableServer = "127.0.0.1/3059:/x";

TEST_F(SendRunTest, CompletedRunJournalsEveryDestinationAndEvent) {
    makeOrigin();
    TestDatabase& norte = addDestination("002", "Sucursal Norte");
    addDestination("003", "Sucursal Sur");
    origin().run(
        "INSERT INTO PRECIOS_FUTUROS VALUES (1, 'LISTA ESCOLAR 2025', '2025-01-20', 5.5, 1, 'N', 'DEMO')");
    const int price = addEvent(EventSpec(126, 1, "A-0001", "D"));
    const int list = addEvent(EventSpec(1125, 1, std::nullopt, "I"));
    origin().run("UPDATE REPLICA_EVENTOS SET RPEV_PREF = 'PF', RPEV_NUMERO = '00000001' WHERE RPEV_ID = " +
                 std::to_string(list));
    connect();

    const QDate firstDay = QDate::currentDate();
    ASSERT_EQ(run(), RunOutcome::Completed);
    const QDate lastDay = QDate::currentDate();

    EXPECT_EQ(state(price), "stamped");
    EXPECT_EQ(state(list), "stamped");
    EXPECT_EQ(norte.scalar("select prfu_nombre from precios_futuros"), "LISTA ESCOLAR 2025");

    EXPECT_EQ(install_.auditEntries(),
              (std::vector<std::string>{"Inicio,002,2", std::to_string(price) + ",126,A-0001",
                                        std::to_string(list) + ",1125,", "Inicio,003,0"}));
    EXPECT_FALSE(QFileInfo::exists(install_.errorsPath()));
    // Each line: regional short date, comma, regional long time, comma, fields, CR LF.
    for (const QByteArray& line : install_.audit().split('\n')) {
        if (line.isEmpty())
            continue;
        ASSERT_TRUE(line.endsWith('\r')) << line.toStdString();
        const QList<QByteArray> pieces = line.chopped(1).split(',');
        ASSERT_GE(pieces.size(), 5) << line.toStdString();
        const QDate date = regional::parseDate(QString::fromLatin1(pieces[0]));
        EXPECT_TRUE(date >= firstDay && date <= lastDay) << line.toStdString();
        EXPECT_EQ(pieces[0].size(), 10) << line.toStdString();
        EXPECT_TRUE(regional::parseTime(QString::fromLatin1(pieces[1])).isValid()) << line.toStdString();
    }

    EXPECT_EQ(view_.panel, (std::vector<bool>{true, false}));
    EXPECT_EQ(view_.timer, (std::vector<bool>{false, true}));
    EXPECT_EQ(view_.captions, (QStringList{QStringLiteral("Transmitiendo información de Sucursal Norte"),
                                           QStringLiteral("Transmitiendo información de Sucursal Sur")}));
    EXPECT_EQ(view_.ranges, (std::vector<int>{2, 0}));
    EXPECT_EQ(view_.steps, 2);
    EXPECT_EQ(view_.pumps, 2);
    EXPECT_EQ(view_.summaries, (std::vector<std::string>{"126,D,,A-0001", "1125,I,PF00000001,"}));
    EXPECT_TRUE(dialogs_.calls().empty());

    // Stamped events are never read again.
    ASSERT_EQ(run(), RunOutcome::Completed);
    const std::vector<std::string> audit = install_.auditEntries();
    EXPECT_EQ(std::vector<std::string>(audit.end() - 2, audit.end()),
              (std::vector<std::string>{"Inicio,002,0", "Inicio,003,0"}));
}

TEST_F(SendRunTest, StampIsWrittenInOneFormWhateverTheRegionalFormats) {
    makeOrigin();
    addDestination("002", "Sucursal Norte");
    const int a = addEvent(EventSpec(1125, 1, std::nullopt, "D"));
    const int b = addEvent(EventSpec(1125, 2, std::nullopt, "D"));
    connect();
    // Day first, two-digit year, a twelve-hour clock: none of it may reach the stamp.
    regional::setOverride(
        regional::Formats{QStringLiteral("d/M/yy"), QStringLiteral("h:mm:ss AP"), QChar(',')});

    const QDate firstDay = QDate::currentDate();
    ASSERT_EQ(run(), RunOutcome::Completed);
    const QDate lastDay = QDate::currentDate();

    for (int id : {a, b}) {
        const std::vector<std::string> stamp = origin().rows(
            "select rpev_fecrep, rpev_horarep from replica_eventos where rpev_id = " + std::to_string(id));
        ASSERT_EQ(stamp.size(), 1u);
        const QString text = QString::fromStdString(stamp.front());
        const QDate date = QDate::fromString(text.section(QLatin1Char('|'), 0, 0), Qt::ISODate);
        EXPECT_TRUE(date.isValid() && date >= firstDay && date <= lastDay) << stamp.front();
        EXPECT_TRUE(
            QTime::fromString(text.section(QLatin1Char('|'), 1, 1).left(8), QStringLiteral("HH:mm:ss"))
                .isValid())
            << stamp.front();
    }
    EXPECT_TRUE(dialogs_.calls().empty());
}

TEST_F(SendRunTest, HundredEventsPerDestinationAndRunInRegistrationOrder) {
    makeOrigin();
    addDestination("002", "Sucursal Norte");
    // Registered in the reverse order of their ids: the reading follows registration, not ids.
    std::string script;
    for (int i = 0; i < 150; ++i)
        script += eventInsert(EventSpec(1125, 1000 + i, std::nullopt, "D"), 150 - i) + ";";
    origin().run(script);
    connect();

    ASSERT_EQ(run(), RunOutcome::Completed);
    EXPECT_EQ(origin().scalar("select count(*) from replica_eventos where rpev_fecrep is not null"), "100");
    EXPECT_EQ(origin().scalar("select min(rpev_id) from replica_eventos where rpev_fecrep is not null"),
              "51");
    EXPECT_EQ(install_.auditEntries().front(), "Inicio,002,100");
    EXPECT_EQ(install_.auditEntries()[1], "150,1125,");

    ASSERT_EQ(run(), RunOutcome::Completed);
    EXPECT_EQ(origin().scalar("select count(*) from replica_eventos where rpev_fecrep is null"), "0");
    EXPECT_EQ(install_.auditEntries()[101], "Inicio,002,50");
    EXPECT_EQ(view_.ranges, (std::vector<int>{100, 50}));
}

TEST_F(SendRunTest, PassedOverArticleEventsDoNotStarveLaterEvents) {
    makeOrigin();
    addDestination("002", "Sucursal Norte");
    std::string script;
    for (int id = 1; id <= 120; ++id)
        script += eventInsert(EventSpec(101, std::nullopt, "A-" + std::to_string(id), "M"), id) + ";";
    origin().run(script);
    const int later = 121;
    origin().run(eventInsert(EventSpec(126, 1, "A-0001", "D"), later));
    connect();

    ASSERT_EQ(run(), RunOutcome::Completed);

    EXPECT_EQ(state(later), "stamped");
    EXPECT_EQ(
        origin().scalar("select count(*) from replica_eventos where rpev_fecrep is null and rpev_tipo = 101"),
        "120");
    EXPECT_EQ(install_.auditEntries(), (std::vector<std::string>{"Inicio,002,1", "121,126,A-0001"}));
}

TEST_F(SendRunTest, NoRetryLeavesFailedEventsOut) {
    makeOrigin();
    addDestination("002", "Sucursal Norte");
    const int failed = addEvent(EventSpec(1125, 1, std::nullopt, "D").failed("Fila rechazada"));
    const int fresh = addEvent(EventSpec(1125, 2, std::nullopt, "D"));
    connect();

    view_.noRetry = true;
    ASSERT_EQ(run(), RunOutcome::Completed);
    EXPECT_EQ(state(failed), "pending");
    EXPECT_EQ(state(fresh), "stamped");
    EXPECT_EQ(install_.auditEntries().front(), "Inicio,002,1");

    view_.noRetry = false;
    ASSERT_EQ(run(), RunOutcome::Completed);
    EXPECT_EQ(state(failed), "stamped");
    EXPECT_EQ(note(failed), "Fila rechazada") << "a later success leaves the old note in place";
}

TEST_F(SendRunTest, UnreachableDestinationIsJournaledAndSkipped) {
    makeOrigin();
    TestDatabase& norte = addDestination("002", "Sucursal Norte");
    addDestinationEntry("004", "Sucursal Lejana", kUnreachableServer);
    TestDatabase& sur = addDestination("003", "Sucursal Sur");
    origin().run(
        "INSERT INTO PRECIOS_FUTUROS VALUES (1, 'LISTA ESCOLAR 2025', '2025-01-20', 5.5, 1, 'N', 'DEMO')");
    const int toNorte = addEvent(EventSpec(1125, 1));
    const int far1 = addEvent(EventSpec(1125, 1).to("004"));
    const int far2 = addEvent(EventSpec(126, 1, "A-0001", "D").to("004"));
    const int toSur = addEvent(EventSpec(1125, 1).to("003"));
    connect();

    ASSERT_EQ(run(), RunOutcome::Completed);

    EXPECT_EQ(state(toNorte), "stamped");
    EXPECT_EQ(state(toSur), "stamped");
    EXPECT_EQ(state(far1), "pending");
    EXPECT_EQ(state(far2), "pending");
    EXPECT_EQ(note(far1), "<null>");
    EXPECT_EQ(norte.scalar("select count(*) from precios_futuros"), "1");
    EXPECT_EQ(sur.scalar("select count(*) from precios_futuros"), "1");
    EXPECT_EQ(install_.auditEntries(),
              (std::vector<std::string>{"Inicio,002,1", std::to_string(toNorte) + ",1125,", "Inicio,004,2",
                                        "Inicio,003,1", std::to_string(toSur) + ",1125,"}));
    // The journal is written in the code page: "conexión" with the single byte 0xF3.
    EXPECT_EQ(install_.errorEntries(),
              std::vector<std::string>{"No se pudo entablar conexi\xF3n con la BD " + kUnreachableServer +
                                       "/datos/004/vertano.fdb"});
    EXPECT_TRUE(dialogs_.calls().empty()) << "nothing is shown for a destination that cannot be reached";
    EXPECT_EQ(view_.ranges, (std::vector<int>{1, 1})) << "the bar is set only for connected destinations";
    EXPECT_FALSE(view_.panelShown());
    EXPECT_TRUE(view_.timerOn());
}

TEST_F(SendRunTest, SharedCompanyCodeIsServedByTheFirstEntryFirst) {
    makeOrigin();
    TestDatabase& first = addDestination("002", "Sucursal Norte", {"company_triggers.sql"});
    // A second entry with the same code, on another server string.
    destinations_.push_back(std::make_unique<TestDatabase>(
        std::vector<std::string>{"company.sql"}, TestDatabase::Route::Embedded, "datos/002/vertano.fdb"));
    TestDatabase& second = *destinations_.back();
    addDestinationEntry("002", "Sucursal Norte (respaldo)", second.directory());
    origin().run(
        "INSERT INTO DESCUENTOS_PRECIOS VALUES (1, 'TEMPORADA', 10, '2025-01-15', '2025-02-28', 1, 'S');"
        "INSERT INTO DESCUENTOS_PRECIOS VALUES (2, 'RECHAZAR', 10, '2025-01-15', '2025-02-28', 1, 'S')");
    const int accepted = addEvent(EventSpec(229, 1));
    const int refused = addEvent(EventSpec(229, 2));
    connect();

    ASSERT_EQ(run(), RunOutcome::Completed);

    EXPECT_EQ(state(accepted), "stamped");
    EXPECT_EQ(state(refused), "stamped") << "the second entry applies what the first left";
    EXPECT_EQ(first.rows("select dctp_id from descuentos_precios"), std::vector<std::string>{"1"});
    EXPECT_EQ(second.rows("select dctp_id from descuentos_precios"), std::vector<std::string>{"2"});
    const std::vector<std::string> audit = install_.auditEntries();
    ASSERT_EQ(audit.size(), 5u);
    EXPECT_EQ(audit[0], "Inicio,002,2");
    EXPECT_EQ(audit[3], "Inicio,002,1");
    EXPECT_EQ(audit[4], std::to_string(refused) + ",229,");
    EXPECT_EQ(boxes().size(), 1);
}

TEST_F(SendRunTest, UnsavedChangesOfTheDestinationListAreInEffect) {
    makeOrigin();
    TestDatabase& norte = addDestination("002", "Sucursal Norte");
    // Sucursal Sur's database exists but is not in the saved list.
    destinations_.push_back(std::make_unique<TestDatabase>(
        std::vector<std::string>{"company.sql"}, TestDatabase::Route::Embedded, "datos/003/vertano.fdb"));
    TestDatabase& sur = *destinations_.back();
    origin().run(
        "INSERT INTO PRECIOS_FUTUROS VALUES (1, 'LISTA ESCOLAR 2025', '2025-01-20', 5.5, 1, 'N', 'DEMO')");
    const int toNorte = addEvent(EventSpec(1125, 1));
    const int toSur = addEvent(EventSpec(1125, 1).to("003"));
    connect();

    // In the editor: Sucursal Norte deleted, Sucursal Sur added, neither saved.
    session_.destinationList().first();
    session_.destinationList().remove();
    session_.destinationList().insert();
    session_.destinationList().fieldByName("RPPR_ID").setAsInteger(2);
    session_.destinationList().fieldByName("RPPR_NOMBRE").setAsString("Sucursal Sur");
    session_.destinationList().fieldByName("RPPR_SERVIDOR").setAsString(sur.directory());
    session_.destinationList().fieldByName("RPPR_COD").setAsString("003");
    session_.destinationList().post();

    ASSERT_EQ(run(), RunOutcome::Completed);

    EXPECT_EQ(state(toNorte), "pending");
    EXPECT_EQ(state(toSur), "stamped");
    EXPECT_EQ(norte.scalar("select count(*) from precios_futuros"), "0");
    EXPECT_EQ(sur.scalar("select count(*) from precios_futuros"), "1");
    EXPECT_EQ(view_.captions, QStringList{QStringLiteral("Transmitiendo información de Sucursal Sur")});
    EXPECT_EQ(origin().rows("select rppr_cod from replica_precios"), std::vector<std::string>{"002"})
        << "nothing of the editor reaches the database";
}

TEST_F(SendRunTest, EventsOfOtherCompaniesAndTypesAreNeverTakenUp) {
    makeOrigin();
    addDestination("002", "Sucursal Norte");
    const int otherCompany = addEvent(EventSpec(1125, 1, std::nullopt, "D").to("009"));
    const int otherType = addEvent(EventSpec(127, 1, "A-0001", "D"));
    connect();

    ASSERT_EQ(run(), RunOutcome::Completed);

    EXPECT_EQ(state(otherCompany), "pending");
    EXPECT_EQ(state(otherType), "pending");
    EXPECT_EQ(install_.auditEntries(), std::vector<std::string>{"Inicio,002,0"});
}

TEST_F(SendRunTest, EmptyDestinationListCompletesWithoutJournal) {
    makeOrigin();
    connect();

    ASSERT_EQ(run(), RunOutcome::Completed);

    EXPECT_EQ(view_.panel, (std::vector<bool>{true, false}));
    EXPECT_EQ(view_.timer, (std::vector<bool>{false, true}));
    EXPECT_FALSE(QFileInfo::exists(install_.auditPath()));
    EXPECT_FALSE(QFileInfo::exists(install_.errorsPath()));
    EXPECT_EQ(session_.credentials().user, "SYSDBA") << "the credentials are read before any destination";
}

TEST_F(SendRunTest, CredentialsComeFromTheSettingsOfTheOrigin) {
    makeOrigin();
    addDestination("002", "Sucursal Norte");
    connect();
    ASSERT_EQ(run(), RunOutcome::Completed);
    EXPECT_EQ(session_.destination().parameters().get("User_Name"), std::optional<std::string>("SYSDBA"));
    EXPECT_EQ(session_.destination().parameters().get("password"),
              std::optional<std::string>(adminPassword()));
    EXPECT_EQ(session_.destination().parameters().get("Database"),
              std::optional<std::string>(destinations_.front()->directory() + "/datos/002/vertano.fdb"));

    // Without the two entries both are empty and the connection goes without them.
    origin().run("DELETE FROM CONFIGURACION");
    addEvent(EventSpec(1125, 1, std::nullopt, "D"));
    ASSERT_EQ(run(), RunOutcome::Completed);
    EXPECT_EQ(session_.credentials().user, "");
    EXPECT_EQ(session_.credentials().password, "");
    EXPECT_FALSE(session_.destination().parameters().get("User_Name").has_value());
    EXPECT_FALSE(session_.destination().parameters().get("password").has_value());
    EXPECT_EQ(install_.auditEntries()[1], "Inicio,002,1");
}

TEST_F(SendRunTest, EventWithoutItsNumericKeyAbandonsTheRunWithTheServersText) {
    makeOrigin();
    addDestination("002", "Sucursal Norte");
    addDestination("003", "Sucursal Sur");
    const int first = addEvent(EventSpec(1125, 1, std::nullopt, "D"));
    const int broken = addEvent(EventSpec(126, std::nullopt, "A-0001", "I"));
    const int last = addEvent(EventSpec(1125, 2, std::nullopt, "D"));
    const int sur = addEvent(EventSpec(1125, 2, std::nullopt, "D").to("003"));
    connect();

    std::string message;
    try {
        run();
    } catch (const SilentAbort&) {
        ADD_FAILURE() << "the failure must reach the caller with its text";
    } catch (const Error& e) {
        message = e.what();
    }
    EXPECT_EQ(message.rfind("SQL Server Error: ", 0), 0u) << message;
    EXPECT_NE(message.find("Unexpected end of command"), std::string::npos) << message;

    EXPECT_EQ(state(first), "stamped");
    EXPECT_EQ(state(broken), "pending");
    EXPECT_EQ(note(broken), "<null>");
    EXPECT_EQ(state(last), "pending");
    EXPECT_EQ(state(sur), "pending");
    EXPECT_EQ(view_.panel, std::vector<bool>{true});
    EXPECT_EQ(view_.timer, std::vector<bool>{false});
    EXPECT_EQ(view_.captions.size(), 1);
    EXPECT_FALSE(session_.sendInProgress());
    EXPECT_TRUE(dialogs_.calls().empty()) << "the caller shows it";

    // The next run starts afresh.
    origin().run("UPDATE REPLICA_EVENTOS SET RPEV_IDDOC = 1 WHERE RPEV_ID = " + std::to_string(broken));
    ASSERT_EQ(run(), RunOutcome::Completed);
    EXPECT_EQ(state(sur), "stamped");
}

TEST_F(SendRunTest, RunWithoutOriginCompanyIsRefused) {
    makeOrigin();
    addDestination("002", "Sucursal Norte");
    const int id = addEvent(EventSpec(1125, 1, std::nullopt, "D"));
    connect();
    view_.company.clear();

    EXPECT_EQ(run(), RunOutcome::Refused);

    EXPECT_EQ(messages(), QStringList{QStringLiteral("Debe indicar las compañías origen y destino.")});
    EXPECT_TRUE(view_.panel.empty());
    EXPECT_EQ(view_.timer, std::vector<bool>{false});
    EXPECT_EQ(state(id), "pending");
    EXPECT_FALSE(QFileInfo::exists(install_.auditPath()));
    EXPECT_FALSE(session_.sendInProgress());
}

TEST_F(SendRunTest, RunBeforeConectarIsRefusedWithoutTouchingAnyDatabase) {
    destinationList_.setCompanyKey(std::string("001"));

    EXPECT_EQ(run(), RunOutcome::Refused);

    ASSERT_EQ(messages().size(), 1);
    EXPECT_TRUE(messages().front().contains(QStringLiteral("Conectar"))) << messages().front().toStdString();
    EXPECT_EQ(messages().front(), fromAnsi(notConnectedText()));
    EXPECT_TRUE(view_.panel.empty());
    EXPECT_FALSE(view_.timerOn());
    EXPECT_FALSE(session_.origin().isOpen());
    EXPECT_FALSE(session_.destination().isOpen());
    EXPECT_FALSE(session_.settingsReader().isOpen());
    EXPECT_FALSE(QFileInfo::exists(install_.auditPath()));
}

TEST_F(SendRunTest, RunsNeverOverlap) {
    makeOrigin();
    addDestination("002", "Sucursal Norte");
    const int a = addEvent(EventSpec(1125, 1, std::nullopt, "D"));
    const int b = addEvent(EventSpec(1125, 2, std::nullopt, "D"));
    connect();

    // "Enviar", the timer, "Conectar" and the destination list editor reached while the run lets the window
    // handle its messages.
    RecordingView inner;
    std::vector<RunOutcome> nested;
    std::vector<std::string> refusals;
    view_.onProcessMessages = [&] {
        nested.push_back(SendRun(session_, inner).run());
        for (const std::function<void()>& action : std::vector<std::function<void()>>{
                 [&] { destinationList_.connectOrigin(); }, [&] { destinationList_.save(); },
                 [&] { destinationList_.discard(); }}) {
            try {
                action();
                refusals.push_back("<done>");
            } catch (const Error& e) {
                refusals.push_back(e.what());
            }
        }
    };

    ASSERT_EQ(run(), RunOutcome::Completed);

    EXPECT_EQ(nested, (std::vector<RunOutcome>{RunOutcome::Ignored, RunOutcome::Ignored}));
    EXPECT_TRUE(inner.timer.empty() && inner.panel.empty() && inner.captions.isEmpty());
    ASSERT_EQ(refusals.size(), 6u);
    for (const std::string& r : refusals)
        EXPECT_NE(r.find(ansi("mientras se envía información")), std::string::npos) << r;
    EXPECT_EQ(state(a), "stamped");
    EXPECT_EQ(state(b), "stamped");
    EXPECT_EQ(install_.auditEntries().size(), 3u);
    EXPECT_TRUE(session_.origin().isOpen());

    // Once the run is over the same actions work again.
    view_.onProcessMessages = nullptr;
    EXPECT_NO_THROW(destinationList_.connectOrigin());
    EXPECT_EQ(run(), RunOutcome::Completed);
}

TEST_F(SendRunTest, MissingSettingsFileIsReportedAtEveryJournalLine) {
    makeOrigin();
    addDestination("002", "Sucursal Norte");
    addEvent(EventSpec(1125, 1, std::nullopt, "D"));
    addEvent(EventSpec(1125, 2, std::nullopt, "D"));
    connect();
    install_.removeSettings();
    // Without a directory the journal goes to the root; leave the root as it was found.
    const QString rootJournal = QDir::rootPath() + QStringLiteral("TARNELO.TXT");
    const bool existed = QFileInfo::exists(rootJournal);
    const qint64 sizeBefore = existed ? QFileInfo(rootJournal).size() : 0;

    ASSERT_EQ(run(), RunOutcome::Completed);

    if (!existed)
        QFile::remove(rootJournal);
    else if (QFileInfo(rootJournal).size() > sizeBefore)
        QFile::resize(rootJournal, sizeBefore);
    const QString missing =
        QStringLiteral("No se encontró la Clave HKEY_LOCAL_MACHINE\\Software\\KDM\\VERTano2021\\Directorio");
    EXPECT_EQ(messages(), (QStringList{missing, missing, missing})) << "one for the start and one per event";
    EXPECT_EQ(origin().scalar("select count(*) from replica_eventos where rpev_fecrep is null"), "0");
    EXPECT_TRUE(view_.timerOn());
}

} // namespace
