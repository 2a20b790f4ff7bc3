#pragma once

#include <QString>

namespace platform {

// The program's one kind of message: a modal box with one OK button and no icon, centred on the
// screen and captioned with the application's title. Returns when the user has closed it.
// Ctrl+C on the box copies its caption and text to the clipboard.
void showMessage(const QString& text);

} // namespace platform
