#pragma once

#include <QRect>
#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>

// The command-line tools that the checks on a real X server use to look at windows from outside the
// program and to send it real input (xdotool, xprop). They talk to the display in DISPLAY.
namespace X11Tools {

// Runs a tool and returns what it wrote to its standard output, or nothing when it could not start,
// failed or did not end within the limit (it is then killed).
std::optional<QString> run(const QString& program, const QStringList& arguments,
    std::chrono::milliseconds limit = std::chrono::seconds(10));

// xdotool with these arguments; true when it succeeded.
bool xdotool(const QStringList& arguments);

// The geometry of a window as the X server has it (xdotool getwindowgeometry).
std::optional<QRect> geometry(const QString& window);

// A property of a window as xprop prints it after its name and type ("= value", or ":" and the lines
// of a structured one such as WM_NORMAL_HINTS); nothing when the window lacks it.
std::optional<QString> property(const QString& window, const QString& name);

} // namespace X11Tools
