#include "platform/CodePage1252.h"

#include <array>

namespace platform::cp1252 {

namespace {
// 0x80 to 0x9F; 0 marks the bytes the code page leaves undefined. Every other byte is its own code.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC,
    0,
    0x201A,
    0x0192,
    0x201E,
    0x2026,
    0x2020,
    0x2021,
    0x02C6,
    0x2030,
    0x0160,
    0x2039,
    0x0152,
    0,
    0x017D,
    0,
    0,
    0x2018,
    0x2019,
    0x201C,
    0x201D,
    0x2022,
    0x2013,
    0x2014,
    0x02DC,
    0x2122,
    0x0161,
    0x203A,
    0x0153,
    0,
    0x017E,
    0x0178,
};
} // namespace

QChar toChar(std::uint8_t byte)
{
    if (byte >= 0x80 && byte <= 0x9F)
        return QChar(kHigh[byte - 0x80u]);
    return QChar(static_cast<char16_t>(byte));
}

std::optional<std::uint8_t> fromChar(QChar character)
{
    const char16_t code = character.unicode();
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF))
        return static_cast<std::uint8_t>(code);
    for (std::size_t i = 0; i < kHigh.size(); ++i) {
        if (kHigh[i] != 0 && kHigh[i] == code)
            return static_cast<std::uint8_t>(0x80 + i);
    }
    return std::nullopt;
}

QString decode(const QByteArray& bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<std::uint8_t>(c);
        const QChar character = toChar(byte);
        text.append(character.isNull() && byte != 0 ? QChar(static_cast<char16_t>(byte)) : character);
    }
    return text;
}

QByteArray encode(const QString& text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar character = text.at(i);
        if (character.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            bytes.append('?');
            ++i;
            continue;
        }
        // The undefined bytes come back from decode() as U+0081 and its kin.
        const char16_t code = character.unicode();
        if (code == 0x81 || code == 0x8D || code == 0x8F || code == 0x90 || code == 0x9D) {
            bytes.append(static_cast<char>(code));
            continue;
        }
        const auto byte = fromChar(character);
        bytes.append(byte ? static_cast<char>(*byte) : '?');
    }
    return bytes;
}

} // namespace platform::cp1252
