#include "platform/Edit.h"

#include <QApplication>
#include <QClipboard>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// The three ways text reaches a lower-case edit.
enum class Entry { Typed, Pasted, Set };

struct LowerCaseCase {
    const char* name;
    Entry entry;
    QString input;
    QString expected;
};

void enter(platform::Edit& edit, Entry entry, const QString& text)
{
    switch (entry) {
    case Entry::Typed:
        QTest::keyClicks(&edit, text);
        break;
    case Entry::Pasted:
        QGuiApplication::clipboard()->setText(text);
        QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
        break;
    case Entry::Set:
        // Through the base class: QLineEdit::setText is not virtual, and callers hold either type.
        static_cast<QLineEdit&>(edit).setText(text);
        break;
    }
}

class LowerCaseEdit : public ::testing::TestWithParam<LowerCaseCase> { };

TEST_P(LowerCaseEdit, HoldsLowerCaseLetters)
{
    platform::Edit edit;
    edit.setLowerCase(true);
    enter(edit, GetParam().entry, GetParam().input);
    EXPECT_EQ(edit.text(), GetParam().expected);
}

// Typing accented letters goes through key events with Latin-1 text; paste and setText take any text.
const LowerCaseCase lowerCaseCases[] = {
    {"TypedCapitals", Entry::Typed, QStringLiteral("JOSE"), QStringLiteral("jose")},
    {"TypedAccentedCapitals", Entry::Typed, QStringLiteral("JOÃO ÇÉ"), QStringLiteral("joão çé")},
    {"TypedDigitsAndSigns", Entry::Typed, QStringLiteral("Ab1@X.COM"), QStringLiteral("ab1@x.com")},
    {"PastedCapitals", Entry::Pasted, QStringLiteral("Contato@Empresa.COM.BR"),
        QStringLiteral("contato@empresa.com.br")},
    {"PastedAccentedCapitals", Entry::Pasted, QStringLiteral("AÇÃO"), QStringLiteral("ação")},
    {"SetCapitals", Entry::Set, QStringLiteral("SeGrEdO"), QStringLiteral("segredo")},
    {"SetAccentedCapitals", Entry::Set, QStringLiteral("ÁÉÍÓÚ"), QStringLiteral("áéíóú")},
    {"SetLowerCaseUnchanged", Entry::Set, QStringLiteral("já minúsculo 123"),
        QStringLiteral("já minúsculo 123")},
};

INSTANTIATE_TEST_SUITE_P(Entries, LowerCaseEdit, ::testing::ValuesIn(lowerCaseCases),
    [](const ::testing::TestParamInfo<LowerCaseCase>& row) { return std::string(row.param.name); });

TEST(LowerCaseEdit, TypingInTheMiddleKeepsTheCursorThere)
{
    platform::Edit edit;
    edit.setLowerCase(true);
    edit.setText(QStringLiteral("abcd"));
    edit.setCursorPosition(2);
    QTest::keyClicks(&edit, QStringLiteral("XY"));
    EXPECT_EQ(edit.text(), QStringLiteral("abxycd"));
    EXPECT_EQ(edit.cursorPosition(), 4);
}

TEST(LowerCaseEdit, SwitchingOnLowersTheTextHeldAndSwitchingOffKeepsCapitals)
{
    platform::Edit edit;
    edit.setText(QStringLiteral("MiXeD"));
    edit.setLowerCase(true);
    EXPECT_EQ(edit.text(), QStringLiteral("mixed"));
    edit.setLowerCase(false);
    edit.setText(QStringLiteral("MiXeD"));
    EXPECT_EQ(edit.text(), QStringLiteral("MiXeD"));
}

TEST(PlainEdit, KeepsCapitals)
{
    platform::Edit edit;
    QTest::keyClicks(&edit, QStringLiteral("LOCALHOST"));
    EXPECT_EQ(edit.text(), QStringLiteral("LOCALHOST"));
}

TEST(MaskedEdit, ShowsAStarPerCharacterAndHoldsTheText)
{
    platform::Edit edit;
    edit.setPasswordChar(QLatin1Char('*'));
    edit.setText(QStringLiteral("Senha çé1"));
    EXPECT_EQ(edit.text(), QStringLiteral("Senha çé1"));
    EXPECT_EQ(edit.displayText(), QStringLiteral("*********"));
    QTest::keyClicks(&edit, QStringLiteral("xy"));
    EXPECT_EQ(edit.displayText(), QString(11, QLatin1Char('*')));
}

TEST(MaskedEdit, DoesNotCopyItsText)
{
    platform::Edit edit;
    edit.setPasswordChar(QLatin1Char('*'));
    edit.setText(QStringLiteral("123456"));
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    edit.selectAll();
    QTest::keyClick(&edit, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
}

TEST(MaskedEdit, NullCharacterShowsTheTextAgain)
{
    platform::Edit edit;
    edit.setText(QStringLiteral("visible"));
    edit.setPasswordChar(QLatin1Char('*'));
    edit.setPasswordChar(QChar());
    EXPECT_EQ(edit.displayText(), QStringLiteral("visible"));
}

TEST(MaskedEdit, LowerCaseAndMaskTogether)
{
    platform::Edit edit;
    edit.setLowerCase(true);
    edit.setPasswordChar(QLatin1Char('*'));
    QTest::keyClicks(&edit, QStringLiteral("ABC"));
    EXPECT_EQ(edit.text(), QStringLiteral("abc"));
    EXPECT_EQ(edit.displayText(), QStringLiteral("***"));
}

} // namespace
