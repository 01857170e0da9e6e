#pragma once

#include <functional>

namespace envio::stop {

// SIGINT and SIGTERM ask the process to stop: the send run in progress finishes the event it is applying
// (applied, stamped and journaled, or left wholly pending) and the process ends with 128 + the signal's
// number. The signals are taken on a thread of the program's own, so that no handler of a library runs on
// them; a process that has no event in progress for a few seconds after the request (blocked outside the
// database, say on a full output pipe) ends at once.
//
// Call first thing in main, before any other thread exists: the signals stay blocked in every thread started
// afterwards. Also ignores SIGPIPE and SIGXFSZ, so that a closed output pipe or a journal at the file-size
// limit fail their writes instead of killing the process. `onRequest` runs on the signal thread.
void installHandlers(std::function<void()> onRequest = {});

// Whether a stop was asked for, and the exit code that tells how (128 + signal number; 0 when not asked).
bool requested();
int exitCode();

// Marks an event being applied: a stop waits for it.
class EventInProgress {
public:
    EventInProgress();
    ~EventInProgress();
    EventInProgress(const EventInProgress&) = delete;
    EventInProgress& operator=(const EventInProgress&) = delete;
};

// For tests: asks for a stop as the given signal would, without the signal.
void requestForTest(int signal);
void resetForTest();

} // namespace envio::stop
