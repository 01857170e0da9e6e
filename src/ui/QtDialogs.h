#pragma once

#include "app/Dialogs.h"

namespace envio {

// The desktop's own message boxes, beep, save dialog and clipboard. Every box is modal over the active
// window.
class QtDialogs : public Dialogs {
public:
    void message(const QString& text) override;
    void error(const QString& text) override;
    bool confirm(const QString& caption, const QString& text) override;
    bool ask(const QString& text) override;
    void beep() override;
    std::optional<SaveChoice> saveFile(const QString& defaultName, const QStringList& filters) override;
    void setClipboard(const std::vector<ClipboardItem>& items) override;
};

} // namespace envio
