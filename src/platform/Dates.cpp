#include "platform/Dates.h"

#include <QLocale>

namespace qb::dates {

namespace {
const QDate kEpoch(1899, 12, 30);
}

int dayNumber(const QDate& date) { return int(kEpoch.daysTo(date)); }

QDate dateOfDayNumber(int day) { return kEpoch.addDays(day); }

double toSerial(const QDateTime& dt)
{
    QTime t = dt.time();
    return dayNumber(dt.date()) + t.msecsSinceStartOfDay() / 86400000.0;
}

QDateTime fromSerial(double serial)
{
    int day = int(serial);
    double frac = serial - day;
    if (frac < 0) frac = -frac;
    return QDateTime(dateOfDayNumber(day),
                     QTime::fromMSecsSinceStartOfDay(int(frac * 86400000.0 + 0.5) % 86400000));
}

QString formatDate(const QDate& date, const QString& format, QChar separator)
{
    QLocale locale;
    QString out;
    const int n = int(format.size());
    int i = 0;
    auto run = [&](QChar c) {
        int j = i;
        while (j < n && format[j].toLower() == c) ++j;
        return j - i;
    };
    while (i < n) {
        QChar c = format[i];
        QChar lower = c.toLower();
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            int end = format.indexOf(c, i + 1);
            if (end < 0) end = n;
            out += format.mid(i + 1, end - i - 1);
            i = end + 1;
        } else if (c == QLatin1Char('/')) {
            out += separator;
            ++i;
        } else if (lower == QLatin1Char('d')) {
            int len = run(lower);
            if (len == 1)
                out += QString::number(date.day());
            else if (len == 2)
                out += QStringLiteral("%1").arg(date.day(), 2, 10, QLatin1Char('0'));
            else if (len == 3)
                out += locale.dayName(date.dayOfWeek(), QLocale::ShortFormat);
            else
                out += locale.dayName(date.dayOfWeek(), QLocale::LongFormat);
            i += len;
        } else if (lower == QLatin1Char('m')) {
            int len = run(lower);
            if (len == 1)
                out += QString::number(date.month());
            else if (len == 2)
                out += QStringLiteral("%1").arg(date.month(), 2, 10, QLatin1Char('0'));
            else if (len == 3)
                out += locale.monthName(date.month(), QLocale::ShortFormat);
            else
                out += locale.monthName(date.month(), QLocale::LongFormat);
            i += len;
        } else if (lower == QLatin1Char('y')) {
            int len = run(lower);
            if (len <= 2)
                out += QStringLiteral("%1").arg(date.year() % 100, 2, 10, QLatin1Char('0'));
            else
                out += QString::number(date.year());
            i += len;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

QString shortDateTime(const QDateTime& dt, const QString& dateFormat, QChar separator)
{
    return formatDate(dt.date(), dateFormat, separator) + QLatin1Char(' ') +
           dt.time().toString(QStringLiteral("HH:mm:ss"));
}

}  // namespace qb::dates
