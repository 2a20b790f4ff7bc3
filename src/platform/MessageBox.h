#pragma once

#include <QMessageBox>
#include <QString>

namespace platform {

// The program's one kind of message: a modal box with one OK button and no icon, centred on the
// screen and captioned with the application's title. The text is shown as plain text, never as
// markup, since it often carries what a server or a file said. Ctrl+C on the box copies its caption
// and text to the clipboard, as message boxes do on the ERP's platform, so that a user can paste an
// error into a support request.
class MessageBox : public QMessageBox {
    Q_OBJECT
public:
    explicit MessageBox(const QString& text, QWidget* parent = nullptr);

    // What Ctrl+C puts on the clipboard: the caption and the text between separator lines.
    QString clipboardText() const;
    void copyToClipboard() const;

protected:
    void showEvent(QShowEvent* event) override;
};

// Shows a MessageBox with this text and returns when the user has closed it.
void showMessage(const QString& text);

} // namespace platform
