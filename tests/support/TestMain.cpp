// Every test binary runs with a real QApplication. Without a display Qt's xcb plugin aborts, so the
// offscreen platform is the default; the few checks that need a real X server set QT_QPA_PLATFORM=xcb
// themselves (under xvfb-run).
#include "platform/Application.h"

#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // A private runtime folder keeps Qt from warning about a missing or shared XDG_RUNTIME_DIR.
    QTemporaryDir runtimeDir;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR") && runtimeDir.isValid()) {
        QFile::setPermissions(
            runtimeDir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtimeDir.path()));
    }
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    platform::Application::setTitle(QStringLiteral("Remetron"));
    return RUN_ALL_TESTS();
}
