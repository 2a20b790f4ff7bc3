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
class Tform_email : public QWidget {
    Q_OBJECT
public:
    Tform_email();
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
    QString NOMEEMPRESA;
    std::int32_t NumeroLinhas = 0;
    std::int32_t NumeroColunas = 0;
    std::int32_t Linha_Posicionada = 0;
    std::int32_t Ultima_LinhaMemo = 0;
    std::int32_t LinhasCabecalho = 0;

    // Places Texto on row Linha from column Coluna on, every character with the style Estilo.
    void TextOut(std::int32_t Linha, std::int32_t Coluna, const QString& Texto, TFontStyles Estilo);
    // Appends rows Linha_Posicionada through 1000 of the page to mensagem, one line per row.
    void ColocaNoRichEdit(std::int32_t Linha_Posicionada);

    // Renders, assembles and sends the letter. A failed send is shown in a message box; the result
    // tells whether the server accepted the letter.
    bool enviar();
    // As enviar, but a failed send is written to the error file instead of being shown.
    bool enviarSemMensagemErro();

    // Deferred release: the form is destroyed the next time pending events are processed.
    void Release();

    // Event handlers.
    void FormCreate();
    void FormShow();
    void FormClose();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
};

// The unit's instance variable: the form of the letter under way, if any.
extern Tform_email* form_email;
