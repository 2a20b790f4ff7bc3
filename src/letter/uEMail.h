#pragma once

#include "platform/FontStyles.h"
#include "platform/SmtpMail.h"

#include <QString>
#include <QWidget>

#include <cstdint>
#include <vector>

class QGroupBox;
class QLabel;
class QLineEdit;

namespace platform {
class RichEdit;
}

// The mail form: carries one letter from its page of character cells to the mail server. Created
// without owner for one letter, never shown by the run, and released right after sending.
//
// The page: rows from 0, columns from 1 (cell 0 of a row is never written nor rendered), at most
// 180 columns. Each cell holds the Windows-1252 byte of the character placed there ("?" for a
// character the code page lacks; each UTF-16 code unit takes one cell, control characters, CR and
// LF included, like any other) and the style of that character. A cell no text reached holds byte
// 0 and the empty style. Matriz and Matriz_Estilos always have the same shape.
class Tform_email : public QWidget {
    Q_OBJECT
public:
    // Builds the form resource, then runs FormCreate. The form stays hidden.
    Tform_email();
    // Clears form_email when it points to this form.
    ~Tform_email() override;

    // Controls of the form.
    QGroupBox* GroupBox1 = nullptr;
    QLabel* lblAssunto = nullptr;
    QLabel* lblPara = nullptr;
    QLineEdit* EdtAssunto = nullptr;
    QLineEdit* EdtPara = nullptr;
    QGroupBox* GroupBox3 = nullptr;
    platform::RichEdit* mensagem = nullptr;
    platform::SmtpMail ACBrMail1;

    // The page: characters and their styles, indexed by row (from 0), then by column (from 1).
    std::vector<std::vector<std::uint8_t>> Matriz;
    std::vector<std::vector<TFontStyles>> Matriz_Estilos;
    // The sender's display name.
    QString NOMEEMPRESA;
    // The highest row passed to TextOut so far.
    std::int32_t NumeroLinhas = 0;
    // The page's width: the highest last column of any text placed so far, at most 180.
    std::int32_t NumeroColunas = 0;
    // The first row that rendering takes: 1 from creation on.
    std::int32_t Linha_Posicionada = 0;
    // The last row the last completed rendering visited; 0 before any.
    std::int32_t Ultima_LinhaMemo = 0;
    // Set to 0 at creation; nothing else reads or writes it.
    std::int32_t LinhasCabecalho = 0;

    // The widest page: no character is stored beyond this column.
    static constexpr std::int32_t MaxColumn = 180;
    // The last row rendering takes.
    static constexpr std::int32_t LastRenderedRow = 1000;

    // Places Texto on row Linha from column Coluna on, every code unit in a cell of its own with
    // the style Estilo; a later text overwrites the cells it covers. NumeroColunas rises to the
    // text's last column (at most 180), the page gains rows up to Linha, and rows 0 to Linha are
    // widened to NumeroColunas + 1 cells, even when nothing is stored (an empty text, a text from
    // beyond column 180). Code units beyond column 180 or before column 1 are dropped. A row below
    // 0 changes nothing. Raises only when memory runs out.
    void TextOut(std::int32_t Linha, std::int32_t Coluna, const QString& Texto, TFontStyles Estilo);
    // Appends rows Linha_Posicionada through 1000 that the page has to mensagem, one Lines.Add each
    // (a row below 0 is no row): the row's cells from column 1 up to NumeroColunas, decoded from
    // Windows-1252, where byte 0 and the code page's undefined bytes give a blank; then gives each
    // character of a styled cell its style. Sets Ultima_LinhaMemo to the last row visited (1000,
    // or Linha_Posicionada - 1 when that is beyond) and last writes the first line of mensagem
    // back unchanged, which leaves the caret at its end. The page does not change.
    // Raises platform::Exception("RichEdit line insertion error") when mensagem's text limit
    // refuses a row: the rows appended before stay, and Ultima_LinhaMemo keeps its value.
    void ColocaNoRichEdit(std::int32_t Linha_Posicionada);

    // Renders, assembles and sends the letter. A failed send is shown in a message box; the result
    // tells whether the server accepted the letter.
    bool enviar();
    // As enviar, but a failed send is written to the error file instead of being shown.
    bool enviarSemMensagemErro();

    // Deferred release: the form is destroyed the next time pending events are processed.
    void Release();

    // Event handlers.
    // Initialises the page, then sets SetTLS, SetSSL and ReadingConfirmation of ACBrMail1 on.
    void FormCreate();
    // Sends the letter (enviar).
    void FormShow();
    // Releases the form; the close goes on.
    void FormClose();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // The form resource: the controls with their settings, and the values the resource stores in
    // ACBrMail1 (Host "127.0.0.1", Port "25", no credentials, SSL, TLS and read receipt off, one
    // attempt, UTF-8 text taken from Windows-1252).
    void createControls();
};

// The unit's instance variable: the form of the letter under way, if any.
extern Tform_email* form_email;
