#pragma once

// Shared setup of the replication tests: an installation directory found through a settings file, an origin
// company database (code 001) and destination company databases laid out as the suite lays them out
// (<server>/datos/<code>/vertano.fdb), a recording stand-in for the main window, and recorded message boxes.

#include "access/Scramble.h"
#include "base/AnsiCodec.h"
#include "base/Regional.h"
#include "db/SqlLiteral.h"
#include "replication/CompanyList.h"
#include "replication/DestinationList.h"
#include "replication/ReplicationSession.h"
#include "replication/SendRun.h"
#include "support/InstallDirectorySettings.h"
#include "support/ScriptedDialogs.h"
#include "support/TestDatabase.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTime>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace envio::test {

inline std::string adminPassword() {
    const char* p = std::getenv("ISC_PASSWORD");
    return p ? p : "";
}

// The suite's installation directory in a temporary directory, named by the settings file for the life of the
// object.
class Installation {
public:
    Installation() { storeDirectory(install_.path()); }

    QString directory() const { return install_.path(); }
    QString settingsFile() const { return settings_.settingsFile(); }

    void storeDirectory(const QString& directory) {
        directory_ = directory;
        settings_.storeDirectory(directory);
    }
    void removeSettings() { settings_.removeSettings(); }

    // The journals in the directory stored last.
    QString auditPath() const { return directory_ + QStringLiteral("/TARNELO.TXT"); }
    QString errorsPath() const { return directory_ + QStringLiteral("/errortarnelo.txt"); }
    QByteArray audit() const { return contents(auditPath()); }
    QByteArray errors() const { return contents(errorsPath()); }

    // The fields of every journal entry (what follows the date and the time), in order. Entries end with
    // CR LF; a failure message may bring line ends of its own, so a line that does not begin with a date and
    // a time in the tests' regional formats continues the entry before it.
    std::vector<std::string> auditEntries() const { return entries(audit()); }
    std::vector<std::string> errorEntries() const { return entries(errors()); }

    static QByteArray contents(const QString& path) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return file.readAll();
    }

    static std::vector<std::string> entries(const QByteArray& journal) {
        static const QRegularExpression stamp(QStringLiteral("^\\d\\d/\\d\\d/\\d{4},\\d\\d:\\d\\d:\\d\\d,"));
        std::vector<std::string> out;
        EXPECT_TRUE(journal.isEmpty() || journal.endsWith("\r\n")) << journal.toStdString();
        for (qsizetype start = 0; start < journal.size();) {
            qsizetype end = journal.indexOf("\r\n", start);
            if (end < 0)
                end = journal.size();
            const QByteArray line = journal.mid(start, end - start);
            start = end + 2;
            const QRegularExpressionMatch m = stamp.match(QString::fromLatin1(line));
            if (m.hasMatch())
                out.push_back(line.mid(m.capturedLength()).toStdString());
            else if (!out.empty())
                out.back() += "\r\n" + line.toStdString();
            else
                ADD_FAILURE() << "journal line without date and time: " << line.toStdString();
        }
        return out;
    }

private:
    InstallDirectorySettings settings_;
    QTemporaryDir install_;
    QString directory_;
};

// The parts of the main window a send run touches, recorded.
class RecordingView : public SendRunView {
public:
    QString company = QStringLiteral("Casa matriz");
    bool noRetry = false;
    std::function<void()> onProcessMessages;

    std::vector<bool> panel;
    std::vector<bool> timer;
    QStringList captions;
    std::vector<int> ranges;
    int steps = 0;
    std::vector<int> positions;
    std::vector<std::string> summaries;
    int pumps = 0;
    std::vector<DestinationSummary> done;

