#include "app/Remetron.h"

#include "platform/Application.h"
#include "platform/DateEdit.h"
#include "platform/Edit.h"
#include "platform/Memo.h"
#include "platform/NumericEdit.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>

TForm_Remetron* Form_Remetron = nullptr;

namespace {
template <typename Control> Control* make(QWidget* parent, const char* name)
{
    auto* control = new Control(parent);
    control->setObjectName(QString::fromLatin1(name));
    return control;
}
} // namespace

// Skeleton: controls exist under their names; layout, defaults and handlers come with the window's work.
TForm_Remetron::TForm_Remetron(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("Form_Remetron"));
    Button1 = make<QPushButton>(this, "Button1");
    ProgressBar1 = make<QProgressBar>(this, "ProgressBar1");
    empresa = make<platform::NumericEdit>(this, "empresa");
    Label1 = make<QLabel>(this, "Label1");
    banco = make<platform::Edit>(this, "banco");
    Label3 = make<QLabel>(this, "Label3");
    Label4 = make<QLabel>(this, "Label4");
    host = make<platform::Edit>(this, "host");
    Label5 = make<QLabel>(this, "Label5");
    Label6 = make<QLabel>(this, "Label6");
    Edit1 = make<platform::Edit>(this, "Edit1");
    senha = make<platform::Edit>(this, "senha");
    Label7 = make<QLabel>(this, "Label7");
    porta = make<platform::Edit>(this, "porta");
    DateEdit1 = make<platform::DateEdit>(this, "DateEdit1");
    Label8 = make<QLabel>(this, "Label8");
    Button3 = make<QPushButton>(this, "Button3");
    titulo = make<platform::Memo>(this, "titulo");
    Label9 = make<QLabel>(this, "Label9");
    Label10 = make<QLabel>(this, "Label10");
    assunto = make<platform::Memo>(this, "assunto");
    Label11 = make<QLabel>(this, "Label11");
    rodape = make<platform::Memo>(this, "rodape");
    usuario = make<platform::NumericEdit>(this, "usuario");
    Label2 = make<QLabel>(this, "Label2");
    Label12 = make<QLabel>(this, "Label12");
    Label13 = make<QLabel>(this, "Label13");
    Label14 = make<QLabel>(this, "Label14");
    hostemail = make<platform::Edit>(this, "hostemail");
    usuarioemail = make<platform::Edit>(this, "usuarioemail");
    portaemail = make<platform::Edit>(this, "portaemail");
    Label15 = make<QLabel>(this, "Label15");
    Label16 = make<QLabel>(this, "Label16");
    senhaemail = make<platform::Edit>(this, "senhaemail");
    ssl = make<QCheckBox>(this, "ssl");
    tls = make<QCheckBox>(this, "tls");
    Label17 = make<QLabel>(this, "Label17");
    historico = make<platform::NumericEdit>(this, "historico");
    FormCreate();
}

TForm_Remetron::~TForm_Remetron() = default;

QString TForm_Remetron::settingsPath() const
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/ERP.INI");
}

void TForm_Remetron::FormCreate() { }

void TForm_Remetron::FormShow()
{
    platform::Application::processMessages();
    DispararEmails();
}

void TForm_Remetron::FormClose() { }

void TForm_Remetron::Button1Click()
{
    close();
}

void TForm_Remetron::Button3Click()
{
    DispararEmails();
}

void TForm_Remetron::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    platform::Application::guarded([this] { FormShow(); });
}

void TForm_Remetron::closeEvent(QCloseEvent* event)
{
    QWidget::closeEvent(event);
}

void TForm_Remetron::DispararEmails() { }
