#include "platform/MimeMessage.h"

#include "platform/CodePage1252.h"
#include "platform/MimeHeader.h"

#include <QRandomGenerator>

#include <array>
#include <cstdlib>

namespace platform {

namespace {

constexpr qsizetype base64LineLength = 76;

QByteArray randomHex(int bytes)
{
    QByteArray random(bytes, Qt::Uninitialized);
    QRandomGenerator::system()->generate(random.begin(), random.end());
    return random.toHex();
}

QByteArray mailboxHeader(const QByteArray& name, const MimeMessage::Mailbox& mailbox, MailCharset charset)
{
    return MimeHeader(name, charset).addMailbox(mailbox.name, mailbox.address).toBytes();
}

} // namespace

QByteArray MimeMessage::toBytes() const
{
    QByteArray out;
    out += mailboxHeader("From", from, charset);

    MimeHeader toHeader("To", charset);
    QList<const Mailbox*> entries;
    for (const Mailbox& mailbox : to) {
        if (!mailbox.address.isEmpty())
            entries.append(&mailbox);
    }
    for (qsizetype i = 0; i < entries.size(); ++i)
        toHeader.addMailbox(entries.at(i)->name, entries.at(i)->address, i + 1 < entries.size() ? "," : "");
    out += toHeader.toBytes();

    out += MimeHeader("Subject", charset).addText(subject).toBytes();
    out += MimeHeader("Date").addToken(formatDate(date)).toBytes();
    out += MimeHeader("Message-ID").addToken(messageId).toBytes();
    out += "MIME-Version: 1.0\r\n";
    if (readReceipt)
        out += mailboxHeader("Disposition-Notification-To", from, charset);
    out += MimeHeader("Content-Type")
               .addToken("multipart/mixed;")
               .addToken("boundary=\"" + boundary + '"')
               .toBytes();
    out += "\r\nThis is a multi-part message in MIME format.\r\n\r\n";

    out += "--" + boundary + "\r\n";
    out += charset == MailCharset::UTF_8
        ? QByteArrayLiteral("Content-Type: text/plain; charset=UTF-8\r\n")
        : QByteArrayLiteral("Content-Type: text/plain; charset=windows-1252\r\n");
    out += "Content-Transfer-Encoding: base64\r\n";
    out += "Content-Disposition: inline\r\n\r\n";
    QByteArray text;
    if (charset == MailCharset::UTF_8)
        text = "\xEF\xBB\xBF";
    for (const QString& line : bodyLines)
        text += (charset == MailCharset::UTF_8 ? line.toUtf8() : cp1252::encode(line)) + "\r\n";
    out += base64Lines(text);
    out += "--" + boundary + "--\r\n";
    return out;
}

QByteArray MimeMessage::formatDate(const QDateTime& date)
{
    static constexpr std::array<const char*, 7> days {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    static constexpr std::array<const char*, 12> months {
        "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const QDate day = date.date();
    const QTime time = date.time();
    const int offset = date.offsetFromUtc() / 60;
    const int absolute = std::abs(offset);
    return QByteArray(days.at(static_cast<std::size_t>(day.dayOfWeek() - 1))) + ", "
        + QByteArray::number(day.day()).rightJustified(2, '0') + ' '
        + months.at(static_cast<std::size_t>(day.month() - 1)) + ' ' + QByteArray::number(day.year()) + ' '
        + time.toString(QStringLiteral("HH:mm:ss")).toLatin1() + ' ' + (offset < 0 ? '-' : '+')
        + QByteArray::number(absolute / 60).rightJustified(2, '0')
        + QByteArray::number(absolute % 60).rightJustified(2, '0');
}

QByteArray MimeMessage::newMessageId(const QByteArray& domain)
{
    const QByteArray host = domain.isEmpty() ? QByteArrayLiteral("localhost") : domain;
    return '<' + randomHex(16) + '@' + host + '>';
}

QByteArray MimeMessage::newBoundary()
{
    // "=_" never starts a base64 line, and a boundary must not occur in the parts it separates.
    return "=_" + randomHex(16);
}

QByteArray MimeMessage::base64Lines(const QByteArray& data)
{
    const QByteArray encoded = data.toBase64();
    QByteArray out;
    out.reserve(encoded.size() + encoded.size() / base64LineLength * 2 + 2);
    for (qsizetype start = 0; start < encoded.size(); start += base64LineLength)
        out += encoded.mid(start, base64LineLength) + "\r\n";
    return out;
}

} // namespace platform
