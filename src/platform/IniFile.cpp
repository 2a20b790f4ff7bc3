#include "platform/IniFile.h"

#include "platform/CodePage1252.h"
#include "platform/Exception.h"

#include <QFile>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace platform {

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\v';
}

QStringView trimmed(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

bool sameName(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

struct Line {
    qsizetype start = 0; // first character
    qsizetype end = 0; // one past the last character, before the line end
    qsizetype next = 0; // start of the next line; equals end for a last line without a line end
};

// Walks the lines of a text. The next CR and the next LF are each searched for once and remembered,
// so that a file whose lines all end in one of them is still read in one pass.
class LineScanner {
public:
    explicit LineScanner(QStringView text)
        : m_text(text)
    {
    }

    bool next(Line& line)
    {
        if (m_pos >= m_text.size())
            return false;
        if (m_nextLf < m_pos)
            m_nextLf = find(u'\n');
        if (m_nextCr < m_pos)
            m_nextCr = find(u'\r');
        line.start = m_pos;
        line.end = std::min(m_nextLf, m_nextCr);
        if (line.end == m_text.size())
            line.next = line.end;
        else if (m_text[line.end] == u'\r' && line.end + 1 < m_text.size() && m_text[line.end + 1] == u'\n')
            line.next = line.end + 2;
        else
            line.next = line.end + 1;
        m_pos = line.next;
        return true;
    }

private:
    qsizetype find(char16_t character) const
    {
        const qsizetype at = m_text.indexOf(QChar(character), m_pos);
        return at < 0 ? m_text.size() : at;
    }

    QStringView m_text;
    qsizetype m_pos = 0;
    qsizetype m_nextLf = -1;
    qsizetype m_nextCr = -1;
};

// Where a key stands in the text, and what a write needs to know when it is not there.
struct Location {
    bool sectionFound = false;
    Line header;
    bool keyFound = false;
    Line keyLine;
    QStringView keyName; // the file's spelling
    QStringView rawValue; // everything after the '=', untrimmed
    bool anyKeyLine = false;
    Line lastKeyLine;
};

Location locate(QStringView text, QStringView section, QStringView key)
{
    Location where;
    LineScanner lines(text);
    Line line;
    while (lines.next(line)) {
        const QStringView content = text.sliced(line.start, line.end - line.start);
        qsizetype first = 0;
        while (first < content.size() && isBlank(content[first]))
            ++first;
        if (first == content.size())
            continue;
        if (content[first] == u'[') {
            if (where.sectionFound)
                break; // only the first section of a name is searched
            QStringView name = content.sliced(first + 1);
            if (const qsizetype close = name.indexOf(u']'); close >= 0)
                name = name.first(close);
            if (sameName(trimmed(name), section)) {
                where.sectionFound = true;
                where.header = line;
            }
            continue;
        }
        if (!where.sectionFound || content[first] == u';')
            continue;
        const qsizetype equals = content.indexOf(u'=', first);
        if (equals < 0)
            continue;
        where.anyKeyLine = true;
        where.lastKeyLine = line;
        const QStringView name = trimmed(content.sliced(first, equals - first));
        if (sameName(name, key)) {
            where.keyFound = true;
            where.keyLine = line;
            where.keyName = name;
            where.rawValue = content.sliced(equals + 1);
            break; // the first key of a name wins
        }
    }
    return where;
}

// The line end a file already uses: that of its first line; CR LF when it has none.
QString lineEndOf(QStringView text)
{
    const qsizetype lf = text.indexOf(u'\n');
    const qsizetype cr = lf < 0 ? text.indexOf(u'\r') : text.first(lf).indexOf(u'\r');
    if (cr < 0)
        return lf < 0 ? QStringLiteral("\r\n") : QStringLiteral("\n");
    return cr + 1 == lf ? QStringLiteral("\r\n") : QStringLiteral("\r");
}

QByteArray folderOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : path.first(slash);
}

// The file a path finally names, its symbolic links followed (a dangling link names the file it
// would create). Empty when the links loop or cannot be read.
QByteArray followLinks(QByteArray path)
{
    for (int hops = 0; hops <= 40; ++hops) {
        struct stat status { };
        if (::lstat(path.constData(), &status) != 0)
            return errno == ENOENT ? path : QByteArray();
        if (!S_ISLNK(status.st_mode))
            return path;
        QByteArray target(4096, Qt::Uninitialized);
        for (;;) {
            const ssize_t length
                = ::readlink(path.constData(), target.data(), static_cast<size_t>(target.size()));
            if (length < 0)
                return {};
            if (length < target.size()) {
                target.truncate(length);
                break;
            }
            target.resize(target.size() * 2);
        }
        path = target.startsWith('/') ? target : folderOf(path) + '/' + target;
    }
    return {};
}

bool writeAll(int descriptor, const QByteArray& bytes)
{
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(descriptor, data, static_cast<size_t>(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        left -= written;
    }
    return true;
}

// The temporary file takes the old file's owner and permissions before it replaces it; a new file
// keeps the owner-only permissions it was created with. The owner can be set only by a privileged
// process, so a refusal there is not an error.
bool takeOwnerAndMode(int descriptor, const QByteArray& target)
{
    struct stat status { };
    if (::stat(target.constData(), &status) != 0)
        return errno == ENOENT;
    if (status.st_uid != ::geteuid() || status.st_gid != ::getegid()) {
        [[maybe_unused]] const int ignored = ::fchown(descriptor, status.st_uid, status.st_gid);
    }
    return ::fchmod(descriptor, status.st_mode & 07777) == 0;
}

// Makes the rename itself durable. Best effort: the file has been replaced whatever this returns.
void syncFolder(const QByteArray& folder)
{
    const int descriptor = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return;
    ::fsync(descriptor);
    ::close(descriptor);
}

} // namespace

IniFile::IniFile(QString fileName)
    : m_fileName(std::move(fileName))
{
    const QByteArray native = QFile::encodeName(m_fileName);
    // O_NONBLOCK: a FIFO of that name must not stall the start; it is refused below.
    const int descriptor = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (descriptor < 0) {
        m_canReplace = errno == ENOENT;
        return;
    }
    m_canReplace = false;
    struct stat status { };
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode) || status.st_size > maxFileSize) {
        ::close(descriptor);
        return;
    }
    QByteArray bytes;
    bytes.reserve(static_cast<qsizetype>(status.st_size));
    constexpr qsizetype chunk = 1024 * 1024;
    bool complete = false;
    while (bytes.size() <= maxFileSize) {
        const qsizetype before = bytes.size();
        bytes.resize(before + chunk);
        const ssize_t got = ::read(descriptor, bytes.data() + before, static_cast<size_t>(chunk));
        bytes.resize(before + std::max<qsizetype>(got, 0));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            complete = got == 0;
            break;
        }
    }
    ::close(descriptor);
    if (!complete || bytes.size() > maxFileSize)
        return;
    decode(bytes);
    m_canReplace = true;
}

