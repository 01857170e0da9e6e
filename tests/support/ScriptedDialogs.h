#pragma once

#include "app/Dialogs.h"

#include <deque>

namespace envio {

// Stand-in for the desktop in tests: records every call in order, answers from queued replies and never
// blocks. Without a queued reply confirm answers no and the save dialog is cancelled.
class ScriptedDialogs : public Dialogs {
public:
    enum class Kind { Message, Error, Confirm, Beep, SaveFile, Clipboard };

    // caption: the box's caption (the application title for message, "Error" for error, the given caption
    // for confirm); text: the box's text, the default file name of a save dialog, or the clipboard's formats
    // separated by line feeds. Beep records neither.
    struct Call {
        Kind kind;
        QString caption;
        QString text;
        friend bool operator==(const Call&, const Call&) = default;
    };

    void message(const QString& text) override;
    void error(const QString& text) override;
    bool confirm(const QString& caption, const QString& text) override;
    void beep() override;
    std::optional<SaveChoice> saveFile(const QString& defaultName, const QStringList& filters) override;
    void setClipboard(const std::vector<ClipboardItem>& items) override;

    void setNextConfirm(bool answer);
    void setNextSave(std::optional<SaveChoice> choice);

    const std::vector<Call>& calls() const { return calls_; }
    // Texts of the calls of one kind, in order.
    QStringList texts(Kind kind) const;
    // Filters passed to the last save dialog.
    const QStringList& lastSaveFilters() const { return lastSaveFilters_; }
    // Contents of the last clipboard copy.
    const std::vector<ClipboardItem>& clipboard() const { return clipboard_; }
    void clearCalls() { calls_.clear(); }

    // Runs while an error box is "up", before it is answered.
    std::function<void()> whileErrorShown;

private:
    struct SaveReply {
        bool chosen;
        SaveChoice choice;
    };

    std::vector<Call> calls_;
    std::deque<bool> confirmReplies_;
    std::deque<SaveReply> saveReplies_;
    QStringList lastSaveFilters_;
    std::vector<ClipboardItem> clipboard_;
};

// Installs a Dialogs implementation for the life of the guard and puts the previous one back afterwards.
class ScopedDialogs {
public:
    explicit ScopedDialogs(Dialogs& implementation) : previous_(&dialogs()) { setDialogs(&implementation); }
    ~ScopedDialogs() { setDialogs(previous_); }
    ScopedDialogs(const ScopedDialogs&) = delete;
    ScopedDialogs& operator=(const ScopedDialogs&) = delete;

private:
    Dialogs* previous_;
};

} // namespace envio
