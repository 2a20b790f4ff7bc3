// The mail component against a real SMTP server (aiosmtpd, started by the tests), each accepted
// message read back by Python's email package.
#include "platform/SmtpMail.h"

#include "ParsedMail.h"
#include "QtPrinters.h"
#include "SmtpServer.h"
#include "TestCertificates.h"
#include "platform/Clock.h"
#include "platform/MailAddress.h"
#include "platform/SmtpError.h"

#include <QByteArray>
#include <QDateTime>
#include <QElapsedTimer>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <ostream>
#include <string>

using platform::InvalidAddressError;
using platform::SmtpError;
using platform::SmtpMail;

namespace {

// Sets an environment variable (or unsets it, for a null value) while it lives.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const QString& value)
        : m_name(name)
        , m_old(qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt)
    {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value.toLocal8Bit());
    }
    ~ScopedEnvironment()
    {
        if (m_old)
            qputenv(m_name, *m_old);
        else
            qunsetenv(m_name);
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* m_name;
    std::optional<QByteArray> m_old;
};

const QDateTime fixedNow(QDate(2024, 3, 5), QTime(10, 7, 9));

// The sixteen lines of a letter as the page composer renders them: blanks, accents, the euro sign of
// Windows-1252, a line that starts with a dot.
QStringList sixteenLines()
{
    return {QStringLiteral("                                        São Paulo, 5 de março de 2024"),
        QString(), QStringLiteral("Prezado(a) JOSÉ DA CONCEIÇÃO,"), QString(),
        QStringLiteral("Seu veículo VW GOL 1.0 passou por revisão em 01/03/2023."),
        QStringLiteral("Já se passaram mais de 330 dias: é hora de uma nova revisão."),
        QStringLiteral(".Linha que começa com ponto"), QStringLiteral("Orçamento a partir de € 199,90"),
        QString(), QStringLiteral("Agende pelo telefone (11) 5555-0000."), QString(),
        QStringLiteral("Atenciosamente,"), QStringLiteral("Oficina Central Ltda."), QString(),
        QStringLiteral("   "), QStringLiteral("Esta é uma mensagem automática.")};
}

QByteArray sixteenLinesAsSent()
{
    QByteArray text = "\xEF\xBB\xBF";
    for (const QString& line : sixteenLines())
        text += line.toUtf8() + "\r\n";
    return text;
}

// A mail component set as the mail form sets it for one letter to `server`.
SmtpMail letterFor(const SmtpServer& server)
{
    SmtpMail mail;
    mail.Host = server.host();
    mail.Port = QString::number(server.port());
    mail.Username = server.options().user;
    mail.Password = server.options().password;
    mail.SetSSL = server.options().mode == SmtpServer::Mode::ImplicitTls;
    mail.SetTLS = server.options().mode == SmtpServer::Mode::StartTls;
    mail.ReadingConfirmation = true;
    mail.TimeOut = 20;
    mail.From = mail.Username.isEmpty() ? QStringLiteral("oficina@central.test") : mail.Username;
    mail.FromName = QStringLiteral("Oficina Central");
    mail.AddAddress(QStringLiteral("cliente@exemplo.test"));
    mail.AddAddress(mail.From, QStringLiteral("COPIA DE EMAIL"));
    mail.Subject = QStringLiteral("Revisão periódica do seu veículo");
    mail.AltBody = sixteenLines();
    return mail;
}

// The message of what Send raised, or nothing when it returned.
std::optional<QString> sendError(SmtpMail& mail)
{
    try {
        mail.Send(false);
        return std::nullopt;
    } catch (const SmtpError& error) {
        return error.message();
    }
}

class SmtpMailServer : public testing::Test {
protected:
    void SetUp() override
    {
        platform::setClockForTesting([] { return fixedNow; });
    }
    void TearDown() override { platform::setClockForTesting({}); }

