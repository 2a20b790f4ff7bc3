#include "platform/MessageBox.h"

#include "platform/Application.h"

#include <QMessageBox>

namespace platform {

void showMessage(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, Application::title(), text, QMessageBox::Ok);
    box.exec();
}

} // namespace platform
