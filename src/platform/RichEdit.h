#pragma once

#include "platform/FontStyles.h"

#include <QString>
#include <QStringList>
#include <QTextEdit>

namespace platform {

// The rich edit: a text of lines whose characters carry font styles, over QTextDocument. Font
// "Courier New" with a fixed pitch (Liberation Mono stands in for it), no word wrap, both scroll
// bars, no initial text.
//
// Model: line i is block i of the document. Lines.Add ends every line it appends with a block
// break, so the document always ends in an empty block that is not counted as a line (as on the
// ERP's platform, where the caret then stands on an empty last line).
//
// Positions (SelStart) count from 0 over the whole text, each line break taking one position, as
// QTextDocument counts them.
//
// Text limit: at most MaxLength characters, counted as the text reads through Lines, where every
// line break is the pair CR LF and so counts two. An operation of Lines that would go beyond it
// raises platform::Exception("RichEdit line insertion error") and leaves the text as it was.
class RichEdit : public QTextEdit {
    Q_OBJECT
public:
    // The default limit of the rich edit on the ERP's platform.
    static constexpr qsizetype MaxLength = 32767;

    // The lines of the text, numbered from 0, each without its line break.
    class LineList {
    public:
        LineList(const LineList&) = delete;
        LineList& operator=(const LineList&) = delete;

        // The number of lines: the document's blocks less an empty last one.
        int Count() const;
        // The text of a line. Raises platform::Exception when index is not a line.
        QString at(int index) const;
        // Appends text as the new last line, in the regular style. CR LF, CR alone, LF alone and
        // U+2029 inside it each start a new line; every other character stays in its line, blanks
        // (trailing ones too) and control characters included. Qt's two frame markers U+FDD0 and
        // U+FDD1, noncharacters the document cannot hold as text, become U+FFFD. Raises
        // platform::Exception("RichEdit line insertion error"), with nothing changed, when the
        // text would go beyond MaxLength.
        void Add(const QString& text);
        // Replaces the text of a line, with the line breaks of text acting as in Add. Only the
        // characters that differ are replaced, so the others keep their styles; new characters
        // take the style of the character before them. The caret ends at the end of the replaced
        // text. Raises platform::Exception when index is not a line, and the insertion error,
        // with nothing changed, when the result would go beyond MaxLength.
        void replace(int index, const QString& text);
        // All lines, in order.
        QStringList toStringList() const;

    private:
        friend class RichEdit;
        explicit LineList(RichEdit& owner)
            : m_owner(owner)
        {
        }
        RichEdit& m_owner;
    };

    // The style of the selected characters.
    class TextAttributes {
    public:
        TextAttributes(const TextAttributes&) = delete;
        TextAttributes& operator=(const TextAttributes&) = delete;

        // The styles of the first selected character (of the character before the caret when
        // nothing is selected).
        TFontStyles Style() const;
        // Gives every selected character exactly these styles: each of bold, italic, underline and
        // strike-out on when in the set, off when not. Nothing changes when nothing is selected.
        void setStyle(TFontStyles styles);

    private:
        friend class RichEdit;
        explicit TextAttributes(RichEdit& owner)
            : m_owner(owner)
        {
        }
        RichEdit& m_owner;
    };

    explicit RichEdit(QWidget* parent = nullptr);

    // Whether a character of a text given to Lines starts a new line: CR, LF or U+2029. A CR directly
    // followed by an LF makes one break with it.
    static bool isLineBreak(QChar character);

    LineList Lines {*this};
    TextAttributes SelAttributes {*this};

    // The selection: its first position and its length. Setting SelStart moves the caret there and
    // empties the selection; setting SelLength selects that many characters from SelStart on. Both
    // are clamped to the text: a position below 0 is 0, one past the end is the end, and a negative
    // length is 0.
    int SelStart() const;
    void setSelStart(int position);
    int SelLength() const;
    void setSelLength(int length);

    // The position of the first character of a line (the line after the last: the end of the
    // text). Raises platform::Exception when index is neither.
    int positionOfLine(int index) const;

    // The length of the text as counted against MaxLength.
    qsizetype textLength() const;

private:
    // The length text adds when it is put in a line: its characters, a line break counting two.
    static qsizetype lengthOf(const QString& text);
    // Inserts text at the cursor, each line break of it as a block break, in the given format.
    static void insertLines(QTextCursor& cursor, const QString& text, const QTextCharFormat& format);
    void checkLine(int index) const;
    [[noreturn]] static void insertionError();
};

} // namespace platform
