#include "retrieval/segmentsctrl.h"

#include "document/kordoc.h"
#include "foundation/messageservice.h"
#include "foundation/programpaths.h"
#include "foundation/stringstore.h"
#include "platform/profile/privateprofile.h"
#include "platform/rtf/richtextmap.h"
#include "platform/rtf/rtfreader.h"
#include "platform/rtf/rtfwriter.h"
#include "retrieval/retrievalids.h"
#include "store/fieldvalue.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"
#include "ui/dragstripwnd.h"
#include "ui/headerctrl.h"
#include "ui/printengine.h"
#include "ui/textpaneex.h"

#include <QAbstractTextDocumentLayout>
#include <QDesktopServices>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QSaveFile>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QTimer>
#include <QUrl>

#include <algorithm>

namespace {

constexpr int kTextId = 7;
constexpr int kStripId = 98;
constexpr int kHeaderId = 505;
constexpr int kMemoMarginId = 516;
constexpr int kHeaderHeight = 14;
constexpr int kMinimumMemoWidth = 23;
constexpr int kMinimumStripWidth = 50;
constexpr int kMaximumStripWidth = 200;
constexpr int kKindEmptyStrip = 14;
constexpr int kPreviewUnits = 63;
constexpr int kPictureWidth = 400;
constexpr int kBoxGap = 8;
constexpr int kGlyphSize = 12;
constexpr COLORREF kBoxColour = MakeColor(255, 255, 200);
// The header's columns by their logical index.
constexpr int kStripColumn = 0;
constexpr int kTextColumn = 1;
const QString kSection = QStringLiteral("SegmentsCtrl");
const QString kSettingsKey = QStringLiteral("Settings");

// The strip's line icons: 0 group, 1 code, 2 paragraphs, 3 + the document
// kind (rich text, PDF, picture, table).
QList<QPixmap> StripGlyphs()
{
    QList<QPixmap> glyphs;
    const auto glyph = [&glyphs](const std::function<void(QPainter&)>& draw) {
        QPixmap picture(kGlyphSize, kGlyphSize);
        picture.fill(Qt::transparent);
        QPainter painter(&picture);
        draw(painter);
        glyphs << picture;
    };
    glyph([](QPainter& p) {  // group: a folder
        p.fillRect(1, 3, 10, 8, QColor(235, 190, 70));
        p.fillRect(1, 2, 4, 2, QColor(235, 190, 70));
        p.setPen(QColor(150, 110, 30));
        p.drawRect(1, 3, 9, 7);
    });
    glyph([](QPainter& p) {  // code
        p.fillRect(2, 2, 8, 8, QColor(200, 60, 60));
        p.setPen(QColor(120, 30, 30));
        p.drawRect(2, 2, 7, 7);
    });
    glyph([](QPainter& p) {  // paragraphs
        p.setPen(QColor(110, 110, 110));
        for (int y = 2; y <= 10; y += 3)
            p.drawLine(1, y, y == 8 ? 7 : 10, y);
    });
    const QColor kinds[] = {QColor(70, 120, 210), QColor(200, 40, 40), QColor(60, 150, 70), QColor(120, 90, 160)};
    for (const QColor& colour : kinds) {
        glyph([&colour](QPainter& p) {  // a page in the kind's colour
            p.fillRect(2, 1, 8, 10, Qt::white);
            p.setPen(colour);
            p.drawRect(2, 1, 7, 9);
            p.drawLine(4, 4, 7, 4);
            p.drawLine(4, 7, 7, 7);
        });
    }
    return glyphs;
}

QList<QPixmap> MemoIcons()
{
    QPixmap icon(12, 14);
    icon.fill(QColor(250, 220, 80));
    QPainter painter(&icon);
    painter.setPen(QColor(150, 120, 30));
    painter.drawRect(0, 0, 11, 13);
    for (int y = 4; y < 12; y += 3)
        painter.drawLine(2, y, 9, y);
    return {icon};
}

// At most 63 units of a segment's text, with its breaks and tabs as spaces.
QString PreviewOf(const QString& text, int start, int end)
{
    QString preview = text.mid(start, std::min(kPreviewUnits, end - start));
    for (QChar& unit : preview)
        if (unit == QLatin1Char('\r') || unit == QChar(0x000B) || unit == QLatin1Char('\t'))
            unit = QLatin1Char(' ');
    return preview;
}

qint32 IntOf(RowBuffer& row, qint32 fieldId)
{
    FieldValue value;
    return row.GetFieldValue(fieldId, value) ? value.GetInt() : 0;
}

}  // namespace

SegmentsCtrl::SegmentsCtrl(QWidget* parent) : QWidget(parent), m_glyphs(StripGlyphs())
{
    setFocusPolicy(Qt::StrongFocus);
    m_text = new CTextPaneEx(this);
    m_text->Create(QRect(), this, kTextId);
    m_text->SetOwner(this);
    m_text->m_scrollSync = true;
    m_text->setFrameShape(QFrame::NoFrame);
    m_text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_text->document()->setUndoRedoEnabled(false);
    m_text->installEventFilter(this);

    m_headerModel = new QStandardItemModel(0, 2, this);
    m_headerModel->setHorizontalHeaderLabels({QString(), QString()});
    auto* header = new CHeaderCtrlEx(this);
    // The two columns show their glyphs (source, segment), no captions.
    CHeaderCtrlEx::Look look = header->GetLook();
    look.showGlyphs = true;
    look.drawCaptions = false;
    header->SetLook(look);
    m_header = header;
    m_header->setProperty("controlId", kHeaderId);
    m_header->setModel(m_headerModel);
    m_header->setSectionsMovable(true);
    m_header->setSectionResizeMode(QHeaderView::Interactive);
    m_header->setMinimumSectionSize(1);
    m_header->setFixedHeight(kHeaderHeight);
    QFont headerFont = m_header->font();
    headerFont.setPixelSize(kHeaderHeight - 4);
    m_header->setFont(headerFont);
    connect(m_header, &QHeaderView::sectionMoved, this, [this] {
        // As a posted command, once the header has finished its move.
        QTimer::singleShot(0, this, [this] { OnPaneCommand(SegmentsCommand::HeaderOrder); });
    });
    connect(m_header, &QHeaderView::sectionResized, this, &SegmentsCtrl::HeaderResized);
    connect(m_header, &QHeaderView::sectionHandleDoubleClicked, this, [this] {
        if (m_strip->FitWidth(false)) {
            m_stripWidthChosen = true;
            m_stripWidth = m_strip->width();
            Relayout();
        }
    });

    m_strip = new CDragStripWnd(this);
    m_strip->Create(QRect(), this, kStripId);
    m_strip->SetOwner(this);
    m_strip->SetTextControl(m_text);
    m_strip->SetGlyphs(m_glyphs);
    m_strip->SetLineMetrics(kGlyphSize, kGlyphSize);

    m_memoMargin = new CChartWndE(this);
    m_memoMargin->SetOwner(this);
    m_memoMargin->SetControlId(kMemoMarginId);
    m_memoMargin->SetImages(MemoIcons());
    m_memoMargin->SetMemos(&m_memoMarks);

    ReadSettings();
    LayoutChildren();
}