    // The private CA, trusted as an OpenSSL client trusts a bundle named in the environment.
    ScopedEnvironment m_caFile {"SSL_CERT_FILE", TestCertificates::shared().caFile()};
    ScopedEnvironment m_caDir {"SSL_CERT_DIR", QString()};
};

struct DeliveryCase {
    const char* name;
    SmtpServer::Mode mode;
    QStringList mechanisms;
    const char* expectedMechanism; // the one that authenticated; empty for none
};

void PrintTo(const DeliveryCase& row, std::ostream* out)
{
    *out << row.name;
}

class SmtpMailDelivery : public SmtpMailServer, public testing::WithParamInterface<DeliveryCase> { };

TEST_P(SmtpMailDelivery, SendsTheLetterAsTheFormComposedIt)
{
    const DeliveryCase& row = GetParam();
    SmtpServer::Options options;
    options.mode = row.mode;
    options.mechanisms = row.mechanisms;
    if (row.mode == SmtpServer::Mode::Plain)
        options.user.clear();
    const SmtpServer server(options);
    SmtpMail mail = letterFor(server);
    ASSERT_EQ(sendError(mail), std::nullopt) << server.errorOutput().toStdString();
    EXPECT_TRUE(mail.lastWarning().isEmpty());

    const QList<SmtpServer::Message> messages = server.messages();
    ASSERT_EQ(messages.size(), 1);
    const SmtpServer::Message& received = messages.constFirst();
    // The envelope: the sender, then one RCPT per To entry in list order, the copy last.
    EXPECT_EQ(received.mailFrom, mail.From);
    EXPECT_EQ(received.rcptTos, (QStringList {QStringLiteral("cliente@exemplo.test"), mail.From}));
    EXPECT_EQ(received.tls, row.mode != SmtpServer::Mode::Plain);
    if (received.tls) {
        EXPECT_TRUE(received.tlsVersion == QStringLiteral("TLSv1.3")
            || received.tlsVersion == QStringLiteral("TLSv1.2"))
            << received.tlsVersion.toStdString();
    }
    EXPECT_EQ(received.authMechanism, QString::fromLatin1(row.expectedMechanism));
    EXPECT_EQ(received.authLogin, row.expectedMechanism[0] ? server.options().user : QString());
    EXPECT_FALSE(received.helo.isEmpty());

    const ParsedMail parsed = ParsedMail::parse(received.content);
    EXPECT_TRUE(parsed.defects.isEmpty()) << parsed.defects.join(u' ').toStdString();
    EXPECT_EQ(
        parsed.rawHeader(QStringLiteral("From")), QStringLiteral("\"Oficina Central\" <") + mail.From + u'>');
    EXPECT_EQ(parsed.rawHeader(QStringLiteral("Disposition-Notification-To")),
        parsed.rawHeader(QStringLiteral("From")));
    EXPECT_EQ(parsed.to,
        (QList<ParsedMail::Mailbox> {{QString(), QStringLiteral("cliente@exemplo.test")},
            {QStringLiteral("COPIA DE EMAIL"), mail.From}}));
    EXPECT_EQ(parsed.header(QStringLiteral("Subject")), mail.Subject);
    EXPECT_EQ(QDateTime::fromString(parsed.date, Qt::ISODate), fixedNow) << parsed.date.toStdString();
    EXPECT_EQ(parsed.header(QStringLiteral("MIME-Version")), QStringLiteral("1.0"));
    EXPECT_TRUE(
        parsed.header(QStringLiteral("Message-ID")).endsWith(u'@' + mail.From.section(u'@', 1) + u'>'));
    EXPECT_EQ(parsed.contentType, QStringLiteral("multipart/mixed"));
    ASSERT_EQ(parsed.parts.size(), 1);
    EXPECT_EQ(parsed.parts.constFirst().contentType, QStringLiteral("text/plain"));
    EXPECT_EQ(parsed.parts.constFirst().charset, QStringLiteral("utf-8"));
    EXPECT_EQ(parsed.parts.constFirst().disposition, QStringLiteral("inline"));
    EXPECT_EQ(parsed.parts.constFirst().transferEncoding, QStringLiteral("base64"));
    const QByteArray body = parsed.parts.constFirst().payload;
    EXPECT_EQ(body, sixteenLinesAsSent());
    EXPECT_TRUE(body.startsWith("\xEF\xBB\xBF"));
    EXPECT_EQ(body.count("\r\n"), 16);
}

