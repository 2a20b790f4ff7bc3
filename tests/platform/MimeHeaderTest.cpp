#include "platform/MimeHeader.h"

#include "platform/MailAddress.h"

#include <QByteArray>
#include <QList>
#include <QRegularExpression>
#include <QString>
#include <QStringDecoder>

#include <gtest/gtest.h>

#include <ostream>
#include <string>

using platform::MailAddress;
using platform::MailCharset;
using platform::MimeHeader;

namespace {

struct WordCase {
    const char* name;
    QString text;
};

void PrintTo(const WordCase& row, std::ostream* out)
{
    *out << row.name;
}

// "=?UTF-8?B?...?=" back to its bytes; empty for anything else.
QByteArray wordBytes(const QByteArray& word)
{
    static const QRegularExpression pattern(QStringLiteral("^=\\?UTF-8\\?B\\?([A-Za-z0-9+/=]*)\\?=$"));
    const QRegularExpressionMatch match = pattern.match(QString::fromLatin1(word));
    return match.hasMatch() ? QByteArray::fromBase64(match.captured(1).toLatin1()) : QByteArray();
}

class MimeHeaderEncodedWords : public testing::TestWithParam<WordCase> { };

TEST_P(MimeHeaderEncodedWords, SplitOnCharacterBoundariesWithinTheLimit)
{
    const QString& text = GetParam().text;
    for (const qsizetype limit : {qsizetype(75), qsizetype(40), qsizetype(22)}) {
        SCOPED_TRACE(limit);
        const QList<QByteArray> words = MimeHeader::encodedWords(text, MailCharset::UTF_8, limit);
        QString joined;
        for (const QByteArray& word : words) {
            EXPECT_LE(word.size(), limit) << word.constData();
            const QByteArray bytes = wordBytes(word);
            ASSERT_FALSE(bytes.isEmpty()) << word.constData();
            // Each word decodes on its own: no UTF-8 sequence or surrogate pair is cut between two.
            QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
            const QString part = decoder.decode(bytes);
            EXPECT_FALSE(decoder.hasError()) << word.constData();
            EXPECT_FALSE(part.contains(QChar::ReplacementCharacter)) << word.constData();
            joined += part;
        }
        EXPECT_EQ(joined, text);
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, MimeHeaderEncodedWords,
    testing::Values(WordCase {"Accents", QStringLiteral("Revisão periódica do seu veículo: atenção, João!")},
        WordCase {"MarcAndre", QStringLiteral("Marc-André")},
        WordCase {"TestUser", QStringLiteral("Test Üser")},
        WordCase {"ThreeByteCharacters", QStringLiteral("€€€€€€€€€€€€€€€€€€€€€€€€€€€€€€€€€€€€€€€€")},
        WordCase {"SurrogatePairs", QStringLiteral("Oficina 🚗🔧🚗🔧🚗🔧🚗🔧🚗🔧🚗🔧🚗🔧🚗🔧🚗🔧🚗🔧 fim")},
        WordCase {"MixedWidths", QStringLiteral("aé€🚗aé€🚗aé€🚗aé€🚗aé€🚗aé€🚗aé€🚗aé€🚗aé€🚗")},
        WordCase {"LineBreaks", QStringLiteral("Linha um\r\nBcc: alguem@fora.test\r\n")}),
    [](const testing::TestParamInfo<WordCase>& row) { return std::string(row.param.name); });

struct FieldCase {
    const char* name;
    QString text;
    bool staysPlain; // goes out as it stands, without encoded words
};

void PrintTo(const FieldCase& row, std::ostream* out)
{
    *out << row.name;
}

class MimeHeaderUnstructured : public testing::TestWithParam<FieldCase> { };

TEST_P(MimeHeaderUnstructured, FoldsWithinTheLineLimits)
{
    const FieldCase& row = GetParam();
    const QByteArray field = MimeHeader("Subject").addText(row.text).toBytes();
    ASSERT_TRUE(field.endsWith("\r\n"));
    const QList<QByteArray> lines = field.chopped(2).split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QByteArray line = lines.at(i);
        if (i + 1 < lines.size()) {
            ASSERT_TRUE(line.endsWith('\r')) << "bare LF in " << field.constData();
            line.chop(1);
        }
        EXPECT_FALSE(line.contains('\r')) << field.constData();
        EXPECT_LE(line.size(), MimeHeader::foldColumn) << line.constData();
        if (i > 0) {
            EXPECT_TRUE(line.startsWith(' ')) << "continuation without a blank: " << line.constData();
        }
        for (const char byte : line)
            EXPECT_TRUE(byte >= 0x20 && byte <= 0x7E) << "byte " << int(byte) << " in " << field.constData();
    }
    EXPECT_EQ(!field.contains("=?"), row.staysPlain) << field.constData();
    if (row.staysPlain) {
        // Unfolding (removing each CR LF) gives the text back.
        QByteArray unfolded = field.chopped(2);
        unfolded.replace("\r\n", "");
        EXPECT_EQ(unfolded, "Subject: " + row.text.toLatin1());
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, MimeHeaderUnstructured,
    testing::Values(FieldCase {"ShortAscii", QStringLiteral("Revisao do seu carro"), true},
        FieldCase {"LongAscii",
            QStringLiteral(
                "Lembrete de revisao periodica: ja se passaram mais de trezentos e trinta dias desde o "
                "ultimo servico concluido na oficina, agende a sua visita"),
            true},
        FieldCase {"LongAccented",
            QStringLiteral(
                "Lembrete de revisão periódica: já se passaram mais de trezentos e trinta dias desde o "
                "último serviço concluído na oficina, agende a sua visita"),
            false},
        FieldCase {"LooksEncoded", QStringLiteral("=?UTF-8?B?SGk=?="), false},
        FieldCase {"DoubledBlanks", QStringLiteral("dois  espaços"), false},
        FieldCase {"LeadingBlank", QStringLiteral(" x"), false},
        FieldCase {"HeaderInjection", QStringLiteral("Oi\r\nBcc: alguem@fora.test"), false},
        FieldCase {"Nul", QStringLiteral("a") + QChar(0) + QStringLiteral("b"), false},
        FieldCase {"EndlessWord", QString(200, QLatin1Char('x')), false}),
    [](const testing::TestParamInfo<FieldCase>& row) { return std::string(row.param.name); });

TEST(MimeHeaderMailbox, QuotesPlainNamesAndEncodesTheOthers)
{
    const MailAddress address(QStringLiteral("cliente@oficina.test"));
    EXPECT_EQ(MimeHeader("From").addMailbox(QString(), address).toBytes(), "From: cliente@oficina.test\r\n");
    EXPECT_EQ(MimeHeader("From").addMailbox(QStringLiteral("   "), address).toBytes(),
        "From: cliente@oficina.test\r\n");
    EXPECT_EQ(MimeHeader("From").addMailbox(QStringLiteral("Oficina Central"), address).toBytes(),
        "From: \"Oficina Central\" <cliente@oficina.test>\r\n");
    // Specials stay inside the quotes; a quote and a backslash are escaped.
    EXPECT_EQ(MimeHeader("From").addMailbox(QStringLiteral("Silva, \"Ze\\\" & Cia."), address).toBytes(),
        "From: \"Silva, \\\"Ze\\\\\\\" & Cia.\" <cliente@oficina.test>\r\n");
    const QByteArray encoded
        = MimeHeader("From").addMailbox(QStringLiteral("Oficina São João"), address).toBytes();
    EXPECT_TRUE(encoded.startsWith("From: =?UTF-8?B?")) << encoded.constData();
    EXPECT_TRUE(encoded.endsWith("?= <cliente@oficina.test>\r\n")) << encoded.constData();
}

} // namespace
