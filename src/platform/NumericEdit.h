#pragma once

#include <QLineEdit>

#include <cstdint>

namespace platform {

// A numeric edit without decimal places: it holds a number and shows it with the format "#0"
// (rounded to a whole number, half away from zero; no grouping; a minus sign when negative). The
// forms read it as an integer truncated toward zero. The value is held to the 32-bit range, so that
// what the edit shows is what the forms read and write.
class NumericEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit NumericEdit(QWidget* parent = nullptr);

    // The value, also while the user is still typing it.
    double value() const { return m_value; }
    // A value outside the 32-bit range is held at its nearest end; NaN gives 0.
    void setValue(double value);

    // The value truncated toward zero.
    std::int32_t asInteger() const;

protected:
    void focusOutEvent(QFocusEvent* event) override;

private:
    void takeText(const QString& text);
    void showValue();

    double m_value = 0;
    bool m_showing = false;
};

} // namespace platform
