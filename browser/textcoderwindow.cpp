// The browser window: its children, the pane interface, opening and closing
// documents, the document tabs, the view state and the layout.

#include "browser/textcoderwindow.h"

#include "browser/browserids.h"
#include "document/documentids.h"
#include "document/requestowner.h"
#include "foundation/dragobject.h"
#include "store/rowbuffer.h"
#include "store/storeids.h"
#include "ui/sidecolumng.h"

#include <QAbstractTextDocumentLayout>
#include <QDropEvent>
#include <QHeaderView>
#include <QPainter>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTabBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

#include <algorithm>
#include <cmath>

namespace {

constexpr char kDocTabsKey[] = "DocTabs";

/// The control's zoom step for a stored scale factor (1.0 is no zoom).
int ZoomStepOf(double scale)
{
    if (!(scale > 0) || std::abs(scale - 1.0) < 1e-6)
        return 0;
    const double step = scale >= 1.0 ? 64.0 - 64.0 / scale : 64.0 * scale - 64.0;
    return std::clamp(int(std::lround(step)), CSideColumnG::kZoomMin, CSideColumnG::kZoomMax);
}

double ScaleOf(int step)
{
    if (step == 0)
        return 1.0;
    return step > 0 ? 64.0 / (64.0 - step) : (64.0 + step) / 64.0;
}

}  // namespace

TextCoderWindow::TextCoderWindow(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    m_tabs = new QTabBar(this);
    m_tabs->setDrawBase(false);
    m_tabs->setExpanding(false);
    m_tabs->hide();
    connect(m_tabs, &QTabBar::tabBarClicked, this, &TextCoderWindow::OnTabClicked);

    m_headerModel = new QStandardItemModel(0, 2, this);
    // The two items name nothing: the codes column and the text column.
    m_headerModel->setHorizontalHeaderLabels({QString(), QString()});
    m_header = new QHeaderView(Qt::Horizontal, this);
    m_header->setModel(m_headerModel);
    m_header->setSectionsMovable(true);
    m_header->setStretchLastSection(false);
    m_header->setFixedHeight(BrowserLayout::HeaderHeight);
    m_header->setProperty("controlId", BrowserControl::Header);
    connect(m_header, &QHeaderView::sectionMoved, this, [this] { OnHeaderMoved(); });
    connect(m_header, &QHeaderView::sectionResized, this, [this](int item, int, int width) {
        if (!m_layoutSuspended)
            OnHeaderEndTrack(item, width);
    });
    connect(m_header, &QHeaderView::sectionHandleDoubleClicked, this, [this] { OnHeaderDividerDblClick(); });

    m_text = new CSideColumnG(this);
    m_text->Create(kStyleChild | kStyleVisible | kStyleVScroll | kStyleMultiline | kStyleReadOnly | kStyleNoHideSel,
                   QRect(), this, BrowserControl::Text);
    m_text->SetOwner(this);
    m_text->document()->setUndoRedoEnabled(true);
    connect(m_text->document(), &QTextDocument::contentsChange, this, &TextCoderWindow::OnContentsChange);
    connect(m_text, &CRichEditWnd::LinkClicked, this, &TextCoderWindow::OnLinkClicked);
    m_text->setAcceptDrops(true);
    m_text->viewport()->installEventFilter(this);
    // The tip of a link shows while the mouse rests over it.
    m_text->viewport()->setMouseTracking(true);
    m_linkTip.Create(this);
    m_linkTip.SetTipsEnabled(true);

    m_memoMargin = new CChartWndE(this);
    m_memoMargin->SetOwner(this);
    m_memoMargin->SetControlId(BrowserControl::MemoMargin);
    m_memoMargin->SetMemos(&m_memoMarks);

    m_stripeMargin = new CChartWndC(this);
    m_stripeMargin->SetOwner(this);
    m_stripeMargin->SetControlId(BrowserControl::StripeMargin);
    m_stripeMargin->SetStripes(&m_stripeRecords);

    m_paragraphMargin = new CChartWndF(this);
    m_paragraphMargin->SetOwner(this);
    m_paragraphMargin->SetControlId(BrowserControl::ParagraphMargin);
    m_paragraphMargin->SetTextControl(m_text);
    m_paragraphMargin->SetSource(&m_paragraphs);
    m_paragraphMargin->SetMediaMarks(&m_markBands, 0);
    m_paragraphMargin->m_showGeoStrip = false;

    LoadSettings();
    LayoutChildren();
}

