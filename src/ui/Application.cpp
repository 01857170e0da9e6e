#include "ui/Application.h"

#include "app/Dialogs.h"
#include "app/FailureTranslation.h"
#include "db/Error.h"
#include "ui/Pictures.h"

#include <QFont>
#include <QLibraryInfo>
#include <QTranslator>
#include <cstdio>
#include <exception>
#include <utility>

namespace envio {

namespace {

FailureHandler& installedHandler() {
    static FailureHandler handler;
    return handler;
}

void writeToStandardError(std::exception_ptr failure) {
    try {
        std::rethrow_exception(std::move(failure));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "Unknown failure\n");
    }
}

} // namespace

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
    // One icon for every window and box.
    setWindowIcon(pictureIcon("icono"));
    // The toolkit's own texts (standard buttons, tooltips, the save dialog) in Spanish; the program's texts
    // are set where they are made and are not translated.
    auto* toolkitTexts = new QTranslator(this);
    if (toolkitTexts->load(QStringLiteral("qtbase_es"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installTranslator(toolkitTexts);
    // The windows' font: a sans as wide as the design's 8-point one (ten pixels at 96 dpi), in which the
    // grids' values fit their designed columns ("PREC.FUT.A" in 65 pixels).
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPointSizeF(7.5);
    font.setStyleHint(QFont::SansSerif);
    setFont(font);
}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        reportFailure(std::current_exception());
        // The event counts as handled: the handler that failed is abandoned and nothing else sees the event.
        return true;
    }
}

void Application::showUnhandledFailure(std::exception_ptr failure) {
    if (!failure)
        return;
    try {
        std::rethrow_exception(failure);
    } catch (const SilentAbort&) {
        // Already reported by whoever raised it.
    } catch (const std::exception& e) {
        dialogs().message(translateFailure(e.what()));
    } catch (...) {
        dialogs().message(translateFailure("Unknown failure"));
    }
}

void setFailureHandler(FailureHandler handler) {
    installedHandler() = std::move(handler);
}

void reportFailure(std::exception_ptr failure) noexcept {
    try {
        // A copy: the handler may install another one while it runs.
        const FailureHandler handler = installedHandler();
        if (handler)
            handler(failure);
        else
            writeToStandardError(failure);
    } catch (...) {
        // The handler itself failed (for example its message box could not be shown): nothing is left to
        // report it to but standard error.
        writeToStandardError(std::current_exception());
    }
}

void endProcess() {
    QCoreApplication::exit(0);
}

} // namespace envio
