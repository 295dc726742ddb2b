#include "ui/colourchecklist.h"

#include "ui/colorpicdlg.h"
#include "foundation/texthelpers.h"
#include "ui/treeimages.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

namespace {

QColor ToQColor(COLORREF colour)
{
    return QColor(RedOf(colour), GreenOf(colour), BlueOf(colour));
}

QPixmap MorePicture()
{
    QPixmap picture(TreeImages::kCheckSize, TreeImages::kCheckSize);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setPen(QColor(28, 81, 128));
    p.setBrush(Qt::white);
    p.drawRect(0, 0, TreeImages::kCheckSize - 1, TreeImages::kCheckSize - 1);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(33, 33, 33));
    for (int x = 3; x <= 9; x += 3)
        p.drawRect(x, 8, 2, 2);
    return picture;
}

class RowDelegate : public QStyledItemDelegate {
public:
    explicit RowDelegate(CColourCheckList* list) : QStyledItemDelegate(list), m_list(list)
    {
        m_checks = TreeImages::CheckImages();
        m_checks.append(MorePicture());
    }

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override
    {
        return QSize(40, CColourCheckList::kRowHeight);
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const int row = index.row();
        painter->fillRect(option.rect, option.palette.base());
        const QRect label = m_list->LabelRect(row);
        const COLORREF colour = m_list->m_colourOf ? m_list->m_colourOf(row) : kNoColor;
        if (!m_list->m_paintLabel || !m_list->m_paintLabel(*painter, label, row)) {
            painter->fillRect(label, ToQColor(colour));
            painter->setPen(ToQColor(ContrastTextColor(colour)));
            const QString text = FitTextWithEllipsis(option.fontMetrics, index.data().toString(), label.width() - 4, 0);
            painter->setFont(option.font);
            painter->drawText(label.adjusted(4, 1, 0, 0), Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, text);
        }
        const QRect check = m_list->CheckRect(row);
        const int picture = m_list->m_checkOf ? m_list->m_checkOf(row) : -1;
        if (picture >= 0 && picture < m_checks.size() && check.width() > 12)
            painter->drawPixmap(check.left() + (check.width() - TreeImages::kCheckSize) / 2,
                                check.top() + (check.height() - TreeImages::kCheckSize) / 2 - 1, m_checks[picture]);
    }

private:
    CColourCheckList* m_list;
    QList<QPixmap> m_checks;
};

}  // namespace

CColourCheckList::CColourCheckList(QWidget* parent) : QListWidget(parent)
{
    setItemDelegate(new RowDelegate(this));
    setSelectionMode(QAbstractItemView::NoSelection);
    setUniformItemSizes(true);
    setFrameShape(QFrame::NoFrame);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

void CColourCheckList::InsertRow(int row, const QString& text, qint32 data)
{
    auto* item = new QListWidgetItem(text);
    item->setData(Qt::UserRole, data);
    insertItem(row < 0 ? count() : row, item);
}

qint32 CColourCheckList::RowData(int row) const
{
    const QListWidgetItem* it = item(row);
    return it ? it->data(Qt::UserRole).toInt() : 0;
}

QRect CColourCheckList::LabelRect(int row) const
{
    QRect rect = visualItemRect(item(row));
    rect.setLeft(rect.left() + kLabelLeft);
    rect.setBottom(rect.bottom() - 1);
    return rect;
}

QRect CColourCheckList::CheckRect(int row) const
{
    QRect rect = visualItemRect(item(row));
    rect.setLeft(rect.left() + kCheckLeft);
    rect.setRight(rect.left() + kLabelLeft - kCheckLeft - 2);
    return rect;
}

void CColourCheckList::mousePressEvent(QMouseEvent* event)
{
    event->accept();
}

void CColourCheckList::mouseDoubleClickEvent(QMouseEvent* event)
{
    event->accept();
}

void CColourCheckList::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint pos = event->position().toPoint();
    const QListWidgetItem* hit = itemAt(pos);
    if (!hit)
        return;
    const int row = this->row(hit);
    if (CheckRect(row).contains(pos))
        emit checkClicked(row);
    else
        emit rowClicked(row);
}

CColourTickList::CColourTickList(QWidget* parent) : CColourCheckList(parent)
{
    SetColourOf([this](int row) { return m_colours.value(row, kNoColor); });
    SetCheckOf([this](int row) { return IsTicked(row) ? 1 : 0; });
    connect(this, &CColourCheckList::checkClicked, this, [this](int row) {
        if (row < 0 || row >= m_ticked.size())
            return;
        m_ticked[row] = !m_ticked[row];
        viewport()->update();
    });
}

void CColourTickList::SetColours(const QList<COLORREF>& colours, const QList<COLORREF>& filter)
{
    clear();
    m_colours = colours;
    m_ticked.clear();
    for (int row = 0; row < m_colours.size(); ++row) {
        m_ticked.append(filter.contains(m_colours[row]));
        InsertRow(row, ColorPicDlg::StandardColourName(m_colours[row]), row);
    }
}

void CColourTickList::TickAll(bool ticked)
{
    for (bool& tick : m_ticked)
        tick = ticked;
    viewport()->update();
    setFocus();
}

QList<COLORREF> CColourTickList::TickedColours() const
{
    QList<COLORREF> ticked;
    for (int row = 0; row < m_colours.size(); ++row)
        if (IsTicked(row))
            ticked.append(m_colours[row]);
    return ticked;
}
