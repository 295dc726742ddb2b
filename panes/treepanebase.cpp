#include "panes/treepanebase.h"

#include "document/listnotifyinfo.h"
#include "document/requestowner.h"
#include "foundation/colorhelpers.h"
#include "foundation/dragobject.h"
#include "panes/contextsearch.h"
#include "store/fieldvalue.h"
#include "store/oledate.h"
#include "store/storeids.h"
#include "ui/headerctrl.h"
#include "ui/redit4list.h"
#include "ui/richviewowner.h"
#include "ui/treeimages.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QKeyEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QPainter>
#include <QUrl>
#include <QResizeEvent>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTreeView>

#include <algorithm>

namespace {

/// COLORREF of palette entry 0, which stands for "no colour" in the trees.
constexpr quint32 kNoColourMark = 0x008000;
const QColor kInactiveSelection(51, 102, 236);
const QColor kActivatedText(128, 0, 0);
const QColor kLineColour(128, 128, 128);
constexpr int kColourMarkSize = 7;
constexpr int kGap = 3;
/// Pixels from the viewport's edge in which a resting drag scrolls.
constexpr int kScrollMargin = 10;
constexpr QSize kMemoTipSize{300, 160};
constexpr qint32 kMemoAuthorField = 9;
constexpr qint32 kMemoDateField = 10;

QColor ToQColor(quint32 colour)
{
    return QColor(RedOf(colour), GreenOf(colour), BlueOf(colour));
}

/// Lower case one UTF-16 unit at a time, so the length never changes.
QString LowerUnits(QString text)
{
    for (QChar& unit : text)
        unit = unit.toLower();
    return text;
}

bool HasColourMark(quint32 colour)
{
    return colour != 0 && colour != kNoColourMark;
}

}  // namespace

// ---- The view -------------------------------------------------------------

/// @short The tree control of a pane: draws its own branch lines and boxes,
/// and hands clicks, hovering, drags and drops to the pane.
class CPaneTreeView : public QTreeView {
public:
    explicit CPaneTreeView(CTreePaneBase* pane) : QTreeView(pane), m_pane(pane)
    {
        setFrameShape(QFrame::NoFrame);
        setUniformRowHeights(true);
        setIndentation(19);
        setRootIsDecorated(true);
        setSelectionMode(QAbstractItemView::SingleSelection);
        setSelectionBehavior(QAbstractItemView::SelectRows);
        setAllColumnsShowFocus(true);
        setExpandsOnDoubleClick(false);
        setEditTriggers(QAbstractItemView::NoEditTriggers);
        setAcceptDrops(true);
        viewport()->setAcceptDrops(true);
        setDropIndicatorShown(false);
        setMouseTracking(true);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    }