    QString originCompanyText() const override { return company; }
    bool noRetryErrors() const override { return noRetry; }
    void setProgressVisible(bool visible) override { panel.push_back(visible); }
    void setProgressCaption(const QString& caption) override { captions.append(caption); }
    void setProgressRange(int maximum) override { ranges.push_back(maximum); }
    void stepProgress() override { ++steps; }
    void setProgressPosition(int position) override { positions.push_back(position); }
    void setEventSummary(const std::string& summary) override { summaries.push_back(summary); }
    void processMessages() override {
        ++pumps;
        if (onProcessMessages)
            onProcessMessages();
    }
    void setTimerEnabled(bool enabled) override { timer.push_back(enabled); }
    void destinationDone(const DestinationSummary& s) override { done.push_back(s); }

    bool panelShown() const { return !panel.empty() && panel.back(); }
    bool timerOn() const { return !timer.empty() && timer.back(); }
};

// One pending event as the suite writes it, meant for company 002 unless told otherwise.
struct EventSpec {
    explicit EventSpec(int type, std::optional<int> iddoc = std::nullopt,
                       std::optional<std::string> code = std::nullopt,
                       std::optional<std::string> oper = std::nullopt)
        : type(type), iddoc(iddoc), code(std::move(code)), oper(std::move(oper)) {}
    EventSpec& to(std::string destination) {
        company = std::move(destination);
        return *this;
    }
    EventSpec& failed(std::string message) {
        error = std::move(message);
        return *this;
    }

    int type;
    std::optional<int> iddoc;
    std::optional<std::string> code;
    std::optional<std::string> oper;
    std::string company = "002";
    std::optional<std::string> error;
};

inline std::string literalOrNull(const std::optional<std::string>& v) {
    return v ? sqlTextLiteral(*v) : std::string("NULL");
}

inline std::string numberOrNull(const std::optional<int>& v) {
    return v ? std::to_string(*v) : std::string("NULL");
}

// An article with every column of the table set, the replicated ones and the company's own.
inline std::string fullArticle(const std::string& code, const std::string& description, int variant = 0) {
    const std::string n = std::to_string(variant);
    return "INSERT INTO ARTICULO (ARTI_COD, ARTI_DES, GRUP_COD, SUBG_COD, MARC_COD, ARTI_DESVAR, ARTI_TIPO, "
           "ARTI_EXIST, ARTI_COSTO, ARTI_FECHA, ARTI_UNIDAD, ARTI_UBICACION, ARTI_PRECIO, ARTI_CONSUMO, "
           "ARTI_IMPOTRO, ARTI_PESO, ARTI_ANCHO, ARTI_ALTO, ARTI_LARGO, ARTI_OBS, ARTI_FOTO, ARTI_MAX, "
           "ARTI_MIN, ARTI_DIAS, ESAR_COD, ARTI_USUARIO, ARTI_FECMOD, TAIV_COD, ARTI_CLASE, ARTI_DIANALIS, "
           "ARTI_DESCORTA, ARTI_CODBARRAS, ARTI_PRODCANT, ARTI_CICLO, ARTI_TIENDA, ARTI_ENSAMBLE, "
           "ARTI_VALORBONO, ARTI_MERMA, ARTI_SOBRANTE, ARTI_PORCSOBR, ARTI_DEC2799, ARTI_TERCERO, "
           "ARTI_INVIMA, ARTI_INALC, ARTI_DTOMAX, ARTI_CUM, ARTI_POSARANCEL, ARTI_REUSOB, ARTI_MERMAENT, "
           "ARTI_MERMAPOR, ARTI_SOBTOT, ARTI_ACTIVO) "
           "VALUES (" +
           sqlTextLiteral(code) + ", " + sqlTextLiteral(description) + ", '01" + n + "', '010" + n +
           "', 'NOR" + n + "', 'N', 'P', 24" + n + ".5, 210" + n + ", '2024-11-0" +
           std::to_string(1 + variant % 9) + "', 'UND', 'BODEGA " + n + "', 350" + n + ".25, 320" + n +
           ", 1" + n + ".5, 0.3" + n + ", 21.5" + n + ", 28." + n + ", 1.2" + n +
           ", 'Cuaderno cuadriculado " + n + ", tapa dura.', x'89504E470D0A1A0" + n + "', 50" + n + ", 5" +
           n + ", 3" + n + ", 'A" + n + "', 'DEMO" + n + "', '2024-11-04 10:1" + n + ":00', '1" + n +
           "', 'A', 9" + n + ", 'CUADERNO " + n + "', '770123400001" + n + "', 1" + n + ", 3" + n +
           ", 'S', 'N', 1" + n + ", 0.2" + n + ", 'N', 1.7" + n + ", 'N', '90055511" + n + "', 'INV-" + n +
           "', 'N', '1" + n + "', 'CUM-" + n + "', '482020000" + n + "', 'N', '0" + n + "', '1" + n +
           "', 'N', '" + (variant % 2 ? "N" : "S") + "')";
}

