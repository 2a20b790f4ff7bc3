// Arbitrary bytes as an INI file, read, written and serialised in memory. Besides what the sanitizers
// catch, it holds the class to three promises: a file nothing was written to serialises to its own
// bytes; a key just written reads back as written; and the serialised file, parsed again in the same
// encoding, reads as the file in memory did.
#include "platform/IniFile.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

using platform::IniFile;

void check(bool promise)
{
    if (!promise)
        std::abort();
}

struct Name {
    QStringView section;
    QStringView key;
};

// Names the seeds use, in other letter cases too, so that writes meet existing sections and keys as
// well as missing ones.
constexpr std::array<Name, 5> names = {{
    {u"S", u"K"},
    {u"REMETRONCOBRANCA", u"EMPRESA"},
    {u"remetronrevisao", u"Titulo"},
    {u"A", u"x"},
    {u"N", u"new"},
}};

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\v';
}

// Whether a read gives this value back unchanged: one line, no NUL, no blanks or quote pair around it.
bool readsBackAsWritten(const QString& value)
{
    if (value.contains(u'\r') || value.contains(u'\n') || value.contains(QChar(u'\0')))
        return false;
    if (!value.isEmpty() && (isBlank(value.front()) || isBlank(value.back())))
        return false;
    const bool quoted = value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'')
        && value.back() == value.front();
    return !quoted && value.size() <= IniFile::maxValueLength;
}

bool isAscii(const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes
        = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    IniFile ini = IniFile::fromBytes(bytes);
    check(ini.toBytes() == bytes);

    for (const Name& name : names) {
        const QString text = ini.ReadString(name.section, name.key, QString());
        check(text.size() <= IniFile::maxValueLength);
        ini.ReadInteger(name.section, name.key, 1);
        ini.ReadBool(name.section, name.key, true);
        IniFile::parseInteger(text);
    }

    // Values from the input itself: its last bytes as Latin-1 text (line breaks, NUL, quotes and
    // blanks included), and its length as a number.
    const QString tail = QString::fromLatin1(bytes.right(24));
    const std::size_t pick = size == 0 ? 0 : data[0];
    for (std::size_t i = 0; i < names.size(); ++i) {
        const Name& name = names[(pick + i) % names.size()];
        switch ((pick + i) % 3) {
        case 0:
            ini.WriteString(name.section, name.key, tail);
            if (readsBackAsWritten(tail))
                check(ini.ReadString(name.section, name.key, QString()) == tail);
            break;
        case 1:
            ini.WriteInteger(name.section, name.key, -static_cast<std::int32_t>(size));
            check(ini.ReadInteger(name.section, name.key, 1) == -static_cast<std::int32_t>(size));
            break;
        default:
            ini.WriteBool(name.section, name.key, (pick & 1) != 0);
            check(ini.ReadBool(name.section, name.key, (pick & 1) == 0) == ((pick & 1) != 0));
            break;
        }
    }

    const QByteArray written = ini.toBytes();
    const IniFile again = IniFile::fromBytes(written);
    check(again.toBytes() == written);
    // A file of the 8-bit code page whose bytes happen to be valid UTF-8 now is read as UTF-8: its
    // texts may differ then, rightly.
    if (again.encoding() == ini.encoding()) {
        for (const Name& name : names) {
            const QString before = ini.ReadString(name.section, name.key, QStringLiteral("<none>"));
            if (isAscii(before))
                check(again.ReadString(name.section, name.key, QStringLiteral("<none>")) == before);
        }
    }
    return 0;
}
