#pragma once

#include <QString>

namespace envio {

// One send run per installation directory at a time, across processes: the operator's program (its button,
// its timer, its unattended start) and the headless runner all take this lock for the length of a run. It is
// an advisory lock on the directory itself, which the system drops when its holder ends, however it ends: no
// stale lock survives a killed process.
class RunLock {
public:
    // Tries to take the lock of the installation directory as it is stored now; never waits.
    RunLock();
    ~RunLock();
    RunLock(const RunLock&) = delete;
    RunLock& operator=(const RunLock&) = delete;

    // False when another run of the same directory holds the lock. A directory that is not stored or cannot
    // be opened has nothing to guard, and the lock counts as taken.
    bool taken() const { return taken_; }

    // Takes the lock of a given directory (tests, tools).
    explicit RunLock(const QString& directory);

private:
    void take(const QString& directory);

    int fd_ = -1;
    bool taken_ = true;
};

// The text the operator or the runner's caller sees when the lock is held by another run.
QString runInProgressText();

} // namespace envio