// The 47 columns of ARTICULO that the article events carry.
inline const char* const kArticleColumns =
    "ARTI_COD, ARTI_DES, GRUP_COD, SUBG_COD, MARC_COD, ARTI_DESVAR, ARTI_TIPO, ARTI_EXIST, ARTI_FECHA, "
    "ARTI_UNIDAD, ARTI_PRECIO, ARTI_CONSUMO, ARTI_IMPOTRO, ARTI_PESO, ARTI_ANCHO, ARTI_ALTO, ARTI_LARGO, "
    "ARTI_OBS, ARTI_FOTO, ARTI_MAX, ARTI_MIN, ARTI_DIAS, ESAR_COD, ARTI_USUARIO, TAIV_COD, ARTI_CLASE, "
    "ARTI_DIANALIS, ARTI_DESCORTA, ARTI_PRODCANT, ARTI_CICLO, ARTI_TIENDA, ARTI_ENSAMBLE, ARTI_VALORBONO, "
    "ARTI_MERMA, ARTI_SOBRANTE, ARTI_PORCSOBR, ARTI_DEC2799, ARTI_TERCERO, ARTI_INVIMA, ARTI_INALC, "
    "ARTI_DTOMAX, ARTI_CUM, "
    "ARTI_POSARANCEL, ARTI_REUSOB, ARTI_MERMAENT, ARTI_MERMAPOR, ARTI_SOBTOT";

// An origin company 001 with its destinations, the installation directory, fixed regional formats and
// recorded boxes. Each test builds only the databases it needs.
class ReplicationTest : public testing::Test {
protected:
    void SetUp() override {
        regional::setOverride(
            regional::Formats{QStringLiteral("dd/MM/yyyy"), QStringLiteral("HH:mm:ss"), QChar(',')});
    }
    void TearDown() override { regional::setOverride(std::nullopt); }

    // The origin company database with the suite's schema, the extra fixtures and, unless told otherwise,
    // the replication credentials in CONFIGURACION.
    TestDatabase& makeOrigin(const std::vector<std::string>& extra = {}, bool credentials = true) {
        std::vector<std::string> fixtures{"company.sql"};
        fixtures.insert(fixtures.end(), extra.begin(), extra.end());
        origin_ =
            std::make_unique<TestDatabase>(fixtures, TestDatabase::Route::Embedded, "datos/001/vertano.fdb");
        if (credentials)
            origin_->run(
                "INSERT INTO CONFIGURACION VALUES ('INVENTARIO', 'ARTICULOS', 'NOMBRE DE USUARIO PARA "
                "REPLICACION DE ARTICULOS', 'SYSDBA');INSERT INTO CONFIGURACION VALUES ('INVENTARIO', "
                "'ARTICULOS', 'CLAVE DE USUARIO PARA "
                "REPLICACION DE ARTICULOS', " +
                sqlTextLiteral(adminPassword()) + ");");
        return *origin_;
    }
    TestDatabase& origin() { return *origin_; }

