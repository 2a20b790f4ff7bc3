#pragma once

#include <QByteArray>
#include <QChar>
#include <QString>

#include <cstdint>
#include <optional>

// Windows-1252, the 8-bit code page of the ERP's platform: the code page of the letter's page cells,
// of an ERP.INI brought from that platform and of the mail error file.
namespace platform::cp1252 {

// The character of a byte, or a null QChar for the five bytes the code page leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D).
QChar toChar(std::uint8_t byte);

// The byte of a character, or nothing when the code page lacks it (a surrogate included).
std::optional<std::uint8_t> fromChar(QChar character);

// Whole texts. Decoding maps the five undefined bytes to U+0081 and its kin, as the platform does,
// so that decoding and encoding again keeps every byte. Encoding writes "?" for each character
// (code point) the code page lacks.
QString decode(const QByteArray& bytes);
QByteArray encode(const QString& text);

} // namespace platform::cp1252
