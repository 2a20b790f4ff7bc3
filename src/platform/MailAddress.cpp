#include "platform/MailAddress.h"

#include <QChar>
#include <QUrl>

namespace platform {

namespace {

constexpr qsizetype maxPathLength = 254;

// The address with its control characters made visible, so that the error explains itself.
QString shown(const QString& text)
{
    QString result;
    for (const QChar character : text) {
        const char16_t code = character.unicode();
        if (code == u'\r')
            result += QStringLiteral("\\r");
        else if (code == u'\n')
            result += QStringLiteral("\\n");
        else if (character.category() == QChar::Other_Control || code == 0x2028 || code == 0x2029)
            result += QStringLiteral("\\u%1").arg(code, 4, 16, QLatin1Char('0'));
        else
            result += character;
    }
    return result;
}

[[noreturn]] void refuse(const QString& text, const QString& why)
{
    throw InvalidAddressError(QStringLiteral("Invalid e-mail address \"%1\": %2").arg(shown(text), why));
}

} // namespace

MailAddress::MailAddress(const QString& text)
    : m_text(text)
{
    for (const QChar character : text) {
        const char16_t code = character.unicode();
        if (character.category() == QChar::Other_Control || code == 0x2028 || code == 0x2029)
            refuse(text, QStringLiteral("it holds a control character"));
        if (code == u'<' || code == u'>')
            refuse(text, QStringLiteral("it holds an angle bracket"));
    }
    const qsizetype at = text.lastIndexOf(QLatin1Char('@'));
    const QString local = at < 0 ? text : text.left(at);
    for (const QChar character : local) {
        if (character.unicode() > 0x7F)
            refuse(text, QStringLiteral("its local part is not ASCII"));
    }
    m_ascii = local.toLatin1();
    if (at >= 0) {
        const QString domain = text.mid(at + 1);
        QByteArray asciiDomain;
        bool ascii = true;
        for (const QChar character : domain)
            ascii = ascii && character.unicode() <= 0x7F;
        if (ascii) {
            asciiDomain = domain.toLatin1();
        } else {
            asciiDomain = QUrl::toAce(domain);
            if (asciiDomain.isEmpty())
                refuse(text, QStringLiteral("its domain has no ASCII form"));
        }
        m_ascii += '@' + asciiDomain;
    }
    if (m_ascii.size() > maxPathLength)
        refuse(text, QStringLiteral("it is longer than %1 characters").arg(maxPathLength));
}

QByteArray MailAddress::domain() const
{
    const qsizetype at = m_ascii.lastIndexOf('@');
    return at < 0 ? QByteArray() : m_ascii.mid(at + 1);
}

QString MailAddress::trimmed(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= 0x20)
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 0x20)
        --end;
    return text.mid(begin, end - begin);
}

} // namespace platform
