#include "unattended/UnattendedRun.h"

#include "access/Login.h"
#include "app/Dialogs.h"
#include "app/FailureTranslation.h"
#include "base/AnsiCodec.h"
#include "replication/Principal.h"

#include <QString>

#include <iostream>

namespace envio {

namespace {

std::string utf8(const QString& s) { return s.toUtf8().toStdString(); }

class ConsoleRunView : public SendRunView {
public:
    ConsoleRunView(Principal& p, bool noRetry, std::ostream& out) : principal_(p), noRetry_(noRetry), out_(out) {}

    QString originCompanyText() const override { return fromAnsi(principal_.companyShownText()); }
    bool noRetryErrors() const override { return noRetry_; }
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
    Principal& principal_;
    bool noRetry_;
    std::ostream& out_;
};

std::string argument(const std::vector<std::string>& args, std::size_t i) {
    return i < args.size() ? toAnsi(QString::fromLocal8Bit(args[i].c_str())) : std::string();
}

} // namespace

int runUnattended(const std::vector<std::string>& args, std::ostream& out) {
    if (args.size() < 4 || args.size() > 5 || args[3].empty()) {
        std::cerr << "uso: envio-precios-run SERVIDOR USUARIO CLAVE COMPA\u00d1\u00cdA_ORIGEN [1]\n"
                     "  1 al final: no reintentar los eventos que ya fallaron\n";
        return ExitUsage;
    }
    Principal principal;
    Login login(principal.DbGeneraldes);
    try {
        login.run(argument(args, 0), argument(args, 1), argument(args, 2), principal.loginState);
        principal.loadCompanies();
        principal.setCompanyKey(argument(args, 3));
        const bool noRetry = args.size() > 4 && args[4] == "1";
        principal.Conectar();
        ConsoleRunView view(principal, noRetry, out);
        switch (principal.SendRun(view)) {
        case Principal::RunOutcome::Completed:
            return ExitCompleted;
        case Principal::RunOutcome::Refused:
        case Principal::RunOutcome::Ignored:
            return ExitRefused;
        }
    } catch (const SilentAbort&) {
        // Already reported by the error capture.
        return ExitFailed;
    } catch (const Error& e) {
        dialogs().message(translateFailure(e.what()));
        return ExitFailed;
    } catch (const std::exception& e) {
        dialogs().message(translateFailure(e.what()));
        return ExitFailed;
    }
    return ExitFailed;
}

} // namespace envio
