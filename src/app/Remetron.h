#pragma once

#include <QWidget>

#include <functional>

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

    // Event handlers. Qt's events reach them through the overrides below and the buttons' clicks,
    // each body under the standard error handler (platform::Application::guarded).
    // Run by the constructor: the persisted fields from ERP.INI, then DateEdit1 <- today. Never fails.
    void FormCreate();
    // Run when the window is being shown, before it is visible on the screen: pending events are
    // processed once, then the reminder run. Errors escape to the caller.
    void FormShow();
    // Run by every close: the persisted fields are written to ERP.INI. Raises
    // platform::InOutError when the file cannot be written; the close then does not complete.
    void FormClose();
    // "Fechar": closes the window, which ends the program.
    void Button1Click();
    // "Disparar": the reminder run again. Errors escape to the caller.
    void Button3Click();

    // Tests only: seams that let the handlers be driven without a database or a mail server.
    struct TestSeams {
        // Called as FormCreate begins, with every control still at its form default.
        std::function<void(const TForm_Remetron&)> beforeLoad;
        // While set, the reminder run calls this instead of doing its own work.
        std::function<void(TForm_Remetron&)> run;
    };
    // Replaces the seams for every window created or run afterwards; empty ones restore the program.
    static void setSeamsForTesting(TestSeams seams);

protected:
    // A show by the program (not a restore by the window system) runs FormShow, before the window is
    // mapped on the screen.
    void showEvent(QShowEvent* event) override;
    // Every close, whatever asked for it ("Fechar", the run, the window manager): a completed
    // FormClose accepts it and asks the application to end (platform::Application::terminate); a
    // failed one has its error shown and keeps the window open.
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    void placeControls();
    void orderTabs();

    // The reminder run: its entry point, whatever starts it.
    void DispararEmails();
};

// The one instance, created at start-up as the application's main window.
extern TForm_Remetron* Form_Remetron;
