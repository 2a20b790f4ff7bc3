#include "platform/NumericEdit.h"

#include <QRegularExpression>
#include <QRegularExpressionValidator>

#include <algorithm>
#include <cmath>
#include <limits>

namespace platform {

namespace {
constexpr double lowest = std::numeric_limits<std::int32_t>::min();
constexpr double highest = std::numeric_limits<std::int32_t>::max();

double held(double value)
{
    if (std::isnan(value))
        return 0;
    return std::clamp(value, lowest, highest);
}
} // namespace

NumericEdit::NumericEdit(QWidget* parent)
    : QLineEdit(parent)
{
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Digits with an optional minus sign: the value has no decimal places.
    setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("-?[0-9]{0,10}")), this));
    // Every change of the text, typed or pasted, is the value at once: a run started before the edit
    // loses the focus reads what the user sees.
    connect(this, &QLineEdit::textChanged, this, &NumericEdit::takeText);
    connect(this, &QLineEdit::editingFinished, this, &NumericEdit::showValue);
    showValue();
}

void NumericEdit::setValue(double value)
{
    m_value = held(value);
    showValue();
}

std::int32_t NumericEdit::asInteger() const
{
    return static_cast<std::int32_t>(std::trunc(m_value));
}

void NumericEdit::focusOutEvent(QFocusEvent* event)
{
    showValue();
    QLineEdit::focusOutEvent(event);
}

void NumericEdit::takeText(const QString& text)
{
    if (m_showing)
        return;
    bool ok = false;
    const double typed = text.toDouble(&ok);
    m_value = ok ? held(typed) : 0;
}

void NumericEdit::showValue()
{
    const double shown = std::round(m_value);
    m_showing = true;
    QLineEdit::setText(QString::number(shown == 0 ? 0.0 : shown, 'f', 0));
    m_showing = false;
}

} // namespace platform
