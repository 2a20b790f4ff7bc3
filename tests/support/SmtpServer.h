#pragma once

#include "PythonServerProcess.h"
#include "TestCertificates.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// A private aiosmtpd server (tests/support/smtp_server.py) on a free port of 127.0.0.1, for the tests,
// the end-to-end runs and the benchmark. Every message it accepts is saved with its envelope, and
// messages() reads them back.
//
// The constructor returns once the server accepts connections, or throws std::runtime_error (with the
// server's error output) after a limit. The destructor stops the server, whatever state it is in.
class SmtpServer {
public:
    enum class Mode {
        StartTls, // STARTTLS required first; AUTH required, offered over TLS only
        ImplicitTls, // TLS from the first byte; AUTH required
        Plain, // no TLS; AUTH required only when a user is set
    };

    struct Options {
        Mode mode = Mode::StartTls;
        // The account AUTH accepts; an empty user in Plain mode turns AUTH off.
        QString user = QStringLiteral("remetente@oficina.test");
        QString password = QStringLiteral("s3nh@ secreta");
        // The AUTH mechanisms offered, of PLAIN and LOGIN.
        QStringList mechanisms {QStringLiteral("PLAIN"), QStringLiteral("LOGIN")};
        // RCPT TO these addresses gets 550.
        QStringList refusedRecipients;
        // Every message gets 554 after its final dot.
        bool refuseData = false;
        // What the server presents; empty for TestCertificates::shared().server().
        TestCertificates::KeyPair certificate;
    };

    // One accepted message.
    struct Message {
        QString mailFrom;
        QStringList rcptTos;
        bool tls = false;
        QString tlsVersion;
        QString authMechanism; // empty when the session did not authenticate
        QString authLogin;
        QString helo; // the EHLO/HELO argument
        QByteArray content; // the message as received, dot-stuffing undone
        QString path; // the saved .eml file
    };

    explicit SmtpServer(Options options);
    SmtpServer()
        : SmtpServer(Options {})
    {
    }

    QString host() const { return QStringLiteral("127.0.0.1"); }
    quint16 port() const { return m_process->port(); }
    const Options& options() const { return m_options; }

    // The messages accepted so far, in the order received.
    QList<Message> messages() const;
    // The server's error output, for failure messages.
    QString errorOutput() const { return m_process->errorOutput(); }

private:
    Options m_options;
    QTemporaryDir m_folder;
    std::unique_ptr<PythonServerProcess> m_process;
};
