#pragma once

#include "platform/Exception.h"

#include <QString>

namespace platform {

// A failed send. The message is the one the user sees: the step's title and, for every step but
// ServerNotInformed, CR LF and what explains it: the server's reply line to the failing command
// (control characters removed), the reason of a failed certificate check or TLS handshake, or nothing
// when no reply came.
class SmtpError : public Exception {
public:
    // The step of the dialogue that failed.
    enum class Step {
        ServerNotInformed, // no host to connect to
        Login, // connection, TLS, greeting, EHLO/HELO, STARTTLS
        MailFrom, // the sender was refused
        MailTo, // a recipient was refused
        MailData, // the message was refused
        Logout, // QUIT was not answered with 221
    };

    // explanation follows the title after CR LF; detail says more for diagnostics (a timeout, a
    // closed connection) and is not part of the message. Neither may hold credentials.
    SmtpError(Step step, const QString& explanation, QString detail = QString());

    Step step() const { return m_step; }
    const QString& explanation() const { return m_explanation; }
    const QString& detail() const { return m_detail; }

    // "SMTP Error: Unable to send MailFrom." and its kin.
    static QString title(Step step);

private:
    Step m_step;
    QString m_explanation;
    QString m_detail;
};

} // namespace platform
