#include "ui/codesellist.h"

#include <algorithm>

CCodeSelList::CCodeSelList(QWidget* parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    setFrameShape(QFrame::StyledPanel);
}

void CCodeSelList::Fill(CodeCheckItemArray& items)
{
    std::stable_sort(items.begin(), items.end(), [](const CodeCheckItem& a, const CodeCheckItem& b) {
        return a.order != b.order ? a.order < b.order : a.id < b.id;
    });
    clear();
    for (const CodeCheckItem& item : items) {
        auto* row = new QListWidgetItem(item.name.left(CodeCheckItem::kNameUnits), this);
        row->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        row->setCheckState(item.checked ? Qt::Checked : Qt::Unchecked);
        row->setData(Qt::UserRole, item.id);
    }
}

void CCodeSelList::SetAllChecked(bool checked)
{
    for (int i = 0; i < count(); ++i)
        item(i)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

void CCodeSelList::TakeChecks(CodeCheckItemArray& items) const
{
    const int rows = int(std::min<qsizetype>(count(), items.size()));
    for (int i = 0; i < rows; ++i)
        items[i].checked = item(i)->checkState() == Qt::Checked;
}
