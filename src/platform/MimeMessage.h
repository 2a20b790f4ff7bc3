#pragma once

#include "platform/MailAddress.h"
#include "platform/MailCharset.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

namespace platform {

// A plain-text letter as an Internet message (RFC 5322, MIME): the headers and a multipart/mixed body
// with one inline text/plain part in base64. Fields are set by the sender, then toBytes() writes it.
class MimeMessage {
public:
    // A display name (blank for none) and its address.
    struct Mailbox {
        QString name;
        MailAddress address;
    };

    Mailbox from;
    QList<Mailbox> to;
    QString subject;
    // The body, one entry per line; each goes out ended by CR LF.
    QStringList bodyLines;
    // Adds "Disposition-Notification-To" with the same sender as From (RFC 8098).
    bool readReceipt = false;
    // UTF-8: the text is preceded by the UTF-8 byte-order mark. CP1252: the text in Windows-1252
    // ("?" for what it lacks), without a mark.
    MailCharset charset = MailCharset::UTF_8;
    QDateTime date;
    // With its angle brackets; see newMessageId().
    QByteArray messageId;
    QByteArray boundary;

    // The whole message, every line ended by CR LF, none over 998 characters. Not dot-stuffed: that is
    // the transport's business. Empty To entries are left out of the To header (their RCPT is the
    // server's to refuse).
    QByteArray toBytes() const;

    // RFC 5322, 3.3: "Fri, 05 Mar 2024 10:07:09 -0300", English names and a numeric zone.
    static QByteArray formatDate(const QDateTime& date);
    // "<random@domain>", unique: 128 random bits from the system's generator.
    static QByteArray newMessageId(const QByteArray& domain);
    // A boundary that cannot occur in base64 text.
    static QByteArray newBoundary();
    // data in base64, lines of at most 76 characters (RFC 2045, 6.8) each ended by CR LF.
    static QByteArray base64Lines(const QByteArray& data);
};

} // namespace platform
