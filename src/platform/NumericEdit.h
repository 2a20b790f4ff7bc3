#pragma once

#include <QLineEdit>

#include <cstdint>

namespace platform {

// A numeric edit without decimal places: it holds a number and shows it with the format "#0"
// (at least one digit, no grouping, a minus sign when negative). The forms read it as an integer
// truncated toward zero.
class NumericEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit NumericEdit(QWidget* parent = nullptr);

    double value() const { return m_value; }
    void setValue(double value);

    // The value truncated toward zero, held to the 32-bit range.
    std::int32_t asInteger() const;

protected:
    void focusOutEvent(QFocusEvent* event) override;

private:
    void takeTypedText();
    void showValue();

    double m_value = 0;
};

} // namespace platform