SegmentsCtrl::~SegmentsCtrl()
{
    LeaveRegistry();
    WriteSettings();
}

// ---- Settings ----------------------------------------------------------------

void SegmentsCtrl::ReadSettings()
{
    const QString stored = g_program.ProfilePath.isEmpty()
                               ? QString()
                               : PrivateProfile(g_program.ProfilePath).GetString(kSection, kSettingsKey);
    const QStringList parts = stored.split(QLatin1Char(','));
    bool sideRead = false;
    bool widthRead = false;
    const int side = parts.value(0).trimmed().toInt(&sideRead);
    const int width = parts.value(1).trimmed().toInt(&widthRead);
    m_stripLeft = !(sideRead && side == 0);
    // The stored width is taken as it is: the clamp belongs to dragging.
    m_stripWidth = widthRead && width > 0 ? width : kMinimumStripWidth;
    m_stripWidthChosen = widthRead && width > 0;
    if (!m_stripLeft)
        m_header->moveSection(m_header->visualIndex(kTextColumn), 0);
}

void SegmentsCtrl::WriteSettings() const
{
    if (g_program.ProfilePath.isEmpty())
        return;
    PrivateProfile(g_program.ProfilePath)
        .WriteString(kSection, kSettingsKey, QStringLiteral("%1, %2").arg(m_stripLeft ? 1 : 0).arg(m_stripWidth));
}

// ---- Requests -------------------------------------------------------------------

void SegmentsCtrl::Request(NotifyHead& record)
{
    // The strip's clicks, menus and reads go to the owner as they are.
    if (m_owner)
        m_owner->Request(record);
}

bool SegmentsCtrl::Read(qint32 topic, qint32 id, Loaded& loaded, bool withText)
{
    RecordNotifyInfo info;
    info.topic = topic;
    info.key = id;
    info.readBlobs = withText;
    info.imageWidth = kPictureWidth;
    info.imageHeight = 0;
    SendRequest(m_owner, this, kControlId, info);
    if (!info.found || info.row.IsEmpty())
        return false;
    ShownSegment& segment = loaded.segment;
    segment.topic = topic;
    segment.coding = id;
    segment.document = IntOf(info.row, CodingField::Document);
    segment.code = IntOf(info.row, CodingField::Code);
    segment.start = IntOf(info.row, CodingField::StartChar);
    segment.end = IntOf(info.row, CodingField::FinishChar);
    segment.firstParagraph = IntOf(info.row, CodingField::StartPara);
    segment.lastParagraph = IntOf(info.row, CodingField::FinishPara);
    segment.weight = IntOf(info.row, CodingField::Weight);
    segment.areaLeft = IntOf(info.row, CodingField::PosX1);
    segment.areaRight = IntOf(info.row, CodingField::PosX2);
    segment.page = IntOf(info.row, CodingField::Page);
    segment.isText = IntOf(info.row, CodingField::IsText);
    segment.area = IntOf(info.row, CodingField::Area);
    FieldValue value;
    if (info.row.GetFieldValue(CodingField::Coverage, value))
        segment.coverage = value.GetReal();
    if (info.row.GetFieldValue(CodingField::Comment, value))
        segment.comment = value.GetText();
    segment.documentKind = info.documentKind;
    segment.documentName = DisplayText(TopicId::Documents, segment.document);
    segment.codePath = segment.code != 0 ? DisplayText(TopicId::Codes, segment.code) : QString();
    loaded.rtf = info.text;
    if (!segment.isText && info.imageMade)
        loaded.picture.loadFromData(info.image);
    return true;
}

QString SegmentsCtrl::DisplayText(qint32 topic, qint32 id)
{
    const quint64 key = (quint64(quint32(topic)) << 32) | quint32(id);
    const auto found = m_names.constFind(key);
    if (found != m_names.cend())
        return *found;
    ListNotifyInfo info;
    info.topic = topic;
    info.itemId = id;
    info.mask = ListNotifyMask::FullName;
    info.query = true;
    SendRequest(m_owner, this, kControlId, info);
    const QString text = info.handled ? info.name : QString();
    m_names.insert(key, text);
    return text;
}

Qt::DropAction SegmentsCtrl::RequestDrop(qint32 draggedKind, qint32 draggedId, QPoint screenPos, bool perform)
{
    DropNotifyInfo info;
    info.point = screenPos;
    info.perform = perform;
    info.draggedKind = draggedKind;
    info.draggedId = draggedId;
    info.targetKind = kKindEmptyStrip;
    info.targetId = 0;
    SendRequest(m_owner, this, kControlId, info);
    if (!info.handled)
        return Qt::IgnoreAction;
    return info.answer == 2 ? Qt::MoveAction : info.answer == 1 ? Qt::CopyAction : Qt::IgnoreAction;
}

Qt::DropAction SegmentsCtrl::OnDragOver(qint32 draggedKind, qint32 draggedId, QPoint screenPos)
{
    return RequestDrop(draggedKind, draggedId, screenPos, false);
}

bool SegmentsCtrl::OnDrop(qint32 draggedKind, qint32 draggedId, QPoint screenPos)
{
    return RequestDrop(draggedKind, draggedId, screenPos, true) != Qt::IgnoreAction;
}

// ---- The pane interface ----------------------------------------------------------

bool SegmentsCtrl::IsShown(qint32 topic, qint32 id)
{
    if (topic == TopicId::Codings && id == -1)
        return true;
    return (topic == TopicId::Codings || topic == TopicId::RetrievedSegments) && m_allIds.contains(id);
}

