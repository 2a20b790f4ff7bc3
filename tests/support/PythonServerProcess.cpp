#include "PythonServerProcess.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>

#include <algorithm>
#include <signal.h>
#include <stdexcept>
#include <sys/prctl.h>
#include <unistd.h>

#ifndef REMETRON_SMTP_SCRIPTS_DIR
#error "REMETRON_SMTP_SCRIPTS_DIR must name the folder of the server scripts"
#endif

namespace {

// Debian's interpreter on purpose: the first python3 on PATH may lack Debian's modules.
const QString python = QStringLiteral("/usr/bin/python3");
constexpr int closeLimitMs = 3000;
constexpr int termLimitMs = 3000;
constexpr int killLimitMs = 3000;

} // namespace

PythonServerProcess::PythonServerProcess(
    const QString& script, const QStringList& arguments, std::chrono::milliseconds startLimit)
    : m_process(std::make_unique<QProcess>())
{
    if (!m_logDir.isValid())
        throw std::runtime_error("PythonServerProcess: no temporary folder");
    m_process->setProgram(python);
    m_process->setArguments(QStringList {scriptFolder() + QLatin1Char('/') + script} + arguments);
    // Errors to a file: a pipe nobody reads could fill up and stall the server.
    m_process->setStandardErrorFile(m_logDir.filePath(QStringLiteral("stderr.log")));
    m_process->setChildProcessModifier([] {
        // The server dies with the test process, even when that is killed.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    });
    m_process->start(QIODevice::ReadWrite);
    if (!m_process->waitForStarted(static_cast<int>(startLimit.count())))
        throw std::runtime_error("PythonServerProcess: cannot start " + python.toStdString() + ": "
            + m_process->errorString().toStdString());

    const QDeadlineTimer deadline(startLimit);
    QByteArray output;
    while (!output.contains('\n')) {
        if (m_process->state() != QProcess::Running || deadline.hasExpired()) {
            const std::string why = m_process->state() != QProcess::Running ? "ended" : "not ready in time";
            stop();
            throw std::runtime_error("PythonServerProcess: " + script.toStdString() + " " + why + ":\n"
                + errorOutput().right(3000).toStdString());
        }
        m_process->waitForReadyRead(static_cast<int>(std::min<qint64>(deadline.remainingTime(), 200)));
        output += m_process->readAllStandardOutput();
    }
    const QByteArray line = output.left(output.indexOf('\n')).trimmed();
    bool valid = false;
    const uint port = line.startsWith("READY ") ? line.mid(6).toUInt(&valid) : 0;
    if (!valid || port == 0 || port > 65535) {
        stop();
        throw std::runtime_error("PythonServerProcess: unexpected first line from " + script.toStdString()
            + ": " + line.toStdString());
    }
    m_port = static_cast<quint16>(port);
}

PythonServerProcess::~PythonServerProcess()
{
    stop();
}

void PythonServerProcess::stop()
{
    if (!m_process || m_process->state() == QProcess::NotRunning)
        return;
    m_process->closeWriteChannel();
    if (m_process->waitForFinished(closeLimitMs))
        return;
    m_process->terminate();
    if (m_process->waitForFinished(termLimitMs))
        return;
    m_process->kill();
    m_process->waitForFinished(killLimitMs);
}

QString PythonServerProcess::errorOutput() const
{
    QFile file(m_logDir.filePath(QStringLiteral("stderr.log")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

QString PythonServerProcess::scriptFolder()
{
    return QStringLiteral(REMETRON_SMTP_SCRIPTS_DIR);
}
