#include "platform/Memo.h"

#include <QTest>

#include <gtest/gtest.h>

namespace {

struct LineBreakCase {
    const char* name;
    QString set;
    QString text;
    int lines;
};

class MemoLineBreaks : public ::testing::TestWithParam<LineBreakCase> { };

TEST_P(MemoLineBreaks, TextUsesCrLf)
{
    platform::Memo memo;
    memo.setText(GetParam().set);
    EXPECT_EQ(memo.text(), GetParam().text);
    EXPECT_EQ(memo.document()->blockCount(), GetParam().lines);
    // What the memo gives back, set again, comes back unchanged.
    memo.setText(memo.text());
    EXPECT_EQ(memo.text(), GetParam().text);
}

const LineBreakCase lineBreakCases[] = {
    {"Empty", QString(), QString(), 1},
    {"OneLine", QStringLiteral("Revisão anual"), QStringLiteral("Revisão anual"), 1},
    {"CrLf", QStringLiteral("a\r\nb"), QStringLiteral("a\r\nb"), 2},
    {"LfAlone", QStringLiteral("a\nb"), QStringLiteral("a\r\nb"), 2},
    {"CrAlone", QStringLiteral("a\rb"), QStringLiteral("a\r\nb"), 2},
    {"MixedBreaks", QStringLiteral("a\r\nb\nc\rd"), QStringLiteral("a\r\nb\r\nc\r\nd"), 4},
    {"TrailingBreakStays", QStringLiteral("a\r\n"), QStringLiteral("a\r\n"), 2},
    {"EmptyLinesStay", QStringLiteral("\r\n\r\nx\r\n\r\n"), QStringLiteral("\r\n\r\nx\r\n\r\n"), 5},
    {"NonBreakingSpaceStays", QStringLiteral("R$\u00A010"), QStringLiteral("R$\u00A010"), 1},
    {"TabsStay", QStringLiteral("a\tb"), QStringLiteral("a\tb"), 1},
};

INSTANTIATE_TEST_SUITE_P(Texts, MemoLineBreaks, ::testing::ValuesIn(lineBreakCases),
    [](const ::testing::TestParamInfo<LineBreakCase>& row) { return std::string(row.param.name); });

TEST(Memo, TypedLineBreaksAreCrLf)
{
    platform::Memo memo;
    QTest::keyClicks(&memo, QStringLiteral("Prezado"));
    QTest::keyClick(&memo, Qt::Key_Return);
    QTest::keyClicks(&memo, QStringLiteral("cliente"));
    QTest::keyClick(&memo, Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClicks(&memo, QStringLiteral("fim"));
    EXPECT_EQ(memo.text(), QStringLiteral("Prezado\r\ncliente\r\nfim"));
}

TEST(Memo, TabMovesTheFocusOn)
{
    QWidget window;
    auto* memo = new platform::Memo(&window);
    auto* next = new platform::Memo(&window);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    memo->setFocus();
    QTest::keyClick(memo, Qt::Key_Tab);
    EXPECT_EQ(memo->text(), QString());
    EXPECT_TRUE(next->hasFocus());
}

} // namespace
