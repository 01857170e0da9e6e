#include "db/DateTimeText.h"

#include "base/Regional.h"

namespace envio {

std::optional<DateTimeText> parseDateTimeText(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    if (const QDate d = regional::parseDate(t); d.isValid())
        return DateTimeText{d, std::nullopt};
    if (const QTime tm = regional::parseTime(t); tm.isValid())
        return DateTimeText{std::nullopt, tm};
    // A date and a time separated by blanks; the date format itself may hold blanks.
    for (qsizetype at = t.indexOf(QLatin1Char(' ')); at > 0; at = t.indexOf(QLatin1Char(' '), at + 1)) {
        const QDate d = regional::parseDate(t.left(at));
        const QTime tm = regional::parseTime(t.mid(at + 1));
        if (d.isValid() && tm.isValid())
            return DateTimeText{d, tm};
    }
    return std::nullopt;
}

QString formatDateTimeText(const DateTimeText& value) {
    if (!value.date)
        return value.time ? regional::formatTime(*value.time) : QString();
    if (!value.time || *value.time == QTime(0, 0))
        return regional::formatDate(*value.date);
    return regional::formatDate(*value.date) + QLatin1Char(' ') + regional::formatTime(*value.time);
}

} // namespace envio
