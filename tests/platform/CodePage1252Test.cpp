#include "platform/CodePage1252.h"

#include "platform/RegionalFormats.h"

#include <gtest/gtest.h>

namespace {

struct CharCase {
    const char* name;
    char16_t character;
    int byte; // -1: the code page lacks it
};

class CodePage1252Chars : public ::testing::TestWithParam<CharCase> { };

TEST_P(CodePage1252Chars, MapsBothWays)
{
    const auto& c = GetParam();
    const auto byte = platform::cp1252::fromChar(QChar(c.character));
    if (c.byte < 0) {
        EXPECT_FALSE(byte.has_value());
        return;
    }
    ASSERT_TRUE(byte.has_value());
    EXPECT_EQ(*byte, c.byte);
    EXPECT_EQ(platform::cp1252::toChar(static_cast<std::uint8_t>(c.byte)), QChar(c.character));
}

INSTANTIATE_TEST_SUITE_P(Table, CodePage1252Chars,
    ::testing::Values(CharCase {"ascii", u'A', 0x41}, CharCase {"a_acute", u'\u00E1', 0xE1},
        CharCase {"a_tilde", u'\u00E3', 0xE3}, CharCase {"nbsp", u'\u00A0', 0xA0},
        CharCase {"euro", u'\u20AC', 0x80}, CharCase {"right_quote", u'\u2019', 0x92},
        CharCase {"en_dash", u'\u2013', 0x96}, CharCase {"em_dash", u'\u2014', 0x97},
        CharCase {"y_diaeresis", u'\u0178', 0x9F}, CharCase {"a_macron", u'\u0100', -1},
        CharCase {"cyrillic", u'\u0416', -1}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(CodePage1252, UndefinedBytesDecodeToNothingYetSurviveARoundTrip)
{
    for (const std::uint8_t byte : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
        EXPECT_TRUE(platform::cp1252::toChar(byte).isNull()) << int(byte);
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(static_cast<char>(b));
    EXPECT_EQ(platform::cp1252::encode(platform::cp1252::decode(all)), all);
}

TEST(CodePage1252, EncodeWritesOneQuestionMarkPerMissingCharacter)
{
    EXPECT_EQ(platform::cp1252::encode(QStringLiteral(u"revis\u00E3o \u20AC \u0100 \U0001F600")),
        QByteArray("revis\xE3o \x80 ? ?"));
}

struct FormatCase {
    const char* name;
    const char* locale;
    const char* pattern;
    const char* expected;
};

class RegionalFormat : public ::testing::TestWithParam<FormatCase> { };

TEST_P(RegionalFormat, UsesTheLocaleSeparators)
{
    const auto& c = GetParam();
    const QDateTime value(QDate(2017, 4, 7), QTime(9, 5, 3));
    EXPECT_EQ(platform::regional::formatDateTime(
                  QString::fromLatin1(c.pattern), value, QLocale(QString::fromLatin1(c.locale))),
        QString::fromLatin1(c.expected));
}

INSTANTIATE_TEST_SUITE_P(Table, RegionalFormat,
    ::testing::Values(FormatCase {"brazil_date", "pt_BR", "dd/mm/yyyy", "07/04/2017"},
        FormatCase {"brazil_stamp", "pt_BR", "dd/mm/yyyy hh:mm", "07/04/2017 09:05"},
        FormatCase {"c_locale", "C", "dd/mm/yyyy", "07/04/2017"},
        FormatCase {"german_dots", "de_DE", "dd/mm/yyyy", "07.04.2017"},
        FormatCase {"iso_hyphens_literal", "de_DE", "yyyy-mm-dd", "2017-04-07"},
        FormatCase {"short_forms", "pt_BR", "d/m/yyyy", "7/4/2017"},
        FormatCase {"seconds", "pt_BR", "hh:nn:ss", "09:05:03"}),
    [](const auto& row) { return std::string(row.param.name); });

} // namespace
