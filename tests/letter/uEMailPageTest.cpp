// The letter's page: TextOut fills the grid of cells, ColocaNoRichEdit renders it into mensagem.
#include "letter/uEMail.h"
#include "platform/Exception.h"
#include "platform/RichEdit.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

[[maybe_unused]] static void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

[[maybe_unused]] static void PrintTo(const QByteArray& bytes, std::ostream* os)
{
    *os << '"' << bytes.toPercentEncoding(" ").toStdString() << '"';
}

namespace {

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

struct Placement {
    std::int32_t row;
    std::int32_t column;
    QString text;
    TFontStyles style = {};
};

QString blanks(int count)
{
    return QString(count, QLatin1Char(' '));
}

QByteArray zeros(int count)
{
    return QByteArray(count, '\0');
}

// Cells 1 onwards of a row; cell 0 is never written.
QByteArray cellsOf(const std::vector<std::uint8_t>& row)
{
    return QByteArray(reinterpret_cast<const char*>(row.data()) + 1, static_cast<qsizetype>(row.size()) - 1);
}

// One hex digit per character of a line, read from the document itself: the bits of its style set
// (0 regular, 1 bold, 2 italic, 4 underline, 8 strike-out).
QString styleCodes(platform::RichEdit& edit, int line)
{
    QTextDocument* document = edit.document();
    const QTextBlock block = document->findBlockByNumber(line);
    QTextCursor cursor(document);
    QString codes;
    for (int i = 0; i < block.length() - 1; ++i) {
        cursor.setPosition(block.position() + i + 1);
        const QTextCharFormat format = cursor.charFormat();
        const int bits = (format.fontWeight() > QFont::Normal ? 1 : 0) | (format.fontItalic() ? 2 : 0)
            | (format.fontUnderline() ? 4 : 0) | (format.fontStrikeOut() ? 8 : 0);
        codes.append(QString::number(bits, 16));
    }
    return codes;
}

std::unique_ptr<Tform_email> filledForm(const std::vector<Placement>& placements)
{
    auto form = std::make_unique<Tform_email>();
    for (const Placement& placement : placements)
        form->TextOut(placement.row, placement.column, placement.text, placement.style);
    return form;
}

// ---- layout and rendering of unstyled pages ------------------------------------------------------

struct PageCase {
    const char* name;
    std::vector<Placement> placements;
    int renders;
    std::int32_t columns; // NumeroColunas
    std::int32_t rows; // NumeroLinhas
    std::vector<QByteArray> cells; // cells 1 onwards of every row of Matriz
    QStringList lines; // mensagem after rendering
};

class Page : public ::testing::TestWithParam<PageCase> { };

TEST_P(Page, PlacesTextsOnTheGridAndRendersRowByRow)
{
    const PageCase& c = GetParam();
    const auto form = filledForm(c.placements);
    EXPECT_EQ(form->Linha_Posicionada, 1);
    EXPECT_EQ(form->LinhasCabecalho, 0);
    EXPECT_EQ(form->Ultima_LinhaMemo, 0);
    EXPECT_EQ(form->NumeroColunas, c.columns);
    EXPECT_EQ(form->NumeroLinhas, c.rows);

    ASSERT_EQ(form->Matriz.size(), c.cells.size());
    ASSERT_EQ(form->Matriz_Estilos.size(), c.cells.size());
    for (std::size_t row = 0; row < c.cells.size(); ++row) {
        const auto& cells = form->Matriz[row];
        const auto& styles = form->Matriz_Estilos[row];
        ASSERT_FALSE(cells.empty()) << "row " << row;
        EXPECT_EQ(cells[0], 0) << "row " << row;
        EXPECT_EQ(cellsOf(cells), c.cells[row]) << "row " << row;
        ASSERT_EQ(styles.size(), cells.size()) << "row " << row;
        for (const TFontStyles style : styles)
            ASSERT_TRUE(style.empty()) << "row " << row;
    }

    const auto page = form->Matriz;
    for (int i = 0; i < c.renders; ++i)
        form->ColocaNoRichEdit(form->Linha_Posicionada);
    EXPECT_EQ(form->Matriz, page) << "rendering changed the page";
    EXPECT_EQ(form->mensagem->Lines.toStringList(), c.lines);
    EXPECT_EQ(form->Ultima_LinhaMemo, 1000);
    for (int line = 0; line < form->mensagem->Lines.Count(); ++line)
        EXPECT_EQ(styleCodes(*form->mensagem, line), QString(c.lines.at(line).size(), QLatin1Char('0')));
    // The first line was written back: the caret stands at its end.
    if (!c.lines.isEmpty()) {
        EXPECT_EQ(form->mensagem->SelStart(), c.lines.first().size());
        EXPECT_EQ(form->mensagem->SelLength(), 0);
    }
}

// The letter as the run writes it: eight texts from column 1 on rows 2 to 16.
PageCase letterCase()
{
    const std::vector<std::pair<std::int32_t, QString>> texts = {
        {2, QStringLiteral(u"Prezado(a) JOSÉ DA CONCEIÇÃO,")},
        {4,
            QStringLiteral(
                u"Já faz quase um ano que o seu EQUIPAMENTO X-200 passou por revisão (12/03/2023).")},
        {7, QStringLiteral(u"Recomendamos agendar a próxima revisão periódica.")},
        {9, QStringLiteral(u"Entre em contato conosco.")},
        {10, QStringLiteral(u"Atenciosamente,")},
        {11, QStringLiteral(u"Equipe Técnica")},
        {14, QStringLiteral(u"Ligue: (11) 5555-0000")},
        {16, QStringLiteral(u"Obs.: este é um e-mail automático.")},
    };
    PageCase c {"the_letter", {}, 1, 0, 16, {}, {}};
    for (const auto& [row, text] : texts) {
        c.placements.push_back({row, 1, text});
        c.columns = std::max(c.columns, static_cast<std::int32_t>(text.size()));
    }
    // Every row up to 16 is widened to the page's width as the rows are written in increasing order.
    c.cells.assign(17, zeros(c.columns));
    for (int row = 1; row <= 16; ++row)
        c.lines.append(blanks(c.columns));
    for (const auto& [row, text] : texts) {
        c.cells[static_cast<std::size_t>(row)].replace(0, text.size(), text.toLatin1());
        c.lines[row - 1].replace(0, text.size(), text);
    }
    return c;
}

INSTANTIATE_TEST_SUITE_P(Cases, Page,
    ::testing::Values(PageCase {"new_form", {}, 1, 0, 0, {QByteArray()}, {}},
        PageCase {"twelve_characters_on_row_2", {{2, 1, QStringLiteral("Caro cliente")}}, 1, 12, 2,
            {zeros(12), zeros(12), "Caro cliente"}, {blanks(12), QStringLiteral("Caro cliente")}},
        PageCase {"cut_at_column_180_from_175", {{1, 175, QStringLiteral("0123456789")}}, 1, 180, 1,
            {zeros(180), zeros(174) + "012345"}, {blanks(174) + QStringLiteral("012345")}},
        PageCase {"nothing_stored_from_column_200", {{2, 200, QStringLiteral("abc")}}, 1, 180, 2,
            {zeros(180), zeros(180), zeros(180)}, {blanks(180), blanks(180)}},
        PageCase {"empty_text_widens_rows_only", {{1, 1, QStringLiteral("ab")}, {3, 1, QString()}}, 1, 2, 3,
            {zeros(2), "ab", zeros(2), zeros(2)}, {QStringLiteral("ab"), blanks(2), blanks(2)}},
        PageCase {"rows_of_different_widths",
            {{4, 1, QStringLiteral("abc")}, {2, 1, QStringLiteral("12345678")}}, 1, 8, 4,
            {zeros(8), zeros(8), "12345678", zeros(3), "abc"},
            {blanks(8), QStringLiteral("12345678"), blanks(3), QStringLiteral("abc")}},
        PageCase {"later_text_overwrites", {{1, 1, QStringLiteral("abcdef")}, {1, 3, QStringLiteral("XY")}},
            1, 6, 1, {zeros(6), "abXYef"}, {QStringLiteral("abXYef")}},
        PageCase {"crlf_text_takes_a_cell_per_character",
            {{1, 1, QStringLiteral("linha 1\r\nlinha 2")}, {2, 1, QStringLiteral("12345678901234567890")}}, 1,
            20, 2, {zeros(20), QByteArray("linha 1\r\nlinha 2") + zeros(4), "12345678901234567890"},
            {QStringLiteral("linha 1"), QStringLiteral("linha 2") + blanks(4),
                QStringLiteral("12345678901234567890")}},
        PageCase {"crlf_text_cut_at_column_180_as_a_whole", {{1, 170, QStringLiteral("abcdefg\r\nhijklmn")}},
            1, 180, 1, {zeros(180), zeros(169) + "abcdefg\r\nhi"},
            {blanks(169) + QStringLiteral("abcdefg"), QStringLiteral("hi")}},
        PageCase {"rendering_twice_appends_twice", {{1, 1, QStringLiteral("ab")}}, 2, 2, 1, {zeros(2), "ab"},
            {QStringLiteral("ab"), QStringLiteral("ab")}},
        // Our choice for what no caller passes: a row below 0 changes nothing, and the code units
        // before column 1 are dropped as those beyond column 180 are.
        PageCase {"negative_row_and_column_are_harmless",
            {{1, 1, QStringLiteral("abc")}, {-1, 1, QStringLiteral("zz")}, {1, -1, QStringLiteral("xyz")},
                {std::numeric_limits<std::int32_t>::min(), 1, QStringLiteral("q")},
                {1, std::numeric_limits<std::int32_t>::min(), QStringLiteral("q")}},
            1, 3, 1, {zeros(3), "zbc"}, {QStringLiteral("zbc")}},
        letterCase()),
    [](const auto& row) { return std::string(row.param.name); });

// ---- the first row rendered, and rows 0 and beyond 1000 ------------------------------------------

struct FirstRowCase {
    const char* name;
    std::int32_t first;
    int lineCount;
    std::int32_t lastRowVisited; // Ultima_LinhaMemo
};

class PageFirstRow : public ::testing::TestWithParam<FirstRowCase> { };

TEST_P(PageFirstRow, RendersFromTheRowGivenUpTo1000)
{
    const FirstRowCase& c = GetParam();
    const auto form = filledForm({{0, 1, QStringLiteral("zero")}, {1, 1, QStringLiteral("um")},
        {1000, 1, QStringLiteral("mil")}, {1001, 1, QStringLiteral("x")}});
    form->ColocaNoRichEdit(c.first);
    // Rows 0 to 1001 are four columns wide; 2 to 999 are blank.
    QStringList expected;
    for (std::int64_t row = std::max<std::int64_t>(c.first, 0); row <= 1000; ++row)
        expected.append(row == 0 ? QStringLiteral("zero")
                : row == 1       ? QStringLiteral("um  ")
                : row == 1000    ? QStringLiteral("mil ")
                                 : blanks(4));
    ASSERT_EQ(expected.size(), c.lineCount);
    EXPECT_EQ(form->mensagem->Lines.toStringList(), expected);
    EXPECT_EQ(form->Ultima_LinhaMemo, c.lastRowVisited);
}

constexpr std::int32_t minRow = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t maxRow = std::numeric_limits<std::int32_t>::max();

INSTANTIATE_TEST_SUITE_P(Cases, PageFirstRow,
    ::testing::Values(FirstRowCase {"from_1_as_the_run", 1, 1000, 1000},
        FirstRowCase {"from_0", 0, 1001, 1000}, FirstRowCase {"below_0_as_from_0", -5, 1001, 1000},
        FirstRowCase {"lowest_integer_as_from_0", minRow, 1001, 1000},
        FirstRowCase {"from_1000", 1000, 1, 1000}, FirstRowCase {"from_1001_visits_nothing", 1001, 0, 1000},
        FirstRowCase {"from_2000_visits_nothing", 2000, 0, 1999},
        FirstRowCase {"highest_integer_visits_nothing", maxRow, 0, maxRow - 1}),
    [](const auto& row) { return std::string(row.param.name); });

// ---- the code page of the cells -------------------------------------------------------------------

struct CodePageCase {
    const char* name;
    QString text;
    QByteArray cells;
    QString line;
};

class PageCodePage : public ::testing::TestWithParam<CodePageCase> { };

TEST_P(PageCodePage, StoresWindows1252BytesAndRendersThemBack)
{
    const CodePageCase& c = GetParam();
    const auto form = filledForm({{1, 1, c.text}});
    EXPECT_EQ(cellsOf(form->Matriz[1]), c.cells);
    form->ColocaNoRichEdit(1);
    EXPECT_EQ(form->mensagem->Lines.toStringList(), QStringList {c.line});
}

INSTANTIATE_TEST_SUITE_P(Cases, PageCodePage,
    ::testing::Values(CodePageCase {"a_acute", QStringLiteral(u"á"), "\xE1", QStringLiteral(u"á")},
        CodePageCase {
            "portuguese_letters", QStringLiteral(u"ãóÚç"), "\xE3\xF3\xDA\xE7", QStringLiteral(u"ãóÚç")},
        CodePageCase {"euro_sign", QStringLiteral(u"10 €"), "10 \x80", QStringLiteral(u"10 €")},
        CodePageCase {
            "right_single_quote", QStringLiteral(u"d’água"), "d\x92\xE1gua", QStringLiteral(u"d’água")},
        CodePageCase {"typographic_quotes_and_dashes", QStringLiteral(u"“–”—"), "\x93\x96\x94\x97",
            QStringLiteral(u"“–”—")},
        CodePageCase {"outside_the_code_page", QStringLiteral(u"Ωx"), "?x", QStringLiteral("?x")},
        CodePageCase {"u0100_low_byte_zero", QStringLiteral(u"\u0100"), "?", QStringLiteral("?")},
        CodePageCase {"surrogate_pair_takes_two_cells", QStringLiteral(u"a\U0001F600b"), "a??b",
            QStringLiteral("a??b")},
        CodePageCase {"nul_renders_as_a_blank", QStringLiteral(u"a\u0000b"), QByteArray("a\0b", 3),
            QStringLiteral("a b")},
        CodePageCase {"control_characters_stored", QStringLiteral(u"a\tb\u0001"), "a\tb\x01",
            QStringLiteral(u"a\tb\u0001")}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(PageCodePageBytes, UndefinedBytesRenderAsBlanks)
{
    const auto form = filledForm({{1, 1, QStringLiteral("a12345z")}});
    auto& cells = form->Matriz[1];
    cells[2] = 0x81;
    cells[3] = 0x8D;
    cells[4] = 0x8F;
    cells[5] = 0x90;
    cells[6] = 0x9D;
    form->ColocaNoRichEdit(1);
    EXPECT_EQ(form->mensagem->Lines.toStringList(), QStringList {QStringLiteral("a     z")});
}

// ---- styles ----------------------------------------------------------------------------------------

struct StyleCase {
    const char* name;
    std::vector<Placement> placements;
    QStringList lines;
    QStringList codes; // styleCodes of each line
};

class PageStyles : public ::testing::TestWithParam<StyleCase> { };

TEST_P(PageStyles, EachCharacterKeepsTheStyleOfItsCell)
{
    const StyleCase& c = GetParam();
    const auto form = filledForm(c.placements);
    form->ColocaNoRichEdit(form->Linha_Posicionada);
    ASSERT_EQ(form->mensagem->Lines.toStringList(), c.lines);
    for (int line = 0; line < c.lines.size(); ++line)
        EXPECT_EQ(styleCodes(*form->mensagem, line), c.codes.at(line)) << "line " << line;
}

INSTANTIATE_TEST_SUITE_P(Cases, PageStyles,
    ::testing::Values(
        StyleCase {"bold_pair_at_row_2_column_3", {{2, 3, QStringLiteral("ab"), fsBold}},
            {blanks(4), QStringLiteral("  ab")}, {QStringLiteral("0000"), QStringLiteral("0011")}},
        StyleCase {"later_text_overwrites_the_style",
            {{2, 1, QStringLiteral("wxyz"), fsItalic}, {2, 2, QStringLiteral("ab"), fsBold | fsUnderline}},
            {blanks(4), QStringLiteral("wabz")}, {QStringLiteral("0000"), QStringLiteral("2552")}},
        StyleCase {"each_style_and_all_four",
            {{1, 1, QStringLiteral("a"), fsBold}, {1, 2, QStringLiteral("b"), fsItalic},
                {1, 3, QStringLiteral("c"), fsUnderline}, {1, 4, QStringLiteral("d"), fsStrikeOut},
                {1, 5, QStringLiteral("e"), fsBold | fsItalic | fsUnderline | fsStrikeOut}},
            {QStringLiteral("abcde")}, {QStringLiteral("1248f")}},
        StyleCase {"next_row_is_regular",
            {{1, 1, QStringLiteral("ab"), fsBold}, {2, 1, QStringLiteral("cd")}},
            {QStringLiteral("ab"), QStringLiteral("cd")}, {QStringLiteral("11"), QStringLiteral("00")}},
        // A CR LF pair takes two cells but is one break in mensagem: the cells after it must still
        // style their own characters.
        StyleCase {"after_a_crlf_pair",
            {{1, 1, QStringLiteral("ab\r\ncd"), fsBold}, {1, 7, QStringLiteral("e"), fsItalic}},
            {QStringLiteral("ab"), QStringLiteral("cde")}, {QStringLiteral("11"), QStringLiteral("112")}},
        StyleCase {"after_a_lone_cr",
            {{1, 1, QStringLiteral("a\rb"), fsUnderline}, {1, 4, QStringLiteral("c"), fsBold}},
            {QStringLiteral("a"), QStringLiteral("bc")}, {QStringLiteral("4"), QStringLiteral("41")}}),
    [](const auto& row) { return std::string(row.param.name); });

// ---- the rich edit's text limit --------------------------------------------------------------------

struct LimitCase {
    const char* name;
    QString lastRow; // row 181, after 180 rows of 180 characters
    bool fits;
};

class PageLimit : public ::testing::TestWithParam<LimitCase> { };

// 180 rows of 180 characters and their CR LF take 32,760 of the 32,767 characters mensagem holds.
TEST_P(PageLimit, StopsAtTheRowThatDoesNotFit)
{
    const LimitCase& c = GetParam();
    // Row 181 first, so that it keeps its own narrower width.
    const auto form = filledForm({{181, 1, c.lastRow}, {180, 1, QString(180, QLatin1Char('x'))}});
    form->Ultima_LinhaMemo = 7;
    if (c.fits) {
        form->ColocaNoRichEdit(1);
        EXPECT_EQ(form->mensagem->Lines.Count(), 181);
        EXPECT_EQ(form->mensagem->Lines.at(180), c.lastRow);
        EXPECT_EQ(form->mensagem->textLength(), platform::RichEdit::MaxLength);
        EXPECT_EQ(form->Ultima_LinhaMemo, 1000);
        return;
    }
    try {
        form->ColocaNoRichEdit(1);
        FAIL() << "the row that does not fit went in";
    } catch (const platform::Exception& error) {
        EXPECT_EQ(error.message(), QStringLiteral("RichEdit line insertion error"));
    }
    // What was appended before stays.
    ASSERT_EQ(form->mensagem->Lines.Count(), 180);
    EXPECT_EQ(form->mensagem->Lines.at(0), blanks(180));
    EXPECT_EQ(form->mensagem->Lines.at(179), QString(180, QLatin1Char('x')));
    EXPECT_EQ(form->Ultima_LinhaMemo, 7);
}

INSTANTIATE_TEST_SUITE_P(Cases, PageLimit,
    ::testing::Values(LimitCase {"exactly_at_the_limit", QStringLiteral("12345"), true},
        LimitCase {"one_character_over", QStringLiteral("123456"), false}),
    [](const auto& row) { return std::string(row.param.name); });

} // namespace
