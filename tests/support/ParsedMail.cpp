#include "ParsedMail.h"

#include "PythonServerProcess.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryFile>

#include <stdexcept>

namespace {

constexpr int parseLimitMs = 30000;

QList<ParsedMail::Mailbox> mailboxes(const QJsonValue& value)
{
    QList<ParsedMail::Mailbox> result;
    for (const QJsonValue& entry : value.toArray())
        result.append({entry.toArray().at(0).toString(), entry.toArray().at(1).toString()});
    return result;
}

QList<QPair<QString, QString>> pairs(const QJsonValue& value)
{
    QList<QPair<QString, QString>> result;
    for (const QJsonValue& entry : value.toArray())
        result.append({entry.toArray().at(0).toString(), entry.toArray().at(1).toString()});
    return result;
}

} // namespace

ParsedMail ParsedMail::parse(const QByteArray& message)
{
    QTemporaryFile file;
    if (!file.open() || file.write(message) != message.size() || !file.flush())
        throw std::runtime_error("ParsedMail: cannot write the message");
    QProcess process;
    process.start(QStringLiteral("/usr/bin/python3"),
        {PythonServerProcess::scriptFolder() + QStringLiteral("/parse_mail.py"), file.fileName()});
    if (!process.waitForFinished(parseLimitMs)) {
        process.kill();
        process.waitForFinished(parseLimitMs);
        throw std::runtime_error("ParsedMail: the parser did not finish");
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        throw std::runtime_error(
            "ParsedMail: the parser failed:\n" + process.readAllStandardError().toStdString());
    const QJsonObject json = QJsonDocument::fromJson(process.readAllStandardOutput()).object();

    ParsedMail parsed;
    parsed.m_headers = pairs(json.value(QStringLiteral("headers")));
    parsed.m_rawHeaders = pairs(json.value(QStringLiteral("raw_headers")));
    parsed.from = mailboxes(json.value(QStringLiteral("from")));
    parsed.to = mailboxes(json.value(QStringLiteral("to")));
    parsed.dispositionNotificationTo = mailboxes(json.value(QStringLiteral("disposition_notification_to")));
    parsed.date = json.value(QStringLiteral("date")).toString();
    parsed.contentType = json.value(QStringLiteral("content_type")).toString();
    parsed.multipart = json.value(QStringLiteral("is_multipart")).toBool();
    for (const QJsonValue& value : json.value(QStringLiteral("parts")).toArray()) {
        const QJsonObject part = value.toObject();
        parsed.parts.append({part.value(QStringLiteral("content_type")).toString(),
            part.value(QStringLiteral("charset")).toString(),
            part.value(QStringLiteral("disposition")).toString(),
            part.value(QStringLiteral("transfer_encoding")).toString(),
            QByteArray::fromBase64(part.value(QStringLiteral("payload")).toString().toLatin1())});
    }
    for (const QJsonValue& defect : json.value(QStringLiteral("defects")).toArray())
        parsed.defects.append(defect.toString());
    return parsed;
}

QStringList ParsedMail::headerNames() const
{
    QStringList names;
    for (const auto& [name, value] : m_headers)
        names.append(name);
    return names;
}

QString ParsedMail::header(const QString& name) const
{
    for (const auto& [key, value] : m_headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

QStringList ParsedMail::headers(const QString& name) const
{
    QStringList values;
    for (const auto& [key, value] : m_headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            values.append(value);
    }
    return values;
}

QString ParsedMail::rawHeader(const QString& name) const
{
    for (const auto& [key, value] : m_rawHeaders) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}