    TreeNode* NodeAt(const QPoint& pos) const { return m_pane->m_model.NodeOf(indexAt(pos)); }
    bool InMemoColumn(const QPoint& pos) const
    {
        const int left = header()->sectionViewportPosition(CIdTreeModel::MemoColumn);
        return pos.x() >= left && pos.x() < left + header()->sectionSize(CIdTreeModel::MemoColumn);
    }
    /// A click on the item itself (symbol, check box, label or beside it),
    /// not in the indentation with its expand box.
    bool OnItem(const QPoint& pos) const
    {
        const QModelIndex index = indexAt(pos);
        return index.isValid() && pos.x() >= visualRect(index.siblingAtColumn(0)).left();
    }
    /// Modifier keys of the input event being handled; -1 outside one.
    int eventKeys = -1;

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index, const QEvent* event) const override
    {
        // A click always selects its node alone: Ctrl and Shift belong to
        // activation, not to selection.
        if (!index.isValid())
            return QItemSelectionModel::NoUpdate;
        if (event && event->type() == QEvent::MouseMove)
            return QItemSelectionModel::NoUpdate;
        return QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows;
    }

    void mousePressEvent(QMouseEvent* event) override
    {
        m_dragStarted = false;
        if (event->button() == Qt::RightButton) {
            const QPoint pos = event->position().toPoint();
            if (TreeNode* node = OnItem(pos) ? NodeAt(pos) : nullptr)
                m_pane->ItemRightClicked(node, InMemoColumn(pos), event->globalPosition().toPoint(),
                                         ModifierKeysOf(event->modifiers()), false);
            event->accept();
            return;
        }
        QTreeView::mousePressEvent(event);
        const QPoint pos = event->position().toPoint();
        m_pressPos = pos;
        const TreeNode* pressed = event->button() == Qt::LeftButton && OnItem(pos) ? NodeAt(pos) : nullptr;
        m_pressed = pressed ? QPair<qint32, qint32>{pressed->kind, pressed->Id()} : QPair<qint32, qint32>{0, 0};
    }

    void mouseReleaseEvent(QMouseEvent* event) override
    {
        QTreeView::mouseReleaseEvent(event);
        const QPoint pos = event->position().toPoint();
        if (event->button() != Qt::LeftButton || m_dragStarted || !OnItem(pos))
            return;
        if (TreeNode* node = NodeAt(pos)) {
            int keys = ModifierKeysOf(event->modifiers());
            // A click on the check box switches the activation, as Ctrl does.
            if (m_pane->HasCheckBox(node->kind) && OnCheckBox(node, pos))
                keys |= ModifierKey::Ctrl;
            m_pane->ItemClicked(node, InMemoColumn(pos), event->globalPosition().toPoint(), keys);
        }
    }

    bool OnCheckBox(const TreeNode* node, QPoint pos) const
    {
        const QRect row = m_pane->NodeRect(node);
        const int left = row.left() + 1;
        return pos.x() >= left && pos.x() < left + TreeImages::kCheckSize;
    }

    void keyPressEvent(QKeyEvent* event) override
    {
        // '*' expands the whole subtree, told to the owner in one go.
        if (event->key() == Qt::Key_Asterisk) {
            if (TreeNode* node = m_pane->m_model.NodeOf(currentIndex()))
                m_pane->ExpandSubtree(node, true);
            event->accept();
            return;
        }
        QTreeView::keyPressEvent(event);
    }

    void mouseDoubleClickEvent(QMouseEvent* event) override
    {
        // The double click opens; it neither expands nor collapses.
        const QPoint pos = event->position().toPoint();
        if (event->button() == Qt::LeftButton && OnItem(pos))
            if (TreeNode* node = NodeAt(pos))
                m_pane->ItemRightClicked(node, InMemoColumn(pos), event->globalPosition().toPoint(),
                                         ModifierKeysOf(event->modifiers()), true);
        event->accept();
    }

    void mouseMoveEvent(QMouseEvent* event) override
    {
        if (event->buttons() & Qt::LeftButton) {
            // The tree starts its drags itself, from the node pressed, once
            // the mouse went past the drag distance.
            if (m_pressed.first != 0 && !m_dragStarted
                && (event->position().toPoint() - m_pressPos).manhattanLength() > QApplication::startDragDistance()) {
                m_dragStarted = true;
                TreeNode* node = m_pane->FindNode(m_pressed.first, m_pressed.second);
                m_pressed = {0, 0};
                m_pane->StartDrag(node);
            }
            return;
        }
        QTreeView::mouseMoveEvent(event);
        const QPoint pos = event->position().toPoint();
        const QModelIndex index = indexAt(pos);
        TreeNode* node = index.isValid() && OnItem(pos) ? m_pane->m_model.NodeOf(index) : nullptr;
        QRect row = node ? visualRect(index.siblingAtColumn(0)) : QRect();
        row.setRight(viewport()->width());
        m_pane->ItemHovered(node, InMemoColumn(pos), QRect(viewport()->mapToGlobal(row.topLeft()), row.size()));
    }

    bool viewportEvent(QEvent* event) override
    {
        // The pane's own tip stands in for the standard tooltip.
        if (event->type() == QEvent::ToolTip)
            return true;
        if (event->type() == QEvent::Leave)
            m_pane->m_tip.Hide();
        return QTreeView::viewportEvent(event);
    }

    void dragEnterEvent(QDragEnterEvent* event) override
    {
        CDragObject payload;
        if (ReadPayload(event, payload))
            event->accept();
        else if (TakesFiles(event))
            event->acceptProposedAction();
        else
            event->ignore();
    }

    void dragMoveEvent(QDragMoveEvent* event) override
    {
        CDragObject payload;
        if (!ReadPayload(event, payload)) {
            if (TakesFiles(event)) {
                event->setDropAction(Qt::CopyAction);
                event->accept();
            } else {
                event->ignore();
            }
            return;
        }
        const QPoint pos = event->position().toPoint();
        if (pos.y() < kScrollMargin)
            m_pane->DragScroll(255);
        else if (pos.y() > viewport()->height() - kScrollMargin)
            m_pane->DragScroll(511);
        eventKeys = ModifierKeysOf(event->modifiers());
        const Qt::DropAction effect = m_pane->OnDragOver(payload.m_kind, payload.m_id, viewport()->mapToGlobal(pos));
        eventKeys = -1;
        if (effect == Qt::IgnoreAction) {
            event->ignore();
            return;
        }
        event->setDropAction(effect);
        event->accept();
    }

    void dragLeaveEvent(QDragLeaveEvent* event) override
    {
        m_pane->OnDragLeave();
        event->accept();
    }

    void dropEvent(QDropEvent* event) override
    {
        CDragObject payload;
        if (!ReadPayload(event, payload)) {
            m_pane->OnDragLeave();
            if (TakesFiles(event) && DropFiles(event)) {
                event->setDropAction(Qt::CopyAction);
                event->accept();
            } else {
                event->ignore();
            }
            return;
        }
        eventKeys = ModifierKeysOf(event->modifiers());
        const bool taken =
            m_pane->OnDrop(payload.m_kind, payload.m_id, viewport()->mapToGlobal(event->position().toPoint()));
        eventKeys = -1;
        if (taken)
            event->acceptProposedAction();
        else
            event->ignore();
    }

    void drawBranches(QPainter* painter, const QRect& rect, const QModelIndex& index) const override
    {
        const TreeNode* node = m_pane->m_model.NodeOf(index);
        if (!node)
            return;
        painter->fillRect(rect, palette().base());
        const int indent = indentation();
        const int depth = node->Depth();
        const int midY = rect.center().y();
        const auto dottedV = [&](int x, int top, int bottom) {
            for (int y = top; y <= bottom; ++y)
                if (y % 2 == 0)
                    painter->drawPoint(x, y);
        };
        const auto dottedH = [&](int left, int right, int y) {
            for (int x = left; x <= right; ++x)
                if (x % 2 == 0)
                    painter->drawPoint(x, y);
        };
        painter->setPen(kLineColour);
        const int firstLeft = rect.right() + 1 - (depth + 1) * indent;
        // Lines of the ancestors that go on below this row.
        const TreeNode* ancestor = node->parent;
        for (int level = depth - 1; level >= 0 && ancestor; --level, ancestor = ancestor->parent)
            if (ancestor->NextSibling())
                dottedV(firstLeft + level * indent + indent / 2, rect.top(), rect.bottom());
        const int x = firstLeft + depth * indent + indent / 2;
        const bool above = node->PreviousSibling() || depth > 0;
        if (above)
            dottedV(x, rect.top(), midY);
        if (node->NextSibling())
            dottedV(x, midY, rect.bottom());
        dottedH(x, firstLeft + (depth + 1) * indent - 2, midY);
        if (node->children.empty())
            return;
        const QRect box(x - 4, midY - 4, 8, 8);
        painter->setPen(kLineColour);
        painter->setBrush(palette().base());
        painter->drawRect(box);
        painter->setPen(palette().color(QPalette::Text));
        painter->drawLine(x - 2, midY, x + 2, midY);
        if (!isExpanded(index))
            painter->drawLine(x, midY - 2, x, midY + 2);
    }

