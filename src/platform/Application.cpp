#include "platform/Application.h"

#include "platform/Exception.h"
#include "platform/MessageBox.h"

#include <QCoreApplication>
#include <QEvent>

namespace platform::Application {

namespace {
QString& storedTitle()
{
    static QString value;
    return value;
}
} // namespace

void setTitle(const QString& title)
{
    storedTitle() = title;
    QCoreApplication::setApplicationName(title);
}

QString title()
{
    return storedTitle();
}

void processMessages()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    // processEvents() leaves deferred deletes for the event loop that posted them; a released form
    // must be gone after this call even when no loop is running yet (the first run happens before
    // exec()).
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void handleException(const std::exception& error)
{
    showMessage(messageOf(error));
}

} // namespace platform::Application
