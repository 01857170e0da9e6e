#pragma once

#include "app/Dialogs.h"

#include <string>

namespace envio {

// Passes every box on to `next` and keeps the text of the last message or error shown, in the code page,
// in `last`.
class LastFailureDialogs : public Dialogs {
public:
    LastFailureDialogs(Dialogs& next, std::string& last) : next_(next), last_(last) {}

    void message(const QString& text) override;
    void error(const QString& text) override;
    bool confirm(const QString& caption, const QString& text) override;
    void beep() override;
    std::optional<SaveChoice> saveFile(const QString& defaultName, const QStringList& filters) override;
    void setClipboard(const std::vector<ClipboardItem>& items) override;

private:
    Dialogs& next_;
    std::string& last_;
};

} // namespace envio
