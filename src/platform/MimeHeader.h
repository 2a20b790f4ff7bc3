#pragma once

#include "platform/MailCharset.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace platform {

class MailAddress;

// One header field built from pieces, each preceded by a blank where the line may be folded
// (RFC 5322, 2.2.3). Text that is not plain ASCII goes out as RFC 2047 encoded words, so that no value
// can carry a line break, a second header or a byte a mail program would misread.
class MimeHeader {
public:
    // Lines are folded before this column; no piece is longer except an address of up to 254
    // characters, so no line ever comes near the hard limit of 998.
    static constexpr qsizetype foldColumn = 78;
    // RFC 2047, 2: an encoded word is at most 75 characters.
    static constexpr qsizetype maxEncodedWordLength = 75;

    // name: the field name, ASCII ("Subject"). charset: that of the encoded words.
    explicit MimeHeader(QByteArray name, MailCharset charset = MailCharset::UTF_8);

    // An ASCII piece that is never broken (a date, a MIME value, an address in angle brackets).
    MimeHeader& addToken(const QByteArray& token);
    // Unstructured text: as it stands when it is printable ASCII in words that fold well, without
    // leading, trailing or doubled blanks and without "=?"; otherwise encoded words that keep every
    // character, line breaks included. An empty text adds nothing.
    MimeHeader& addText(const QString& text);
    // A display name: in double quotes with '"' and '\' escaped when it is short printable ASCII,
    // otherwise encoded words (which may not stand inside quotes).
    MimeHeader& addPhrase(const QString& name);
    // "name" <address>, or the bare address when the name is blank; separator is appended to the
    // last piece (the "," of an address list).
    MimeHeader& addMailbox(const QString& name, const MailAddress& address, const QByteArray& separator = {});

    // The folded field ended by CR LF.
    QByteArray toBytes() const;

    // The encoded words of text, each at most maxLength characters, split between characters (never
    // inside a UTF-8 sequence or a surrogate pair). For tests and for toBytes().
    static QList<QByteArray> encodedWords(const QString& text, MailCharset charset, qsizetype maxLength);

private:
    struct Piece {
        QByteArray token; // a token, or
        QString text; // text to encode
        bool encoded = false;
    };

    QByteArray m_name;
    MailCharset m_charset;
    QList<Piece> m_pieces;
};

} // namespace platform
