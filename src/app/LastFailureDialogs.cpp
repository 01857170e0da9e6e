#include "app/LastFailureDialogs.h"

#include "base/AnsiCodec.h"

namespace envio {

void LastFailureDialogs::message(const QString& text) {
    last_ = toAnsi(text);
    next_.message(text);
}

void LastFailureDialogs::error(const QString& text) {
    last_ = toAnsi(text);
    next_.error(text);
}

bool LastFailureDialogs::confirm(const QString& caption, const QString& text) {
    return next_.confirm(caption, text);
}

void LastFailureDialogs::beep() {
    next_.beep();
}

std::optional<SaveChoice> LastFailureDialogs::saveFile(const QString& defaultName,
                                                       const QStringList& filters) {
    return next_.saveFile(defaultName, filters);
}

void LastFailureDialogs::setClipboard(const std::vector<ClipboardItem>& items) {
    next_.setClipboard(items);
}

} // namespace envio