TextCoderWindow::~TextCoderWindow()
{
    // Storing the settings and closing may reach the registry: leave it first.
    LeaveRegistry();
    SaveSettings();
    m_stripeMargin->SetStripes(nullptr);
    m_memoMargin->SetMemos(nullptr);
    m_paragraphMargin->SetSource(nullptr);
    m_paragraphMargin->SetMediaMarks(nullptr, 0);
}

// ---- Requests to the owner ---------------------------------------------------

void TextCoderWindow::Request(NotifyHead& record)
{
    // The children's requests go on as they came, with their own sender.
    if (RequestOwner* owner = GetOwner())
        owner->Request(record);
}

QString TextCoderWindow::ProjectIdentity() const
{
    return GetOwner() ? GetOwner()->ProjectIdentity() : QString();
}

bool TextCoderWindow::RequestFromParent(ListNotifyInfo& info)
{
    return QueryOwner(info);
}

bool TextCoderWindow::ReadRecord(qint32 topic, qint32 id, const std::function<bool(RowBuffer&)>& take)
{
    RecordNotifyInfo info;
    info.topic = topic;
    info.key = id;
    // Only a link's blob (its target) is shown; a coding's segment text is
    // streamed anew from the text when its edit is written back.
    info.readBlobs = topic == TopicId::Links;
    SendToOwner(info);
    return info.found && !info.row.IsEmpty() && take(info.row);
}

QString TextCoderWindow::ReadSetting(const QString& key)
{
    SettingNotifyInfo info(RequestCode::ReadSetting);
    info.key = key;
    SendToOwner(info);
    return info.result ? info.value : QString();
}

void TextCoderWindow::WriteSetting(const QString& key, const QString& value)
{
    SettingNotifyInfo info(RequestCode::WriteSetting);
    info.key = key;
    info.value = value;
    SendToOwner(info);
}

// ---- Pane interface -----------------------------------------------------------

bool TextCoderWindow::IsShown(qint32 topic, qint32 id)
{
    switch (topic) {
    case TopicId::Documents:
    case BroadcastKind::OpenDocumentItems:
        return m_shownId != 0 && id == m_shownId;
    case BroadcastKind::DocumentTabs:
        return true;
    case TopicId::Codings:
        return std::any_of(m_stripes.cbegin(), m_stripes.cend(), [id](const StripeItem& s) { return s.row.ID == id; });
    case TopicId::Memos:
        return std::any_of(m_memos.cbegin(), m_memos.cend(), [id](const InTextMemoItem& m) { return m.row.ID == id; });
    case TopicId::Links:
        return FindLinkById(id) >= 0;
    case TopicId::MediaMarks:
        return m_timeMarks && std::any_of(m_timeMarks->cbegin(), m_timeMarks->cend(),
                                          [id](const TimeMarkItem& m) { return m.id == id; });
    default:
        return false;
    }
}

bool TextCoderWindow::OnObjectsAdded(qint32 topic, const QList<quint32>& ids, qint32 parentTopic, qint32 parentId)
{
    if (ids.isEmpty() || (parentTopic != TopicId::Documents && parentTopic != BroadcastKind::OpenDocumentItems)
        || parentId != m_shownId || m_shownId == 0)
        return false;
    int taken = 0;
    // A record that cannot be read is skipped.
    for (const quint32 id : ids)
        taken += TakeRecord(topic, qint32(id), false, false);
    if (topic == TopicId::Codings) {
        if (!m_batchUpdate) {
            Refresh(true);
            RedrawCodingStripes();
        }
    } else if (topic == TopicId::Memos) {
        Refresh(true);
    } else if (topic == TopicId::Links) {
        UpdateLinkEffects();
    }
    return taken > 0;
}

