#pragma once

#include "PythonServerProcess.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <chrono>
#include <memory>

// A small SMTP server of the tests' own (tests/support/smtp_scripted_server.py) for the conversations a
// real server will not hold: refused EHLO, no STARTTLS, plain text after the 220 to STARTTLS, QUIT
// without 221, replies that never come, CRAM-MD5, multi-line and odd replies. The script's keys are
// described in that file. It records every line a client sends, and every message.
//
// The constructor returns once the server listens, or throws std::runtime_error after a limit. The
// destructor stops it, whatever state it is in.
class ScriptedSmtpServer {
public:
    // One line a client sent.
    struct Line {
        int connection = 0; // 1 for the first connection
        bool tls = false; // whether it came over TLS
        QByteArray text; // without its line end
    };

    explicit ScriptedSmtpServer(const QJsonObject& script);

    QString host() const { return QStringLiteral("127.0.0.1"); }
    quint16 port() const { return m_process->port(); }

    // Waits until every connection accepted so far has ended (up to limit) and returns whether they
    // did: what the transcript holds is then complete.
    bool waitUntilIdle(std::chrono::milliseconds limit = std::chrono::seconds(10)) const;

    // What the clients sent so far, in order.
    QList<Line> transcript() const;
    // The first word of each line, upper-cased ("EHLO", "MAIL", ...), over every connection.
    QStringList commands() const;
    // The messages received (dot-stuffing undone), in order.
    QList<QByteArray> messages() const;
    // How many connections were accepted.
    int connections() const;

    QString errorOutput() const { return m_process->errorOutput(); }

private:
    QList<QJsonObject> entries() const;

    QTemporaryDir m_folder;
    std::unique_ptr<PythonServerProcess> m_process;
};
