#pragma once

#include <QChar>
#include <QDateTime>
#include <QLocale>
#include <QString>

// Dates and times as the regional settings write them.
namespace platform::regional {

// The separators of the locale's short date and time formats: the first character of the format that
// is neither a letter nor a blank; '/' and ':' when the format has none.
QChar dateSeparator(const QLocale& locale = QLocale::system());
QChar timeSeparator(const QLocale& locale = QLocale::system());

// Formats with the program's date patterns: "dd" day, "mm" month (minutes right after an hour),
// "yyyy" year, "hh" hour from 00 to 23, "nn" minutes, "ss" seconds, and the one-letter forms without
// leading zeros. "/" stands for the date separator and ":" for the time separator; every other
// character is written as it stands.
QString formatDateTime(
    const QString& pattern, const QDateTime& value, const QLocale& locale = QLocale::system());
QString formatDate(const QString& pattern, const QDate& value, const QLocale& locale = QLocale::system());

} // namespace platform::regional
