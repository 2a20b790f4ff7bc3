#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace platform {
class DateEdit;
class Edit;
class Memo;
class NumericEdit;
} // namespace platform

// The main window: every setting of the system as a field, and the buttons that start the reminder
// run again ("Disparar") and close the program ("Fechar"). The run reads its parameters from these
// fields at the moment it needs them; ERP.INI fills them on creation and receives them on close.
class TForm_Remetron : public QWidget {
    Q_OBJECT
public:
    explicit TForm_Remetron(QWidget* parent = nullptr);
    ~TForm_Remetron() override;

    // Controls, each with its own name as its Qt object name. The window owns them.
    QPushButton* Button1 = nullptr; // "Fechar"
    QProgressBar* ProgressBar1 = nullptr;
    platform::NumericEdit* empresa = nullptr;
    QLabel* Label1 = nullptr;
    platform::Edit* banco = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    platform::Edit* host = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    platform::Edit* Edit1 = nullptr; // database user
    platform::Edit* senha = nullptr; // database password
    QLabel* Label7 = nullptr;
    platform::Edit* porta = nullptr;
    platform::DateEdit* DateEdit1 = nullptr;
    QLabel* Label8 = nullptr;
    QPushButton* Button3 = nullptr; // "Disparar"
    platform::Memo* titulo = nullptr;
    QLabel* Label9 = nullptr;
    QLabel* Label10 = nullptr;
    platform::Memo* assunto = nullptr;
    QLabel* Label11 = nullptr;
    platform::Memo* rodape = nullptr;
    platform::NumericEdit* usuario = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label12 = nullptr;
    QLabel* Label13 = nullptr;
    QLabel* Label14 = nullptr;
    platform::Edit* hostemail = nullptr;
    platform::Edit* usuarioemail = nullptr;
    platform::Edit* portaemail = nullptr;
    QLabel* Label15 = nullptr;
    QLabel* Label16 = nullptr;
    platform::Edit* senhaemail = nullptr;
    QCheckBox* ssl = nullptr;
    QCheckBox* tls = nullptr;
    QLabel* Label17 = nullptr;
    platform::NumericEdit* historico = nullptr;

    // The path of ERP.INI: the executable's folder (see Settings).
    QString settingsPath() const;

    // Event handlers.
    void FormCreate();
    void FormShow();
    void FormClose();
    void Button1Click();
    void Button3Click();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void DispararEmails();
};

// The one instance, created at start-up as the application's main window.
extern TForm_Remetron* Form_Remetron;
