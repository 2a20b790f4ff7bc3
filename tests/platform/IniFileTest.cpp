#include "platform/IniFile.h"

#include "FileSizeLimit.h"
#include "QtPrinters.h"
#include "TempDir.h"
#include "platform/Exception.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <grp.h>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace std::string_view_literals;
using platform::IniFile;

namespace {

QByteArray bytesOf(std::string_view text)
{
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

QByteArray utf16le(const QString& text)
{
    QByteArray bytes("\xFF\xFE");
    for (const QChar c : text) {
        bytes.append(static_cast<char>(c.unicode() & 0xFF));
        bytes.append(static_cast<char>(c.unicode() >> 8));
    }
    return bytes;
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

mode_t modeOf(const QString& path)
{
    struct stat status { };
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &status), 0);
    return status.st_mode & 07777;
}

std::string rowName(const char* name)
{
    return name;
}

enum class Outcome { Passed, Failed, Unavailable };

// Runs check(folder) where permission bits apply: directly, or, when the tests run as root (whom they
// do not stop), in a child process that has become the user nobody, given 10 s. The folder is opened
// to everyone for that.
Outcome runWithoutPrivileges(Outcome (*check)(const QString& folder), const QString& folder)
{
    if (::geteuid() != 0)
        return check(folder);
    if (::chmod(QFile::encodeName(folder).constData(), 0777) != 0)
        return Outcome::Unavailable;
    const pid_t child = ::fork();
    if (child < 0)
        return Outcome::Unavailable;
    if (child == 0) {
        constexpr gid_t nobody = 65534;
        if (::setgroups(0, nullptr) != 0 || ::setgid(nobody) != 0 || ::setuid(nobody) != 0)
            ::_exit(static_cast<int>(Outcome::Unavailable));
        ::_exit(static_cast<int>(check(folder)));
    }
    for (int tick = 0; tick < 1000; ++tick) {
        int status = 0;
        const pid_t done = ::waitpid(child, &status, WNOHANG);
        if (done == child)
            return WIFEXITED(status) ? static_cast<Outcome>(WEXITSTATUS(status)) : Outcome::Failed;
        if (done < 0)
            return Outcome::Failed;
        ::usleep(10'000);
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    return Outcome::Failed;
}

// ---- reading ----------------------------------------------------------------------------------

struct ReadCase {
    const char* name;
    std::string_view file;
    const char16_t* section;
    const char16_t* key;
    const char16_t* expected; // nullptr: the default
};

class IniFileRead : public ::testing::TestWithParam<ReadCase> { };

TEST_P(IniFileRead, FollowsThePlatformRules)
{
    const ReadCase& c = GetParam();
    const IniFile ini = IniFile::fromBytes(bytesOf(c.file));
    const QString fallback = QStringLiteral("<default>");
    const QString expected = c.expected ? QString::fromUtf16(c.expected) : fallback;
    EXPECT_EQ(ini.ReadString(QString::fromUtf16(c.section), QString::fromUtf16(c.key), fallback), expected);
}

INSTANTIATE_TEST_SUITE_P(Rules, IniFileRead,
    ::testing::Values(ReadCase {"plain", "[S]\r\nK=v\r\n", u"S", u"K", u"v"},
        ReadCase {"names_ignore_case", "[sEcTiOn]\r\nkEy=v\r\n", u"SECTION", u"KEY", u"v"},
        ReadCase {"accented_names_ignore_case", "[Se\xC3\xA7\xC3\xA3o]\nChave=v\n", u"SE\u00C7\u00C3O",
            u"CHAVE", u"v"},
        ReadCase {"blanks_trimmed", "[ \tS\v ]\n \t K \v=\t v w \t\n", u"S", u"K", u"v w"},
        ReadCase {"form_feed_is_no_blank", "[S]\nK=\fv\n", u"S", u"K", u"\fv"},
        ReadCase {"double_quotes_removed_blanks_inside_kept", "[S]\nK=  \"  v  \"  \n", u"S", u"K", u"  v  "},
        ReadCase {"single_quotes_removed", "[S]\nK='v'\n", u"S", u"K", u"v"},
        ReadCase {"empty_quotes", "[S]\nK=\"\"\n", u"S", u"K", u""},
        ReadCase {"lone_quote_kept", "[S]\nK=\"\n", u"S", u"K", u"\""},
        ReadCase {"mismatched_quotes_kept", "[S]\nK=\"x'\n", u"S", u"K", u"\"x'"},
        ReadCase {"only_one_pair_removed", "[S]\nK=\"\"x\"\"\n", u"S", u"K", u"\"x\""},
        ReadCase {"first_equals_splits_no_inline_comment", "[S]\nK=a=b ;c #d\n", u"S", u"K", u"a=b ;c #d"},
        ReadCase {"semicolon_line_is_comment", "[S]\n  ;K=x\nK=y\n", u"S", u"K", u"y"},
        ReadCase {"commented_key_only", "[S]\n;K=x\n", u"S", u"K", nullptr},
        ReadCase {"hash_is_no_comment", "[S]\n#K=x\n", u"S", u"#K", u"x"},
        ReadCase {"line_without_equals_is_no_key", "[S]\nK\nK=v\n", u"S", u"K", u"v"},
        ReadCase {"empty_key_name", "[S]\n=v\n", u"S", u"", u"v"},
        ReadCase {"first_key_wins", "[S]\nK=1\nk=2\n", u"S", u"K", u"1"},
        ReadCase {"first_section_wins", "[S]\nA=1\n[s]\nK=2\n", u"S", u"K", nullptr},
        ReadCase {"key_in_later_section_not_seen", "[S]\nA=1\n[T]\nK=2\n", u"S", u"K", nullptr},
        ReadCase {"key_before_first_section_unreadable", "K=v\n[S]\n", u"S", u"K", nullptr},
        ReadCase {"header_ends_at_first_bracket", "[S]x]junk\nK=v\n", u"S", u"K", u"v"},
        ReadCase {"header_without_bracket_counts", "[S\nK=v\n", u"S", u"K", u"v"},
        ReadCase {"header_after_blanks", "  [S]\nK=v\n", u"S", u"K", u"v"},
        ReadCase {"bracket_in_value_is_no_header", "[S]\nK=[T]\nL=w\n", u"S", u"L", u"w"},
        ReadCase {"lf_line_ends", "[S]\nA=1\nK=v\n", u"S", u"K", u"v"},
        ReadCase {"cr_line_ends", "[S]\rA=1\rK=v\r", u"S", u"K", u"v"},
        ReadCase {"mixed_line_ends", "[S]\r\nA=1\rB=2\nK=v", u"S", u"K", u"v"},
        ReadCase {"missing_file_is_empty", "", u"S", u"K", nullptr},
        ReadCase {"missing_section", "[T]\nK=v\n", u"S", u"K", nullptr},
        ReadCase {"missing_key", "[S]\nA=v\n", u"S", u"K", nullptr},
        ReadCase {"present_empty_is_empty", "[S]\nK=\n", u"S", u"K", u""},
        ReadCase {"present_blank_is_empty", "[S]\nK=  \t\n", u"S", u"K", u""},
        ReadCase {"value_cut_at_nul", "[S]\nK=ab\0cd\n"sv, u"S", u"K", u"ab"},
        ReadCase {"nul_lines_elsewhere", "\0\0\n[S]\0\nX\0=1\nK=v\n"sv, u"S", u"K", u"v"},
        ReadCase {"utf8", "[S]\nK=revis\xC3\xA3o\n", u"S", u"K", u"revis\u00E3o"},
        ReadCase {
            "utf8_with_bom", "\xEF\xBB\xBF[S]\nK=Aten\xC3\xA7\xC3\xA3o\n", u"S", u"K", u"Aten\u00E7\u00E3o"},
        ReadCase {"windows_1252", "[S]\nK=revis\xE3o \x80\n", u"S", u"K", u"revis\u00E3o \u20AC"},
        ReadCase {"utf8_mark_before_1252", "\xEF\xBB\xBF[S]\nK=revis\xE3o\n", u"S", u"K", u"revis\u00E3o"},
        ReadCase {"invalid_utf8_reads_as_1252", "[S]\nK=\xC3\xA3 \xE3\n", u"S", u"K", u"\u00C3\u00A3 \u00E3"},
        ReadCase {"truncated_utf8_reads_as_1252", "[S]\nK=\xC3", u"S", u"K", u"\u00C3"},
        ReadCase {
            "encoded_surrogate_reads_as_1252", "[S]\nK=\xED\xA0\x80", u"S", u"K", u"\u00ED\u00A0\u20AC"}),
    [](const auto& row) { return rowName(row.param.name); });

TEST(IniFileRead, Utf16LittleEndianWithMark)
{
    const IniFile ini
        = IniFile::fromBytes(utf16le(QStringLiteral(u"[S]\r\nK=Mensagem rodap\u00E9 \U0001F600\r\n")));
    EXPECT_EQ(ini.encoding(), IniFile::Encoding::Utf16LE);
    EXPECT_EQ(ini.ReadString(u"s", u"k", QString()), QStringLiteral(u"Mensagem rodap\u00E9 \U0001F600"));
}

TEST(IniFileRead, LongValuesAreCutTo2047Characters)
{
    const QByteArray value(5000, 'x');
    const IniFile ini
        = IniFile::fromBytes("[S]\nK=" + value + "\nQ=\"" + value + "\"\nE=" + value.first(2047) + "\n");
    EXPECT_EQ(ini.ReadString(u"S", u"K", QString()), QString(2047, u'x'));
    EXPECT_EQ(ini.ReadString(u"S", u"Q", QString()), QString(2047, u'x')) << "quotes go before the cut";
    EXPECT_EQ(ini.ReadString(u"S", u"E", QString()), QString(2047, u'x'));
    // A cut never leaves half of a surrogate pair.
    const IniFile emoji = IniFile::fromBytes("[S]\nK=" + QByteArray(2046, 'a') + "\xF0\x9F\x98\x80\n");
    EXPECT_EQ(emoji.ReadString(u"S", u"K", QString()), QString(2046, u'a'));
}

// ---- integers and booleans --------------------------------------------------------------------

struct IntegerCase {
    const char* name;
    const char16_t* text;
    std::optional<std::int32_t> expected;
};

class IniFileInteger : public ::testing::TestWithParam<IntegerCase> { };

TEST_P(IniFileInteger, Parses)
{
    const IntegerCase& c = GetParam();
    EXPECT_EQ(IniFile::parseInteger(QString::fromUtf16(c.text)), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Rules, IniFileInteger,
    ::testing::Values(IntegerCase {"decimal", u"42", 42}, IntegerCase {"plus", u"+7", 7},
        IntegerCase {"minus", u"-12", -12}, IntegerCase {"minus_zero", u"-0", 0},
        IntegerCase {"leading_zeros", u"0000000000000000000007", 7}, IntegerCase {"hex_0x", u"0x1A", 26},
        IntegerCase {"hex_0X_lower_digits", u"0X1a", 26}, IntegerCase {"hex_0x_one_digit", u"0x1", 1},
        IntegerCase {"hex_dollar", u"$FF", 255}, IntegerCase {"max", u"2147483647", 2147483647},
        IntegerCase {"min", u"-2147483648", -2147483647 - 1},
        IntegerCase {"hex_max", u"0x7FFFFFFF", 2147483647},
        IntegerCase {"above_max", u"2147483648", std::nullopt},
        IntegerCase {"below_min", u"-2147483649", std::nullopt},
        IntegerCase {"hex_above_max", u"0x80000000", std::nullopt},
        IntegerCase {"huge", u"99999999999999999999999", std::nullopt},
        IntegerCase {"zero_x_alone", u"0x", std::nullopt}, IntegerCase {"dollar_alone", u"$", std::nullopt},
        IntegerCase {"sign_alone", u"-", std::nullopt}, IntegerCase {"signed_hex", u"-0x1A", std::nullopt},
        IntegerCase {"hex_with_sign_inside", u"$-1", std::nullopt},
        IntegerCase {"word", u"abc", std::nullopt}, IntegerCase {"word_false", u"false", std::nullopt},
        IntegerCase {"empty", u"", std::nullopt}, IntegerCase {"inner_blank", u"1 2", std::nullopt},
        IntegerCase {"fraction", u"1.5", std::nullopt},
        IntegerCase {"trailing_letters", u"12abc", std::nullopt},
        IntegerCase {"arabic_indic_digits", u"\u0661\u0662", std::nullopt},
        IntegerCase {"fullwidth_digit", u"\uFF11", std::nullopt}),
    [](const auto& row) { return rowName(row.param.name); });

TEST(IniFileInteger, ReadsTheTrimmedUnquotedValue)
{
    const IniFile ini = IniFile::fromBytes("[S]\nA = 0x1A \nB='12'\nC=abc\nD=\n");
    EXPECT_EQ(ini.ReadInteger(u"S", u"A", 1), 26);
    EXPECT_EQ(ini.ReadInteger(u"S", u"B", 1), 12);
    EXPECT_EQ(ini.ReadInteger(u"S", u"C", 1), 1);
    EXPECT_EQ(ini.ReadInteger(u"S", u"D", 5), 5);
    EXPECT_EQ(ini.ReadInteger(u"S", u"missing", -3), -3);
}

struct BoolCase {
    const char* name;
    const char* value; // nullptr: no key
    bool fallback;
    bool expected;
};

class IniFileBool : public ::testing::TestWithParam<BoolCase> { };

TEST_P(IniFileBool, ReadsThroughIntegers)
{
    const BoolCase& c = GetParam();
    const QByteArray file = c.value ? QByteArray("[S]\nK=") + c.value + "\n" : QByteArray("[S]\n");
    EXPECT_EQ(IniFile::fromBytes(file).ReadBool(u"S", u"K", c.fallback), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Rules, IniFileBool,
    ::testing::Values(BoolCase {"zero_is_false", "0", true, false},
        BoolCase {"one_is_true", "1", false, true}, BoolCase {"two_is_true", "2", false, true},
        BoolCase {"minus_one_is_true", "-1", false, true}, BoolCase {"hex_zero_is_false", "0x0", true, false},
        BoolCase {"word_false_gives_default_true", "false", true, true},
        BoolCase {"word_true_gives_default_false", "true", false, false},
        BoolCase {"empty_gives_default", "", true, true},
        BoolCase {"absent_gives_default", nullptr, true, true}),
    [](const auto& row) { return rowName(row.param.name); });

// ---- writing, byte for byte -------------------------------------------------------------------

struct WriteCase {
    const char* name;
    std::string_view before;
    const char16_t* section;
    const char16_t* key;
    const char16_t* value;
    std::string_view after;
};

class IniFileWrite : public ::testing::TestWithParam<WriteCase> { };

TEST_P(IniFileWrite, ChangesOnlyTheKeyLine)
{
    const WriteCase& c = GetParam();
    IniFile ini = IniFile::fromBytes(bytesOf(c.before));
    ini.WriteString(QString::fromUtf16(c.section), QString::fromUtf16(c.key), QString::fromUtf16(c.value));
    EXPECT_EQ(ini.toBytes(), bytesOf(c.after));
}

INSTANTIATE_TEST_SUITE_P(Rules, IniFileWrite,
    ::testing::Values(WriteCase {"new_file", "", u"S", u"K", u"V", "[S]\r\nK=V\r\n"},
        WriteCase {"replace_in_place_keeping_spelling", "[s]\r\n  Key = old ;x\r\nB=2\r\n", u"S", u"KEY",
            u"new", "[s]\r\nKey=new\r\nB=2\r\n"},
        WriteCase {"replace_keeps_that_lines_end", "[S]\r\nK=old\nB=2\r\n", u"S", u"K", u"new",
            "[S]\r\nK=new\nB=2\r\n"},
        WriteCase {"replace_first_of_duplicates", "[S]\r\nK=1\r\nK=2\r\n", u"S", u"K", u"3",
            "[S]\r\nK=3\r\nK=2\r\n"},
        WriteCase {"replace_last_line_without_line_end", "[S]\r\nK=old", u"S", u"K", u"new", "[S]\r\nK=new"},
        WriteCase {"new_key_after_last_key_line", "[A]\r\nx=1\r\n\r\n; note\r\n[B]\r\ny=2\r\n", u"A", u"z",
            u"3", "[A]\r\nx=1\r\nz=3\r\n\r\n; note\r\n[B]\r\ny=2\r\n"},
        WriteCase {"new_key_in_section_without_keys", "[A]\r\n; c\r\njunk\r\n[B]\r\n", u"A", u"k", u"v",
            "[A]\r\nk=v\r\n; c\r\njunk\r\n[B]\r\n"},
        WriteCase {"new_key_in_first_of_duplicate_sections", "[A]\r\nx=1\r\n[a]\r\n", u"A", u"k", u"v",
            "[A]\r\nx=1\r\nk=v\r\n[a]\r\n"},
        WriteCase {
            "commented_key_is_not_replaced", "[S]\r\n;K=1\r\n", u"S", u"K", u"2", "[S]\r\nK=2\r\n;K=1\r\n"},
        WriteCase {"key_before_first_section_is_not_replaced", "K=1\r\n[S]\r\n", u"S", u"K", u"2",
            "K=1\r\n[S]\r\nK=2\r\n"},
        WriteCase {"new_section_at_end", "[A]\r\nx=1\r\n", u"N", u"k", u"v", "[A]\r\nx=1\r\n[N]\r\nk=v\r\n"},
        WriteCase {"new_section_in_file_without_final_line_end", "[A]\r\nx=1", u"N", u"k", u"v",
            "[A]\r\nx=1\r\n[N]\r\nk=v\r\n"},
        WriteCase {
            "new_key_after_last_line_without_line_end", "[A]\nx=1", u"A", u"k", u"v", "[A]\nx=1\nk=v\n"},
        WriteCase {"new_key_after_header_without_line_end", "[A]", u"A", u"k", u"v", "[A]\r\nk=v\r\n"},
        WriteCase {"lf_file_keeps_lf", "[A]\nx=1\n", u"N", u"k", u"v", "[A]\nx=1\n[N]\nk=v\n"},
        WriteCase {"cr_file_keeps_cr", "[A]\rx=1\r", u"A", u"k", u"v", "[A]\rx=1\rk=v\r"},
        WriteCase {"line_end_style_of_first_line", "[A]\nx=1\r\n", u"A", u"k", u"v", "[A]\nx=1\r\nk=v\n"},
        WriteCase {"value_verbatim", "[S]\r\n", u"S", u"K", u"  \"v\"  ", "[S]\r\nK=  \"v\"  \r\n"},
        WriteCase {
            "value_with_line_break_verbatim", "", u"S", u"K", u"one\r\ntwo", "[S]\r\nK=one\r\ntwo\r\n"},
        WriteCase {
            "utf8_accents", "[S]\nK=x\n", u"S", u"K", u"Aten\u00E7\u00E3o", "[S]\nK=Aten\xC3\xA7\xC3\xA3o\n"},
        WriteCase {
            "utf8_bom_kept", "\xEF\xBB\xBF", u"S", u"K", u"\u00E9", "\xEF\xBB\xBF[S]\r\nK=\xC3\xA9\r\n"},
        WriteCase {"windows_1252_accents", "[S]\r\nK=revis\xE3o\r\n", u"S", u"K", u"Aten\u00E7\u00E3o \u20AC",
            "[S]\r\nK=Aten\xE7\xE3o \x80\r\n"},
        WriteCase {"utf8_mark_before_1252_kept", "\xEF\xBB\xBF[S]\r\nK=\xE3\r\n", u"S", u"K", u"\u00E9",
            "\xEF\xBB\xBF[S]\r\nK=\xE9\r\n"},
        WriteCase {"windows_1252_lacking_character", "[S]\r\nX=\xE9\r\n", u"S", u"K", u"\u0100\U0001F600",
            "[S]\r\nX=\xE9\r\nK=??\r\n"},
        WriteCase {"undefined_1252_bytes_kept", "[S]\r\nX=\x81\x8D\x8F\x90\x9D\r\n", u"S", u"K", u"v",
            "[S]\r\nX=\x81\x8D\x8F\x90\x9D\r\nK=v\r\n"},
        WriteCase {"nul_bytes_kept", "[S]\r\nX=a\0b\r\n\0\r\n"sv, u"S", u"K", u"v",
            "[S]\r\nX=a\0b\r\nK=v\r\n\0\r\n"sv}),
    [](const auto& row) { return rowName(row.param.name); });

TEST(IniFileWrite, IntegersAndBooleans)
{
    IniFile ini = IniFile::fromBytes({});
    ini.WriteInteger(u"S", u"N", -2147483647 - 1);
    ini.WriteInteger(u"S", u"P", 26);
    ini.WriteBool(u"S", u"T", true);
    ini.WriteBool(u"S", u"F", false);
    EXPECT_EQ(ini.toBytes(), QByteArray("[S]\r\nN=-2147483648\r\nP=26\r\nT=1\r\nF=0\r\n"));
}

TEST(IniFileWrite, Utf16FileStaysUtf16)
{
    IniFile ini = IniFile::fromBytes(utf16le(QStringLiteral(u"[S]\r\nK=a\r\n")));
    ini.WriteString(u"S", u"K", u"rodap\u00E9");
    ini.WriteString(u"T", u"L", u"\U0001F600");
    EXPECT_EQ(ini.toBytes(), utf16le(QStringLiteral(u"[S]\r\nK=rodap\u00E9\r\n[T]\r\nL=\U0001F600\r\n")));
    // An odd last byte is not text, yet is kept.
    IniFile odd = IniFile::fromBytes(utf16le(QStringLiteral(u"[S]\r\n")) + 'z');
    odd.WriteString(u"S", u"K", u"v");
    EXPECT_EQ(odd.toBytes(), utf16le(QStringLiteral(u"[S]\r\nK=v\r\n")) + 'z');
}

TEST(IniFileWrite, ReadsBackWhatItWrote)
{
    IniFile ini = IniFile::fromBytes("junk\n[S]\nK=old\n");
    ini.WriteString(u"s", u"k", u"Mensagem rodap\u00E9");
    ini.WriteString(u"s", u"new", u"x");
    ini.WriteString(u"other", u"k", u"y");
    EXPECT_EQ(ini.ReadString(u"S", u"K", QString()), QStringLiteral(u"Mensagem rodap\u00E9"));
    EXPECT_EQ(ini.ReadString(u"S", u"NEW", QString()), QStringLiteral("x"));
    EXPECT_EQ(ini.ReadString(u"OTHER", u"K", QString()), QStringLiteral("y"));
    const IniFile again = IniFile::fromBytes(ini.toBytes());
    EXPECT_EQ(again.ReadString(u"S", u"K", QString()), QStringLiteral(u"Mensagem rodap\u00E9"));
}

TEST(IniFileWrite, RoundTripKeepsEverythingItDoesNotWrite)
{
    const QByteArray before = "; ERP settings\r\n"
                              "[ERP]\r\n"
                              "  Caminho = C:\\ERP\\dados ; not a comment\r\n"
                              "\r\n"
                              "[REMETRONCOBRANCA]\r\n"
                              "empresa=3\r\n"
                              "; the host\r\n"
                              "Host =  db  \r\n"
                              "\r\n"
                              "[Outra]\r\n"
                              "chave=\xE9\r\n"
                              "\r\n";
    IniFile ini = IniFile::fromBytes(before);
    ASSERT_EQ(ini.encoding(), IniFile::Encoding::Windows1252);
    ini.WriteInteger(u"REMETRONCOBRANCA", u"EMPRESA", 3);
    ini.WriteString(u"REMETRONCOBRANCA", u"HOST", u"db");
    ini.WriteString(u"REMETRONCOBRANCA", u"BANCO", u"erp");
    ini.WriteString(u"REMETRONREVISAO", u"TITULO", u"Revis\u00E3o");
    EXPECT_EQ(ini.toBytes(),
        QByteArray("; ERP settings\r\n"
                   "[ERP]\r\n"
                   "  Caminho = C:\\ERP\\dados ; not a comment\r\n"
                   "\r\n"
                   "[REMETRONCOBRANCA]\r\n"
                   "empresa=3\r\n"
                   "; the host\r\n"
                   "Host=db\r\n"
                   "BANCO=erp\r\n"
                   "\r\n"
                   "[Outra]\r\n"
                   "chave=\xE9\r\n"
                   "\r\n"
                   "[REMETRONREVISAO]\r\n"
                   "TITULO=Revis\xE3o\r\n"));
}

// ---- malformed input --------------------------------------------------------------------------

TEST(IniFileMalformed, NeverStopsReadingWhatCanBeRead)
{
    const QByteArray megabyteLine(1024 * 1024, 'x');
    struct Case {
        const char* name;
        QByteArray file;
    };
    const Case cases[] = {
        {"megabyte_line_before", megabyteLine + "\n[S]\nK=v\n"},
        {"megabyte_header_before", "[" + megabyteLine + "\n[S]\nK=v\n"},
        {"megabyte_key_line_in_section", "[S]\n" + megabyteLine + "=y\nK=v\n"},
        {"megabyte_line_without_equals", "[S]\n" + megabyteLine + "\nK=v\n"},
        {"brackets_and_equals_only", "]]]===[[[\n===\n[S]\nK=v\n"},
        {"nul_everywhere", bytesOf("\0[\0]\0\n[S]\nK=v\n\0"sv)},
        {"invalid_utf8_everywhere", "\xFF\xC0\x80\n[S]\x80\nK=v\n\xFE"},
    };
    for (const Case& c : cases) {
        IniFile ini = IniFile::fromBytes(c.file);
        EXPECT_EQ(ini.ReadString(u"S", u"K", QString()), QStringLiteral("v")) << c.name;
        ini.WriteString(u"S", u"K", u"w");
        ini.WriteString(u"T", u"K", u"w");
        EXPECT_EQ(IniFile::fromBytes(ini.toBytes()).ReadString(u"S", u"K", QString()), QStringLiteral("w"))
            << c.name;
    }
}

// Files of 50 MB read and write in one pass each, whatever their shape: each of these would hang or
// exhaust the test's time limit if a step were quadratic in the number of lines.
TEST(IniFileMalformed, FiftyMegabytes)
{
    constexpr qsizetype size = 50 * 1024 * 1024;
    struct Case {
        const char* name;
        QByteArray file;
    };
    const Case cases[] = {
        {"cr_only_lines", QByteArray(size, '\r') + "[S]\rK=v\r"},
        {"lf_only_lines", QByteArray(size, '\n') + "[S]\nK=v\n"},
        {"one_line", QByteArray(size, 'x') + "\n[S]\nK=v\n"},
        {"short_keys_in_the_section", "[S]\n" + QByteArray("a=b\n").repeated(size / 4) + "K=v\n"},
    };
    for (const Case& c : cases) {
        IniFile ini = IniFile::fromBytes(c.file);
        EXPECT_EQ(ini.ReadString(u"S", u"K", QString()), QStringLiteral("v")) << c.name;
        ini.WriteString(u"S", u"K", u"w");
        ini.WriteString(u"S", u"L", u"x");
        EXPECT_EQ(ini.toBytes().size(), c.file.size() + 4) << c.name;
    }
}

// ---- the file on disk -------------------------------------------------------------------------

class IniFileDisk : public ::testing::Test {
protected:
    TempDir dir;
    const QString path = dir.file(QStringLiteral("ERP.INI"));

    QStringList entries(const QString& folder) const
    {
        return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }
};

TEST_F(IniFileDisk, MissingFileIsCreatedOwnerOnlyInUtf8)
{
    const mode_t oldMask = ::umask(0);
    IniFile ini(path);
    EXPECT_EQ(ini.ReadString(u"S", u"K", QStringLiteral("d")), QStringLiteral("d"));
    ini.WriteString(u"S", u"K", u"Revis\u00E3o");
    ini.UpdateFile();
    ::umask(oldMask);
    EXPECT_EQ(readAll(path), QByteArray("[S]\r\nK=Revis\xC3\xA3o\r\n"));
    EXPECT_EQ(modeOf(path), 0600u);
    EXPECT_EQ(entries(dir.path()), QStringList {QStringLiteral("ERP.INI")}) << "no temporary file left";
}

TEST_F(IniFileDisk, NothingWrittenLeavesTheDiskAlone)
{
    IniFile ini(path);
    ini.UpdateFile();
    EXPECT_FALSE(QFileInfo::exists(path));
}

TEST_F(IniFileDisk, ExistingPermissionsAndEncodingAreKept)
{
    for (const mode_t mode : {0644u, 0640u, 0600u, 0666u}) {
        writeFile(path, "[S]\r\nK=revis\xE3o\r\n");
        ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0);
        IniFile ini(path);
        EXPECT_EQ(ini.ReadString(u"S", u"K", QString()), QStringLiteral(u"revis\u00E3o"));
        ini.WriteString(u"S", u"K", u"Aten\u00E7\u00E3o");
        ini.UpdateFile();
        EXPECT_EQ(readAll(path), QByteArray("[S]\r\nK=Aten\xE7\xE3o\r\n"));
        EXPECT_EQ(modeOf(path), mode);
    }
}

TEST_F(IniFileDisk, SymbolicLinkIsFollowedAndKept)
{
    TempDir elsewhere;
    const QString target = elsewhere.file(QStringLiteral("real.ini"));
    writeFile(target, "[S]\nK=old\n");
    // A relative link through a second link: both stay links, the final file is replaced.
    ASSERT_EQ(
        ::symlink("real.ini", QFile::encodeName(elsewhere.file(QStringLiteral("hop.ini"))).constData()), 0);
    ASSERT_EQ(::symlink(QFile::encodeName(elsewhere.file(QStringLiteral("hop.ini"))).constData(),
                  QFile::encodeName(path).constData()),
        0);
    IniFile ini(path);
    EXPECT_EQ(ini.ReadString(u"S", u"K", QString()), QStringLiteral("old"));
    ini.WriteString(u"S", u"K", u"new");
    ini.UpdateFile();
    EXPECT_TRUE(QFileInfo(path).isSymbolicLink());
    EXPECT_TRUE(QFileInfo(elsewhere.file(QStringLiteral("hop.ini"))).isSymbolicLink());
    EXPECT_EQ(readAll(target), QByteArray("[S]\nK=new\n"));
    EXPECT_EQ(entries(dir.path()), QStringList {QStringLiteral("ERP.INI")});
    EXPECT_EQ(
        entries(elsewhere.path()), (QStringList {QStringLiteral("hop.ini"), QStringLiteral("real.ini")}));
}

TEST_F(IniFileDisk, DanglingLinkCreatesItsTarget)
{
    ASSERT_EQ(::symlink("target.ini", QFile::encodeName(path).constData()), 0);
    IniFile ini(path);
    ini.WriteString(u"S", u"K", u"v");
    ini.UpdateFile();
    EXPECT_TRUE(QFileInfo(path).isSymbolicLink());
    EXPECT_EQ(readAll(dir.file(QStringLiteral("target.ini"))), QByteArray("[S]\r\nK=v\r\n"));
}

TEST_F(IniFileDisk, FailedWriteKeepsTheOldFileAndNamesIt)
{
    const QByteArray old = "[S]\r\nK=old\r\n; keep me\r\n";
    writeFile(path, old);
    IniFile ini(path);
    ini.WriteString(u"S", u"K", QString(4096, u'x'));
    QString message = QStringLiteral("<no error>");
    {
        FileSizeLimit limit(64); // the temporary file fails half-way
        try {
            ini.UpdateFile();
        } catch (const platform::InOutError& error) {
            message = error.message();
        }
    }
    EXPECT_EQ(message, QStringLiteral("Unable to write to ") + path);
    EXPECT_EQ(readAll(path), old);
    EXPECT_EQ(entries(dir.path()), QStringList {QStringLiteral("ERP.INI")})
        << "the temporary file is removed";
    ini.UpdateFile(); // once the cause is gone, the same changes save
    EXPECT_EQ(readAll(path), "[S]\r\nK=" + QByteArray(4096, 'x') + "\r\n; keep me\r\n");
}

// The folder would let a rename replace the file, but the file itself is read-only.
TEST_F(IniFileDisk, ReadOnlyFileIsNotReplaced)
{
    const Outcome outcome = runWithoutPrivileges(
        [](const QString& folder) {
            const QString file = folder + QStringLiteral("/ERP.INI");
            const QByteArray old = "[S]\r\nK=old\r\n";
            QFile created(file);
            if (!created.open(QIODevice::WriteOnly) || created.write(old) != old.size())
                return Outcome::Unavailable;
            created.close();
            if (::chmod(QFile::encodeName(file).constData(), 0444) != 0)
                return Outcome::Unavailable;
            IniFile ini(file);
            ini.WriteString(u"S", u"K", u"new");
            try {
                ini.UpdateFile();
                return Outcome::Failed;
            } catch (const platform::InOutError& error) {
                if (error.message() != QStringLiteral("Unable to write to ") + file)
                    return Outcome::Failed;
            }
            return readAll(file) == old ? Outcome::Passed : Outcome::Failed;
        },
        dir.path());
    if (outcome == Outcome::Unavailable)
        GTEST_SKIP() << "no unprivileged user can reach " << dir.path().toStdString();
    EXPECT_TRUE(outcome == Outcome::Passed) << "the read-only file was replaced, or the error was not raised";
    EXPECT_EQ(entries(dir.path()), QStringList {QStringLiteral("ERP.INI")}) << "no temporary file left";
    EXPECT_EQ(modeOf(path), 0444u);
}

TEST_F(IniFileDisk, FolderThatCannotHoldAFileRaises)
{
    writeFile(dir.file(QStringLiteral("plain")), "not a folder");
    const QString inside = dir.file(QStringLiteral("plain/ERP.INI"));
    IniFile ini(inside);
    EXPECT_EQ(ini.ReadString(u"S", u"K", QStringLiteral("d")), QStringLiteral("d"));
    ini.WriteString(u"S", u"K", u"v");
    EXPECT_THROW(ini.UpdateFile(), platform::InOutError);
    const QString missingFolder = dir.file(QStringLiteral("none/ERP.INI"));
    IniFile nowhere(missingFolder);
    nowhere.WriteString(u"S", u"K", u"v");
    EXPECT_THROW(nowhere.UpdateFile(), platform::InOutError);
}

TEST_F(IniFileDisk, LinkLoopRaises)
{
    ASSERT_EQ(::symlink("ERP.INI", QFile::encodeName(path).constData()), 0);
    IniFile ini(path);
    ini.WriteString(u"S", u"K", u"v");
    EXPECT_THROW(ini.UpdateFile(), platform::InOutError);
    EXPECT_TRUE(QFileInfo(path).isSymbolicLink());
}

// A file that exists but cannot be read must not be replaced by one holding only our keys.
TEST_F(IniFileDisk, UnreadableFileIsNeverReplaced)
{
    struct Case {
        const char* name;
        void (*make)(const QString& path);
    };
    const Case cases[] = {
        {"folder", [](const QString& p) { ASSERT_TRUE(QDir().mkdir(p)); }},
        {"fifo", [](const QString& p) { ASSERT_EQ(::mkfifo(QFile::encodeName(p).constData(), 0600), 0); }},
        {"over_the_size_cap",
            [](const QString& p) {
                writeFile(p, "[S]\nK=v\n");
                ASSERT_EQ(::truncate(QFile::encodeName(p).constData(), IniFile::maxFileSize + 1), 0);
            }},
    };
    for (const Case& c : cases) {
        TempDir fresh;
        const QString file = fresh.file(QStringLiteral("ERP.INI"));
        c.make(file);
        const QFileInfo before(file);
        IniFile ini(file);
        EXPECT_EQ(ini.ReadString(u"S", u"K", QStringLiteral("d")), QStringLiteral("d")) << c.name;
        ini.WriteString(u"S", u"K", u"w");
        EXPECT_THROW(ini.UpdateFile(), platform::InOutError) << c.name;
        const QFileInfo after(file);
        EXPECT_EQ(after.isDir(), before.isDir()) << c.name;
        EXPECT_EQ(after.size(), before.size()) << c.name;
        EXPECT_EQ(entries(fresh.path()).size(), 1) << c.name;
    }
}

TEST(IniFileMemory, HasNoFileToUpdate)
{
    IniFile ini = IniFile::fromBytes("[S]\n");
    ini.WriteString(u"S", u"K", u"v");
    EXPECT_THROW(ini.UpdateFile(), platform::InOutError);
}

} // namespace
