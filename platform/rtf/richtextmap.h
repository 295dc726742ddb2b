#pragma once

// The text of a rich-edit document as the original rich-edit control counted
// it, and the map between its positions and QTextDocument cursor positions.
//
// Every coding, memo anchor and link of a project stores positions in this
// text, so these rules are fixed (they are what stored projects hold):
//
//  1. One position per UTF-16 unit of text (a character outside the Basic
//     Multilingual Plane takes two).
//  2. One position per paragraph end, the character CR (U+000D). The last
//     paragraph of a text has no paragraph end: the final \par of RTF read
//     as a whole text is the story's end and counts nothing.
//  3. One position per line break (\line), the character U+000B; per tab,
//     U+0009; per embedded object or picture, U+FFFC.
//  4. A hyperlink field {\field{\*\fldinst HYPERLINK "url"}{\fldrslt name}}
//     is the text `HYPERLINK "url"` (always this form: keyword, one blank,
//     the target in double quotes, switches dropped) marked hidden, followed
//     by the name. Other fields are their result only.
//  5. A table row is U+FFF9 CR (row start), then each cell's text followed by
//     U+0007 (cell end), then U+FFFB CR (row end). Paragraphs inside a cell
//     end with CR; a paragraph end directly before a cell end is the cell's
//     own and counts nothing.
//  6. Text marked hidden (\v) occupies positions like any other text.
//  7. List numbers and bullets are paragraph properties: no positions.
//
// In the QTextDocument these are the same characters one for one (paragraph
// ends are block separators, line breaks U+2028, pictures U+FFFC, hidden text
// real characters with the hidden property), except inside tables: Qt has one
// marker per cell where the rich-edit text has the cell end, and nothing for
// the row start and row end. A text that begins with a table has an empty
// block before it in Qt, marked kNoParagraphMarkProperty, with no position.

#include <QString>
#include <QStringView>

#include <vector>

class QTextDocument;
class QTextBlock;
class QTextFrame;
class QTextTable;

namespace rtf {

constexpr char16_t kParagraphEnd = u'\r';
constexpr char16_t kLineBreak = u'\v';
constexpr char16_t kTab = u'\t';
constexpr char16_t kObject = 0xFFFC;
constexpr char16_t kRowStart = 0xFFF9;
constexpr char16_t kCellEnd = 0x0007;
constexpr char16_t kRowEnd = 0xFFFB;

/// The hidden text that stands for a hyperlink field's instruction.
QString HyperlinkInstruction(const QString& target);

/// Converts rich-edit plain text (CR, CR LF or LF paragraph ends, U+000B line
/// breaks) into text for QTextCursor::insertText (one block per paragraph,
/// line breaks as U+2028).
QString PlainTextToDocumentText(QStringView text);

/// @short The rich-edit plain text of a document and its position map.
///
/// Built over the whole document, then kept current by update() after each
/// change. Positions are rich-edit positions (UTF-16 units of text());
/// document positions are QTextCursor positions.
class RichTextMap {
public:
    RichTextMap() = default;
    explicit RichTextMap(const QTextDocument& document);

    /// What a change did to the rich-edit text: the text from start, removed
    /// units long, was replaced by added units.
    struct TextChange {
        int start = 0;
        int removed = 0;
        int added = 0;
    };

    /// Follows a change of the document as QTextDocument::contentsChange
    /// reports it (the document already changed): only the paragraphs and
    /// tables of the top level around the change are walked again, and the
    /// answers are those of a map built anew. Returns false, leaving the map
    /// as it was, when the report does not fit the document; build a new one
    /// then.
    bool update(const QTextDocument& document, int position, int removed, int added, TextChange* change = nullptr);
    /// The cursor position at the end of the document the map follows.
    int documentEnd() const { return m_documentEnd; }

    const QString& text() const { return m_text; }
    int length() const { return int(m_text.size()); }

    /// The cursor position of a text position. Row starts and row ends have
    /// no counterpart: they map to the start of what follows them. Positions
    /// outside 0..length() are clamped.
    int toDocument(int position) const;
    /// The text position of a cursor position; a position without a
    /// counterpart (the block before a leading table) maps to what follows.
    int fromDocument(int documentPosition) const;

private:
    struct Segment {
        int position;          // first text position
        int documentPosition;  // its cursor position
        int length;
    };

    void appendMapped(int documentPosition, QStringView chars);
    void appendUnmapped(QStringView chars);
    void walkFrame(const QTextFrame* frame, const QTextDocument& document);
    void walkTable(const QTextTable* table);
    void appendBlockText(const QTextBlock& block);
    void appendFrameBlock(const QTextBlock& block, bool beforeFrame, bool last);
    /// Walks the top-level items (paragraphs, tables, other frames) that lie
    /// between two item starts.
    void walkTopLevel(const QTextDocument& document, int from, int to);

    QString m_text;
    std::vector<Segment> m_segments;
    int m_documentEnd = 0;  // cursor position at the end of the document
};

}  // namespace rtf
