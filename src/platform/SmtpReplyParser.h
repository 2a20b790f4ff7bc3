#pragma once

#include "platform/Exception.h"
#include "platform/SmtpReply.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <optional>

namespace platform {

// Splits the bytes a server sends into replies. A reply is one or more lines "ddd-text" ended by one
// "ddd text" (or a bare "ddd"), all with the same code (RFC 5321, 4.2.1). Lines end in CR LF; a bare LF
// is taken as well. The caps bound what a hostile server can make the client hold.
class SmtpReplyParser {
public:
    // A line longer than this (line end excluded) is refused; RFC 5321 allows 512 with the CR LF.
    static constexpr qsizetype maxLineLength = 2048;
    // A reply with more lines than this is refused; an EHLO reply holds a few dozen at most.
    static constexpr qsizetype maxLines = 200;

    // What the parser raises for bytes that are no reply.
    class MalformedReply : public Exception {
    public:
        using Exception::Exception;
    };

    // Appends received bytes.
    void feed(QByteArrayView bytes);

    // The next complete reply, or nothing while its last line has not arrived. Raises MalformedReply
    // for a line without a valid code, a code that differs from the reply's first line, a line over
    // maxLineLength (also while it is still arriving) or a reply of more than maxLines lines. After an
    // error the parser stays failed: the session is out of step and must end.
    std::optional<SmtpReply> next();

    // Bytes received but not yet part of a returned reply.
    qsizetype bufferedBytes() const { return m_buffer.size() - m_consumed; }

    // Forgets everything received, a failure included (a new connection).
    void clear();

private:
    [[noreturn]] void fail(const QString& reason);

    QByteArray m_buffer;
    qsizetype m_consumed = 0; // bytes of m_buffer already returned as replies
    qsizetype m_scanned = 0; // bytes after m_consumed known to hold no complete reply
    QList<QByteArray> m_pending;
    int m_pendingCode = 0;
    std::optional<QString> m_failure;
};

} // namespace platform