bool TextCoderWindow::OnObjectAdded(qint32 topic, qint32 id, qint32, qint32 parentTopic, qint32 parentId, bool)
{
    if ((parentTopic != TopicId::Documents && parentTopic != BroadcastKind::OpenDocumentItems) || parentId != m_shownId
        || m_shownId == 0)
        return false;
    // During a batch the frame lays out once at the end.
    return TakeRecord(topic, id, topic == TopicId::Codings ? !m_batchUpdate : true, false);
}

bool TextCoderWindow::TakeRecord(qint32 topic, qint32 id, bool layout, bool update)
{
    return ReadRecord(topic, id, [&](RowBuffer& row) {
        if (topic == TopicId::Codings) {
            CodingRecord record;
            return CodingRecordFromRow(row, record)
                   && (update ? UpdateStripe(record, layout) : AddStripe(record, layout));
        }
        if (topic == TopicId::Memos) {
            MemoRow memo;
            return MemoRowFromRow(row, memo) && (update ? UpdateMemoItem(memo, layout) : AddMemoItem(memo, layout));
        }
        if (topic == TopicId::Links) {
            LinkRow link;
            return LinkRowFromRow(row, link) && (update ? UpdateLinkItem(link) : AddLinkItem(link, layout));
        }
        return false;
    });
}

void TextCoderWindow::ResetContent()
{
    ClearDocument(true, true);
    NotifyContextSearch(ContextSearchCode::Reset);
    while (m_tabs->count() > 0)
        m_tabs->removeTab(0);
    m_tabs->hide();
    LayoutChildren();
}

void TextCoderWindow::OnObjectDeleted(qint32 topic, qint32 id)
{
    switch (topic) {
    case TopicId::Documents: {
        const int tab = TabOf(id);
        if ((tab >= 0 && m_tabs->count() > 1) || id != m_shownId) {
            if (tab < 0)
                return;
            const bool shown = id == m_shownId;
            m_tabs->removeTab(tab);
            m_tabs->setVisible(m_tabs->count() > 1);
            if (shown && m_tabs->count() > 0) {
                // The neighbour takes the place of the deleted document.
                const qint32 neighbour = m_tabs->tabData(std::min(tab, m_tabs->count() - 1)).toInt();
                ClearDocument(false, true);
                OpenDocument(TopicId::Documents, neighbour, OpenMode::ActiveTab);
            }
            LayoutChildren();
            return;
        }
        ClearDocument(true, true);
        if (tab >= 0)
            m_tabs->removeTab(tab);
        return;
    }
    case TopicId::Codings:
        RemoveStripe(id, true);
        return;
    case TopicId::Memos:
        RemoveMemoItem(id, true);
        return;
    case TopicId::Links:
        RemoveLinkItem(id);
        return;
    case BroadcastKind::DocumentTabs:
        while (m_tabs->count() > 0)
            m_tabs->removeTab(0);
        m_tabs->hide();
        ClearDocument(false, true);
        return;
    default:
        return;
    }
}

void TextCoderWindow::OnObjectChanged(qint32 topic, qint32 id)
{
    switch (topic) {
    case TopicId::Documents: {
        const int tab = TabOf(id);
        if (id != m_shownId && tab < 0)
            return;
        ListNotifyInfo info;
        info.topic = TopicId::Documents;
        info.itemId = id;
        info.mask = BrowserRequest::DocumentChanged;
        if (!RequestFromParent(info))
            return;
        if (id == m_shownId)
            SetCaptionText(info.name);
        if (tab >= 0)
            m_tabs->setTabText(tab, info.secondText);
        return;
    }
    case TopicId::Codings:
    case TopicId::Memos:
    case TopicId::Links:
        TakeRecord(topic, id, true, true);
        return;
    case BroadcastKind::DocumentTabs:
        RestoreDocTabs();
        return;
    default:
        return;
    }
}

