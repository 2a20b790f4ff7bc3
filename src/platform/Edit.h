#pragma once

#include <QLineEdit>

namespace platform {

// A one-line edit with the two options the forms use: lower case (typing, pasting and setText all
// give lower-case letters) and a password character shown for every character.
class Edit : public QLineEdit {
    Q_OBJECT
public:
    explicit Edit(QWidget* parent = nullptr);

    void setLowerCase(bool on);
    bool lowerCase() const { return m_lowerCase; }

    // '*' masks the text; a null character shows it.
    void setPasswordChar(QChar character);

    // setText() of QLineEdit bypasses the validator's fix-up; this one lower-cases as typing does.
    void setText(const QString& text);

private:
    bool m_lowerCase = false;
};

} // namespace platform
