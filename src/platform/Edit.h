#pragma once

#include <QLineEdit>

namespace platform {

// A one-line edit with the two options the forms use: lower case (typing, pasting and setText all
// give lower-case letters) and a password character shown for every character.
class Edit : public QLineEdit {
    Q_OBJECT
public:
    explicit Edit(QWidget* parent = nullptr);

    // On: the text held now and every later change are lower-cased.
    void setLowerCase(bool on);
    bool lowerCase() const { return m_lowerCase; }

    // A non-null character masks the text, shown once per character; a null character shows it.
    // The text itself is unchanged, and a masked edit does not copy it to the clipboard.
    void setPasswordChar(QChar character);
    QChar passwordChar() const { return m_passwordChar; }

private:
    bool m_lowerCase = false;
    QChar m_passwordChar;
};

} // namespace platform
