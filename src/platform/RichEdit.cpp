#include "platform/RichEdit.h"

#include "platform/Exception.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <limits>

namespace platform {

namespace {

// The format of everything Lines.Add appends: regular, in the document's font. Every property is
// set, so that the format of a styled character before the insertion point does not leak in.
QTextCharFormat regularFormat()
{
    QTextCharFormat format;
    format.setFontWeight(QFont::Normal);
    format.setFontItalic(false);
    format.setFontUnderline(false);
    format.setFontStrikeOut(false);
    return format;
}

// How many characters a break starting at index takes in text: 2 for CR LF, 1 otherwise.
qsizetype breakWidth(const QString& text, qsizetype index)
{
    return text.at(index) == QLatin1Char('\r') && index + 1 < text.size()
            && text.at(index + 1) == QLatin1Char('\n')
        ? 2
        : 1;
}

// The lengths below are counted in qsizetype; the document itself counts in int.
int toInt(qsizetype value)
{
    return static_cast<int>(std::clamp<qsizetype>(value, 0, std::numeric_limits<int>::max()));
}

} // namespace

RichEdit::RichEdit(QWidget* parent)
    : QTextEdit(parent)
{
    QFont courier(QStringLiteral("Courier New"));
    courier.setStyleHint(QFont::TypeWriter);
    courier.setFixedPitch(true);
    setFont(courier);
    setLineWrapMode(QTextEdit::NoWrap);
    // Both scroll bars, each shown when the text needs it.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // Pasted text comes in as plain text, like the text the program puts in.
    setAcceptRichText(false);
    // A rendered page is thousands of insertions nobody undoes.
    document()->setUndoRedoEnabled(false);
}

bool RichEdit::isLineBreak(QChar character)
{
    return character == QLatin1Char('\r') || character == QLatin1Char('\n')
        || character == QChar::ParagraphSeparator;
}

int RichEdit::LineList::Count() const
{
    const QTextDocument* document = m_owner.document();
    const int blocks = document->blockCount();
    return document->lastBlock().length() == 1 ? blocks - 1 : blocks;
}

QString RichEdit::LineList::at(int index) const
{
    m_owner.checkLine(index);
    return m_owner.document()->findBlockByNumber(index).text();
}

void RichEdit::LineList::Add(const QString& text)
{
    QTextDocument* document = m_owner.document();
    const bool unterminated = document->lastBlock().length() > 1;
    const qsizetype added = lengthOf(text) + 2 + (unterminated ? 2 : 0);
    if (m_owner.textLength() + added > MaxLength)
        insertionError();

    const QTextCharFormat format = regularFormat();
    QTextCursor cursor(document);
    cursor.movePosition(QTextCursor::End);
    cursor.beginEditBlock();
    if (unterminated)
        cursor.insertBlock(QTextBlockFormat(), format);
    insertLines(cursor, text, format);
    cursor.insertBlock(QTextBlockFormat(), format);
    cursor.endEditBlock();
}

void RichEdit::LineList::replace(int index, const QString& text)
{
    m_owner.checkLine(index);
    const QTextBlock block = m_owner.document()->findBlockByNumber(index);
    const QString old = block.text();
    if (m_owner.textLength() - old.size() + lengthOf(text) > MaxLength)
        insertionError();

    // The line holds no break, so a common prefix or suffix never splits one of text.
    qsizetype prefix = 0;
    const qsizetype shorter = std::min(old.size(), text.size());
    while (prefix < shorter && old.at(prefix) == text.at(prefix))
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < shorter - prefix && old.at(old.size() - 1 - suffix) == text.at(text.size() - 1 - suffix))
        ++suffix;

    QTextCursor cursor(m_owner.document());
    const int start = block.position() + toInt(prefix);
    cursor.setPosition(start);
    cursor.setPosition(start + toInt(old.size() - prefix - suffix), QTextCursor::KeepAnchor);
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    const QTextCharFormat format = cursor.charFormat();
    insertLines(cursor, text.mid(prefix, text.size() - prefix - suffix), format);
    cursor.endEditBlock();
    cursor.setPosition(cursor.position() + toInt(suffix));
    m_owner.setTextCursor(cursor);
}

