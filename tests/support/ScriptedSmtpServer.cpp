#include "ScriptedSmtpServer.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QJsonDocument>
#include <QThread>

#include <stdexcept>

ScriptedSmtpServer::ScriptedSmtpServer(const QJsonObject& script)
{
    if (!m_folder.isValid())
        throw std::runtime_error("ScriptedSmtpServer: no temporary folder");
    const QString scriptPath = m_folder.filePath(QStringLiteral("script.json"));
    QFile file(scriptPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(script).toJson()) < 0)
        throw std::runtime_error("ScriptedSmtpServer: cannot write the script");
    file.close();
    m_process = std::make_unique<PythonServerProcess>(QStringLiteral("smtp_scripted_server.py"),
        QStringList {QStringLiteral("--script"), scriptPath, QStringLiteral("--transcript"),
            m_folder.filePath(QStringLiteral("transcript.jsonl"))});
}

QList<QJsonObject> ScriptedSmtpServer::entries() const
{
    QFile file(m_folder.filePath(QStringLiteral("transcript.jsonl")));
    QList<QJsonObject> entries;
    if (!file.open(QIODevice::ReadOnly))
        return entries;
    // A line still being written has no line end yet and is left for the next read.
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (qsizetype i = 0; i + 1 < lines.size(); ++i)
        entries.append(QJsonDocument::fromJson(lines.at(i)).object());
    return entries;
}

bool ScriptedSmtpServer::waitUntilIdle(std::chrono::milliseconds limit) const
{
    const QDeadlineTimer deadline(limit);
    for (;;) {
        int open = 0;
        for (const QJsonObject& entry : entries()) {
            const QString event = entry.value(QStringLiteral("event")).toString();
            open += event == QStringLiteral("opened") ? 1 : event == QStringLiteral("closed") ? -1 : 0;
        }
        if (open == 0)
            return true;
        if (deadline.hasExpired())
            return false;
        QThread::msleep(10);
    }
}

QList<ScriptedSmtpServer::Line> ScriptedSmtpServer::transcript() const
{
    QList<Line> lines;
    for (const QJsonObject& entry : entries()) {
        if (!entry.contains(QStringLiteral("line")))
            continue;
        lines.append(
            {entry.value(QStringLiteral("connection")).toInt(), entry.value(QStringLiteral("tls")).toBool(),
                entry.value(QStringLiteral("line")).toString().toLatin1()});
    }
    return lines;
}

QStringList ScriptedSmtpServer::commands() const
{
    QStringList commands;
    for (const Line& line : transcript())
        commands.append(QString::fromLatin1(line.text.split(' ').constFirst()).toUpper());
    return commands;
}

QList<QByteArray> ScriptedSmtpServer::messages() const
{
    QList<QByteArray> messages;
    for (const QJsonObject& entry : entries()) {
        if (entry.contains(QStringLiteral("message")))
            messages.append(
                QByteArray::fromBase64(entry.value(QStringLiteral("message")).toString().toLatin1()));
    }
    return messages;
}

int ScriptedSmtpServer::connections() const
{
    int count = 0;
    for (const QJsonObject& entry : entries())
        count += entry.value(QStringLiteral("event")).toString() == QStringLiteral("opened") ? 1 : 0;
    return count;
}