bool SegmentsCtrl::OnObjectsAdded(qint32 topic, const QList<quint32>& ids, qint32, qint32)
{
    if (topic != TopicId::Codings && topic != TopicId::RetrievedSegments)
        return false;
    if (!m_owner)
        return false;
    m_all.reserve(m_all.size() + ids.size());
    m_allIds.reserve(m_allIds.size() + ids.size());
    for (const quint32 id : ids) {
        if (!m_allIds.contains(qint32(id))) {
            m_allIds.insert(qint32(id));
            m_all.append({topic, qint32(id)});
        }
    }
    if (m_strip->ItemCount() < kFirstSegments)
        FillWindow();
    SlideIfNeeded();
    NotifyContextSearch(ContextSearchCode::SearchAgain);
    return true;
}

void SegmentsCtrl::ResetContent()
{
    Clear();
    NotifyContextSearch(ContextSearchCode::Reset);
}

bool SegmentsCtrl::OnObjectAdded(qint32 topic, qint32 id, qint32 after, qint32, qint32, bool select)
{
    if ((topic != TopicId::Codings && topic != TopicId::RetrievedSegments) || m_allIds.contains(id) || !m_owner)
        return false;
    int resultIndex = int(m_all.size());
    if (after >= 0) {
        const int afterIndex = IndexInResult(after);
        resultIndex = afterIndex >= 0 ? afterIndex + 1 : resultIndex;
    }
    if (resultIndex < m_first || resultIndex > m_first + m_strip->ItemCount()) {
        // Outside the window: read when the window comes to it.
        m_all.insert(resultIndex, {topic, id});
        m_allIds.insert(id);
        if (resultIndex < m_first)
            ++m_first;
        if (select)
            SelectObject(topic, id, 0);
        return true;
    }
    m_names.clear();
    QList<Loaded> segments(1);
    if (!Read(topic, id, segments.front()))
        return false;
    m_all.insert(resultIndex, {topic, id});
    m_allIds.insert(id);
    int start = 0;
    int end = 0;
    m_text->GetSel(start, end);
    const int index = resultIndex - m_first;
    const int firstScrolled = m_text->verticalScrollBar()->value();
    m_filling = true;
    InsertSegments(segments, index);
    AlignBoxes();
    LayoutMemoMarkers();
    m_filling = false;
    if (select) {
        SelectObject(topic, id, 0);
    } else {
        // Text inserted before the selection moves it along.
        const int at = IndexOfCoding(id);
        SegmentBoxItem* item = m_strip->Item(at);
        const int length = item->m_textEnd - item->m_textStart;
        const int shift = item->m_textStart <= start ? length : 0;
        m_text->SetSel(start + shift, end + shift);
        m_text->verticalScrollBar()->setValue(firstScrolled);
    }
    SyncStrip();
    update();
    return true;
}

void SegmentsCtrl::OnObjectDeleted(qint32 topic, qint32 id)
{
    if (topic == TopicId::Codings && id == 0) {
        Clear();
        NotifyContextSearch(ContextSearchCode::SearchAgain);
        return;
    }
    if (topic == TopicId::Codings || topic == TopicId::RetrievedSegments) {
        const int resultIndex = IndexInResult(id);
        if (resultIndex < 0)
            return;
        if (!m_segments.contains(id)) {
            m_all.removeAt(resultIndex);
            m_allIds.remove(id);
            if (resultIndex < m_first)
                --m_first;
            return;
        }
        // Strip and result change together: no slide in between.
        m_filling = true;
        const bool removed = m_strip->RemoveItemById(id);
        if (removed) {
            m_all.removeAt(resultIndex);
            m_allIds.remove(id);
            m_segments.remove(id);
        }
        m_filling = false;
        if (!removed)
            return;
        m_hits.Reset();
        m_highlighted = -1;
        RebuildMemoMarkers();
        AlignBoxes();
        LayoutMemoMarkers();
        SyncStrip();
        m_text->viewport()->update();
        return;
    }
    if (topic == TopicId::Memos) {
        const qsizetype before = m_memoMarks.size();
        for (qsizetype i = m_memoMarks.size() - 1; i >= 0; --i) {
            if (m_memoMarks.at(i).memoId == id) {
                m_memoMarks.removeAt(i);
                m_memoLineY.removeAt(i);
            }
        }
        if (m_memoMarks.size() != before) {
            LayoutMemoMarkers();
            PlaceMemoMarkers();
        }
    }
}

void SegmentsCtrl::OnObjectChanged(qint32 topic, qint32 id)
{
    if ((topic != TopicId::Codings && topic != TopicId::RetrievedSegments) || !m_segments.contains(id))
        return;
    m_names.clear();
    Loaded loaded;
    if (!Read(m_segments.value(id).topic, id, loaded))
        return;
    const int index = IndexOfCoding(id);
    SegmentCoding coding = m_strip->Item(index)->m_coding;
    coding.weight = loaded.segment.weight;
    coding.comment = loaded.segment.comment;
    coding.firstParagraph = loaded.segment.firstParagraph;
    coding.lastParagraph = loaded.segment.lastParagraph;
    coding.codePath = loaded.segment.codePath;
    m_filling = true;
    if (loaded.segment.isText && !loaded.rtf.isEmpty())
        m_strip->ReplaceItemText(id, coding, loaded.rtf);
    else
        m_strip->Item(index)->UpdateCoding(coding);
    m_segments.insert(id, loaded.segment);
    m_hits.Reset();
    RebuildMemoMarkers();
    AlignBoxes();
    LayoutMemoMarkers();
    m_filling = false;
    SyncStrip();
}

void SegmentsCtrl::SelectObject(qint32 topic, qint32 id, qint32)
{
    if (topic != TopicId::Codings && topic != TopicId::RetrievedSegments)
        return;
    int index = IndexOfCoding(id);
    if (index < 0) {
        // A segment outside the window: the window moves to it.
        const int resultIndex = IndexInResult(id);
        if (resultIndex < 0)
            return;
        LoadWindowAt(std::max(0, resultIndex - kSlideSegments));
        index = IndexOfCoding(id);
        if (index < 0)
            return;
    }
    const SegmentBoxItem* item = m_strip->Item(index);
    const QString& text = m_text->TextMap().text();
    int end = item->m_textEnd;
    while (end > item->m_textStart && text.at(end - 1) == QLatin1Char('\r'))
        --end;
    // From the end back to the start: the caret stands at the start.
    m_text->SetSel(end, item->m_textStart);
    m_text->ensureCursorVisible();
    SyncStrip();
}

int SegmentsCtrl::IndexInResult(qint32 id) const
{
    for (qsizetype i = 0; i < m_all.size(); ++i)
        if (m_all.at(i).id == id)
            return int(i);
    return -1;
}

