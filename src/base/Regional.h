#pragma once

#include <QChar>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>
#include <optional>

namespace envio::regional {

// The user's regional formats (short date, long time, decimal separator), read from the system locale.
// The long time format comes without a time zone part.
struct Formats {
    QString shortDate;
    QString longTime;
    QChar decimalSeparator;
};

Formats current();

// Tests fix the formats so that expected texts are stable; std::nullopt goes back to the system's.
void setOverride(std::optional<Formats> formats);

QString formatDate(QDate date);
QString formatTime(QTime time);
QString formatDateTime(const QDateTime& dateTime);

// Parse texts written in the regional formats; an invalid result when the text does not fit.
QDate parseDate(const QString& text);
QTime parseTime(const QString& text);
QDateTime parseDateTime(const QString& text);

} // namespace envio::regional
