#include "platform/SmtpMail.h"

#include "platform/Clock.h"
#include "platform/MailAddress.h"
#include "platform/SmtpClient.h"
#include "platform/SmtpError.h"

#include <chrono>

namespace platform {

namespace {

constexpr int defaultTimeOutSeconds = 60;

} // namespace

void SmtpMail::AddAddress(const QString& aEmail, const QString& aName)
{
    if (!MailAddress::trimmed(aName).isEmpty()) {
        const MailAddress address(MailAddress::trimmed(aEmail));
        m_recipients.append({aName, address});
        m_to.append(QLatin1Char('"') + aName + QStringLiteral("\" <") + address.text() + QLatin1Char('>'));
        return;
    }
    const QString trimmed = MailAddress::trimmed(aEmail);
    QStringList parts {trimmed};
    for (const QChar separator : {QLatin1Char(';'), QLatin1Char(','), QLatin1Char('|')}) {
        if (trimmed.contains(separator)) {
            parts = trimmed.split(separator);
            break;
        }
    }
    // Every part is checked before any is added, so that a refused field adds nothing. A part left
    // empty by a stray separator would only be an RCPT the server refuses, failing the whole letter.
    QList<MailAddress> addresses;
    for (const QString& part : std::as_const(parts)) {
        const QString address = MailAddress::trimmed(part);
        if (parts.size() == 1 || !address.isEmpty())
            addresses.append(MailAddress(address));
    }
    for (const MailAddress& address : std::as_const(addresses)) {
        m_recipients.append({QString(), address});
        m_to.append(address.text());
    }
}

void SmtpMail::clearAddresses()
{
    m_to.clear();
    m_recipients.clear();
}

QByteArray SmtpMail::composeMessage() const
{
    const MailAddress from(MailAddress::trimmed(From));
    if (from.isEmpty())
        throw InvalidAddressError(
            QStringLiteral("Invalid e-mail address \"\": the sender's address is empty"));
    MimeMessage message;
    message.from = {FromName, from};
    message.to = m_recipients;
    message.subject = Subject;
    message.bodyLines = AltBody;
    message.readReceipt = ReadingConfirmation;
    message.charset = DefaultCharset;
    message.date = currentDateTime();
    message.messageId = MimeMessage::newMessageId(from.domain());
    message.boundary = MimeMessage::newBoundary();
    return message.toBytes();
}

void SmtpMail::Send(bool UseThreadNow)
{
    Q_UNUSED(UseThreadNow);
    m_lastWarning.clear();
    if (Host.trimmed().isEmpty())
        throw SmtpError(SmtpError::Step::ServerNotInformed, QString());

    const QByteArray message = composeMessage();
    const MailAddress from(MailAddress::trimmed(From));
    QList<QByteArray> recipients;
    recipients.reserve(m_recipients.size());
    for (const MimeMessage::Mailbox& mailbox : std::as_const(m_recipients))
        recipients.append(mailbox.address.ascii());

    bool portValid = false;
    const uint port = Port.trimmed().toUInt(&portValid);
    if (!portValid || port == 0 || port > 65535)
        throw SmtpError(SmtpError::Step::Login, QString(), QStringLiteral("invalid port \"%1\"").arg(Port));

    SmtpClient::Options options;
    options.host = Host.trimmed();
    options.port = static_cast<quint16>(port);
    options.implicitTls = SetSSL;
    options.startTls = SetTLS;
    options.username = Username;
    options.password = Password;
    options.attempts = Attempts;
    options.replyTimeout = std::chrono::seconds(TimeOut > 0 ? TimeOut : defaultTimeOutSeconds);
    options.caCertificates = m_caCertificates;
    SmtpClient client(options);
    if (const std::optional<SmtpError> logout = client.send(from.ascii(), recipients, message))
        m_lastWarning = logout->message();
}

} // namespace platform