INSTANTIATE_TEST_SUITE_P(Servers, SmtpMailDelivery,
    testing::Values(
        DeliveryCase {"StartTlsPlain", SmtpServer::Mode::StartTls, {QStringLiteral("PLAIN")}, "PLAIN"},
        DeliveryCase {"StartTlsLogin", SmtpServer::Mode::StartTls, {QStringLiteral("LOGIN")}, "LOGIN"},
        DeliveryCase {"StartTlsPrefersPlain", SmtpServer::Mode::StartTls,
            {QStringLiteral("LOGIN"), QStringLiteral("PLAIN")}, "PLAIN"},
        DeliveryCase {"ImplicitTls", SmtpServer::Mode::ImplicitTls, {QStringLiteral("PLAIN")}, "PLAIN"},
        DeliveryCase {"ImplicitTlsLogin", SmtpServer::Mode::ImplicitTls, {QStringLiteral("LOGIN")}, "LOGIN"},
        DeliveryCase {"PlainWithoutAuth", SmtpServer::Mode::Plain, {}, ""}),
    [](const testing::TestParamInfo<DeliveryCase>& row) { return std::string(row.param.name); });

struct FailureCase {
    const char* name;
    std::function<void(SmtpServer::Options&)> server;
    std::function<void(SmtpMail&)> mail;
    QString expected; // the whole message, or its start when `reason` is set
    const char* reason; // a text the TLS reason after the CR LF must hold
};

void PrintTo(const FailureCase& row, std::ostream* out)
{
    *out << row.name;
}

class SmtpMailFailure : public SmtpMailServer, public testing::WithParamInterface<FailureCase> { };

TEST_P(SmtpMailFailure, RaisesTheStepsMessageAndDeliversNothing)
{
    const FailureCase& row = GetParam();
    SmtpServer::Options options;
    if (row.server)
        row.server(options);
    const SmtpServer server(options);
    SmtpMail mail = letterFor(server);
    if (row.mail)
        row.mail(mail);

    const std::optional<QString> error = sendError(mail);
    ASSERT_TRUE(error) << "the send did not fail";
    if (row.reason) {
        EXPECT_TRUE(error->startsWith(row.expected)) << error->toStdString();
        EXPECT_TRUE(error->mid(row.expected.size()).contains(QLatin1String(row.reason), Qt::CaseInsensitive))
            << error->toStdString();
        // One line of reason: nothing in it can start another line of the box or the error file.
        EXPECT_FALSE(error->mid(row.expected.size()).contains(u'\n')) << error->toStdString();
    } else {
        EXPECT_EQ(*error, row.expected);
    }
    EXPECT_TRUE(server.messages().isEmpty());
    EXPECT_FALSE(error->contains(server.options().password));
}

const QString loginFailed = QStringLiteral("SMTP Error: Unable to Login.\r\n");

