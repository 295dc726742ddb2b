#pragma once

// How rich-edit content that QTextDocument has no notion of is kept in a
// QTextDocument: hidden text, the hidden instruction of a hyperlink field,
// pictures the document cannot draw, and the empty block Qt needs before a
// table that starts a text. Reader, writer and position map share these.

#include <QByteArray>
#include <QTextFormat>

class QImage;
class QTextBlock;

namespace rtf {

/// Our own format properties (QTextFormat::UserProperty range).
enum Property : int {
    /// bool, character: text marked hidden (\v). It occupies positions but is
    /// laid out with no width and no ink.
    kHiddenProperty = QTextFormat::UserProperty + 0x4b00,
    /// QBrush, character: the foreground hidden text had before it was hidden.
    kHiddenForegroundProperty,
    /// bool, character: the hidden instruction `HYPERLINK "url"` of a field.
    kLinkInstructionProperty,
    /// int PictureKind, image: what the picture data of the resource is.
    kPictureKindProperty,
    /// QByteArray, image: the original data of a picture kind that is shown
    /// as a placeholder (metafiles), written back unchanged.
    kPictureDataProperty,
    /// bool, block: the block exists only because Qt needs one before a table;
    /// it has no paragraph mark of its own (see richtextmap.h).
    kNoParagraphMarkProperty,
};

enum class PictureKind : int { Png = 1, Jpeg = 2, Emf = 3, Wmf = 4, MacPict = 5 };

/// Lengths: RTF counts twips, QTextDocument device-independent pixels at
/// 96 per inch; 1440 twips per inch.
constexpr double kTwipsPerPixel = 15.0;

/// Marks a character format hidden or shown again. Hidden text keeps its
/// font and size; it is laid out with glyphs of no advance (a letter
/// spacing) in a transparent pen, its own colour kept in
/// kHiddenForegroundProperty.
void SetHidden(QTextCharFormat& format, bool hidden);
inline bool IsHidden(const QTextFormat& format) { return format.boolProperty(kHiddenProperty); }
/// The format as it would look were it not hidden (for the writer).
QTextCharFormat VisibleFormat(const QTextCharFormat& format);

/// A block that Qt keeps before a table at the start of a text (or of a
/// cell) and that has no paragraph mark: empty and marked so by the reader.
/// Walkers treat it so only when a table follows it.
bool IsPlaceholderBlock(const QTextBlock& block);

/// The image encoded as PNG, the form in which pictures are kept.
QByteArray PngBytes(const QImage& image);

}  // namespace rtf
