#include "app/Dialogs.h"

#include <atomic>
#include <cstdio>

namespace envio {

namespace {

ConsoleDialogs& consoleDialogs() {
    static ConsoleDialogs instance;
    return instance;
}

std::atomic<Dialogs*>& installed() {
    static std::atomic<Dialogs*> slot{nullptr};
    return slot;
}

thread_local Dialogs* threadOwn = nullptr;

void writeLine(const QString& text) {
    QByteArray line = text.toUtf8();
    line.append('\n');
    std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), stderr);
    std::fflush(stderr);
}

} // namespace

void ConsoleDialogs::message(const QString& text) {
    writeLine(text);
}

void ConsoleDialogs::error(const QString& text) {
    writeLine(text);
}

bool ConsoleDialogs::confirm(const QString&, const QString&) {
    return false;
}

void ConsoleDialogs::beep() {}

std::optional<SaveChoice> ConsoleDialogs::saveFile(const QString&, const QStringList&) {
    return std::nullopt;
}

void ConsoleDialogs::setClipboard(const std::vector<ClipboardItem>&) {}

Dialogs& dialogs() {
    if (threadOwn)
        return *threadOwn;
    Dialogs* current = installed().load();
    return current ? *current : consoleDialogs();
}

void setDialogs(Dialogs* implementation) {
    installed().store(implementation);
}

ThreadDialogs::ThreadDialogs(Dialogs& implementation) : previous_(threadOwn) {
    threadOwn = &implementation;
}

ThreadDialogs::~ThreadDialogs() {
    threadOwn = previous_;
}

} // namespace envio