INSTANTIATE_TEST_SUITE_P(Servers, SmtpMailFailure,
    testing::Values(
        FailureCase {"RefusedRecipient",
            [](SmtpServer::Options& o) { o.refusedRecipients = {QStringLiteral("cliente@exemplo.test")}; },
            {},
            QStringLiteral("SMTP Error: Unable to send MailTo.\r\n"
                           "550 5.1.1 <cliente@exemplo.test>: Recipient address rejected: User unknown"),
            nullptr},
        FailureCase {"RefusedCopyToSender", [](SmtpServer::Options& o) { o.refusedRecipients = {o.user}; },
            {},
            QStringLiteral("SMTP Error: Unable to send MailTo.\r\n"
                           "550 5.1.1 <remetente@oficina.test>: Recipient address rejected: User unknown"),
            nullptr},
        FailureCase {"RefusedData", [](SmtpServer::Options& o) { o.refuseData = true; }, {},
            QStringLiteral("SMTP Error: Unable to send Mail data.\r\n554 5.6.0 Message content rejected"),
            nullptr},
        // A refused log-in is no error by itself: the server's refusal comes as the answer to MAIL FROM.
        FailureCase {"WrongPassword", {}, [](SmtpMail& m) { m.Password = QStringLiteral("errada"); },
            QStringLiteral("SMTP Error: Unable to send MailFrom.\r\n530 5.7.0 Authentication required"),
            nullptr},
        FailureCase {"WrongPasswordImplicitTls",
            [](SmtpServer::Options& o) { o.mode = SmtpServer::Mode::ImplicitTls; },
            [](SmtpMail& m) {
                m.Password = QStringLiteral("errada");
                m.SetSSL = true;
            },
            QStringLiteral("SMTP Error: Unable to send MailFrom.\r\n530 5.7.0 Authentication required"),
            nullptr},
        FailureCase {"NoCredentials", {},
            [](SmtpMail& m) {
                m.Username.clear();
                m.Password.clear();
            },
            QStringLiteral("SMTP Error: Unable to send MailFrom.\r\n530 5.7.0 Authentication required"),
            nullptr},
        FailureCase {"WrongHostNameStartTls",
            [](SmtpServer::Options& o) { o.certificate = TestCertificates::shared().wrongHost(); }, {},
            loginFailed, "host name"},
        FailureCase {"WrongHostNameImplicitTls",
            [](SmtpServer::Options& o) {
                o.mode = SmtpServer::Mode::ImplicitTls;
                o.certificate = TestCertificates::shared().wrongHost();
            },
            {}, loginFailed, "host name"},
        FailureCase {"SelfSignedStartTls",
            [](SmtpServer::Options& o) { o.certificate = TestCertificates::shared().selfSigned(); }, {},
            loginFailed, "self-signed"},
        FailureCase {"SelfSignedImplicitTls",
            [](SmtpServer::Options& o) {
                o.mode = SmtpServer::Mode::ImplicitTls;
                o.certificate = TestCertificates::shared().selfSigned();
            },
            {}, loginFailed, "self-signed"},
        FailureCase {"ImplicitTlsToAPlainPort", {}, [](SmtpMail& m) { m.SetSSL = true; }, loginFailed, "SSL"},
        FailureCase {"EmptyHost", {}, [](SmtpMail& m) { m.Host.clear(); },
            QStringLiteral("SMTP Error: Server not informed"), nullptr},
        FailureCase {
            "PortNotANumber", {}, [](SmtpMail& m) { m.Port = QStringLiteral("smtp"); }, loginFailed, nullptr},
        FailureCase {"StartTlsRequiredButOff", {}, [](SmtpMail& m) { m.SetTLS = false; },
            QStringLiteral("SMTP Error: Unable to send MailFrom.\r\n530 Must issue a STARTTLS command first"),
            nullptr}),
    [](const testing::TestParamInfo<FailureCase>& row) { return std::string(row.param.name); });

TEST_F(SmtpMailServer, ClosedPortFailsTheLoginWithoutAReply)
{
    quint16 port = 0;
    {
        const SmtpServer server;
        port = server.port();
    }
    SmtpMail mail;
    mail.Port = QString::number(port);
    mail.From = QStringLiteral("oficina@central.test");
    mail.AddAddress(QStringLiteral("cliente@exemplo.test"));
    EXPECT_EQ(sendError(mail), loginFailed);
}

