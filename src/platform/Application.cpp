#include "platform/Application.h"

#include "platform/Exception.h"
#include "platform/MessageBox.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace platform::Application {

namespace {
struct State {
    QString title;
    bool terminated = false;
    bool inLoop = false;
    // Counts the calls of run(), so that a quit posted for one of them cannot end a later one.
    unsigned runs = 0;
};

State& state()
{
    static State value;
    return value;
}
} // namespace

void setTitle(const QString& title)
{
    state().title = title;
    QCoreApplication::setApplicationName(title);
}

QString title()
{
    return state().title;
}

void processMessages()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    // processEvents() leaves deferred deletes for the event loop that posted them; a released form
    // must be gone after this call even when no loop is running yet (the first run happens before
    // exec()).
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

int run(QWidget& mainForm)
{
    State& s = state();
    ++s.runs;
    s.terminated = false;
    // The program ends when its main form closes, not when Qt finds no visible window: a message box
    // closed while the main form is not yet mapped must not end it.
    QApplication::setQuitOnLastWindowClosed(false);
    mainForm.show();
    if (s.terminated)
        return 0;
    s.inLoop = true;
    const int code = QApplication::exec();
    s.inLoop = false;
    return code;
}

void terminate()
{
    State& s = state();
    s.terminated = true;
    // Posted, so that the loop stops at its next turn and a handler that asked to end returns first.
    // Checked again when it fires: outside run() no loop of ours is there to stop, and exit() would
    // make every later modal loop return at once; a quit left over from a run() that ended without
    // its loop must not stop the next one.
    QTimer::singleShot(0, qApp, [run = s.runs] {
        const State& now = state();
        if (now.inLoop && now.runs == run)
            QCoreApplication::exit(0);
    });
}

bool terminated()
{
    return state().terminated;
}

void handleException(const std::exception& error)
{
    showMessage(messageOf(error));
}

void handleUnknownException()
{
    showMessage(QStringLiteral("Unknown error"));
}

} // namespace platform::Application
