#include "base/Regional.h"

#include <QLocale>
#include <QRegularExpression>

namespace envio::regional {

namespace {

std::optional<Formats>& overrideSlot() {
    static std::optional<Formats> slot;
    return slot;
}

QString withoutTimeZone(QString format) {
    // Qt's long time format ends with a time zone ("t"); the platform's has none.
    static const QRegularExpression zone(QStringLiteral("\\s*t+\\s*$|^\\s*t+\\s*"));
    format.remove(zone);
    return format.trimmed();
}

} // namespace

Formats current() {
    if (overrideSlot())
        return *overrideSlot();
    // The system's formats are read once: every date and time shown or exported goes through here.
    static const Formats system = [] {
        const QLocale locale = QLocale::system();
        return Formats{locale.dateFormat(QLocale::ShortFormat),
                       withoutTimeZone(locale.timeFormat(QLocale::LongFormat)),
                       locale.decimalPoint().isEmpty() ? QChar('.') : locale.decimalPoint().at(0)};
    }();
    return system;
}

void setOverride(std::optional<Formats> formats) {
    overrideSlot() = std::move(formats);
}

QString formatDate(QDate date) {
    return QLocale::c().toString(date, current().shortDate);
}

QString formatTime(QTime time) {
    return QLocale::c().toString(time, current().longTime);
}

QString formatDateTime(const QDateTime& dateTime) {
    const Formats f = current();
    if (dateTime.time() == QTime(0, 0))
        return QLocale::c().toString(dateTime.date(), f.shortDate);
    return QLocale::c().toString(dateTime.date(), f.shortDate) + QLatin1Char(' ') +
           QLocale::c().toString(dateTime.time(), f.longTime);
}

QDate parseDate(const QString& text) {
    QDate d = QLocale::c().toDate(text.trimmed(), current().shortDate);
    if (d.isValid() && current().shortDate.count(QLatin1Char('y')) == 2 && d.year() < 1950)
        d = d.addYears(100);
    return d;
}

QTime parseTime(const QString& text) {
    return QLocale::c().toTime(text.trimmed(), current().longTime);
}

QDateTime parseDateTime(const QString& text) {
    const QString t = text.trimmed();
    const qsizetype space = t.indexOf(QLatin1Char(' '));
    if (space < 0) {
        const QDate d = parseDate(t);
        return d.isValid() ? QDateTime(d, QTime(0, 0)) : QDateTime();
    }
    const QDate d = parseDate(t.left(space));
    const QTime tm = parseTime(t.mid(space + 1));
    return d.isValid() && tm.isValid() ? QDateTime(d, tm) : QDateTime();
}

} // namespace envio::regional
