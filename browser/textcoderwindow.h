#pragma once

#include "browser/browserids.h"
#include "browser/browseritems.h"
#include "browser/documentviewer.h"
#include "browser/framebrowser.h"
#include "browser/tablewnd.h"
#include "document/panewnd.h"
#include "panes/contextsearch.h"
#include "panes/panecaption.h"
#include "ui/chartwndc.h"
#include "ui/chartwnde.h"
#include "ui/chartwndf.h"
#include "ui/codedtextprintengine.h"
#include "ui/marginlayout.h"
#include "ui/richviewowner.h"
#include "ui/rtftipctrl.h"

#include <QPointer>
#include <QTextEdit>
#include <QWidget>

#include <functional>
#include <memory>

class CSideColumnG;
class CTableWnd;
class QHeaderView;
class QStandardItemModel;
class QTabBar;
class QTextCursor;

/// @short The document browser: one document of the project with its coding
/// stripes, paragraph numbers, memos, links and time marks, from whose
/// selection codings are made.
///
/// It never reads the project: every content, name, record and setting is
/// asked of its owner (the frame's router, CPaneWnd::SetOwner) through
/// request records, and
/// every project change arrives through the pane interface. Rich text is
/// shown by the browser itself; the other kinds go to a viewer made by the
/// factory (documentviewer.h), and without one they show nothing.
///
/// Only what is visible is measured: stripes, memos and paragraph numbers
/// get pixel positions for the part of the text in view, and lanes come
/// from character positions and paragraph ends, so a long document opens
/// without laying out its whole text.
///
/// Edits: the text is read-only until SetEditable(true). While editing,
/// every change of the text moves the anchored items (TrackTextEdit) and
/// marks them edited; the frame writes them back through the edit
/// iterators (NextEditedStripe, NextEditedMemo, NextEditedLink).
///
/// Project objects dragged from the trees (documents, groups, sets, set
/// members, codes) may be dropped on the text; the owner decides what a
/// drop does (a document opens, a code codes the selection).
class TextCoderWindow : public QWidget,
                        public CPaneWnd,
                        public IPaneCaption,
                        public RichViewOwner,
                        public IFrameBrowser,
                        public IContextSearchPane,
                        public IDocumentViewerHost {
    Q_OBJECT
public:
    /// Document kinds (DocType); NoDocument while nothing is shown.
    enum Kind : qint32 { NoDocument = -1, RichText = 0, Pdf = 1, Picture = 2, Table = 3 };

    explicit TextCoderWindow(QWidget* parent = nullptr);
    ~TextCoderWindow() override;

    /// Makes the viewers of the PDF, picture and table kinds.
    void SetViewerFactory(DocumentViewerFactory factory) { m_viewerFactory = std::move(factory); }

    // ---- Pane interface -----------------------------------------------------
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
    bool ShowDocument(qint32 topic, qint32 id, qint32 mode) override { return OpenDocument(topic, id, mode); }
    void SelectObject(qint32 topic, qint32 id, qint32 flag) override;

    // ---- Requests of the views, passed on to the owner ------------------------
    void Request(NotifyHead& record) override;
    QString ProjectIdentity() const override;
    // IDocumentViewerHost
    void OnViewerNotice(int notice, qint32 value) override;
    void OnViewerScrolled() override;
    QString ViewerProjectIdentity() const override { return ProjectIdentity(); }
    /// The viewer of the PDF or picture shown; null for other kinds.
    IDocumentViewer* Viewer() const { return m_kind == Pdf || m_kind == Picture ? m_viewer.get() : nullptr; }
    void TextScrolled() override;
    void TextChanged(bool deleteKey) override;
    void SelectionChanged() override;
    void ZoomChanged() override;
    void Activate() override;
    void HighlightSegment(qint32 codingId) override;
    bool ParagraphAtY(int y, int& paragraph, int& position) override;
    void ScrollTextLines(int lines) override;

    // ---- Showing documents ------------------------------------------------------
    /// Mode 0 shows the document in the active tab, 1 in a new tab, 2 only
    /// adds a tab. False for another topic, the shown document, or when the
    /// owner does not answer.
    bool OpenDocument(qint32 topic, qint32 id, qint32 mode);
    void ClearDocument(bool repaint, bool close);
    /// Lays the children and every item out again; full also repaints.
    void Refresh(bool full);
    void SaveViewState(bool withContent);
    void RestoreViewState();
    /// Writes the tab list ("DocTabs"); restores it when no tab exists.
    void SaveDocTabs();
    void RestoreDocTabs();

    qint32 GetDocKind() const { return m_kind; }
    qint32 GetShownDocument() const { return m_shownId; }
    bool IsTextDocument() const { return m_kind == RichText; }
    bool HasDocument() const { return m_kind >= RichText && m_kind <= Table; }
    bool IsPdfOrPicture() const { return m_kind == Pdf || m_kind == Picture; }
    bool IsPdf() const { return m_kind == Pdf; }
    int GetTextLength() const;
    /// The shown rich text as RTF into a cleared array; false without one.
    bool GetDocumentBytes(QByteArray& bytes) const;
    /// The same, appended.
    bool WriteRichTextTo(QByteArray& bytes) const;
    QString GetDocumentTitle() const { return m_caption; }
    int GetStripeCount() const { return int(m_stripes.size()); }
    int GetMemoCount() const { return int(m_memos.size()); }
    int GetLinkCount() const { return int(m_links.size()); }
    int GetStripeLaneCount() const { return m_laneCount; }
    void FocusView();
    void InvalidateAll();
    /// Lays the margins out now when a scroll or an edit of the text asked
    /// for it (they follow once the text's own handling is over).
    void FlushLayout();

    // ---- Stripes -------------------------------------------------------------------
    bool AddStripe(const CodingRecord& row, bool layout);
    bool UpdateStripe(const CodingRecord& row, bool layout);
    bool RemoveStripe(qint32 id, bool layout);
    const StripeItem& StripeAt(int index) const { return m_stripes.at(index); }
    void ApplyStripeFilters();
    bool UpdateStripeLines();
    void LayoutStripeLanes();
    void PositionStripes();
    /// PDF and picture: the stripes beside the viewer's pages in view.
    void PositionViewerStripes(const IDocumentViewer& viewer);
    void UpdateStripeParagraphs();
    void UpdateMarginLayers(bool withParagraphs);
    void RedrawCodingStripes();
    bool SelectCodingById(qint32 id);
    void UpdateStripeHotItem();
    void SetStripeMarginOption(bool showLabels);
    /// The label of stripe n: the coding's display name, a path shortened
    /// to ".." and its last part.
    QString GetStripeLabel(int n);
    /// Bit 0: the visible stripe meets [from, to); bit 1 it starts at or
    /// after from; bit 2 it ends at or before to.
    int GetStripeOverlap(int n, int from, int to) const;
    /// Coloured backgrounds of every visible coding (not only the hot one).
    void SetColourAll(bool on);
    bool ColourAll() const { return m_colourAll; }
    /// User filter (author), activated-codes filter.
    void SetFilters(bool userFilter, const QString& user, bool activatedCodes);
    /// Only codings of these colours are shown; empty shows all.
    void SetColourFilter(const QList<COLORREF>& colours);
    void SetBatchUpdate(bool on) { m_batchUpdate = on; }
    /// The stripe margin's tips show weight, date and author (true) or the
    /// weight only; kept in the profile.
    void SetStripeMarginOption2(bool extendedTips);
    bool ShowsLabels() const { return m_showLabels; }

    /// @short What the display options dialog edits of the stripes.
    struct DisplayOptions {
        bool titles = true;          ///< labels beside the stripes
        bool authors = true;         ///< tips with date and author
        bool activatedOnly = false;  ///< only codings of activated codes
        bool oneCoder = false;       ///< only codings of `coder`
        bool colourAll = false;      ///< every visible coding coloured in the text
        QString coder;
    };
    DisplayOptions GetDisplayOptions() const;
    /// Sets the options and the coding-colour filter (empty: every colour),
    /// then, under the wait cursor, rebuilds the stripes keeping the view:
    /// the view state is stored, the filters and lanes run again, the
    /// colouring of the text follows a changed colour-all and the view
    /// state comes back.
    void ApplyDisplayOptions(const DisplayOptions& options, const QList<COLORREF>& colourFilter);
    const QList<COLORREF>& GetColourFilter() const { return m_colourFilter; }

    // ---- Selection, paragraphs and editing ----------------------------------------
    bool GetSelection(qint32& page, qint32& start, qint32& end, qint32& x1, qint32& x2, qint32& isText,
                      int index) const;
    int GetParagraphAt(int position, bool endBased, int index, int x1) const;
    int GetParagraphCount() const { return int(m_paragraphs.characters.size() / 2); }
    int GetParagraphStart(int n) const;
    /// The text of selection piece `index` (table cells have one piece
    /// per cell; the other kinds answer their whole selection).
    QString GetSelectedText(int maxLength, int index = 0) const;
    bool GetSelectionRtf(QByteArray& bytes, int index) const;
    void GetSelectionCoverage(qint32& length, double& percent, int index) const;
    void SelectSegment(int start, int end, int page, int x1, int x2, int isText);
    bool GoToParagraph(int n, bool toTop);
    int PositionAtY(int y, int& row) const;
    bool SetEditable(bool on);
    bool IsEditMode() const;
    /// The text length when editing began.
    int EditStartLength() const { return m_editStartLength; }
    /// Marks every live stripe, memo, link and time mark edited, so the
    /// next write-back writes them all (after a write-back that failed).
    void MarkAllEdited();
    bool IsModified() const { return m_modified; }
    void ToggleBold();
    void ToggleItalic();
    void ToggleUnderline();
    void SetFontSize(int points);
    void SetFontFace(const QString& face);
    /// The character format at the selection (where typing would insert)
    /// and the alignment of its paragraph, for the formatting commands'
    /// check marks; a default format and left while no text is shown.
    QTextCharFormat SelectionCharFormat() const;
    Qt::Alignment SelectionAlignment() const;
    /// Formatting while editing: the paragraphs of the selection get the
    /// alignment, the selection the text colour. Positions do not move.
    void SetAlignment(Qt::Alignment alignment);
    void SetTextColour(const QColor& colour);
    /// The tab `step` places from the current one shows its document (no
    /// wrapping); false with fewer than two tabs or at either end.
    bool SelectNeighbourTab(int step);
    /// Removes the current tab and shows the document of its neighbour;
    /// false with fewer than two tabs.
    bool CloseCurrentTab();
    void CopySelection();
    void Cut();
    void Paste();
    bool CanCopy() const { return HasSelection(); }
    bool CanCut() const;
    bool CanPaste() const;
    bool CanUndo() const;
    void Undo();
    void UndoAll();
    void WrapLines(int n);
    bool IsRichEditFocused() const;
    void BeginBulkUpdate();
    void EndBulkUpdate();
    bool NextEditedStripe(bool restart, CodingRecord& row, bool& deleted);
    bool NextEditedMemo(bool restart, MemoRow& row, bool& deleted);
    bool NextEditedLink(bool restart, LinkRow& row, bool& deleted);
    /// The time marks moved or deleted by editing, each once.
    bool NextEditedTimeMark(bool restart, TimeMarkItem& mark, bool& deleted);

    // ---- Memos, links, time marks --------------------------------------------------
    bool AddMemoItem(const MemoRow& row, bool layout);
    bool UpdateMemoItem(const MemoRow& row, bool layout);
    bool RemoveMemoItem(qint32 id, bool layout);
    bool SelectMemoById(qint32 id);
    const InTextMemoItem& MemoAt(int index) const { return m_memos.at(index); }
    bool AddLinkItem(const LinkRow& row, bool layout);
    bool UpdateLinkItem(const LinkRow& row);
    bool RemoveLinkItem(qint32 id);
    const LinkItem& LinkAt(int index) const { return m_links.at(index); }
    qint32 FindLinkAtSelection() const;
    int FindLinkAtRange(int from, int to) const;
    int FindLinkById(qint32 id) const;
    /// Asks the owner to follow link `index` (-1: the address found in the
    /// text, kept as the pending link text).
    void FollowLink(int index);
    QString PendingLinkText() const { return m_pendingLinkText; }
    /// The tip of link `index`: for an external target the target (a map
    /// file's place), for an anchor the name of its document with the
    /// anchor's rich text in rtf. False for a link without target (text
    /// says so) or when the link's record cannot be read.
    bool GetLinkTipText(int index, QString& text, QByteArray& rtf);
    /// The link under the mouse gets the context menu: a link with a target
    /// becomes the pending link; any other place leaves none pending.
    void OpenLinkMenu(int index);
    qint32 PendingLinkId() const override { return m_pendingLinkId; }
    /// The live link item at the character under a point of the text's
    /// viewport; -1 when none.
    int LinkIndexAtPoint(QPoint point) const;
    /// The tip shown over links.
    CRTFTipCtrl& LinkTip() { return m_linkTip; }
    /// The time marks of the shown transcript, kept by the media player;
    /// not owned, null for none.
    void SetTimeMarks(QList<TimeMarkItem>* marks);
    void SetShowTimeMarks(bool on);
    void ToggleMarginColumn();
    bool IsMarginColumnShown() const;

    // ---- What the frame asks of the browser -----------------------------------------
    void SelectRange(qint32 start, qint32 end, qint32 page) override;
    void SelectCoding(qint32 coding) override { SelectCodingById(coding); }
    void SelectMemo(qint32 memo) override { SelectMemoById(memo); }
    void ScrollToParagraph(qint32 paragraph) override { GoToParagraph(paragraph, false); }
    void ExtendSelectionToParagraph(qint32 paragraph) override;
    bool HasSelection() const override;
    void RetrackStripe() override { UpdateStripeHotItem(); }
    void Refresh() override { Refresh(true); }
    /// The window cannot write to the project: while editing it asks the
    /// frame to (CommitRequested).
    void CommitEdits() override;
    void SaveViewState() override;

    // ---- Caption and printing (textcoderwindow_print.cpp) ---------------------------
    /// The pane menu, saving and printing the text; a slot shows while the
    /// frame carries its command out.
    std::array<int, kButtonSlots> CaptionCommands() const override;
    /// The pane menu button asks the owner for the menu of codings without
    /// an item (the stripes' display options) below the caption; every
    /// other caption command goes to the owner (CaptionCommandForOwner).
    void OnCaptionCommand(int commandId) override;
    QString CaptionTip(int commandId) const override;
    /// Prints the shown document: a rich text with its paragraph numbers
    /// and, with `withCodes`, its memos and coding stripes; the other kinds
    /// through their viewers. False when nothing was printed (no document,
    /// a viewer that cannot print, or the print dialog cancelled).
    bool PrintCodedText(bool withCodes);
    /// Writes the shown rich text: unnumbered, its RTF as stored; numbered,
    /// each paragraph after its number on the template shipped beside the
    /// program, or as rows (number, text) of a workbook with `excel`. The
    /// file replaces `path` only when whole; a failure is shown and false.
    bool ExportDocument(const QString& path, const QString& sheetName, bool numbered, bool excel);
    /// Whether a saved document is opened afterwards (tests switch it off).
    static void SetOpenSavedDocuments(bool open);
    /// What the coded-text print reads of the shown rich text: the shown
    /// stripes with their labels and lanes, the memos and the paragraphs.
    CodedTextPrintSource PrintSource();

    // ---- Context search ----------------------------------------------------------------
    /// Rich text only: the other kinds come with their viewers.
    bool OffersContextSearch() const override { return m_kind == RichText || m_kind == Table; }
    /// Hits are selected in the text, the current one scrolled into view.
    bool OnContextSearch(ContextSearchRequest& request) override;

    // ---- Commands and settings -------------------------------------------------------
    void ZoomIn();
    void ZoomOut();
    void ZoomReset();
    void LoadSettings();
    void SaveSettings() const;
    /// The header divider was dragged to make item `item` `width` wide.
    void OnHeaderEndTrack(int item, int width);
    void OnHeaderDividerDblClick();
    int CodesColumnWidth() const { return m_codesWidth; }
    bool CodesColumnLeft() const { return m_codesLeft; }

    // ---- Table documents (textcoderwindow_table.cpp) ---------------------------------
    /// The table view while a table document is shown, else null.
    CTableWnd* TableView() const;
    /// The context search's hits in the table, the current one by
    /// ContextSearchHits' index.
    const QList<TableHit>& TableHits() const { return m_tableHits; }

    // For tests and the frame: the children.
    CSideColumnG* TextControl() const { return m_text; }
    CChartWndC* StripeMargin() const { return m_stripeMargin; }
    CChartWndE* MemoMargin() const { return m_memoMargin; }
    CChartWndF* ParagraphMargin() const { return m_paragraphMargin; }
    QTabBar* Tabs() const { return m_tabs; }

signals:
    /// Follow a link: its id and whether its target is external; (0, true)
    /// for the address found in the text (PendingLinkText).
    void FollowLinkRequested(qint32 linkId, bool external);
    /// The viewer shows another page (from 1) at the top.
    void ViewerPageChanged(int page);
    /// The shown document or its page changed (the frame's page indicator).
    void PageChanged();
    /// The text is being edited and the project needs it stored now: the
    /// frame writes the edits back before this returns.
    void CommitRequested();
    /// A caption button's command: the frame runs it.
    void CaptionCommandForOwner(int commandId);

protected:
    QObject* RequestSender() override { return this; }
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    /// Drags of project objects over the text.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Opening and layout.
    bool RequestFromParent(ListNotifyInfo& info);
    /// Reads a row (-199) and hands it to take while it is valid.
    bool ReadRecord(qint32 topic, qint32 id, const std::function<bool(RowBuffer&)>& take);
    /// Reads an item's record and adds it (or updates it) in its list.
    bool TakeRecord(qint32 topic, qint32 id, bool layout, bool update);
    QString ReadSetting(const QString& key);
    void WriteSetting(const QString& key, const QString& value);
    void CloseShownDocument();
    void SwitchChildren(qint32 kind);
    void LoadContent(const ListNotifyInfo& answer);
    void ApplyViewValues(const DocumentViewState& view);
    void UpdateTabs(qint32 id, qint32 mode, const ListNotifyInfo& answer);
    int TabOf(qint32 id) const;
    void InsertTab(int index, qint32 id, const ListNotifyInfo& answer, bool select);
    void LayoutChildren();
    void SetCaptionText(const QString& text);
    void OnTabClicked(int index);
    void OnHeaderMoved();

    // Stripes.
    void FillStripeDisplay(StripeItem& stripe, COLORREF colour);
    bool AskCodeColour(qint32 code, COLORREF& colour, qint32& state);
    bool ApplyStripeFilter(int index, qint32 codeState, bool stateKnown);
    void SyncStripeRecords();
    void ColourCodedText();
    void RebuildLinesAndLayout();

    // Text positions: the rich-edit positions of the control, with a fast
    // path for texts without tables, where they equal cursor positions.
    int ToDoc(int position) const;
    int FromDoc(int documentPosition) const;
    int DocumentLength() const;
    void RebuildParagraphs();
    void LayoutParagraphPositions();
    void OnContentsChange(int from, int removed, int added);
    void AfterTextChange();
    void ScheduleRelayout(bool afterEdit);
    void RunScheduledRelayout();
    void RelayoutView();

    // Memos, links, marks.
    void InsertMemo(const MemoRow& row);
    void AfterMemosChanged(bool layout);
    void SyncMemoMarks();
    /// Lanes of the memos; true when the memo margin's width changed.
    bool LayoutMemos();
    void LayoutMemoPositions();
    void UpdateLinkEffects();
    /// PDF and picture: the links as areas over the viewer's pages.
    void UpdateViewerLinks(bool clear);
    void RelayoutViewer();
    /// Every hit of the text in the page texts, as positions on their pages
    /// with each hit's page (from 1) in `hitPages`.
    static QList<qint32> FindPageHits(const QStringList& pages, const QString& searched, QList<qint32>& hitPages);
    void LayoutTimeMarks();
    void OnLinkClicked(const QString& target);
    /// The mouse rests over the text: the tip of the link item or address
    /// under it, or none.
    void ShowLinkTipAt(QPoint point);
    /// Mouse input on the text's viewport that concerns links; the text
    /// handles the event as well.
    void LinkMouseEvent(QEvent* event);

    // Table documents.
    void ConnectTableView();
    void OnTableCellEdited(qint32 row, qint32 column, const QString& oldText);
    void PositionTableStripes();
    void ColourTableCells();
    bool TableContextSearch(ContextSearchRequest& request);
    /// The edited stripe's text fields from its cell as it is now.
    void RefreshTableStripeText(CodingRecord& row) const;

    DocumentViewerFactory m_viewerFactory;
    std::unique_ptr<IDocumentViewer> m_viewer;
    qint32 m_viewerKind = NoDocument;

    QTabBar* m_tabs = nullptr;
    QHeaderView* m_header = nullptr;
    QStandardItemModel* m_headerModel = nullptr;
    CSideColumnG* m_text = nullptr;
    CChartWndF* m_paragraphMargin = nullptr;
    CChartWndE* m_memoMargin = nullptr;
    CChartWndC* m_stripeMargin = nullptr;

    QString m_caption;
    QString m_userFilter;
    bool m_userFilterOn = false;
    bool m_activatedFilterOn = false;
    bool m_colourAll = false;
    bool m_batchUpdate = false;
    bool m_loading = false;
    bool m_layoutSuspended = false;
    qint32 m_shownId = 0;
    bool m_modified = false;
    qint32 m_kind = NoDocument;
    bool m_hasTables = false;
    int m_blockCount = 0;
    int m_editStartLength = 0;
    bool m_relayoutPending = false;
    bool m_relayoutAfterEdit = false;
    bool m_paragraphsDirty = false;

    QList<StripeItem> m_stripes;
    QList<StripeRecord> m_stripeRecords;  // what the stripe margin draws, index for index
    QList<InTextMemoItem> m_memos;
    QList<MemoMark> m_memoMarks;          // what the memo margin draws, index for index
    QList<LinkItem> m_links;
    QList<QTextEdit::ExtraSelection> m_linkSelections;  // the marks of the link anchors
    QList<COLORREF> m_colourFilter;
    QList<TimeMarkItem>* m_timeMarks = nullptr;
    QList<MediaMarkBand> m_markBands;
    bool m_showTimeMarks = false;
    ParagraphTables m_paragraphs;         // characters: the paragraph table, pairs (start, end)
    QList<qint32> m_paragraphMap;         // the same pairs, as the paragraph lookups read them
    QString m_pendingLinkText;
    qint32 m_pendingLinkId = 0;    // the link whose context menu is open
    int m_pressedLink = -1;         // the link item the left button went down on
    bool m_followedOnRelease = false;
    CRTFTipCtrl m_linkTip;
    qint32 m_tipLinkId = 0;         // the link whose tip texts are kept
    QString m_tipText;
    QByteArray m_tipRtf;

    int m_stripeWidthNeeded = 10;
    int m_memoWidth = BrowserLayout::MinMarginWidth;
    int m_paragraphWidth = BrowserLayout::MinMarginWidth;
    bool m_codesLeft = true;
    int m_codesWidth = 115;
    bool m_showLabels = true;
    int m_textLength = 0;
    int m_stripeIterator = 0;
    int m_memoIterator = 0;
    int m_linkIterator = 0;
    int m_markIterator = 0;
    int m_laneCount = 0;
    qint32 m_hotCoding = 0;
    ContextSearchHits m_hits;
    QList<qint32> m_hitPages;  ///< PDF: the page (from 1) of each hit
    qint32 m_dropKeys = 0;  // ModifierKey bits of the drag event being handled
    bool m_tableEdited = false;       // a cell changed since the last commit
    QList<TableHit> m_tableHits;      // the context search's hits in the table
};
