#pragma once

#include <QDate>
#include <QDateTime>

#include <functional>

namespace platform {

// The local date and time as the program sees them. Everything that depends on the day (the run date,
// the Sunday test, the letter's timestamp, the error file's name) asks here, so that a test can fix it.
QDateTime currentDateTime();
QDate currentDate();

// Replaces the clock until reset with an empty function. For tests only.
void setClockForTesting(std::function<QDateTime()> clock);

} // namespace platform
