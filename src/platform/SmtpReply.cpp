#include "platform/SmtpReply.h"

#include <QChar>

#include <utility>

namespace platform {

SmtpReply::SmtpReply(int code, QList<QByteArray> lines)
    : m_code(code)
    , m_lines(std::move(lines))
{
    Q_ASSERT(!m_lines.isEmpty());
}

QList<QByteArray> SmtpReply::texts() const
{
    QList<QByteArray> texts;
    texts.reserve(m_lines.size());
    for (const QByteArray& line : m_lines)
        texts.append(line.mid(4));
    return texts;
}

QString SmtpReply::displayText(const QByteArray& raw)
{
    const QString decoded = QString::fromUtf8(raw);
    QString shown;
    shown.reserve(decoded.size());
    for (const QChar character : decoded) {
        // Line and paragraph separators break lines in a label as well as control characters do.
        const QChar::Category category = character.category();
        if (category != QChar::Other_Control && category != QChar::Separator_Line
            && category != QChar::Separator_Paragraph)
            shown.append(character);
    }
    return shown;
}

} // namespace platform
