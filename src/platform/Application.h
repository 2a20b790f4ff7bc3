#pragma once

#include <QString>

#include <exception>
#include <utility>

// The application object's services that the forms and the run rely on.
namespace platform::Application {

// The fixed title: caption of every message box and of the taskbar entry.
void setTitle(const QString& title);
QString title();

// Lets the event loop handle every pending event once, repaints and deferred deletes included,
// and returns; it never waits for new events.
void processMessages();

// The standard handler for an error that escapes an event handler: a message box with the error's
// message. The program goes on.
void handleException(const std::exception& error);

// Runs an event handler's body under the standard handler. Exceptions must never unwind through
// Qt's event loop, so every handler that may raise goes through here.
template <typename Handler> void guarded(Handler&& handler)
{
    try {
        std::forward<Handler>(handler)();
    } catch (const std::exception& error) {
        handleException(error);
    }
}

} // namespace platform::Application