int SegmentsCtrl::IndexOfCoding(qint32 coding) const
{
    for (int i = 0; i < m_strip->ItemCount(); ++i)
        if (m_strip->Item(i)->Id() == coding)
            return i;
    return -1;
}

const SegmentsCtrl::ShownSegment* SegmentsCtrl::Segment(qint32 coding) const
{
    const auto found = m_segments.constFind(coding);
    return found == m_segments.cend() ? nullptr : &*found;
}

// ---- Building the text ---------------------------------------------------------------

void SegmentsCtrl::ClearWindow()
{
    m_strip->RemoveAllItems(true);
    m_text->document()->clear();
    m_segments.clear();
    m_memoMarks.clear();
    m_memoLineY.clear();
    m_hits.Reset();
    m_runningHeight = 0;
    m_highlighted = -1;
    m_memoWidth = kMinimumMemoWidth;
    m_memoMargin->update();
    LayoutChildren();
}

void SegmentsCtrl::Clear()
{
    // The result goes first: clearing the text scrolls, and nothing may
    // slide back in.
    m_all.clear();
    m_allIds.clear();
    m_first = 0;
    m_nextSegment = 0;
    ClearWindow();
}

QList<SegmentsCtrl::Loaded> SegmentsCtrl::ReadRange(int from, int to)
{
    QList<Loaded> segments;
    segments.reserve(std::max(0, to - from));
    for (int i = from; i < to;) {
        const Entry entry = m_all.at(i);
        Loaded loaded;
        if (Read(entry.topic, entry.id, loaded)) {
            segments.append(std::move(loaded));
            ++i;
            continue;
        }
        m_all.removeAt(i);
        m_allIds.remove(entry.id);
        --to;
        if (i < m_first)
            --m_first;
    }
    return segments;
}

void SegmentsCtrl::FillWindow()
{
    SetRedraw(false);
    m_filling = true;
    m_names.clear();
    const int end = m_first + m_strip->ItemCount();
    QList<Loaded> segments = ReadRange(end, std::min(int(m_all.size()), m_first + kFirstSegments));
    InsertSegments(segments, -1);
    m_text->SetSel(0, 0);
    m_filling = false;
    if (FitStripUnlessChosen())
        LayoutChildren();
    AlignBoxes();
    LayoutMemoMarkers();
    SetRedraw(true);
    SyncStrip();
}

void SegmentsCtrl::LoadWindowAt(int index)
{
    // No slide may run while the window is empty.
    m_filling = true;
    ClearWindow();
    m_first = std::clamp(index, 0, std::max(0, int(m_all.size()) - 1));
    FillWindow();
}

void SegmentsCtrl::ShowSegmentAt(int index)
{
    LoadWindowAt(index);
    m_text->verticalScrollBar()->setValue(0);
    SlideIfNeeded();
}

void SegmentsCtrl::SlideIfNeeded()
{
    if (m_sliding || m_filling)
        return;
    const QScrollBar* bar = m_text->verticalScrollBar();
    const int page = std::max(1, m_text->viewport()->height());
    // Bounded: a window of very short segments fills in a few rounds.
    for (int round = 0; round < kWindowSegments / kSlideSegments; ++round) {
        if (bar->value() + 2 * page >= bar->maximum() && m_first + m_strip->ItemCount() < m_all.size())
            Slide(kSlideSegments);
        else if (bar->value() < page && m_first > 0)
            Slide(-kSlideSegments);
        else
            break;
    }
}

void SegmentsCtrl::Slide(int count)
{
    QScrollBar* bar = m_text->verticalScrollBar();
    const int loaded = m_strip->ItemCount();
    // The segment at the top of the view keeps its place on the screen.
    int anchor = -1;
    for (int i = 0; i < loaded && anchor < 0; ++i)
        if (m_strip->Item(i)->ExtentBottom() >= bar->value())
            anchor = i;
    const qint32 anchorId = anchor >= 0 ? m_strip->Item(anchor)->Id() : 0;
    const int anchorOffset = anchor >= 0 ? bar->value() - m_strip->Item(anchor)->m_box.top() : 0;
    const qint32 highlightedId =
        m_highlighted >= 0 && m_highlighted < loaded ? m_strip->Item(m_highlighted)->Id() : 0;
    const auto drop = [this](int index, int dropped) {
        for (int i = index; i < index + dropped; ++i)
            m_segments.remove(m_strip->Item(i)->Id());
        m_strip->RemoveItems(index, dropped);
    };
    m_sliding = true;
    SetRedraw(false);
    m_names.clear();
    if (count > 0) {
        const int end = m_first + loaded;
        QList<Loaded> segments = ReadRange(end, std::min(int(m_all.size()), end + count));
        InsertSegments(segments, -1);
        const int excess = std::min(m_strip->ItemCount() - kWindowSegments, std::max(0, anchor));
        if (excess > 0) {
            drop(0, excess);
            m_first += excess;
        }
    } else {
        const int from = std::max(0, m_first + count);
        QList<Loaded> segments = ReadRange(from, m_first);
        const int added = int(segments.size());
        InsertSegments(segments, 0);
        m_first = from;
        const int keep = std::max(kWindowSegments, anchor + added + 1);
        if (m_strip->ItemCount() > keep)
            drop(keep, m_strip->ItemCount() - keep);
    }
    m_hits.Reset();
    RebuildMemoMarkers();
    AlignBoxes();
    LayoutMemoMarkers();
    if (anchorId != 0) {
        const int index = IndexOfCoding(anchorId);
        if (index >= 0)
            bar->setValue(m_strip->Item(index)->m_box.top() + anchorOffset);
    }
    m_highlighted = highlightedId != 0 ? IndexOfCoding(highlightedId) : -1;
    SetRedraw(true);
    SyncStrip();
    m_sliding = false;
}

void SegmentsCtrl::InsertContent(QTextCursor& cursor, const Loaded& loaded)
{
    if (loaded.segment.isText) {
        if (rtf::IsRtf(loaded.rtf))
            rtf::InsertRtf(loaded.rtf, cursor);
        else
            cursor.insertText(rtf::PlainTextToDocumentText(QString::fromUtf8(loaded.rtf)));
    } else if (!loaded.picture.isNull()) {
        // The picture travels in the answer; the clipboard is never used.
        const QUrl name(QStringLiteral("segment-picture:%1").arg(loaded.segment.coding));
        cursor.document()->addResource(QTextDocument::ImageResource, name, loaded.picture);
        QTextImageFormat picture;
        picture.setName(name.toString());
        picture.setWidth(loaded.picture.width());
        picture.setHeight(loaded.picture.height());
        cursor.insertImage(picture);
    }
}

