#include "platform/Clock.h"

#include <utility>

namespace platform {

namespace {
std::function<QDateTime()>& testClock()
{
    static std::function<QDateTime()> clock;
    return clock;
}
} // namespace

QDateTime currentDateTime()
{
    if (const auto& clock = testClock())
        return clock();
    return QDateTime::currentDateTime();
}

QDate currentDate()
{
    return currentDateTime().date();
}

void setClockForTesting(std::function<QDateTime()> clock)
{
    testClock() = std::move(clock);
}

} // namespace platform
