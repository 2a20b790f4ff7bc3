#include "platform/Edit.h"

#include <QValidator>

namespace platform {

namespace {
// QLineEdit runs its validator on every change, typed, pasted or set with setText(), so lower-casing
// here covers all three.
class LowerCaseValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& position) const override
    {
        input = input.toLower();
        // Lower-casing may change the length (U+0130 becomes two code units).
        position = qMin(position, static_cast<int>(input.size()));
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
    if (on == m_lowerCase)
        return;
    m_lowerCase = on;
    const QValidator* old = validator();
    setValidator(on ? new LowerCaseValidator(this) : nullptr);
    delete old;
    // QLineEdit validates only a text that differs from the one it holds.
    if (on)
        setText(text().toLower());
}

void Edit::setPasswordChar(QChar character)
{
    m_passwordChar = character;
    if (character.isNull()) {
        setEchoMode(QLineEdit::Normal);
        setStyleSheet(QString());
        return;
    }
    setEchoMode(QLineEdit::Password);
    setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: %1; }").arg(character.unicode()));
}

} // namespace platform
