#pragma once

#include "db/Provider.h"
#include "db/StagedDataset.h"

#include <optional>
#include <vector>

namespace envio {

class Query;

// Captures the failures of writes through staged datasets instead of leaving them to the application-wide
// handler: a line in the error journal, the message in RPEV_ERROR of the event being applied, then the beep
// and an error box for the operator. A failure while a row is put into a staged dataset then ends the running
// action silently; a row the database refuses while changes are applied is reported by the apply's count.
class ErrorCapture {
public:
    // The note statement runs through `note`, a query of the capture's own on the origin connection.
    explicit ErrorCapture(Query& note);

    // Binds the capture to these providers (update errors) and staged datasets (edit, post and delete
    // errors). Binding again replaces the same handlers.
    void bind(const std::vector<Provider*>& providers, const std::vector<StagedDataset*>& datasets);

    // The event a send run is applying; a failure meanwhile is noted on it. None outside a run's apply.
    void setCurrentEvent(std::optional<long long> id) { currentEvent_ = id; }
    std::optional<long long> currentEvent() const { return currentEvent_; }

    // The update-error handler of the providers, and the common capture.
    void handleError(Provider* sender, StagedDataset* rows, const Error& failure, UpdateKind kind,
                     UpdateResponse& response);
    // The edit-, post- and delete-error handler of the staged datasets: a silent abort follows.
    void handleClientError(StagedDataset& dataset, const Error& failure, DataAction& action);

private:
    Query& note_;
    std::optional<long long> currentEvent_;
};

} // namespace envio
