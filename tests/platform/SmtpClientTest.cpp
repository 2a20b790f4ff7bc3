// The SMTP session against a scripted server, for what a real server will not do: refuse EHLO, leave
// STARTTLS out, inject plain text after the 220 to STARTTLS, leave QUIT unanswered, never answer,
// authenticate with CRAM-MD5 or XOAUTH2, answer with many lines or odd bytes.
#include "platform/SmtpClient.h"

#include "QtPrinters.h"
#include "ScriptedSmtpServer.h"
#include "TestCertificates.h"
#include "platform/MailAddress.h"
#include "platform/SmtpError.h"
#include "platform/SmtpMail.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

using platform::InvalidAddressError;
using platform::SmtpClient;
using platform::SmtpError;
using platform::SmtpMail;

namespace {

const QString user = QStringLiteral("remetente@oficina.test");
const QString password = QStringLiteral("s3nh@ secreta");

QJsonArray lines(std::initializer_list<const char*> texts)
{
    QJsonArray array;
    for (const char* text : texts)
        array.append(QString::fromUtf8(text));
    return array;
}

// A script with the test certificates and the account, plus `extra`.
QJsonObject script(const QJsonObject& extra = {})
{
    QJsonObject object {{QStringLiteral("cert"), TestCertificates::shared().server().certificate},
        {QStringLiteral("key"), TestCertificates::shared().server().key}, {QStringLiteral("user"), user},
        {QStringLiteral("password"), password}};
    for (auto it = extra.begin(); it != extra.end(); ++it)
        object.insert(it.key(), it.value());
    return object;
}

SmtpMail letterFor(const ScriptedSmtpServer& server)
{
    SmtpMail mail;
    mail.Host = server.host();
    mail.Port = QString::number(server.port());
    mail.Username = user;
    mail.Password = password;
    mail.SetTLS = true;
    mail.TimeOut = 10;
    mail.From = user;
    mail.FromName = QStringLiteral("Oficina Central");
    mail.AddAddress(QStringLiteral("cliente@exemplo.test"));
    mail.AddAddress(user, QStringLiteral("COPIA DE EMAIL"));
    mail.Subject = QStringLiteral("Revisão");
    mail.AltBody = {QStringLiteral("Prezado cliente,"), QStringLiteral("até breve.")};
    mail.setCaCertificates(TestCertificates::shared().caCertificates());
    return mail;
}

std::optional<QString> sendError(SmtpMail& mail)
{
    try {
        mail.Send(false);
        return std::nullopt;
    } catch (const SmtpError& error) {
        // Neither the message nor the diagnostics may carry the credentials in any form.
        const QByteArray plain = '\0' + user.toUtf8() + '\0' + password.toUtf8();
        for (const QString& text : {error.message(), error.detail()}) {
            EXPECT_FALSE(text.contains(password)) << text.toStdString();
            EXPECT_FALSE(text.contains(QString::fromLatin1(password.toUtf8().toBase64())))
                << text.toStdString();
            EXPECT_FALSE(text.contains(QString::fromLatin1(plain.toBase64()))) << text.toStdString();
        }
        return error.message();
    }
}

class SmtpClientScripted : public testing::Test {
protected:
    ScriptedSmtpServer& start(const QJsonObject& extra = {})
    {
        m_server.emplace(script(extra));
        return *m_server;
    }
    // What the server saw, once every connection has ended.
    QStringList commands()
    {
        EXPECT_TRUE(m_server->waitUntilIdle());
        return m_server->commands();
    }

