#pragma once

#include "document/codingrecord.h"
#include "document/panewnd.h"
#include "foundation/segmentarray.h"
#include "panes/contextsearch.h"
#include "panes/panecaption.h"
#include "retrieval/projectrows.h"
#include "ui/chartwnde.h"
#include "ui/richviewowner.h"

#include <QHash>
#include <QImage>
#include <QList>
#include <QSet>
#include <QWidget>

#include <functional>
#include <memory>

class CDragStripWnd;
class CKorDoc;
class CRichEditCtrlEx;
class CTextPaneEx;
class QHeaderView;
class QStandardItemModel;
class QTextCursor;
class TopicDatabase;

/// @short The retrieved segments: the result of the current retrieval as one
/// read-only text in which the segments follow each other, the strip of
/// boxes beside it that names each segment's source, the memo margin with
/// the memos anchored in the shown segments, and a header above strip and
/// text whose columns can be dragged to put the strip on either side.
///
/// A pane of the project's registry: it rebuilds itself from the
/// retrieval's broadcasts (all codings removed, then the result's ids in
/// result order) and asks its owner (the frame) for every coding through
/// request records; it never reads the codings itself. Memos are read from
/// the database the frame hands in. Between segments stand five paragraph
/// marks; the last four of them are sized so that the gap below a segment
/// covers its box plus 8 pixels. All positions the pane reports are
/// rich-edit positions of its text. UI thread only.
///
/// Only a window of the result is read and laid out: the ids of all
/// segments are kept (so their number is known at once), the text holds at
/// most kWindowSegments of them around what is shown, and the window slides
/// as the text scrolls near one of its ends. Ctrl+Home and Ctrl+End move it
/// to the first and last segments; the context search finds what the window
/// holds.
class SegmentsCtrl : public QWidget,
                     public CPaneWnd,
                     public RichViewOwner,
                     public IContextSearchPane,
                     public IPaneCaption {
    Q_OBJECT
public:
    static constexpr int kControlId = 511;
    /// Paragraph marks after each segment's text.
    static constexpr int kSeparatorMarks = 5;
    /// Most segments the text holds at once.
    static constexpr int kWindowSegments = 120;
    /// Segments read when the window is first filled or moved.
    static constexpr int kFirstSegments = 40;
    /// Segments added at one end when the text scrolls near it.
    static constexpr int kSlideSegments = 8;

    /// The row of a shown segment, as the owner answered it.
    struct ShownSegment : retrieval::CodingValues {
        qint32 topic = 0;  ///< 10 codings, or 40 result segments of combined codings
        qint32 coding = 0;
        qint32 area = 0;
        double coverage = 0;
        qint32 documentKind = 0;  ///< 0 rich text, 1 PDF, 2 picture, 3 table
        QString documentName;
        QString codePath;         ///< levels joined by "\"
        QString comment;
    };

    explicit SegmentsCtrl(QWidget* parent = nullptr);
    ~SegmentsCtrl() override;

    /// Where the pane's requests go (the frame); not owned.
    void SetOwner(RichViewOwner* owner) { m_owner = owner; }
    /// The open project's tables, for the memo markers; not owned, null
    /// while none is known.
    void SetDatabase(const TopicDatabase* database) { m_database = database; }
    /// Opens a written export with the desktop's handler; tests record.
    void SetFileOpener(std::function<bool(const QString& path)> opener) { m_openFile = std::move(opener); }

    // ---- The pane interface ---------------------------------------------
    bool IsShown(qint32 topic, qint32 id) override;
    bool OnObjectsAdded(qint32 topic, const QList<quint32>& ids, qint32 parentTopic, qint32 parentId) override;
    void ResetContent() override;
    bool OnObjectAdded(qint32 topic, qint32 id, qint32 after, qint32 parentTopic, qint32 parentId,
                       bool select) override;
    bool BeginEditLabel(qint32, qint32) override { return false; }
    void OnObjectDeleted(qint32 topic, qint32 id) override;
    void OnObjectChanged(qint32 topic, qint32 id) override;
    void ExpandObject(qint32, qint32) override {}
    void SortChildren(qint32, qint32, qint32) override {}
    Qt::DropAction OnDragOver(qint32 draggedKind, qint32 draggedId, QPoint screenPos) override;
    void OnDragLeave() override {}
    bool OnDrop(qint32 draggedKind, qint32 draggedId, QPoint screenPos) override;
    void DragScroll(qint32) override {}
    bool ShowDocument(qint32, qint32, qint32) override { return false; }
    void SelectObject(qint32 topic, qint32 id, qint32 flag) override;

    // ---- The context search ----------------------------------------------
    bool OnContextSearch(ContextSearchRequest& request) override;

    // ---- Operations of the frame and the dialogs ----------------------------
    int GetSegmentCount() const;
    /// One row per box, in box order, built from the box's coding.
    void GetRetrievedSegments(CSegmentArray& rows) const;
    /// The coding ids of all boxes, in order.
    void GetSegmentIds(QList<qint32>& ids) const;
    /// Fills the record from the next box (the first with restart): its text
    /// as RTF without the separator marks, a preview of at most 63 units and
    /// the coding's fields. False after the last box.
    bool GetNextSegmentCoding(CodingRecord& record, bool restart);
    /// The segment report as RTF: asks whether memos go in when a document
    /// is given, writes the file through a temporary one and opens it.
    /// False (with the file error shown) when it could not be written.
    bool ExportRtf(const QString& path, CKorDoc* document);
    /// Prints the report (the memos too when asked and a document is
    /// given) under the print title of the project file; false when the
    /// print dialog was cancelled.
    bool Print(const QString& projectPath, bool withMemos, CKorDoc* document);
    /// Appends the report of every box to the control: a headline block,
    /// the segment's text, and with memos and a document the memos anchored
    /// in the segment.
    void BuildReport(CRichEditCtrlEx& report, bool withMemos, CKorDoc* document);
    /// Highlights one box (-1: none), removing the previous highlight.
    void HighlightStripItem(int index);
    void CopyToClipboard();
    void InvalidateStrip();
    /// Lays the children out and aligns the boxes again, redrawing once.
    void Relayout();
    /// Widens the strip to its boxes while no width was chosen; true when
    /// the width changed (the children then need laying out).
    bool FitStripUnlessChosen();
    void SetRedraw(bool on);
    void HideMemos() { m_showMemos = false; }
    void ShowMemos() { m_showMemos = true; }
    bool MemosShown() const { return m_showMemos; }
    /// The commands of the hosting view's caption buttons, as many as
    /// slots; further slots 0.
    QList<int> CaptionButtons(int count) const;
    /// A command of the pane's own (505 header order, 606 print question)
    /// or one it passes to the owner; false for others.
    bool OnPaneCommand(int id);

    // ---- The hosting view's caption ------------------------------------------
    std::array<int, kButtonSlots> CaptionCommands() const override
    {
        const QList<int> commands = CaptionButtons(kButtonSlots);
        std::array<int, kButtonSlots> buttons{};
        for (int slot = 0; slot < kButtonSlots; ++slot)
            buttons[size_t(slot)] = commands.value(slot);
        return buttons;
    }
    void OnCaptionCommand(int commandId) override { OnPaneCommand(commandId); }

    // ---- What the pane shows ------------------------------------------------
    bool StripAtLeft() const { return m_stripLeft; }
    int StripWidth() const { return m_stripWidth; }
    int MemoMarginWidth() const { return m_memoWidth; }
    /// The row of a shown coding; null when it has no box.
    const ShownSegment* Segment(qint32 coding) const;
    /// Index in the whole result of the first segment the text holds.
    int FirstLoadedSegment() const { return m_first; }
    /// Moves the window so that it starts near the segment at index (in the
    /// whole result) and shows that segment at the top.
    void ShowSegmentAt(int index);
    const QList<MemoMark>& MemoMarks() const { return m_memoMarks; }
    CTextPaneEx* Text() const { return m_text; }
    CDragStripWnd* Strip() const { return m_strip; }
    CChartWndE* MemoMargin() const { return m_memoMargin; }
    QHeaderView* Header() const { return m_header; }

    // ---- What the strip and the text ask of the pane -------------------------
    void Request(NotifyHead& record) override;
    void TextScrolled() override;
    void HighlightSegment(qint32 codingId) override;
    void DeleteTextRange(int start, int end) override;
    void Activate() override;

signals:
    /// A command the pane passes to its owner unchanged (exports, prints,
    /// coding lists): the frame carries it out.
    void OwnerCommand(int id);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    /// A segment read from the owner, ready to be inserted.
    struct Loaded {
        ShownSegment segment;
        QByteArray rtf;
        QImage picture;
    };
    /// A segment of the result, loaded or not.
    struct Entry {
        qint32 topic = 0;
        qint32 id = 0;
    };
    bool Read(qint32 topic, qint32 id, Loaded& loaded, bool withText = true);
    /// Reads the segments from index to end (of the whole result); those
    /// that cannot be read leave the result.
    QList<Loaded> ReadRange(int from, int to);
    /// Adds up to count segments after the window's end (before its start
    /// when count < 0), dropping from the other end what exceeds the window.
    void Slide(int count);
    /// Reads segments after the window's end until it holds kFirstSegments.
    void FillWindow();
    /// Loads the window anew from index on.
    void LoadWindowAt(int index);
    /// Slides the window while the view is near one of its ends and more
    /// segments lie beyond.
    void SlideIfNeeded();
    int IndexInResult(qint32 id) const;
    /// The segment's text and picture, inserted at the cursor.
    static void InsertContent(QTextCursor& cursor, const Loaded& loaded);
    QString DisplayText(qint32 topic, qint32 id);
    /// Inserts the segments before the box at index (-1: at the end), in
    /// one edit block, and gives each its box and memo markers.
    void InsertSegments(QList<Loaded>& segments, int index);
    /// Clears the text, its boxes and markers; the result's ids stay.
    void ClearWindow();
    void Clear();
    /// Sizes the spacers and moves every box beside its text.
    void AlignBoxes();
    int BoxHeight(const ShownSegment& segment) const;
    void AddMemoMarkers(const ShownSegment& segment, int paneStart);
    /// The markers of every box anew, after text moved.
    void RebuildMemoMarkers();
    void LayoutMemoMarkers();
    void PlaceMemoMarkers();
    void LayoutChildren();
    void SyncStrip();
    void SelectRange(int start, int end);
    int IndexOfCoding(qint32 coding) const;
    Qt::DropAction RequestDrop(qint32 draggedKind, qint32 draggedId, QPoint screenPos, bool perform);
    void HeaderOrderChanged();
    void HeaderResized(int logicalIndex, int oldSize, int newSize);
    void ReadSettings();
    void WriteSettings() const;

    RichViewOwner* m_owner = nullptr;
    const TopicDatabase* m_database = nullptr;
    std::function<bool(const QString&)> m_openFile;
    QHash<quint64, QString> m_names;  // display texts by (topic, id), for one rebuild
    QList<QPixmap> m_glyphs;
    CTextPaneEx* m_text = nullptr;
    QStandardItemModel* m_headerModel = nullptr;
    QHeaderView* m_header = nullptr;
    CDragStripWnd* m_strip = nullptr;
    CChartWndE* m_memoMargin = nullptr;
    QList<MemoMark> m_memoMarks;   // sorted by anchor (rich-edit position in the pane)
    QList<int> m_memoLineY;        // per marker: top of its anchor's line, document coordinates
    QHash<qint32, ShownSegment> m_segments;  // by coding id, loaded ones
    QList<Entry> m_all;            // the whole result, in result order
    QSet<qint32> m_allIds;
    int m_first = 0;               // index in m_all of the strip's first box
    bool m_sliding = false;
    int m_runningHeight = 0;
    int m_highlighted = -1;
    int m_nextSegment = 0;         // GetNextSegmentCoding's place
    int m_stripWidth = 50;
    int m_memoWidth = 23;
    bool m_stripLeft = true;
    /// Set once a width is stored or the researcher sized the strip.
    bool m_stripWidthChosen = false;
    bool m_showMemos = true;
    bool m_filling = false;
    bool m_layingOut = false;
    ContextSearchHits m_hits;
};
