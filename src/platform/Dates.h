#pragma once

#include <QDateTime>
#include <QString>

namespace qb::dates {

// Day number counted from 30 December 1899, as the stored timestamps and dates use it.
int dayNumber(const QDate& date);
QDate dateOfDayNumber(int day);
// A real date-time as days since 30 December 1899 with the time of day as fraction.
double toSerial(const QDateTime& dt);
QDateTime fromSerial(double serial);

// Formats a date with the classic format letters: d, dd, ddd, dddd, m, mm, mmm, mmmm, yy, yyyy,
// "/" for the date separator and quoted literals.
QString formatDate(const QDate& date, const QString& format, QChar separator);
// Short date-time text, as written to problems.txt and [INFORMATION].
QString shortDateTime(const QDateTime& dt, const QString& dateFormat, QChar separator);

}  // namespace qb::dates
