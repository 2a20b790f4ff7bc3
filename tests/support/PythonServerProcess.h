#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <chrono>
#include <memory>

class QProcess;

// A server script of ours run with Debian's Python (/usr/bin/python3: the one that sees aiosmtpd) on
// a free port of 127.0.0.1 that the script picks itself and announces by printing "READY <port>".
//
// The constructor returns once the script is ready, or throws std::runtime_error (with the end of the
// script's error output) when it ended first or after startLimit. The destructor stops the script:
// it closes its stdin (which ends it), then sends SIGTERM and finally SIGKILL, each after a limit. The
// script also gets SIGKILL when the test process dies, however that happens.
class PythonServerProcess {
public:
    PythonServerProcess(const QString& script, const QStringList& arguments,
        std::chrono::milliseconds startLimit = std::chrono::seconds(30));
    ~PythonServerProcess();
    PythonServerProcess(const PythonServerProcess&) = delete;
    PythonServerProcess& operator=(const PythonServerProcess&) = delete;

    quint16 port() const { return m_port; }
    // What the script wrote to stderr so far, for failure messages.
    QString errorOutput() const;
    // Stops the script as the destructor does; idempotent.
    void stop();

    // The folder of the support scripts (smtp_server.py and its kin).
    static QString scriptFolder();

private:
    QTemporaryDir m_logDir;
    std::unique_ptr<QProcess> m_process;
    quint16 m_port = 0;
};