TEST_F(SmtpMailServer, UntrustedCaFailsWithTheReason)
{
    const ScopedEnvironment noCa("SSL_CERT_FILE", QString());
    const SmtpServer server;
    SmtpMail mail = letterFor(server);
    const std::optional<QString> error = sendError(mail);
    ASSERT_TRUE(error);
    EXPECT_TRUE(error->startsWith(loginFailed)) << error->toStdString();
    EXPECT_GT(error->size(), loginFailed.size() + 10) << "no reason given: " << error->toStdString();
    EXPECT_TRUE(server.messages().isEmpty());
}

struct TrustCase {
    const char* name;
    std::function<QString()> certFile;
    std::function<QString()> certDir;
    bool componentSetting; // the CA handed to the component itself
};

void PrintTo(const TrustCase& row, std::ostream* out)
{
    *out << row.name;
}

class SmtpMailTrust : public SmtpMailServer, public testing::WithParamInterface<TrustCase> { };

// A private CA is trusted wherever an OpenSSL client would find it, or when handed over directly.
TEST_P(SmtpMailTrust, TrustsThePrivateCaFromEachSource)
{
    const TrustCase& row = GetParam();
    const ScopedEnvironment file("SSL_CERT_FILE", row.certFile ? row.certFile() : QString());
    const ScopedEnvironment dir("SSL_CERT_DIR", row.certDir ? row.certDir() : QString());
    const SmtpServer server;
    SmtpMail mail = letterFor(server);
    if (row.componentSetting)
        mail.setCaCertificates(TestCertificates::shared().caCertificates());
    EXPECT_EQ(sendError(mail), std::nullopt);
    EXPECT_EQ(server.messages().size(), 1);
}

INSTANTIATE_TEST_SUITE_P(Sources, SmtpMailTrust,
    testing::Values(TrustCase {"CertFile", [] { return TestCertificates::shared().caFile(); }, {}, false},
        TrustCase {"CertDir", {}, [] { return TestCertificates::shared().caFolder(); }, false},
        TrustCase {"CertDirAmongOthers", {},
            []() -> QString {
                return QStringLiteral("/nonexistent:") + TestCertificates::shared().caFolder();
            },
            false},
        TrustCase {"ComponentSetting", {}, {}, true},
        TrustCase {
            "UnreadableFileThenComponent", [] { return QStringLiteral("/nonexistent/ca.pem"); }, {}, true}),
    [](const testing::TestParamInfo<TrustCase>& row) { return std::string(row.param.name); });

TEST_F(SmtpMailServer, EachSendIsANewMessage)
{
    const SmtpServer server;
    SmtpMail mail = letterFor(server);
    ASSERT_EQ(sendError(mail), std::nullopt);
    ASSERT_EQ(sendError(mail), std::nullopt);
    const QList<SmtpServer::Message> messages = server.messages();
    ASSERT_EQ(messages.size(), 2);
    EXPECT_NE(ParsedMail::parse(messages.at(0).content).header(QStringLiteral("Message-ID")),
        ParsedMail::parse(messages.at(1).content).header(QStringLiteral("Message-ID")));
}

// A subject and a display name holding line breaks, and a blank display name, as the server saw them.
TEST_F(SmtpMailServer, HeadersFromTheFormCannotAddHeadersOrCommands)
{
    const SmtpServer server;
    SmtpMail mail = letterFor(server);
    mail.Subject = QStringLiteral("Revisão\r\nBcc: intruso@fora.test\r\n\r\nTexto falso");
    mail.FromName = QString();
    mail.clearAddresses();
    mail.AddAddress(QStringLiteral("cliente@exemplo.test"));
    mail.AddAddress(mail.From, QStringLiteral("COPIA\r\nRCPT TO:<intruso@fora.test>"));
    ASSERT_EQ(sendError(mail), std::nullopt);

    const QList<SmtpServer::Message> messages = server.messages();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(
        messages.constFirst().rcptTos, (QStringList {QStringLiteral("cliente@exemplo.test"), mail.From}));
    const ParsedMail parsed = ParsedMail::parse(messages.constFirst().content);
    EXPECT_FALSE(parsed.headerNames().contains(QStringLiteral("Bcc")));
    EXPECT_EQ(parsed.header(QStringLiteral("Subject")), mail.Subject);
    EXPECT_EQ(parsed.rawHeader(QStringLiteral("From")), mail.From);
    EXPECT_EQ(parsed.rawHeader(QStringLiteral("Disposition-Notification-To")), mail.From);
    EXPECT_EQ(parsed.parts.size(), 1);
    EXPECT_EQ(parsed.parts.constFirst().payload, sixteenLinesAsSent());
}

