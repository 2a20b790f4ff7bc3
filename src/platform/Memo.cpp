#include "platform/Memo.h"

#include <QRegularExpression>

namespace platform {

Memo::Memo(QWidget* parent)
    : QPlainTextEdit(parent)
{
    setTabChangesFocus(true);
}

QString Memo::text() const
{
    QString plain = toPlainText();
    plain.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return plain;
}

void Memo::setText(const QString& text)
{
    QString normalised = text;
    normalised.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    normalised.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    setPlainText(normalised);
}

} // namespace platform
