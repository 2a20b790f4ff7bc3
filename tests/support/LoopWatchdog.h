#pragma once

#include <QTimer>

#include <chrono>

// Ends an event loop that a fault would keep running for ever: after the limit it fails the test,
// closes any open modal box and makes every running loop return (exit code 99), so that the test
// fails instead of hanging.
class LoopWatchdog {
public:
    explicit LoopWatchdog(std::chrono::milliseconds limit = std::chrono::seconds(20));

    // Whether the limit was reached.
    bool fired() const { return m_fired; }

private:
    QTimer m_timer;
    bool m_fired = false;
};