TEST_F(SmtpMailServer, NoReadReceiptWhenNotAsked)
{
    const SmtpServer server;
    SmtpMail mail = letterFor(server);
    mail.ReadingConfirmation = false;
    ASSERT_EQ(sendError(mail), std::nullopt);
    ASSERT_EQ(server.messages().size(), 1);
    EXPECT_FALSE(ParsedMail::parse(server.messages().constFirst().content)
                     .headerNames()
                     .contains(QStringLiteral("Disposition-Notification-To")));
}

struct AddressCase {
    const char* name;
    QString email;
    QString displayName;
    QStringList expected;
};

void PrintTo(const AddressCase& row, std::ostream* out)
{
    *out << row.name;
}

class SmtpMailAddAddress : public testing::TestWithParam<AddressCase> { };

TEST_P(SmtpMailAddAddress, SplitsAndTrimsAsTheComponentDoes)
{
    SmtpMail mail;
    mail.AddAddress(QStringLiteral("primeiro@exemplo.test"));
    mail.AddAddress(GetParam().email, GetParam().displayName);
    EXPECT_EQ(mail.toList(), QStringList {QStringLiteral("primeiro@exemplo.test")} + GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Fields, SmtpMailAddAddress,
    testing::Values(AddressCase {"One", QStringLiteral("cliente@exemplo.test"), {},
                        {QStringLiteral("cliente@exemplo.test")}},
        AddressCase {"Trimmed", QStringLiteral(" \t cliente@exemplo.test \r\n"), {},
            {QStringLiteral("cliente@exemplo.test")}},
        AddressCase {"Named", QStringLiteral("oficina@central.test"), QStringLiteral("COPIA DE EMAIL"),
            {QStringLiteral("\"COPIA DE EMAIL\" <oficina@central.test>")}},
        AddressCase {"NamedIsNotSplit", QStringLiteral("a@x.test"), QStringLiteral("Silva; Souza"),
            {QStringLiteral("\"Silva; Souza\" <a@x.test>")}},
        AddressCase {"BlankNameCountsAsNone", QStringLiteral("a@x.test, b@y.test"), QStringLiteral("  "),
            {QStringLiteral("a@x.test"), QStringLiteral("b@y.test")}},
        AddressCase {"Semicolons", QStringLiteral("a@x.test; b@y.test ;c@z.test"), {},
            {QStringLiteral("a@x.test"), QStringLiteral("b@y.test"), QStringLiteral("c@z.test")}},
        AddressCase {"Commas", QStringLiteral("a@x.test, b@y.test"), {},
            {QStringLiteral("a@x.test"), QStringLiteral("b@y.test")}},
        AddressCase {"Pipes", QStringLiteral("a@x.test|b@y.test"), {},
            {QStringLiteral("a@x.test"), QStringLiteral("b@y.test")}},
        // Only the first separator present, in the order ";" "," "|", splits.
        AddressCase {"SemicolonBeforeComma", QStringLiteral("a@x.test,b@y.test;c@z.test"), {},
            {QStringLiteral("a@x.test,b@y.test"), QStringLiteral("c@z.test")}},
        AddressCase {"CommaBeforePipe", QStringLiteral("a@x.test|b@y.test,c@z.test"), {},
            {QStringLiteral("a@x.test|b@y.test"), QStringLiteral("c@z.test")}},
        AddressCase {"Empty", QString(), {}, {QString()}},
        AddressCase {"Blank", QStringLiteral(" \t "), {}, {QString()}},
        AddressCase {
            "StraySeparatorsAddNothing", QStringLiteral(";a@x.test;; ;"), {}, {QStringLiteral("a@x.test")}},
        AddressCase {"OnlySeparators", QStringLiteral(" , , "), {}, {}},
        AddressCase {"InternationalDomain", QStringLiteral("cliente@exêmplo.test"), {},
            {QStringLiteral("cliente@exêmplo.test")}}),
    [](const testing::TestParamInfo<AddressCase>& row) { return std::string(row.param.name); });

class SmtpMailAddAddressRefused : public testing::TestWithParam<AddressCase> { };

// Anything that could end an SMTP command or a header early is refused before it is kept, and a
// refused field adds none of its parts.
TEST_P(SmtpMailAddAddressRefused, RefusesUnsafeAddressesAndAddsNothing)
{
    SmtpMail mail;
    mail.AddAddress(QStringLiteral("primeiro@exemplo.test"));
    EXPECT_THROW(mail.AddAddress(GetParam().email, GetParam().displayName), InvalidAddressError);
    EXPECT_EQ(mail.toList(), QStringList {QStringLiteral("primeiro@exemplo.test")});
}

INSTANTIATE_TEST_SUITE_P(Fields, SmtpMailAddAddressRefused,
    testing::Values(AddressCase {"CarriageReturn", QStringLiteral("a@x.test\rb"), {}, {}},
        AddressCase {"CommandInjection", QStringLiteral("a@x.test>\r\nRCPT TO:<intruso@fora.test"), {}, {}},
        AddressCase {"LineFeedInNamed", QStringLiteral("a@x\n.test"), QStringLiteral("Nome"), {}},
        AddressCase {"Nul", QStringLiteral("a@x.test") + QChar(0) + QStringLiteral("b"), {}, {}},
        AddressCase {"Tab", QStringLiteral("a@x\t.test"), {}, {}},
        AddressCase {"Delete", QStringLiteral("a@x\x7f.test"), {}, {}},
        AddressCase {"NextLine", QStringLiteral("a@x\u0085.test"), {}, {}},
        AddressCase {"LineSeparator", QStringLiteral("a@x\u2028.test"), {}, {}},
        AddressCase {"AngleBrackets", QStringLiteral("Nome <a@x.test>"), {}, {}},
        AddressCase {"NonAsciiLocalPart", QStringLiteral("joão@x.test"), {}, {}},
        AddressCase {"TooLong", QString(250, u'a') + QStringLiteral("@x.test"), {}, {}},
        AddressCase {"OneBadPartOfMany", QStringLiteral("a@x.test; b@y\r\n.test; c@z.test"), {}, {}}),
    [](const testing::TestParamInfo<AddressCase>& row) { return std::string(row.param.name); });

TEST(SmtpMailAddress, EnvelopeUsesTheAsciiFormOfAnInternationalDomain)
{
    EXPECT_EQ(
        platform::MailAddress(QStringLiteral("cliente@exêmplo.test")).ascii(), "cliente@xn--exmplo-jva.test");
    EXPECT_EQ(platform::MailAddress(QStringLiteral("Cliente.Nome+tag@Exemplo.TEST")).ascii(),
        "Cliente.Nome+tag@Exemplo.TEST");
}

TEST(SmtpMailCompose, UnsafeOrEmptySenderIsRefusedBeforeSending)
{
    SmtpMail mail;
    mail.AddAddress(QStringLiteral("cliente@exemplo.test"));
    for (const QString& from : {QString(), QStringLiteral("  "), QStringLiteral("a@x.test\r\nDATA")}) {
        mail.From = from;
        EXPECT_THROW(mail.composeMessage(), InvalidAddressError);
        EXPECT_THROW(mail.Send(false), InvalidAddressError);
    }
}

} // namespace
