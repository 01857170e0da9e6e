#include "support/ScriptedDialogs.h"

namespace envio {

void ScriptedDialogs::message(const QString& text) {
    calls_.push_back({Kind::Message, applicationTitle(), text});
}

void ScriptedDialogs::error(const QString& text) {
    calls_.push_back({Kind::Error, QStringLiteral("Error"), text});
    if (whileErrorShown)
        whileErrorShown();
}

bool ScriptedDialogs::confirm(const QString& caption, const QString& text) {
    calls_.push_back({Kind::Confirm, caption, text});
    if (confirmReplies_.empty())
        return false;
    const bool answer = confirmReplies_.front();
    confirmReplies_.pop_front();
    return answer;
}

void ScriptedDialogs::beep() {
    calls_.push_back({Kind::Beep, {}, {}});
}

std::optional<SaveChoice> ScriptedDialogs::saveFile(const QString& defaultName, const QStringList& filters) {
    calls_.push_back({Kind::SaveFile, {}, defaultName});
    lastSaveFilters_ = filters;
    if (saveReplies_.empty())
        return std::nullopt;
    const SaveReply reply = saveReplies_.front();
    saveReplies_.pop_front();
    if (!reply.chosen)
        return std::nullopt;
    return reply.choice;
}

void ScriptedDialogs::setClipboard(const std::vector<ClipboardItem>& items) {
    QStringList formats;
    for (const ClipboardItem& item : items)
        formats.append(item.format);
    calls_.push_back({Kind::Clipboard, {}, formats.join(QLatin1Char('\n'))});
    clipboard_ = items;
}

void ScriptedDialogs::setNextConfirm(bool answer) {
    confirmReplies_.push_back(answer);
}

void ScriptedDialogs::setNextSave(std::optional<SaveChoice> choice) {
    saveReplies_.push_back(choice ? SaveReply{true, *choice} : SaveReply{false, {}});
}

QStringList ScriptedDialogs::texts(Kind kind) const {
    QStringList result;
    for (const Call& call : calls_) {
        if (call.kind == kind)
            result.append(call.text);
    }
    return result;
}

} // namespace envio
