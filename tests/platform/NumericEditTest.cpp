#include "platform/NumericEdit.h"

#include <QTest>

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

struct ValueCase {
    const char* name;
    double value;
    QString shown;
    std::int32_t integer;
};

class NumericEditValue : public ::testing::TestWithParam<ValueCase> { };

// "#0" rounds what it shows; the forms read the value truncated toward zero.
TEST_P(NumericEditValue, ShowsRoundedAndReadsTruncated)
{
    platform::NumericEdit edit;
    edit.setValue(GetParam().value);
    EXPECT_EQ(edit.text(), GetParam().shown);
    EXPECT_EQ(edit.asInteger(), GetParam().integer);
}

constexpr double inf = std::numeric_limits<double>::infinity();
constexpr std::int32_t int32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t int32Min = std::numeric_limits<std::int32_t>::min();

const ValueCase valueCases[] = {
    {"Whole", 42, QStringLiteral("42"), 42},
    {"Zero", 0, QStringLiteral("0"), 0},
    {"NegativeWhole", -7, QStringLiteral("-7"), -7},
    {"OneAndAHalf", 1.5, QStringLiteral("2"), 1},
    {"MinusOneAndAHalf", -1.5, QStringLiteral("-2"), -1},
    {"TwoPointSeven", 2.7, QStringLiteral("3"), 2},
    {"MinusTwoPointSeven", -2.7, QStringLiteral("-3"), -2},
    {"SmallNegativeShowsNoMinusSign", -0.4, QStringLiteral("0"), 0},
    {"LargestInteger", 2147483647, QStringLiteral("2147483647"), int32Max},
    {"SmallestInteger", -2147483648.0, QStringLiteral("-2147483648"), int32Min},
    {"AboveTheRangeIsHeldAtItsEnd", 3e9, QStringLiteral("2147483647"), int32Max},
    {"BelowTheRangeIsHeldAtItsEnd", -3e9, QStringLiteral("-2147483648"), int32Min},
    {"FractionJustBelowTheTop", 2147483646.7, QStringLiteral("2147483647"), 2147483646},
    {"Infinity", inf, QStringLiteral("2147483647"), int32Max},
    {"NotANumber", std::numeric_limits<double>::quiet_NaN(), QStringLiteral("0"), 0},
};

INSTANTIATE_TEST_SUITE_P(Values, NumericEditValue, ::testing::ValuesIn(valueCases),
    [](const ::testing::TestParamInfo<ValueCase>& row) { return std::string(row.param.name); });

struct TypingCase {
    const char* name;
    QString typed;
    double valueWhileTyping;
    QString shownAfterwards;
};

class NumericEditTyping : public ::testing::TestWithParam<TypingCase> { };

TEST_P(NumericEditTyping, TakesTheTypedNumberAtOnceAndShowsItWhenDone)
{
    platform::NumericEdit edit;
    edit.setValue(5);
    edit.selectAll();
    QTest::keyClick(&edit, Qt::Key_Delete);
    QTest::keyClicks(&edit, GetParam().typed);
    EXPECT_EQ(edit.value(), GetParam().valueWhileTyping);
    QTest::keyClick(&edit, Qt::Key_Return);
    EXPECT_EQ(edit.text(), GetParam().shownAfterwards);
    EXPECT_EQ(edit.value(), GetParam().valueWhileTyping);
}

const TypingCase typingCases[] = {
    {"Digits", QStringLiteral("123"), 123, QStringLiteral("123")},
    {"Negative", QStringLiteral("-45"), -45, QStringLiteral("-45")},
    {"LettersAndPointsAreRefused", QStringLiteral("1a2.5"), 125, QStringLiteral("125")},
    {"LeadingZeros", QStringLiteral("007"), 7, QStringLiteral("7")},
    {"MinusSignAlone", QStringLiteral("-"), 0, QStringLiteral("0")},
    {"Nothing", QString(), 0, QStringLiteral("0")},
    {"TooManyDigitsAreHeldAtTheTop", QStringLiteral("99999999999"), 2147483647, QStringLiteral("2147483647")},
};

INSTANTIATE_TEST_SUITE_P(Typing, NumericEditTyping, ::testing::ValuesIn(typingCases),
    [](const ::testing::TestParamInfo<TypingCase>& row) { return std::string(row.param.name); });

TEST(NumericEdit, ShowsTheValueWhenTheFocusLeaves)
{
    QWidget window;
    auto* edit = new platform::NumericEdit(&window);
    auto* other = new platform::NumericEdit(&window);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("0012"));
    other->setFocus();
    EXPECT_EQ(edit->text(), QStringLiteral("12"));
    EXPECT_EQ(edit->asInteger(), 12);
}

} // namespace
