#include "letter/uEMail.h"

#include "platform/Application.h"
#include "platform/ClassRegistry.h"
#include "platform/CodePage1252.h"
#include "platform/RichEdit.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QShowEvent>
#include <QVBoxLayout>

#include <algorithm>

Tform_email* form_email = nullptr;

namespace {

// The unit enters the form's class at program start and removes it at the end.
struct Registration {
    Registration() { platform::ClassRegistry::registerClass(Tform_email::staticMetaObject); }
    ~Registration() { platform::ClassRegistry::unregisterClass(Tform_email::staticMetaObject); }
    Registration(const Registration&) = delete;
    Registration& operator=(const Registration&) = delete;
};
const Registration registration;

template <typename Control> Control* make(QWidget* parent, const char* name)
{
    auto* control = new Control(parent);
    control->setObjectName(QString::fromLatin1(name));
    return control;
}

// Grows the same row of both arrays together: if the second cannot grow, the first is shrunk back,
// so that the arrays keep one shape even when memory runs out.
template <typename Cells, typename Styles> void growBoth(Cells& cells, Styles& styles, std::size_t size)
{
    if (cells.size() >= size)
        return;
    const std::size_t before = cells.size();
    cells.resize(size);
    try {
        styles.resize(size);
    } catch (...) {
        cells.resize(before);
        throw;
    }
}

} // namespace

Tform_email::Tform_email()
{
    createControls();
    FormCreate();
}

Tform_email::~Tform_email()
{
    if (form_email == this)
        form_email = nullptr;
}

void Tform_email::createControls()
{
    setObjectName(QStringLiteral("form_email"));
    setWindowTitle(QStringLiteral("Enviar e-mail"));
    // System menu and minimize, no maximize.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
        | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    // Set before the controls are made, so that they inherit it.
    QFont formFont(QStringLiteral("MS Sans Serif"));
    formFont.setPixelSize(10);
    setFont(formFont);
    const QPalette standard = palette();
    const QColor windowColour = standard.color(QPalette::Base);
    QPalette formPalette = standard;
    formPalette.setColor(QPalette::Window, windowColour);
    setPalette(formPalette);
    setAutoFillBackground(true);

    GroupBox1 = make<QGroupBox>(this, "GroupBox1");
    GroupBox1->setTitle(QStringLiteral("Dados do email"));
    QPalette framePalette = standard;
    framePalette.setColor(QPalette::Window, standard.color(QPalette::Button));
    framePalette.setColor(QPalette::WindowText, Qt::black);
    framePalette.setColor(QPalette::Text, Qt::black);
    GroupBox1->setPalette(framePalette);
    GroupBox1->setAutoFillBackground(true);
    GroupBox1->setFixedHeight(105);

    lblPara = make<QLabel>(GroupBox1, "lblPara");
    lblPara->setText(QStringLiteral("Para"));
    lblPara->move(20, 21);
    lblPara->adjustSize();
    EdtPara = make<QLineEdit>(GroupBox1, "EdtPara");
    EdtPara->setGeometry(20, 34, 416, 19);
    lblAssunto = make<QLabel>(GroupBox1, "lblAssunto");
    lblAssunto->setText(QStringLiteral("Assunto"));
    lblAssunto->move(20, 60);
    lblAssunto->adjustSize();
    EdtAssunto = make<QLineEdit>(GroupBox1, "EdtAssunto");
    EdtAssunto->setGeometry(20, 73, 416, 19);

    GroupBox3 = make<QGroupBox>(this, "GroupBox3");
    GroupBox3->setTitle(QStringLiteral("Mensagem"));
    QPalette messagePalette = standard;
    messagePalette.setColor(QPalette::Window, QColor(0, 89, 179));
    // The caption in the window colour; styles read it from either role.
    messagePalette.setColor(QPalette::WindowText, windowColour);
    messagePalette.setColor(QPalette::Text, windowColour);
    GroupBox3->setPalette(messagePalette);
    GroupBox3->setAutoFillBackground(true);
    GroupBox3->setFixedHeight(224);

    mensagem = make<platform::RichEdit>(GroupBox3, "mensagem");
    // Its own colours, not the caption's it would inherit.
    mensagem->setPalette(standard);
    QFont pageFont = mensagem->font();
    pageFont.setPixelSize(8);
    mensagem->setFont(pageFont);
    mensagem->setLineWidth(1);
    auto* messageLayout = new QVBoxLayout(GroupBox3);
    messageLayout->setContentsMargins(0, 0, 0, 0);
    messageLayout->addWidget(mensagem);

    // Both frames aligned to the top, full width, one below the other.
    auto* formLayout = new QVBoxLayout(this);
    formLayout->setContentsMargins(0, 0, 0, 0);
    formLayout->setSpacing(0);
    formLayout->addWidget(GroupBox1);
    formLayout->addWidget(GroupBox3);
    formLayout->addStretch();

    setTabOrder(EdtAssunto, EdtPara);
    setTabOrder(EdtPara, mensagem);

    resize(483, 356);
    // Lays the controls out now: the form is never shown, yet its controls have their places.
    formLayout->activate();
    messageLayout->activate();

    // The mail component as the form resource stores it, whatever the component's own defaults.
    ACBrMail1.Host = QStringLiteral("127.0.0.1");
    ACBrMail1.Port = QStringLiteral("25");
    ACBrMail1.Username.clear();
    ACBrMail1.Password.clear();
    ACBrMail1.SetSSL = false;
    ACBrMail1.SetTLS = false;
    ACBrMail1.ReadingConfirmation = false;
    ACBrMail1.Attempts = 1;
    ACBrMail1.DefaultCharset = platform::MailCharset::UTF_8;
    ACBrMail1.IDECharset = platform::MailCharset::CP1252;
}

