#pragma once

#include <QApplication>
#include <exception>
#include <functional>
#include <utility>

namespace envio {

// The program's application object. Every failure that leaves an event handler is caught where the event was
// dispatched and handed to the application-wide failure handler; the process goes on.
class Application : public QApplication {
    Q_OBJECT
public:
    Application(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // The application-wide failure handler: shows a failure nobody else handled, translated for the operator,
    // in a plain message box; a silent abort shows nothing. The main window installs it when it is made.
    static void showUnhandledFailure(std::exception_ptr failure);
};

using FailureHandler = std::function<void(std::exception_ptr failure)>;

// Installs the application-wide failure handler (an empty one goes back to writing the failure to standard
// error).
void setFailureHandler(FailureHandler handler);

// Hands a caught failure to the application-wide failure handler. Never throws.
void reportFailure(std::exception_ptr failure) noexcept;

// Runs an action the operator started; a failure that leaves it is reported as if it had left an event
// handler. Actions reached through signals go through here, since a failure must not cross the toolkit's
// signal code.
template <typename Action> void guarded(Action&& action) noexcept {
    try {
        std::forward<Action>(action)();
    } catch (...) {
        reportFailure(std::current_exception());
    }
}

// Ends the process at once: every running message loop stops and the windows close.
void endProcess();

} // namespace envio
