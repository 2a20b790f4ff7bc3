// Arbitrary bytes as what a server sends, fed to the reply parser in pieces whose sizes the input
// chooses. Besides what the sanitizers catch, it holds the parser to its promises: every reply it
// gives has one code of three digits, no more lines and no longer lines than the caps allow; the same
// bytes give the same replies and the same failure however they are split; a failure is for good; and
// a reply's text made fit for display holds no control character.
#include "platform/SmtpReply.h"
#include "platform/SmtpReplyParser.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>

namespace {

using platform::SmtpReply;
using platform::SmtpReplyParser;

void check(bool promise)
{
    if (!promise)
        std::abort();
}

struct Outcome {
    QList<QList<QByteArray>> replies; // the texts of each reply, code first
    bool failed = false;
};

void checkReply(const SmtpReply& reply)
{
    check(reply.code() >= 100 && reply.code() <= 599);
    const QList<QByteArray> texts = reply.texts();
    check(!texts.isEmpty() && texts.size() <= SmtpReplyParser::maxLines);
    const QByteArray code = QByteArray::number(reply.code());
    check(reply.lastLine().startsWith(code));
    check(reply.lastLine().size() <= SmtpReplyParser::maxLineLength);
    for (const QByteArray& text : texts)
        check(text.size() <= SmtpReplyParser::maxLineLength && !text.contains('\n'));
    for (const QChar character : SmtpReply::displayText(reply.lastLine()))
        check(character.category() != QChar::Other_Control && character.category() != QChar::Separator_Line
            && character.category() != QChar::Separator_Paragraph);
}

// Feeds data in pieces of the sizes that sizes gives in turn (1 to 64 bytes), taking every reply.
Outcome parse(QByteArrayView data, QByteArrayView sizes)
{
    Outcome outcome;
    SmtpReplyParser parser;
    qsizetype position = 0;
    qsizetype turn = 0;
    while (position < data.size()) {
        const qsizetype size = sizes.isEmpty()
            ? data.size()
            : 1 + static_cast<unsigned char>(sizes[turn++ % sizes.size()]) % 64;
        const QByteArrayView piece = data.sliced(position, std::min(size, data.size() - position));
        position += piece.size();
        parser.feed(piece);
        try {
            while (std::optional<SmtpReply> reply = parser.next()) {
                checkReply(*reply);
                QList<QByteArray> entry {QByteArray::number(reply->code())};
                entry += reply->texts();
                outcome.replies.append(entry);
            }
        } catch (const SmtpReplyParser::MalformedReply&) {
            outcome.failed = true;
            // Failed for good: nothing more comes out, whatever follows.
            parser.feed("250 ok\r\n");
            try {
                parser.next();
                check(false);
            } catch (const SmtpReplyParser::MalformedReply&) {
            }
            return outcome;
        }
        check(parser.bufferedBytes() >= 0 && parser.bufferedBytes() <= position);
    }
    return outcome;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The first bytes, up to the first NUL, choose the piece sizes; the rest is the server's.
    const QByteArrayView input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const qsizetype split = std::min<qsizetype>(input.indexOf('\0'), 16);
    const QByteArrayView sizes = split < 0 ? QByteArrayView() : input.first(split);
    const QByteArrayView bytes = split < 0 ? input : input.sliced(split + 1);

    const Outcome whole = parse(bytes, {});
    const Outcome pieces = parse(bytes, sizes.isEmpty() ? QByteArrayView("\x01") : sizes);
    // A line too long is refused while it arrives exactly when it would be once complete.
    check(whole.failed == pieces.failed);
    check(whole.replies == pieces.replies);
    return 0;
}
