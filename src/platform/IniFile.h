#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>

namespace platform {

// A private-profile (INI) file, read once into memory and written back whole by UpdateFile().
//
// Reading follows the ERP's platform: section and key names match without regard to case; space, tab
// and vertical tab around names and values are ignored; one matching outer pair of quotes ("…" or '…')
// is removed; a line splits at its first '='; a line whose first non-blank character is ';' is a
// comment; the first key of a name and the first section of a name win; keys before the first section
// header cannot be read; a header ends at its first ']' (a header without one still counts); CR LF, LF
// and CR alone all end a line.
//
// Writing changes the text in memory only: an existing key's line is replaced in place (the file's
// spelling of the key kept), a new key goes after the last key line of its section, a new section at
// the end of the file. Every other character stays as it was, and new lines take the file's own line
// end (CR LF for a file that has none yet). Values are written verbatim: no quotes are added, so blanks
// around a value are lost on the next read, and a value that holds line breaks becomes several lines.
//
// Encoding: UTF-8 (with or without a byte order mark) when the bytes are valid UTF-8, UTF-16LE when
// they start with its byte order mark, Windows-1252 otherwise. The file is written back in the
// encoding it had; a new file is UTF-8. A character Windows-1252 lacks is written as '?'. A UTF-8 byte
// order mark before bytes that are not UTF-8 is kept as it stands and the rest read as Windows-1252.
//
// A file larger than maxFileSize is not read: every key takes its default, and UpdateFile() refuses to
// replace it, so that nothing of it is lost.
class IniFile {
public:
    enum class Encoding { Utf8, Utf8WithBom, Utf16LE, Windows1252 };

    static constexpr qsizetype maxFileSize = 64 * 1024 * 1024;
    // The longest text a read returns; longer values are cut (the platform's 2,048-character buffer).
    static constexpr qsizetype maxValueLength = 2047;

    // Reads the file at fileName. Never fails: a missing file is an empty one, and a file that exists
    // but cannot be read (no permission, not a regular file, too large) reads as empty too, but then
    // UpdateFile() raises instead of overwriting it.
    explicit IniFile(QString fileName);

    // A file held in memory only, from its bytes (tests and fuzzing); UpdateFile() raises on it.
    static IniFile fromBytes(const QByteArray& bytes);

    const QString& fileName() const { return m_fileName; }
    Encoding encoding() const { return m_encoding; }

    // The value of key in section: trimmed, unquoted, cut to maxValueLength characters and at its
    // first NUL character. A missing file, section or key gives defaultValue; a key present with an
    // empty value gives an empty text.
    QString ReadString(QStringView section, QStringView key, const QString& defaultValue) const;

    // The value read as an integer by parseInteger(); anything it rejects gives defaultValue.
    std::int32_t ReadInteger(QStringView section, QStringView key, std::int32_t defaultValue) const;

    // The value read as an integer with the default 1 (true) or 0 (false); any integer but 0 is true.
    bool ReadBool(QStringView section, QStringView key, bool defaultValue) const;

    // Sets key in section to value, in memory (see the class comment). Section and key are names
    // without line breaks, '=' or ']', and the key does not start with ';' or '['.
    void WriteString(QStringView section, QStringView key, QStringView value);
    // Decimal text, with a minus sign when negative.
    void WriteInteger(QStringView section, QStringView key, std::int32_t value);
    // "1" for true, "0" for false.
    void WriteBool(QStringView section, QStringView key, bool value);

    // The whole file as UpdateFile() writes it: its text in its encoding.
    QByteArray toBytes() const;

    // Replaces the file on disk with toBytes(), atomically: a temporary file in the same folder is
    // written, flushed to disk and renamed over the old one, which keeps its permissions (and owner,
    // where the process may set it). A symbolic link is followed to its target and stays a link. A new
    // file gets owner-only permissions (0600). An existing file that the process may not write is not
    // replaced, although the folder would allow the rename. Does nothing when nothing was written since
    // the file was read or last saved. Raises InOutError("Unable to write to <fileName>") on any
    // failure, the file on disk then being as it was.
    void UpdateFile();

    // An integer by the platform's rules: decimal with an optional sign; hexadecimal after "0x" or "0X"
    // when the text is longer than two characters, or after "$". Nothing for anything else: empty
    // text, other characters, a value outside the signed 32-bit range.
    static std::optional<std::int32_t> parseInteger(QStringView text);

private:
    IniFile() = default;
    void decode(const QByteArray& bytes);
    [[noreturn]] void failToWrite() const;

    QString m_fileName;
    QString m_text;
    QString m_lineEnd = QStringLiteral("\r\n");
    Encoding m_encoding = Encoding::Utf8;
    // A UTF-16 file of an odd length: its last byte, kept to be written back.
    std::optional<char> m_oddTrailingByte;
    // A Windows-1252 file that starts with a UTF-8 byte order mark: the mark, kept to be written back.
    bool m_markBeforeCodePage = false;
    // False for a file that exists but could not be read, and for one held in memory only.
    bool m_canReplace = true;
    bool m_modified = false;
};

} // namespace platform
