#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

namespace platform {

// The general error of the program: every failure that reaches a user carries one text, shown as it
// stands by whoever catches it last.
class Exception : public std::exception {
public:
    explicit Exception(QString message);

    const QString& message() const noexcept { return m_message; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

// A text that does not convert to the number or date asked for.
class ConvertError : public Exception {
public:
    using Exception::Exception;
};

// A file that cannot be created, written or read.
class InOutError : public Exception {
public:
    using Exception::Exception;
};

// The message of any error: ours carry a QString, others their what() text as UTF-8.
QString messageOf(const std::exception& error);

} // namespace platform
