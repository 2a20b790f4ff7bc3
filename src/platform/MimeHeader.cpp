#include "platform/MimeHeader.h"

#include "platform/CodePage1252.h"
#include "platform/MailAddress.h"

#include <QStringView>

#include <algorithm>
#include <utility>

namespace platform {

namespace {

QByteArray charsetName(MailCharset charset)
{
    return charset == MailCharset::UTF_8 ? QByteArrayLiteral("UTF-8") : QByteArrayLiteral("windows-1252");
}

// "=?charset?B?" and "?=".
qsizetype wordOverhead(MailCharset charset)
{
    return charsetName(charset).size() + 7;
}

qsizetype base64Length(qsizetype bytes)
{
    return (bytes + 2) / 3 * 4;
}

bool isPlainAscii(QChar character)
{
    return character.unicode() >= 0x20 && character.unicode() <= 0x7E;
}

// The bytes of the character (code point) at position, and its length in UTF-16 units.
std::pair<QByteArray, qsizetype> characterAt(const QString& text, qsizetype position, MailCharset charset)
{
    qsizetype units = 1;
    if (text.at(position).isHighSurrogate() && position + 1 < text.size()
        && text.at(position + 1).isLowSurrogate())
        units = 2;
    const QString character = text.mid(position, units);
    return {charset == MailCharset::UTF_8 ? character.toUtf8() : cp1252::encode(character), units};
}

// The longest encoded word of at most room characters from position on; at least one character.
QByteArray nextWord(const QString& text, qsizetype& position, MailCharset charset, qsizetype room)
{
    const qsizetype overhead = wordOverhead(charset);
    QByteArray bytes;
    while (position < text.size()) {
        const auto [character, units] = characterAt(text, position, charset);
        if (!bytes.isEmpty() && overhead + base64Length(bytes.size() + character.size()) > room)
            break;
        bytes += character;
        position += units;
    }
    return "=?" + charsetName(charset) + "?B?" + bytes.toBase64() + "?=";
}

} // namespace

MimeHeader::MimeHeader(QByteArray name, MailCharset charset)
    : m_name(std::move(name))
    , m_charset(charset)
{
}

MimeHeader& MimeHeader::addToken(const QByteArray& token)
{
    m_pieces.append(Piece {token, {}, false});
    return *this;
}

MimeHeader& MimeHeader::addText(const QString& text)
{
    if (text.isEmpty())
        return *this;
    bool plain = !text.startsWith(QLatin1Char(' ')) && !text.endsWith(QLatin1Char(' '))
        && !text.contains(QLatin1String("  ")) && !text.contains(QLatin1String("=?"));
    for (qsizetype i = 0; plain && i < text.size(); ++i)
        plain = isPlainAscii(text.at(i));
    const QStringList words = text.split(QLatin1Char(' '));
    for (qsizetype i = 0; plain && i < words.size(); ++i)
        plain = words.at(i).size() <= foldColumn - 2;
    if (!plain) {
        m_pieces.append(Piece {{}, text, true});
        return *this;
    }
    for (const QString& word : words)
        addToken(word.toLatin1());
    return *this;
}

MimeHeader& MimeHeader::addPhrase(const QString& name)
{
    bool plain = !name.contains(QLatin1String("=?"));
    QByteArray quoted = "\"";
    for (qsizetype i = 0; plain && i < name.size(); ++i) {
        const QChar character = name.at(i);
        plain = isPlainAscii(character);
        if (character == QLatin1Char('"') || character == QLatin1Char('\\'))
            quoted += '\\';
        quoted += static_cast<char>(character.unicode());
    }
    quoted += '"';
    if (plain && quoted.size() <= foldColumn - 2)
        return addToken(quoted);
    m_pieces.append(Piece {{}, name, true});
    return *this;
}

MimeHeader& MimeHeader::addMailbox(
    const QString& name, const MailAddress& address, const QByteArray& separator)
{
    if (MailAddress::trimmed(name).isEmpty())
        return addToken(address.ascii() + separator);
    addPhrase(name);
    return addToken('<' + address.ascii() + '>' + separator);
}

QByteArray MimeHeader::toBytes() const
{
    QByteArray out = m_name + ':';
    qsizetype column = out.size();
    const qsizetype firstColumn = column;
    auto fold = [&] {
        out += "\r\n";
        column = 0;
    };
    for (const Piece& piece : m_pieces) {
        if (!piece.encoded) {
            if (column > firstColumn && column + 1 + piece.token.size() > foldColumn)
                fold();
            out += ' ' + piece.token;
            column += 1 + piece.token.size();
            continue;
        }
        const qsizetype overhead = wordOverhead(m_charset);
        qsizetype position = 0;
        while (position < piece.text.size()) {
            // Room for at least one character of four bytes on this line, else start a new one.
            if (foldColumn - column - 1 < overhead + base64Length(4))
                fold();
            const qsizetype room = std::min(maxEncodedWordLength, foldColumn - column - 1);
            const QByteArray word = nextWord(piece.text, position, m_charset, room);
            out += ' ' + word;
            column += 1 + word.size();
        }
    }
    out += "\r\n";
    return out;
}

QList<QByteArray> MimeHeader::encodedWords(const QString& text, MailCharset charset, qsizetype maxLength)
{
    QList<QByteArray> words;
    qsizetype position = 0;
    while (position < text.size())
        words.append(nextWord(text, position, charset, maxLength));
    return words;
}

} // namespace platform
