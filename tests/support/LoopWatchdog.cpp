#include "LoopWatchdog.h"

#include <QApplication>
#include <QDialog>

#include <gtest/gtest.h>

LoopWatchdog::LoopWatchdog(std::chrono::milliseconds limit)
{
    m_timer.setSingleShot(true);
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
        m_fired = true;
        ADD_FAILURE() << "the event loop did not end within its limit";
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            dialog->reject();
        QCoreApplication::exit(99);
    });
    m_timer.start(limit);
}