private:
    /// Files from the desktop: local paths of the drop's addresses.
    static QStringList LocalFiles(const QMimeData* data)
    {
        QStringList paths;
        if (data && data->hasUrls())
            for (const QUrl& url : data->urls())
                if (url.isLocalFile())
                    paths.append(url.toLocalFile());
        return paths;
    }

    bool TakesFiles(QDropEvent* event) const
    {
        return m_pane->m_fileDropHandler && !LocalFiles(event->mimeData()).isEmpty();
    }

    bool DropFiles(QDropEvent* event)
    {
        const TreeNode* node = NodeAt(event->position().toPoint());
        return m_pane->m_fileDropHandler(LocalFiles(event->mimeData()), node ? node->kind : 0,
                                         node ? node->Id() : 0);
    }

    bool ReadPayload(QDropEvent* event, CDragObject& payload) const
    {
        // A payload of another project or program names ids that mean
        // nothing here: refused before any pane sees it.
        const QString identity = m_pane->GetOwner() ? m_pane->GetOwner()->ProjectIdentity() : QString();
        return CDragObject::ReadMimeData(event->mimeData(), identity, payload) == CDragObject::ReadResult::Accepted;
    }

    CTreePaneBase* m_pane;
    bool m_dragStarted = false;
    QPoint m_pressPos;
    QPair<qint32, qint32> m_pressed{0, 0};   // (kind, id) under the last left press
};

// ---- The delegate -----------------------------------------------------------

/// @short Draws a node's row from the owner's answers: check box, symbol,
/// colour mark and name in the name column, the memo symbol, the count.
class CTreeItemDelegate : public QStyledItemDelegate {
public:
    CTreeItemDelegate(CTreePaneBase* pane) : QStyledItemDelegate(pane), m_pane(pane) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override
    {
        return QSize(40, std::max(CTreePaneBase::kMinItemHeight, option.fontMetrics.height() + 3));
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        TreeNode* node = m_pane->m_model.NodeOf(index);
        if (!node)
            return;
        const bool highlighted = (option.state & QStyle::State_Selected) || node == m_pane->m_dropHighlight;
        const bool focused = m_pane->TreeView()->hasFocus();
        QColor textColour = option.palette.color(QPalette::Text);
        if (highlighted) {
            painter->fillRect(option.rect, focused ? option.palette.color(QPalette::Highlight) : kInactiveSelection);
            textColour = focused ? option.palette.color(QPalette::HighlightedText) : QColor(Qt::white);
        } else {
            painter->fillRect(option.rect, option.palette.base());
        }
        const QRect rect = option.rect;
        switch (index.column()) {
        case CIdTreeModel::NameColumn: {
            int x = rect.left() + 1;
            const auto centred = [&rect](int height) { return rect.top() + (rect.height() - height) / 2; };
            if (m_pane->HasCheckBox(node->kind)) {
                painter->drawPixmap(x, centred(TreeImages::kCheckSize) - 1, m_pane->CheckImage(node->checked));
                x += TreeImages::kCheckSize + kGap;
            }
            const QPixmap image = m_pane->NodeImage(node->image);
            painter->drawPixmap(x, centred(image.height()), image);
            x += TreeImages::kImageSize + kGap;
            const CTreePaneBase::Display display = m_pane->DisplayOf(node);
            if (HasColourMark(display.colour)) {
                const QRect mark(x, centred(kColourMarkSize), kColourMarkSize, kColourMarkSize);
                painter->fillRect(mark, Qt::white);
                painter->fillRect(mark.adjusted(1, 1, -1, -1), ToQColor(display.colour));
                x += kColourMarkSize + kGap;
            }
            QFont font = option.font;
            font.setBold(node->bold);
            painter->setFont(font);
            if (node->checked && !highlighted)
                textColour = kActivatedText;
            painter->setPen(textColour);
            const QRect textRect(x, rect.top(), std::max(rect.right() - x, 0), rect.height());
            const QString text = QFontMetrics(font).elidedText(display.text, Qt::ElideRight, textRect.width());
            painter->drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, text);
            break;
        }
        case CIdTreeModel::MemoColumn: {
            ListNotifyInfo info;
            info.itemId = node->Id();
            info.topic = node->kind;
            info.mask = ListNotifyMask::Memo;
            if (m_pane->QueryOwner(info) && info.memoId > 0) {
                const QPixmap memo = m_pane->MemoImage(info.memoId);
                painter->drawPixmap(rect.left() + (rect.width() - memo.width()) / 2,
                                    rect.top() + (rect.height() - memo.height()) / 2, memo);
            }
            break;
        }
        case CIdTreeModel::CountColumn: {
            const int right = m_pane->CountRight();
            if (node->count < 0 || right < rect.left())
                break;
            painter->setFont(option.font);
            painter->setPen(textColour);
            const QRect count(rect.left(), rect.top(), right - rect.left(), rect.height());
            painter->drawText(count, Qt::AlignVCenter | Qt::AlignRight | Qt::TextSingleLine, QString::number(node->count));
            break;
        }
        default:
            break;
        }
    }

private:
    CTreePaneBase* m_pane;
};

// ---- The pane -----------------------------------------------------------------

CTreePaneBase::CTreePaneBase(HeaderLookBase* header, QWidget* parent)
    : QWidget(parent), m_header(header), m_nodeImages(TreeImages::NodeImages()),
      m_memoImages(TreeImages::MemoImages()), m_checkImages(TreeImages::CheckImages())
{
    SetControlId(0);
    m_tree = new CPaneTreeView(this);
    m_tree->setObjectName(QStringLiteral("tree"));
    m_tree->setModel(&m_model);
    m_tree->setItemDelegate(new CTreeItemDelegate(this));
    // The pane's header stands above the tree and the tree's scroll bar; the
    // tree's own header only carries the column widths.
    m_tree->setHeaderHidden(true);
    QHeaderView* columns = m_tree->header();
    columns->setStretchLastSection(false);
    columns->setSectionsMovable(false);
    columns->setSectionResizeMode(QHeaderView::Fixed);
    columns->setMinimumSectionSize(0);
    m_header->setParent(this);
    m_header->setObjectName(QStringLiteral("header"));
    m_header->setModel(&m_model);
    m_header->setFixedHeight(kHeaderHeight);
    m_header->ApplyDefaultColumns();
    connect(m_header, &QHeaderView::sectionResized, this, [this] { LayoutChildren(); });
    m_tree->viewport()->installEventFilter(this);
    setFocusProxy(m_tree);
    connect(m_tree, &QTreeView::expanded, this, [this](const QModelIndex& index) { ViewExpanded(index, true); });
    connect(m_tree, &QTreeView::collapsed, this, [this](const QModelIndex& index) { ViewExpanded(index, false); });
    m_tip.Create(m_tree->viewport());
    m_tip.SetTipsEnabled(true);
    setAutoFillBackground(true);
    QPalette frame = palette();
    frame.setColor(QPalette::Window, QColor(101, 147, 207));
    setPalette(frame);
    LayoutChildren();
}

