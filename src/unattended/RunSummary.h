#pragma once

#include "replication/SendRunView.h"

#include <QDateTime>
#include <optional>
#include <string>
#include <vector>

namespace envio {

class Connection;

// What monitoring needs to know of one unattended run, written as JSON: how it ended and, per destination,
// what was read, applied, failed and passed over, what is still pending and since when, and the last error.
// Texts are code-page bytes until written, then UTF-8.
struct RunSummary {
    struct Destination {
        DestinationSummary sent;
        std::optional<long long> pending;              // events still pending after the run
        std::optional<long long> oldestPendingSeconds; // age of the oldest of them
        std::string lastError;                         // the last failure met for it, empty when none
    };

    std::string outcome; // "completed", "refused", "busy", "stopped", "failed"
    int exitCode = 0;
    QDateTime started;
    QDateTime finished;
    std::string error; // the failure that abandoned the run, empty when none
    std::vector<Destination> destinations;

    // Reads the pending count and the oldest pending event of every destination from the origin; a reading
    // that fails leaves them unknown.
    void readPending(Connection& origin);
    // Writes the summary to `path` through a temporary file, so that a reader never sees half of it. Returns
    // false when it could not be written.
    bool write(const std::string& path) const;
};

} // namespace envio
