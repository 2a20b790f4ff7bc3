#include "platform/MessageBox.h"

#include "platform/Application.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QGuiApplication>
#include <QIcon>
#include <QKeySequence>
#include <QScreen>
#include <QShortcut>
#include <QShowEvent>

namespace platform {

MessageBox::MessageBox(const QString& text, QWidget* parent)
    : QMessageBox(QMessageBox::NoIcon, Application::title(), text, QMessageBox::Ok, parent)
{
    setObjectName(QStringLiteral("MessageBox"));
    setTextFormat(Qt::PlainText);
    setWindowModality(Qt::ApplicationModal);
    // QMessageBox handles Ctrl+C itself only on Windows.
    auto* copy = new QShortcut(QKeySequence::Copy, this);
    connect(copy, &QShortcut::activated, this, &MessageBox::copyToClipboard);
}

QString MessageBox::clipboardText() const
{
    const QString rule = QStringLiteral("---------------------------\n");
    return rule + windowTitle() + QLatin1Char('\n') + rule + text() + QLatin1Char('\n') + rule;
}

void MessageBox::copyToClipboard() const
{
    QGuiApplication::clipboard()->setText(clipboardText());
}

void MessageBox::showEvent(QShowEvent* event)
{
    QMessageBox::showEvent(event);
    // Some styles (the one used under xcb among them) give dialog buttons icons; this box has none.
    if (QAbstractButton* ok = button(QMessageBox::Ok))
        ok->setIcon(QIcon());
    // Under X11 Qt places a dialog with a guessed frame size; the box goes to the screen's centre.
    if (!event->spontaneous()) {
        const QScreen* where = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
        if (where != nullptr) {
            QRect frame = frameGeometry();
            frame.moveCenter(where->geometry().center());
            move(frame.topLeft());
        }
    }
}

void showMessage(const QString& text)
{
    MessageBox box(text);
    box.exec();
}

} // namespace platform
