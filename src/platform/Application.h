#pragma once

#include <QString>

#include <exception>
#include <utility>

class QWidget;

// The application object's services that the forms and the run rely on.
namespace platform::Application {

// The fixed title: caption of every message box and of the taskbar entry.
void setTitle(const QString& title);
QString title();

// Lets the event loop handle every pending event once, repaints and deferred deletes included,
// and returns; it never waits for new events.
void processMessages();

// Shows the main form and runs the message loop until terminate() is called; returns the program's
// exit code (0 after terminate()). When the form's show handler already asked the application to end,
// the loop is not entered at all: a quit posted before the loop starts may have been consumed by an
// earlier processMessages(), and waiting for it would never end.
int run(QWidget& mainForm);

// Asks the application to end: the message loop of run() stops at its next turn, with exit code 0.
// Outside run() (before it starts, or in tests) this only records the request.
void terminate();

// Whether terminate() was called since run() last started.
bool terminated();

// The standard handler for an error that escapes an event handler: a message box with the error's
// message. The program goes on.
void handleException(const std::exception& error);
// The same for an error that is not a std::exception: a box with a generic message.
void handleUnknownException();

// Runs an event handler's body under the standard handler. Exceptions must never unwind through
// Qt's event loop, so every handler that may raise goes through here.
template <typename Handler> void guarded(Handler&& handler)
{
    try {
        std::forward<Handler>(handler)();
    } catch (const std::exception& error) {
        handleException(error);
    } catch (...) {
        handleUnknownException();
    }
}

} // namespace platform::Application
