#pragma once

#include "platform/Exception.h"

#include <QByteArray>
#include <QString>

namespace platform {

// An address that cannot go into an SMTP command or a header: it holds a control character (CR, LF,
// NUL, ...), an angle bracket, a non-ASCII local part or is longer than a path may be.
class InvalidAddressError : public Exception {
public:
    using Exception::Exception;
};

// One e-mail address (addr-spec) as it goes into the envelope and the headers. Checked once when made,
// so that no text can end an SMTP command line or a header early and add one of its own.
class MailAddress {
public:
    // An empty address: the server decides what it means.
    MailAddress() = default;
    // Raises InvalidAddressError for a control character (C0, DEL, C1, a line or paragraph separator),
    // "<" or ">", a non-ASCII local part (that needs SMTPUTF8, which this client does not speak), a
    // domain that has no ASCII form, or a path over 254 characters (RFC 5321, 4.5.3.1.3).
    explicit MailAddress(const QString& text);

    // The address as given.
    const QString& text() const { return m_text; }
    // The ASCII form for MAIL FROM, RCPT TO and the headers: a non-ASCII domain in its IDNA form.
    const QByteArray& ascii() const { return m_ascii; }
    // The part after the last "@", ASCII form; empty without one.
    QByteArray domain() const;
    bool isEmpty() const { return m_text.isEmpty(); }

    // Removes the characters up to U+0020 (blanks and controls) at both ends, as the recipient field
    // rules do.
    static QString trimmed(const QString& text);

private:
    QString m_text;
    QByteArray m_ascii;
};

} // namespace platform