int SegmentsCtrl::BoxHeight(const ShownSegment& segment) const
{
    const int levels = segment.codePath.isEmpty() ? 0 : int(segment.codePath.count(QLatin1Char('\\'))) + 1;
    const int line = m_strip->LineHeight();
    return (levels + 3) * line - 2 * levels + 10;
}

void SegmentsCtrl::InsertSegments(QList<Loaded>& segments, int index)
{
    if (segments.isEmpty())
        return;
    QTextDocument* document = m_text->document();
    if (index >= m_strip->ItemCount())
        index = -1;
    int position = document->characterCount() - 1;
    if (index >= 0)
        position = m_text->ToDocumentPosition(m_strip->Item(index)->m_textStart);
    QTextCursor cursor(document);
    cursor.setPosition(position);
    // The block the segments go in front of keeps its own format.
    const QTextBlockFormat following = index >= 0 ? cursor.blockFormat() : QTextBlockFormat();
    QTextBlockFormat spacer;
    spacer.setLineHeight(kBoxGap / 4, QTextBlockFormat::FixedHeight);
    std::vector<std::pair<int, int>> ranges;  // cursor positions of each segment
    ranges.reserve(size_t(segments.size()));
    cursor.beginEditBlock();
    for (const Loaded& loaded : segments) {
        const int start = cursor.position();
        InsertContent(cursor, loaded);
        // The separator marks: the first ends the segment's last paragraph,
        // the next four are the spacers sized by AlignBoxes.
        for (int mark = 1; mark < kSeparatorMarks; ++mark)
            cursor.insertBlock(spacer, QTextCharFormat());
        cursor.insertBlock(following, QTextCharFormat());
        ranges.emplace_back(start, cursor.position());
    }
    cursor.endEditBlock();

    const rtf::RichTextMap& map = m_text->TextMap();
    int at = index;
    for (qsizetype i = 0; i < segments.size(); ++i) {
        const ShownSegment& segment = segments.at(i).segment;
        SegmentCoding coding;
        coding.id = segment.coding;
        coding.weight = segment.weight;
        coding.comment = segment.comment;
        coding.firstParagraph = segment.firstParagraph;
        coding.lastParagraph = segment.lastParagraph;
        coding.documentPath = segment.documentName;
        coding.codePath = segment.codePath;
        auto item = std::make_unique<SegmentBoxItem>(kBoxColour, coding);
        item->m_textStart = map.fromDocument(ranges[size_t(i)].first);
        item->m_textEnd = map.fromDocument(ranges[size_t(i)].second);
        item->m_glyphBase = std::clamp(segment.documentKind, 0, 3);
        item->m_box = QRect(0, 0, m_stripWidth, BoxHeight(segment));
        const int paneStart = item->m_textStart;
        m_strip->InsertItem(std::move(item), at);
        if (at >= 0)
            ++at;
        m_segments.insert(segment.coding, segment);
        if (at < 0)
            AddMemoMarkers(segment, paneStart);
    }
    // Segments placed between others move the markers behind them.
    if (index >= 0)
        RebuildMemoMarkers();
}

void SegmentsCtrl::AlignBoxes()
{
    const int count = m_strip->ItemCount();
    if (count == 0) {
        m_runningHeight = 0;
        m_strip->update();
        return;
    }
    QTextDocument* document = m_text->document();
    QAbstractTextDocumentLayout* layout = document->documentLayout();
    struct Place {
        QTextBlock first;
        QTextBlock spacer;  // the first of the four spacers
        int boxHeight;
    };
    std::vector<Place> places;
    places.reserve(size_t(count));
    {
        const rtf::RichTextMap& map = m_text->TextMap();
        for (int i = 0; i < count; ++i) {
            const SegmentBoxItem* item = m_strip->Item(i);
            const ShownSegment* segment = Segment(item->Id());
            Place place;
            place.first = document->findBlock(map.toDocument(item->m_textStart));
            // The second separator mark ends the first spacer.
            place.spacer = document->findBlock(map.toDocument(item->m_textEnd - (kSeparatorMarks - 1)));
            place.boxHeight = segment ? BoxHeight(*segment) : item->m_box.height();
            places.push_back(place);
        }
    }
    // Spacer rule: the last four marks make a gap that covers the box plus
    // 8 pixels. A block's height does not depend on the blocks above it, so
    // every segment's text height is read before any spacer changes.
    std::vector<int> gaps(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const Place& place = places[size_t(i)];
        const int top = int(layout->blockBoundingRect(place.first).top()) + (i > 0 ? 2 : 0);
        const int spacerTop = int(layout->blockBoundingRect(place.spacer).top());
        const int bottom = top + place.boxHeight;
        gaps[size_t(i)] = spacerTop < bottom ? bottom - spacerTop + kBoxGap : kBoxGap;
    }
    QTextCursor cursor(document);
    bool editing = false;
    for (int i = 0; i < count; ++i) {
        const int gap = gaps[size_t(i)];
        const int each = gap / 4;
        QTextBlock block = places[size_t(i)].spacer;
        for (int mark = 0; mark < 4 && block.isValid(); ++mark, block = block.next()) {
            const int height = mark < 3 ? each : gap - 3 * each;
            QTextBlockFormat format = block.blockFormat();
            if (format.lineHeightType() == QTextBlockFormat::FixedHeight && int(format.lineHeight()) == height)
                continue;
            if (!editing) {
                cursor.beginEditBlock();
                editing = true;
            }
            format.setLineHeight(height, QTextBlockFormat::FixedHeight);
            cursor.setPosition(block.position());
            cursor.setBlockFormat(format);
        }
    }
    if (editing)
        cursor.endEditBlock();
    for (int i = 0; i < count; ++i) {
        SegmentBoxItem* item = m_strip->Item(i);
        const Place& place = places[size_t(i)];
        const int top = int(layout->blockBoundingRect(place.first).top()) + (i > 0 ? 2 : 0);
        const int textEnd = int(layout->blockBoundingRect(place.spacer).top());
        item->m_box = QRect(0, top, m_stripWidth, place.boxHeight);
        item->MoveTo(top, textEnd);
        m_runningHeight = int(layout->blockBoundingRect(places[size_t(i)].spacer).top()) + gaps[size_t(i)];
    }
    m_strip->Layout(m_strip->width());
}

