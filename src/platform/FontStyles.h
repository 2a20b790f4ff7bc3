#pragma once

#include <cstdint>

// A set of font styles in one byte; the empty set is regular text.
enum class TFontStyle : std::uint8_t {
    fsBold = 0x01,
    fsItalic = 0x02,
    fsUnderline = 0x04,
    fsStrikeOut = 0x08
};

class TFontStyles {
public:
    constexpr TFontStyles() = default;
    constexpr TFontStyles(TFontStyle style)
        : m_bits(static_cast<std::uint8_t>(style))
    {
    }

    static constexpr TFontStyles fromBits(std::uint8_t bits)
    {
        TFontStyles styles;
        styles.m_bits = bits & 0x0F;
        return styles;
    }

    constexpr bool contains(TFontStyle style) const
    {
        return (m_bits & static_cast<std::uint8_t>(style)) != 0;
    }
    constexpr bool empty() const { return m_bits == 0; }
    constexpr std::uint8_t bits() const { return m_bits; }

    constexpr TFontStyles operator|(TFontStyles other) const { return fromBits(m_bits | other.m_bits); }
    constexpr TFontStyles operator-(TFontStyles other) const
    {
        return fromBits(static_cast<std::uint8_t>(m_bits & ~other.m_bits));
    }
    constexpr bool operator==(const TFontStyles&) const = default;

private:
    std::uint8_t m_bits = 0;
};

constexpr TFontStyles operator|(TFontStyle a, TFontStyle b)
{
    return TFontStyles(a) | TFontStyles(b);
}

static_assert(sizeof(TFontStyles) == 1, "a style set takes one byte, one per page cell");

inline constexpr TFontStyle fsBold = TFontStyle::fsBold;
inline constexpr TFontStyle fsItalic = TFontStyle::fsItalic;
inline constexpr TFontStyle fsUnderline = TFontStyle::fsUnderline;
inline constexpr TFontStyle fsStrikeOut = TFontStyle::fsStrikeOut;
