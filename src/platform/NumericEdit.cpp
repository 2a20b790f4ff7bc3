#include "platform/NumericEdit.h"

#include <QRegularExpression>
#include <QRegularExpressionValidator>

#include <cmath>
#include <limits>

namespace platform {

NumericEdit::NumericEdit(QWidget* parent)
    : QLineEdit(parent)
{
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("-?[0-9]{0,10}")), this));
    connect(this, &QLineEdit::editingFinished, this, &NumericEdit::takeTypedText);
    showValue();
}

void NumericEdit::setValue(double value)
{
    m_value = std::isfinite(value) ? value : 0;
    showValue();
}

std::int32_t NumericEdit::asInteger() const
{
    const double truncated = std::trunc(m_value);
    if (truncated >= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        return std::numeric_limits<std::int32_t>::max();
    if (truncated <= static_cast<double>(std::numeric_limits<std::int32_t>::min()))
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(truncated);
}

void NumericEdit::focusOutEvent(QFocusEvent* event)
{
    takeTypedText();
    QLineEdit::focusOutEvent(event);
}

void NumericEdit::takeTypedText()
{
    bool ok = false;
    const double typed = text().toDouble(&ok);
    m_value = ok ? typed : 0;
    showValue();
}

void NumericEdit::showValue()
{
    // "#0": rounded to a whole number, half away from zero.
    const double shown = std::round(m_value);
    QLineEdit::setText(QString::number(shown == 0 ? 0.0 : shown, 'f', 0));
}

} // namespace platform
