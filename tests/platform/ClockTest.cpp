#include "platform/Clock.h"

#include <gtest/gtest.h>

TEST(Clock, FollowsTheTestClockUntilReset)
{
    const QDateTime sunday(QDate(2026, 12, 13), QTime(7, 30));
    platform::setClockForTesting([&] { return sunday; });
    EXPECT_EQ(platform::currentDateTime(), sunday);
    EXPECT_EQ(platform::currentDate().dayOfWeek(), Qt::Sunday);
    platform::setClockForTesting({});
    EXPECT_LE(qAbs(platform::currentDateTime().secsTo(QDateTime::currentDateTime())), 5);
}
