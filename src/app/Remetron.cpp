#include "app/Remetron.h"

#include "app/Settings.h"
#include "platform/Application.h"
#include "platform/Clock.h"
#include "platform/DateEdit.h"
#include "platform/Edit.h"
#include "platform/Memo.h"
#include "platform/NumericEdit.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFont>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>

#include <algorithm>
#include <utility>

TForm_Remetron* Form_Remetron = nullptr;

namespace {
// The built-in database login: not persisted, so every start uses these (see Settings).
const char* const builtInDatabaseUser = "joao";
const char* const builtInDatabasePassword = "739214";
// Shown until the settings are loaded; ERP.INI's value takes its place.
const char* const placeholderMailPassword = "senha";

TForm_Remetron::TestSeams& seams()
{
    static TForm_Remetron::TestSeams value;
    return value;
}

template <typename Control> Control* make(QWidget* parent, const char* name)
{
    auto* control = new Control(parent);
    control->setObjectName(QString::fromLatin1(name));
    return control;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& caption)
{
    auto* label = make<QLabel>(parent, name);
    label->setText(caption);
    return label;
}

// Labels size themselves to their caption, as on the ERP's platform: the design's font is replaced by
// whatever the system has, whose captions may be wider.
QSize labelSize(const QLabel* label, int designWidth = 0)
{
    const QSize hint = label->sizeHint();
    return {std::max(hint.width(), designWidth), std::max(hint.height(), 13)};
}

// A label just left of its control, ending a few pixels before it, its text on the control's line.
void placeLeftOf(QLabel* label, QWidget* control)
{
    const QSize size = labelSize(label);
    label->setGeometry(
        std::max(0, control->x() - 4 - size.width()), control->y() + 4, size.width(), size.height());
    label->setBuddy(control);
}

// A label above its control, at the design's top.
void placeAbove(QLabel* label, QWidget* control, int top)
{
    const QSize size = labelSize(label);
    label->setGeometry(control->x(), top, size.width(), size.height());
    label->setBuddy(control);
}
} // namespace

TForm_Remetron::TForm_Remetron(QWidget* parent)
    : QWidget(parent,
        // A title bar without buttons: no system menu, no minimise, maximise or close button.
        Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("Form_Remetron"));
    setWindowTitle(QStringLiteral("Remetron para revisão"));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    setFixedSize(647, 431);
    createControls();
    placeControls();
    orderTabs();
    FormCreate();
}

TForm_Remetron::~TForm_Remetron() = default;

// Created in tab order, so that the focus chain starts right even before orderTabs() fixes it.
void TForm_Remetron::createControls()
{
    empresa = make<platform::NumericEdit>(this, "empresa");
    empresa->setValue(1);
    usuario = make<platform::NumericEdit>(this, "usuario");
    usuario->setValue(1);
    banco = make<platform::Edit>(this, "banco");
    host = make<platform::Edit>(this, "host");
    host->setText(QStringLiteral("localhost"));
    porta = make<platform::Edit>(this, "porta");
    porta->setText(QStringLiteral("3306"));
    Edit1 = make<platform::Edit>(this, "Edit1");
    Edit1->setLowerCase(true);
    Edit1->setText(QString::fromLatin1(builtInDatabaseUser));
    senha = make<platform::Edit>(this, "senha");
    senha->setLowerCase(true);
    senha->setPasswordChar(QLatin1Char('*'));
    senha->setText(QString::fromLatin1(builtInDatabasePassword));
    DateEdit1 = make<platform::DateEdit>(this, "DateEdit1");
    hostemail = make<platform::Edit>(this, "hostemail");
    hostemail->setText(QStringLiteral("smtp.gmail.com"));
    portaemail = make<platform::Edit>(this, "portaemail");
    portaemail->setText(QStringLiteral("465"));
    usuarioemail = make<platform::Edit>(this, "usuarioemail");
    usuarioemail->setLowerCase(true);
    senhaemail = make<platform::Edit>(this, "senhaemail");
    senhaemail->setPasswordChar(QLatin1Char('*'));
    senhaemail->setText(QString::fromLatin1(placeholderMailPassword));
    ssl = make<QCheckBox>(this, "ssl");
    ssl->setText(QStringLiteral("SSL"));
    tls = make<QCheckBox>(this, "tls");
    tls->setText(QStringLiteral("TLS"));
    assunto = make<platform::Memo>(this, "assunto");
    // One line high: a scroll bar would not fit.
    assunto->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    titulo = make<platform::Memo>(this, "titulo");
    rodape = make<platform::Memo>(this, "rodape");
    Button1 = make<QPushButton>(this, "Button1");
    Button1->setText(QStringLiteral("Fechar"));
    ProgressBar1 = make<QProgressBar>(this, "ProgressBar1");
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    Button3 = make<QPushButton>(this, "Button3");
    Button3->setText(QStringLiteral("Disparar"));
    historico = make<platform::NumericEdit>(this, "historico");
    historico->setValue(1);

    Label1 = makeLabel(this, "Label1", QStringLiteral("Empresa:"));
    Label2 = makeLabel(this, "Label2", QStringLiteral("Usuário"));
    Label3 = makeLabel(this, "Label3", QStringLiteral("Banco:"));
    Label4 = makeLabel(this, "Label4", QStringLiteral("Host:"));
    Label5 = makeLabel(this, "Label5", QStringLiteral("Usuario:"));
    Label6 = makeLabel(this, "Label6", QStringLiteral("Senha:"));
    Label7 = makeLabel(this, "Label7", QStringLiteral("Porta"));
    Label8 = makeLabel(this, "Label8", QStringLiteral("Data base:"));
    Label9 = makeLabel(this, "Label9", QStringLiteral("Mensagem titulo"));
    Label10 = makeLabel(this, "Label10", QStringLiteral("Assunto email"));
    Label11 = makeLabel(this, "Label11", QStringLiteral("Mensagem rodapé"));
    Label12 = makeLabel(this, "Label12", QStringLiteral("Host:"));
    Label13 = makeLabel(this, "Label13", QStringLiteral("Usuario:"));
    Label14 = makeLabel(this, "Label14", QStringLiteral("Porta"));
    Label15 = makeLabel(this, "Label15", QStringLiteral("Configuração Email"));
    Label16 = makeLabel(this, "Label16", QStringLiteral("Senha:"));
    Label17 = makeLabel(this, "Label17", QStringLiteral("Histórico"));

    connect(Button1, &QPushButton::clicked, this,
        [this] { platform::Application::guarded([this] { Button1Click(); }); });
    connect(Button3, &QPushButton::clicked, this,
        [this] { platform::Application::guarded([this] { Button3Click(); }); });
}

