#include "platform/RegionalFormats.h"

namespace platform::regional {

namespace {
QChar separatorOf(const QString& format, QChar fallback)
{
    bool quoted = false;
    for (const QChar c : format) {
        if (c == QLatin1Char('\'')) {
            quoted = !quoted;
            continue;
        }
        if (!quoted && !c.isLetter() && !c.isSpace())
            return c;
    }
    return fallback;
}

QString padded(int value, qsizetype width)
{
    return QString::number(value).rightJustified(width, QLatin1Char('0'));
}
} // namespace

QChar dateSeparator(const QLocale& locale)
{
    return separatorOf(locale.dateFormat(QLocale::ShortFormat), QLatin1Char('/'));
}

QChar timeSeparator(const QLocale& locale)
{
    return separatorOf(locale.timeFormat(QLocale::ShortFormat), QLatin1Char(':'));
}

QString formatDateTime(const QString& pattern, const QDateTime& value, const QLocale& locale)
{
    const QDate date = value.date();
    const QTime time = value.time();
    QString out;
    bool afterHour = false;
    for (qsizetype i = 0; i < pattern.size();) {
        const QChar c = pattern.at(i).toLower();
        qsizetype run = 1;
        while (i + run < pattern.size() && pattern.at(i + run).toLower() == c)
            ++run;
        const bool twoDigits = run >= 2;
        if (c == QLatin1Char('d')) {
            out += padded(date.day(), twoDigits ? 2 : 1);
        } else if (c == QLatin1Char('m')) {
            out += afterHour ? padded(time.minute(), twoDigits ? 2 : 1)
                             : padded(date.month(), twoDigits ? 2 : 1);
            afterHour = false;
        } else if (c == QLatin1Char('y')) {
            out += run >= 4 ? padded(date.year(), 4) : padded(date.year() % 100, 2);
        } else if (c == QLatin1Char('h')) {
            out += padded(time.hour(), twoDigits ? 2 : 1);
            afterHour = true;
        } else if (c == QLatin1Char('n')) {
            out += padded(time.minute(), twoDigits ? 2 : 1);
            afterHour = false;
        } else if (c == QLatin1Char('s')) {
            out += padded(time.second(), twoDigits ? 2 : 1);
        } else {
            // Separators and literals, one character at a time.
            const QChar literal = pattern.at(i);
            if (literal == QLatin1Char('/'))
                out += dateSeparator(locale);
            else if (literal == QLatin1Char(':'))
                out += timeSeparator(locale);
            else
                out += literal;
            ++i;
            continue;
        }
        i += run;
    }
    return out;
}

QString formatDate(const QString& pattern, const QDate& value, const QLocale& locale)
{
    return formatDateTime(pattern, QDateTime(value, QTime(0, 0)), locale);
}

} // namespace platform::regional
