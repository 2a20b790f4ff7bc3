#include "platform/SmtpReplyParser.h"

#include <QString>

#include <utility>

namespace platform {

namespace {

bool isDigit(char character)
{
    return character >= '0' && character <= '9';
}

} // namespace

void SmtpReplyParser::feed(QByteArrayView bytes)
{
    // Drop what earlier replies used, so that a long session does not keep its whole transcript.
    if (m_consumed > 0) {
        m_buffer.remove(0, m_consumed);
        m_consumed = 0;
    }
    m_buffer.append(bytes.data(), bytes.size());
}

std::optional<SmtpReply> SmtpReplyParser::next()
{
    if (m_failure)
        throw MalformedReply(*m_failure);
    for (;;) {
        const qsizetype lineStart = m_consumed + m_scanned;
        const qsizetype newline = m_buffer.indexOf('\n', lineStart);
        if (newline < 0) {
            // The line may still end in the CR of its CR LF.
            if (m_buffer.size() - lineStart > maxLineLength + 1)
                fail(QStringLiteral("reply line longer than %1 bytes").arg(maxLineLength));
            return std::nullopt;
        }
        qsizetype lineEnd = newline;
        if (lineEnd > lineStart && m_buffer.at(lineEnd - 1) == '\r')
            --lineEnd;
        const QByteArray line = m_buffer.mid(lineStart, lineEnd - lineStart);
        m_scanned = newline + 1 - m_consumed;

        if (line.size() > maxLineLength)
            fail(QStringLiteral("reply line longer than %1 bytes").arg(maxLineLength));
        if (line.size() < 3 || !isDigit(line.at(0)) || !isDigit(line.at(1)) || !isDigit(line.at(2))
            || line.at(0) < '1' || line.at(0) > '5')
            fail(QStringLiteral("reply line without a reply code"));
        const bool last = line.size() == 3 || line.at(3) == ' ';
        if (!last && line.at(3) != '-')
            fail(QStringLiteral("reply line without a separator after its code"));
        const int code = (line.at(0) - '0') * 100 + (line.at(1) - '0') * 10 + (line.at(2) - '0');
        if (!m_pending.isEmpty() && code != m_pendingCode)
            fail(QStringLiteral("reply lines with different codes"));
        if (m_pending.size() >= maxLines)
            fail(QStringLiteral("reply of more than %1 lines").arg(maxLines));
        m_pendingCode = code;
        m_pending.append(line);

        if (last) {
            m_consumed += m_scanned;
            m_scanned = 0;
            QList<QByteArray> lines = std::exchange(m_pending, {});
            return SmtpReply(code, std::move(lines));
        }
    }
}

void SmtpReplyParser::clear()
{
    m_buffer.clear();
    m_consumed = 0;
    m_scanned = 0;
    m_pending.clear();
    m_pendingCode = 0;
    m_failure.reset();
}

void SmtpReplyParser::fail(const QString& reason)
{
    m_failure = reason;
    throw MalformedReply(reason);
}

} // namespace platform
