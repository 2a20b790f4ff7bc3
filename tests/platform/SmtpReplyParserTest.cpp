#include "platform/SmtpReplyParser.h"

#include <QByteArray>
#include <QList>

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

using platform::SmtpReply;
using platform::SmtpReplyParser;

namespace {

struct ParsedReply {
    int code;
    QList<QByteArray> texts;
};

struct ReplyCase {
    const char* name;
    QByteArray input;
    QList<ParsedReply> expected; // every complete reply, in order
    qsizetype leftOver; // bytes of an unfinished reply
};

void PrintTo(const ReplyCase& row, std::ostream* out)
{
    *out << row.name;
}

// Feeds the input in pieces of chunk bytes, collecting the replies as they complete.
QList<SmtpReply> parseInChunks(const QByteArray& input, qsizetype chunk)
{
    SmtpReplyParser parser;
    QList<SmtpReply> replies;
    for (qsizetype start = 0; start < input.size(); start += chunk) {
        parser.feed(QByteArrayView(input).sliced(start, std::min(chunk, input.size() - start)));
        while (std::optional<SmtpReply> reply = parser.next())
            replies.append(*reply);
    }
    return replies;
}

class SmtpReplyParserValid : public testing::TestWithParam<ReplyCase> { };

TEST_P(SmtpReplyParserValid, GivesEveryReplyWhateverTheChunks)
{
    const ReplyCase& row = GetParam();
    for (const qsizetype chunk : {qsizetype(1), qsizetype(2), qsizetype(7), row.input.size() + 1}) {
        SCOPED_TRACE(chunk);
        const QList<SmtpReply> replies = parseInChunks(row.input, chunk);
        ASSERT_EQ(replies.size(), row.expected.size());
        for (qsizetype i = 0; i < replies.size(); ++i) {
            EXPECT_EQ(replies.at(i).code(), row.expected.at(i).code);
            EXPECT_EQ(replies.at(i).texts(), row.expected.at(i).texts);
        }
    }
    SmtpReplyParser parser;
    parser.feed(row.input);
    while (parser.next()) { }
    EXPECT_EQ(parser.bufferedBytes(), row.leftOver);
}

INSTANTIATE_TEST_SUITE_P(Replies, SmtpReplyParserValid,
    testing::Values(
        ReplyCase {"SingleLine", "220 smtp.test ESMTP ready\r\n", {{220, {"smtp.test ESMTP ready"}}}, 0},
        ReplyCase {"MultiLine", "250-smtp.test\r\n250-PIPELINING\r\n250-AUTH PLAIN LOGIN\r\n250 8BITMIME\r\n",
            {{250, {"smtp.test", "PIPELINING", "AUTH PLAIN LOGIN", "8BITMIME"}}}, 0},
        ReplyCase {"BareCode", "250\r\n", {{250, {""}}}, 0},
        ReplyCase {"CodeAndBlank", "250 \r\n", {{250, {""}}}, 0},
        ReplyCase {"BareLineFeed", "354 go ahead\n", {{354, {"go ahead"}}}, 0},
        ReplyCase {"TwoRepliesAtOnce", "250 ok\r\n221 bye\r\n", {{250, {"ok"}}, {221, {"bye"}}}, 0},
        ReplyCase {"UnfinishedLastLine", "250 ok\r\n221 by", {{250, {"ok"}}}, 6},
        ReplyCase {"UnfinishedMultiLine", "250-one\r\n250-two\r\n", {}, 18},
        ReplyCase {
            "ControlBytesKeptInText", "550 bad\x1b[31m\x07 user\r\n", {{550, {"bad\x1b[31m\x07 user"}}}, 0}),
    [](const testing::TestParamInfo<ReplyCase>& row) { return std::string(row.param.name); });

struct MalformedCase {
    const char* name;
    QByteArray input;
};

void PrintTo(const MalformedCase& row, std::ostream* out)
{
    *out << row.name;
}

class SmtpReplyParserMalformed : public testing::TestWithParam<MalformedCase> { };

TEST_P(SmtpReplyParserMalformed, RefusesAndStaysFailed)
{
    SmtpReplyParser parser;
    parser.feed(GetParam().input);
    EXPECT_THROW(
        {
            while (parser.next()) { }
        },
        SmtpReplyParser::MalformedReply);
    // Out of step with the server for good, even when a sound reply follows.
    parser.feed("250 ok\r\n");
    EXPECT_THROW(parser.next(), SmtpReplyParser::MalformedReply);
}

INSTANTIATE_TEST_SUITE_P(Replies, SmtpReplyParserMalformed,
    testing::Values(MalformedCase {"NoCode", "hello\r\n"}, MalformedCase {"ShortCode", "25\r\n"},
        MalformedCase {"LettersInCode", "2x0 ok\r\n"}, MalformedCase {"CodeOutOfRange", "650 ok\r\n"},
        MalformedCase {"BadSeparator", "250_ok\r\n"}, MalformedCase {"EmptyLine", "\r\n"},
        MalformedCase {"CodesDiffer", "250-one\r\n251 two\r\n"},
        MalformedCase {"LineTooLong", "250 " + QByteArray(SmtpReplyParser::maxLineLength, 'x') + "\r\n"},
        // Refused while it is still arriving, before the server can make us hold more.
        MalformedCase {"EndlessLine", "250 " + QByteArray(SmtpReplyParser::maxLineLength + 10, 'x')},
        MalformedCase {
            "TooManyLines", QByteArray("250-x\r\n").repeated(SmtpReplyParser::maxLines) + "250 x\r\n"}),
    [](const testing::TestParamInfo<MalformedCase>& row) { return std::string(row.param.name); });

TEST(SmtpReplyParserLimits, TakesTheLongestLineAndTheMostLinesAllowed)
{
    SmtpReplyParser parser;
    const QByteArray longest = "250 " + QByteArray(SmtpReplyParser::maxLineLength - 4, 'x');
    // The CR of the line end may come alone at the end of a read.
    parser.feed(QByteArray(longest + "\r"));
    EXPECT_FALSE(parser.next());
    parser.feed("\n");
    ASSERT_TRUE(parser.next());

    parser.feed(QByteArray(QByteArray("250-x\r\n").repeated(SmtpReplyParser::maxLines - 1) + "250 x\r\n"));
    const std::optional<SmtpReply> reply = parser.next();
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->texts().size(), SmtpReplyParser::maxLines);
}

TEST(SmtpReplyText, DisplayTextDropsControlCharacters)
{
    EXPECT_EQ(SmtpReply::displayText("550 bad\x1b[31m\x07 user\r\n"), QStringLiteral("550 bad[31m user"));
    EXPECT_EQ(SmtpReply::displayText("550 caf\xc3\xa9\xc2\x85!"), QStringLiteral("550 café!"));
}

} // namespace