IniFile IniFile::fromBytes(const QByteArray& bytes)
{
    IniFile file;
    file.m_canReplace = false;
    file.decode(bytes);
    return file;
}

void IniFile::decode(const QByteArray& bytes)
{
    if (bytes.startsWith("\xFF\xFE")) {
        m_encoding = Encoding::Utf16LE;
        const qsizetype units = (bytes.size() - 2) / 2;
        m_text.resize(units);
        const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData()) + 2;
        for (qsizetype i = 0; i < units; ++i)
            m_text[i] = QChar(static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8)));
        if ((bytes.size() - 2) % 2 != 0)
            m_oddTrailingByte = bytes.back();
    } else {
        const bool bom = bytes.startsWith("\xEF\xBB\xBF");
        const QByteArrayView body = QByteArrayView(bytes).sliced(bom ? 3 : 0);
        // A second mark after the first is text, and must come back as it was.
        QStringDecoder utf8(
            QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
        QString text = utf8.decode(body);
        // Only bytes that decode and encode back to themselves count as UTF-8: a save must keep every
        // byte that it does not rewrite.
        if (!utf8.hasError() && QByteArrayView(text.toUtf8()) == body) {
            m_encoding = bom ? Encoding::Utf8WithBom : Encoding::Utf8;
            m_text = std::move(text);
        } else {
            // A mark that an editor put before text of the 8-bit code page is no text of it: read as
            // such, it would hide the first section header.
            m_encoding = Encoding::Windows1252;
            m_markBeforeCodePage = bom;
            m_text = cp1252::decode(body.toByteArray());
        }
    }
    m_lineEnd = lineEndOf(m_text);
}

QString IniFile::ReadString(QStringView section, QStringView key, const QString& defaultValue) const
{
    const Location where = locate(m_text, section, key);
    if (!where.keyFound)
        return defaultValue;
    QStringView value = trimmed(where.rawValue);
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'')
        && value.back() == value.front())
        value = value.sliced(1, value.size() - 2);
    if (value.size() > maxValueLength) {
        value = value.first(maxValueLength);
        if (value.back().isHighSurrogate())
            value.chop(1); // never half a character
    }
    // The platform hands values over as NUL-terminated strings.
    if (const qsizetype nul = value.indexOf(QChar(u'\0')); nul >= 0)
        value = value.first(nul);
    return value.toString();
}

std::int32_t IniFile::ReadInteger(QStringView section, QStringView key, std::int32_t defaultValue) const
{
    return parseInteger(ReadString(section, key, QString())).value_or(defaultValue);
}

