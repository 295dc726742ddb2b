#pragma once

// The visible rich-edit control: a QTextEdit over the control's document.

#include "platform/rtf/richeditctrlex.h"

#include <QImage>
#include <QList>
#include <QTextEdit>

class QMenu;

/// Command ids of the text editor's context menu.
enum RichEditCommand : int {
    kCommandCut = 13105,
    kCommandCopy = 13106,
    kCommandPaste = 13107,
};

/// @short A CRichEditCtrlEx with a window.
///
/// The QTextEdit's own document and text cursor are the control's document
/// and selection, so every operation of the control acts on what is shown.
/// Copy and paste carry RTF ("text/rtf") so hidden text and link fields
/// survive; typing and pasting stop at the text limit.
class CRichEditWnd : public QTextEdit, public CRichEditCtrlEx {
    Q_OBJECT
public:
    explicit CRichEditWnd(QWidget* parent = nullptr);

    /// Places the window: style bits of RichEditStyle, geometry, parent and
    /// control id (kept as the property "controlId"). True when made.
    bool Create(quint32 style, const QRect& rect, QWidget* parent, int id);

    void StreamInRtf(const QByteArray* rtf, bool selection) override;
    int SetScrollPosition(QPoint position) override;
    QPoint GetScrollPosition() const override;
    QPoint PosFromChar(int position) const override;
    /// The character under a point of the viewport.
    int CharFromPos(QPoint point) const;
    bool CanPaste() const;

    /// The context menu as it would be shown now: Cut, Copy, Paste less
    /// those that cannot act; null when nothing would be left or the menu
    /// is not enabled. The caller owns it.
    QMenu* BuildContextMenu();

    /// Rich-edit ranges (start, end) of the addresses found in the text
    /// while URL detection is on.
    const QList<QPair<int, int>>& DetectedUrls() const { return m_urls; }

    /// Backgrounds and marks an owner lays over the text (coded text, link
    /// anchors), drawn beside the detected addresses; never part of the
    /// document, so nothing has to be taken off before the text is saved.
    void SetOwnerSelections(const QList<QTextEdit::ExtraSelection>& selections);

    /// The target of the hyperlink field or detected address at the
    /// character at a document position; empty when none.
    QString LinkAt(int documentPosition) const;
    /// The document position of the character under a point of the
    /// viewport; -1 when the point is beside the text.
    int CharacterAtPoint(QPoint point) const;

signals:
    /// A click on a hyperlink field or a detected address.
    void LinkClicked(const QString& target);

protected:
    QTextCursor Cursor() const override { return textCursor(); }
    void SetCursor(const QTextCursor& cursor) override { setTextCursor(cursor); }
    void ViewSettingsChanged() override;
    void RichTextChanged(int start, int removed, int added) override;

    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    QMimeData* createMimeDataFromSelection() const override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    void DetectUrls();
    void ApplyExtraSelections();
    /// Gives the address at the index its mark, unless its text is not laid
    /// out yet; false then.
    bool PlaceUrlMark(qsizetype index);
    void PlacePendingUrlMarks();

    // Zoom lays the text out for a device of scaled resolution.
    std::unique_ptr<QImage> m_zoomDevice;
    QList<QPair<int, int>> m_urls;
    QList<QTextEdit::ExtraSelection> m_urlSelections;  // one per address; no cursor while waiting
    bool m_urlMarksPending = false;
    QList<QTextEdit::ExtraSelection> m_ownerSelections;
    bool m_urlsPending = false;
    // The text not looked at for addresses since it changed: a range of
    // rich-edit positions, or all of it.
    int m_urlsDirtyFrom = -1;
    int m_urlsDirtyTo = -1;
    bool m_urlsDirtyAll = true;
};
