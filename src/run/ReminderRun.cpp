#include "run/ReminderRun.h"

void ReminderRun::DispararEmails() { }