// Fixed positions of the design (client coordinates), no layouts: the window cannot be resized.
void TForm_Remetron::placeControls()
{
    const struct {
        QWidget* control;
        int left, top, width, height;
    } places[] = {
        {ProgressBar1, 0, 0, 647, 16},
        {empresa, 78, 21, 65, 21},
        {usuario, 78, 45, 65, 21},
        {historico, 78, 69, 65, 21},
        {banco, 78, 101, 121, 21},
        {host, 78, 125, 121, 21},
        {porta, 78, 149, 121, 21},
        {Edit1, 78, 173, 121, 21},
        {senha, 78, 197, 121, 21},
        {DateEdit1, 78, 221, 120, 21},
        {hostemail, 78, 265, 121, 21},
        {portaemail, 78, 289, 121, 21},
        {usuarioemail, 78, 310, 121, 21},
        {senhaemail, 78, 337, 121, 21},
        {ssl, 79, 364, 97, 17},
        {tls, 79, 380, 97, 17},
        {assunto, 232, 41, 369, 24},
        {titulo, 232, 88, 369, 93},
        {rodape, 232, 208, 369, 93},
        {Button3, 284, 323, 75, 25},
        {Button1, 420, 323, 75, 25},
    };
    for (const auto& place : places)
        place.control->setGeometry(place.left, place.top, place.width, place.height);

    placeLeftOf(Label1, empresa);
    placeLeftOf(Label2, usuario);
    placeLeftOf(Label17, historico);
    placeLeftOf(Label3, banco);
    placeLeftOf(Label4, host);
    placeLeftOf(Label7, porta);
    placeLeftOf(Label5, Edit1);
    placeLeftOf(Label6, senha);
    placeLeftOf(Label8, DateEdit1);
    placeLeftOf(Label12, hostemail);
    placeLeftOf(Label14, portaemail);
    placeLeftOf(Label13, usuarioemail);
    placeLeftOf(Label16, senhaemail);
    placeAbove(Label10, assunto, 27);
    placeAbove(Label9, titulo, 71);
    placeAbove(Label11, rodape, 191);
    // The section label above the SMTP block.
    const QSize section = labelSize(Label15, 91);
    Label15->setGeometry(79, 247, section.width(), section.height());
}

void TForm_Remetron::orderTabs()
{
    QWidget* const order[]
        = {empresa, usuario, banco, host, porta, Edit1, senha, DateEdit1, hostemail, portaemail, usuarioemail,
            senhaemail, ssl, tls, assunto, titulo, rodape, Button1, ProgressBar1, Button3, historico};
    for (std::size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void TForm_Remetron::setSeamsForTesting(TestSeams replacement)
{
    seams() = std::move(replacement);
}

void TForm_Remetron::FormCreate()
{
    if (const auto& beforeLoad = seams().beforeLoad)
        beforeLoad(*this);
    Settings::load(*this);
    DateEdit1->setDate(platform::currentDate());
}

void TForm_Remetron::FormShow()
{
    platform::Application::processMessages();
    DispararEmails();
}

void TForm_Remetron::FormClose()
{
    Settings::save(*this);
}

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
    // A window system's show (a restore from the task bar) is not a show of the form: the run must
    // not start again.
    if (!event->spontaneous())
        platform::Application::guarded([this] { FormShow(); });
}

void TForm_Remetron::closeEvent(QCloseEvent* event)
{
    bool saved = false;
    platform::Application::guarded([this, &saved] {
        FormClose();
        saved = true;
    });
    if (!saved) {
        event->ignore();
        return;
    }
    event->accept();
    platform::Application::terminate();
}

void TForm_Remetron::DispararEmails()
{
    if (const auto& run = seams().run) {
        run(*this);
        return;
    }
}
