// Letters per second through the mail component to a local STARTTLS server (aiosmtpd with AUTH, the
// tests' fixture), one SMTP session per letter as the reminder run sends them, beside a baseline client
// (Python's smtplib, one session per letter, the same message, server and run) and their ratio.
//
//   build/<dir>/bench/bench_smtp_send [letters] [rounds]      (defaults 200 and 5)
#include "SmtpServer.h"
#include "TestCertificates.h"
#include "platform/Exception.h"
#include "platform/SmtpMail.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryFile>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <stdexcept>
#include <vector>

#ifndef REMETRON_BENCH_DIR
#error "REMETRON_BENCH_DIR must name the folder of the baseline script"
#endif

namespace {

constexpr int baselineLimitMs = 30 * 60 * 1000;

// A letter as the mail form sets it: sixteen lines, the customer and the copy to the sender.
platform::SmtpMail letterFor(const SmtpServer& server)
{
    platform::SmtpMail mail;
    mail.Host = server.host();
    mail.Port = QString::number(server.port());
    mail.Username = server.options().user;
    mail.Password = server.options().password;
    mail.SetTLS = true;
    mail.ReadingConfirmation = true;
    mail.From = mail.Username;
    mail.FromName = QStringLiteral("Oficina Central");
    mail.AddAddress(QStringLiteral("cliente@exemplo.test"));
    mail.AddAddress(mail.Username, QStringLiteral("COPIA DE EMAIL"));
    mail.Subject = QStringLiteral("Revisão periódica do seu veículo");
    for (int line = 0; line < 16; ++line)
        mail.AltBody.append(
            QStringLiteral("Linha %1 da carta de revisão, com acentuação: ação, é, ç.").arg(line + 1));
    return mail;
}

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double ours(const SmtpServer& server, int letters)
{
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < letters; ++i) {
        // A fresh component per letter, as each letter has its own mail form.
        platform::SmtpMail mail = letterFor(server);
        mail.Send(false);
    }
    return secondsSince(start);
}

// The seconds smtplib takes for `letters` sessions, its start-up and one warm-up letter not counted.
double baseline(const SmtpServer& server, const QString& messageFile, int letters)
{
    QProcess python;
    python.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    python.start(QStringLiteral("/usr/bin/python3"),
        {QStringLiteral(REMETRON_BENCH_DIR "/smtp_baseline.py"), QStringLiteral("--host"), server.host(),
            QStringLiteral("--port"), QString::number(server.port()), QStringLiteral("--user"),
            server.options().user, QStringLiteral("--password"), server.options().password,
            QStringLiteral("--cafile"), TestCertificates::shared().caFile(), QStringLiteral("--message"),
            messageFile, QStringLiteral("--sender"), server.options().user, QStringLiteral("--recipient"),
            QStringLiteral("cliente@exemplo.test"), QStringLiteral("--recipient"), server.options().user,
            QStringLiteral("--letters"), QString::number(letters)});
    if (!python.waitForFinished(baselineLimitMs) || python.exitStatus() != QProcess::NormalExit
        || python.exitCode() != 0) {
        python.kill();
        python.waitForFinished(5000);
        throw std::runtime_error("the baseline client failed");
    }
    return QJsonDocument::fromJson(python.readAllStandardOutput())
        .object()
        .value(QStringLiteral("seconds"))
        .toDouble();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int letters = argc > 1 ? std::atoi(argv[1]) : 200;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
    if (letters <= 0 || rounds <= 0 || letters < rounds) {
        std::fprintf(stderr, "usage: %s [letters (200)] [rounds (5)]\n", argv[0]);
        return 2;
    }
    try {
        const SmtpServer server;
        // Our client finds the private CA where an OpenSSL client would: a CA outside the system's
        // store, the dearer case (each connection's TLS context then holds the whole store).
        qputenv("SSL_CERT_FILE", TestCertificates::shared().caFile().toLocal8Bit());
        qunsetenv("SSL_CERT_DIR");

        QTemporaryFile message;
        const QByteArray bytes = letterFor(server).composeMessage();
        if (!message.open() || message.write(bytes) != bytes.size() || !message.flush())
            throw std::runtime_error("cannot write the baseline's message");

        letterFor(server).Send(false); // warm-up: loads the TLS library and the trust store
        // Rounds alternate between the two clients, so that the load of a shared machine weighs on both.
        double ourSeconds = 0;
        double baselineSeconds = 0;
        std::vector<double> ratios;
        int sent = 0;
        for (int round = 0; round < rounds; ++round) {
            const int share = letters / rounds + (round < letters % rounds ? 1 : 0);
            const double mine = ours(server, share);
            const double theirs = baseline(server, message.fileName(), share);
            ourSeconds += mine;
            baselineSeconds += theirs;
            ratios.push_back(theirs / mine);
            sent += share;
        }
        const qsizetype received = server.messages().size();
        const qsizetype expected = 1 + 2 * sent + rounds; // the warm-ups included
        if (received != expected) {
            std::fprintf(stderr, "the server received %lld messages instead of %lld\n",
                static_cast<long long>(received), static_cast<long long>(expected));
            return 1;
        }
        std::sort(ratios.begin(), ratios.end());
        const double ourRate = sent / ourSeconds;
        const double baselineRate = sent / baselineSeconds;
        std::printf("letters: %d per client, one STARTTLS + AUTH session each, in %d alternating rounds\n",
            sent, rounds);
        std::printf("mail component:  %7.1f letters/s  (%.3f s)\n", ourRate, ourSeconds);
        std::printf("Python smtplib:  %7.1f letters/s  (%.3f s)\n", baselineRate, baselineSeconds);
        std::printf("ratio (component / smtplib): %.2f overall, %.2f median of rounds\n",
            ourRate / baselineRate, ratios.at(ratios.size() / 2));
        return 0;
    } catch (const platform::Exception& error) {
        std::fprintf(stderr, "send failed: %s\n", qPrintable(error.message()));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
    }
    return 1;
}
