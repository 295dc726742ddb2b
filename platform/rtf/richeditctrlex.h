#pragma once

// The rich-edit control of the program, without a window: a QTextDocument
// with a selection, RTF streaming, the rich-edit text and its positions,
// find and character formats. The project document uses it as the hidden
// control that loads, searches and counts texts; the visible editor
// (CRichEditWnd, ui/richeditwnd.h) is a QTextEdit that derives from it and
// shares its document and selection.
//
// Every position here is a rich-edit position (see richtextmap.h), never a
// QTextCursor position.

#include "platform/rtf/richtextmap.h"

#include <QByteArray>
#include <QMetaObject>
#include <QPoint>
#include <QString>
#include <QTextCharFormat>
#include <QTextCursor>

#include <memory>
#include <optional>

class QColor;
class QTextDocument;

/// Colour in its stored form 0x00BBGGRR.
using RichEditColor = quint32;

/// The stored colour as Qt draws it.
QColor ToQColor(RichEditColor color);

/// Flags of FindTextRange and FindTextPlain.
enum RichEditFindFlag : int {
    kFindDown = 0x1,       // search forward; else backward
    kFindWholeWord = 0x2,
    kFindMatchCase = 0x4,
};

/// Text modes of SetTextMode and GetTextMode.
enum RichEditTextMode : int {
    kTextModePlain = 0x1,
    kTextModeRich = 0x2,
    kTextModeSingleLevelUndo = 0x4,
    kTextModeMultiLevelUndo = 0x8,
    kTextModeSingleCodePage = 0x10,
    kTextModeMultiCodePage = 0x20,
};

/// Window styles the control honours (the values callers pass to Create).
enum RichEditStyle : quint32 {
    kStyleMultiline = 0x0004,
    kStyleAutoVScroll = 0x0040,
    kStyleNoHideSel = 0x0100,
    kStyleReadOnly = 0x0800,
    kStyleWantReturn = 0x1000,
    kStyleHScroll = 0x00100000,
    kStyleVScroll = 0x00200000,
    kStyleBorder = 0x00800000,
    kStyleVisible = 0x10000000,
    kStyleChild = 0x40000000,
};

/// Which members of a RichEditCharFormat apply.
enum RichEditCharMask : quint32 {
    kCharMaskBold = 0x1,
    kCharMaskItalic = 0x2,
    kCharMaskUnderline = 0x4,
    kCharMaskStrikeOut = 0x8,
    kCharMaskHidden = 0x100,
    kCharMaskSubSuperScript = 0x30000,
    kCharMaskWeight = 0x00400000,
    kCharMaskBackColor = 0x04000000,
    kCharMaskOffset = 0x10000000,
    kCharMaskFace = 0x20000000,
    kCharMaskColor = 0x40000000,
    kCharMaskSize = 0x80000000,
};

/// Effect bits of a RichEditCharFormat.
enum RichEditCharEffect : quint32 {
    kCharBold = 0x1,
    kCharItalic = 0x2,
    kCharUnderline = 0x4,
    kCharStrikeOut = 0x8,
    kCharHidden = 0x100,
    kCharSubScript = 0x10000,
    kCharSuperScript = 0x20000,
    kCharAutoBackColor = 0x04000000,
    kCharAutoColor = 0x40000000,
};

/// A character format as callers set it: the members named by mask apply.
struct RichEditCharFormat {
    quint32 mask = 0;
    quint32 effects = 0;
    qint32 height = 0;   // twips
    qint32 offset = 0;   // twips; above the base line when positive
    RichEditColor textColor = 0;
    RichEditColor backColor = 0;
    quint16 weight = 0;  // 100..900
    QString faceName;
};

/// @short The rich-edit control without a window.
///
/// Owns its QTextDocument unless it is given one to share (the window does
/// so). Not copyable. Texts are rich-edit texts: CR paragraph ends, U+000B
/// line breaks, hidden text included.
class CRichEditCtrlEx {
public:
    /// A document given here must outlive the control; without one the
    /// control makes its own.
    explicit CRichEditCtrlEx(QTextDocument* shared = nullptr);
    virtual ~CRichEditCtrlEx();
    CRichEditCtrlEx(const CRichEditCtrlEx&) = delete;
    CRichEditCtrlEx& operator=(const CRichEditCtrlEx&) = delete;

    /// The empty text: one empty "Arial" 10 pt paragraph.
    static const QByteArray& DefaultRtf();

    QTextDocument* GetDocument() const { return m_document; }

    /// Owners set it to get the Cut/Copy/Paste menu of the window.
    bool ContextMenuEnabled = false;