// ---- Memo markers ----------------------------------------------------------------------

void SegmentsCtrl::AddMemoMarkers(const ShownSegment& segment, int paneStart)
{
    if (!m_database || !m_showMemos || !segment.isText)
        return;
    QList<qint32> memos;
    if (!m_database->FindKeysByParent(TopicId::Memos, TopicId::Documents, segment.document, memos))
        return;
    for (const qint32 memo : memos) {
        const qint32 anchor = m_database->GetIntValue(TopicId::Memos, memo, MemoField::Pos);
        if (anchor < 0 || anchor < segment.start || anchor > segment.end)
            continue;
        MemoMark mark;
        mark.memoId = memo;
        mark.position = paneStart + (anchor - segment.start);
        mark.paragraph = m_database->GetIntValue(TopicId::Memos, memo, MemoField::Paragraph);
        mark.title = m_database->FormatRowDisplay(TopicId::Memos, memo, false);
        mark.image = 0;
        const auto before = std::upper_bound(m_memoMarks.begin(), m_memoMarks.end(), mark.position,
                                             [](int position, const MemoMark& other) { return position < other.position; });
        const qsizetype at = before - m_memoMarks.begin();
        m_memoMarks.insert(at, mark);
        m_memoLineY.insert(at, 0);
    }
}

void SegmentsCtrl::RebuildMemoMarkers()
{
    m_memoMarks.clear();
    m_memoLineY.clear();
    for (int i = 0; i < m_strip->ItemCount(); ++i) {
        const SegmentBoxItem* item = m_strip->Item(i);
        if (const ShownSegment* segment = Segment(item->Id()))
            AddMemoMarkers(*segment, item->m_textStart);
    }
}

void SegmentsCtrl::LayoutMemoMarkers()
{
    QTextDocument* document = m_text->document();
    QAbstractTextDocumentLayout* layout = document->documentLayout();
    const rtf::RichTextMap& map = m_text->TextMap();
    for (qsizetype i = 0; i < m_memoMarks.size(); ++i) {
        const int position = map.toDocument(m_memoMarks.at(i).position);
        const QTextBlock block = document->findBlock(position);
        int y = int(layout->blockBoundingRect(block).top());
        if (const QTextLayout* lines = block.layout()) {
            const QTextLine line = lines->lineForTextPosition(position - block.position());
            if (line.isValid())
                y += int(line.y());
        }
        m_memoLineY[i] = y;
        // Markers stand in anchor order, so those of one line follow each
        // other: each takes the lane above every earlier one on its line.
        qint16 lane = 0;
        for (qsizetype j = i - 1; j >= 0 && m_memoLineY.at(j) == y; --j)
            lane = std::max<qint16>(lane, qint16(m_memoMarks.at(j).column + 1));
        m_memoMarks[i].column = lane;
    }
    const int width = std::max(kMinimumMemoWidth, m_memoMargin->NeededWidth());
    if (width != m_memoWidth) {
        m_memoWidth = width;
        LayoutChildren();
    }
    PlaceMemoMarkers();
}

void SegmentsCtrl::PlaceMemoMarkers()
{
    const int scroll = m_text->verticalScrollBar()->value();
    const int height = m_memoMargin->height();
    for (qsizetype i = 0; i < m_memoMarks.size(); ++i) {
        MemoMark& mark = m_memoMarks[i];
        mark.topY = m_memoLineY.at(i) - scroll + 1;
        mark.visible = mark.topY > -20 && mark.topY < height;
    }
    m_memoMargin->update();
}

// ---- Layout ------------------------------------------------------------------------

void SegmentsCtrl::LayoutChildren()
{
    m_layingOut = true;
    const QRect client = rect().adjusted(1, 1, -1, -1);
    m_header->setGeometry(client.left(), client.top(), client.width(), kHeaderHeight);
    const QRect below = client.adjusted(0, kHeaderHeight, 0, 0);
    const int height = std::max(0, below.height());
    const int stripWidth = std::min(m_stripWidth, std::max(0, below.width()));
    if (m_stripLeft) {
        m_strip->setGeometry(below.left(), below.top(), stripWidth, height);
        m_memoMargin->setGeometry(below.left() + stripWidth, below.top(), m_memoWidth, height);
        const int textLeft = below.left() + stripWidth + m_memoWidth;
        m_text->setGeometry(textLeft, below.top(), std::max(0, below.right() + 1 - textLeft), height);
        m_header->resizeSection(kStripColumn, stripWidth);
        m_header->resizeSection(kTextColumn, std::max(1, below.width() - stripWidth));
    } else {
        m_memoMargin->setGeometry(below.left(), below.top(), m_memoWidth, height);
        const int stripLeft = below.right() + 1 - stripWidth;
        m_text->setGeometry(below.left() + m_memoWidth, below.top(), std::max(0, stripLeft - below.left() - m_memoWidth),
                            height);
        m_strip->setGeometry(stripLeft, below.top(), stripWidth, height);
        m_header->resizeSection(kTextColumn, std::max(1, below.width() - stripWidth));
        m_header->resizeSection(kStripColumn, stripWidth);
    }
    m_strip->SetItemsFlag(m_stripLeft);
    m_strip->Layout(stripWidth);
    m_layingOut = false;
}

void SegmentsCtrl::Relayout()
{
    SetRedraw(false);
    LayoutChildren();
    AlignBoxes();
    LayoutMemoMarkers();
    SetRedraw(true);
    SyncStrip();
    SlideIfNeeded();
}

bool SegmentsCtrl::FitStripUnlessChosen()
{
    // Until the researcher sizes the strip, it grows to show the names of
    // the first segments whole, up to a third of the pane; it never shrinks.
    if (m_stripWidthChosen || m_strip->ItemCount() == 0 || !m_strip->FitWidth(false))
        return false;
    const int limit = std::clamp(width() / 3, kMinimumStripWidth, kMaximumStripWidth);
    const int fitted = std::max(m_stripWidth, std::min(m_strip->width(), limit));
    if (fitted == m_stripWidth)
        return false;
    m_stripWidth = fitted;
    return true;
}

void SegmentsCtrl::SyncStrip()
{
    m_strip->SetScrollOffset(m_text->verticalScrollBar()->value(), true);
    PlaceMemoMarkers();
}

void SegmentsCtrl::SetRedraw(bool on)
{
    m_strip->setUpdatesEnabled(on);
    m_text->setUpdatesEnabled(on);
    if (on) {
        m_strip->update();
        m_text->viewport()->update();
    }
}