void CTreePaneBase::resizeEvent(QResizeEvent*)
{
    LayoutChildren();
}

bool CTreePaneBase::eventFilter(QObject* watched, QEvent* event)
{
    // The viewport narrows and widens with its scroll bar.
    if (watched == m_tree->viewport() && event->type() == QEvent::Resize)
        SyncColumns();
    return QWidget::eventFilter(watched, event);
}

void CTreePaneBase::LayoutChildren()
{
    // One pixel for the frame drawn around the pane; the header reaches one
    // pixel further right, over the frame.
    const QRect client = rect().adjusted(1, 1, -1, -1);
    m_header->setGeometry(client.left(), client.top(), client.width() + 1, kHeaderHeight);
    const int others = m_header->sectionSize(CIdTreeModel::MemoColumn) + m_header->sectionSize(CIdTreeModel::CountColumn);
    {
        const QSignalBlocker quiet(m_header);
        m_header->resizeSection(CIdTreeModel::NameColumn, std::max(0, client.width() - others + 2));
    }
    m_tree->setGeometry(client.left(), client.top() + kHeaderHeight, client.width(),
                        std::max(0, client.height() - kHeaderHeight));
    SyncColumns();
}

void CTreePaneBase::SyncColumns()
{
    QHeaderView* columns = m_tree->header();
    const int name = m_header->sectionSize(CIdTreeModel::NameColumn);
    const int memo = m_header->sectionSize(CIdTreeModel::MemoColumn);
    columns->resizeSection(CIdTreeModel::NameColumn, name);
    columns->resizeSection(CIdTreeModel::MemoColumn, memo);
    columns->resizeSection(CIdTreeModel::CountColumn, std::max(0, m_tree->viewport()->width() - name - memo));
}

int CTreePaneBase::CountRight() const
{
    const int count = m_header->sectionSize(CIdTreeModel::CountColumn);
    if (count <= 0)
        return -1;
    return m_header->sectionViewportPosition(CIdTreeModel::CountColumn) + count
           - style()->pixelMetric(QStyle::PM_ScrollBarExtent) - kCountRightGap;
}

void CTreePaneBase::NoteCount(qint32 count)
{
    if (count <= m_widestCount)
        return;
    m_widestCount = count;
    FitCountColumn();
}

void CTreePaneBase::FitCountColumn()
{
    const int section = m_header->sectionSize(CIdTreeModel::CountColumn);
    if (section <= 0 || m_widestCount <= 0)
        return;
    // A count cut at its left would read as a smaller number.
    const int needed = m_tree->fontMetrics().horizontalAdvance(QString::number(m_widestCount))
                       + style()->pixelMetric(QStyle::PM_ScrollBarExtent) + kCountRightGap + kCountLeftGap;
    if (section < needed)
        m_header->resizeSection(CIdTreeModel::CountColumn, needed);
}

CTreePaneBase::~CTreePaneBase()
{
    // Tear-down must not reach the registry half-destroyed.
    LeaveRegistry();
    if (m_editor)
        CREdit4List::DestroyActive();
}

QTreeView* CTreePaneBase::TreeView() const
{
    return m_tree;
}

const QHash<qint32, TreeNode*>* CTreePaneBase::FindMap(qint32 kind) const
{
    const auto it = m_maps.find(kind);
    return it == m_maps.end() ? nullptr : &it->second;
}

TreeNode* CTreePaneBase::Mapped(qint32 kind, qint32 id) const
{
    const QHash<qint32, TreeNode*>* map = FindMap(kind);
    return map ? map->value(id, nullptr) : nullptr;
}

TreeNode* CTreePaneBase::FindNode(qint32 kind, qint32 id) const
{
    if (m_firstRoot && kind == m_firstRoot->kind)
        return m_firstRoot;
    if (m_secondRoot && kind == m_secondRoot->kind)
        return m_secondRoot;
    return Mapped(kind, id);
}

TreeNode* CTreePaneBase::SelectedNode() const
{
    const QModelIndexList selected = m_tree->selectionModel()->selectedRows();
    return selected.isEmpty() ? nullptr : m_model.NodeOf(selected.first());
}

bool CTreePaneBase::GetSelectedObject(qint32& kind, qint32& id) const
{
    const TreeNode* node = SelectedNode();
    if (!node)
        return false;
    kind = node->kind;
    id = node->Id();
    return true;
}

QRect CTreePaneBase::NodeRect(const TreeNode* node) const
{
    return m_tree->visualRect(m_model.IndexOf(node));
}

QRect CTreePaneBase::NodeTextRect(const TreeNode* node) const
{
    QRect rect = NodeRect(node);
    if (rect.isEmpty())
        return rect;
    int x = rect.left() + 1;
    if (HasCheckBox(node->kind))
        x += TreeImages::kCheckSize + kGap;
    x += TreeImages::kImageSize + kGap;
    if (HasColourMark(const_cast<CTreePaneBase*>(this)->DisplayOf(node).colour))
        x += kColourMarkSize + kGap;
    rect.setLeft(x);
    return rect;
}

void CTreePaneBase::SetImageLists(const QList<QPixmap>& nodeImages, const QList<QPixmap>& memoImages)
{
    if (!nodeImages.isEmpty())
        m_nodeImages = nodeImages;
    if (!memoImages.isEmpty())
        m_memoImages = memoImages;
    m_tree->viewport()->update();
}