namespace {

/// Kinds that may be dropped on the browser: a document, group, set or set
/// member opens its documents; a code codes the selection.
bool IsBrowserDropKind(qint32 kind)
{
    return (kind >= TopicId::DocumentGroups && kind <= TopicId::DocumentSetMembers) || kind == TopicId::Codes;
}

}  // namespace

Qt::DropAction TextCoderWindow::OnDragOver(qint32 draggedKind, qint32 draggedId, QPoint screenPos)
{
    if (!IsBrowserDropKind(draggedKind))
        return Qt::IgnoreAction;
    const qint32 answer = RequestDrop(false, screenPos, m_dropKeys, draggedKind, draggedId, BrowserKind::Selection, 0);
    return answer == 1 ? Qt::CopyAction : answer == 2 ? Qt::MoveAction : Qt::IgnoreAction;
}

bool TextCoderWindow::OnDrop(qint32 draggedKind, qint32 draggedId, QPoint screenPos)
{
    if (!IsBrowserDropKind(draggedKind))
        return false;
    return RequestDrop(true, screenPos, m_dropKeys, draggedKind, draggedId, BrowserKind::Selection, 0) != 0;
}

bool TextCoderWindow::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (watched == m_text->viewport())
        LinkMouseEvent(event);
    if (watched != m_text->viewport()
        || (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop))
        return QWidget::eventFilter(watched, event);
    // Only payloads of this program and project are ours; anything else
    // (text dragged in edit mode) is the text control's.
    auto* drag = static_cast<QDropEvent*>(event);
    CDragObject payload;
    if (CDragObject::ReadMimeData(drag->mimeData(), ProjectIdentity(), payload) != CDragObject::ReadResult::Accepted
        || !IsBrowserDropKind(payload.m_kind))
        return QWidget::eventFilter(watched, event);
    const QPoint screenPos = m_text->viewport()->mapToGlobal(drag->position().toPoint());
    m_dropKeys = ModifierKeysOf(drag->modifiers());
    if (type == QEvent::Drop) {
        if (OnDrop(payload.m_kind, payload.m_id, screenPos))
            drag->acceptProposedAction();
        else
            drag->ignore();
    } else {
        const Qt::DropAction effect = OnDragOver(payload.m_kind, payload.m_id, screenPos);
        if (effect == Qt::IgnoreAction) {
            drag->ignore();
        } else {
            drag->setDropAction(effect);
            drag->accept();
        }
    }
    m_dropKeys = 0;
    return true;
}

void TextCoderWindow::SelectObject(qint32 topic, qint32 id, qint32 flag)
{
    if (topic != TopicId::MediaMarks || flag != 1 || !m_timeMarks || !IsTextDocument())
        return;
    for (qsizetype i = 0; i < m_timeMarks->size(); ++i) {
        if (m_timeMarks->at(i).id != id)
            continue;
        const int start = m_timeMarks->at(i).position;
        const int end = i + 1 < m_timeMarks->size() ? m_timeMarks->at(i + 1).position : GetTextLength();
        m_text->SetSel(start, end);
        m_paragraphMargin->repaint();
        return;
    }
}

// ---- Opening and closing -------------------------------------------------------