QStringList RichEdit::LineList::toStringList() const
{
    QStringList lines;
    const int count = Count();
    lines.reserve(count);
    QTextBlock block = m_owner.document()->firstBlock();
    for (int i = 0; i < count; ++i, block = block.next())
        lines.append(block.text());
    return lines;
}

TFontStyles RichEdit::TextAttributes::Style() const
{
    QTextCursor cursor = m_owner.textCursor();
    if (cursor.hasSelection())
        cursor.setPosition(cursor.selectionStart() + 1);
    const QTextCharFormat format = cursor.charFormat();
    TFontStyles styles;
    if (format.fontWeight() > QFont::Normal)
        styles = styles | fsBold;
    if (format.fontItalic())
        styles = styles | fsItalic;
    if (format.fontUnderline())
        styles = styles | fsUnderline;
    if (format.fontStrikeOut())
        styles = styles | fsStrikeOut;
    return styles;
}

void RichEdit::TextAttributes::setStyle(TFontStyles styles)
{
    QTextCursor cursor = m_owner.textCursor();
    if (!cursor.hasSelection())
        return;
    QTextCharFormat format;
    format.setFontWeight(styles.contains(fsBold) ? QFont::Bold : QFont::Normal);
    format.setFontItalic(styles.contains(fsItalic));
    format.setFontUnderline(styles.contains(fsUnderline));
    format.setFontStrikeOut(styles.contains(fsStrikeOut));
    cursor.mergeCharFormat(format);
}

int RichEdit::SelStart() const
{
    return textCursor().selectionStart();
}

void RichEdit::setSelStart(int position)
{
    QTextCursor cursor = textCursor();
    cursor.setPosition(std::clamp(position, 0, document()->characterCount() - 1));
    setTextCursor(cursor);
}

int RichEdit::SelLength() const
{
    const QTextCursor cursor = textCursor();
    return cursor.selectionEnd() - cursor.selectionStart();
}

void RichEdit::setSelLength(int length)
{
    QTextCursor cursor = textCursor();
    const int start = cursor.selectionStart();
    const int end = document()->characterCount() - 1;
    cursor.setPosition(start);
    cursor.setPosition(start + std::clamp(length, 0, end - start), QTextCursor::KeepAnchor);
    setTextCursor(cursor);
}

int RichEdit::positionOfLine(int index) const
{
    const int count = Lines.Count();
    if (index < 0 || index > count)
        throw Exception(QStringLiteral("Line index out of bounds (%1)").arg(index));
    if (index == count)
        return document()->characterCount() - 1;
    return document()->findBlockByNumber(index).position();
}

qsizetype RichEdit::textLength() const
{
    // characterCount() holds every character, each break as one, and the document's final end.
    return qsizetype {document()->characterCount()} - 1 + document()->blockCount() - 1;
}

qsizetype RichEdit::lengthOf(const QString& text)
{
    qsizetype length = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (isLineBreak(text.at(i))) {
            i += breakWidth(text, i) - 1;
            length += 2;
        } else {
            ++length;
        }
    }
    return length;
}

void RichEdit::insertLines(QTextCursor& cursor, const QString& text, const QTextCharFormat& format)
{
    qsizetype pieceStart = 0;
    const auto insertPiece = [&](qsizetype end) {
        QString piece = text.mid(pieceStart, end - pieceStart);
        piece.replace(QChar(0xFDD0), QChar::ReplacementCharacter);
        piece.replace(QChar(0xFDD1), QChar::ReplacementCharacter);
        cursor.insertText(piece, format);
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!isLineBreak(text.at(i)))
            continue;
        insertPiece(i);
        cursor.insertBlock(QTextBlockFormat(), format);
        i += breakWidth(text, i) - 1;
        pieceStart = i + 1;
    }
    insertPiece(text.size());
}

void RichEdit::checkLine(int index) const
{
    if (index < 0 || index >= Lines.Count())
        throw Exception(QStringLiteral("Line index out of bounds (%1)").arg(index));
}

void RichEdit::insertionError()
{
    throw Exception(QStringLiteral("RichEdit line insertion error"));
}

} // namespace platform
