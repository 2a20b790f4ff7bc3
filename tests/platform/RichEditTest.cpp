#include "platform/RichEdit.h"

#include "platform/Exception.h"

#include <QFontInfo>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace {

using platform::RichEdit;

// Table rows print as their names.
template <typename Row>
requires requires(const Row& row)
{
    row.name;
}
void PrintTo(const Row& row, std::ostream* os)
{
    *os << row.name;
}

// The styles of the character at position, read from the document itself.
TFontStyles stylesAt(QTextDocument& document, int position)
{
    QTextCursor cursor(&document);
    cursor.setPosition(position + 1);
    const QTextCharFormat format = cursor.charFormat();
    TFontStyles styles;
    if (format.fontWeight() > QFont::Normal)
        styles = styles | fsBold;
    if (format.fontItalic())
        styles = styles | fsItalic;
    if (format.fontUnderline())
        styles = styles | fsUnderline;
    if (format.fontStrikeOut())
        styles = styles | fsStrikeOut;
    return styles;
}

void select(RichEdit& edit, int start, int length)
{
    edit.setSelStart(start);
    edit.setSelLength(length);
}

TEST(RichEdit, StartsEmptyInAFixedPitchFontWithoutWordWrap)
{
    RichEdit edit;
    EXPECT_EQ(edit.Lines.Count(), 0);
    EXPECT_TRUE(edit.toPlainText().isEmpty());
    EXPECT_EQ(edit.textLength(), 0);
    EXPECT_EQ(edit.font().family(), QStringLiteral("Courier New"));
    // The face the system actually draws with must be fixed pitch, or the page's columns do not line up.
    EXPECT_TRUE(QFontInfo(edit.font()).fixedPitch()) << QFontInfo(edit.font()).family().toStdString();
    EXPECT_EQ(edit.lineWrapMode(), QTextEdit::NoWrap);
    EXPECT_NE(edit.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_NE(edit.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
}

struct AddCase {
    const char* name;
    std::vector<QString> added;
    QStringList lines;
};

class RichEditAdd : public ::testing::TestWithParam<AddCase> { };

TEST_P(RichEditAdd, AppendsLinesAsPlainText)
{
    const AddCase& c = GetParam();
    RichEdit edit;
    for (const QString& text : c.added)
        edit.Lines.Add(text);
    EXPECT_EQ(edit.Lines.toStringList(), c.lines);
    ASSERT_EQ(edit.Lines.Count(), c.lines.size());
    for (int i = 0; i < edit.Lines.Count(); ++i)
        EXPECT_EQ(edit.Lines.at(i), c.lines.at(i)) << i;
    for (int position = 0; position < edit.document()->characterCount() - 1; ++position)
        EXPECT_TRUE(stylesAt(*edit.document(), position).empty()) << position;
}

INSTANTIATE_TEST_SUITE_P(Table, RichEditAdd,
    ::testing::Values(
        AddCase {"one_line", {QStringLiteral("Prezado cliente")}, {QStringLiteral("Prezado cliente")}},
        AddCase {"trailing_blanks_stay", {QStringLiteral("  abc   "), QStringLiteral("   ")},
            {QStringLiteral("  abc   "), QStringLiteral("   ")}},
        AddCase {"empty_lines_count", {QString(), QString()}, {QString(), QString()}},
        AddCase {"crlf_starts_a_line", {QStringLiteral("linha 1\r\nlinha 2  ")},
            {QStringLiteral("linha 1"), QStringLiteral("linha 2  ")}},
        AddCase {"cr_lf_and_paragraph_separator_alone", {QStringLiteral(u"a\rb\nc\u2029d\r\n\r\ne")},
            {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d"), QString(),
                QStringLiteral("e")}},
        AddCase {"looks_like_html", {QStringLiteral("<b>negrito</b> &amp; <br>")},
            {QStringLiteral("<b>negrito</b> &amp; <br>")}},
        AddCase {"control_characters_stay", {QStringLiteral(u"a\tb\u0001c\u2028d")},
            {QStringLiteral(u"a\tb\u0001c\u2028d")}},
        AddCase {"frame_markers_replaced", {QStringLiteral(u"a\uFDD0b\uFDD1c")},
            {QStringLiteral(u"a\uFFFDb\uFFFDc")}},
        AddCase {"accents_and_symbols", {QStringLiteral(u"revisão – 10 € ’")},
            {QStringLiteral(u"revisão – 10 € ’")}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(RichEdit, AddsInTheRegularStyleAfterAStyledCharacter)
{
    RichEdit edit;
    edit.Lines.Add(QStringLiteral("ab"));
    select(edit, 1, 1);
    edit.SelAttributes.setStyle(fsBold | fsUnderline);
    edit.Lines.Add(QStringLiteral("cd"));
    EXPECT_EQ(stylesAt(*edit.document(), 1), fsBold | fsUnderline);
    for (const int position : {0, 3, 4})
        EXPECT_TRUE(stylesAt(*edit.document(), position).empty()) << position;
}

TEST(RichEdit, SelectsByPositionOverTheWholeTextAndClamps)
{
    RichEdit edit;
    edit.Lines.Add(QStringLiteral("abc"));
    edit.Lines.Add(QStringLiteral("de"));
    // Each line break takes one position: "d" is at 3 + 1.
    EXPECT_EQ(edit.positionOfLine(0), 0);
    EXPECT_EQ(edit.positionOfLine(1), 4);
    EXPECT_EQ(edit.positionOfLine(2), 7);
    select(edit, 4, 2);
    EXPECT_EQ(edit.textCursor().selectedText(), QStringLiteral("de"));
    EXPECT_EQ(edit.SelStart(), 4);
    EXPECT_EQ(edit.SelLength(), 2);
    select(edit, -3, -1);
    EXPECT_EQ(edit.SelStart(), 0);
    EXPECT_EQ(edit.SelLength(), 0);
    select(edit, 5, 100);
    EXPECT_EQ(edit.SelStart(), 5);
    EXPECT_EQ(edit.SelLength(), 2);
    edit.setSelStart(1000);
    EXPECT_EQ(edit.SelStart(), 7);
    EXPECT_THROW(edit.positionOfLine(3), platform::Exception);
    EXPECT_THROW(edit.Lines.at(2), platform::Exception);
    EXPECT_THROW(edit.Lines.at(-1), platform::Exception);
}

struct StyleCase {
    const char* name;
    TFontStyles before;
    TFontStyles set;
};

class RichEditStyle : public ::testing::TestWithParam<StyleCase> { };

TEST_P(RichEditStyle, GivesTheSelectionExactlyTheSet)
{
    const StyleCase& c = GetParam();
    RichEdit edit;
    edit.Lines.Add(QStringLiteral("abcdef"));
    select(edit, 1, 4);
    edit.SelAttributes.setStyle(c.before);
    select(edit, 2, 2);
    edit.SelAttributes.setStyle(c.set);
    EXPECT_EQ(edit.SelAttributes.Style(), c.set);
    const std::vector<TFontStyles> expected = {{}, c.before, c.set, c.set, c.before, {}};
    for (int position = 0; position < 6; ++position)
        EXPECT_EQ(stylesAt(*edit.document(), position).bits(), expected[position].bits()) << position;
}

INSTANTIATE_TEST_SUITE_P(Table, RichEditStyle,
    ::testing::Values(StyleCase {"bold_on_regular", {}, fsBold},
        StyleCase {"italic_on_regular", {}, fsItalic},
        StyleCase {"underline_replaces_bold_italic", fsBold | fsItalic, fsUnderline},
        StyleCase {"strike_out_on_underline", fsUnderline, fsStrikeOut},
        StyleCase {"all_four", {}, fsBold | fsItalic | fsUnderline | fsStrikeOut},
        StyleCase {"empty_set_clears_all", fsBold | fsItalic | fsUnderline | fsStrikeOut, {}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(RichEdit, StyleWithNothingSelectedChangesNothing)
{
    RichEdit edit;
    edit.Lines.Add(QStringLiteral("ab"));
    edit.setSelStart(1);
    edit.SelAttributes.setStyle(fsBold);
    EXPECT_TRUE(stylesAt(*edit.document(), 0).empty());
    EXPECT_TRUE(stylesAt(*edit.document(), 1).empty());
}

TEST(RichEdit, ReplacingALineKeepsTheStylesOfWhatDidNotChange)
{
    RichEdit edit;
    edit.Lines.Add(QStringLiteral("first"));
    edit.Lines.Add(QStringLiteral("abcdef"));
    select(edit, 6 + 1, 1); // "b"
    edit.SelAttributes.setStyle(fsBold);
    select(edit, 6 + 4, 1); // "e"
    edit.SelAttributes.setStyle(fsItalic);

    edit.Lines.replace(1, edit.Lines.at(1));
    EXPECT_EQ(edit.Lines.toStringList(), QStringList({QStringLiteral("first"), QStringLiteral("abcdef")}));
    EXPECT_EQ(stylesAt(*edit.document(), 7), TFontStyles(fsBold));
    EXPECT_EQ(stylesAt(*edit.document(), 10), TFontStyles(fsItalic));
    EXPECT_EQ(edit.SelStart(), 12); // the caret at the end of the line
    EXPECT_EQ(edit.SelLength(), 0);

    edit.Lines.replace(1, QStringLiteral("abXYZef"));
    EXPECT_EQ(edit.Lines.at(1), QStringLiteral("abXYZef"));
    EXPECT_EQ(stylesAt(*edit.document(), 7), TFontStyles(fsBold));
    EXPECT_EQ(stylesAt(*edit.document(), 11), TFontStyles(fsItalic));
    EXPECT_EQ(edit.SelStart(), 13);

    edit.Lines.replace(0, QStringLiteral("one\r\ntwo"));
    EXPECT_EQ(edit.Lines.toStringList(),
        QStringList({QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("abXYZef")}));
    EXPECT_THROW(edit.Lines.replace(3, QString()), platform::Exception);
}

// The text limit: every line's characters, and two for its line break (CR LF).
struct LimitCase {
    const char* name;
    int fullLines; // lines of 180 characters added first
    QString added;
    bool fits;
};

class RichEditLimit : public ::testing::TestWithParam<LimitCase> { };

TEST_P(RichEditLimit, RefusesAnAppendThatDoesNotFitWhole)
{
    const LimitCase& c = GetParam();
    RichEdit edit;
    for (int i = 0; i < c.fullLines; ++i)
        edit.Lines.Add(QString(180, QLatin1Char('x')));
    const QString before = edit.toPlainText();
    const qsizetype lengthBefore = edit.textLength();
    if (c.fits) {
        edit.Lines.Add(c.added);
        EXPECT_EQ(edit.Lines.Count(), c.fullLines + 1 + c.added.count(QStringLiteral("\r\n")));
        EXPECT_LE(edit.textLength(), RichEdit::MaxLength);
        return;
    }
    try {
        edit.Lines.Add(c.added);
        FAIL() << "the append went through";
    } catch (const platform::Exception& error) {
        EXPECT_EQ(error.message(), QStringLiteral("RichEdit line insertion error"));
    }
    EXPECT_EQ(edit.toPlainText(), before);
    EXPECT_EQ(edit.textLength(), lengthBefore);
    EXPECT_EQ(edit.Lines.Count(), c.fullLines);
}

INSTANTIATE_TEST_SUITE_P(Table, RichEditLimit,
    ::testing::Values(LimitCase {"one_line_exactly_at_the_limit", 0, QString(32765, QLatin1Char('a')), true},
        LimitCase {"one_line_one_over", 0, QString(32766, QLatin1Char('a')), false},
        // 180 lines of 180 take 32,760: seven remain.
        LimitCase {"last_line_exactly_at_the_limit", 180, QStringLiteral("12345"), true},
        LimitCase {"last_line_one_over", 180, QStringLiteral("123456"), false},
        LimitCase {"empty_line_needs_its_break", 180, QStringLiteral(""), true},
        LimitCase {"crlf_text_exactly_at_the_limit", 180, QStringLiteral("1\r\n23"), true},
        LimitCase {"crlf_counts_two", 180, QStringLiteral("12\r\n34"), false}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(RichEdit, ReplaceBeyondTheLimitChangesNothing)
{
    RichEdit edit;
    edit.Lines.Add(QString(32760, QLatin1Char('a')));
    edit.Lines.Add(QStringLiteral("b"));
    EXPECT_THROW(edit.Lines.replace(1, QStringLiteral("bcdefghi")), platform::Exception);
    EXPECT_EQ(edit.Lines.at(1), QStringLiteral("b"));
    edit.Lines.replace(1, QStringLiteral("bcd"));
    EXPECT_EQ(edit.textLength(), RichEdit::MaxLength);
}

} // namespace