bool TextCoderWindow::OpenDocument(qint32 topic, qint32 id, qint32 mode)
{
    if (topic != TopicId::Documents || id == 0 || id == m_shownId)
        return false;
    if (mode == OpenMode::TabOnly) {
        if (TabOf(id) >= 0)
            return true;
        ListNotifyInfo tab;
        tab.topic = TopicId::Documents;
        tab.itemId = id;
        tab.mask = BrowserRequest::AddTab;
        if (RequestFromParent(tab)) {
            InsertTab(0, id, tab, false);
            m_tabs->setVisible(m_tabs->count() > 1);
            LayoutChildren();
        }
        return true;
    }
    if (m_shownId != 0)
        SaveViewState(true);
    ListNotifyInfo answer;
    answer.topic = TopicId::Documents;
    answer.itemId = id;
    answer.mask = BrowserRequest::OpenDocument;
    if (!RequestFromParent(answer))
        return false;

    m_loading = true;
    ClearDocument(false, answer.content.isEmpty());
    UpdateTabs(id, mode, answer);
    SetCaptionText(answer.name);
    SwitchChildren(answer.documentType);
    LoadContent(answer);
    const int stored = answer.viewState.codesWndWidth;
    m_codesWidth = stored == 0 ? BrowserLayout::DefaultCodesWidth : stored;
    Refresh(true);
    m_shownId = id;
    m_loading = false;
    ApplyViewValues(answer.viewState);
    emit PageChanged();
    NotifyContextSearch(ContextSearchCode::SearchAgain);
    return true;
}

void TextCoderWindow::UpdateTabs(qint32 id, qint32 mode, const ListNotifyInfo& answer)
{
    const int existing = TabOf(id);
    if (existing >= 0) {
        m_tabs->setCurrentIndex(existing);
    } else if (mode == OpenMode::ActiveTab && m_tabs->count() > 0) {
        // The active tab now shows this document.
        const int current = std::max(0, m_tabs->currentIndex());
        m_tabs->setTabData(current, id);
        m_tabs->setTabText(current, answer.secondText);
    } else {
        InsertTab(0, id, answer, true);
    }
    m_tabs->setVisible(m_tabs->count() > 1);
}

int TextCoderWindow::TabOf(qint32 id) const
{
    for (int i = 0; i < m_tabs->count(); ++i)
        if (m_tabs->tabData(i).toInt() == id)
            return i;
    return -1;
}

void TextCoderWindow::InsertTab(int index, qint32 id, const ListNotifyInfo& answer, bool select)
{
    const QSignalBlocker block(m_tabs);
    const int tab = m_tabs->insertTab(index, answer.secondText);
    m_tabs->setTabData(tab, id);
    if (select)
        m_tabs->setCurrentIndex(tab);
}

void TextCoderWindow::OnTabClicked(int index)
{
    if (index < 0)
        return;
    const qint32 id = m_tabs->tabData(index).toInt();
    if (id == m_shownId)
        return;
    // The frame commits pending edits and shows the document.
    IdListNotifyInfo info(RequestCode::OpenItem);
    info.kind = TopicId::Documents;
    info.itemId = id;
    info.sourceFlags = 0x200;
    SendToOwner(info);
}

void TextCoderWindow::ClearDocument(bool repaint, bool close)
{
    if (close)
        CloseShownDocument();
    m_stripes.clear();
    m_stripeRecords.clear();
    m_memos.clear();
    m_memoMarks.clear();
    m_links.clear();
    m_linkTip.Hide();
    m_tipLinkId = 0;
    m_pendingLinkId = 0;
    m_pressedLink = -1;
    m_paragraphs = ParagraphTables();
    m_paragraphMap.clear();
    m_hits.Reset();
    m_tableHits.clear();
    m_tableEdited = false;
    m_stripeIterator = m_memoIterator = m_linkIterator = m_markIterator = 0;
    m_laneCount = 0;
    m_hotCoding = 0;
    m_memoWidth = BrowserLayout::MinMarginWidth;
    m_codesWidth = std::max(m_codesWidth, BrowserLayout::MinMarginWidth);
    m_text->SetOwnerSelections({});
    m_stripeMargin->SetStripes(&m_stripeRecords);
    m_shownId = 0;
    LayoutChildren();
    if (repaint)
        InvalidateAll();
}

