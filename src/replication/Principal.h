#pragma once

#include "access/LoginState.h"
#include "db/Connection.h"
#include "db/Provider.h"
#include "db/Query.h"
#include "db/StagedDataset.h"
#include "replication/SendRunView.h"

#include <optional>
#include <string>
#include <vector>

namespace envio {

// The replication credentials read from CONFIGURACION at the start of every send run.
struct ReplicationCredentials {
    std::string user;
    std::string password;
};

// The main window's database objects and the operations on them that need no display: the company list,
// "Conectar", the destination list editor, the send run and the error capture.
class Principal {
public:
    enum class RunOutcome { Completed, Refused, Ignored };

    Principal();
    ~Principal();
    Principal(const Principal&) = delete;
    Principal& operator=(const Principal&) = delete;

    // Connections, alive as long as the process.
    Connection DBEnvio;
    Connection DBCia;
    Connection DbGeneraldes;

    // Origin reads of the appliers and the stamp; the error note.
    Query Qcopiades;
    Query QNotaError;

    Query QEventos;
    Provider PEventos;
    StagedDataset CEventos;

    Query QBorrar;
    Provider PBorrar;
    StagedDataset CBorrar;

    Query QDestino;
    Provider PDestino;
    StagedDataset CDestino;

    Query TReplicac;
    Provider PReplicaconta;
    StagedDataset Creplicac;

    Query QCompaniades;
    Provider PCompaniades;
    StagedDataset TCompaniades;

    // Used by the pending-events window through providers of its own.
    Query QErroresenv;
    Query TTipodoc;
    Query QBorraori;

    LoginState loginState;
    ReplicationCredentials credentials;

    // Binds the error capture to these providers and staged datasets (the main window's own when none are
    // given).
    void ConfigurarProviders(const std::vector<Provider*>& providers, const std::vector<StagedDataset*>& datasets);
    void ConfigurarProviders();

    void ManejarError(Provider* sender, StagedDataset* rows, const Error& failure, UpdateKind kind,
                      UpdateResponse& response);
    void ManejarClientError(StagedDataset& dataset, const Error& failure, DataAction& action);

    // Company list (SerDes1Change): opens the companies of the general database once.
    void loadCompanies();
    // The origin company selector: its key, and the name it shows (empty when no company has the key).
    void setCompanyKey(std::optional<std::string> key) { companyKey_ = std::move(key); }
    const std::optional<std::string>& companyKey() const { return companyKey_; }
    std::string companyShownText();

    // "Conectar": connects the origin with the login values and opens the destination list.
    void Conectar();
    // "Grabar" and "Salir" of the destination list editor.
    void GrabarDestinos();
    void DescartarDestinos();

    // One send run ("Enviar" and the timer). A failure that abandons the run propagates to the caller.
    RunOutcome SendRun(SendRunView& view);
    bool running() const { return running_; }

    // The event being applied by the running send run, if any.
    std::optional<long long> currentEventId() const { return currentEvent_; }

private:
    void runDestinations(SendRunView& view);
    std::string firstValue(const std::string& query);

    std::optional<std::string> companyKey_;
    bool running_ = false;
    std::optional<long long> currentEvent_;
};

// Spanish texts of the program, in the code page of the journals and the database.
std::string noOriginText();     // a run without an origin company
std::string notConnectedText(); // a run before "Conectar"
std::string busyText(const char* action);

} // namespace envio
