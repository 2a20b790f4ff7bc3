#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// A message as Python's email package reads it (tests/support/parse_mail.py): an independent reader
// of what the program sent, so that a test does not check our encoder with our own decoder.
class ParsedMail {
public:
    // A display name and an address.
    using Mailbox = QPair<QString, QString>;

    struct Part {
        QString contentType; // "text/plain"
        QString charset; // "utf-8", lower-case as the package gives it
        QString disposition; // "inline"
        QString transferEncoding;
        QByteArray payload; // decoded
    };

    // Parses message; throws std::runtime_error when the parser fails or takes longer than its limit.
    static ParsedMail parse(const QByteArray& message);

    // The headers' names in order, and the decoded value of the first header of a name (null when
    // absent) or of all of them.
    QStringList headerNames() const;
    QString header(const QString& name) const;
    QStringList headers(const QString& name) const;
    // The value as it stands in the message, unfolded but not decoded.
    QString rawHeader(const QString& name) const;

    QList<Mailbox> from;
    QList<Mailbox> to;
    QList<Mailbox> dispositionNotificationTo;
    QString date; // ISO 8601 with the zone, as the package parsed the Date header
    QString contentType; // of the whole message
    bool multipart = false;
    QList<Part> parts; // the leaf parts
    QStringList defects; // the package's complaints, by class name

private:
    QList<QPair<QString, QString>> m_headers;
    QList<QPair<QString, QString>> m_rawHeaders;
};