void TextCoderWindow::CloseShownDocument()
{
    m_kind = NoDocument;
    if (m_viewer) {
        m_viewer->Close();
        m_viewer->Widget()->hide();
    }
    const bool wasLoading = std::exchange(m_loading, true);
    m_text->SetEditable(false);
    // An empty text, not a null one: a null text leaves the control as it is.
    m_text->SetText(QStringLiteral(""));
    m_text->document()->clearUndoRedoStacks();
    m_text->show();
    m_loading = wasLoading;
    m_modified = false;
    SetCaptionText(QString());
}

void TextCoderWindow::SwitchChildren(qint32 kind)
{
    m_kind = kind;
    if (kind == RichText || kind < RichText || kind > Table) {
        m_kind = RichText;
        if (m_viewer) {
            m_viewer->Close();
            m_viewer->Widget()->hide();
        }
        m_text->show();
        m_textLength = 0;
        m_paragraphWidth = BrowserLayout::MinMarginWidth;
        return;
    }
    if (!m_viewer || m_viewerKind != kind) {
        m_viewer.reset();
        if (m_viewerFactory)
            m_viewer = m_viewerFactory(kind, this);
        if (m_viewer)
            m_viewer->SetHost(this);
        m_viewerKind = kind;
        if (kind == Table)
            ConnectTableView();
    }
    m_text->hide();
    m_text->SetText(QString());
    if (m_viewer)
        m_viewer->Widget()->show();
    m_paragraphWidth = 0;
}

void TextCoderWindow::LoadContent(const ListNotifyInfo& answer)
{
    if (m_kind != RichText) {
        if (m_viewer)
            m_viewer->Load(answer.content, m_kind, answer.zoom, answer.viewState);
        return;
    }
    m_text->setUpdatesEnabled(false);
    // Zoom and background first: changing them lays the whole text out again.
    m_text->SetZoom(ZoomStepOf(answer.zoom));
    if (m_text->BackgroundColor() != 0x00FFFFFF)
        m_text->SetBackgroundColor(0x00FFFFFF);
    m_text->StreamInRtf(&answer.content, false);
    m_text->document()->clearUndoRedoStacks();
    m_hasTables = false;
    for (QTextFrame* frame : m_text->document()->rootFrame()->childFrames())
        m_hasTables = m_hasTables || qobject_cast<QTextTable*>(frame);
    m_textLength = GetTextLength();
    RebuildParagraphs();
    m_text->setUpdatesEnabled(true);
}

void TextCoderWindow::ApplyViewValues(const DocumentViewState& view)
{
    if (m_kind != RichText)
        return;
    m_text->setUpdatesEnabled(false);
    m_text->SetSel(std::clamp(view.selY1, 0, GetTextLength()), std::clamp(view.selY2, 0, GetTextLength()));
    // The first visible line: lines the layout has not reached yet count
    // one per paragraph.
    const QTextBlock block = m_text->document()->findBlockByLineNumber(std::max(0, view.scrollPosY));
    if (block.isValid()) {
        const QRectF rect = m_text->document()->documentLayout()->blockBoundingRect(block);
        int top = int(rect.top());
        if (const QTextLayout* lines = block.layout(); lines && lines->lineCount() > 0) {
            const int line = std::clamp(view.scrollPosY - block.firstLineNumber(), 0, lines->lineCount() - 1);
            top += int(lines->lineAt(line).y());
        }
        m_text->verticalScrollBar()->setValue(top);
    }
    m_text->setUpdatesEnabled(true);
    Refresh(false);
}

void TextCoderWindow::SaveViewState(bool withContent)
{
    Q_UNUSED(withContent);   // only the table view stores its content with the view
    if (m_shownId == 0 || !HasDocument())
        return;
    ListNotifyInfo info;
    info.topic = TopicId::Documents;
    info.itemId = m_shownId;
    info.mask = ListNotifyMask::View;
    info.query = false;
    if (m_kind == RichText) {
        info.zoom = ScaleOf(m_text->ZoomStep());
        int start = 0;
        int end = 0;
        m_text->GetSel(start, end);
        const QTextCursor top = m_text->cursorForPosition(QPoint(0, 0));
        const QTextBlock block = top.block();
        int line = block.firstLineNumber();
        if (const QTextLayout* lines = block.layout(); lines && lines->lineCount() > 0)
            line += std::max(0, lines->lineForTextPosition(top.positionInBlock()).lineNumber());
        info.viewState = {m_codesWidth, 1, 0, line, 1, 0, start, 0, end};
    } else if (m_viewer) {
        m_viewer->SaveView(info.zoom, info.viewState);
        info.viewState.codesWndWidth = m_codesWidth;
    }
    SendToOwner(info);
}