void SegmentsCtrl::HeaderResized(int logicalIndex, int, int newSize)
{
    if (m_layingOut)
        return;
    int width = logicalIndex == kStripColumn ? newSize : rect().width() - 2 - newSize;
    width = std::clamp(width, kMinimumStripWidth, kMaximumStripWidth);
    m_stripWidthChosen = true;
    if (width == m_stripWidth) {
        LayoutChildren();
        return;
    }
    m_stripWidth = width;
    Relayout();
}

void SegmentsCtrl::HeaderOrderChanged()
{
    m_stripLeft = m_header->logicalIndex(0) != kTextColumn;
    Relayout();
}

void SegmentsCtrl::resizeEvent(QResizeEvent*)
{
    Relayout();
}

void SegmentsCtrl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    const int x = m_text->geometry().left() - 1;
    painter.setPen(palette().color(QPalette::Button).darker(110));
    painter.drawLine(x, kHeaderHeight + 1, x, height() - 2);
}

void SegmentsCtrl::focusInEvent(QFocusEvent*)
{
    m_text->setFocus();
}

void SegmentsCtrl::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange) {
        m_strip->setFont(font());
        m_strip->SetLineMetrics(kGlyphSize, kGlyphSize);
        InvalidateStrip();
    }
    QWidget::changeEvent(event);
}

// ---- What the strip and text ask ----------------------------------------------------------

void SegmentsCtrl::TextScrolled()
{
    SyncStrip();
    SlideIfNeeded();
}

