#include "platform/Edit.h"

#include <QValidator>

namespace platform {

namespace {
// A validator runs on every change, typed, pasted or set, so lower-casing there covers all three.
class LowerCaseValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& /*pos*/) const override
    {
        input = input.toLower();
        return Acceptable;
    }
};
} // namespace

Edit::Edit(QWidget* parent)
    : QLineEdit(parent)
{
}

void Edit::setLowerCase(bool on)
{
    m_lowerCase = on;
    setValidator(on ? new LowerCaseValidator(this) : nullptr);
    if (on)
        QLineEdit::setText(text().toLower());
}

void Edit::setPasswordChar(QChar character)
{
    if (character.isNull()) {
        setEchoMode(QLineEdit::Normal);
        setStyleSheet(QString());
        return;
    }
    setEchoMode(QLineEdit::Password);
    setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: %1; }").arg(character.unicode()));
}

void Edit::setText(const QString& text)
{
    QLineEdit::setText(m_lowerCase ? text.toLower() : text);
}

} // namespace platform