    // A destination company database at <its own server string>/datos/<code>/vertano.fdb, entered in the
    // destination list.
    TestDatabase& addDestination(const std::string& code, const std::string& name,
                                 const std::vector<std::string>& extra = {}) {
        std::vector<std::string> fixtures{"company.sql"};
        fixtures.insert(fixtures.end(), extra.begin(), extra.end());
        destinations_.push_back(std::make_unique<TestDatabase>(fixtures, TestDatabase::Route::Embedded,
                                                               "datos/" + code + "/vertano.fdb"));
        TestDatabase& db = *destinations_.back();
        addDestinationEntry(code, name, db.directory());
        return db;
    }

    void addDestinationEntry(const std::string& code, const std::string& name, const std::string& server) {
        origin_->run("INSERT INTO REPLICA_PRECIOS (RPPR_ID, RPPR_NOMBRE, RPPR_SERVIDOR, RPPR_COD) VALUES (" +
                     std::to_string(++entries_) + ", " + sqlTextLiteral(name) + ", " +
                     sqlTextLiteral(server) + ", " + sqlTextLiteral(code) + ")");
    }

    // The INSERT of one event, registered one second after the previous one.
    std::string eventInsert(const EventSpec& e, int id) {
        const QTime registered = QTime(8, 0).addSecs(eventClock_++);
        return "INSERT INTO REPLICA_EVENTOS (RPEV_ID, RPEV_COMPANIA, RPEV_TIPO, RPEV_IDDOC, RPEV_CODIGO, "
               "RPEV_FECREG, RPEV_HORAREG, RPEV_OPER, RPEV_USUARIO, RPEV_ERROR) VALUES (" +
               std::to_string(id) + ", " + sqlTextLiteral(e.company) + ", " + std::to_string(e.type) + ", " +
               numberOrNull(e.iddoc) + ", " + literalOrNull(e.code) + ", '2025-01-10', '" +
               registered.toString(QStringLiteral("HH:mm:ss")).toStdString() + "', " + literalOrNull(e.oper) +
               ", 'DEMO', " + literalOrNull(e.error) + ")";
    }

    int addEvent(const EventSpec& e) {
        const int id = ++lastEvent_;
        origin_->run(eventInsert(e, id));
        return id;
    }

    // "pending" or "stamped".
    std::string state(int id) {
        return origin_->scalar("select case when rpev_fecrep is null then 'pending' else 'stamped' end from "
                               "replica_eventos where rpev_id = " +
                               std::to_string(id));
    }
    std::string note(int id) {
        return origin_->scalar("select rpev_error from replica_eventos where rpev_id = " +
                               std::to_string(id));
    }

    // Logs in to the origin's server string and performs "Conectar" for company 001.
    void connect() {
        session_.loginState() = LoginState{origin_->directory(), "SYSDBA", ScrambleText(adminPassword())};
        destinationList_.setCompanyKey(std::string("001"));
        destinationList_.connectOrigin();
    }

    // One destination after another unless told otherwise, so that what the view sees comes in one order.
    RunOutcome run(int lanes = 1) {
        SendRun send(session_, view_);
        send.setLanes(lanes);
        return send.run();
    }

    QStringList boxes() const { return dialogs_.texts(ScriptedDialogs::Kind::Error); }
    QStringList messages() const { return dialogs_.texts(ScriptedDialogs::Kind::Message); }

    Installation install_;
    ScriptedDialogs dialogs_;
    ScopedDialogs dialogsGuard_{dialogs_};
    std::unique_ptr<TestDatabase> origin_;
    std::vector<std::unique_ptr<TestDatabase>> destinations_;
    // Declared after the databases: its connections close before the database files go.
    ReplicationSession session_;
    CompanyList companies_{session_.companies()};
    DestinationList destinationList_{session_};
    RecordingView view_;

private:
    int entries_ = 0;
    int lastEvent_ = 0;
    int eventClock_ = 0;
};

} // namespace envio::test
