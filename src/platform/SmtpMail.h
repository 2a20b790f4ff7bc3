#pragma once

#include <QString>
#include <QStringList>

namespace platform {

// The character sets a mail's text can be declared in.
enum class MailCharset { UTF_8, CP1252 };

// The mail component: one message, its settings and its sending over SMTP. Settings are public
// fields, set by the form before Send(); their meaning on the wire is described with each.
class SmtpMail {
public:
    // The SMTP server; the port is text, as the settings hold it.
    QString Host = QStringLiteral("127.0.0.1");
    QString Port = QStringLiteral("25");
    // Credentials for AUTH; tried only when one of them is set and the server offers AUTH.
    QString Username;
    QString Password;
    // TLS from the first byte (implicit TLS). Takes precedence over SetTLS.
    bool SetSSL = false;
    // STARTTLS after EHLO when the server lists it; a server that does not list it is talked to in
    // plain text, without error.
    bool SetTLS = false;
    // Adds "Disposition-Notification-To" with the sender, asking for a read receipt.
    bool ReadingConfirmation = false;
    // How many times each step of the dialogue is tried before the send fails.
    int Attempts = 1;
    MailCharset DefaultCharset = MailCharset::UTF_8;
    MailCharset IDECharset = MailCharset::CP1252;
    bool IsHTML = false;
    // Seconds to wait for each server reply; 0 means the client's own limit of 60 s.
    int TimeOut = 0;

    QString From;
    QString FromName;
    QString Subject;
    // The plain-text body, one entry per line.
    QStringList AltBody;

    // Adds recipients to the To list. With a non-blank name: one entry, the name in double quotes, a
    // blank and the address in angle brackets. With a blank name the address is trimmed and, when it
    // holds ";", "," or "|", split at every occurrence of the first of these (in that order of
    // precedence) that it holds; otherwise it is added as one entry, an empty one included.
    void AddAddress(const QString& aEmail, const QString& aName = QString());
    const QStringList& toList() const { return m_to; }
    void clearAddresses() { m_to.clear(); }

    // Builds the message and runs the whole SMTP dialogue in the calling thread. Returns once the
    // server has accepted the message; raises platform::Exception with the failure's message
    // otherwise. UseThreadNow must be false: there is no sending thread.
    void Send(bool UseThreadNow);

private:
    QStringList m_to;
};

} // namespace platform
