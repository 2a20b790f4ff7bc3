#include "SmtpServer.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <stdexcept>

namespace {

QString modeName(SmtpServer::Mode mode)
{
    switch (mode) {
    case SmtpServer::Mode::StartTls:
        return QStringLiteral("starttls");
    case SmtpServer::Mode::ImplicitTls:
        return QStringLiteral("tls");
    case SmtpServer::Mode::Plain:
        return QStringLiteral("plain");
    }
    return {};
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("SmtpServer: cannot read " + path.toStdString());
    return file.readAll();
}

} // namespace

SmtpServer::SmtpServer(Options options)
    : m_options(std::move(options))
{
    if (!m_folder.isValid())
        throw std::runtime_error("SmtpServer: no temporary folder");
    if (m_options.certificate.certificate.isEmpty())
        m_options.certificate = TestCertificates::shared().server();
    QStringList arguments {QStringLiteral("--mode"), modeName(m_options.mode), QStringLiteral("--out"),
        m_folder.path(), QStringLiteral("--cert"), m_options.certificate.certificate, QStringLiteral("--key"),
        m_options.certificate.key, QStringLiteral("--mechanisms"), m_options.mechanisms.join(u',')};
    if (!m_options.user.isEmpty())
        arguments << QStringLiteral("--user") << m_options.user << QStringLiteral("--password")
                  << m_options.password;
    for (const QString& recipient : std::as_const(m_options.refusedRecipients))
        arguments << QStringLiteral("--refuse-rcpt") << recipient;
    if (m_options.refuseData)
        arguments << QStringLiteral("--refuse-data");
    m_process = std::make_unique<PythonServerProcess>(QStringLiteral("smtp_server.py"), arguments);
}

QList<SmtpServer::Message> SmtpServer::messages() const
{
    QList<Message> messages;
    const QDir folder(m_folder.path());
    // The envelope is written last, so a .json names a complete message.
    for (const QString& name : folder.entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name)) {
        const QJsonObject meta = QJsonDocument::fromJson(readAll(folder.filePath(name))).object();
        Message message;
        message.mailFrom = meta.value(QStringLiteral("mail_from")).toString();
        for (const QJsonValue& recipient : meta.value(QStringLiteral("rcpt_tos")).toArray())
            message.rcptTos.append(recipient.toString());
        message.tls = meta.value(QStringLiteral("tls")).toBool();
        message.tlsVersion = meta.value(QStringLiteral("tls_version")).toString();
        message.authMechanism = meta.value(QStringLiteral("auth_mechanism")).toString();
        message.authLogin = meta.value(QStringLiteral("auth_login")).toString();
        message.helo = meta.value(QStringLiteral("helo")).toString();
        message.path = folder.filePath(name.chopped(5) + QStringLiteral(".eml"));
        message.content = readAll(message.path);
        messages.append(message);
    }
    return messages;
}
