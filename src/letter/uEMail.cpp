#include "letter/uEMail.h"

// Placeholder until the mail form is built.
Tform_email* form_email = nullptr;

Tform_email::Tform_email() = default;
Tform_email::~Tform_email() = default;
void Tform_email::TextOut(std::int32_t, std::int32_t, const QString&, TFontStyles) { }
void Tform_email::ColocaNoRichEdit(std::int32_t) { }
bool Tform_email::enviar()
{
    return false;
}
bool Tform_email::enviarSemMensagemErro()
{
    return false;
}
void Tform_email::Release()
{
    deleteLater();
}
void Tform_email::FormCreate() { }
void Tform_email::FormShow() { }
void Tform_email::FormClose() { }
void Tform_email::showEvent(QShowEvent*) { }
void Tform_email::closeEvent(QCloseEvent*) { }