// ---- the page -----------------------------------------------------------------------------------

void Tform_email::FormCreate()
{
    LinhasCabecalho = 0;
    Linha_Posicionada = 1;
    NumeroColunas = 0;
    NumeroLinhas = 0;
    Matriz.assign(1, std::vector<std::uint8_t>(1, 0));
    Matriz_Estilos.assign(1, std::vector<TFontStyles>(1));

    ACBrMail1.SetTLS = true;
    ACBrMail1.SetSSL = true;
    ACBrMail1.ReadingConfirmation = true;
}

void Tform_email::TextOut(std::int32_t Linha, std::int32_t Coluna, const QString& Texto, TFontStyles Estilo)
{
    // The page has no row below 0; no caller names one.
    if (Linha < 0)
        return;
    const std::int64_t firstColumn = Coluna;
    const std::int64_t lastColumn = std::min<std::int64_t>(firstColumn + Texto.size() - 1, MaxColumn);
    const std::int32_t columns
        = std::max(NumeroColunas, static_cast<std::int32_t>(std::max<std::int64_t>(lastColumn, 0)));

    // Grow first, so that running out of memory leaves the counters as they were.
    const auto rows = static_cast<std::size_t>(Linha) + 1;
    growBoth(Matriz, Matriz_Estilos, rows);
    const auto width = static_cast<std::size_t>(columns) + 1;
    for (std::size_t row = 0; row < rows; ++row)
        growBoth(Matriz[row], Matriz_Estilos[row], width);
    NumeroColunas = columns;
    NumeroLinhas = std::max(NumeroLinhas, Linha);

    auto& cells = Matriz[rows - 1];
    auto& styles = Matriz_Estilos[rows - 1];
    for (qsizetype k = 0; k < Texto.size(); ++k) {
        const std::int64_t column = firstColumn + k;
        // Cell 0 is never written.
        if (column < 1)
            continue;
        if (column > MaxColumn)
            break;
        const auto index = static_cast<std::size_t>(column);
        cells[index] = platform::cp1252::fromChar(Texto.at(k)).value_or(std::uint8_t {'?'});
        styles[index] = Estilo;
    }
}

void Tform_email::ColocaNoRichEdit(std::int32_t primeiraLinha)
{
    const auto first = static_cast<std::size_t>(std::max<std::int32_t>(primeiraLinha, 0));
    const std::size_t last = std::min<std::size_t>(LastRenderedRow, Matriz.size() - 1);
    for (std::size_t row = first; row <= last && row < Matriz.size(); ++row) {
        const auto& cells = Matriz[row];
        const auto& styles = Matriz_Estilos[row];
        // A row narrower than the page gives a shorter line.
        const std::size_t columns = std::min<std::size_t>(
            static_cast<std::size_t>(NumeroColunas), cells.empty() ? 0 : cells.size() - 1);
        QString line;
        line.reserve(static_cast<qsizetype>(columns));
        for (std::size_t column = 1; column <= columns; ++column) {
            const QChar character = platform::cp1252::toChar(cells[column]);
            line.append(character.isNull() ? QLatin1Char(' ') : character);
        }
        const int lineIndex = mensagem->Lines.Count();
        mensagem->Lines.Add(line);

        // The cell at index i of line sits at position start + i less one for each CR LF pair
        // before it, which the rich edit keeps as a single break; the cells of a break put no
        // character into the text and keep no style.
        const int start = mensagem->positionOfLine(lineIndex);
        int collapsed = 0;
        for (qsizetype i = 0; i < line.size(); ++i) {
            if (platform::RichEdit::isLineBreak(line.at(i))) {
                if (line.at(i) == QLatin1Char('\r') && i + 1 < line.size()
                    && line.at(i + 1) == QLatin1Char('\n')) {
                    ++i;
                    ++collapsed;
                }
                continue;
            }
            const TFontStyles style = styles[static_cast<std::size_t>(i) + 1];
            if (style.empty())
                continue;
            mensagem->setSelStart(start + static_cast<int>(i) - collapsed);
            mensagem->setSelLength(1);
            mensagem->SelAttributes.setStyle(style);
        }
    }
    Ultima_LinhaMemo = static_cast<std::int32_t>(
        std::max<std::int64_t>(std::int64_t {primeiraLinha} - 1, LastRenderedRow));

    if (mensagem->Lines.Count() > 0)
        mensagem->Lines.replace(0, mensagem->Lines.at(0));
    else
        mensagem->setSelStart(0);
}

// ---- the form's life ----------------------------------------------------------------------------

void Tform_email::Release()
{
    deleteLater();
}

void Tform_email::FormShow()
{
    enviar();
}

void Tform_email::FormClose()
{
    Release();
}

void Tform_email::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // In the centre of the screen.
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    platform::Application::guarded([this] { FormShow(); });
}

void Tform_email::closeEvent(QCloseEvent* event)
{
    platform::Application::guarded([this] { FormClose(); });
    event->accept();
}

// ---- sending ------------------------------------------------------------------------------------

bool Tform_email::enviar()
{
    return false;
}

bool Tform_email::enviarSemMensagemErro()
{
    return false;
}