bool SegmentsCtrl::eventFilter(QObject* watched, QEvent* event)
{
    // Ctrl+Home and Ctrl+End reach the whole result: the window moves to
    // its start or end, and the caret and the view follow.
    if (watched == m_text && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool toEnd = key->key() == Qt::Key_End;
        if (key->modifiers().testFlag(Qt::ControlModifier) && (toEnd || key->key() == Qt::Key_Home)) {
            if (toEnd && m_first + m_strip->ItemCount() < m_all.size())
                LoadWindowAt(int(m_all.size()) - kFirstSegments);
            else if (!toEnd && m_first > 0)
                LoadWindowAt(0);
            m_text->moveCursor(toEnd ? QTextCursor::End : QTextCursor::Start);
            QScrollBar* bar = m_text->verticalScrollBar();
            bar->setValue(toEnd ? bar->maximum() : bar->minimum());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void SegmentsCtrl::HighlightSegment(qint32 codingId)
{
    m_highlighted = codingId != 0 ? IndexOfCoding(codingId) : -1;
}

void SegmentsCtrl::HighlightStripItem(int index)
{
    if (index >= m_strip->ItemCount())
        index = -1;
    const auto unmark = [this](int at) {
        if (at >= 0 && at < m_strip->ItemCount())
            m_strip->Item(at)->SetState(false, -3);
    };
    if (m_highlighted >= 0) {
        unmark(m_highlighted);
    } else if (index < 0) {
        for (int i = 0; i < m_strip->ItemCount(); ++i) {
            if (m_strip->Item(i)->m_highlighted) {
                unmark(i);
                break;
            }
        }
    }
    if (index >= 0)
        m_strip->Item(index)->SetState(true, 0);
    m_highlighted = index;
    m_strip->update();
}

void SegmentsCtrl::DeleteTextRange(int start, int end)
{
    QTextCursor cursor(m_text->document());
    cursor.setPosition(m_text->ToDocumentPosition(start));
    cursor.setPosition(m_text->ToDocumentPosition(end), QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    m_text->viewport()->update();
}

void SegmentsCtrl::Activate()
{
    setFocus();
}

void SegmentsCtrl::CopyToClipboard()
{
    // The user's own copy command: the selection goes where the user asked.
    m_text->copy();
}

void SegmentsCtrl::InvalidateStrip()
{
    m_strip->update();
}

// ---- Context search ----------------------------------------------------------------

bool SegmentsCtrl::OnContextSearch(ContextSearchRequest& request)
{
    switch (request.code) {
    case ContextSearchCode::Reset: m_hits.Reset(); break;
    case ContextSearchCode::Search:
        m_hits.SetHits(FindContextHits(*m_text, request.text), qint32(request.text.size()));
        break;
    case ContextSearchCode::Next: m_hits.Next(); break;
    case ContextSearchCode::Previous: m_hits.Previous(); break;
    default: break;
    }
    if (m_hits.IsEmpty()) {
        m_text->SetSel(0, 0);
    } else {
        const int position = m_hits.CurrentPosition();
        m_text->SetSel(position, position + m_hits.Length());
        m_text->ensureCursorVisible();
    }
    SyncStrip();
    m_hits.Answer(request);
    return true;
}

// ---- Frame operations ------------------------------------------------------------------

int SegmentsCtrl::GetSegmentCount() const
{
    return int(m_all.size());
}

void SegmentsCtrl::GetRetrievedSegments(CSegmentArray& rows) const
{
    rows.RemoveAll();
    for (const Entry& entry : m_all) {
        // Segments outside the window are read without their text.
        Loaded read;
        const ShownSegment* segment = Segment(entry.id);
        if (!segment && const_cast<SegmentsCtrl*>(this)->Read(entry.topic, entry.id, read, false))
            segment = &read.segment;
        if (!segment)
            continue;
        CSegmentRow row;
        row.coding = segment->coding;
        row.document = segment->document;
        row.code = segment->code;
        row.start = row.outerStart = segment->start;
        row.end = row.outerEnd = segment->end;
        row.firstParagraph = segment->firstParagraph;
        row.lastParagraph = segment->lastParagraph;
        row.weight = segment->weight;
        row.areaLeft = segment->areaLeft;
        row.areaRight = segment->areaRight;
        row.page = segment->page;
        row.textFlag = segment->isText;
        rows.Add(row);
    }
}

void SegmentsCtrl::GetSegmentIds(QList<qint32>& ids) const
{
    ids.clear();
    ids.reserve(m_all.size());
    for (const Entry& entry : m_all)
        ids.append(entry.id);
}

bool SegmentsCtrl::GetNextSegmentCoding(CodingRecord& record, bool restart)
{
    if (restart)
        m_nextSegment = 0;
    if (m_nextSegment < 0 || m_nextSegment >= m_all.size())
        return false;
    const Entry entry = m_all.at(m_nextSegment++);
    const int index = IndexOfCoding(entry.id);
    Loaded read;
    const ShownSegment* segment = Segment(entry.id);
    if (index >= 0 && segment) {
        const SegmentBoxItem* item = m_strip->Item(index);
        const int textEnd = std::max(item->m_textStart, item->m_textEnd - kSeparatorMarks);
        record.Text = rtf::WriteRtf(*m_text->document(), m_text->ToDocumentPosition(item->m_textStart),
                                    m_text->ToDocumentPosition(textEnd));
        record.Preview = PreviewOf(m_text->TextMap().text(), item->m_textStart, textEnd);
    } else {
        // Outside the window: the segment is read and built on its own.
        if (!Read(entry.topic, entry.id, read))
            return false;
        segment = &read.segment;
        QTextDocument single;
        QTextCursor cursor(&single);
        InsertContent(cursor, read);
        record.Text = rtf::WriteRtf(single, 0, single.characterCount() - 1);
        const rtf::RichTextMap map(single);
        record.Preview = PreviewOf(map.text(), 0, map.fromDocument(single.characterCount() - 1));
    }
    record.ID = segment->coding;
    record.TextID = segment->document;
    record.WordID = segment->code;
    record.StartChar = segment->start;
    record.FinishChar = segment->end;
    record.StartPara = segment->firstParagraph;
    record.FinishPara = segment->lastParagraph;
    record.PosX1 = segment->areaLeft;
    record.PosX2 = segment->areaRight;
    record.Page = segment->page;
    record.IsText = segment->isText;
    record.Area = segment->area;
    record.Coverage = segment->coverage;
    return true;
}

QList<int> SegmentsCtrl::CaptionButtons(int count) const
{
    static constexpr int kButtons[] = {SegmentsCommand::CodingList, SegmentsCommand::ExportDialog,
                                       SegmentsCommand::ExportHtml, SegmentsCommand::ExportTable,
                                       SegmentsCommand::PrintQuestion};
    QList<int> commands;
    for (int slot = 0; slot < count; ++slot)
        commands.append(slot < int(std::size(kButtons)) ? kButtons[slot] : 0);
    return commands;
}

bool SegmentsCtrl::OnPaneCommand(int id)
{
    switch (id) {
    case SegmentsCommand::HeaderOrder: HeaderOrderChanged(); return true;
    case SegmentsCommand::PrintQuestion:
        emit OwnerCommand(AskYesNo(LoadString(RetrievalText::MemosInPrint)) ? SegmentsCommand::PrintWithMemos
                                                                            : SegmentsCommand::PrintQuestion);
        return true;
    case SegmentsCommand::ExportDialog:
    case SegmentsCommand::CodingList:
    case SegmentsCommand::CodeSegments:
    case SegmentsCommand::ExportTable:
    case SegmentsCommand::CodeWithNewCode:
    case SegmentsCommand::ExportHtml: emit OwnerCommand(id); return true;
    default: return false;
    }
}

// ---- The report ---------------------------------------------------------------------

void SegmentsCtrl::BuildReport(CRichEditCtrlEx& report, bool withMemos, CKorDoc* document)
{
    int selectionStart = 0;
    int selectionEnd = 0;
    m_text->GetSel(selectionStart, selectionEnd);
    m_text->setUpdatesEnabled(false);

    QTextCharFormat headline;
    headline.setFontFamilies({QStringLiteral("Arial")});
    headline.setFontPointSize(9);
    headline.setFontWeight(QFont::Bold);
    headline.setForeground(QColor(64, 64, 64));
    QTextDocument* target = report.GetDocument();
    const QTextDocument& source = *m_text->document();
    for (qsizetype i = 0; i < m_all.size(); ++i) {
        const int index = IndexOfCoding(m_all.at(i).id);
        const SegmentBoxItem* item = index >= 0 ? m_strip->Item(index) : nullptr;
        Loaded read;
        const ShownSegment* segment = Segment(m_all.at(i).id);
        if (!item && Read(m_all.at(i).topic, m_all.at(i).id, read))
            segment = &read.segment;
        if (!segment)
            continue;
        QString head = i > 0 ? QStringLiteral("\r") : QString();
        head += LoadString(RetrievalText::Document) + QStringLiteral(":\t") + segment->documentName + u'\r';
        head += LoadString(RetrievalText::Weight) + QStringLiteral(":\t") + QString::number(segment->weight) + u'\r';
        head += LoadString(RetrievalText::Paragraphs) + QStringLiteral(":\t%1 - %2\r")
                                                           .arg(segment->firstParagraph)
                                                           .arg(segment->lastParagraph);
        head += LoadString(RetrievalText::Code) + QStringLiteral(":\t\t") + segment->codePath + u'\r';
        QTextCursor out(target);
        out.movePosition(QTextCursor::End);
        out.insertText(rtf::PlainTextToDocumentText(head), headline);
        if (item) {
            const int textEnd = std::max(item->m_textStart, item->m_textEnd - kSeparatorMarks);
            const QByteArray text = rtf::WriteRtf(source, m_text->ToDocumentPosition(item->m_textStart),
                                                  m_text->ToDocumentPosition(textEnd));
            if (!text.isEmpty())
                rtf::InsertRtf(text, out);
        } else {
            InsertContent(out, read);
        }
        out.insertBlock(QTextBlockFormat(), QTextCharFormat());
        // The document appends the memos anchored in the segment.
        if (withMemos && document)
            document->WriteSegmentMemos(&report, segment->document, segment->start, segment->end);
    }
    m_text->SetSel(selectionStart, selectionEnd);
    m_text->setUpdatesEnabled(true);
    m_text->viewport()->update();
}

bool SegmentsCtrl::Print(const QString& projectPath, bool withMemos, CKorDoc* document)
{
    CPrintEngine engine(PrintTitle(projectPath), PrintDateText(), this);
    BuildReport(engine.RichEdit(), withMemos, document);
    return engine.Print();
}

bool SegmentsCtrl::ExportRtf(const QString& path, CKorDoc* document)
{
    CRichEditCtrlEx report;
    report.LimitText(10'000'000);
    report.SetLayoutWidth(500);
    const bool withMemos = document && AskYesNo(LoadString(RetrievalText::MemosInReport));
    BuildReport(report, withMemos, document);
    QByteArray bytes;
    report.StreamOutRtf(&bytes, false, true);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        ShowMessage(LoadString(RetrievalText::FileNotWritten).arg(path, file.errorString()), MessageKind::Error);
        return false;
    }
    if (m_openFile)
        m_openFile(path);
    else
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    return true;
}