void TextCoderWindow::RestoreViewState()
{
    if (m_shownId == 0 || m_kind != RichText)
        return;
    ListNotifyInfo info;
    info.topic = TopicId::Documents;
    info.itemId = m_shownId;
    info.mask = ListNotifyMask::View;
    if (RequestFromParent(info))
        ApplyViewValues(info.viewState);
    m_text->viewport()->update();
}

void TextCoderWindow::SaveDocTabs()
{
    QString value;
    for (int i = 0; i < m_tabs->count(); ++i)
        value += QStringLiteral("%1|").arg(m_tabs->tabData(i).toInt());
    if (m_tabs->count() > 0)
        value += QStringLiteral("%1|").arg(m_tabs->tabData(std::max(0, m_tabs->currentIndex())).toInt());
    WriteSetting(QString::fromLatin1(kDocTabsKey), value);
}

void TextCoderWindow::RestoreDocTabs()
{
    if (m_tabs->count() > 0)
        return;
    QList<qint32> ids;
    for (const QString& part : ReadSetting(QString::fromLatin1(kDocTabsKey)).split(QLatin1Char('|'), Qt::SkipEmptyParts)) {
        bool ok = false;
        const qint32 id = part.trimmed().toInt(&ok);
        if (ok)
            ids.append(id);
    }
    qint32 active = 0;
    if (ids.size() > 1)
        active = ids.takeLast();
    for (qsizetype i = ids.size() - 1; i >= 0; --i) {
        if (TabOf(ids[i]) >= 0)
            continue;
        ListNotifyInfo tab;
        tab.topic = TopicId::Documents;
        tab.itemId = ids[i];
        tab.mask = BrowserRequest::RestoreTab;
        if (RequestFromParent(tab))
            InsertTab(0, ids[i], tab, false);
    }
    m_tabs->setVisible(m_tabs->count() > 1);
    if (active != 0 && TabOf(active) >= 0) {
        const QSignalBlocker block(m_tabs);
        m_tabs->setCurrentIndex(TabOf(active));
    }
    LayoutChildren();
}

void TextCoderWindow::SetCaptionText(const QString& text)
{
    if (m_caption == text)
        return;
    m_caption = text;
    setWindowTitle(text);
}

// ---- Layout --------------------------------------------------------------------

