#pragma once

#include <QString>
#include <string>

namespace envio {

// What a send run reports about one destination, for the operator or the unattended runner.
struct DestinationSummary {
    std::string code;
    std::string name;
    std::string location;
    bool connected = false;
    int read = 0;          // pending events read
    int applied = 0;       // applied and stamped
    int failed = 0;        // left pending with a failure
    int passedOver = 0;    // article events without the letter "I", left pending untouched
    std::string lastError; // the text of the last failure met while it was sent, empty when none
    int position = 0;      // where it stands in the destination list, from 0
};

// The progress caption for the destinations `names` (one name, or several joined by commas).
inline QString transmittingCaption(const QString& names) {
    return QStringLiteral("Transmitiendo informaci\u00f3n de ") + names;
}

// The parts of the main window a send run touches: the origin company selector, "No reintentar
// errores", the progress panel and its bar, the hidden event summary, the send timer and the message loop.
class SendRunView {
public:
    virtual ~SendRunView() = default;

    virtual QString originCompanyText() const = 0; // the text shown by the company selector
    virtual bool noRetryErrors() const = 0;        // "No reintentar errores" ticked
    virtual void setProgressVisible(bool visible) = 0;
    virtual void setProgressCaption(const QString& caption) = 0; // shown at once
    virtual void setProgressRange(int maximum) = 0;              // minimum 0, position 0
    virtual void stepProgress() = 0;
    // A run serving several destinations at once counts their events together: it sets the range to the
    // events read so far and the position to those started.
    virtual void setProgressPosition(int) {}
    virtual void destinationStarted(const DestinationSummary&) {}
    virtual void setEventSummary(const std::string& summary) = 0;
    virtual void processMessages() = 0;
    virtual void setTimerEnabled(bool enabled) = 0;
    virtual void destinationDone(const DestinationSummary&) {}
};

} // namespace envio
