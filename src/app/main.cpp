// The main block: the application object with its fixed title, the main window, the message loop.
#include "app/Remetron.h"
#include "platform/Application.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    platform::Application::setTitle(QStringLiteral("Remetron"));
    TForm_Remetron window;
    Form_Remetron = &window;
    const int code = platform::Application::run(window);
    Form_Remetron = nullptr;
    return code;
}
