#include "platform/Memo.h"

#include <QTextDocument>

namespace platform {

Memo::Memo(QWidget* parent)
    : QPlainTextEdit(parent)
{
    setTabChangesFocus(true);
}

QString Memo::text() const
{
    // toPlainText() would turn non-breaking spaces into spaces; the raw text keeps every character
    // and marks line breaks with the paragraph separator (Enter) or the line separator (Shift+Enter).
    QString raw = document()->toRawText();
    raw.replace(QChar(QChar::ParagraphSeparator), QStringLiteral("\r\n"));
    raw.replace(QChar(QChar::LineSeparator), QStringLiteral("\r\n"));
    return raw;
}

void Memo::setText(const QString& text)
{
    QString normalised = text;
    normalised.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    normalised.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    setPlainText(normalised);
}

} // namespace platform
