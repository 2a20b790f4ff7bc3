#pragma once

#include <QByteArray>
#include <QString>

#include <ostream>

// gtest shows a failed comparison of these as readable text (bytes escaped as C would) instead of a
// list of characters.
inline void PrintTo(const QByteArray& bytes, std::ostream* out)
{
    static const char hex[] = "0123456789ABCDEF";
    *out << '"';
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\r')
            *out << "\\r";
        else if (c == '\n')
            *out << "\\n";
        else if (c == '"' || c == '\\')
            *out << '\\' << c;
        else if (byte >= 0x20 && byte < 0x7F)
            *out << c;
        else
            *out << "\\x" << hex[byte >> 4] << hex[byte & 0xF];
    }
    *out << '"';
}

inline void PrintTo(const QString& text, std::ostream* out)
{
    PrintTo(text.toUtf8(), out);
}