void CTreePaneBase::ApplyFont(const QFont& font)
{
    m_tree->setFont(font);
    FitCountColumn();
    m_tree->viewport()->update();
}

// ---- Building and changing nodes ------------------------------------------------

TreeNode* CTreePaneBase::MakeRoot(qint32 kind)
{
    auto root = std::make_unique<TreeNode>();
    root->kind = kind;
    root->bold = true;
    // Without a project nothing answers: the root shows neither symbol nor count.
    root->image = -1;
    root->count = -1;
    ListNotifyInfo info;
    info.topic = kind;
    info.mask = ListNotifyMask::Image | ListNotifyMask::State | ListNotifyMask::Count;
    if (QueryOwner(info)) {
        root->image = info.image;
        root->count = info.count;
        root->expanded = info.state & ObjectState::Expanded;
        NoteCount(root->count);
    }
    TreeNode* placed = root.get();
    std::vector<std::unique_ptr<TreeNode>> nodes;
    nodes.push_back(std::move(root));
    m_model.Insert(m_model.Top(), int(m_model.Top()->children.size()), std::move(nodes));
    return placed;
}

void CTreePaneBase::BuildRoots()
{
    if (m_editor)
        CREdit4List::DestroyActive();
    m_tip.Hide();
    m_dropHighlight = nullptr;
    m_model.Clear();
    m_widestCount = 0;
    m_maps.clear();
    m_searchHits.clear();
    m_currentHit = -1;
    m_firstRoot = MakeRoot(FirstRootKind());
    m_secondRoot = MakeRoot(SecondRootKind());
}

void CTreePaneBase::ResetContent()
{
    BuildRoots();
    ResetSearch();
}

void CTreePaneBase::ResetSearch()
{
    m_searchHits.clear();
    m_currentHit = -1;
    emit SearchReset();
    NotifyContextSearch(ContextSearchCode::Reset);
}

std::unique_ptr<TreeNode> CTreePaneBase::MakeNode(qint32 kind, qint32 data)
{
    ListNotifyInfo info;
    info.itemId = data < 0 ? -data : data;
    info.topic = kind;
    info.mask = QueryMask(kind);
    info.imageVariant = true;
    if (!QueryOwner(info))
        return nullptr;
    auto node = std::make_unique<TreeNode>();
    node->kind = kind;
    node->data = data;
    node->image = info.image;
    node->count = info.count;
    node->expanded = info.state & ObjectState::Expanded;
    node->checked = HasCheckBox(kind) && (info.state & ObjectState::Activated);
    NoteCount(node->count);
    return node;
}

void CTreePaneBase::PlaceNodes(TreeNode* parent, int position, std::vector<std::unique_ptr<TreeNode>> nodes,
                               bool select)
{
    if (nodes.empty())
        return;
    TreeNode* last = nodes.back().get();
    for (const auto& node : nodes)
        MapOf(node->kind).insert(node->Id(), node.get());
    m_model.Insert(parent, position, std::move(nodes));
    ApplyWantedExpansion(parent);
    if (select) {
        ExpandNode(parent);
        SelectNode(last);
    }
}

bool CTreePaneBase::PlaceObject(TreeNode* parent, int position, qint32 kind, qint32 data, bool select)
{
    const qint32 id = data < 0 ? -data : data;
    if (TreeNode* existing = Mapped(kind, id)) {
        // Announced again: the node moves to its new place, subtree and all.
        if (existing->Contains(parent))
            return false;
        MoveNode(existing, parent, position);
        existing->data = data;
        RefreshNode(existing);
        if (select) {
            ExpandNode(parent);
            SelectNode(existing);
        }
        return true;
    }
    std::unique_ptr<TreeNode> node = MakeNode(kind, data);
    if (!node)
        return false;
    std::vector<std::unique_ptr<TreeNode>> nodes;
    nodes.push_back(std::move(node));
    PlaceNodes(parent, position, std::move(nodes), select);
    return true;
}

void CTreePaneBase::PlaceObjects(TreeNode* parent, int position, qint32 kind, const QList<quint32>& ids, bool negate)
{
    // New nodes reach the view in one insertion; objects announced again
    // move one by one first, so the position is counted after them.
    std::vector<std::unique_ptr<TreeNode>> nodes;
    nodes.reserve(size_t(ids.size()));
    int moved = 0;
    for (const quint32 id : ids) {
        const qint32 data = negate ? -qint32(id) : qint32(id);
        if (Mapped(kind, qint32(id))) {
            moved += PlaceObject(parent, position < 0 ? int(parent->children.size()) : position + moved, kind, data,
                                 false) ? 1 : 0;
            continue;
        }
        if (std::unique_ptr<TreeNode> node = MakeNode(kind, data))
            nodes.push_back(std::move(node));
    }
    PlaceNodes(parent, position < 0 ? int(parent->children.size()) : position + moved, std::move(nodes), false);
}

bool CTreePaneBase::MoveAndTell(TreeNode* node, TreeNode* parent, int position, qint32 parentTopic, qint32 parentId)
{
    TreeNode* oldParent = node->parent;
    const int oldRow = node->Row();
    if (!MoveNode(node, parent, position))
        return false;
    if (oldParent != parent && !SendMoved(node->kind, node->Id(), parentTopic, parentId)) {
        // The tree never shows a place the project does not hold.
        MoveNode(node, oldParent, oldRow);
        return false;
    }
    return true;
}

int CTreePaneBase::PositionAfter(const TreeNode* parent, qint32 kind, qint32 after) const
{
    if (after == 0)
        return 0;
    if (after < 0)
        return int(parent->children.size());
    const TreeNode* sibling = Mapped(kind, after);
    return sibling && sibling->parent == parent ? sibling->Row() + 1 : 0;
}

