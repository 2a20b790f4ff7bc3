#pragma once

// The reminder run: placeholder until the run is built.
class ReminderRun {
public:
    void DispararEmails();
};
