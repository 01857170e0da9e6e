#include "replication/ErrorCapture.h"

#include "app/Dialogs.h"
#include "base/AnsiCodec.h"
#include "db/Query.h"
#include "db/SqlLiteral.h"
#include "replication/Journal.h"

namespace envio {

namespace {

// The size RPEV_ERROR has in the suite's schema, used when the database does not tell its own.
constexpr std::size_t kDefaultNoteSize = 2048;

// The declared size of RPEV_ERROR in the event's database: a longer note would be refused ("string right
// truncation") and block the event for good, so it is cut to this size instead.
std::size_t noteSize(Query& query) {
    query.clear();
    query.add(
        "select f.RDB$CHARACTER_LENGTH, f.RDB$FIELD_LENGTH from RDB$RELATION_FIELDS rf join RDB$FIELDS f "
        "on f.RDB$FIELD_NAME = rf.RDB$FIELD_SOURCE where rf.RDB$RELATION_NAME = 'REPLICA_EVENTOS' and "
        "rf.RDB$FIELD_NAME = 'RPEV_ERROR'");
    query.open();
    std::size_t size = kDefaultNoteSize;
    if (!query.isEmpty()) {
        const Field& characters = query.field(0);
        const Field& bytes = query.field(1);
        if (!characters.isNull())
            size = static_cast<std::size_t>(query.field(0).AsInteger());
        else if (!bytes.isNull())
            size = static_cast<std::size_t>(query.field(1).AsInteger());
    }
    query.close();
    return size;
}

std::string withoutLast(const std::string& m) {
    return m.empty() ? m : m.substr(0, m.size() - 1);
}

// The box text for a failure of putting a row into a staged dataset.
std::string clientFailureText(const std::string& message, StagedDataset& rows) {
    std::string box;
    if (message.compare(0, 3, "Fie") == 0) {
        box = "Los campos ";
        for (int i = 0; i < rows.fieldCount(); ++i) {
            Field& f = rows.field(i);
            if (f.required() && f.isNull())
                box += f.name() + ", ";
        }
        return box + " son obligatorios.";
    }
    if (message.compare(0, 3, "Key") == 0) {
        box = "Ya existe un registro con el mismo ";
        for (int i = 0; i < rows.fieldCount(); ++i)
            if (rows.field(i).isIndexField())
                box += rows.field(i).name() + ", ";
        return box;
    }
    return withoutLast(message);
}

} // namespace

ErrorCapture::ErrorCapture(Query& note) : note_(note) {}

void ErrorCapture::bind(const std::vector<Provider*>& providers,
                        const std::vector<StagedDataset*>& datasets) {
    for (Provider* p : providers)
        p->setOnUpdateError(
            [this](Provider* sender, StagedDataset* rows, const Error& failure, UpdateKind kind,
                   UpdateResponse& response) { handleError(sender, rows, failure, kind, response); });
    for (StagedDataset* d : datasets) {
        auto handler = [this](StagedDataset& ds, const Error& failure, DataAction& action) {
            handleClientError(ds, failure, action);
        };
        d->setOnEditError(handler);
        d->setOnPostError(handler);
        d->setOnDeleteError(handler);
    }
}

void ErrorCapture::handleClientError(StagedDataset& dataset, const Error& failure, DataAction& action) {
    action = DataAction::Abort;
    UpdateResponse response = UpdateResponse::Skip;
    handleError(nullptr, &dataset, failure, UpdateKind::Insert, response);
}

void ErrorCapture::handleError(Provider* sender, StagedDataset* rows, const Error& failure, UpdateKind,
                               UpdateResponse& response) {
    response = UpdateResponse::Abort;
    const std::string message = failure.what();
    archivo_errores(message);
    std::string box = withoutLast(message);
    if (rows) {
        // The note goes to the event a running send run is applying; a failure elsewhere marks no event.
        if (currentEvent_) {
            const std::size_t size = noteSize(note_);
            const std::string note = message.size() > size ? message.substr(0, size) : message;
            note_.clear();
            note_.add("UPDATE REPLICA_EVENTOS SET RPEV_ERROR = " + sqlTextLiteral(note) +
                      " where RPEV_ID = " + std::to_string(*currentEvent_));
            note_.execSQL();
        }
        if (!sender)
            box = clientFailureText(message, *rows);
    }
    dialogs().beep();
    dialogs().error(fromAnsi(box));
}

} // namespace envio