void CTreePaneBase::RemoveNode(TreeNode* node)
{
    if (!node || node == m_firstRoot || node == m_secondRoot || !node->parent)
        return;
    if (m_dropHighlight && node->Contains(m_dropHighlight))
        m_dropHighlight = nullptr;
    if (m_editor) {
        const TreeNode* edited = Mapped(m_edited.first, m_edited.second);
        if (edited && node->Contains(edited))
            CREdit4List::DestroyActive();
    }
    // Every mapping of the subtree goes with it: a later broadcast for a
    // child must not reach a deleted node.
    m_model.Remove(node, [this](TreeNode* gone) {
        const auto it = m_maps.find(gone->kind);
        if (it != m_maps.end() && it->second.value(gone->Id()) == gone)
            it->second.remove(gone->Id());
    });
}

bool CTreePaneBase::MoveNode(TreeNode* node, TreeNode* parent, int position)
{
    if (!m_model.Move(node, parent, position))
        return false;
    ApplyWantedExpansion(parent);
    return true;
}

void CTreePaneBase::RefreshNode(TreeNode* node)
{
    if (!node)
        return;
    ListNotifyInfo info;
    info.itemId = node->Id();
    info.topic = node->kind;
    const bool root = node == m_firstRoot || node == m_secondRoot;
    info.mask = root ? ListNotifyMask::Image | ListNotifyMask::State | ListNotifyMask::Count : QueryMask(node->kind);
    info.imageVariant = !root;
    if (!QueryOwner(info))
        return;
    node->image = info.image;
    node->count = info.count;
    NoteCount(node->count);
    node->checked = !root && HasCheckBox(node->kind) && (info.state & ObjectState::Activated);
    node->expanded = info.state & ObjectState::Expanded;
    ApplyWantedExpansion(node);
    m_model.NodeChanged(node);
}

void CTreePaneBase::ApplyWantedExpansion(TreeNode* node)
{
    if (!node || node == m_model.Top() || node->children.empty())
        return;
    const QModelIndex index = m_model.IndexOf(node);
    if (m_tree->isExpanded(index) == node->expanded)
        return;
    m_applyingExpansion = true;
    m_tree->setExpanded(index, node->expanded);
    m_applyingExpansion = false;
}

void CTreePaneBase::ExpandNode(TreeNode* node)
{
    if (!node || node == m_model.Top())
        return;
    node->expanded = true;
    ApplyWantedExpansion(node);
}

void CTreePaneBase::SelectNode(TreeNode* node)
{
    if (!node || node == m_model.Top())
        return;
    const QModelIndex index = m_model.IndexOf(node);
    m_tree->scrollTo(index);
    m_tree->setCurrentIndex(index);
}

void CTreePaneBase::BeginBulk()
{
    if (m_bulk++ == 0)
        m_tree->setUpdatesEnabled(false);
}

void CTreePaneBase::EndBulk()
{
    if (m_bulk > 0 && --m_bulk == 0)
        m_tree->setUpdatesEnabled(true);
}

void CTreePaneBase::Renumber()
{
    qint32 position = 1;
    for (TreeNode* root : {m_firstRoot, m_secondRoot}) {
        if (!root)
            continue;
        CIdTreeModel::Walk(root, [this, &position](TreeNode* node) {
            ListNotifyInfo info;
            info.itemId = node->Id();
            info.topic = node->kind;
            info.mask = ListNotifyMask::Index;
            info.index = position++;
            NotifyOwner(info);
        });
    }
}

void CTreePaneBase::SortNode(TreeNode* parent, bool ascending, const std::function<bool(const TreeNode*)>& first)
{
    if (!parent || parent->children.size() < 2)
        return;
    // Each text is asked once, not once per comparison. Every node is asked
    // by its own kind, so groups and documents under one root each answer
    // with their own rows.
    QHash<const TreeNode*, QString> keys;
    for (const auto& child : parent->children) {
        ListNotifyInfo info;
        info.itemId = child->Id();
        info.topic = child->kind;
        info.mask = ListNotifyMask::Name;
        keys.insert(child.get(), QueryOwner(info) ? info.name : QString());
    }
    m_model.SortChildren(parent, [&](const TreeNode* a, const TreeNode* b) {
        if (first) {
            const bool firstA = first(a);
            if (firstA != first(b))
                return firstA;
        }
        const int order = keys.value(a).compare(keys.value(b), Qt::CaseInsensitive);
        return ascending ? order < 0 : order > 0;
    });
}

bool CTreePaneBase::SendExpandState(TreeNode* node, bool expanded)
{
    if (!node)
        return false;
    ListNotifyInfo info;
    info.itemId = node->Id();
    info.topic = node->kind;
    info.mask = ListNotifyMask::State;
    if (!QueryOwner(info))
        return false;
    info.state = expanded ? info.state | ObjectState::Expanded : info.state & ~ObjectState::Expanded;
    return NotifyOwner(info);
}

void CTreePaneBase::ExpandSubtree(TreeNode* from, bool expand)
{
    if (!from)
        return;
    ExpandStatesNotifyInfo info;
    info.expanded = expand;
    // Children first when collapsing, parents first when expanding: the
    // view lays out only what stays visible.
    std::vector<TreeNode*> nodes;
    if (from != m_model.Top())
        nodes.push_back(from);
    CIdTreeModel::Walk(from, [&nodes](TreeNode* node) { nodes.push_back(node); });
    if (!expand)
        std::reverse(nodes.begin(), nodes.end());
    BeginBulk();
    m_applyingExpansion = true;
    for (TreeNode* node : nodes) {
        if (node->children.empty() || node->expanded == expand)
            continue;
        node->expanded = expand;
        m_tree->setExpanded(m_model.IndexOf(node), expand);
        info.objects.append({node->kind, node->Id()});
    }
    m_applyingExpansion = false;
    EndBulk();
    if (!info.objects.isEmpty())
        SendToOwner(info);
}

void CTreePaneBase::ViewExpanded(const QModelIndex& index, bool expanded)
{
    TreeNode* node = m_model.NodeOf(index);
    if (!node || m_applyingExpansion)
        return;
    node->expanded = expanded;
    SendExpandState(node, expanded);
}

