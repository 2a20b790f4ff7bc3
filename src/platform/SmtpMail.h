#pragma once

#include "platform/MailCharset.h"
#include "platform/MimeMessage.h"

#include <QByteArray>
#include <QList>
#include <QSslCertificate>
#include <QString>
#include <QStringList>

namespace platform {

// The mail component: one message, its settings and its sending over SMTP. Settings are public
// fields, set by the form before Send(); their meaning on the wire is described with each.
//
// Errors: an address that cannot be sent safely raises InvalidAddressError (MailAddress.h) while the
// message is assembled, from AddAddress() for a recipient and from composeMessage() (and so Send(),
// before any byte is sent) for the sender. A failure of the dialogue raises SmtpError (SmtpError.h),
// whose message is the user's. Both derive from platform::Exception, but only SmtpError means "tried
// and failed to send": a caller that shows send failures and passes on assembly failures catches
// SmtpError around Send().
class SmtpMail {
public:
    // The SMTP server; the port is text, as the settings hold it.
    QString Host = QStringLiteral("127.0.0.1");
    QString Port = QStringLiteral("25");
    // Credentials for AUTH; tried only when one of them is set and the server offers AUTH. They never
    // appear in a message of this component.
    QString Username;
    QString Password;
    // TLS from the first byte (implicit TLS). Takes precedence over SetTLS.
    bool SetSSL = false;
    // STARTTLS after EHLO when the server lists it; a server that does not list it is talked to in
    // plain text, without error. The server's certificate is checked in both cases (chain against the
    // system's store plus SSL_CERT_FILE / SSL_CERT_DIR, and the host name).
    bool SetTLS = false;
    // Adds "Disposition-Notification-To" with the sender, asking for a read receipt.
    bool ReadingConfirmation = false;
    // How many times each step of the dialogue is tried before the send fails: the log-in on a new
    // connection, a refused command again on the same one. The message itself is offered once.
    int Attempts = 1;
    // The character set of the text and of the encoded headers: UTF_8 (the body preceded by the UTF-8
    // byte-order mark) or CP1252.
    MailCharset DefaultCharset = MailCharset::UTF_8;
    // The character set the program's text is in. Our texts are Unicode already, so there is nothing
    // to convert: kept for the settings' sake.
    MailCharset IDECharset = MailCharset::CP1252;
    // Plain text only: there is no HTML body, so this changes nothing.
    bool IsHTML = false;
    // Seconds to wait for each server reply (and for connecting and each TLS handshake); 0 means the
    // client's own limit of 60 s.
    int TimeOut = 0;

    QString From;
    QString FromName;
    QString Subject;
    // The plain-text body, one entry per line.
    QStringList AltBody;

    // Adds recipients to the To list. With a non-blank name: one entry, the name in double quotes, a
    // blank and the address in angle brackets. With a blank name the address is trimmed and, when it
    // holds ";", "," or "|", split at every occurrence of the first of these (in that order of
    // precedence) that it holds; otherwise it is added as one entry, an empty one included. Each part
    // is trimmed of blanks and control characters at both ends, and a part left empty (the blank
    // between two separators, a separator at an end) adds nothing. Raises InvalidAddressError (and
    // adds nothing) when an address holds a control character or an angle bracket inside, or cannot
    // go into an SMTP command otherwise (see MailAddress).
    void AddAddress(const QString& aEmail, const QString& aName = QString());
    // The entries as texts: the address, or "name" <address>.
    const QStringList& toList() const { return m_to; }
    void clearAddresses();

    // Certificate authorities trusted besides the system's store and those named by SSL_CERT_FILE and
    // SSL_CERT_DIR (a private CA of a test, for instance).
    void setCaCertificates(const QList<QSslCertificate>& certificates) { m_caCertificates = certificates; }

    // The message as Send() would send it now (a fresh Date and Message-ID each time). Raises
    // InvalidAddressError for an empty or unsafe From.
    QByteArray composeMessage() const;

    // Builds the message and runs the whole SMTP dialogue in the calling thread: one session, as
    // SmtpClient describes. Returns once the server has accepted the message: the letter is
    // delivered. Raises SmtpError with the failure's message otherwise ("SMTP Error: Server not
    // informed" for an empty Host, before anything else; "SMTP Error: Unable to Login." plus CR LF for
    // a Port that is no TCP port), or InvalidAddressError as composeMessage() before any byte is sent.
    // There is no sending thread, so UseThreadNow changes nothing.
    void Send(bool UseThreadNow);

    // After a Send() that returned: the message of the log-out failure ("SMTP Error: Unable to
    // Logout." ...) when QUIT was not answered with 221, else empty. The message was delivered all the
    // same.
    const QString& lastWarning() const { return m_lastWarning; }

private:
    QStringList m_to;
    QList<MimeMessage::Mailbox> m_recipients;
    QList<QSslCertificate> m_caCertificates;
    QString m_lastWarning;
};

} // namespace platform
