#include "X11Tools.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>

namespace X11Tools {

std::optional<QString> run(
    const QString& program, const QStringList& arguments, std::chrono::milliseconds limit)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // xprop writes text properties in the locale's character set.
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForFinished(static_cast<int>(limit.count()))) {
        process.kill();
        process.waitForFinished(1000);
        return std::nullopt;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return std::nullopt;
    return QString::fromUtf8(process.readAllStandardOutput());
}

bool xdotool(const QStringList& arguments)
{
    return run(QStringLiteral("xdotool"), arguments).has_value();
}

std::optional<QRect> geometry(const QString& window)
{
    const auto shell = run(
        QStringLiteral("xdotool"), {QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), window});
    if (!shell)
        return std::nullopt;
    const auto value = [&](const char* name) {
        const QRegularExpression line(
            QStringLiteral("^%1=(-?\\d+)$").arg(QLatin1String(name)), QRegularExpression::MultilineOption);
        return line.match(*shell).captured(1).toInt();
    };
    return QRect(value("X"), value("Y"), value("WIDTH"), value("HEIGHT"));
}

std::optional<QString> property(const QString& window, const QString& name)
{
    const auto printed = run(QStringLiteral("xprop"), {QStringLiteral("-id"), window, name});
    if (!printed)
        return std::nullopt;
    // "NAME(TYPE) = value", or "NAME(TYPE):" and the value's lines for structured properties.
    const QString first = printed->section(QLatin1Char('\n'), 0, 0);
    const QRegularExpression head(QStringLiteral("^[^=:]*\\)(:| =)"));
    const QRegularExpressionMatch match = head.match(first);
    if (!match.hasMatch())
        return std::nullopt;
    return printed->mid(match.capturedEnd()).trimmed();
}

} // namespace X11Tools