bool CTreePaneBase::SendMoved(qint32 topic, qint32 id, qint32 parentTopic, qint32 parentId)
{
    ListNotifyInfo info;
    info.itemId = id;
    info.topic = topic;
    info.mask = ListNotifyMask::Parent;
    info.newParentTopic = parentTopic;
    info.newParentId = parentId;
    return NotifyOwner(info);
}

CTreePaneBase::Display CTreePaneBase::DisplayOf(const TreeNode* node)
{
    Display display;
    ListNotifyInfo info;
    info.itemId = node->Id();
    info.topic = node->kind;
    info.mask = ListNotifyMask::Name | ListNotifyMask::Colour | ListNotifyMask::Memo;
    if (QueryOwner(info)) {
        display.text = info.name;
        display.colour = info.colour;
        display.memoId = info.memoId;
    }
    return display;
}

QPixmap CTreePaneBase::MemoImage(qint32 memoId)
{
    ListNotifyInfo info;
    info.itemId = memoId;
    info.topic = TopicId::Memos;
    info.mask = ListNotifyMask::Image;
    info.imageVariant = true;
    const qint32 type = QueryOwner(info) ? info.image : 0;
    return m_memoImages.value(type, m_memoImages.value(0));
}

TreeNode* CTreePaneBase::NodeAtScreen(QPoint screenPos) const
{
    return m_tree->NodeAt(m_tree->viewport()->mapFromGlobal(screenPos));
}

// ---- Renaming -----------------------------------------------------------------

bool CTreePaneBase::MayRename(const TreeNode* node)
{
    ListNotifyInfo info;
    info.itemId = node->Id();
    info.topic = node->kind;
    info.mask = ListNotifyMask::Name;
    return QueryOwner(info) && info.mayRename;
}

bool CTreePaneBase::OpenRenameEditor(TreeNode* node)
{
    if (!node || node == m_firstRoot || node == m_secondRoot || node == m_model.Top())
        return false;
    // An editor still open keeps what was typed in it.
    if (m_editor)
        m_editor->Finish(true);
    ListNotifyInfo info;
    info.itemId = node->Id();
    info.topic = node->kind;
    info.mask = ListNotifyMask::Name;
    if (!QueryOwner(info))
        return false;
    ExpandNode(node->parent);
    m_tree->scrollTo(m_model.IndexOf(node));
    const QRect text = NodeTextRect(node);
    if (text.isEmpty())
        return false;
    const QRect rect(QPoint(text.left() - 2, text.top() - 1), QPoint(m_tree->viewport()->width() - 1, text.bottom() + 1));
    auto* editor = new CREdit4List;
    if (!editor->Create(m_tree->viewport(), this, rect, info.name, kNameLimit, 0)) {
        delete editor;
        return false;
    }
    m_editor = editor;
    m_edited = {node->kind, node->Id()};
    connect(editor, &CREdit4List::finished, this, &CTreePaneBase::RenameFinished);
    return true;
}

void CTreePaneBase::RenameFinished(bool accepted)
{
    auto* editor = qobject_cast<CREdit4List*>(sender());
    const auto [kind, id] = m_edited;
    m_edited = {0, 0};
    if (!accepted || !editor)
        return;
    ListNotifyInfo info;
    info.itemId = id;
    info.topic = kind;
    info.mask = ListNotifyMask::Name;
    info.name = editor->GetText();
    NotifyOwner(info);
    if (TreeNode* node = Mapped(kind, id))
        m_model.NodeChanged(node);
}

// ---- Clicks, menus, tips ---------------------------------------------------------

void CTreePaneBase::SendContextRecord(int code, qint32 kind, qint32 id, QPoint screenPos, int keys)
{
    IdListNotifyInfo info{RequestCode(code)};
    info.itemId = id;
    info.kind = kind;
    info.point = screenPos;
    info.modifierKeys = keys;
    SendToOwner(info);
}

void CTreePaneBase::ItemClicked(TreeNode* node, bool, QPoint screenPos, int keys)
{
    m_tip.Hide();
    SelectNode(node);
    SendContextRecord(int(RequestCode::FollowItem), node->kind, node->Id(), screenPos, keys);
}

void CTreePaneBase::ItemRightClicked(TreeNode* node, bool memoColumn, QPoint screenPos, int keys, bool open)
{
    m_tip.Hide();
    SelectNode(node);
    const int code = int(open ? RequestCode::OpenItem : RequestCode::ContextMenu);
    if (memoColumn) {
        ListNotifyInfo info;
        info.itemId = node->Id();
        info.topic = node->kind;
        info.mask = ListNotifyMask::Memo;
        if (QueryOwner(info) && info.memoId > 0)
            SendContextRecord(code, TopicId::Memos, info.memoId, screenPos, keys);
        return;
    }
    SendContextRecord(code, node->kind, node->Id(), screenPos, keys);
}

void CTreePaneBase::ShowContextMenuForSelection()
{
    TreeNode* node = SelectedNode();
    if (!node)
        return;
    m_tree->scrollTo(m_model.IndexOf(node));
    const QRect text = NodeTextRect(node);
    const QPoint below = m_tree->viewport()->mapToGlobal(QPoint(text.left(), text.bottom() + 1));
    SendContextRecord(int(RequestCode::ContextMenu), node->kind, node->Id(), below, 0);
}