    std::optional<ScriptedSmtpServer> m_server;
};

TEST_F(SmtpClientScripted, RefusedEhloFallsBackToHeloWithoutExtensions)
{
    ScriptedSmtpServer& server = start({{QStringLiteral("ehlo"), lines({"STARTTLS", "AUTH PLAIN"})},
        {QStringLiteral("replies"),
            QJsonObject {
                {QStringLiteral("EHLO"), QStringLiteral("502 5.5.2 Error: command not recognized")}}}});
    SmtpMail mail = letterFor(server);
    EXPECT_EQ(sendError(mail), std::nullopt);
    // HELO offers no extensions: neither STARTTLS nor AUTH is tried.
    EXPECT_EQ(commands(),
        (QStringList {QStringLiteral("EHLO"), QStringLiteral("HELO"), QStringLiteral("MAIL"),
            QStringLiteral("RCPT"), QStringLiteral("RCPT"), QStringLiteral("DATA"), QStringLiteral("QUIT")}));
    EXPECT_EQ(server.messages().size(), 1);
}

TEST_F(SmtpClientScripted, NoStartTlsListedGoesOnUnencrypted)
{
    ScriptedSmtpServer& server = start({{QStringLiteral("ehlo"), lines({"PIPELINING", "AUTH PLAIN"})}});
    SmtpMail mail = letterFor(server);
    EXPECT_EQ(sendError(mail), std::nullopt);
    EXPECT_EQ(commands(),
        (QStringList {QStringLiteral("EHLO"), QStringLiteral("AUTH"), QStringLiteral("MAIL"),
            QStringLiteral("RCPT"), QStringLiteral("RCPT"), QStringLiteral("DATA"), QStringLiteral("QUIT")}));
    for (const ScriptedSmtpServer::Line& line : server.transcript())
        EXPECT_FALSE(line.tls);
    ASSERT_EQ(server.messages().size(), 1);
    // The message ends with its own CR LF, before the terminating dot.
    EXPECT_TRUE(server.messages().constFirst().endsWith("--\r\n"));
}

TEST_F(SmtpClientScripted, StartTlsForgetsTheCapabilitiesOfThePlainSession)
{
    // Before TLS the server claims only LOGIN; over TLS it lists PLAIN. The first list must not count.
    ScriptedSmtpServer& server = start({{QStringLiteral("ehlo"), lines({"STARTTLS", "AUTH LOGIN"})},
        {QStringLiteral("ehlo_tls"), lines({"AUTH PLAIN"})}, {QStringLiteral("auth_required"), true}});
    SmtpMail mail = letterFor(server);
    EXPECT_EQ(sendError(mail), std::nullopt);
    const QStringList seen = commands();
    EXPECT_EQ(seen,
        (QStringList {QStringLiteral("EHLO"), QStringLiteral("STARTTLS"), QStringLiteral("EHLO"),
            QStringLiteral("AUTH"), QStringLiteral("MAIL"), QStringLiteral("RCPT"), QStringLiteral("RCPT"),
            QStringLiteral("DATA"), QStringLiteral("QUIT")}));
    const QList<ScriptedSmtpServer::Line> transcript = server.transcript();
    ASSERT_EQ(transcript.size(), seen.size());
    for (qsizetype i = 0; i < transcript.size(); ++i)
        EXPECT_EQ(transcript.at(i).tls, i >= 2) << transcript.at(i).text.constData();
    EXPECT_TRUE(transcript.at(3).text.startsWith("AUTH PLAIN "));
}

TEST_F(SmtpClientScripted, SslAndTlsBothOnMeansImplicitTlsWithoutStartTls)
{
    ScriptedSmtpServer& server = start({{QStringLiteral("tls"), QStringLiteral("implicit")},
        {QStringLiteral("ehlo"), lines({"STARTTLS", "AUTH PLAIN"})}});
    SmtpMail mail = letterFor(server);
    mail.SetSSL = true;
    EXPECT_EQ(sendError(mail), std::nullopt);
    EXPECT_FALSE(commands().contains(QStringLiteral("STARTTLS")));
    for (const ScriptedSmtpServer::Line& line : server.transcript())
        EXPECT_TRUE(line.tls);
}

// Plain text sent by someone on the line right after the 220 to STARTTLS must never be read as the
// first reply over TLS: the session ends before the handshake, and no credentials leave.
TEST_F(SmtpClientScripted, PlainTextAfterStartTlsEndsTheSession)
{
    ScriptedSmtpServer& server = start({{QStringLiteral("ehlo"), lines({"STARTTLS", "AUTH PLAIN"})},
        {QStringLiteral("starttls_inject"), QStringLiteral("250-smtp.test\r\n250 AUTH PLAIN\r\n")}});
    SmtpMail mail = letterFor(server);
    const std::optional<QString> error = sendError(mail);
    ASSERT_TRUE(error);
    EXPECT_EQ(
        *error, QStringLiteral("SMTP Error: Unable to Login.\r\nData received before the TLS handshake"));
    EXPECT_EQ(commands(), (QStringList {QStringLiteral("EHLO"), QStringLiteral("STARTTLS")}));
    EXPECT_TRUE(server.messages().isEmpty());
}

struct QuitCase {
    const char* name;
    const char* reply;
    const char* warning;
};

void PrintTo(const QuitCase& row, std::ostream* out)
{
    *out << row.name;
}

class SmtpClientQuit : public SmtpClientScripted, public testing::WithParamInterface<QuitCase> { };

// Once the server has taken the message it is delivered, whatever becomes of QUIT: a failure here
// would make the next run send the letter again.
TEST_P(SmtpClientQuit, UnansweredQuitStillDelivers)
{
    ScriptedSmtpServer& server = start({{QStringLiteral("replies"),
        QJsonObject {{QStringLiteral("QUIT"), QString::fromUtf8(GetParam().reply)}}}});
    SmtpMail mail = letterFor(server);
    mail.TimeOut = 1;
    EXPECT_EQ(sendError(mail), std::nullopt);
    EXPECT_EQ(mail.lastWarning(), QString::fromUtf8(GetParam().warning));
    EXPECT_EQ(server.messages().size(), 1);
}

INSTANTIATE_TEST_SUITE_P(Replies, SmtpClientQuit,
    testing::Values(QuitCase {"Refused", "500 5.5.1 Command unrecognized",
                        "SMTP Error: Unable to Logout.\r\n500 5.5.1 Command unrecognized"},
        QuitCase {"ConnectionClosed", "<close>", "SMTP Error: Unable to Logout.\r\n"},
        QuitCase {"NoReply", "<stall>", "SMTP Error: Unable to Logout.\r\n"},
        QuitCase {"Answered", "221 2.0.0 Bye", ""}),
    [](const testing::TestParamInfo<QuitCase>& row) { return std::string(row.param.name); });

struct SilenceCase {
    const char* name;
    const char* step; // the reply that never comes
    const char* reply;
    bool implicitTls;
    const char* expected;
};

void PrintTo(const SilenceCase& row, std::ostream* out)
{
    *out << row.name;
}

class SmtpClientSilence : public SmtpClientScripted, public testing::WithParamInterface<SilenceCase> { };

// A server that stops answering, or hangs up, fails the step it was in within TimeOut, with nothing
// after the CR LF: no reply came.
TEST_P(SmtpClientSilence, FailsTheStepWithinTheTimeOut)
{
    const SilenceCase& row = GetParam();
    ScriptedSmtpServer& server = start({{QStringLiteral("ehlo"), lines({"AUTH PLAIN"})},
        {QStringLiteral("replies"),
            QJsonObject {{QString::fromUtf8(row.step), QString::fromUtf8(row.reply)}}}});
    SmtpMail mail = letterFor(server);
    mail.TimeOut = 1;
    mail.SetSSL = row.implicitTls;
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(sendError(mail), QString::fromUtf8(row.expected));
    EXPECT_LT(timer.elapsed(), 4000);
    if (QByteArray(row.reply) == "<stall>") {
        EXPECT_GE(timer.elapsed(), 900);
    }
    // Silence after the final dot leaves the message with the server, but not known as delivered.
    EXPECT_EQ(server.messages().size(), QByteArray(row.step) == "MESSAGE" ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Steps, SmtpClientSilence,
    testing::Values(
        SilenceCase {"Greeting", "GREETING", "<stall>", false, "SMTP Error: Unable to Login.\r\n"},
        SilenceCase {"Ehlo", "EHLO", "<stall>", false, "SMTP Error: Unable to Login.\r\n"},
        SilenceCase {"Auth", "AUTH", "<stall>", false, "SMTP Error: Unable to Login.\r\n"},
        SilenceCase {"TlsHandshake", "GREETING", "<stall>", true, "SMTP Error: Unable to Login.\r\n"},
        SilenceCase {"MailFrom", "MAIL", "<stall>", false, "SMTP Error: Unable to send MailFrom.\r\n"},
        SilenceCase {"RcptTo", "RCPT", "<stall>", false, "SMTP Error: Unable to send MailTo.\r\n"},
        SilenceCase {"Data", "DATA", "<stall>", false, "SMTP Error: Unable to send Mail data.\r\n"},
        SilenceCase {"Message", "MESSAGE", "<stall>", false, "SMTP Error: Unable to send Mail data.\r\n"},
        SilenceCase {"ClosedAtGreeting", "GREETING", "<close>", false, "SMTP Error: Unable to Login.\r\n"},
        SilenceCase {
            "ClosedAtMailFrom", "MAIL", "<close>", false, "SMTP Error: Unable to send MailFrom.\r\n"},
        SilenceCase {
            "ClosedAtMessage", "MESSAGE", "<close>", false, "SMTP Error: Unable to send Mail data.\r\n"}),
    [](const testing::TestParamInfo<SilenceCase>& row) { return std::string(row.param.name); });

struct ReplyCase {
    const char* name;
    QJsonObject script;
    const char* expected;
};

void PrintTo(const ReplyCase& row, std::ostream* out)
{
    *out << row.name;
}

class SmtpClientReplies : public SmtpClientScripted, public testing::WithParamInterface<ReplyCase> { };

// The message carries the last line of the refusing reply, with control characters removed.
TEST_P(SmtpClientReplies, RefusalShowsTheLastReplyLine)
{
    const ReplyCase& row = GetParam();
    ScriptedSmtpServer& server = start(row.script);
    SmtpMail mail = letterFor(server);
    const std::optional<QString> error = sendError(mail);
    ASSERT_TRUE(error);
    EXPECT_EQ(*error, QString::fromUtf8(row.expected));
    EXPECT_TRUE(server.messages().isEmpty());
}

QJsonObject replying(
    std::initializer_list<std::pair<const char*, const char*>> replies, const char* ehlo = nullptr)
{
    QJsonObject object;
    for (const auto& [step, reply] : replies)
        object.insert(QString::fromUtf8(step), QString::fromUtf8(reply));
    QJsonObject result {{QStringLiteral("replies"), object}};
    if (ehlo)
        result.insert(QStringLiteral("ehlo"), QJsonArray {QString::fromUtf8(ehlo)});
    return result;
}

INSTANTIATE_TEST_SUITE_P(Replies, SmtpClientReplies,
    testing::Values(ReplyCase {"GreetingRefused", replying({{"GREETING", "554 5.3.2 Too busy"}}),
                        "SMTP Error: Unable to Login.\r\n554 5.3.2 Too busy"},
        ReplyCase {"EhloAndHeloRefused",
            replying({{"EHLO", "500 5.5.1 What?"}, {"HELO", "550 5.7.1 Go away"}}),
            "SMTP Error: Unable to Login.\r\n550 5.7.1 Go away"},
        ReplyCase {"MultiLineRefusal",
            replying({{"RCPT",
                "550-5.1.1 The mailbox does not exist.\r\n550-5.1.1 Please check it\r\n550 5.1.1 and try "
                "again"}}),
            "SMTP Error: Unable to send MailTo.\r\n550 5.1.1 and try again"},
        ReplyCase {"ControlCharacters",
            replying({{"MAIL", "553 5.1.8 Bad\x1b[2J\x07 sender\x7f\xc2\x85\xe2\x80\xa8 x"}}),
            "SMTP Error: Unable to send MailFrom.\r\n553 5.1.8 Bad[2J sender x"},
        ReplyCase {"MismatchedCodes", replying({{"EHLO", "250-smtp.test\r\n251 oops"}}),
            "SMTP Error: Unable to Login.\r\n"},
        ReplyCase {"NoCode", replying({{"MAIL", "OK then"}}), "SMTP Error: Unable to send MailFrom.\r\n"},
        ReplyCase {"StartTlsRefused",
            replying({{"STARTTLS", "454 4.7.0 TLS not available due to temporary reason"}}, "STARTTLS"),
            "SMTP Error: Unable to Login.\r\n454 4.7.0 TLS not available due to temporary reason"},
        ReplyCase {"StartTlsClosed", replying({{"STARTTLS", "<close>"}}, "STARTTLS"),
            "SMTP Error: Unable to Login.\r\n"},
        ReplyCase {"DataRefused", replying({{"DATA", "554 5.5.1 No valid recipients"}}),
            "SMTP Error: Unable to send Mail data.\r\n554 5.5.1 No valid recipients"}),
    [](const testing::TestParamInfo<ReplyCase>& row) { return std::string(row.param.name); });

TEST_F(SmtpClientScripted, LongMultiLineRepliesAreRead)
{
    QJsonArray capabilities;
    for (int i = 0; i < 150; ++i)
        capabilities.append(QString(QStringLiteral("X-EXTENSION-%1 ").arg(i) + QString(300, u'x')));
    capabilities.append(QStringLiteral("AUTH PLAIN"));
    ScriptedSmtpServer& server = start({{QStringLiteral("ehlo"), capabilities},
        {QStringLiteral("replies"),
            QJsonObject {
                {QStringLiteral("GREETING"), QStringLiteral("220-smtp.test\r\n220-welcome\r\n220 ready")}}},
        {QStringLiteral("auth_required"), true}});
    SmtpMail mail = letterFor(server);
    EXPECT_EQ(sendError(mail), std::nullopt);
    EXPECT_EQ(server.messages().size(), 1);
}

struct AuthCase {
    const char* name;
    const char* auth; // the EHLO line
    QStringList refused; // mechanisms the server refuses
    QStringList tried; // the AUTH lines' mechanisms, in order
    bool delivered;
};

void PrintTo(const AuthCase& row, std::ostream* out)
{
    *out << row.name;
}

class SmtpClientAuth : public SmtpClientScripted, public testing::WithParamInterface<AuthCase> { };

// PLAIN, LOGIN, CRAM-MD5 and XOAUTH2, in that order among those listed, until one succeeds; a refusal
// is no error by itself, and a server that insists on AUTH then refuses MAIL FROM.
TEST_P(SmtpClientAuth, TriesTheListedMechanismsInOrder)
{
    const AuthCase& row = GetParam();
    // The refusal repeats the credentials: it must not reach the message (see sendError).
    const QString echo
        = QString::fromLatin1(QByteArray('\0' + user.toUtf8() + '\0' + password.toUtf8()).toBase64());
    ScriptedSmtpServer& server = start({{QStringLiteral("ehlo"), QJsonArray {QString::fromUtf8(row.auth)}},
        {QStringLiteral("refuse_mechanisms"), QJsonArray::fromStringList(row.refused)},
        {QStringLiteral("auth_refusal"),
            QString(QStringLiteral("535 5.7.8 Bad credentials ") + echo + u' ' + password)},
        {QStringLiteral("auth_required"), true}});
    SmtpMail mail = letterFor(server);
    const std::optional<QString> error = sendError(mail);
    if (row.delivered)
        EXPECT_EQ(error, std::nullopt);
    else
        EXPECT_EQ(error,
            QStringLiteral("SMTP Error: Unable to send MailFrom.\r\n530 5.7.0 Authentication required"));

    EXPECT_TRUE(server.waitUntilIdle());
    QStringList tried;
    for (const ScriptedSmtpServer::Line& line : server.transcript()) {
        if (line.text.startsWith("AUTH "))
            tried.append(QString::fromLatin1(line.text.split(' ').at(1)));
    }
    EXPECT_EQ(tried, row.tried);
    EXPECT_EQ(server.messages().size(), row.delivered ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Mechanisms, SmtpClientAuth,
    testing::Values(
        AuthCase {"AllListed", "AUTH XOAUTH2 CRAM-MD5 LOGIN PLAIN", {}, {QStringLiteral("PLAIN")}, true},
        AuthCase {"Login", "AUTH LOGIN", {}, {QStringLiteral("LOGIN")}, true},
        AuthCase {"CramMd5", "AUTH CRAM-MD5", {}, {QStringLiteral("CRAM-MD5")}, true},
        AuthCase {"XOAuth2", "AUTH XOAUTH2", {}, {QStringLiteral("XOAUTH2")}, true},
        AuthCase {"LowerCaseAndOldStyle", "AUTH=cram-md5 login", {}, {QStringLiteral("LOGIN")}, true},
        AuthCase {
            "UnknownMechanismsIgnored", "AUTH GSSAPI NTLM CRAM-MD5", {}, {QStringLiteral("CRAM-MD5")}, true},
        AuthCase {"PlainRefusedLoginWorks", "AUTH PLAIN LOGIN", {QStringLiteral("PLAIN")},
            {QStringLiteral("PLAIN"), QStringLiteral("LOGIN")}, true},
        AuthCase {"OnlyXOAuth2Works", "AUTH PLAIN LOGIN CRAM-MD5 XOAUTH2",
            {QStringLiteral("PLAIN"), QStringLiteral("LOGIN"), QStringLiteral("CRAM-MD5")},
            {QStringLiteral("PLAIN"), QStringLiteral("LOGIN"), QStringLiteral("CRAM-MD5"),
                QStringLiteral("XOAUTH2")},
            true},
        AuthCase {"AllRefused", "AUTH PLAIN LOGIN CRAM-MD5 XOAUTH2",
            {QStringLiteral("PLAIN"), QStringLiteral("LOGIN"), QStringLiteral("CRAM-MD5"),
                QStringLiteral("XOAUTH2")},
            {QStringLiteral("PLAIN"), QStringLiteral("LOGIN"), QStringLiteral("CRAM-MD5"),
                QStringLiteral("XOAUTH2")},
            false},
        AuthCase {"NoneUsable", "AUTH GSSAPI", {}, {}, false}),
    [](const testing::TestParamInfo<AuthCase>& row) { return std::string(row.param.name); });

TEST_F(SmtpClientScripted, WrongPasswordFailsEveryMechanism)
{
    ScriptedSmtpServer& server = start({{QStringLiteral("ehlo"), lines({"AUTH CRAM-MD5 XOAUTH2"})},
        {QStringLiteral("auth_required"), true}});
    SmtpMail mail = letterFor(server);
    mail.Password = QStringLiteral("errada");
    EXPECT_EQ(sendError(mail),
        QStringLiteral("SMTP Error: Unable to send MailFrom.\r\n530 5.7.0 Authentication required"));
}

TEST_F(SmtpClientScripted, NoAuthWithoutCredentials)
{
    ScriptedSmtpServer& server = start({{QStringLiteral("ehlo"), lines({"AUTH PLAIN LOGIN"})}});
    SmtpMail mail = letterFor(server);
    mail.Username.clear();
    mail.Password.clear();
    EXPECT_EQ(sendError(mail), std::nullopt);
    EXPECT_FALSE(commands().contains(QStringLiteral("AUTH")));
}

struct AttemptCase {
    const char* name;
    const char* step;
    QStringList replies;
    int attempts;
    const char* expected; // empty when delivered
    int connections;
};

void PrintTo(const AttemptCase& row, std::ostream* out)
{
    *out << row.name;
}

class SmtpClientAttempts : public SmtpClientScripted, public testing::WithParamInterface<AttemptCase> { };

TEST_P(SmtpClientAttempts, EachStepIsTriedAttemptsTimes)
{
    const AttemptCase& row = GetParam();
    ScriptedSmtpServer& server = start({{QStringLiteral("replies"),
        QJsonObject {{QString::fromUtf8(row.step), QJsonArray::fromStringList(row.replies)}}}});
    SmtpMail mail = letterFor(server);
    mail.Attempts = row.attempts;
    const std::optional<QString> error = sendError(mail);
    if (row.expected[0] == 0)
        EXPECT_EQ(error, std::nullopt);
    else
        EXPECT_EQ(error, QString::fromUtf8(row.expected));
    EXPECT_TRUE(server.waitUntilIdle());
    EXPECT_EQ(server.connections(), row.connections);
    // Offered once, even when it was refused.
    EXPECT_EQ(server.messages().size(), row.expected[0] == 0 || QByteArray(row.step) == "MESSAGE" ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Steps, SmtpClientAttempts,
    testing::Values(AttemptCase {"MailFromOnce", "MAIL",
                        {QStringLiteral("451 4.3.0 Try again"), QStringLiteral("250 Ok")}, 1,
                        "SMTP Error: Unable to send MailFrom.\r\n451 4.3.0 Try again", 1},
        AttemptCase {"MailFromTwice", "MAIL",
            {QStringLiteral("451 4.3.0 Try again"), QStringLiteral("250 Ok")}, 2, "", 1},
        AttemptCase {
            "RcptToTwice", "RCPT", {QStringLiteral("450 4.2.0 Busy"), QStringLiteral("250 Ok")}, 2, "", 1},
        AttemptCase {"LoginOnNewConnection", "GREETING",
            {QStringLiteral("421 4.3.2 Busy"), QStringLiteral("220 Ready")}, 2, "", 2},
        AttemptCase {"LoginGivesUp", "GREETING", {QStringLiteral("421 4.3.2 Busy")}, 3,
            "SMTP Error: Unable to Login.\r\n421 4.3.2 Busy", 3},
        // The message is offered once: a server that refused it has dropped the transaction.
        AttemptCase {"MessageOnce", "MESSAGE",
            {QStringLiteral("451 4.3.0 Queue full"), QStringLiteral("250 Ok")}, 3,
            "SMTP Error: Unable to send Mail data.\r\n451 4.3.0 Queue full", 1}),
    [](const testing::TestParamInfo<AttemptCase>& row) { return std::string(row.param.name); });

// An unsafe sender is refused while the message is assembled: not a byte reaches the server.
TEST_F(SmtpClientScripted, UnsafeSenderIsRefusedBeforeConnecting)
{
    ScriptedSmtpServer& server = start();
    SmtpMail mail = letterFor(server);
    mail.From = QStringLiteral("remetente@oficina.test>\r\nRCPT TO:<intruso@fora.test");
    EXPECT_THROW(mail.Send(false), InvalidAddressError);
    EXPECT_EQ(server.connections(), 0);
}

TEST_F(SmtpClientScripted, ClientReportsTheSessionItHeld)
{
    ScriptedSmtpServer& server = start({{QStringLiteral("ehlo"), lines({"STARTTLS", "PIPELINING"})},
        {QStringLiteral("ehlo_tls"),
            lines({"PIPELINING", "AUTH=LOGIN", "AUTH CRAM-MD5 PLAIN", "SIZE 1000000"})}});
    SmtpClient::Options options;
    options.host = server.host();
    options.port = server.port();
    options.startTls = true;
    options.username = user;
    options.password = password;
    options.replyTimeout = std::chrono::seconds(10);
    options.caCertificates = TestCertificates::shared().caCertificates();
    options.heloName = "client.test";
    SmtpClient client(options);
    const std::optional<SmtpError> logout = client.send("remetente@oficina.test", {"cliente@exemplo.test"},
        "Subject: x\r\n\r\n.begins with a dot\r\n..two\r\n.\r\n");
    EXPECT_FALSE(logout);
    EXPECT_TRUE(client.wasEncrypted());
    EXPECT_EQ(client.authenticatedWith(), "PLAIN");
    EXPECT_EQ(client.authMechanisms(), (QList<QByteArray> {"LOGIN", "CRAM-MD5", "PLAIN"}));
    EXPECT_TRUE(client.capabilities().contains("SIZE"));
    EXPECT_FALSE(client.capabilities().contains("STARTTLS"));
    EXPECT_TRUE(server.waitUntilIdle());
    EXPECT_EQ(server.transcript().constFirst().text, "EHLO client.test");
    // Lines that begin with a dot are stuffed on the wire and come back whole.
    ASSERT_EQ(server.messages().size(), 1);
    EXPECT_EQ(server.messages().constFirst(), "Subject: x\r\n\r\n.begins with a dot\r\n..two\r\n.\r\n");
}

TEST(SmtpClientCramMd5, MatchesTheRfcExample)
{
    // RFC 2195, 2.
    EXPECT_EQ(
        SmtpClient::cramMd5Response("tim", "tanstaaftanstaaf", "<1896.697170952@postoffice.reston.mci.net>"),
        "tim b913a602c7eda7a495b4e6e7334d3890");
}

} // namespace
