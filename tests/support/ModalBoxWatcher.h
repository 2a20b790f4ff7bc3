#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <chrono>

// Answers the program's modal message boxes while a test drives code that shows them: every few
// milliseconds it looks for an active modal QMessageBox, records its caption and text and presses OK.
// A box that is still open when the watcher is destroyed fails the test instead of hanging it.
class ModalBoxWatcher : public QObject {
    Q_OBJECT
public:
    explicit ModalBoxWatcher(std::chrono::milliseconds interval = std::chrono::milliseconds(10));
    ~ModalBoxWatcher() override;

    // The texts of the boxes answered so far, in order.
    const QStringList& texts() const { return m_texts; }
    const QStringList& captions() const { return m_captions; }
    void clear();

private:
    void poll();

    QTimer m_timer;
    QStringList m_texts;
    QStringList m_captions;
};