    virtual int SetAutoUrlDetect(int on);
    /// The first match between first and last (inclusive) or -1; a null text
    /// gives -1.
    virtual int FindTextRange(int first, int last, int flags, const QString& text) const;
    struct FindTextRecord {
        qint32 cpMin = 0;
        qint32 cpMax = -1;  // -1: to the end
        QString text;
    };
    virtual int FindTextPlain(int flags, const FindTextRecord* record) const;
    /// Accepted (0) only while the control is empty, as rich edits do.
    virtual int SetTextMode(int mode);
    virtual int GetTextMode() const;
    /// Replaces the selection with plain text (or RTF when it begins with
    /// "{\rtf"); the number of characters inserted, -1 for a null text.
    virtual int ReplaceSelText(const QString& text);
    /// An empty text loads the default document and gives 1; null gives -1.
    virtual int SetText(const QString& text);
    /// At most sizeBytes / 2 - 1 characters; the count, -1 without a buffer.
    virtual int GetText(QString* buffer, int sizeBytes) const;
    virtual int GetTextLength() const;
    virtual int GetSelText(QString* buffer, int sizeBytes) const;
    virtual int SetCharFormatAll(const RichEditCharFormat& format);
    /// The previous background colour.
    virtual RichEditColor SetBackgroundColor(RichEditColor color);
    virtual int SetSelCharFormat2(const RichEditCharFormat& format);
    /// Loads RTF: the whole text, or in place of the selection. A null array
    /// loads the default document (whole) or only removes the selection.
    /// Bytes that are not RTF are read as plain text, so nothing is lost.
    virtual void StreamInRtf(const QByteArray* rtf, bool selection);
    /// Writes the whole text or the selection; nothing happens when there is
    /// nothing to write (an empty selection) or no array.
    virtual void StreamOutRtf(QByteArray* rtf, bool selection, bool withObjects) const;
    /// -63..63: below 0 smaller (64 + step)/64, above 0 larger 64/(64 - step),
    /// 0 off. Nonzero when accepted.
    virtual int SetZoomStep(int step);
    virtual int SetScrollPosition(QPoint position);
    virtual QPoint GetScrollPosition() const;

    // Operations of the underlying rich edit.
    /// start -1 removes the selection; end -1 selects to the end.
    void SetSel(int start, int end);
    void GetSel(int& start, int& end) const;
    /// The text from first up to (not including) last.
    QString GetTextRange(int first, int last) const;
    /// The most characters the user may type or paste; loading and setting
    /// text is never cut (a cut text would be lost when written back).
    void LimitText(int characters) { m_textLimit = characters; }
    int GetLimitText() const { return m_textLimit; }
    /// Top-left of a character in client coordinates; for a control without
    /// a window, in the document laid out at the layout width.
    virtual QPoint PosFromChar(int position) const;
    /// Layout width of a control without a window (pixels).
    void SetLayoutWidth(qreal width);
    /// The format of text that SetText and typing insert.
    void SetDefaultCharFormat(const RichEditCharFormat& format);

    const rtf::RichTextMap& TextMap() const;
    int ToDocumentPosition(int position) const { return TextMap().toDocument(position); }
    int FromDocumentPosition(int documentPosition) const { return TextMap().fromDocument(documentPosition); }

    int ZoomNumerator() const { return m_zoomNumerator; }
    int ZoomDenominator() const { return m_zoomDenominator; }
    bool AutoUrlDetect() const { return m_autoUrlDetect; }
    RichEditColor BackgroundColor() const { return m_background; }

protected:
    /// The selection; the window keeps it in its own text cursor.
    virtual QTextCursor Cursor() const { return m_cursor; }
    virtual void SetCursor(const QTextCursor& cursor) { m_cursor = cursor; }
    /// Called after the zoom, background or URL detection changed.
    virtual void ViewSettingsChanged() {}
    /// The format of new text, from SetDefaultCharFormat and SetCharFormatAll.
    const QTextCharFormat& DefaultCharFormat() const { return m_defaultFormat; }
    /// Called after a change of the text: the rich-edit text from start,
    /// removed units long, became added units (positions of TextMap()).
    /// start is -1 when the change is not known, as when no map was held.
    virtual void RichTextChanged(int start, int removed, int added)
    {
        Q_UNUSED(start);
        Q_UNUSED(removed);
        Q_UNUSED(added);
    }

private:
    void FollowChange(int position, int removed, int added);
    void ApplyCharFormat(int from, int to, const RichEditCharFormat& format);
    void LoadPlainText(const QByteArray& bytes, bool selection);

    std::unique_ptr<QTextDocument> m_ownDocument;
    QTextDocument* m_document;
    QTextCursor m_cursor;
    QMetaObject::Connection m_changed;
    QMetaObject::Connection m_changing;
    mutable std::optional<rtf::RichTextMap> m_map;
    bool m_changeFollowed = false;  // a contentsChange came since the last contentsChanged
    QTextCharFormat m_defaultFormat;
    int m_textMode = kTextModeRich | kTextModeMultiLevelUndo | kTextModeMultiCodePage;
    int m_textLimit = 32767;
    int m_zoomNumerator = 0;
    int m_zoomDenominator = 0;
    bool m_autoUrlDetect = false;
    RichEditColor m_background = 0x00FFFFFF;
    QPoint m_scrollPosition;
};
