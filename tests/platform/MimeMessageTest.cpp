#include "platform/MimeMessage.h"

#include "ParsedMail.h"
#include "QtPrinters.h"
#include "platform/MailAddress.h"

#include <QByteArray>
#include <QDateTime>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <ostream>
#include <string>

using platform::MailAddress;
using platform::MailCharset;
using platform::MimeMessage;

namespace {

MimeMessage letter()
{
    MimeMessage message;
    message.from = {QStringLiteral("Oficina Central"), MailAddress(QStringLiteral("oficina@central.test"))};
    message.to = {{QString(), MailAddress(QStringLiteral("cliente@exemplo.test"))},
        {QStringLiteral("COPIA DE EMAIL"), MailAddress(QStringLiteral("oficina@central.test"))}};
    message.subject = QStringLiteral("Revisão do seu veículo");
    message.bodyLines
        = {QStringLiteral("Prezado cliente,"), QString(), QStringLiteral("Já se passou um ano.")};
    message.readReceipt = true;
    message.date = QDateTime(QDate(2024, 3, 5), QTime(10, 7, 9), QTimeZone(-3 * 3600));
    message.messageId = MimeMessage::newMessageId("central.test");
    message.boundary = MimeMessage::newBoundary();
    return message;
}

// Every line of the message, with its CR LF checked.
QList<QByteArray> lines(const QByteArray& message)
{
    EXPECT_TRUE(message.endsWith("\r\n"));
    QList<QByteArray> result = message.chopped(2).split('\n');
    for (qsizetype i = 0; i + 1 < result.size(); ++i) {
        EXPECT_TRUE(result[i].endsWith('\r')) << "bare LF after: " << result[i].constData();
        result[i].chop(1);
    }
    return result;
}

TEST(MimeMessageStructure, IsOneInlineUtf8TextPartInBase64)
{
    const MimeMessage message = letter();
    const QByteArray bytes = message.toBytes();
    const ParsedMail parsed = ParsedMail::parse(bytes);

    EXPECT_EQ(parsed.headerNames(),
        (QStringList {QStringLiteral("From"), QStringLiteral("To"), QStringLiteral("Subject"),
            QStringLiteral("Date"), QStringLiteral("Message-ID"), QStringLiteral("MIME-Version"),
            QStringLiteral("Disposition-Notification-To"), QStringLiteral("Content-Type")}));
    EXPECT_TRUE(parsed.defects.isEmpty()) << parsed.defects.join(u' ').toStdString();
    EXPECT_EQ(parsed.rawHeader(QStringLiteral("From")),
        QStringLiteral("\"Oficina Central\" <oficina@central.test>"));
    EXPECT_EQ(parsed.rawHeader(QStringLiteral("Disposition-Notification-To")),
        parsed.rawHeader(QStringLiteral("From")));
    EXPECT_EQ(parsed.to,
        (QList<ParsedMail::Mailbox> {{QString(), QStringLiteral("cliente@exemplo.test")},
            {QStringLiteral("COPIA DE EMAIL"), QStringLiteral("oficina@central.test")}}));
    EXPECT_EQ(parsed.header(QStringLiteral("Subject")), QStringLiteral("Revisão do seu veículo"));
    EXPECT_EQ(parsed.rawHeader(QStringLiteral("Date")), QStringLiteral("Tue, 05 Mar 2024 10:07:09 -0300"));
    EXPECT_EQ(parsed.date, QStringLiteral("2024-03-05T10:07:09-03:00"));
    EXPECT_EQ(parsed.header(QStringLiteral("MIME-Version")), QStringLiteral("1.0"));
    EXPECT_EQ(parsed.header(QStringLiteral("Message-ID")), QString::fromLatin1(message.messageId));

    EXPECT_EQ(parsed.contentType, QStringLiteral("multipart/mixed"));
    ASSERT_EQ(parsed.parts.size(), 1);
    const ParsedMail::Part& part = parsed.parts.constFirst();
    EXPECT_EQ(part.contentType, QStringLiteral("text/plain"));
    EXPECT_EQ(part.charset, QStringLiteral("utf-8"));
    EXPECT_EQ(part.disposition, QStringLiteral("inline"));
    EXPECT_EQ(part.transferEncoding, QStringLiteral("base64"));
    EXPECT_EQ(part.payload, QByteArray("\xEF\xBB\xBF") + "Prezado cliente,\r\n\r\nJá se passou um ano.\r\n");
}

TEST(MimeMessageStructure, KeepsLinesShortAndTheBoundaryOutOfTheText)
{
    MimeMessage message = letter();
    message.subject
        = QStringLiteral("Lembrete de revisão periódica: já se passaram mais de trezentos e trinta dias "
                         "desde o último serviço concluído na nossa oficina");
    for (int i = 0; i < 40; ++i)
        message.to.append({QString(), MailAddress(QStringLiteral("destinatario%1@exemplo.test").arg(i))});
    message.bodyLines = QStringList(30, QString(120, QChar(0x00E7)));
    const QByteArray bytes = message.toBytes();

    bool inBody = false;
    for (const QByteArray& line : lines(bytes)) {
        if (line.isEmpty())
            inBody = true;
        EXPECT_LE(line.size(), inBody ? 76 : 78) << line.constData();
        if (line.startsWith('.'))
            ADD_FAILURE() << "a line starts with a dot: " << line.constData();
    }
    EXPECT_EQ(bytes.count(QByteArray("--" + message.boundary)), 2);
    const ParsedMail parsed = ParsedMail::parse(bytes);
    EXPECT_EQ(parsed.to.size(), 42);
    EXPECT_EQ(parsed.header(QStringLiteral("Subject")), message.subject);
}

TEST(MimeMessageStructure, WithoutReadReceiptOrDisplayName)
{
    MimeMessage message = letter();
    message.from.name = QStringLiteral("  ");
    message.readReceipt = false;
    const ParsedMail parsed = ParsedMail::parse(message.toBytes());
    EXPECT_EQ(parsed.rawHeader(QStringLiteral("From")), QStringLiteral("oficina@central.test"));
    EXPECT_FALSE(parsed.headerNames().contains(QStringLiteral("Disposition-Notification-To")));
}

TEST(MimeMessageStructure, Windows1252BodyHasNoByteOrderMark)
{
    MimeMessage message = letter();
    message.charset = MailCharset::CP1252;
    const ParsedMail parsed = ParsedMail::parse(message.toBytes());
    ASSERT_EQ(parsed.parts.size(), 1);
    EXPECT_EQ(parsed.parts.constFirst().charset, QStringLiteral("windows-1252"));
    EXPECT_EQ(
        parsed.parts.constFirst().payload, QByteArray("Prezado cliente,\r\n\r\nJ\xE1 se passou um ano.\r\n"));
    EXPECT_EQ(parsed.header(QStringLiteral("Subject")), QStringLiteral("Revisão do seu veículo"));
}

TEST(MimeMessageIdentity, MessageIdsAndBoundariesAreUnique)
{
    QSet<QByteArray> ids;
    QSet<QByteArray> boundaries;
    for (int i = 0; i < 1000; ++i) {
        ids.insert(MimeMessage::newMessageId("central.test"));
        boundaries.insert(MimeMessage::newBoundary());
    }
    EXPECT_EQ(ids.size(), 1000);
    EXPECT_EQ(boundaries.size(), 1000);
    EXPECT_TRUE(MimeMessage::newMessageId("central.test").endsWith("@central.test>"));
}

struct DateCase {
    const char* name;
    QDateTime date;
    const char* expected;
};

void PrintTo(const DateCase& row, std::ostream* out)
{
    *out << row.name;
}

class MimeMessageDate : public testing::TestWithParam<DateCase> { };

TEST_P(MimeMessageDate, IsRfc5322WithANumericZone)
{
    EXPECT_EQ(MimeMessage::formatDate(GetParam().date), QByteArray(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Dates, MimeMessageDate,
    testing::Values(
        DateCase {"BrasiliaMorning", QDateTime(QDate(2024, 3, 5), QTime(10, 7, 9), QTimeZone(-3 * 3600)),
            "Tue, 05 Mar 2024 10:07:09 -0300"},
        DateCase {"Utc", QDateTime(QDate(2023, 12, 31), QTime(23, 59, 59), QTimeZone::utc()),
            "Sun, 31 Dec 2023 23:59:59 +0000"},
        DateCase {"HalfHourZone", QDateTime(QDate(2024, 1, 1), QTime(0, 0), QTimeZone(5 * 3600 + 1800)),
            "Mon, 01 Jan 2024 00:00:00 +0530"},
        DateCase {"NegativeHalfHour",
            QDateTime(QDate(2024, 7, 4), QTime(8, 30), QTimeZone(-(3 * 3600 + 1800))),
            "Thu, 04 Jul 2024 08:30:00 -0330"}),
    [](const testing::TestParamInfo<DateCase>& row) { return std::string(row.param.name); });

struct TextCase {
    const char* name;
    QString subject;
    QString fromName;
};

void PrintTo(const TextCase& row, std::ostream* out)
{
    *out << row.name;
}

class MimeMessageText : public testing::TestWithParam<TextCase> { };

// Read back by an independent parser, every subject and name comes out as it went in, and none adds a
// header of its own.
TEST_P(MimeMessageText, ReadsBackAsWrittenWithoutExtraHeaders)
{
    MimeMessage message = letter();
    message.subject = GetParam().subject;
    message.from.name = GetParam().fromName;
    const QByteArray bytes = message.toBytes();
    for (const QByteArray& line : lines(bytes)) {
        for (const char byte : line)
            ASSERT_TRUE(byte >= 0x20 && byte <= 0x7E) << "byte " << int(byte) << " in " << line.constData();
    }
    const ParsedMail parsed = ParsedMail::parse(bytes);
    EXPECT_EQ(parsed.headerNames().size(), 8) << parsed.headerNames().join(u' ').toStdString();
    EXPECT_EQ(parsed.header(QStringLiteral("Subject")), message.subject);
    ASSERT_EQ(parsed.from.size(), 1);
    EXPECT_EQ(parsed.from.constFirst(),
        ParsedMail::Mailbox(message.from.name, QStringLiteral("oficina@central.test")));
    EXPECT_EQ(parsed.dispositionNotificationTo, parsed.from);
}

INSTANTIATE_TEST_SUITE_P(Texts, MimeMessageText,
    testing::Values(TextCase {"Ascii", QStringLiteral("Revisao anual"), QStringLiteral("Oficina Central")},
        TextCase {"MarcAndre", QStringLiteral("Olá Marc-André"), QStringLiteral("Marc-André")},
        TextCase {"TestUser", QStringLiteral("Test Üser"), QStringLiteral("Test Üser")},
        TextCase {"Specials", QStringLiteral("Silva, Souza & Cia. <ofertas>"),
            QStringLiteral("Silva, \"Souza\" & Cia. (matriz)")},
        TextCase {"Backslash", QStringLiteral("C:\\pasta"), QStringLiteral("A\\B")},
        TextCase {"Emoji", QStringLiteral("Revisão 🚗🔧 agendada"), QStringLiteral("Oficina 🚗")},
        TextCase {"LongAccentedName", QStringLiteral("x"),
            QStringLiteral("Auto Peças e Serviços Automotivos São João Batista do Norte Ltda. — Matriz")},
        TextCase {"LooksEncoded", QStringLiteral("=?UTF-8?B?SGk=?="), QStringLiteral("=?UTF-8?B?SGk=?=")}),
    [](const testing::TestParamInfo<TextCase>& row) { return std::string(row.param.name); });

// A line break in a subject or a name must not start a header of its own.
TEST(MimeMessageText, LineBreaksCannotAddHeaders)
{
    MimeMessage message = letter();
    message.subject = QStringLiteral("Oi\r\nBcc: intruso@fora.test");
    message.from.name = QStringLiteral("Oficina\r\nReply-To: intruso@fora.test");
    const ParsedMail parsed = ParsedMail::parse(message.toBytes());
    EXPECT_EQ(parsed.headerNames().size(), 8) << parsed.headerNames().join(u' ').toStdString();
    EXPECT_FALSE(parsed.headerNames().contains(QStringLiteral("Bcc")));
    EXPECT_FALSE(parsed.headerNames().contains(QStringLiteral("Reply-To")));
    EXPECT_TRUE(parsed.header(QStringLiteral("Subject")).contains(QStringLiteral("intruso@fora.test")));
    ASSERT_EQ(parsed.from.size(), 1);
    EXPECT_EQ(parsed.from.constFirst().second, QStringLiteral("oficina@central.test"));
}

TEST(MimeMessageBase64, LinesOfAtMost76)
{
    for (const int size : {0, 1, 56, 57, 58, 114, 1000}) {
        SCOPED_TRACE(size);
        const QByteArray data(size, '\xC3');
        const QByteArray encoded = MimeMessage::base64Lines(data);
        QByteArray joined;
        for (const QByteArray& line : encoded.split('\n')) {
            if (line.isEmpty())
                continue;
            ASSERT_TRUE(line.endsWith('\r'));
            EXPECT_LE(line.size() - 1, 76);
            joined += line.chopped(1);
        }
        EXPECT_EQ(QByteArray::fromBase64(joined), data);
        EXPECT_EQ(encoded.count('\n'), (data.toBase64().size() + 75) / 76);
    }
}

} // namespace