bool IniFile::ReadBool(QStringView section, QStringView key, bool defaultValue) const
{
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void IniFile::WriteString(QStringView section, QStringView key, QStringView value)
{
    const Location where = locate(m_text, section, key);
    if (where.keyFound) {
        const QString line = where.keyName.toString() + u'=' + value;
        m_text.replace(where.keyLine.start, where.keyLine.end - where.keyLine.start, line);
    } else if (where.sectionFound) {
        const Line& after = where.anyKeyLine ? where.lastKeyLine : where.header;
        const bool needsLineEnd = after.next == after.end; // the last line of a file without a final line end
        m_text.insert(after.next, (needsLineEnd ? m_lineEnd : QString()) + key + u'=' + value + m_lineEnd);
    } else {
        const bool needsLineEnd = !m_text.isEmpty() && !m_text.endsWith(u'\n') && !m_text.endsWith(u'\r');
        m_text += (needsLineEnd ? m_lineEnd : QString()) + u'[' + section + u']' + m_lineEnd + key + u'='
            + value + m_lineEnd;
    }
    m_modified = true;
}

void IniFile::WriteInteger(QStringView section, QStringView key, std::int32_t value)
{
    WriteString(section, key, QString::number(value));
}

void IniFile::WriteBool(QStringView section, QStringView key, bool value)
{
    WriteString(section, key, value ? u"1" : u"0");
}

QByteArray IniFile::toBytes() const
{
    switch (m_encoding) {
    case Encoding::Utf8:
        return m_text.toUtf8();
    case Encoding::Utf8WithBom:
        return QByteArrayLiteral("\xEF\xBB\xBF") + m_text.toUtf8();
    case Encoding::Windows1252:
        return (m_markBeforeCodePage ? QByteArrayLiteral("\xEF\xBB\xBF") : QByteArray())
            + cp1252::encode(m_text);
    case Encoding::Utf16LE:
        break;
    }
    QByteArray bytes(2 + 2 * m_text.size() + (m_oddTrailingByte ? 1 : 0), Qt::Uninitialized);
    bytes[0] = '\xFF';
    bytes[1] = '\xFE';
    for (qsizetype i = 0; i < m_text.size(); ++i) {
        const char16_t unit = m_text[i].unicode();
        bytes[2 + 2 * i] = static_cast<char>(unit & 0xFF);
        bytes[3 + 2 * i] = static_cast<char>(unit >> 8);
    }
    if (m_oddTrailingByte)
        bytes.back() = *m_oddTrailingByte;
    return bytes;
}

void IniFile::UpdateFile()
{
    if (!m_modified)
        return;
    if (!m_canReplace)
        failToWrite();
    const QByteArray bytes = toBytes();
    const QByteArray target = followLinks(QFile::encodeName(m_fileName));
    if (target.isEmpty())
        failToWrite();
    // The platform cannot write a read-only file, and neither may a rename replace one.
    if (::faccessat(AT_FDCWD, target.constData(), W_OK, AT_EACCESS) != 0 && errno != ENOENT)
        failToWrite();
    const QByteArray folder = folderOf(target);
    const QByteArray name = target.sliced(target.lastIndexOf('/') + 1);
    // Hidden, and beside the file so that the rename cannot cross file systems.
    QByteArray temporary = folder + "/." + name + ".XXXXXX";
    const int descriptor = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (descriptor < 0)
        failToWrite();
    bool written
        = takeOwnerAndMode(descriptor, target) && writeAll(descriptor, bytes) && ::fsync(descriptor) == 0;
    written = ::close(descriptor) == 0 && written;
    if (!written || ::rename(temporary.constData(), target.constData()) != 0) {
        ::unlink(temporary.constData());
        failToWrite();
    }
    syncFolder(folder);
    m_modified = false;
}

std::optional<std::int32_t> IniFile::parseInteger(QStringView text)
{
    int base = 10;
    qsizetype at = 0;
    bool negative = false;
    if (text.size() > 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X')) {
        base = 16;
        at = 2;
    } else if (text.startsWith(u'$')) {
        base = 16;
        at = 1;
    } else if (text.startsWith(u'+') || text.startsWith(u'-')) {
        negative = text[0] == u'-';
        at = 1;
    }
    if (at == text.size())
        return std::nullopt;
    const std::int64_t limit = negative ? std::int64_t {1} << 31 : (std::int64_t {1} << 31) - 1;
    std::int64_t value = 0;
    for (; at < text.size(); ++at) {
        const char16_t c = text[at].unicode();
        int digit = -1;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (base == 16 && c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (base == 16 && c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        if (digit < 0)
            return std::nullopt;
        value = value * base + digit;
        if (value > limit)
            return std::nullopt;
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

void IniFile::failToWrite() const
{
    throw InOutError(QStringLiteral("Unable to write to ") + m_fileName);
}

} // namespace platform
