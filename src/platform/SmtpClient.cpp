#include "platform/SmtpClient.h"

#include "platform/TrustStore.h"

#include <QDeadlineTimer>
#include <QHostAddress>
#include <QHostInfo>
#include <QMessageAuthenticationCode>
#include <QRegularExpression>
#include <QSslSocket>

#include <algorithm>
#include <utility>

namespace platform {

namespace {

using Step = SmtpError::Step;
using State = SmtpClient::State;

// What the session waited for, for a failure's detail.
QString awaited(State state)
{
    switch (state) {
    case State::Idle:
        return QStringLiteral("nothing");
    case State::WaitingForConnection:
        return QStringLiteral("the connection");
    case State::WaitingForTlsHandshake:
        return QStringLiteral("the TLS handshake");
    case State::WaitingForGreeting220:
        return QStringLiteral("the greeting");
    case State::WaitingForEhlo250:
        return QStringLiteral("the reply to EHLO");
    case State::WaitingForHelo250:
        return QStringLiteral("the reply to HELO");
    case State::WaitingForStartTls220:
        return QStringLiteral("the reply to STARTTLS");
    case State::WaitingForAuth235:
    case State::WaitingForAuthChallenge334:
        return QStringLiteral("the reply to AUTH");
    case State::WaitingForMailFrom250:
        return QStringLiteral("the reply to MAIL FROM");
    case State::WaitingForRcptTo250:
        return QStringLiteral("the reply to RCPT TO");
    case State::WaitingForData354:
        return QStringLiteral("the reply to DATA");
    case State::WaitingForMessage250:
        return QStringLiteral("the reply to the message");
    case State::WaitingForQuit221:
        return QStringLiteral("the reply to QUIT");
    }
    return QString();
}

int remaining(const QDeadlineTimer& deadline)
{
    return static_cast<int>(std::clamp<qint64>(deadline.remainingTime(), 0, std::numeric_limits<int>::max()));
}

QString lastLineOf(const SmtpReply& reply)
{
    return SmtpReply::displayText(reply.lastLine());
}

// RFC 5321, 4.5.2: a line of the message that starts with "." gets another one, so that only the
// terminator is a lone dot. The message itself ends with CR LF.
QByteArray dataPayload(const QByteArray& message)
{
    QByteArray payload;
    payload.reserve(message.size() + 8);
    qsizetype start = 0;
    while (start < message.size()) {
        qsizetype end = message.indexOf('\n', start);
        end = end < 0 ? message.size() : end + 1;
        if (message.at(start) == '.')
            payload += '.';
        payload += QByteArrayView(message).sliced(start, end - start);
        start = end;
    }
    if (!payload.endsWith("\r\n"))
        payload += "\r\n";
    payload += ".\r\n";
    return payload;
}

bool isValidDomain(const QString& name)
{
    static const QRegularExpression domain(
        QStringLiteral("^(?=.{1,253}$)[A-Za-z0-9](?:[A-Za-z0-9-]{0,61}[A-Za-z0-9])?(?:\\.[A-Za-z0-9](?:[A-Za-"
                       "z0-9-]{0,61}[A-Za-z0-9])?)*$"));
    return domain.match(name).hasMatch();
}

} // namespace

SmtpClient::SmtpClient(Options options)
    : m_options(std::move(options))
{
}

SmtpClient::~SmtpClient()
{
    disconnect();
}

std::optional<SmtpError> SmtpClient::send(
    const QByteArray& mailFrom, const QList<QByteArray>& recipients, const QByteArray& message)
{
    logIn();
    this->mailFrom(mailFrom);
    for (const QByteArray& recipient : recipients)
        rcptTo(recipient);
    data(message);
    return quit();
}

int SmtpClient::attempts() const
{
    return std::max(1, m_options.attempts);
}

// The log-in step: a fresh connection for every attempt.
void SmtpClient::logIn()
{
    for (int attempt = 1;; ++attempt) {
        try {
            connectToServer();
            const SmtpReply greeting = awaitReply(State::WaitingForGreeting220, Step::Login);
            if (greeting.code() != 220)
                throw SmtpError(Step::Login, lastLineOf(greeting), QStringLiteral("greeting refused"));
            sayHello();
            if (m_options.startTls && !m_options.implicitTls && m_capabilities.contains("STARTTLS")) {
                startTls();
                sayHello();
            }
            if ((!m_options.username.isEmpty() || !m_options.password.isEmpty())
                && m_capabilities.contains("AUTH"))
                authenticate();
            return;
        } catch (const SmtpError&) {
            disconnect();
            if (attempt >= attempts())
                throw;
        }
    }
}

void SmtpClient::connectToServer()
{
    disconnect();
    m_parser.clear();
    m_capabilities.clear();
    m_authMechanisms.clear();
    m_authenticatedWith.clear();
    m_encrypted = false;

    m_socket = std::make_unique<QSslSocket>();
    QSslConfiguration configuration = m_socket->sslConfiguration();
    configuration.setProtocol(QSsl::TlsV1_2OrLater);
    // The chain and the host name are checked (RFC 6125); a failed check ends the session.
    configuration.setPeerVerifyMode(QSslSocket::VerifyPeer);
    TrustStore::apply(configuration, m_options.caCertificates);
    m_socket->setSslConfiguration(configuration);

    const int limit = static_cast<int>(m_options.replyTimeout.count());
    if (m_options.implicitTls) {
        m_state = State::WaitingForTlsHandshake;
        m_socket->connectToHostEncrypted(m_options.host, m_options.port);
        if (!m_socket->waitForEncrypted(limit)) {
            const QAbstractSocket::SocketError error = m_socket->error();
            if (!m_socket->sslHandshakeErrors().isEmpty() || error == QAbstractSocket::SslHandshakeFailedError
                || error == QAbstractSocket::SslInternalError
                || error == QAbstractSocket::SslInvalidUserDataError)
                failTls(m_socket->errorString());
            throw SmtpError(Step::Login, QString(),
                QStringLiteral("cannot connect over TLS: %1").arg(m_socket->errorString()));
        }
        m_encrypted = true;
    } else {
        m_state = State::WaitingForConnection;
        m_socket->connectToHost(m_options.host, m_options.port);
        if (!m_socket->waitForConnected(limit))
            throw SmtpError(
                Step::Login, QString(), QStringLiteral("cannot connect: %1").arg(m_socket->errorString()));
    }
    // Every command is one write answered by one reply: Nagle's delay would only add latency.
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
}

void SmtpClient::sayHello()
{
    m_capabilities.clear();
    m_authMechanisms.clear();
    const QByteArray name = localName();
    const SmtpReply ehlo = command("EHLO " + name, State::WaitingForEhlo250, Step::Login);
    if (ehlo.code() == 250) {
        const QList<QByteArray> texts = ehlo.texts();
        for (qsizetype i = 1; i < texts.size(); ++i) {
            QList<QByteArray> words = texts.at(i).simplified().split(' ');
            QByteArray keyword = words.takeFirst().toUpper();
            // The "AUTH=LOGIN PLAIN" form of servers from before RFC 4954.
            if (keyword.startsWith("AUTH=")) {
                words.prepend(keyword.mid(5));
                keyword = "AUTH";
            }
            m_capabilities.insert(keyword);
            if (keyword == "AUTH") {
                for (const QByteArray& mechanism : std::as_const(words)) {
                    if (!mechanism.isEmpty() && !m_authMechanisms.contains(mechanism.toUpper()))
                        m_authMechanisms.append(mechanism.toUpper());
                }
            }
        }
        return;
    }
    // RFC 5321, 3.2: a server that refuses EHLO may still take HELO; it then offers no extensions.
    const SmtpReply helo = command("HELO " + name, State::WaitingForHelo250, Step::Login);
    if (helo.code() != 250)
        throw SmtpError(Step::Login, lastLineOf(helo), QStringLiteral("EHLO and HELO refused"));
}

void SmtpClient::startTls()
{
    const SmtpReply reply = command("STARTTLS", State::WaitingForStartTls220, Step::Login);
    if (reply.code() != 220)
        throw SmtpError(Step::Login, lastLineOf(reply), QStringLiteral("STARTTLS refused"));
    // RFC 3207, 5: whatever arrived after the 220 and before the handshake was sent in plain text by
    // whoever sits on the line, and must never be taken for the server's first reply over TLS.
    // A look at the socket without waiting also catches bytes that reached it but not yet Qt's buffer.
    if (m_parser.bufferedBytes() > 0 || m_socket->bytesAvailable() > 0 || m_socket->waitForReadyRead(0))
        throw SmtpError(Step::Login, QStringLiteral("Data received before the TLS handshake"),
            QStringLiteral("plain text pipelined after the reply to STARTTLS"));
    m_state = State::WaitingForTlsHandshake;
    m_socket->startClientEncryption();
    if (!m_socket->waitForEncrypted(static_cast<int>(m_options.replyTimeout.count())))
        failTls(m_socket->errorString());
    m_encrypted = true;
    // RFC 3207, 4.2: the capabilities learnt before TLS are forgotten; the caller says EHLO again.
    m_parser.clear();
    m_capabilities.clear();
    m_authMechanisms.clear();
}

// RFC 4954. A mechanism the server refuses is no error: the next one is tried, and a server that
// insists on authentication refuses MAIL FROM afterwards.
void SmtpClient::authenticate()
{
    static const QList<QByteArray> preferred {"PLAIN", "LOGIN", "CRAM-MD5", "XOAUTH2"};
    for (const QByteArray& mechanism : preferred) {
        if (m_authMechanisms.contains(mechanism) && tryMechanism(mechanism)) {
            m_authenticatedWith = mechanism;
            return;
        }
    }
}

bool SmtpClient::tryMechanism(const QByteArray& mechanism)
{
    const QByteArray username = m_options.username.toUtf8();
    const QByteArray password = m_options.password.toUtf8();
    auto awaitFinal = [this] { return awaitReply(State::WaitingForAuth235, Step::Login); };
    auto awaitChallenge = [this] { return awaitReply(State::WaitingForAuthChallenge334, Step::Login); };
    // A challenge where the final reply was due: cancel the exchange (RFC 4954, 4) and read its end.
    auto cancel = [&] {
        write("*", Step::Login);
        awaitFinal();
        return false;
    };

    if (mechanism == "PLAIN") {
        // RFC 4616 with the initial response of RFC 4954, 4: one round trip.
        write("AUTH PLAIN " + QByteArray('\0' + username + '\0' + password).toBase64(), Step::Login);
        const SmtpReply reply = awaitFinal();
        return reply.code() == 235 || (reply.code() == 334 && cancel());
    }
    if (mechanism == "LOGIN") {
        write("AUTH LOGIN", Step::Login);
        if (awaitChallenge().code() != 334)
            return false;
        write(username.toBase64(), Step::Login);
        if (awaitChallenge().code() != 334)
            return false;
        write(password.toBase64(), Step::Login);
        const SmtpReply reply = awaitFinal();
        return reply.code() == 235 || (reply.code() == 334 && cancel());
    }
    if (mechanism == "CRAM-MD5") {
        write("AUTH CRAM-MD5", Step::Login);
        const SmtpReply challenge = awaitChallenge();
        if (challenge.code() != 334)
            return false;
        const QByteArray text = QByteArray::fromBase64(challenge.texts().constLast().trimmed());
        write(cramMd5Response(username, password, text).toBase64(), Step::Login);
        const SmtpReply reply = awaitFinal();
        return reply.code() == 235 || (reply.code() == 334 && cancel());
    }
    if (mechanism == "XOAUTH2") {
        // The password is the bearer token. A refusal comes as a 334 with an error text, answered by
        // an empty line, after which the server sends its final refusal.
        write("AUTH XOAUTH2 "
                + QByteArray("user=" + username
                    + "\x01"
                      "auth=Bearer "
                    + password + "\x01\x01")
                      .toBase64(),
            Step::Login);
        const SmtpReply reply = awaitFinal();
        if (reply.code() == 334) {
            write("", Step::Login);
            awaitFinal();
            return false;
        }
        return reply.code() == 235;
    }
    return false;
}

void SmtpClient::mailFrom(const QByteArray& address)
{
    commandExpecting("MAIL FROM:<" + address + '>', State::WaitingForMailFrom250, Step::MailFrom, {250});
}

void SmtpClient::rcptTo(const QByteArray& address)
{
    commandExpecting("RCPT TO:<" + address + '>', State::WaitingForRcptTo250, Step::MailTo, {250, 251});
}

// The message is offered once per session: after a refusal of the message itself the server has
// dropped its transaction, and a second copy could only be refused too.
void SmtpClient::data(const QByteArray& message)
{
    commandExpecting("DATA", State::WaitingForData354, Step::MailData, {354});
    const QByteArray payload = dataPayload(message);
    if (m_socket->write(payload) != payload.size())
        throw SmtpError(Step::MailData, QString(), QStringLiteral("cannot write the message"));
    m_socket->flush();
    const SmtpReply reply = awaitReply(State::WaitingForMessage250, Step::MailData);
    if (reply.code() != 250)
        throw SmtpError(Step::MailData, lastLineOf(reply), QStringLiteral("message refused"));
}

// The message is delivered by now, so nothing here raises.
std::optional<SmtpError> SmtpClient::quit()
{
    std::optional<SmtpError> failure;
    try {
        commandExpecting("QUIT", State::WaitingForQuit221, Step::Logout, {221});
    } catch (const SmtpError& error) {
        failure = error;
    }
    disconnect();
    return failure;
}

void SmtpClient::write(const QByteArray& line, SmtpError::Step step)
{
    const QByteArray bytes = line + "\r\n";
    // The line itself stays out of the error: it may be an AUTH line.
    if (m_socket->write(bytes) != bytes.size())
        throw SmtpError(
            step, QString(), QStringLiteral("cannot write a command: %1").arg(m_socket->errorString()));
    m_socket->flush();
}

SmtpReply SmtpClient::awaitReply(State state, SmtpError::Step step)
{
    m_state = state;
    const QDeadlineTimer deadline(m_options.replyTimeout);
    for (;;) {
        try {
            if (std::optional<SmtpReply> reply = m_parser.next())
                return *std::move(reply);
        } catch (const SmtpReplyParser::MalformedReply& error) {
            throw SmtpError(
                step, QString(), QStringLiteral("malformed %1: %2").arg(awaited(state), error.message()));
        }
        if (m_socket->bytesAvailable() == 0 && !m_socket->waitForReadyRead(remaining(deadline))) {
            if (m_socket->state() != QAbstractSocket::ConnectedState)
                throw SmtpError(step, QString(),
                    QStringLiteral("connection closed while waiting for %1").arg(awaited(state)));
            if (deadline.hasExpired())
                throw SmtpError(step, QString(),
                    QStringLiteral("no reply within %1 ms while waiting for %2")
                        .arg(m_options.replyTimeout.count())
                        .arg(awaited(state)));
            throw SmtpError(step, QString(),
                QStringLiteral("%1 while waiting for %2").arg(m_socket->errorString(), awaited(state)));
        }
        m_parser.feed(m_socket->readAll());
    }
}

SmtpReply SmtpClient::command(const QByteArray& line, State state, SmtpError::Step step)
{
    write(line, step);
    return awaitReply(state, step);
}

SmtpReply SmtpClient::commandExpecting(
    const QByteArray& line, State state, SmtpError::Step step, QList<int> codes)
{
    for (int attempt = 1;; ++attempt) {
        const SmtpReply reply = command(line, state, step);
        if (codes.contains(reply.code()))
            return reply;
        if (attempt >= attempts())
            throw SmtpError(step, lastLineOf(reply), QStringLiteral("refused: %1").arg(awaited(state)));
    }
}

void SmtpClient::failTls(const QString& fallback)
{
    QStringList reasons;
    for (const QSslError& error : m_socket->sslHandshakeErrors())
        reasons.append(error.errorString());
    const QString reason = reasons.isEmpty() ? fallback : reasons.join(QStringLiteral("; "));
    throw SmtpError(Step::Login, reason, QStringLiteral("TLS failed: %1").arg(reason));
}

void SmtpClient::disconnect()
{
    if (!m_socket)
        return;
    m_socket->abort();
    m_socket.reset();
    m_state = State::Idle;
}

QByteArray SmtpClient::localName() const
{
    if (!m_options.heloName.isEmpty())
        return m_options.heloName;
    const QString host = QHostInfo::localHostName();
    if (isValidDomain(host))
        return host.toLatin1();
    // RFC 5321, 4.1.3: an address literal when there is no usable name.
    const QHostAddress local = m_socket ? m_socket->localAddress() : QHostAddress(QHostAddress::LocalHost);
    if (local.protocol() == QAbstractSocket::IPv6Protocol)
        return "[IPv6:" + local.toString().toLatin1() + ']';
    return '[' + local.toString().toLatin1() + ']';
}

QByteArray SmtpClient::cramMd5Response(
    const QByteArray& username, const QByteArray& password, const QByteArray& challenge)
{
    return username + ' '
        + QMessageAuthenticationCode::hash(challenge, password, QCryptographicHash::Md5).toHex();
}

} // namespace platform
