#include "replication/Principal.h"

#include "access/Scramble.h"
#include "app/Dialogs.h"
#include "base/AnsiCodec.h"
#include "replication/EventFields.h"
#include "replication/EventTypes.h"
#include "replication/Journal.h"

namespace envio {

std::string noOriginText() { return ansi("Debe indicar las compañías origen y destino."); }

std::string notConnectedText() {
    return ansi("Debe conectarse a la compañía origen (botón \"Conectar\") antes de enviar.");
}

std::string busyText(const char* action) {
    return ansi("No se puede ") + action + ansi(" mientras se envía información; espere a que termine el envío.");
}

namespace {

// The size of RPEV_ERROR: a longer note is cut rather than refused.
constexpr std::size_t kErrorNoteSize = 2048;

} // namespace

Principal::Principal()
    : DBEnvio("DBEnvio", storedParametersDBEnvio()), DBCia("DBCia", storedParametersDBCia()),
      DbGeneraldes("DbGeneraldes", storedParametersDbGeneraldes(), Connection::ErrorStyle::General),
      Qcopiades("Qcopiades", DBEnvio), QNotaError("QNotaError", DBEnvio), QEventos("QEventos", DBEnvio),
      PEventos("PEventos", QEventos, true), CEventos("CEventos", PEventos, eventListFields()),
      QBorrar("QBorrar", DBEnvio), PBorrar("PBorrar", QBorrar, true), CBorrar("CBorrar", PBorrar),
      QDestino("QDestino", DBCia), PDestino("PDestino", QDestino, true), CDestino("CDestino", PDestino),
      TReplicac("TReplicac", DBEnvio), PReplicaconta("PReplicaconta", TReplicac, false),
      Creplicac("Creplicac", PReplicaconta, destinationListFields()), QCompaniades("QCompaniades", DbGeneraldes),
      PCompaniades("PCompaniades", QCompaniades, false), TCompaniades("TCompaniades", PCompaniades),
      QErroresenv("QErroresenv", DBEnvio), TTipodoc("TTipodoc", DBEnvio), QBorraori("QBorraori", DBEnvio) {
    QEventos.add("select * from replica_eventos where rpev_fecrep is null order by rpev_fecreg, rpev_horareg");
    TReplicac.add("SELECT * FROM REPLICA_PRECIOS");
    QCompaniades.add("select * from COMPANIA");
    QErroresenv.add("select * from replica_eventos r WHERE R.rpev_fecrep IS NULL and r.rpev_error is null order "
                    "by rpev_id");
    TTipodoc.add(" select * from TIPO_DOCUMENTO");
    ConfigurarProviders();
}

Principal::~Principal() = default;

// ---- error capture ----------------------------------------------------------------------------------------

void Principal::ConfigurarProviders(const std::vector<Provider*>& providers,
                                    const std::vector<StagedDataset*>& datasets) {
    for (Provider* p : providers)
        p->setOnUpdateError([this](Provider* sender, StagedDataset* rows, const Error& failure, UpdateKind kind,
                                   UpdateResponse& response) { ManejarError(sender, rows, failure, kind, response); });
    for (StagedDataset* d : datasets) {
        auto handler = [this](StagedDataset& ds, const Error& failure, DataAction& action) {
            ManejarClientError(ds, failure, action);
        };
        d->setOnEditError(handler);
        d->setOnPostError(handler);
        d->setOnDeleteError(handler);
    }
}

void Principal::ConfigurarProviders() {
    ConfigurarProviders({&PEventos, &PBorrar, &PDestino, &PReplicaconta}, {&CEventos, &CBorrar, &CDestino, &Creplicac});
}

void Principal::ManejarClientError(StagedDataset& dataset, const Error& failure, DataAction& action) {
    action = DataAction::Abort;
    UpdateResponse response = UpdateResponse::Skip;
    ManejarError(nullptr, &dataset, failure, UpdateKind::Insert, response);
}

void Principal::ManejarError(Provider* sender, StagedDataset* rows, const Error& failure, UpdateKind,
                             UpdateResponse& response) {
    response = UpdateResponse::Abort;
    const std::string message = failure.what();
    archivo_errores(message);
    auto withoutLast = [](const std::string& m) { return m.empty() ? m : m.substr(0, m.size() - 1); };
    std::string box;
    if (rows) {
        // The note goes to the event a running send run is applying; a failure elsewhere marks no event.
        if (currentEvent_ && CEventos.isOpen()) {
            const std::string note = message.size() > kErrorNoteSize ? message.substr(0, kErrorNoteSize) : message;
            QNotaError.clear();
            QNotaError.add("UPDATE REPLICA_EVENTOS SET RPEV_ERROR = " + sqlTextLiteral(note) +
                           " where RPEV_ID = " + std::to_string(*currentEvent_));
            QNotaError.execSQL();
        }
        if (sender) {
            box = withoutLast(message);
        } else if (message.compare(0, 3, "Fie") == 0) {
            box = "Los campos ";
            for (int i = 0; i < rows->fieldCount(); ++i) {
                Field& f = rows->field(i);
                if (f.required() && f.isNull())
                    box += f.name() + ", ";
            }
            box += " son obligatorios.";
        } else if (message.compare(0, 3, "Key") == 0) {
            box = "Ya existe un registro con el mismo ";
            for (int i = 0; i < rows->fieldCount(); ++i)
                if (rows->field(i).isIndexField())
                    box += rows->field(i).name() + ", ";
        } else {
            box = withoutLast(message);
        }
    } else {
        box = withoutLast(message);
    }
    dialogs().beep();
    dialogs().error(fromAnsi(box));
}

// ---- company list and "Conectar" --------------------------------------------------------------------------

void Principal::loadCompanies() {
    if (!TCompaniades.isOpen())
        TCompaniades.open();
}

std::string Principal::companyShownText() {
    if (!companyKey_ || !TCompaniades.isOpen())
        return {};
    auto trimmed = [](std::string s) {
        while (!s.empty() && s.back() == ' ')
            s.pop_back();
        return s;
    };
    Field* code = TCompaniades.findField("COMP_COD");
    Field* name = TCompaniades.findField("COM_NOMBRE");
    if (!code || !name)
        return {};
    const std::string key = trimmed(*companyKey_);
    for (int r = 0; r < TCompaniades.recordCount(); ++r) {
        const Value& v = TCompaniades.valueAt(r, code->index());
        if (!v.isNull() && v.kind() == Value::Kind::String && trimmed(v.asString()) == key) {
            const Value& n = TCompaniades.valueAt(r, name->index());
            return n.isNull() ? std::string() : n.asString();
        }
    }
    return {};
}

void Principal::Conectar() {
    if (running_)
        throw Error(busyText("conectar"));
    DBEnvio.disconnect();
    if (!companyKey_)
        throw Error("Could not convert variant of type (Null) into type (String)");
    DBEnvio.setParameter("Database", companyLocation(loginState.server, *companyKey_));
    DBEnvio.setParameter("User_Name", loginState.user);
    DBEnvio.setParameter("password", UnscrambleText(loginState.scrambledPassword));
    DBEnvio.connect();
    if (!Creplicac.isOpen())
        Creplicac.open();
}

void Principal::GrabarDestinos() {
    if (running_)
        throw Error(busyText("grabar la lista"));
    Creplicac.applyUpdates(0);
}

void Principal::DescartarDestinos() {
    if (running_)
        throw Error(busyText("descartar los cambios de la lista"));
    Creplicac.cancel();
    Creplicac.cancelUpdates();
}

} // namespace envio
