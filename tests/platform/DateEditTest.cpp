#include "platform/DateEdit.h"

#include "platform/RegionalFormats.h"

#include <QCalendarWidget>
#include <QLineEdit>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(DateEdit, ShowsDayMonthYearWithTheRegionalSeparator)
{
    platform::DateEdit edit;
    edit.setDate(QDate(2024, 3, 7));
    const QString separator = platform::regional::dateSeparator();
    EXPECT_EQ(edit.text(),
        QStringLiteral("07") + separator + QStringLiteral("03") + separator + QStringLiteral("2024"));
}

TEST(DateEdit, ItsButtonOpensACalendarThatSetsTheDate)
{
    QWidget window;
    auto* edit = new platform::DateEdit(&window);
    edit->setGeometry(10, 10, 120, 21);
    edit->setDate(QDate(2024, 3, 7));
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    // The button is at the right end of the edit.
    QTest::mouseClick(edit, Qt::LeftButton, Qt::NoModifier, QPoint(edit->width() - 6, edit->height() / 2));
    QCalendarWidget* calendar = edit->calendarWidget();
    ASSERT_NE(calendar, nullptr);
    ASSERT_TRUE(calendar->isVisible());
    EXPECT_EQ(calendar->selectedDate(), QDate(2024, 3, 7));

    // Four days on with the arrow key, then Enter picks the day.
    auto* days = calendar->findChild<QTableView*>();
    ASSERT_NE(days, nullptr);
    for (int i = 0; i < 4; ++i)
        QTest::keyClick(days, Qt::Key_Right);
    QTest::keyClick(days, Qt::Key_Return);
    EXPECT_EQ(edit->date(), QDate(2024, 3, 11));
    EXPECT_FALSE(calendar->isVisible());
}

// Tab leaves the edit, from whichever section holds the cursor, as it leaves any other edit.
TEST(DateEdit, TabMovesTheFocusOnAndTheArrowsMoveBetweenDayMonthAndYear)
{
    QWidget window;
    auto* before = new QLineEdit(&window);
    auto* edit = new platform::DateEdit(&window);
    auto* after = new QLineEdit(&window);
    edit->setDate(QDate(2024, 3, 7));
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    edit->setFocus();
    edit->setCurrentSection(QDateTimeEdit::DaySection);
    QTest::keyClick(edit, Qt::Key_Tab);
    EXPECT_TRUE(after->hasFocus());
    QTest::keyClick(after, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_TRUE(edit->hasFocus());
    QTest::keyClick(edit, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_TRUE(before->hasFocus());

    edit->setFocus();
    edit->setCurrentSection(QDateTimeEdit::DaySection);
    QTest::keyClick(edit, Qt::Key_End);
    EXPECT_EQ(edit->currentSection(), QDateTimeEdit::YearSection);
    QTest::keyClick(edit, Qt::Key_Up);
    EXPECT_EQ(edit->date(), QDate(2025, 3, 7));
}

} // namespace
