#pragma once

#include <QPlainTextEdit>

namespace platform {

// A multi-line edit whose text uses CR LF line breaks, as memos do on the ERP's platform: a memo's
// text written whole into the letter takes two cells per line break. Tab moves the focus on.
class Memo : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit Memo(QWidget* parent = nullptr);

    // The lines joined by CR LF, exactly as held: a trailing line break stays, no other character
    // is changed (a non-breaking space stays one).
    QString text() const;
    // CR LF, LF and CR alone each start a new line.
    void setText(const QString& text);
};

} // namespace platform
