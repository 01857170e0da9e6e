#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace envio {

// The file chosen in a save dialog and the filter it was chosen with (1 = first filter of the list given).
struct SaveChoice {
    QString path;
    int filterIndex = 1;
};

// One representation of the clipboard contents, e.g. {"text/plain", ...} or a registered format's name.
struct ClipboardItem {
    QString format;
    QByteArray data;
};

// The application title, caption of the plain message boxes.
inline QString applicationTitle() {
    return QStringLiteral("Envio precios");
}

// Everything the program asks of the operator's desktop: message boxes, the beep, the save dialog and the
// clipboard. The windowed program installs a widget implementation; tests install a scripted one.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // Plain modal box with one OK button, captioned with the application title.
    virtual void message(const QString& text) = 0;
    // Box with the error icon, caption "Error" and one OK button.
    virtual void error(const QString& text) = 0;
    // Question box with "&Yes" (the default) and "&No"; true only when "&Yes" was chosen.
    virtual bool confirm(const QString& caption, const QString& text) = 0;
    // A question of the program's own, captioned with the application title, with "&Sí" (the default) and
    // "&No"; true only when "&Sí" was chosen. Asked like confirm where nobody shows buttons.
    virtual bool ask(const QString& text) { return confirm(applicationTitle(), text); }
    // The platform's default beep.
    virtual void beep() = 0;
    // Save dialog; nothing when the operator cancels it.
    virtual std::optional<SaveChoice> saveFile(const QString& defaultName, const QStringList& filters) = 0;
    // Replaces the clipboard contents with these representations of one copy.
    virtual void setClipboard(const std::vector<ClipboardItem>& items) = 0;
};

// Without a display: message and error texts go to standard error at once, one line each, in UTF-8;
// confirm answers no, the save dialog is cancelled, beep and clipboard do nothing.
class ConsoleDialogs : public Dialogs {
public:
    void message(const QString& text) override;
    void error(const QString& text) override;
    bool confirm(const QString& caption, const QString& text) override;
    void beep() override;
    std::optional<SaveChoice> saveFile(const QString& defaultName, const QStringList& filters) override;
    void setClipboard(const std::vector<ClipboardItem>& items) override;
};

// The implementation in use: the calling thread's own when one is set, otherwise the one of the whole process
// (ConsoleDialogs until another is installed).
Dialogs& dialogs();

// Installs an implementation (not owned; it must outlive its use). nullptr goes back to ConsoleDialogs.
void setDialogs(Dialogs* implementation);

// While alive, the boxes of the thread that made it go to `implementation` (not owned), whatever the process
// has installed; the thread's previous one comes back after it.
class ThreadDialogs {
public:
    explicit ThreadDialogs(Dialogs& implementation);
    ~ThreadDialogs();
    ThreadDialogs(const ThreadDialogs&) = delete;
    ThreadDialogs& operator=(const ThreadDialogs&) = delete;

private:
    Dialogs* previous_;
};

} // namespace envio
