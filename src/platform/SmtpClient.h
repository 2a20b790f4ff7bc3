#pragma once

#include "platform/SmtpError.h"
#include "platform/SmtpReply.h"
#include "platform/SmtpReplyParser.h"

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QSslCertificate>
#include <QString>

#include <chrono>
#include <memory>
#include <optional>

class QSslSocket;

namespace platform {

// One SMTP session (RFC 5321) over QSslSocket with blocking waits, for the thread that calls it: no
// event loop is needed and none is entered. Every wait has a limit.
class SmtpClient {
public:
    struct Options {
        QString host;
        quint16 port = 25;
        // TLS from the first byte (RFC 8314); takes precedence over startTls.
        bool implicitTls = false;
        // STARTTLS (RFC 3207) after EHLO when the server lists it; a server that does not is talked to
        // in plain text.
        bool startTls = false;
        // AUTH is tried when either is set and the server lists AUTH.
        QString username;
        QString password;
        // How many times each step is tried (at least once).
        int attempts = 1;
        // The limit for each server reply, and for connecting and for each TLS handshake.
        std::chrono::milliseconds replyTimeout = std::chrono::seconds(60);
        // Trusted besides the system's store and the environment's (see TrustStore).
        QList<QSslCertificate> caCertificates;
        // The EHLO/HELO argument; empty for the local host name.
        QByteArray heloName;
    };

    // Which reply the session waits for; a failure's detail names it.
    enum class State {
        Idle,
        WaitingForConnection,
        WaitingForTlsHandshake,
        WaitingForGreeting220,
        WaitingForEhlo250,
        WaitingForHelo250,
        WaitingForStartTls220,
        WaitingForAuth235,
        WaitingForAuthChallenge334,
        WaitingForMailFrom250,
        WaitingForRcptTo250,
        WaitingForData354,
        WaitingForMessage250,
        WaitingForQuit221,
    };

    explicit SmtpClient(Options options);
    ~SmtpClient();
    SmtpClient(const SmtpClient&) = delete;
    SmtpClient& operator=(const SmtpClient&) = delete;

    // Delivers message (CR LF lines, not dot-stuffed) from the envelope sender to every recipient, in
    // one session: log-in (connection, TLS, greeting, EHLO or HELO, STARTTLS and EHLO again, AUTH),
    // MAIL FROM, RCPT TO for each recipient in order, DATA, QUIT. The addresses must be checked ones
    // (MailAddress::ascii()). Raises SmtpError with the step that failed; its message carries the
    // refusing reply's last line, the TLS check's reason, or nothing when no reply came. Once the
    // server has answered 250 to the message it counts as delivered: a QUIT that is not answered with
    // 221 does not raise but comes back as the Logout error; nothing is returned otherwise.
    std::optional<SmtpError> send(
        const QByteArray& mailFrom, const QList<QByteArray>& recipients, const QByteArray& message);

    // The capabilities of the last EHLO reply (keywords upper-cased) and the AUTH mechanisms listed.
    const QSet<QByteArray>& capabilities() const { return m_capabilities; }
    const QList<QByteArray>& authMechanisms() const { return m_authMechanisms; }
    // Whether the last session ran over TLS, and the mechanism that authenticated it (empty for none).
    bool wasEncrypted() const { return m_encrypted; }
    const QByteArray& authenticatedWith() const { return m_authenticatedWith; }

    // The argument for EHLO: the local host name when it is a valid domain, else the address literal
    // of the connection's local end.
    QByteArray localName() const;

    // AUTH CRAM-MD5's answer to a challenge (RFC 2195): the user, a blank and the hex HMAC-MD5.
    static QByteArray cramMd5Response(
        const QByteArray& username, const QByteArray& password, const QByteArray& challenge);

private:
    void logIn();
    void connectToServer();
    void sayHello();
    void startTls();
    void authenticate();
    bool tryMechanism(const QByteArray& mechanism);
    void mailFrom(const QByteArray& address);
    void rcptTo(const QByteArray& address);
    void data(const QByteArray& message);
    std::optional<SmtpError> quit();

    // Sends one command line (CR LF added) in a single write.
    void write(const QByteArray& line, SmtpError::Step step);
    // Waits for the next reply; raises SmtpError for the step on a timeout, a closed connection or a
    // malformed reply.
    SmtpReply awaitReply(State state, SmtpError::Step step);
    SmtpReply command(const QByteArray& line, State state, SmtpError::Step step);
    // A command retried while the server refuses it, up to the attempts; raises for the step with the
    // last refusal.
    SmtpReply commandExpecting(const QByteArray& line, State state, SmtpError::Step step, QList<int> codes);
    [[noreturn]] void failTls(const QString& fallback);
    void disconnect();
    int attempts() const;

    Options m_options;
    std::unique_ptr<QSslSocket> m_socket;
    SmtpReplyParser m_parser;
    State m_state = State::Idle;
    QSet<QByteArray> m_capabilities;
    QList<QByteArray> m_authMechanisms;
    QByteArray m_authenticatedWith;
    bool m_encrypted = false;
};

} // namespace platform
