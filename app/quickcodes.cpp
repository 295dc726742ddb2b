#include "app/quickcodes.h"

#include "foundation/ids.h"
#include "foundation/options.h"

CQuickCodeList::CQuickCodeList(QObject* parent) : QAbstractListModel(parent) {}

int CQuickCodeList::Capacity()
{
    return std::max(1, g_qdaOptions.GetInt(QdaOption::QuickCodeCount));
}

int CQuickCodeList::IndexOf(qint32 codeId) const
{
    for (int row = 0; row < m_entries.size(); ++row)
        if (m_entries.at(row).id == codeId)
            return row;
    return -1;
}

void CQuickCodeList::RemoveRow(int row)
{
    beginRemoveRows(QModelIndex(), row, row);
    m_entries.removeAt(row);
    endRemoveRows();
    if (m_selected == row)
        SelectRow(-1);
    else if (m_selected > row)
        m_selected -= 1;
}

bool CQuickCodeList::AddCode(qint32 codeId)
{
    if (const int row = IndexOf(codeId); row >= 0)
        RemoveRow(row);
    QString text;
    if (!m_textOf || !m_textOf(codeId, text))
        return false;
    beginInsertRows(QModelIndex(), 0, 0);
    m_entries.prepend({codeId, text});
    endInsertRows();
    if (m_selected >= 0)
        m_selected += 1;
    SelectRow(0);
    while (m_entries.size() > Capacity())
        RemoveRow(int(m_entries.size()) - 1);
    return true;
}

bool CQuickCodeList::UpdateCode(qint32 codeId)
{
    const int row = IndexOf(codeId);
    if (row < 0)
        return true;
    QString text;
    if (!m_textOf || !m_textOf(codeId, text)) {
        RemoveRow(row);
        return false;
    }
    m_entries[row].text = text;
    emit dataChanged(index(row), index(row));
    return true;
}

void CQuickCodeList::RemoveCode(qint32 codeId)
{
    if (const int row = IndexOf(codeId); row >= 0)
        RemoveRow(row);
}

void CQuickCodeList::ResetCombo()
{
    beginResetModel();
    m_entries.clear();
    endResetModel();
    SelectRow(-1);
}

qint32 CQuickCodeList::SelectedCode() const
{
    return m_selected >= 0 && m_selected < m_entries.size() ? m_entries.at(m_selected).id : 0;
}

void CQuickCodeList::SelectRow(int row)
{
    if (row < -1 || row >= m_entries.size())
        row = -1;
    m_selected = row;
    emit SelectionChanged(row);
}

QList<qint32> CQuickCodeList::Codes() const
{
    QList<qint32> ids;
    for (const Entry& entry : m_entries)
        ids.append(entry.id);
    return ids;
}

int CQuickCodeList::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_entries.size());
}

QVariant CQuickCodeList::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_entries.size())
        return {};
    if (role == Qt::DisplayRole)
        return m_entries.at(index.row()).text;
    if (role == Qt::UserRole)
        return m_entries.at(index.row()).id;
    return {};
}