void TextCoderWindow::LayoutChildren()
{
    const QRect client = rect().adjusted(1, 1, -1, -1);
    if (client.width() <= 0)
        return;
    int top = client.top();
    if (m_tabs->isVisible()) {
        const int height = m_tabs->sizeHint().height();
        m_tabs->setGeometry(client.left(), top, client.width(), height);
        top += height;
    }
    const int width = client.width();
    int codes = std::max(m_codesWidth, BrowserLayout::MinMarginWidth);
    if (width > BrowserLayout::HalfWidthAbove)
        codes = std::min(codes, width / 2);
    m_codesWidth = codes;
    const int textWidth = width - codes;
    {
        // Sizing the header items must not read back as a user's drag.
        const bool wasSuspended = std::exchange(m_layoutSuspended, true);
        m_header->setGeometry(client.left(), top, width, BrowserLayout::HeaderHeight);
        m_header->resizeSection(0, codes);
        m_header->resizeSection(1, textWidth);
        m_layoutSuspended = wasSuspended;
    }
    const int childTop = top + BrowserLayout::HeaderHeight + 1;
    const int height = std::max(0, client.bottom() + 1 - childTop);
    const int codesLeft = m_codesLeft ? client.left() : client.left() + textWidth;
    const int textLeft = m_codesLeft ? client.left() + codes : client.left();
    m_stripeMargin->setGeometry(codesLeft + 1, childTop, codes - (m_codesLeft ? 1 : 0) - 1, height);
    m_stripeMargin->m_lanesFromLeft = !m_codesLeft;
    int x = textLeft + 1;
    m_memoMargin->setGeometry(x, childTop, std::max(0, m_memoWidth - 1), height);
    x += m_memoWidth;
    const int paragraphWidth = m_kind == RichText || m_kind == NoDocument ? m_paragraphWidth : 0;
    m_paragraphMargin->setVisible(paragraphWidth >= 1);
    if (paragraphWidth >= 1) {
        m_paragraphMargin->m_numberWidth = paragraphWidth - 1;
        const int full = paragraphWidth - 1 + (m_paragraphMargin->m_showMediaColumn ? m_paragraphMargin->m_mediaWidth : 0)
                         + (m_paragraphMargin->m_showGeoStrip ? m_paragraphMargin->m_geoStripWidth : 0);
        m_paragraphMargin->setGeometry(x, childTop, full, height);
        x += full + 1;
    }
    const QRect viewer(x, childTop, std::max(0, textLeft + textWidth - x - (m_codesLeft ? 0 : 1)), height);
    m_text->setGeometry(viewer);
    if (m_viewer)
        m_viewer->Widget()->setGeometry(viewer);
}

void TextCoderWindow::Refresh(bool full)
{
    if (!m_layoutSuspended)
        LayoutChildren();
    const bool memoWidthChanged = LayoutMemos();
    if (memoWidthChanged && !m_layoutSuspended)
        LayoutChildren();
    ApplyStripeFilters();
    UpdateStripeLines();
    LayoutStripeLanes();
    PositionStripes();
    if (!m_layoutSuspended)
        LayoutChildren();
    LayoutParagraphPositions();
    LayoutTimeMarks();
    if (full && !m_layoutSuspended)
        InvalidateAll();
}

void TextCoderWindow::InvalidateAll()
{
    m_header->viewport()->update();
    m_stripeMargin->update();
    m_memoMargin->update();
    m_paragraphMargin->update();
    m_text->viewport()->update();
    update();
}

void TextCoderWindow::FocusView()
{
    if (m_kind == RichText)
        m_text->setFocus();
    else if (m_viewer)
        m_viewer->Widget()->setFocus();
}

void TextCoderWindow::focusInEvent(QFocusEvent*)
{
    FocusView();
}

void TextCoderWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    LayoutChildren();
    if (width() > BrowserLayout::HalfWidthAbove)
        Refresh(true);
}

void TextCoderWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    // Separators beside the margins.
    const int top = m_stripeMargin->geometry().top();
    for (const QWidget* child : {static_cast<QWidget*>(m_memoMargin), static_cast<QWidget*>(m_paragraphMargin),
                                 static_cast<QWidget*>(m_stripeMargin)})
        if (child->isVisible())
            painter.drawLine(child->geometry().right() + 1, top, child->geometry().right() + 1, height());
}

int TextCoderWindow::GetTextLength() const
{
    if (m_kind == Table)
        return TableView() ? TableView()->TextLength() : 0;
    return m_kind == RichText ? FromDoc(DocumentLength()) : 0;
}

bool TextCoderWindow::GetDocumentBytes(QByteArray& bytes) const
{
    bytes.clear();
    if (m_kind == Table)
        return TableView() && TableView()->SaveToBytes(bytes);
    return WriteRichTextTo(bytes);
}

bool TextCoderWindow::WriteRichTextTo(QByteArray& bytes) const
{
    if (m_kind != RichText)
        return false;
    QByteArray rtf;
    m_text->StreamOutRtf(&rtf, false, true);
    bytes += rtf;
    return true;
}
