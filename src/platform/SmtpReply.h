#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace platform {

// One complete server reply (RFC 5321, 4.2): a three-digit code shared by all its lines and the text
// of each line.
class SmtpReply {
public:
    // lines are the raw lines without their line end, code included ("250-PIPELINING").
    SmtpReply(int code, QList<QByteArray> lines);

    int code() const { return m_code; }
    // The texts after the code and its separator, one per line.
    QList<QByteArray> texts() const;
    // The last raw line, code included: what a failure message shows.
    const QByteArray& lastLine() const { return m_lines.constLast(); }

    bool isPositiveCompletion() const { return m_code / 100 == 2; }
    bool isPositiveIntermediate() const { return m_code / 100 == 3; }

    // A server's text made safe to show: decoded as UTF-8 and every control character and line or
    // paragraph separator removed, so that a reply cannot add lines or terminal sequences to a
    // message box or a file.
    static QString displayText(const QByteArray& raw);

private:
    int m_code;
    QList<QByteArray> m_lines;
};

} // namespace platform
