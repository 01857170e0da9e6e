#include "unattended/UnattendedRun.h"

#include "access/Login.h"
#include "app/Dialogs.h"
#include "app/FailureTranslation.h"
#include "app/PasswordFile.h"
#include "app/RunLock.h"
#include "app/StopRequest.h"
#include "db/AnsiCodec.h"
#include "replication/CompanyList.h"
#include "replication/DestinationList.h"
#include "replication/ReplicationSession.h"
#include "unattended/RunnerCommandLine.h"
#include "unattended/UnattendedSequence.h"

#include <QString>

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

    QString originCompanyText() const override { return fromAnsi(companies_.nameOf(destinations_.companyKey())); }
    bool noRetryErrors() const override { return noRetry; }
    void setProgressVisible(bool) override {}
    void setProgressCaption(const QString& caption) override { out_ << utf8(caption) << std::endl; }
    void setProgressRange(int) override {}
    void stepProgress() override {}
    void setEventSummary(const std::string&) override {}
    void processMessages() override {}
    void setTimerEnabled(bool) override {}
    void destinationDone(const DestinationSummary& s) override {
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
    RunOutcome send() override { return SendRun(session_, view_).run(); }

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
            arguments.password =
                toAnsi(QString::fromLocal8Bit(resolvePassword(arguments.password, options.passwordFile).c_str()));
    } catch (const Error& e) {
        std::cerr << "envio-precios-run: " << e.what() << std::endl;
        return ExitUsage;
    }
    try {
        HeadlessSteps steps(out);
        switch (runUnattendedSequence(steps, arguments)) {
        case RunOutcome::Completed:
            return ExitCompleted;
        case RunOutcome::Refused:
        case RunOutcome::Ignored:
            return ExitRefused;
        case RunOutcome::Busy:
            dialogs().message(runInProgressText());
            return ExitRefused;
        case RunOutcome::Stopped:
            return stop::exitCode();
        }
    } catch (const SilentAbort&) {
        // Already reported by the error capture.
        return ExitFailed;
    } catch (const std::exception& e) {
        dialogs().message(translateFailure(e.what()));
        return ExitFailed;
    }
    return ExitFailed;
}

} // namespace envio
