#include "unattended/UnattendedRun.h"

#include "access/Login.h"
#include "app/Dialogs.h"
#include "app/FailureTranslation.h"
#include "app/LastFailureDialogs.h"
#include "app/PasswordFile.h"
#include "app/RunLock.h"
#include "app/StopRequest.h"
#include "base/AnsiCodec.h"
#include "replication/CompanyList.h"
#include "replication/DestinationList.h"
#include "replication/ReplicationSession.h"
#include "unattended/RunSummary.h"
#include "unattended/RunnerCommandLine.h"
#include "unattended/UnattendedSequence.h"

#include <QDateTime>
#include <QString>
#include <algorithm>
#include <iostream>

namespace envio {

namespace {

std::string utf8(const QString& s) {
    return s.toUtf8().toStdString();
}

// What a send run shows goes to the output: the caption of every destination and a summary after it.
class ConsoleRunView : public SendRunView {
public:
    ConsoleRunView(const CompanyList& companies, const DestinationList& destinations, std::ostream& out)
        : companies_(companies), destinations_(destinations), out_(out) {}

    bool noRetry = false;
    std::vector<RunSummary::Destination> done;
    std::string lastError; // the last failure shown during the run

    QString originCompanyText() const override {
        return fromAnsi(companies_.nameOf(destinations_.companyKey()));
    }
    bool noRetryErrors() const override { return noRetry; }
    void setProgressVisible(bool) override {}
    void setProgressCaption(const QString&) override {}
    void destinationStarted(const DestinationSummary& s) override {
        out_ << utf8(transmittingCaption(fromAnsi(s.name))) << std::endl;
    }
    void setProgressRange(int) override {}
    void stepProgress() override {}
    void setEventSummary(const std::string&) override {}
    void processMessages() override {}
    void setTimerEnabled(bool) override {}
    void destinationDone(const DestinationSummary& s) override {
        RunSummary::Destination d;
        d.sent = s;
        d.lastError = s.lastError;
        // In the order of the destination list, whatever order they ended in.
        const auto at =
            std::upper_bound(done.begin(), done.end(), s.position,
                             [](int p, const RunSummary::Destination& e) { return p < e.sent.position; });
        done.insert(at, std::move(d));
        out_ << "  " << utf8(fromAnsi(s.code)) << ": ";
        if (!s.connected)
            out_ << "sin conexi\u00f3n con " << utf8(fromAnsi(s.location)) << "; ";
        out_ << "le\u00eddos " << s.read << ", aplicados " << s.applied << ", con error " << s.failed
             << ", omitidos " << s.passedOver << std::endl;
    }

private:
    const CompanyList& companies_;
    const DestinationList& destinations_;
    std::ostream& out_;
};

// Passes every box on to the desktop in use and keeps the text of the last failure for the summary.
class FailureRecorder : public LastFailureDialogs {
public:
    FailureRecorder(Dialogs& next, std::string& last) : LastFailureDialogs(next, last), next_(next) {
        setDialogs(this);
    }
    ~FailureRecorder() override { setDialogs(&next_); }
    FailureRecorder(const FailureRecorder&) = delete;
    FailureRecorder& operator=(const FailureRecorder&) = delete;

private:
    Dialogs& next_;
};

// The unattended steps without a display.
class HeadlessSteps : public UnattendedSteps {
public:
    explicit HeadlessSteps(std::ostream& out)
        : login_(session_.general()), companies_(session_.companies()), destinations_(session_),
          view_(companies_, destinations_, out) {}

    void logIn(const std::string& server, const std::string& user, const std::string& password) override {
        login_.run(server, user, password, session_.loginState());
    }
    void showServer() override { companies_.load(); }
    void chooseCompany(const std::string& code) override { destinations_.setCompanyKey(code); }
    void tickNoRetry() override { view_.noRetry = true; }
    void connectOrigin() override { destinations_.connectOrigin(); }
    RunOutcome send() override {
        SendRun run(session_, view_);
        run.setLanes(lanes);
        return run.run();
    }

    int lanes = 0; // destinations served at once; 0 takes the settings file's

    ReplicationSession& session() { return session_; }
    ConsoleRunView& view() { return view_; }

private:
    ReplicationSession session_;
    Login login_;
    CompanyList companies_;
    DestinationList destinations_;
    ConsoleRunView view_;
};

} // namespace

int runUnattended(const std::vector<std::string>& args, std::ostream& out, const RunOptions& options) {
    if (args.size() < 4 || args.size() > 5 || args[3].empty()) {
        std::cerr << runnerUsage();
        return ExitUsage;
    }
    QStringList commandLine{QString()};
    for (const std::string& a : args)
        commandLine.append(QString::fromLocal8Bit(a.c_str()));
    StartArguments arguments = StartArguments::fromCommandLine(commandLine);
    try {
        if (arguments.password == "-")
            arguments.password = toAnsi(
                QString::fromLocal8Bit(resolvePassword(arguments.password, options.passwordFile).c_str()));
    } catch (const Error& e) {
        std::cerr << "envio-precios-run: " << e.what() << std::endl;
        return ExitUsage;
    }
    RunSummary summary;
    summary.started = QDateTime::currentDateTime();
    auto finish = [&](const char* outcome, int exitCode) {
        summary.outcome = outcome;
        summary.exitCode = exitCode;
        summary.finished = QDateTime::currentDateTime();
        if (options.summaryJson && !summary.write(*options.summaryJson))
            std::cerr << "envio-precios-run: no se pudo escribir el resumen " << *options.summaryJson
                      << std::endl;
        return exitCode;
    };
    try {
        HeadlessSteps steps(out);
        steps.lanes = options.lanes;
        RunOutcome outcome;
        {
            FailureRecorder recorder(dialogs(), steps.view().lastError);
            try {
                outcome = runUnattendedSequence(steps, arguments);
            } catch (...) {
                summary.error = steps.view().lastError;
                summary.destinations = steps.view().done;
                summary.readPending(steps.session().origin());
                throw;
            }
        }
        summary.destinations = steps.view().done;
        summary.readPending(steps.session().origin());
        switch (outcome) {
        case RunOutcome::Completed:
            return finish("completed", ExitCompleted);
        case RunOutcome::Refused:
        case RunOutcome::Ignored:
            return finish("refused", ExitRefused);
        case RunOutcome::Busy:
            dialogs().message(runInProgressText());
            return finish("busy", ExitRefused);
        case RunOutcome::Stopped:
            return finish("stopped", stop::exitCode());
        }
    } catch (const SilentAbort&) {
        // Already reported by the error capture, whose box text the summary keeps.
        return finish("failed", ExitFailed);
    } catch (const std::exception& e) {
        summary.error = e.what();
        dialogs().message(translateFailure(e.what()));
        return finish("failed", ExitFailed);
    }
    return finish("failed", ExitFailed);
}

} // namespace envio
