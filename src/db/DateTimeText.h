#pragma once

#include <QDate>
#include <QString>
#include <QTime>
#include <optional>

namespace envio {

// A date, a time of day or both, read in the regional short date and long time formats.
struct DateTimeText {
    std::optional<QDate> date;
    std::optional<QTime> time;
};
std::optional<DateTimeText> parseDateTimeText(const QString& text);
// Date alone when there is no time or it is midnight; time alone when there is no date.
QString formatDateTimeText(const DateTimeText& value);

} // namespace envio