void CTreePaneBase::ItemHovered(TreeNode* node, bool memoColumn, const QRect& rowScreenRect)
{
    if (!node) {
        m_tip.Hide();
        return;
    }
    QRect item = rowScreenRect;
    QString heading;
    QByteArray rtf;
    QSize size;
    if (memoColumn && HasMemoTip(node->kind)) {
        ListNotifyInfo info;
        info.itemId = node->Id();
        info.topic = node->kind;
        info.mask = ListNotifyMask::Memo;
        if (QueryOwner(info) && info.memoId > 0) {
            RecordNotifyInfo memo;
            memo.key = info.memoId;
            memo.topic = TopicId::Memos;
            memo.readBlobs = true;
            if (SendToOwner(memo) && memo.found) {
                FieldValue value;
                const auto text = [&memo, &value](qint32 field) {
                    return memo.row.GetFieldValue(field, value) ? value.GetText() : QString();
                };
                const QString title = text(MemoField::Title);
                const QString author = text(kMemoAuthorField);
                const QString date = memo.row.GetFieldValue(kMemoDateField, value) ? FormatDateText(value.GetDate()) : QString();
                heading = QStringLiteral("%1 (%2, %3)").arg(title, author, date);
                if (memo.row.GetFieldValue(MemoField::Text, value) && value.GetBlob())
                    rtf = *value.GetBlob();
                size = kMemoTipSize;
                const int left = m_tree->header()->sectionViewportPosition(CIdTreeModel::MemoColumn);
                item = QRect(m_tree->viewport()->mapToGlobal(QPoint(left, 0)).x(), rowScreenRect.top(),
                             m_tree->header()->sectionSize(CIdTreeModel::MemoColumn), rowScreenRect.height());
            }
        }
    }
    if (heading.isEmpty() && !memoColumn)
        heading = ObjectTip(node, size);
    if (heading.isEmpty()) {
        m_tip.Hide();
        return;
    }
    if (CRTFTipCtrl::ActiveTip() == &m_tip) {
        if (m_tip.ItemRect() == item)
            return;
        m_tip.Hide();
    }
    m_tip.SetTipSize(size);
    m_tip.Show(item, heading, rtf);
}

// ---- Context search ---------------------------------------------------------------

bool CTreePaneBase::OnContextSearch(ContextSearchRequest& search)
{
    switch (search.code) {
    case ContextSearchCode::Search: {
        m_searchHits.clear();
        m_currentHit = -1;
        const QString wanted = LowerUnits(search.text);
        if (!wanted.isEmpty()) {
            for (TreeNode* root : {m_firstRoot, m_secondRoot}) {
                if (!root)
                    continue;
                CIdTreeModel::Walk(root, [&](TreeNode* node) {
                    ListNotifyInfo info;
                    info.itemId = node->Id();
                    info.topic = node->kind;
                    info.mask = ListNotifyMask::Name;
                    if (QueryOwner(info) && LowerUnits(info.name).contains(wanted))
                        m_searchHits.append({node->kind, node->Id()});
                });
            }
        }
        if (!m_searchHits.isEmpty())
            m_currentHit = 0;
        break;
    }
    case ContextSearchCode::Next:
        if (m_currentHit + 1 < m_searchHits.size())
            ++m_currentHit;
        break;
    case ContextSearchCode::Previous:
        if (m_currentHit > 0)
            --m_currentHit;
        break;
    case ContextSearchCode::Reset:
        m_searchHits.clear();
        m_currentHit = -1;
        search.count = 0;
        search.current = 0;
        return true;
    default:
        return false;
    }
    TreeNode* hit = m_currentHit >= 0 ? Mapped(m_searchHits[m_currentHit].first, m_searchHits[m_currentHit].second)
                                      : nullptr;
    if (hit)
        SelectNode(hit);
    else
        m_tree->selectionModel()->clearSelection();
    search.count = qint32(m_searchHits.size());
    search.current = m_currentHit + 1;
    return true;
}

// ---- Pane interface ------------------------------------------------------------------

void CTreePaneBase::OnObjectChanged(qint32 topic, qint32 id)
{
    RefreshNode(FindNode(topic, id));
}

void CTreePaneBase::SelectObject(qint32 topic, qint32 id, qint32)
{
    if (id == 0)
        return;
    SelectNode(Mapped(topic, id));
}

void CTreePaneBase::StartDrag(TreeNode* node)
{
    if (!node || !IsDragSource(node))
        return;
    SelectNode(node);
    const CDragObject payload(node->kind, node->Id());
    const QString identity = GetOwner() ? GetOwner()->ProjectIdentity() : QString();
    if (m_dragRunner)
        m_dragRunner(payload, identity);
    else
        payload.DoDragDrop(m_tree, identity, Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, Qt::MoveAction);
}

Qt::DropAction CTreePaneBase::OnDragOver(qint32 draggedKind, qint32 draggedId, QPoint screenPos)
{
    TreeNode* target = NodeAtScreen(screenPos);
    const int keys = m_tree->eventKeys >= 0 ? m_tree->eventKeys : ModifierKeysOf(QGuiApplication::keyboardModifiers());
    const Qt::DropAction effect =
        target ? DropEffect(draggedKind, draggedId, target, keys, screenPos) : Qt::IgnoreAction;
    TreeNode* highlight = effect == Qt::IgnoreAction ? nullptr : target;
    if (highlight != m_dropHighlight) {
        m_dropHighlight = highlight;
        m_tree->viewport()->update();
    }
    return effect;
}

void CTreePaneBase::OnDragLeave()
{
    m_dropHighlight = nullptr;
    m_tree->viewport()->update();
}

bool CTreePaneBase::OnDrop(qint32 draggedKind, qint32 draggedId, QPoint screenPos)
{
    TreeNode* target = NodeAtScreen(screenPos);
    const int keys = m_tree->eventKeys >= 0 ? m_tree->eventKeys : ModifierKeysOf(QGuiApplication::keyboardModifiers());
    bool taken = false;
    if (target) {
        BeginBulk();
        taken = ApplyDrop(draggedKind, draggedId, target, keys, screenPos);
        EndBulk();
    }
    OnDragLeave();
    return taken;
}

void CTreePaneBase::DragScroll(qint32 scrollCode)
{
    const QRect area = m_tree->viewport()->rect();
    if (scrollCode == 255) {
        const QModelIndex above = m_tree->indexAbove(m_tree->indexAt(area.topLeft()));
        if (above.isValid())
            m_tree->scrollTo(above);
    } else if (scrollCode == 511) {
        const QModelIndex last = m_tree->indexAt(QPoint(0, area.bottom()));
        const QModelIndex below = last.isValid() ? m_tree->indexBelow(last) : QModelIndex();
        if (below.isValid())
            m_tree->scrollTo(below);
    }
}
